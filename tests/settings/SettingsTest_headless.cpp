#include <gtest/gtest.h>

#include <string>

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

}  // namespace
}  // namespace plenvo
