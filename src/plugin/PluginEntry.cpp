#include "plugin/PluginEntry.h"

#include "host/HostFrame.h"
#include "plugin/Menus.h"
#include "plugin/PlenvoApp.h"

using plenvo::host::ASBool;

extern "C" std::int32_t PlugInMain(std::uint32_t hostHandshakeVersion,
                                   std::uint32_t* handshakeVersion,
                                   plenvo::host::PISetupProc* setupProc) {
    // An older host gets its own version back, and set-up then refuses it.
    *handshakeVersion = hostHandshakeVersion < plenvo::host::kHandshakeVersion
                            ? hostHandshakeVersion
                            : plenvo::host::kHandshakeVersion;
    *setupProc = &plenvo::HostSetup;
    return 1;
}

namespace plenvo {
namespace {

using namespace plenvo::host;

constexpr const char* kExtensionName = "CORVIX_Plenvo";
constexpr const char* kUserGuidePage = "Plenvo-User-Guide.html";
constexpr std::int32_t kMainHelpTopic = 1;

// The walk never reads the terminating 0.
constexpr std::size_t kFallbackWalkLength = FallbackVersions.size() - 1;

struct TableRequest {
    const char* name;
    HostTable table;
    ASVersion requestedVersion;
    bool optional;
};

// Every table is required, including the eight the plug-in never calls: a host without
// one of them is not the host the module was built for.
constexpr TableRequest kTableRequests[] = {
    {"Core", HostTable::kCore, MakeVersion(5, 0), false},
    {"Cos", HostTable::kCos, MakeVersion(6, 0), false},
    {"PDModel", HostTable::kPDModel, MakeVersion(6, 0), false},
    {"PDFEditWrite", HostTable::kPDFEditWrite, MakeVersion(6, 0), false},
    {"PDFEditRead", HostTable::kPDFEditRead, MakeVersion(6, 0), false},
    {"PDSysFont", HostTable::kPDSysFont, MakeVersion(4, 0), false},
    {"PagePDEContent", HostTable::kPagePDEContent, MakeVersion(6, 0), false},
    {"AcroView", HostTable::kAcroView, MakeVersion(6, 0), false},
    {"PDSWrite", HostTable::kPDSWrite, MakeVersion(6, 0), false},
    {"PDSRead", HostTable::kPDSRead, MakeVersion(6, 0), false},
    {"Win", HostTable::kWin, MakeVersion(5, 0), false},
    {"ASExtra", HostTable::kASExtra, MakeVersion(6, 0), false},
};

template <class Proc>
ASCallback MakeCallback(Proc procedure) {
    return ASCallbackCreate(gHostState.extensionId, reinterpret_cast<ASProcedure>(procedure));
}

bool AcquireGranted(const char* name, HostTable table, ASVersion requestedVersion) {
    GrantedTable& granted = gHostState[table];
    return AcquireHostTable(name, requestedVersion, &granted.version, &granted.table);
}

// "AcroSupport" first: the version queries of every later request go through it. It is
// taken at 6.0 only to ask its version, then asked for again at 8.0.
bool AcquireTables() {
    GrantedTable& support = gHostState[HostTable::kAcroSupport];
    support.table = ASExtensionMgrGetHFT(ASAtomFromString("AcroSupport"), MakeVersion(6, 0));
    if (support.table != nullptr) {
        support.version = MakeVersion(6, 0);
        support.version = HFTGetVersion(support.table);
    }
    AcquireGranted("AcroSupport", HostTable::kAcroSupport, MakeVersion(8, 0));
    if (support.version == kNoVersion) return false;

    for (const TableRequest& request : kTableRequests) {
        if (!AcquireGranted(request.name, request.table, request.requestedVersion) &&
            !request.optional) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool AcquireHostTable(const char* name, ASVersion requestedVersion, ASVersion* grantedVersion,
                      HFT* table) {
    const ASAtom atom = ASAtomFromString(name);
    HFT current = nullptr;
    // Only a host whose "AcroSupport" can tell versions is asked at the requested one.
    if (gHostState[HostTable::kAcroSupport].version >= MakeVersion(6, 0)) {
        current = ASExtensionMgrGetHFT(atom, requestedVersion);
        if (current != nullptr) {
            const ASVersion version = HFTGetVersion(current);
            if (version != kUnknownVersion) {
                *table = current;
                *grantedVersion = version;
                return version != kNoVersion;
            }
        }
    }
    for (std::size_t i = 0; i < kFallbackWalkLength; ++i) {
        const ASVersion fallback = FallbackVersions[i];
        if (fallback < requestedVersion) {
            // A table of a version the host cannot tell was had at the requested version,
            // so it is at least this one.
            *table = current;
            *grantedVersion = current != nullptr ? fallback : kNoVersion;
            return current != nullptr;
        }
        current = ASExtensionMgrGetHFT(atom, fallback);
        if (current != nullptr) {
            *table = current;
            *grantedVersion = fallback;
            return true;
        }
    }
    *table = nullptr;
    *grantedVersion = kNoVersion;
    return false;
}

ASBool HostSetup(std::uint32_t handshakeVersion, SetupRecord* record) {
    if (record == nullptr || handshakeVersion != kHandshakeVersion ||
        record->handshakeVersion != handshakeVersion || record->coreTable == nullptr) {
        return false;
    }
    gHostState.extensionId = record->extensionId;
    gHostState[HostTable::kCore] = {record->coreTable, kHandshakeVersion};
    try {
        HostFrame frame;
        if (!AcquireTables()) return false;
        record->handshakeCallback = MakeCallback(&HostHandshake);
        return true;
    } catch (...) {
        return false;
    }
}

ASBool HostHandshake(std::uint32_t handshakeVersion, HandshakeRecord* record) {
    if (record == nullptr || handshakeVersion != kHandshakeVersion) return false;
    try {
        HostFrame frame;
        const ASAtom name = ASAtomFromString(kExtensionName);
        const ASCallback exportCallback = MakeCallback(static_cast<PIExportProc>(&AlwaysTrue));
        const ASCallback initCallback = MakeCallback(&InitPlugin);
        const ASCallback unloadCallback = MakeCallback(&UnloadPlugin);
        // The record is written only once every callback exists, so a failed handshake
        // leaves it as the host filled it.
        record->extensionName = name;
        record->exportCallback = exportCallback;
        record->importReplaceRegisterCallback = nullptr;
        record->initCallback = initCallback;
        record->unloadCallback = unloadCallback;
        return true;
    } catch (...) {
        return false;
    }
}

ASBool AlwaysTrue() { return true; }

ASBool AlwaysTrue(void*) { return true; }

ASBool InitPlugin() {
    try {
        if (CPlenvoApp* app = ThePlenvoApp()) app->Help().SetTopicPage(kMainHelpTopic, kUserGuidePage);
        HostFrame frame;
        return BuildMenus();
    } catch (...) {
        return false;
    }
}

ASBool UnloadPlugin() {
    try {
        RemoveCommandItems();
    } catch (...) {
    }
    return true;
}

}  // namespace plenvo
