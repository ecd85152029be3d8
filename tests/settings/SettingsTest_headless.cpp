#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include <windows.h>

#include "headless/Headless.h"

#include "settings/Settings.h"
#include "support/TempFolder.h"

namespace plenvo {
namespace {

using plenvo::testing::ScopedEnv;
using plenvo::testing::TempFolder;

// The headless registry's file is made unwritable by putting a file where its folder goes.
TEST(HeadlessSettingsTest, SavingWhereNothingCanBeWrittenChangesNothing) {
    const ReservationRecord defaults{1, "", true};
    TempFolder config;
    ScopedEnv xdg("XDG_CONFIG_HOME", config.Path().c_str());
    SaveSettings({0, "https://kept/", false});
    const std::string blocked = config.Write("blocked");
    {
        ScopedEnv elsewhere("XDG_CONFIG_HOME", blocked.c_str());
        SaveSettings({1, "https://lost/", true});
        ReservationRecord record = defaults;
        LoadSettings(record);
        EXPECT_EQ(record, defaults);
    }
    ReservationRecord record = defaults;
    LoadSettings(record);
    EXPECT_EQ(record, (ReservationRecord{0, "https://kept/", false}));
}

// A rewrite of the registry file that fails part way leaves the file as it was and
// nothing beside it.
TEST(HeadlessSettingsTest, SavingThatFailsPartWayChangesNothing) {
    const ReservationRecord defaults{1, "", true};
    TempFolder config;
    ScopedEnv xdg("XDG_CONFIG_HOME", config.Path().c_str());
    const ReservationRecord kept{0, "https://kept/", false};
    SaveSettings(kept);
    // Another program's value, large enough that every rewrite of the file passes the
    // limit below.
    HKEY other = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Corvix\\Other", 0, nullptr,
                              REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &other, nullptr),
              ERROR_SUCCESS);
    const std::string big = std::string(4096, 'x') + '\0';
    ASSERT_EQ(RegSetValueExA(other, "Big", 0, REG_SZ, reinterpret_cast<const BYTE*>(big.data()),
                             static_cast<DWORD>(big.size())),
              ERROR_SUCCESS);
    RegCloseKey(other);
    const std::string file = headless::RegistryFilePath();
    const std::string before = plenvo::testing::ReadFile(file);
    {
        plenvo::testing::ScopedFileSizeLimit limit(1024);
        SaveSettings({1, "https://lost/", true});
    }
    EXPECT_EQ(plenvo::testing::ReadFile(file), before);
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(config.Path() / "plenvo")) {
        names.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(names, std::vector<std::string>{"hkcu.reg"});
    ReservationRecord record = defaults;
    LoadSettings(record);
    EXPECT_EQ(record, kept);
}

}  // namespace
}  // namespace plenvo
