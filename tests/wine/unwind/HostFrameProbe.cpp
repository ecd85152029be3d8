// A stand-in for the plug-in module: the real host exception frame, exported plainly.
#include "HostFrameProbe.h"

#include "host/HostCalls.h"
#include "host/HostFrame.h"
#include "host/HostState.h"

namespace {

using plenvo::host::HostFrame;
using plenvo::host::HostRaise;

int g_destroyed = 0;

struct Witness {
    ~Witness() { ++g_destroyed; }
};

}  // namespace

extern "C" {

__declspec(dllexport) void ProbeGrantCore(plenvo::host::HFT core) {
    plenvo::host::gHostState[plenvo::host::HostTable::kCore].table = core;
}

__declspec(dllexport) int ProbeGuarded(void (*operation)(int), int code) {
    try {
        HostFrame frame;
        Witness witness;
        operation(code);
        return 0;
    } catch (const HostRaise&) {
        return plenvo::host::ASGetExceptionErrorCode();
    }
}

__declspec(dllexport) int ProbeNested(void (*operation)(int), int innerCode, int outerCode) {
    try {
        HostFrame frame;
        Witness witness;
        plenvo::host::IgnoringHostRaise([&] {
            Witness inner;
            operation(innerCode);
        });
        operation(outerCode);
        return 0;
    } catch (const HostRaise&) {
        return plenvo::host::ASGetExceptionErrorCode();
    }
}

__declspec(dllexport) int ProbeDestroyed() { return g_destroyed; }

}
