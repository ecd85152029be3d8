#pragma once

// The stand-in host's error codes and the one-line text ASGetErrorString gives for each.

#include <string>

#include "host/HostTypes.h"

namespace plenvo::hostapp {

enum HostErrorCode : host::ASErrorCode {
    kErrGeneral = 0x40010001,
    kErrNoMemory,
    kErrBadParameter,
    kErrBadHandle,
    kErrNotSupported,
    kErrFileNotFound,
    kErrNotAFile,
    kErrAccessDenied,
    kErrReadOnly,
    kErrDiskFull,
    kErrNameTooLong,
    kErrFileRead,
    kErrFileWrite,
    kErrNotPdf,
    kErrDamaged,
    kErrPassword,
};

// The text for a code; a code of no one's gives "Unknown error (code N)."
std::string ErrorText(host::ASErrorCode code);

}  // namespace plenvo::hostapp
