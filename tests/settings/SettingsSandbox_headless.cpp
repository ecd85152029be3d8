#include "SettingsSandbox.h"

#include <gtest/gtest.h>

#include "headless/Headless.h"
#include "support/TempFolder.h"

namespace plenvo::test {

// The headless registry lives in a file under $XDG_CONFIG_HOME.
struct SettingsSandbox::State {
    testing::TempFolder config;
    testing::ScopedEnv xdg{"XDG_CONFIG_HOME", config.Path().c_str()};
};

SettingsSandbox::SettingsSandbox() : state_(std::make_unique<State>()) {}

SettingsSandbox::~SettingsSandbox() {
    EXPECT_EQ(headless::CountOpen().registryKeys, 0) << "a registry key was left open";
}

}  // namespace plenvo::test
