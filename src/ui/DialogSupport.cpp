#include "ui/DialogSupport.h"

#include <cstdarg>
#include <cstdio>

#include "settings/Settings.h"
#include "xmp/XmpText.h"

namespace plenvo {
namespace {

// The box keeps its text when reservation 0 is picked; that text is not a policy.
std::string PolicyToApply(int reservation, const std::string& editText) {
    if (reservation == 0) return {};
    return std::string(TrimXmpSpace(editText));
}

}  // namespace

void AddReservationEntries(const CComboBox& combo) {
    combo.AddString("0 - TDM rights not reserved (mining permitted)");
    combo.AddString("1 - TDM rights reserved");
}

void ShowStoredChoices(const CComboBox& reservation, const CEdit& policy, const CButton& schema) {
    ReservationRecord stored{1, "", true};
    LoadSettings(stored);
    reservation.SetCurSel(stored.reservation);
    policy.SetWindowText(stored.policy);
    schema.SetCheck(stored.includeSchema ? BST_CHECKED : BST_UNCHECKED);
}

std::optional<ReservationRecord> ChosenValues(const CWnd& dialog, const CComboBox& reservation, const CEdit& policy,
                                              const CButton& schema) {
    const int chosen = reservation.GetCurSel();
    if (chosen == CB_ERR) {
        dialog.MessageBox("Please select a reservation value.", MB_OK | MB_ICONWARNING);
        return std::nullopt;
    }
    return ReservationRecord{chosen, PolicyToApply(chosen, policy.GetWindowText()), schema.GetCheck() == BST_CHECKED};
}

std::string FormatText(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string text;
    if (length > 0) {
        text.resize(static_cast<std::size_t>(length) + 1);
        std::vsnprintf(text.data(), text.size(), format, again);
        text.resize(static_cast<std::size_t>(length));
    }
    va_end(again);
    return text;
}

}  // namespace plenvo
