#pragma once

// What both dialogs share: the reservation entries, the policy rule and text formatting.

#include <string>

#include "framework/Controls.h"

namespace plenvo {

// Adds "0 - ..." and "1 - ..." in that order: an entry's index is its reservation value.
void AddReservationEntries(const CComboBox& combo);

// The policy to apply for `reservation` from what the edit box holds: trimmed of white
// space, and empty for reservation 0, whatever was typed.
std::string PolicyToApply(int reservation, const std::string& editText);

// printf-style formatting of 8-bit text (%d, %s), for message and progress texts.
std::string FormatText(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

}  // namespace plenvo
