// What makes the plug-in a module: its one application object and the framework's module
// entry, run when the module is attached to the process and detached from it.

#include <windows.h>

#include "framework/WinApp.h"
#include "plugin/PlenvoApp.h"

namespace plenvo {
namespace {

// Built by static initialisation, before the host's first call; gone when the module is
// unloaded, after its last.
CPlenvoApp theApp;

}  // namespace
}  // namespace plenvo

#ifdef _WIN32

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    return plenvo::FrameworkDllMain(instance, reason);
}

#else

namespace plenvo {
namespace {

// The loader's stand-in for DllMain. Defined after the application object in the same
// file, so it is built after it and destroyed before it.
struct ProcessAttachment {
    ProcessAttachment() { FrameworkDllMain(AfxGetInstanceHandle(), DLL_PROCESS_ATTACH); }
    ~ProcessAttachment() { FrameworkDllMain(AfxGetInstanceHandle(), DLL_PROCESS_DETACH); }
    ProcessAttachment(const ProcessAttachment&) = delete;
    ProcessAttachment& operator=(const ProcessAttachment&) = delete;
};

const ProcessAttachment attachment;

}  // namespace
}  // namespace plenvo

#endif
