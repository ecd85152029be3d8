#pragma once

// The stand-in host's controls that belong to its qpdf document backend (Linux): the
// documents behind the handles, and how saves make their new file.

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include "host/HostTypes.h"

namespace plenvo::hostapp {

// Saves write their new file as on a file system without unnamed temporary files.
void RefuseUnnamedTempFiles(bool refuse);

// The qpdf document behind an open document handle, for the host's own look at it.
// Throws std::invalid_argument for a handle that is not open.
QPDF& DocumentPdf(host::PDDoc document);
QPDFObjectHandle CosObjectOf(host::CosObj object);

}  // namespace plenvo::hostapp
