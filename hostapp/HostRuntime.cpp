#include "HostRuntime.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFSystemError.hh>

namespace plenvo::hostapp {
namespace {

// Operations that make up the exception mechanism itself; failing them would leave the
// plug-in no way to learn of the failure.
constexpr std::array<std::string_view, 3> kNeverFail = {
    "ASPushExceptionFrame", "ASPopExceptionFrame", "ASGetExceptionErrorCode"};

// Where a PDF header may start: anything before it is junk that readers skip.
constexpr std::size_t kHeaderWindow = 1024;

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

host::ASErrorCode CodeForErrno(int error, host::ASErrorCode otherwise) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return kErrFileNotFound;
        case EACCES:
        case EPERM:
            return kErrAccessDenied;
        case EROFS:
            return kErrReadOnly;
        case ENOSPC:
        case EDQUOT:
            return kErrDiskFull;
        case ENAMETOOLONG:
            return kErrNameTooLong;
        case EISDIR:
            return kErrNotAFile;
        case ENOMEM:
            return kErrNoMemory;
        default:
            return otherwise;
    }
}

host::ASErrorCode ErrorCodeFor(const std::exception& failure) {
    if (const auto* own = dynamic_cast<const HostError*>(&failure)) return own->Code();
    if (const auto* system = dynamic_cast<const QPDFSystemError*>(&failure)) {
        return CodeForErrno(system->getErrno(), kErrFileRead);
    }
    if (const auto* pdf = dynamic_cast<const QPDFExc*>(&failure)) {
        switch (pdf->getErrorCode()) {
            case qpdf_e_password:
                return kErrPassword;
            case qpdf_e_damaged_pdf:
            case qpdf_e_pages:
            case qpdf_e_object:
                return kErrDamaged;
            case qpdf_e_unsupported:
                return kErrNotSupported;
            case qpdf_e_system:
                return kErrFileRead;
            default:
                return kErrGeneral;
        }
    }
    if (dynamic_cast<const std::bad_alloc*>(&failure) != nullptr) return kErrNoMemory;
    return kErrGeneral;
}

FaultKind EnterOperation(const char* name, host::ASErrorCode& code) {
    Host& host = TheHost();
    host.trace.emplace_back(name);
    const int call = ++host.callCounts[name];
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

const std::string& PathFor(host::ASPathName path) {
    Host& host = TheHost();
    const auto found = host.pathNames.find(HandleId(path));
    if (found == host.pathNames.end()) throw HostError(kErrBadHandle);
    return found->second;
}

host::CosObj AddObject(std::uint64_t documentId, QPDFObjectHandle object) {
    Document& document = DocumentFor(documentId);
    document.objects.push_back(std::move(object));
    return MakeHandle<host::CosObj>((documentId << 32) | document.objects.size());
}

ObjectRef ResolveObject(host::CosObj handle) {
    const std::uint64_t id = HandleId(handle);
    if (id == kNullObjectId) return {0, QPDFObjectHandle::newNull()};
    const std::uint64_t documentId = id >> 32;
    const std::uint64_t index = id & 0xFFFFFFFFu;
    if (documentId == 0) throw HostError(kErrBadHandle);
    Document& document = DocumentFor(documentId);
    if (index == 0 || index > document.objects.size()) throw HostError(kErrBadHandle);
    return {documentId, document.objects[index - 1]};
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

std::unique_ptr<QPDF> OpenPdf(const std::string& path, bool repair) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw HostError(CodeForErrno(errno, kErrFileRead));
    FILE* raw = ::fdopen(fd, "rb");
    if (raw == nullptr) {
        ::close(fd);
        throw HostError(kErrFileRead);
    }
    std::unique_ptr<FILE, int (*)(FILE*)> file(raw, &std::fclose);

    struct stat info {};
    if (::fstat(fd, &info) != 0) throw HostError(CodeForErrno(errno, kErrFileRead));
    if (!S_ISREG(info.st_mode)) throw HostError(kErrNotAFile);

    // qpdf would take any file for a damaged PDF and try to rebuild it.
    std::array<char, kHeaderWindow> head{};
    const std::size_t got = std::fread(head.data(), 1, head.size(), file.get());
    if (std::ferror(file.get())) throw HostError(kErrFileRead);
    const std::string_view start(head.data(), got);
    if (start.find("%PDF-") == std::string_view::npos) throw HostError(kErrNotPdf);
    std::rewind(file.get());

    auto pdf = std::make_unique<QPDF>();
    pdf->setSuppressWarnings(true);
    pdf->setAttemptRecovery(repair);
    pdf->processFile(path.c_str(), file.release(), true);
    if (!pdf->getRoot().isDictionary()) throw HostError(kErrDamaged);
    return pdf;
}

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

void ClearFaults() { TheHost().faults.clear(); }

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

void RefuseUnnamedTempFiles(bool refuse) { TheHost().refuseUnnamedTempFiles = refuse; }

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
    host.faults.clear();
    host.tables = {};
    host.refuseUnnamedTempFiles = false;
    ResetMenus();
}

QPDF& DocumentPdf(host::PDDoc document) {
    const auto found = TheHost().documents.find(HandleId(document));
    if (found == TheHost().documents.end()) throw std::invalid_argument("no such document");
    return *found->second->pdf;
}

QPDFObjectHandle CosObjectOf(host::CosObj object) {
    try {
        return ResolveObject(object).object;
    } catch (const HostError&) {
        throw std::invalid_argument("no such object");
    }
}

host::AVDoc OpenView(const std::string& path, host::ASErrorCode* error) {
    try {
        auto document = std::make_unique<Document>();
        document->pdf = OpenPdf(path, true);
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
        WriteDocumentOver(*document.pdf, document.path, true);
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
