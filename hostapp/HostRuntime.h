#pragma once

// The stand-in host's inner state and the frame every table operation runs in. Internal
// to hostapp.

#include <array>
#include <functional>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <vector>

#include "HostControl.h"
#include "HostErrors.h"
#include "host/HostTables.h"

namespace plenvo::hostapp {

// A failure inside the host. Thrown within an operation's body; the operation turns it
// into a host exception once the body has unwound.
class HostError : public std::runtime_error {
public:
    explicit HostError(host::ASErrorCode code) : std::runtime_error(ErrorText(code)), code_(code) {}
    host::ASErrorCode Code() const { return code_; }

private:
    host::ASErrorCode code_;
};

// What an open document holds, and how it comes from its path and goes back to one, is
// the document backend's: PDF files through qpdf (Documents_qpdf.cpp) or documents kept
// in memory (Documents_memory.cpp), one of them per build.
struct DocumentContent;
struct DeleteContent {
    void operator()(DocumentContent* content) const;
};
using ContentPtr = std::unique_ptr<DocumentContent, DeleteContent>;

struct Document {
    ContentPtr content;
    std::string path;  // as opened
    bool inView = false;
};

struct Stream {
    const char* borrowed = nullptr;  // the caller's bytes, or null when the stream owns them
    std::string owned;
    std::size_t size = 0;
    std::size_t position = 0;

    const char* Data() const { return borrowed != nullptr ? borrowed : owned.data(); }
};

struct Callback {
    host::ASExtension owner = nullptr;
    host::ASProcedure procedure = nullptr;
};

struct MenuItem {
    std::string title;
    std::string name;
    std::uint64_t submenu = 0;
    std::uint64_t parent = 0;  // the menu it stands in, 0 when in none
    std::uint64_t execute = 0;
    void* executeData = nullptr;
    std::uint64_t computeEnabled = 0;
    void* computeEnabledData = nullptr;
    int acquired = 0;
};

struct Menu {
    std::string title;
    std::string name;
    std::vector<std::uint64_t> items;
    int acquired = 0;
};

struct Frame {
    void* frame = nullptr;
    host::ASRestoreProc restore = nullptr;
};

enum class FaultKind { kNone, kRaise, kAnswerNull };

struct Fault {
    std::string operation;
    int nthCall = 0;
    FaultKind kind = FaultKind::kNone;
    host::ASErrorCode code = 0;
};

struct CallAction {
    std::string operation;
    int nthCall = 0;
    std::function<void()> action;
};

struct TableSettings {
    bool refused = false;
    std::set<host::ASVersion> refusedAt;
    std::optional<host::ASVersion> reported;
};

struct Host {
    std::vector<std::string> atomNames{std::string()};  // atom 0 names nothing
    std::unordered_map<std::string, host::ASAtom> atoms;

    std::vector<Frame> frames;
    host::ASErrorCode handledCode = 0;

    std::uint64_t nextId = 16;
    std::map<std::uint64_t, std::unique_ptr<Document>> documents;
    std::map<std::uint64_t, Stream> streams;
    std::map<std::uint64_t, std::string> pathNames;
    std::map<std::uint64_t, Callback> callbacks;
    std::map<std::uint64_t, Menu> menus;
    std::map<std::uint64_t, MenuItem> items;
    std::vector<std::uint64_t> menubar;
    std::map<std::uint64_t, std::uint64_t> views;  // view id to document id
    std::vector<std::uint64_t> viewOrder;          // the last one is active

