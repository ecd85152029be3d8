#include "document/FileOperations.h"

#include <array>
#include <string_view>

#include "document/DocumentMetadata.h"
#include "host/HostHandles.h"

namespace plenvo {
namespace {

// Full save, linearized.
constexpr host::PDSaveFlags kSaveFlags = host::kPDSaveFull | host::kPDSaveLinearized;

struct Messages {
    std::string_view operationFailed;  // followed by the path
    std::string_view raised;           // followed by the path, ": " and the host's text
};

constexpr Messages kApplyMessages = {"Could not write TDMRep metadata to: ", "Error processing "};
constexpr Messages kCheckMessages = {"Could not read metadata from: ", "Error checking "};
constexpr Messages kRemoveMessages = {"Could not remove TDMRep metadata from: ",
                                      "Error removing TDMRep from "};

std::string Message(std::string_view prefix, const std::string& path) {
    std::string text(prefix);
    text += path;
    return text;
}

// The line for the host exception being handled. Asking the host for its text may raise
// in turn; the line then ends after ": ".
std::string RaisedMessage(std::string_view prefix, const std::string& path) {
    std::array<char, 256> buffer{};
    host::IgnoringHostRaise([&] {
        host::ASGetErrorString(host::ASGetExceptionErrorCode(), buffer.data(), buffer.size());
    });
    buffer.back() = '\0';
    return Message(prefix, path) + ": " + buffer.data();
}

// Answers null when the host makes no path name. A path holding a zero byte would reach
// the host cut short and name another file, so it gets none.
host::ScopedPathName CreatePathName(host::ASFileSys fileSys, const std::string& path) {
    if (path.find('\0') != std::string::npos) return {};
    return host::ScopedPathName(
        host::ASFileSysCreatePathName(fileSys, host::ASAtomFromString("Cstring"), path.c_str(),
                                      nullptr),
        host::PathNameReleaser{fileSys});
}

// Makes the path name and opens the document without a window, repairing what the host
// can. False, with the message, when the host makes no path name or opens no document.
bool OpenFile(host::ASFileSys fileSys, const std::string& path, host::ScopedPathName& pathName,
              host::ScopedDocument& document, std::string& errorText) {
    pathName = CreatePathName(fileSys, path);
    if (!pathName) {
        errorText = Message("Could not create path for: ", path);
        return false;
    }
    document = host::ScopedDocument(host::PDDocOpen(pathName.Get(), fileSys, nullptr, true));
    if (!document) {
        pathName.Release();
        errorText = Message("Could not open: ", path);
        return false;
    }
    return true;
}

// Apply and remove: open, change, save over the same path, close.
template <class Change>
bool ChangeFile(const std::string& path, const Messages& messages, std::string& errorText,
                Change change) {
    bool saved = false;
    // Declared outside the frame so that on a host exception they are released after the
    // handler has asked for the exception's text, document first.
    host::ScopedPathName pathName;
    host::ScopedDocument document;
    try {
        host::HostFrame frame;
        const host::ASFileSys fileSys = host::ASGetDefaultFileSys();
        if (!OpenFile(fileSys, path, pathName, document, errorText)) return false;
        if (change(document.Get())) {
            host::PDDocSave(document.Get(), kSaveFlags, pathName.Get(), fileSys, nullptr, nullptr);
            saved = true;
        } else {
            errorText = Message(messages.operationFailed, path);
        }
        document.Release();
        pathName.Release();
    } catch (const host::HostRaise&) {
        // A file already saved stays a success: only closing it failed.
        if (!saved) errorText = RaisedMessage(messages.raised, path);
    }
    return saved;
}

}  // namespace

bool ApplyTdmToFile(const std::string& path, std::int32_t reservation, const std::string& policy,
                    bool includeSchema, std::string& errorText) {
    return ChangeFile(path, kApplyMessages, errorText, [&](host::PDDoc document) {
        return ApplyTdmToDocument(document, reservation, policy, includeSchema);
    });
}

bool RemoveTdmFromFile(const std::string& path, std::string& errorText) {
    return ChangeFile(path, kRemoveMessages, errorText,
                      [](host::PDDoc document) { return RemoveTdmFromDocument(document); });
}

bool CheckTdmOfFile(const std::string& path, ReservationRecord& record, std::string& errorText) {
    record = ReservationRecord{};
    bool read = false;
    host::ScopedPathName pathName;
    host::ScopedDocument document;
    try {
        host::HostFrame frame;
        if (!OpenFile(host::ASGetDefaultFileSys(), path, pathName, document, errorText)) {
            return false;
        }
        // A check never saves, so the path name is done with once the file is open.
        pathName.Release();
        read = ReadDocumentReservation(document.Get(), record);
        if (!read) errorText = Message(kCheckMessages.operationFailed, path);
        document.Release();
    } catch (const host::HostRaise&) {
        if (!read) errorText = RaisedMessage(kCheckMessages.raised, path);
    }
    return read;
}

}  // namespace plenvo
