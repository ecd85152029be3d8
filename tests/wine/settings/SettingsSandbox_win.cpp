#include "SettingsSandbox.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace plenvo::test {
namespace {

// The maker's key, with the module's below it: cleared whole around each test.
constexpr const char* kMakerKey = "Software\\Corvix";

void Clear() {
    const LSTATUS status = RegDeleteTreeA(HKEY_CURRENT_USER, kMakerKey);
    EXPECT_TRUE(status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) << "cannot clear the key: " << status;
    // RegDeleteTreeA leaves the key itself.
    RegDeleteKeyA(HKEY_CURRENT_USER, kMakerKey);
}

}  // namespace

struct SettingsSandbox::State {};

SettingsSandbox::SettingsSandbox() { Clear(); }

SettingsSandbox::~SettingsSandbox() { Clear(); }

}  // namespace plenvo::test
