#pragma once

// The module's entry and its handshake with the host: the one export, the set-up that
// acquires the host's tables, the handshake that names the plug-in and registers its
// life-cycle callbacks, and those callbacks. The host calls them in that order, one at a
// time, on its user-interface thread. None lets an exception out; the ones that answer a
// boolean answer false on any failure, silently.

#include <array>
#include <cstdint>

#include "host/HostTypes.h"

#ifdef _WIN32
#define PLENVO_MODULE_EXPORT __declspec(dllexport)
#else
#define PLENVO_MODULE_EXPORT __attribute__((visibility("default")))
#endif

// The module's only export. Answers the host's handshake version, capped at 2.0, and the
// set-up procedure; always true.
extern "C" PLENVO_MODULE_EXPORT std::int32_t PlugInMain(
    std::uint32_t hostHandshakeVersion, std::uint32_t* handshakeVersion,
    plenvo::host::PISetupProc* setupProc);

namespace plenvo {

// The versions a table refused at its requested version (or of a version the host cannot
// tell) is asked for again, newest first; only those at or above the request are asked.
inline constexpr std::array<host::ASVersion, 8> FallbackVersions = {
    0x50001, 0x50000, 0x40005, 0x40000, 0x20003, 0x20002, 0x20001, 0};

// Keeps the extension identity and acquires "AcroSupport" and the twelve listed tables
// into the module's host state. False for a version other than 2.0 on either side of the
// record, or for a table the host does not grant; what was granted before stays.
host::ASBool HostSetup(std::uint32_t handshakeVersion, host::SetupRecord* record);

// Asks the host for a table at `requestedVersion`, then down the fallback versions at or
// above it. Writes the table and the version it was granted under (null and 0 when none)
// and answers whether it was granted; a table reported at version 0 is not.
bool AcquireHostTable(const char* name, host::ASVersion requestedVersion,
                      host::ASVersion* grantedVersion, host::HFT* table);

// Names the plug-in "CORVIX_Plenvo" and registers its export, initialisation and unload
// callbacks in the record. False, with the record untouched, for a version other than 2.0.
host::ASBool HostHandshake(std::uint32_t handshakeVersion, host::HandshakeRecord* record);

// The export callback (the plug-in exports no tables) and the enable procedure of the
// items that are always available.
host::ASBool AlwaysTrue();
host::ASBool AlwaysTrue(void* clientData);

// Registers the user guide as help topic 1 and builds the menus; true when they stand.
host::ASBool InitPlugin();

// Takes the plug-in's command items out of the menus; always true, and a second call
// does nothing.
host::ASBool UnloadPlugin();

}  // namespace plenvo
