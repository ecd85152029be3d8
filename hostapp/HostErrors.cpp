#include "HostErrors.h"

namespace plenvo::hostapp {

std::string ErrorText(host::ASErrorCode code) {
    switch (code) {
        case kErrGeneral:
            return "An unexpected error occurred in the host.";
        case kErrNoMemory:
            return "There is not enough memory to complete the operation.";
        case kErrBadParameter:
            return "A host operation was called with a bad parameter.";
        case kErrBadHandle:
            return "A host operation was given a handle that is not open.";
        case kErrNotSupported:
            return "The host does not support this operation.";
        case kErrFileNotFound:
            return "The file does not exist.";
        case kErrNotAFile:
            return "The path does not name a file.";
        case kErrAccessDenied:
            return "Access to the file was denied.";
        case kErrReadOnly:
            return "The file is read-only.";
        case kErrDiskFull:
            return "The disk is full.";
        case kErrNameTooLong:
            return "The file name is too long.";
        case kErrFileRead:
            return "The file could not be read.";
        case kErrFileWrite:
            return "The file could not be written.";
        case kErrNotPdf:
            return "The file is not a PDF file.";
        case kErrDamaged:
            return "The file is damaged and could not be repaired.";
        case kErrPassword:
            return "The file is protected by a password.";
        default:
            return "Unknown error (code " + std::to_string(code) + ").";
    }
}

}  // namespace plenvo::hostapp
