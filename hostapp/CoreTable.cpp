// "Core": the exception frames, atoms, callbacks and the table lookup.

#include "HostRuntime.h"

namespace plenvo::hostapp {
namespace {

using namespace plenvo::host;

void PushExceptionFrame(void* frame, ASRestoreProc restore) {
    host::ASErrorCode unused = 0;
    EnterOperation("ASPushExceptionFrame", unused);
    TheHost().frames.push_back({frame, restore});
}

void PopExceptionFrame() {
    host::ASErrorCode unused = 0;
    EnterOperation("ASPopExceptionFrame", unused);
    Host& host = TheHost();
    if (!host.frames.empty()) host.frames.pop_back();
}

ASErrorCode GetExceptionErrorCode() {
    host::ASErrorCode unused = 0;
    EnterOperation("ASGetExceptionErrorCode", unused);
    return TheHost().handledCode;
}

ASAtom AtomFromString(const char* text) {
    return RunOperation("ASAtomFromString", [&] {
        if (text == nullptr) throw HostError(kErrBadParameter);
        return InternAtom(text);
    });
}

ASCallback CallbackCreate(ASExtension owner, ASProcedure procedure) {
    return RunOperation("ASCallbackCreate", [&] {
        if (procedure == nullptr) throw HostError(kErrBadParameter);
        const std::uint64_t id = NewId();
        TheHost().callbacks.emplace(id, Callback{owner, procedure});
        return MakeHandle<ASCallback>(id);
    });
}

HFT ExtensionMgrGetHFT(ASAtom name, ASVersion version) {
    return RunOperation("ASExtensionMgrGetHFT", [&] {
        const std::string& text = AtomText(name);
        const HFT table = GrantTable(text, version);
        TheHost().requests.push_back({text, version, table != nullptr});
        return table;
    });
}

}  // namespace

void FillCoreTable(std::array<HFTEntry, core::kSlotCount>& table) {
    Fill<core::ASPushExceptionFrame>(table, &PushExceptionFrame);
    Fill<core::ASPopExceptionFrame>(table, &PopExceptionFrame);
    Fill<core::ASGetExceptionErrorCode>(table, &GetExceptionErrorCode);
    Fill<core::ASAtomFromString>(table, &AtomFromString);
    Fill<core::ASCallbackCreate>(table, &CallbackCreate);
    Fill<core::ASExtensionMgrGetHFT>(table, &ExtensionMgrGetHFT);
}

}  // namespace plenvo::hostapp
