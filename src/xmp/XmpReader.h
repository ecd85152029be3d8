#pragma once

#include <string_view>

#include "xmp/ReservationRecord.h"

namespace plenvo {

// Reads `tdm:reservation` and `tdm:policy` out of XMP packet text with a plain text
// scan: the first occurrence of each name decides. Never fails on content; the result's
// `includeSchema` is always false. The policy comes back trimmed and undecoded.
ReservationRecord ParseReservation(std::string_view text);

}  // namespace plenvo
