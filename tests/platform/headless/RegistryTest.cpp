#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <windows.h>

#include "headless/Headless.h"
#include "support/TempFolder.h"

namespace plenvo::headless {
namespace {

using plenvo::testing::ReadFile;
using plenvo::testing::ScopedEnv;
using plenvo::testing::TempFolder;

class RegistryTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(CountOpen().registryKeys, 0) << "a key was left open"; }

    HKEY Create(const char* path, REGSAM access = KEY_ALL_ACCESS) {
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr,
                                  &key, nullptr),
                  ERROR_SUCCESS);
        return key;
    }

    TempFolder config;
    ScopedEnv xdg{"XDG_CONFIG_HOME", config.Path().c_str()};
};

struct StoredValue {
    const char* name;
    DWORD type;
    std::string data;
};

TEST_F(RegistryTest, EveryTypeComesBackByteForByte) {
    const DWORD dword = 0xFFFFFFFF;
    const ULONGLONG qword = 0x0102030405060708ULL;
    const std::vector<StoredValue> values = {
        {"Dword", REG_DWORD, std::string(reinterpret_cast<const char*>(&dword), 4)},
        {"Qword", REG_QWORD, std::string(reinterpret_cast<const char*>(&qword), 8)},
        {"Text", REG_SZ, std::string("https://example.com/a b?x=\"1\"&y=\\2 \xE9t\xE9", 44) + '\0'},
        {"EmptyText", REG_SZ, std::string(1, '\0')},
        {"TextWithoutNul", REG_SZ, "abc"},
        {"TextWithNulInside", REG_SZ, std::string("a\0b\0", 4)},
        {"TextWithLineFeed", REG_SZ, std::string("line\nline\0", 10)},
        {"Binary", REG_BINARY, std::string("\x00\xFF\x10", 3)},
        {"EmptyBinary", REG_BINARY, ""},
        {"ShortDword", REG_DWORD, std::string("\x01\x02", 2)},
        {"MultiText", REG_MULTI_SZ, std::string("a\0bc\0\0", 6)},
        {"", REG_SZ, std::string("default\0", 8)},
    };
    HKEY key = Create("Software\\Test");
    for (const StoredValue& v : values) {
        ASSERT_EQ(RegSetValueExA(key, v.name, 0, v.type, reinterpret_cast<const BYTE*>(v.data.data()),
                                 static_cast<DWORD>(v.data.size())),
                  ERROR_SUCCESS)
            << v.name;
    }
    RegCloseKey(key);

    // Read back through a fresh handle, so the file, not memory, answers.
    HKEY readKey = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Test", 0, KEY_READ, &readKey), ERROR_SUCCESS);
    for (const StoredValue& v : values) {
        SCOPED_TRACE(v.name);
        DWORD type = REG_NONE;
        std::vector<BYTE> buffer(64, 0xAA);
        DWORD size = static_cast<DWORD>(buffer.size());
        ASSERT_EQ(RegQueryValueExA(readKey, v.name, nullptr, &type, buffer.data(), &size), ERROR_SUCCESS);
        EXPECT_EQ(type, v.type);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer.data()), size), v.data);
    }
    RegCloseKey(readKey);

    // People read the file too: plain text for plain values.
    const std::string file = ReadFile(RegistryFilePath());
    EXPECT_TRUE(file.starts_with("REGEDIT4\n")) << file;
    EXPECT_NE(file.find("[HKEY_CURRENT_USER\\Software\\Test]"), std::string::npos) << file;
    EXPECT_NE(file.find("\"Dword\"=dword:ffffffff"), std::string::npos) << file;
    EXPECT_NE(file.find("@=\"default\""), std::string::npos) << file;
}

