#pragma once

#include <cstdint>
#include <string>

namespace plenvo {

// The TDMRep values the system carries around. `includeSchema` means "also write the
// PDF/A extension schema" in settings and apply requests; in a document read result it
// means "the metadata stream held at least one byte".
struct ReservationRecord {
    std::int32_t reservation = -1;  // -1 not set, 0 not reserved, 1 reserved
    std::string policy;             // empty: no policy
    bool includeSchema = false;

    friend bool operator==(const ReservationRecord&, const ReservationRecord&) = default;
};

}  // namespace plenvo
