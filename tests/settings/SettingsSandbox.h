#pragma once
// Gives a test an empty current-user key "Software\Corvix\Plenvo" to work in: a registry
// file of its own on Linux, Wine's real registry cleared around the test on Windows. At the
// end it checks that the test left nothing open where the platform can tell.

#include <memory>

namespace plenvo::test {

class SettingsSandbox {
public:
    SettingsSandbox();
    ~SettingsSandbox();
    SettingsSandbox(const SettingsSandbox&) = delete;
    SettingsSandbox& operator=(const SettingsSandbox&) = delete;

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace plenvo::test