TEST_F(RegistryTest, SizesAndReturnCodesAreWindowss) {
    HKEY key = Create("Software\\Sizes");
    const char text[] = "12345";  // six bytes with its NUL
    ASSERT_EQ(RegSetValueExA(key, "Text", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text),
              ERROR_SUCCESS);

    BYTE buffer[16];
    std::memset(buffer, 0x7E, sizeof buffer);
    DWORD size = 5;
    DWORD type = REG_NONE;
    EXPECT_EQ(RegQueryValueExA(key, "Text", nullptr, &type, buffer, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 6u) << "the size needed comes back";
    EXPECT_EQ(buffer[0], 0x7E) << "a buffer too small is not written into";

    size = 6;
    EXPECT_EQ(RegQueryValueExA(key, "Text", nullptr, &type, buffer, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 6u);
    EXPECT_STREQ(reinterpret_cast<const char*>(buffer), "12345");

    size = 0;
    EXPECT_EQ(RegQueryValueExA(key, "Text", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 6u) << "no buffer asks for the size";
    EXPECT_EQ(RegQueryValueExA(key, "Text", nullptr, &type, buffer, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegQueryValueExA(key, "Missing", nullptr, &type, buffer, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteValueA(key, "Missing"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteValueA(key, "TEXT"), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExA(key, "Text", nullptr, &type, buffer, &size), ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE) << "a closed handle is not a key";

    HKEY other = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Absent", 0, KEY_READ, &other), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "\\Software", 0, KEY_READ, &other), ERROR_BAD_PATHNAME);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_READ, &other), ERROR_FILE_NOT_FOUND);

    // A key opened for reading cannot be written through.
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Sizes", 0, KEY_READ, &other), ERROR_SUCCESS);
    const DWORD one = 1;
    EXPECT_EQ(RegSetValueExA(other, "One", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4), ERROR_ACCESS_DENIED);
    RegCloseKey(other);

    // A key with sub keys stays.
    RegCloseKey(Create("Software\\Sizes\\Inner"));
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Sizes"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Sizes\\Inner"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Sizes"), ERROR_SUCCESS);
}

TEST_F(RegistryTest, NamesIgnoreCaseAndCreationSaysWhatItDid) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Corvix\\Plenvo", 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_WRITE, nullptr, &key, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
    const DWORD five = 5;
    RegSetValueExA(key, "Reservation", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&five), 4);
    RegCloseKey(key);

    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\corvix\\PLENVO", 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_WRITE, nullptr, &key, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
    const DWORD six = 6;
    RegSetValueExA(key, "RESERVATION", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&six), 4);
    RegCloseKey(key);

    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "software\\CORVIX\\plenvo", 0, KEY_READ, &key), ERROR_SUCCESS);
    DWORD value = 0;
    DWORD size = 4;
    EXPECT_EQ(RegQueryValueExA(key, "reservation", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(value, 6u) << "one value, replaced, not two";
    RegCloseKey(key);
    // The key keeps the spelling it was made with.
    EXPECT_NE(ReadFile(RegistryFilePath()).find("[HKEY_CURRENT_USER\\Software\\Corvix\\Plenvo]"), std::string::npos);
}

TEST_F(RegistryTest, ASecondProcessSeesWritesAtOnce) {
    HKEY key = Create("Software\\Shared");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Another process with its own handles writes through the same file.
        HKEY own = nullptr;
        const char text[] = "from the child";
        const bool ok = RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Shared", 0, KEY_WRITE, &own) == ERROR_SUCCESS &&
                        RegSetValueExA(own, "Note", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text) ==
                            ERROR_SUCCESS;
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    // The handle opened before the child wrote reads the child's value: nothing is cached.
    char buffer[32] = {};
    DWORD size = sizeof buffer;
    EXPECT_EQ(RegQueryValueExA(key, "Note", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size), ERROR_SUCCESS);
    EXPECT_STREQ(buffer, "from the child");
    RegCloseKey(key);
}

TEST_F(RegistryTest, ADamagedFileReadsAsNoKeysAndIsKeptAside) {
    const std::vector<std::pair<const char*, std::string>> damaged = {
        {"Garbage", "this is not a registry\n"},
        {"NoHeader", "[HKEY_CURRENT_USER\\Software\\Corvix\\Plenvo]\n\"Reservation\"=dword:00000000\n"},
        {"ValueBeforeKey", "REGEDIT4\n\"Reservation\"=dword:00000000\n"},
        {"ShortDword", "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Corvix\\Plenvo]\n\"Reservation\"=dword:0\n"},
        {"BadHex", "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Corvix\\Plenvo]\n\"B\"=hex:0g\n"},
        {"OpenString", "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Corvix\\Plenvo]\n\"P\"=\"https://x\n"},
        {"Truncated", "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Corvix\\Plen"},
        {"OtherRoot", "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software]\n"},
        {"ParentMissing", "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Corvix\\Plenvo]\n"},
        {"Binary", std::string("REGEDIT4\n\0\xFF\xFE\n", 15)},
    };
    std::filesystem::create_directories(config.Path() / "plenvo");
    for (const auto& [name, content] : damaged) {
        SCOPED_TRACE(name);
        std::filesystem::remove(RegistryFilePath() + ".damaged");
        config.Write("plenvo/hkcu.reg", content);
        HKEY key = nullptr;
        EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Corvix\\Plenvo", 0, KEY_READ, &key),
                  ERROR_FILE_NOT_FOUND);
        EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);

        // The next write starts afresh and keeps the damaged file for the user to look at.
        key = Create("Software\\Fresh");
        RegCloseKey(key);
        EXPECT_EQ(ReadFile(RegistryFilePath() + ".damaged"), content);
        EXPECT_EQ(ReadFile(RegistryFilePath()),
                  "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software]\n\n[HKEY_CURRENT_USER\\Software\\Fresh]\n");
    }
}

TEST_F(RegistryTest, AFailedWriteChangesNothingAndLeavesNoTemporaryFile) {
    HKEY key = Create("Software\\Kept");
    const DWORD one = 1;
    ASSERT_EQ(RegSetValueExA(key, "One", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4), ERROR_SUCCESS);
    const std::string before = ReadFile(RegistryFilePath());
    // A plain file where the configuration folder should be makes every write fail.
    const std::string blocked = config.Write("blocked");
    {
        ScopedEnv elsewhere("XDG_CONFIG_HOME", blocked.c_str());
        HKEY other = nullptr;
        EXPECT_NE(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\New", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                                  nullptr, &other, nullptr),
                  ERROR_SUCCESS);
    }
    EXPECT_EQ(ReadFile(RegistryFilePath()), before);
    RegCloseKey(key);
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(config.Path() / "plenvo")) {
        names.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(names, std::vector<std::string>{"hkcu.reg"});
}

TEST_F(RegistryTest, AWriteFailingPartWayChangesNothingAndLeavesNoTemporaryFile) {
    HKEY key = Create("Software\\Kept");
    // Larger than the limit below, so every rewrite of the file fails part way through.
    const std::string big = std::string(16 * 1024, 'x') + '\0';
    ASSERT_EQ(RegSetValueExA(key, "Big", 0, REG_SZ, reinterpret_cast<const BYTE*>(big.data()),
                             static_cast<DWORD>(big.size())),
              ERROR_SUCCESS);
    const std::string before = ReadFile(RegistryFilePath());
    {
        plenvo::testing::ScopedFileSizeLimit limit(4096);
        const DWORD one = 1;
        EXPECT_NE(RegSetValueExA(key, "One", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4),
                  ERROR_SUCCESS);
        HKEY other = nullptr;
        EXPECT_NE(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\New", 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_WRITE, nullptr, &other, nullptr),
                  ERROR_SUCCESS);
    }
    RegCloseKey(key);
    EXPECT_EQ(ReadFile(RegistryFilePath()), before);
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(config.Path() / "plenvo")) {
        names.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(names, std::vector<std::string>{"hkcu.reg"});
}

TEST(RegistryFileTest, LivesUnderTheUsersConfigurationFolder) {
    struct Case {
        const char* xdg;
        const char* home;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"/tmp/cfg", "/home/u", "/tmp/cfg/plenvo/hkcu.reg"},
        {nullptr, "/home/u", "/home/u/.config/plenvo/hkcu.reg"},
        {"", "/home/u", "/home/u/.config/plenvo/hkcu.reg"},
        {"relative/cfg", "/home/u", "/home/u/.config/plenvo/hkcu.reg"},
    };
    for (const Case& c : cases) {
        ScopedEnv xdg("XDG_CONFIG_HOME", c.xdg);
        ScopedEnv home("HOME", c.home);
        EXPECT_EQ(RegistryFilePath(), c.expected) << (c.xdg != nullptr ? c.xdg : "(unset)");
    }
}

}  // namespace
}  // namespace plenvo::headless
