#pragma once

// What the qpdf backend's files share: a document's qpdf object and the Cos handles given
// out for its objects. Internal to hostapp.

#include <cstdint>
#include <memory>
#include <vector>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include "HostRuntime.h"

namespace plenvo::hostapp {

struct DocumentContent {
    std::unique_ptr<QPDF> pdf;
    std::vector<QPDFObjectHandle> objects;  // what its CosObj handles name, from index 1
};

// The qpdf document of an open document; throws HostError(kErrBadHandle) when not open.
QPDF& PdfOf(std::uint64_t documentId);

// The code for a system error number, `otherwise` for one without a code of its own.
host::ASErrorCode CodeForErrno(int error, host::ASErrorCode otherwise);

// Cos objects: a handle holds its document's id in the high half and the object's index
// in the low half. The null object belongs to no document.
inline constexpr std::uint64_t kNullObjectId = 1;
host::CosObj AddObject(std::uint64_t documentId, QPDFObjectHandle object);
struct ObjectRef {
    std::uint64_t documentId = 0;  // 0 for the null object
    QPDFObjectHandle object;
};
ObjectRef ResolveObject(host::CosObj handle);

}  // namespace plenvo::hostapp
