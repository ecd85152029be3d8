#include "support/HostFixture.h"

#include <string>

#include "host/HostFrame.h"

namespace plenvo::test {

void InstallHost() {
    hostapp::ResetHost();
    hostapp::GrantAllTables(host::gHostState);
}

host::ASErrorCode RaisedBy(const std::function<void()>& call) {
    try {
        host::HostFrame frame;
        call();
    } catch (const host::HostRaise&) {
        return host::ASGetExceptionErrorCode();
    }
    return 0;
}

OpenedDocument::OpenedDocument(const std::string& path) {
    using namespace plenvo::host;
    fileSys_ = ASGetDefaultFileSys();
    path_ = ASFileSysCreatePathName(fileSys_, ASAtomFromString("Cstring"), path.c_str(), nullptr);
    document_ = PDDocOpen(path_, fileSys_, nullptr, true);
}

OpenedDocument::~OpenedDocument() {
    using namespace plenvo::host;
    if (document_ != nullptr) PDDocClose(document_);
    if (path_ != nullptr) ASFileSysReleasePath(fileSys_, path_);
}

}  // namespace plenvo::test