    std::unordered_map<std::string, int> callCounts;
    std::vector<std::string> trace;
    std::vector<Fault> faults;
    std::vector<CallAction> actions;
    std::vector<StreamRead> reads;
    std::vector<TableRequest> requests;
    std::array<TableSettings, host::kHostTableCount> tables;
};

Host& TheHost();

// Sends a host exception to the innermost frame's restore procedure.
[[noreturn]] void RaiseHostException(host::ASErrorCode code);

// The code for a failure that escaped an operation's body.
host::ASErrorCode ErrorCodeFor(const std::exception& failure);

// Counts and records the call, and answers the fault injected for it, if any.
FaultKind EnterOperation(const char* name, host::ASErrorCode& code);

// Runs one table operation: records it, applies an injected fault, and turns a failure
// thrown in `body` into a host exception raised after the body's locals are gone, so the
// host's own state is whole when the plug-in's handler runs.
template <class Body>
auto RunOperation(const char* name, Body&& body) -> decltype(body()) {
    using Result = decltype(body());
    host::ASErrorCode code = 0;
    const FaultKind fault = EnterOperation(name, code);
    if (fault == FaultKind::kRaise) RaiseHostException(code);
    if constexpr (!std::is_void_v<Result>) {
        if (fault == FaultKind::kAnswerNull) return Result{};
    }
    try {
        return body();
    } catch (const std::exception& failure) {
        code = ErrorCodeFor(failure);
    }
    RaiseHostException(code);
}

// The same for an operation that closes or releases: the release happens first and an
// injected fault is raised after it.
template <class Body>
void RunRelease(const char* name, Body&& body) {
    host::ASErrorCode code = 0;
    const FaultKind fault = EnterOperation(name, code);
    bool failed = false;
    try {
        body();
    } catch (const std::exception& failure) {
        code = ErrorCodeFor(failure);
        failed = true;
    }
    if (failed || fault == FaultKind::kRaise) RaiseHostException(code);
}

std::uint64_t NewId();

template <class Handle>
Handle MakeHandle(std::uint64_t id) {
    return reinterpret_cast<Handle>(static_cast<std::uintptr_t>(id));
}
template <class Handle>
std::uint64_t HandleId(Handle handle) {
    return reinterpret_cast<std::uintptr_t>(handle);
}

// Each lookup throws HostError(kErrBadHandle) for a handle that is not open.
Document& DocumentFor(std::uint64_t id);
Stream& StreamFor(host::ASStm stream);

// What CosNewStream takes from its source: the bytes from `start` to the stream's end, or
// `length` of them when known, and where the source stands once they are taken. Throws
// HostError(kErrBadParameter) for a range outside the stream.
struct StreamSource {
    Stream& stream;
    std::string_view bytes;
    std::size_t end;
};
StreamSource NewStreamSource(host::ASStm source, std::int64_t start, bool lengthKnown, std::int64_t length);
const std::string& PathFor(host::ASPathName path);
void CheckFileSys(host::ASFileSys fileSys);

const std::string& AtomText(host::ASAtom atom);
host::ASAtom InternAtom(const std::string& text);

// Closes a document and forgets its objects.
void CloseDocument(std::uint64_t id);

// The document backend. Opens what `path` names; throws HostError with the reason it
// cannot. `repair` lets a damaged document be rebuilt where the backend knows how.
ContentPtr OpenContent(const std::string& path, bool repair);
// Writes the document in full over `target`, which is replaced only once the new one is
// complete; throws HostError with the reason it cannot.
void SaveContent(DocumentContent& content, const std::string& target, bool linearize);
// The code for a failure of the backend's own kind; nullopt for any other failure.
std::optional<host::ASErrorCode> ContentErrorCode(const std::exception& failure);
// Puts back what the backend can be told to do differently.
void ResetBackend();

void ResetMenus();

// Table filling.
template <class Entry, std::size_t N>
void Fill(std::array<host::HFTEntry, N>& table, typename Entry::ProcType proc) {
    static_assert(Entry::kIndex < N, "entry number past the end of its table");
    table[Entry::kIndex] = reinterpret_cast<host::HFTEntry>(proc);
}
void FillCoreTable(std::array<host::HFTEntry, host::core::kSlotCount>& table);
void FillCosTable(std::array<host::HFTEntry, host::cos::kSlotCount>& table);
void FillPDModelTable(std::array<host::HFTEntry, host::pdmodel::kSlotCount>& table);
void FillAcroViewTable(std::array<host::HFTEntry, host::acroview::kSlotCount>& table);
void FillAcroSupportTable(std::array<host::HFTEntry, host::acrosupport::kSlotCount>& table);

// The table granted under a name and version, or null.
host::HFT GrantTable(const std::string& name, host::ASVersion version);
// The version the host reports for a table, kUnknownVersion for a pointer it never gave.
host::ASVersion ReportedVersion(host::HFT table);

}  // namespace plenvo::hostapp
