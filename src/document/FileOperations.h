#pragma once

// TDMRep on PDF files named by path: each operation opens the file through the host
// without a window, runs one document operation, saves the file in full to the same path
// (apply and remove), and closes it. True on success, with `errorText` untouched; false
// with exactly one line in `errorText`, and the file as it was unless the save completed.

#include <cstdint>
#include <string>

#include "xmp/ReservationRecord.h"

namespace plenvo {

bool ApplyTdmToFile(const std::string& path, std::int32_t reservation, const std::string& policy,
                    bool includeSchema, std::string& errorText);

// Never saves. On false `record` holds reservation -1, an empty policy and includeSchema
// false.
bool CheckTdmOfFile(const std::string& path, ReservationRecord& record, std::string& errorText);

bool RemoveTdmFromFile(const std::string& path, std::string& errorText);

}  // namespace plenvo
