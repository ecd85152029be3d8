#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "plugin/HelpManager.h"

namespace plenvo {
namespace {

const std::string kBase = kHelpBaseAddress;

std::string ProgramFolder() {
    char path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string program(path, n);
    return program.substr(0, program.find_last_of('\\') + 1);
}

void SetDefaultValue(const std::string& keyPath, const std::string& value) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS)
        << keyPath;
    RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
    RegCloseKey(key);
}

// Makes the recorder the program that opens web addresses, in place of the browser, and
// reads back what each opening handed it.
class BrowserStandIn {
public:
    BrowserStandIn() {
        char folder[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, folder);
        record_ = std::string(folder) + "plenvo-opened-" + std::to_string(GetCurrentProcessId()) + ".txt";
        DeleteFileA(record_.c_str());
        const std::string command = "\"" + ProgramFolder() + "url_recorder.exe\" \"" + record_ + "\" \"%1\"";
        for (const char* scheme : {"http", "https"}) {
            RegDeleteTreeA(HKEY_CLASSES_ROOT, (std::string(scheme) + "\\shell").c_str());
            SetDefaultValue(std::string(scheme) + "\\shell\\open\\command", command);
        }
    }
    ~BrowserStandIn() { DeleteFileA(record_.c_str()); }
    BrowserStandIn(const BrowserStandIn&) = delete;
    BrowserStandIn& operator=(const BrowserStandIn&) = delete;

    // The arguments of the one opening since the last call; empty when none came in time.
    std::vector<std::string> TakeOpened() {
        for (int waited = 0; waited < 15000; waited += 50) {
            std::ifstream in(record_, std::ios::binary);
            if (in) {
                std::vector<std::string> lines;
                for (std::string line; std::getline(in, line);) {
                    lines.push_back(line);
                }
                in.close();
                DeleteFileA(record_.c_str());
                return lines;
            }
            Sleep(50);
        }
        return {};
    }

private:
    std::string record_;
};

TEST(HelpWineTest, TheMainPageGoesToTheProgramThatOpensWebAddresses) {
    BrowserStandIn browser;
    HelpManager help;
    help.SetTopicPage(1, "Plenvo-User-Guide.html");
    EXPECT_TRUE(help.OpenMainHelp());
    EXPECT_EQ(browser.TakeOpened(), std::vector<std::string>{kBase + "Plenvo-User-Guide.html"});
}

TEST(HelpWineTest, TopicPagesKeepTheirAnchor) {
    BrowserStandIn browser;
    const HelpManager help;
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", kBase + "Plenvo-Batch.html"},
        {"adding-files", kBase + "Plenvo-Batch.html#adding-files"},
    };
    for (const auto& [anchor, address] : cases) {
        SCOPED_TRACE(anchor);
        EXPECT_TRUE(help.OpenHelpTopic("Plenvo-Batch", anchor));
        EXPECT_EQ(browser.TakeOpened(), std::vector<std::string>{address});
    }
}

TEST(HelpWineTest, AnAddressNothingOpensIsReportedAsNotOpened) {
    BrowserStandIn browser;
    HelpManager help("plenvo-nothing-opens-this:/help/");
    help.SetTopicPage(1, "Plenvo-User-Guide.html");
    EXPECT_FALSE(help.OpenMainHelp());
    EXPECT_FALSE(help.OpenHelpTopic("Plenvo-Batch", ""));
}

}  // namespace
}  // namespace plenvo
