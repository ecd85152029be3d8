#pragma once
// What the headless Win32 layer offers beyond the Win32 functions: registering a module's
// resource script, observing the shell, and counting what callers left open.

#include <windows.h>

#include <cstddef>
#include <functional>
#include <span>
#include <string>

namespace plenvo::headless {

// One file of a resource script as the build embedded it: the script itself or a header
// it includes by name.
struct ScriptFile {
    const char* name;
    const char* text;
    std::size_t size;
};

// Makes the dialog templates of `files[0]` (which may include the other files) available
// to the module that holds `anchor`. Returns false, with the reason in `error`, when the
// script does not parse; its templates are then not registered.
HEADLESS_EXPORT bool RegisterResourceScript(const void* anchor, std::span<const ScriptFile> files,
                                         std::string* error);
HEADLESS_EXPORT void UnregisterResourceScript(const void* anchor);

// What ShellExecuteA was asked to do.
struct ShellRequest {
    HWND owner;
    std::string verb;
    std::string file;
    std::string parameters;
    std::string directory;
    int show;
};

// While a hook is set, ShellExecuteA calls it instead of starting a program and returns
// what it answers. An empty hook restores the real behaviour.
using ShellHook = std::function<INT_PTR(const ShellRequest&)>;
HEADLESS_EXPORT void SetShellHook(ShellHook hook);

// Waits until every program that ShellExecuteA started has ended; returns how many.
HEADLESS_EXPORT int WaitForLaunchedPrograms();

// Handles of each kind that are open now, so a test can see that nothing leaked.
struct OpenCounts {
    int registryKeys = 0;
    int findHandles = 0;
    int windows = 0;
    int taskMemoryBlocks = 0;
};
HEADLESS_EXPORT OpenCounts CountOpen();

// The file that holds HKEY_CURRENT_USER: $XDG_CONFIG_HOME/plenvo/hkcu.reg, or
// ~/.config/plenvo/hkcu.reg. Read again on every registry call.
HEADLESS_EXPORT std::string RegistryFilePath();

}  // namespace plenvo::headless
