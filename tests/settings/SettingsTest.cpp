#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <windows.h>

#include "SettingsSandbox.h"
#include "settings/Settings.h"

namespace plenvo {
namespace {

constexpr const char* kKey = "Software\\Corvix\\Plenvo";

ReservationRecord Defaults() { return ReservationRecord{1, "", true}; }

// Stores values as another program (or an older version) might have left them.
void Store(const char* name, DWORD type, const std::string& data) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    // RegSetValueExA stores text one byte longer than asked when the byte after it is a
    // zero; a byte that is not follows the data, so text without its NUL stays without.
    const std::string guarded = data + 'x';
    ASSERT_EQ(RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(guarded.data()),
                             static_cast<DWORD>(data.size())),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

std::string Dword(DWORD value) { return std::string(reinterpret_cast<const char*>(&value), sizeof value); }
std::string Sz(const std::string& text) { return text + '\0'; }

struct Stored {
    DWORD type = REG_NONE;
    std::string data;
    bool found = false;
};

Stored Read(const char* name) {
    Stored stored;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return stored;
    std::vector<BYTE> buffer(8192);
    DWORD size = static_cast<DWORD>(buffer.size());
    stored.found = RegQueryValueExA(key, name, nullptr, &stored.type, buffer.data(), &size) == ERROR_SUCCESS;
    stored.data.assign(reinterpret_cast<const char*>(buffer.data()), stored.found ? size : 0);
    RegCloseKey(key);
    return stored;
}

class SettingsTest : public ::testing::Test {
protected:
    test::SettingsSandbox sandbox;
};

struct LoadCase {
    const char* name;
    std::function<void()> store;
    ReservationRecord expected;
};

void PrintTo(const LoadCase& c, std::ostream* os) { *os << c.name; }

class LoadSettingsTest : public SettingsTest, public ::testing::WithParamInterface<LoadCase> {};

TEST_P(LoadSettingsTest, TakesEachUsableValueAndLeavesTheRest) {
    GetParam().store();
    ReservationRecord record = Defaults();
    LoadSettings(record);
    EXPECT_EQ(record.reservation, GetParam().expected.reservation);
    EXPECT_EQ(record.policy, GetParam().expected.policy);
    EXPECT_EQ(record.includeSchema, GetParam().expected.includeSchema);
}

const std::string k2046(2046, 'p');
const std::string k2047(2047, 'p');

INSTANTIATE_TEST_SUITE_P(
    Stored, LoadSettingsTest,
    ::testing::Values(
        LoadCase{"NoKey", [] {}, {1, "", true}},
        LoadCase{"ReservationZero", [] { Store("Reservation", REG_DWORD, Dword(0)); }, {0, "", true}},
        LoadCase{"ReservationOne", [] { Store("Reservation", REG_DWORD, Dword(1)); }, {1, "", true}},
        LoadCase{"ReservationFive", [] { Store("Reservation", REG_DWORD, Dword(5)); }, {1, "", true}},
        LoadCase{"ReservationAllBits", [] { Store("Reservation", REG_DWORD, Dword(0xFFFFFFFF)); }, {1, "", true}},
        LoadCase{"ReservationAsText", [] { Store("Reservation", REG_SZ, Sz("0")); }, {1, "", true}},
        // Eight bytes do not fit the four offered, whatever their value.
        LoadCase{"ReservationAsQword", [] { Store("Reservation", REG_QWORD, std::string(8, '\0')); }, {1, "", true}},
        // Two bytes stored as a DWORD are not a number: the rest of the buffer would be guessed.
        LoadCase{"ReservationTooShort", [] { Store("Reservation", REG_DWORD, std::string(2, '\0')); }, {1, "", true}},
        LoadCase{"Policy2046", [] { Store("PolicyUrl", REG_SZ, Sz(k2046)); }, {1, k2046, true}},
        LoadCase{"Policy2047", [] { Store("PolicyUrl", REG_SZ, Sz(k2047)); }, {1, "", true}},
        LoadCase{"PolicyWithoutNul", [] { Store("PolicyUrl", REG_SZ, "https://x/p.json"); },
                 {1, "https://x/p.json", true}},
        LoadCase{"Policy2047WithoutNul", [] { Store("PolicyUrl", REG_SZ, k2047); }, {1, k2047, true}},
        LoadCase{"PolicyUpToItsFirstNul", [] { Store("PolicyUrl", REG_SZ, std::string("ab\0cd\0", 6)); },
                 {1, "ab", true}},
        LoadCase{"PolicyEmpty", [] { Store("PolicyUrl", REG_SZ, Sz("")); }, {1, "", true}},
        LoadCase{"PolicyAsBinary", [] { Store("PolicyUrl", REG_BINARY, Sz("https://x")); }, {1, "", true}},
        LoadCase{"PolicyAsExpandableText", [] { Store("PolicyUrl", REG_EXPAND_SZ, Sz("https://x/%USERNAME%")); },
                 {1, "", true}},
        LoadCase{"PolicyHighBytes", [] { Store("PolicyUrl", REG_SZ, Sz("https://x/\xE9t\xE9")); },
                 {1, "https://x/\xE9t\xE9", true}},
        LoadCase{"SchemaZero", [] { Store("IncludeSchema", REG_DWORD, Dword(0)); }, {1, "", false}},
        LoadCase{"SchemaAsQword", [] { Store("IncludeSchema", REG_QWORD, std::string(8, '\0')); }, {1, "", true}},
        LoadCase{"EachValueStandsAlone",
                 [] {
                     Store("Reservation", REG_SZ, Sz("1"));
                     Store("PolicyUrl", REG_SZ, Sz("https://x/p.json"));
                     Store("IncludeSchema", REG_DWORD, Dword(0));
                 },
                 {1, "https://x/p.json", false}}),
    [](const ::testing::TestParamInfo<LoadCase>& p) { return std::string(p.param.name); });

TEST_F(SettingsTest, LoadingLeavesTheCallersValuesWhereNothingIsStored) {
    Store("PolicyUrl", REG_SZ, Sz("https://stored/"));
    ReservationRecord record{-1, "caller's", false};
    LoadSettings(record);
    EXPECT_EQ(record, (ReservationRecord{-1, "https://stored/", false}));
}

TEST_F(SettingsTest, SavesAllThreeValuesAsTheyAreLoadedBack) {
    const std::vector<ReservationRecord> records = {
        {0, "", false},
        {1, "https://example.com/tdm/policy.json", true},
        {1, "https://x/\xE9t\xE9 \"q\" \\", false},
        {0, "", true},
    };
    for (const ReservationRecord& saved : records) {
        SCOPED_TRACE(saved.policy);
        SaveSettings(saved);
        const Stored reservation = Read("Reservation");
        EXPECT_EQ(reservation.type, static_cast<DWORD>(REG_DWORD));
        EXPECT_EQ(reservation.data, Dword(static_cast<DWORD>(saved.reservation)));
        const Stored policy = Read("PolicyUrl");
        EXPECT_TRUE(policy.found) << "an empty policy is stored, not left out";
        EXPECT_EQ(policy.type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(policy.data, Sz(saved.policy));
        const Stored schema = Read("IncludeSchema");
        EXPECT_EQ(schema.type, static_cast<DWORD>(REG_DWORD));
        EXPECT_EQ(schema.data, Dword(saved.includeSchema ? 1 : 0));

        ReservationRecord loaded{-1, "unchanged", !saved.includeSchema};
        LoadSettings(loaded);
        EXPECT_EQ(loaded, saved);
    }
}

TEST_F(SettingsTest, ALongPolicyIsSavedButNotLoadedBack) {
    SaveSettings({1, k2047, true});
    EXPECT_EQ(Read("PolicyUrl").data, Sz(k2047));
    ReservationRecord record = Defaults();
    LoadSettings(record);
    EXPECT_EQ(record.policy, "");
}

}  // namespace
}  // namespace plenvo
