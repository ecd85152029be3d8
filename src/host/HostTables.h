#pragma once

// The host's function tables: their names, their entry numbering, and the type of every
// entry. The host fills its tables from these definitions and the plug-in calls through
// them, so an entry's number and type are written down once.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "host/HostTypes.h"

namespace plenvo::host {

// Every table the plug-in acquires. Only Core, Cos, PDModel, AcroView and AcroSupport
// are ever called; the others must merely be granted.
enum class HostTable : std::uint8_t {
    kCore,
    kCos,
    kPDModel,
    kPDFEditWrite,
    kPDFEditRead,
    kPDSysFont,
    kPagePDEContent,
    kAcroView,
    kPDSWrite,
    kPDSRead,
    kWin,
    kASExtra,
    kAcroSupport,
};
inline constexpr std::size_t kHostTableCount = 13;

inline constexpr std::array<std::string_view, kHostTableCount> kHostTableNames = {
    "Core",           "Cos",      "PDModel",  "PDFEditWrite", "PDFEditRead", "PDSysFont",
    "PagePDEContent", "AcroView", "PDSWrite", "PDSRead",      "Win",         "ASExtra",
    "AcroSupport",
};

constexpr std::string_view HostTableName(HostTable table) {
    return kHostTableNames[static_cast<std::size_t>(table)];
}

// One entry of one table: where it lives and what type it has.
template <HostTable Table, std::size_t Index, class Proc>
struct HostEntry {
    static_assert(Index > 0, "slot 0 of every table stays null");
    static constexpr HostTable kTable = Table;
    static constexpr std::size_t kIndex = Index;
    using ProcType = Proc;
};

namespace core {
template <std::size_t I, class P>
using Entry = HostEntry<HostTable::kCore, I, P>;
using ASPushExceptionFrame = Entry<1, void (*)(void* frame, ASRestoreProc restore)>;
using ASPopExceptionFrame = Entry<2, void (*)()>;
using ASGetExceptionErrorCode = Entry<3, ASErrorCode (*)()>;
using ASAtomFromString = Entry<4, ASAtom (*)(const char* text)>;
using ASCallbackCreate = Entry<5, ASCallback (*)(ASExtension owner, ASProcedure procedure)>;
using ASExtensionMgrGetHFT = Entry<6, HFT (*)(ASAtom name, ASVersion version)>;
inline constexpr std::size_t kSlotCount = 7;
}  // namespace core

namespace cos {
template <std::size_t I, class P>
using Entry = HostEntry<HostTable::kCos, I, P>;
using CosDocGetRoot = Entry<1, CosObj (*)(CosDoc document)>;
using CosDictKnown = Entry<2, ASBool (*)(CosObj dict, ASAtom key)>;
using CosDictGet = Entry<3, CosObj (*)(CosObj dict, ASAtom key)>;
using CosDictPut = Entry<4, void (*)(CosObj dict, ASAtom key, CosObj value)>;
using CosObjGetType = Entry<5, CosType (*)(CosObj object)>;
using CosStreamOpenStm = Entry<6, ASStm (*)(CosObj stream, CosStreamOpenMode mode)>;
using CosNewName = Entry<7, CosObj (*)(CosDoc document, ASBool indirect, ASAtom name)>;
using CosNewDict = Entry<8, CosObj (*)(CosDoc document, ASBool indirect, std::int32_t entries)>;
using CosNewNull = Entry<9, CosObj (*)()>;
// With `sourceLengthKnown` false the host reads `source` to its end and `sourceLength`
// is only a size hint; either way the host has taken the data when the call returns.
using CosNewStream =
    Entry<10, CosObj (*)(CosDoc document, ASBool indirect, ASStm source, std::int64_t sourceStart,
                         ASBool sourceLengthKnown, CosObj attributes, CosObj encodeParams,
                         std::int64_t sourceLength)>;
inline constexpr std::size_t kSlotCount = 11;
}  // namespace cos

namespace pdmodel {
template <std::size_t I, class P>
using Entry = HostEntry<HostTable::kPDModel, I, P>;
using PDDocGetCosDoc = Entry<1, CosDoc (*)(PDDoc document)>;
using PDDocOpen =
    Entry<2, PDDoc (*)(ASPathName path, ASFileSys fileSys, PDAuthProc authProc, ASBool repair)>;
using PDDocSave =
    Entry<3, void (*)(PDDoc document, PDSaveFlags flags, ASPathName path, ASFileSys fileSys,
                      ASProgressMonitor monitor, void* monitorData)>;
using PDDocClose = Entry<4, void (*)(PDDoc document)>;
inline constexpr std::size_t kSlotCount = 5;
}  // namespace pdmodel

namespace acroview {
template <std::size_t I, class P>
using Entry = HostEntry<HostTable::kAcroView, I, P>;
using AVAppGetActiveDoc = Entry<1, AVDoc (*)()>;
using AVDocGetPDDoc = Entry<2, PDDoc (*)(AVDoc view)>;
using AVAppGetMenubar = Entry<3, AVMenubar (*)()>;
using AVMenubarAcquireMenuByName = Entry<4, AVMenu (*)(AVMenubar menubar, const char* name)>;
using AVMenuGetNumMenuItems = Entry<5, std::int32_t (*)(AVMenu menu)>;
using AVMenuAcquireMenuItemByIndex = Entry<6, AVMenuItem (*)(AVMenu menu, std::int32_t index)>;
using AVMenuItemGetName = Entry<7, ASAtom (*)(AVMenuItem item)>;
using AVMenuItemAcquireSubmenu = Entry<8, AVMenu (*)(AVMenuItem item)>;
using AVMenuItemRelease = Entry<9, void (*)(AVMenuItem item)>;
using AVMenuNew = Entry<10, AVMenu (*)(const char* title, const char* name, ASExtension owner)>;
using AVMenuItemNew =
    Entry<11,
          AVMenuItem (*)(const char* title, const char* name, AVMenu submenu, ASBool longMenusOnly,
                         char shortcut, std::uint16_t flags, AVIcon icon, ASExtension owner)>;
using AVMenuAddMenuItem = Entry<12, void (*)(AVMenu menu, AVMenuItem item, std::int32_t position)>;
using AVMenuItemSetExecuteProc =
    Entry<13, void (*)(AVMenuItem item, ASCallback procedure, void* clientData)>;
using AVMenuItemSetComputeEnabledProc =
    Entry<14, void (*)(AVMenuItem item, ASCallback procedure, void* clientData)>;
using AVMenuRelease = Entry<15, void (*)(AVMenu menu)>;
using AVMenuItemRemove = Entry<16, void (*)(AVMenuItem item)>;
inline constexpr std::size_t kSlotCount = 17;
}  // namespace acroview

namespace acrosupport {
template <std::size_t I, class P>
using Entry = HostEntry<HostTable::kAcroSupport, I, P>;
// Reads up to `itemCount` items of `itemSize` bytes; answers the items read, 0 at the end.
using ASStmRead = Entry<1, std::int32_t (*)(char* buffer, std::uint32_t itemSize,
                                            std::uint32_t itemCount, ASStm stream)>;
using ASStmClose = Entry<2, void (*)(ASStm stream)>;
// A read stream over the caller's bytes, which must stay in place until the stream closes.
using ASMemStmRdOpen = Entry<3, ASStm (*)(const char* bytes, std::size_t length)>;
using ASGetDefaultFileSys = Entry<4, ASFileSys (*)()>;
using ASFileSysCreatePathName =
    Entry<5, ASPathName (*)(ASFileSys fileSys, ASAtom pathType, const void* pathSpec,
                            const void* mustBeNull)>;
using ASFileSysReleasePath = Entry<6, void (*)(ASFileSys fileSys, ASPathName path)>;
// Writes the code's text, cut to fit and zero-terminated, into the buffer and answers it.
using ASGetErrorString =
    Entry<7, const char* (*)(ASErrorCode code, char* buffer, std::size_t bufferSize)>;
using HFTGetVersion = Entry<8, ASVersion (*)(HFT table)>;
inline constexpr std::size_t kSlotCount = 9;
}  // namespace acrosupport

}  // namespace plenvo::host
