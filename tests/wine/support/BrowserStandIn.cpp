#include "BrowserStandIn.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>

namespace plenvo::wine {
namespace {

// How long the shell may take to start the recorder, which starts as a process of its own.
constexpr int kPatienceMs = 15000;

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

}  // namespace

std::string ProgramFolder() {
    char path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string program(path, n);
    return program.substr(0, program.find_last_of('\\') + 1);
}

BrowserStandIn::BrowserStandIn() {
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

BrowserStandIn::~BrowserStandIn() { DeleteFileA(record_.c_str()); }

std::vector<std::string> BrowserStandIn::TakeOpened() {
    for (int waited = 0; waited < kPatienceMs; waited += 50) {
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

}  // namespace plenvo::wine
