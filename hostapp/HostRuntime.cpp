#include "HostRuntime.h"

#include <algorithm>
#include <new>

namespace plenvo::hostapp {
namespace {

// Operations that make up the exception mechanism itself; failing them would leave the
// plug-in no way to learn of the failure.
constexpr std::array<std::string_view, 3> kNeverFail = {
    "ASPushExceptionFrame", "ASPopExceptionFrame", "ASGetExceptionErrorCode"};

}  // namespace

UnhandledRaise::UnhandledRaise(host::ASErrorCode code)
    : std::runtime_error("host exception raised with no frame to take it: " + ErrorText(code)),
      code_(code) {}

Host& TheHost() {
    static Host host;
    return host;
}

void RaiseHostException(host::ASErrorCode code) {
    Host& host = TheHost();
    host.handledCode = code;
    if (host.frames.empty()) throw UnhandledRaise(code);
    // The frame stays pushed: the plug-in's handler pops it.
    const Frame top = host.frames.back();
    top.restore(top.frame);
    throw UnhandledRaise(code);
}

host::ASErrorCode ErrorCodeFor(const std::exception& failure) {
    if (const auto* own = dynamic_cast<const HostError*>(&failure)) return own->Code();
    if (const auto code = ContentErrorCode(failure)) return *code;
    if (dynamic_cast<const std::bad_alloc*>(&failure) != nullptr) return kErrNoMemory;
    return kErrGeneral;
}

FaultKind EnterOperation(const char* name, host::ASErrorCode& code) {
    Host& host = TheHost();
    host.trace.emplace_back(name);
    const int call = ++host.callCounts[name];
    for (std::size_t i = 0; i < host.actions.size(); ++i) {
        if (host.actions[i].nthCall == call && host.actions[i].operation == name) {
            // A copy: the action may add or clear actions.
            const std::function<void()> action = host.actions[i].action;
            action();
        }
    }
    for (const Fault& fault : host.faults) {
        if (fault.nthCall == call && fault.operation == name) {
            code = fault.code;
            return fault.kind;
        }
    }
    return FaultKind::kNone;
}

std::uint64_t NewId() { return TheHost().nextId++; }

Document& DocumentFor(std::uint64_t id) {
    Host& host = TheHost();
    const auto found = host.documents.find(id);
    if (found == host.documents.end()) throw HostError(kErrBadHandle);
    return *found->second;
}

Stream& StreamFor(host::ASStm stream) {
    Host& host = TheHost();
    const auto found = host.streams.find(HandleId(stream));
    if (found == host.streams.end()) throw HostError(kErrBadHandle);
    return found->second;
}

StreamSource NewStreamSource(host::ASStm source, std::int64_t start, bool lengthKnown, std::int64_t length) {
    Stream& input = StreamFor(source);
    if (start < 0 || static_cast<std::uint64_t>(start) > input.size) throw HostError(kErrBadParameter);
    const auto from = static_cast<std::size_t>(start);
    std::size_t taken = input.size - from;
    if (lengthKnown) {
        if (length < 0 || static_cast<std::uint64_t>(length) > taken) throw HostError(kErrBadParameter);
        taken = static_cast<std::size_t>(length);
    }
    return StreamSource{input, std::string_view(input.Data() + from, taken), from + taken};
}

const std::string& PathFor(host::ASPathName path) {
    Host& host = TheHost();
    const auto found = host.pathNames.find(HandleId(path));
    if (found == host.pathNames.end()) throw HostError(kErrBadHandle);
    return found->second;
}

const std::string& AtomText(host::ASAtom atom) {
    Host& host = TheHost();
    if (atom == host::kASAtomNull || atom >= host.atomNames.size())
        throw HostError(kErrBadParameter);
    return host.atomNames[atom];
}

host::ASAtom InternAtom(const std::string& text) {
    Host& host = TheHost();
    if (const auto found = host.atoms.find(text); found != host.atoms.end()) return found->second;
    if (host.atomNames.size() > 0xFFFF) throw HostError(kErrNoMemory);
    const auto atom = static_cast<host::ASAtom>(host.atomNames.size());
    host.atomNames.push_back(text);
    host.atoms.emplace(text, atom);
    return atom;
}

void CloseDocument(std::uint64_t id) { TheHost().documents.erase(id); }

bool CanFail(std::string_view operation) {
    return std::find(kNeverFail.begin(), kNeverFail.end(), operation) == kNeverFail.end();
}

void FailCall(std::string_view operation, int nthCall, host::ASErrorCode code) {
    if (!CanFail(operation)) return;
    TheHost().faults.push_back({std::string(operation), nthCall, FaultKind::kRaise, code});
}

void AnswerNull(std::string_view operation, int nthCall) {
    if (!CanFail(operation)) return;
    TheHost().faults.push_back({std::string(operation), nthCall, FaultKind::kAnswerNull, 0});
}

void ClearFaults() {
    TheHost().faults.clear();
    TheHost().actions.clear();
}

void WhenCalled(std::string_view operation, int nthCall, std::function<void()> action) {
    TheHost().actions.push_back({std::string(operation), nthCall, std::move(action)});
}

void ClearCallRecord() {
    Host& host = TheHost();
    host.callCounts.clear();
    host.trace.clear();
    host.reads.clear();
    host.requests.clear();
}

std::vector<std::string> CallTrace() { return TheHost().trace; }

std::vector<StreamRead> StreamReads() { return TheHost().reads; }

std::vector<TableRequest> TableRequests() { return TheHost().requests; }

host::ASProcedure CallbackProcedure(host::ASCallback callback) {
    const auto found = TheHost().callbacks.find(HandleId(callback));
    return found != TheHost().callbacks.end() ? found->second.procedure : nullptr;
}

OpenCounts CountOpen() {
    const Host& host = TheHost();
    OpenCounts counts;
    for (const auto& [id, document] : host.documents) counts.documents += !document->inView;
    counts.pathNames = static_cast<int>(host.pathNames.size());
    counts.streams = static_cast<int>(host.streams.size());
    counts.frames = static_cast<int>(host.frames.size());
    return counts;
}

void ResetHost() {
    Host& host = TheHost();
    host.frames.clear();
    host.handledCode = 0;
    host.documents.clear();
    host.streams.clear();
    host.pathNames.clear();
    host.callbacks.clear();
    host.views.clear();
    host.viewOrder.clear();
    ClearCallRecord();
    ClearFaults();
    host.tables = {};
    ResetBackend();
    ResetMenus();
}

host::AVDoc OpenView(const std::string& path, host::ASErrorCode* error) {
    try {
        auto document = std::make_unique<Document>();
        document->content = OpenContent(path, true);
        document->path = path;
        document->inView = true;
        Host& host = TheHost();
        const std::uint64_t documentId = NewId();
        const std::uint64_t viewId = NewId();
        host.documents.emplace(documentId, std::move(document));
        host.views.emplace(viewId, documentId);
        host.viewOrder.push_back(viewId);
        return MakeHandle<host::AVDoc>(viewId);
    } catch (const std::exception& failure) {
        if (error != nullptr) *error = ErrorCodeFor(failure);
        return nullptr;
    }
}

bool SaveView(host::AVDoc view, std::string& error) {
    const auto found = TheHost().views.find(HandleId(view));
    if (found == TheHost().views.end()) {
        error = "no such view";
        return false;
    }
    Document& document = *TheHost().documents.at(found->second);
    try {
        SaveContent(*document.content, document.path, true);
        return true;
    } catch (const std::exception& failure) {
        error = "Could not save " + document.path + ": " + failure.what();
        return false;
    }
}

void CloseView(host::AVDoc view) {
    Host& host = TheHost();
    const auto found = host.views.find(HandleId(view));
    if (found == host.views.end()) return;
    host.documents.erase(found->second);
    std::erase(host.viewOrder, found->first);
    host.views.erase(found);
}

}  // namespace plenvo::hostapp
