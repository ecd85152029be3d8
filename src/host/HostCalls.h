#pragma once

// The host operations as the plug-in calls them: each one looks up its entry in the table
// granted at set-up and calls it. A failing operation does not return: the host raises a
// host exception through the innermost HostFrame (host/HostFrame.h).

#include <utility>

#include "host/HostState.h"
#include "host/HostTables.h"

namespace plenvo::host {

// Set-up grants every table before the host calls anything else, so the table is there.
template <class Entry, class... Args>
decltype(auto) CallHost(Args&&... args) {
    const HFT table = gHostState[Entry::kTable].table;
    const auto proc = reinterpret_cast<typename Entry::ProcType>(table[Entry::kIndex]);
    return proc(std::forward<Args>(args)...);
}

// Core
inline void ASPushExceptionFrame(void* frame, ASRestoreProc restore) {
    CallHost<core::ASPushExceptionFrame>(frame, restore);
}
inline void ASPopExceptionFrame() { CallHost<core::ASPopExceptionFrame>(); }
inline ASErrorCode ASGetExceptionErrorCode() { return CallHost<core::ASGetExceptionErrorCode>(); }
inline ASAtom ASAtomFromString(const char* text) { return CallHost<core::ASAtomFromString>(text); }
inline ASCallback ASCallbackCreate(ASExtension owner, ASProcedure procedure) {
    return CallHost<core::ASCallbackCreate>(owner, procedure);
}
inline HFT ASExtensionMgrGetHFT(ASAtom name, ASVersion version) {
    return CallHost<core::ASExtensionMgrGetHFT>(name, version);
}

// Cos
inline CosObj CosDocGetRoot(CosDoc document) { return CallHost<cos::CosDocGetRoot>(document); }
inline bool CosDictKnown(CosObj dict, ASAtom key) {
    return CallHost<cos::CosDictKnown>(dict, key) != 0;
}
inline CosObj CosDictGet(CosObj dict, ASAtom key) { return CallHost<cos::CosDictGet>(dict, key); }
inline void CosDictPut(CosObj dict, ASAtom key, CosObj value) {
    CallHost<cos::CosDictPut>(dict, key, value);
}
inline CosType CosObjGetType(CosObj object) { return CallHost<cos::CosObjGetType>(object); }
inline ASStm CosStreamOpenStm(CosObj stream, CosStreamOpenMode mode) {
    return CallHost<cos::CosStreamOpenStm>(stream, mode);
}
inline CosObj CosNewName(CosDoc document, bool indirect, ASAtom name) {
    return CallHost<cos::CosNewName>(document, ASBool{indirect}, name);
}
inline CosObj CosNewDict(CosDoc document, bool indirect, std::int32_t entries) {
    return CallHost<cos::CosNewDict>(document, ASBool{indirect}, entries);
}
inline CosObj CosNewNull() { return CallHost<cos::CosNewNull>(); }
inline CosObj CosNewStream(CosDoc document, bool indirect, ASStm source, std::int64_t sourceStart,
                           bool sourceLengthKnown, CosObj attributes, CosObj encodeParams,
                           std::int64_t sourceLength) {
    return CallHost<cos::CosNewStream>(document, ASBool{indirect}, source, sourceStart,
                                       ASBool{sourceLengthKnown}, attributes, encodeParams,
                                       sourceLength);
}

// PDModel
inline CosDoc PDDocGetCosDoc(PDDoc document) { return CallHost<pdmodel::PDDocGetCosDoc>(document); }
inline PDDoc PDDocOpen(ASPathName path, ASFileSys fileSys, PDAuthProc authProc, bool repair) {
    return CallHost<pdmodel::PDDocOpen>(path, fileSys, authProc, ASBool{repair});
}
inline void PDDocSave(PDDoc document, PDSaveFlags flags, ASPathName path, ASFileSys fileSys,
                      ASProgressMonitor monitor, void* monitorData) {
    CallHost<pdmodel::PDDocSave>(document, flags, path, fileSys, monitor, monitorData);
}
inline void PDDocClose(PDDoc document) { CallHost<pdmodel::PDDocClose>(document); }

// AcroView
inline AVDoc AVAppGetActiveDoc() { return CallHost<acroview::AVAppGetActiveDoc>(); }
inline PDDoc AVDocGetPDDoc(AVDoc view) { return CallHost<acroview::AVDocGetPDDoc>(view); }
inline AVMenubar AVAppGetMenubar() { return CallHost<acroview::AVAppGetMenubar>(); }
inline AVMenu AVMenubarAcquireMenuByName(AVMenubar menubar, const char* name) {
    return CallHost<acroview::AVMenubarAcquireMenuByName>(menubar, name);
}
inline std::int32_t AVMenuGetNumMenuItems(AVMenu menu) {
    return CallHost<acroview::AVMenuGetNumMenuItems>(menu);
}
inline AVMenuItem AVMenuAcquireMenuItemByIndex(AVMenu menu, std::int32_t index) {
    return CallHost<acroview::AVMenuAcquireMenuItemByIndex>(menu, index);
}
inline ASAtom AVMenuItemGetName(AVMenuItem item) {
    return CallHost<acroview::AVMenuItemGetName>(item);
}
inline AVMenu AVMenuItemAcquireSubmenu(AVMenuItem item) {
    return CallHost<acroview::AVMenuItemAcquireSubmenu>(item);
}
inline void AVMenuItemRelease(AVMenuItem item) { CallHost<acroview::AVMenuItemRelease>(item); }
inline AVMenu AVMenuNew(const char* title, const char* name, ASExtension owner) {
    return CallHost<acroview::AVMenuNew>(title, name, owner);
}
inline AVMenuItem AVMenuItemNew(const char* title, const char* name, AVMenu submenu,
                                bool longMenusOnly, char shortcut, std::uint16_t flags, AVIcon icon,
                                ASExtension owner) {
    return CallHost<acroview::AVMenuItemNew>(title, name, submenu, ASBool{longMenusOnly}, shortcut,
                                             flags, icon, owner);
}
inline void AVMenuAddMenuItem(AVMenu menu, AVMenuItem item, std::int32_t position) {
    CallHost<acroview::AVMenuAddMenuItem>(menu, item, position);
}
inline void AVMenuItemSetExecuteProc(AVMenuItem item, ASCallback procedure, void* clientData) {
    CallHost<acroview::AVMenuItemSetExecuteProc>(item, procedure, clientData);
}
inline void AVMenuItemSetComputeEnabledProc(AVMenuItem item, ASCallback procedure,
                                            void* clientData) {
    CallHost<acroview::AVMenuItemSetComputeEnabledProc>(item, procedure, clientData);
}
inline void AVMenuRelease(AVMenu menu) { CallHost<acroview::AVMenuRelease>(menu); }
inline void AVMenuItemRemove(AVMenuItem item) { CallHost<acroview::AVMenuItemRemove>(item); }

// AcroSupport
inline std::int32_t ASStmRead(char* buffer, std::uint32_t itemSize, std::uint32_t itemCount,
                              ASStm stream) {
    return CallHost<acrosupport::ASStmRead>(buffer, itemSize, itemCount, stream);
}
inline void ASStmClose(ASStm stream) { CallHost<acrosupport::ASStmClose>(stream); }
inline ASStm ASMemStmRdOpen(const char* bytes, std::size_t length) {
    return CallHost<acrosupport::ASMemStmRdOpen>(bytes, length);
}
inline ASFileSys ASGetDefaultFileSys() { return CallHost<acrosupport::ASGetDefaultFileSys>(); }
inline ASPathName ASFileSysCreatePathName(ASFileSys fileSys, ASAtom pathType, const void* pathSpec,
                                          const void* mustBeNull) {
    return CallHost<acrosupport::ASFileSysCreatePathName>(fileSys, pathType, pathSpec, mustBeNull);
}
inline void ASFileSysReleasePath(ASFileSys fileSys, ASPathName path) {
    CallHost<acrosupport::ASFileSysReleasePath>(fileSys, path);
}
inline const char* ASGetErrorString(ASErrorCode code, char* buffer, std::size_t bufferSize) {
    return CallHost<acrosupport::ASGetErrorString>(code, buffer, bufferSize);
}
inline ASVersion HFTGetVersion(HFT table) { return CallHost<acrosupport::HFTGetVersion>(table); }

}  // namespace plenvo::host
