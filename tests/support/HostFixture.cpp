#include "support/HostFixture.h"

#include <string>

#include "host/HostCalls.h"

namespace plenvo::test {

void InstallHost() {
    using namespace plenvo::host;
    hostapp::ResetHost();
    gHostState = HostState{};
    gHostState.extensionId = hostapp::ExtensionIdentity();
    gHostState[HostTable::kCore] = {hostapp::CoreTable(), kHandshakeVersion};

    // AcroSupport first: it answers the version queries for the rest.
    const auto grant = [](HostTable table) {
        const std::string name(HostTableName(table));
        const HFT granted = ASExtensionMgrGetHFT(ASAtomFromString(name.c_str()), MakeVersion(6, 0));
        gHostState[table] = {granted, kNoVersion};
        if (granted != nullptr) gHostState[table].version = HFTGetVersion(granted);
    };
    grant(HostTable::kAcroSupport);
    for (std::size_t i = 0; i < kHostTableCount; ++i) grant(static_cast<HostTable>(i));
    hostapp::ClearCallRecord();
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
