#pragma once

// What both dialogs share: the reservation entries, the policy rule and text formatting.

#include <optional>
#include <string>

#include "framework/Controls.h"
#include "xmp/ReservationRecord.h"

namespace plenvo {

// Adds "0 - ..." and "1 - ..." in that order: an entry's index is its reservation value.
void AddReservationEntries(const CComboBox& combo);

// Shows the stored choices, over the defaults (reservation 1, no policy, with the schema),
// in a dialog's reservation combo box, policy edit box and schema check box.
void ShowStoredChoices(const CComboBox& reservation, const CEdit& policy, const CButton& schema);

// What those three controls ask to apply: the policy trimmed of white space, and empty for
// reservation 0 whatever the box holds. Nothing, after telling the user so, when no
// reservation is selected.
std::optional<ReservationRecord> ChosenValues(const CWnd& dialog, const CComboBox& reservation, const CEdit& policy,
                                              const CButton& schema);

// printf-style formatting of 8-bit text (%d, %s), for message and progress texts.
std::string FormatText(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

}  // namespace plenvo
