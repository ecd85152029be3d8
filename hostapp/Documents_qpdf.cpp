// The document backend over qpdf: documents are PDF files, opened with qpdf and saved
// over the file they replace without ever losing it.

#include "Documents_qpdf.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <stdexcept>
#include <string_view>

#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFSystemError.hh>
#include <qpdf/QPDFWriter.hh>

#include "HostControl_qpdf.h"
#include "SafeSave.h"

namespace plenvo::hostapp {
namespace {

// Where a PDF header may start: anything before it is junk that readers skip.
constexpr std::size_t kHeaderWindow = 1024;

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

}  // namespace

void DeleteContent::operator()(DocumentContent* content) const { delete content; }

ContentPtr OpenContent(const std::string& path, bool repair) {
    ContentPtr content(new DocumentContent);
    content->pdf = OpenPdf(path, repair);
    return content;
}

void SaveContent(DocumentContent& content, const std::string& target, bool linearize) {
    SaveOver(target, [&](std::FILE* file) {
        try {
            QPDFWriter writer(*content.pdf);
            writer.setOutputFile(target.c_str(), file, false);
            writer.setLinearization(linearize);
            writer.write();
        } catch (const QPDFSystemError& failure) {
            throw HostError(CodeForErrno(failure.getErrno(), kErrFileWrite));
        }
    });
}

std::optional<host::ASErrorCode> ContentErrorCode(const std::exception& failure) {
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
    return std::nullopt;
}

void ResetBackend() { RefuseUnnamedTempFiles(false); }

QPDF& PdfOf(std::uint64_t documentId) { return *DocumentFor(documentId).content->pdf; }

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

host::CosObj AddObject(std::uint64_t documentId, QPDFObjectHandle object) {
    std::vector<QPDFObjectHandle>& objects = DocumentFor(documentId).content->objects;
    objects.push_back(std::move(object));
    return MakeHandle<host::CosObj>((documentId << 32) | objects.size());
}

ObjectRef ResolveObject(host::CosObj handle) {
    const std::uint64_t id = HandleId(handle);
    if (id == kNullObjectId) return {0, QPDFObjectHandle::newNull()};
    const std::uint64_t documentId = id >> 32;
    const std::uint64_t index = id & 0xFFFFFFFFu;
    if (documentId == 0) throw HostError(kErrBadHandle);
    const std::vector<QPDFObjectHandle>& objects = DocumentFor(documentId).content->objects;
    if (index == 0 || index > objects.size()) throw HostError(kErrBadHandle);
    return {documentId, objects[index - 1]};
}

QPDF& DocumentPdf(host::PDDoc document) {
    const auto found = TheHost().documents.find(HandleId(document));
    if (found == TheHost().documents.end()) throw std::invalid_argument("no such document");
    return *found->second->content->pdf;
}

QPDFObjectHandle CosObjectOf(host::CosObj object) {
    try {
        return ResolveObject(object).object;
    } catch (const HostError&) {
        throw std::invalid_argument("no such object");
    }
}

}  // namespace plenvo::hostapp
