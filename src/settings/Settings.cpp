#include "settings/Settings.h"

#include <windows.h>

#include <cstring>

namespace plenvo {
namespace {

constexpr const char* kKeyPath = "Software\\Corvix\\Plenvo";
constexpr const char* kReservation = "Reservation";
constexpr const char* kPolicyUrl = "PolicyUrl";
constexpr const char* kIncludeSchema = "IncludeSchema";

// One byte more than is offered, so the text stays terminated whatever the stored data.
constexpr DWORD kPolicyBufferSize = 2048;

class KeyHandle {
public:
    KeyHandle() = default;
    KeyHandle(const KeyHandle&) = delete;
    KeyHandle& operator=(const KeyHandle&) = delete;
    ~KeyHandle() {
        if (key != nullptr) {
            RegCloseKey(key);
        }
    }
    HKEY* Out() { return &key; }
    HKEY Get() const { return key; }

private:
    HKEY key = nullptr;
};

// A stored DWORD, only when the value has exactly that type and size.
bool QueryDword(HKEY key, const char* name, DWORD& number) {
    DWORD type = REG_NONE;
    DWORD data = 0;
    DWORD size = sizeof data;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof data) {
        return false;
    }
    number = data;
    return true;
}

void SetDword(HKEY key, const char* name, DWORD number) {
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
}

}  // namespace

void LoadSettings(ReservationRecord& record) {
    KeyHandle key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kKeyPath, 0, KEY_READ, key.Out()) != ERROR_SUCCESS) {
        return;
    }
    DWORD number = 0;
    if (QueryDword(key.Get(), kReservation, number)) {
        record.reservation = number != 0 ? 1 : 0;
    }
    char policy[kPolicyBufferSize] = {};
    DWORD type = REG_NONE;
    DWORD size = kPolicyBufferSize - 1;
    if (RegQueryValueExA(key.Get(), kPolicyUrl, nullptr, &type, reinterpret_cast<BYTE*>(policy),
                         &size) == ERROR_SUCCESS &&
        type == REG_SZ) {
        record.policy = policy;
    }
    if (QueryDword(key.Get(), kIncludeSchema, number)) {
        record.includeSchema = number != 0;
    }
}

void SaveSettings(const ReservationRecord& record) {
    KeyHandle key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_WRITE, nullptr, key.Out(), nullptr) != ERROR_SUCCESS) {
        return;
    }
    SetDword(key.Get(), kReservation, static_cast<DWORD>(record.reservation));
    RegSetValueExA(key.Get(), kPolicyUrl, 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(record.policy.c_str()),
                   static_cast<DWORD>(record.policy.size() + 1));
    SetDword(key.Get(), kIncludeSchema, record.includeSchema ? 1 : 0);
}

}  // namespace plenvo
