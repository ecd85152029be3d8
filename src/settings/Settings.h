#pragma once

#include "xmp/ReservationRecord.h"

namespace plenvo {

// The user's last applied choices, under HKEY_CURRENT_USER\Software\Corvix\Plenvo.
// Loading overwrites only the fields for which a usable value is stored and leaves the
// others as the caller set them; saving writes all three values and reports nothing.
void LoadSettings(ReservationRecord& record);
void SaveSettings(const ReservationRecord& record);

}  // namespace plenvo
