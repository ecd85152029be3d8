#pragma once

// The scalar types, handles and records that pass between the plug-in and the viewer
// host. The host's side and the plug-in's side are built from these same definitions.
// Nothing here includes windows.h: the layout is fixed by width, not by platform headers.

#include <cstddef>
#include <cstdint>

namespace plenvo::host {

static_assert(sizeof(void*) == 8, "the host interface is 64-bit only");

using ASAtom = std::uint16_t;      // a string interned by the host; equal text, equal atom
using ASBool = std::uint16_t;      // 0 false, anything else true
using ASErrorCode = std::int32_t;  // the code a host exception carries
using ASVersion = std::uint32_t;   // major in the high 16 bits, minor in the low 16

inline constexpr ASAtom kASAtomNull = 0;
inline constexpr ASVersion kNoVersion = 0;
inline constexpr ASVersion kUnknownVersion = 0xFFFFFFFFu;

constexpr ASVersion MakeVersion(std::uint16_t major, std::uint16_t minor) {
    return (static_cast<ASVersion>(major) << 16) | minor;
}

// Opaque handles. The host gives them out and the plug-in only hands them back.
using ASExtension = struct ASExtensionOpaque*;
using ASCallback = struct ASCallbackOpaque*;
using ASStm = struct ASStmOpaque*;
using ASFileSys = struct ASFileSysOpaque*;
using ASPathName = struct ASPathNameOpaque*;
using PDDoc = struct PDDocOpaque*;
using CosDoc = struct CosDocOpaque*;
using CosObj = struct CosObjOpaque*;
using AVDoc = struct AVDocOpaque*;
using AVMenubar = struct AVMenubarOpaque*;
using AVMenu = struct AVMenuOpaque*;
using AVMenuItem = struct AVMenuItemOpaque*;
using AVIcon = struct AVIconOpaque*;

// Any procedure handed to the host; the host keeps it and calls it with its real type.
using ASProcedure = void (*)();

// A host function table: an array of entry pointers, each cast back to its own type by
// the caller. Every table numbers its entries from 1; slot 0 is always null, so a
// zero-filled entry number never reaches an operation.
using HFTEntry = ASProcedure;
using HFT = const HFTEntry*;

// Called by the host with the frame it was pushed with when a host exception is raised.
// It must not return to the host: the plug-in's restore procedure throws.
using ASRestoreProc = void (*)(void* frame);

// Menu item procedures, called with the client data registered beside them.
using AVExecuteProc = void (*)(void* clientData);
using AVComputeEnabledProc = ASBool (*)(void* clientData);

// Asked by the host for a password while a document opens; unused by the plug-in.
using PDAuthProc = ASBool (*)(PDDoc document);
// Told by the host how far a save has got; unused by the plug-in.
using ASProgressMonitor = void*;

// Object types as CosObjGetType answers them.
using CosType = std::int32_t;
inline constexpr CosType kCosNull = 0;
inline constexpr CosType kCosInteger = 1;
inline constexpr CosType kCosReal = 2;
inline constexpr CosType kCosBoolean = 3;
inline constexpr CosType kCosName = 4;
inline constexpr CosType kCosString = 5;
inline constexpr CosType kCosDict = 6;
inline constexpr CosType kCosArray = 7;
inline constexpr CosType kCosStream = 8;

// CosStreamOpenStm modes: the bytes as stored, or with every filter undone.
using CosStreamOpenMode = std::int32_t;
inline constexpr CosStreamOpenMode kCosOpenRaw = 0;
inline constexpr CosStreamOpenMode kCosOpenDecoded = 2;

// PDDocSave flags.
using PDSaveFlags = std::uint32_t;
inline constexpr PDSaveFlags kPDSaveFull = 0x01;
inline constexpr PDSaveFlags kPDSaveLinearized = 0x04;

// Where AVMenuAddMenuItem puts an item when the position is past the end.
inline constexpr std::int32_t kAVMenuAppend = 9999;

// The set-up record the host hands to the plug-in's set-up procedure.
struct SetupRecord {
    std::uint32_t handshakeVersion;
    ASExtension extensionId;
    HFT coreTable;
    ASCallback handshakeCallback;  // written by the plug-in
};
static_assert(offsetof(SetupRecord, handshakeVersion) == 0);
static_assert(offsetof(SetupRecord, extensionId) == 8);
static_assert(offsetof(SetupRecord, coreTable) == 16);
static_assert(offsetof(SetupRecord, handshakeCallback) == 24);

// The handshake record the host hands to the plug-in's handshake callback.
struct HandshakeRecord {
    std::uint8_t hostOwned[6];  // the host's; the plug-in neither reads nor writes it
    ASAtom extensionName;
    ASCallback exportCallback;
    ASCallback importReplaceRegisterCallback;
    ASCallback initCallback;
    ASCallback unloadCallback;
};
static_assert(offsetof(HandshakeRecord, extensionName) == 6);
static_assert(offsetof(HandshakeRecord, exportCallback) == 8);
static_assert(offsetof(HandshakeRecord, importReplaceRegisterCallback) == 16);
static_assert(offsetof(HandshakeRecord, initCallback) == 24);
static_assert(offsetof(HandshakeRecord, unloadCallback) == 32);

inline constexpr std::uint32_t kHandshakeVersion = 0x20000;

// The plug-in's side of loading, in the order the host calls it: the module's one export,
// the set-up procedure it answers with, the handshake callback set-up registers, and the
// callbacks the handshake registers.
using PISetupProc = ASBool (*)(std::uint32_t handshakeVersion, SetupRecord* record);
using PIHandshakeProc = ASBool (*)(std::uint32_t handshakeVersion, HandshakeRecord* record);
using PIExportProc = ASBool (*)();
using PIInitProc = ASBool (*)();
using PIUnloadProc = ASBool (*)();
using PlugInMainProc = std::int32_t (*)(std::uint32_t hostHandshakeVersion,
                                        std::uint32_t* handshakeVersion, PISetupProc* setupProc);
inline constexpr const char* kPlugInMainName = "PlugInMain";

}  // namespace plenvo::host
