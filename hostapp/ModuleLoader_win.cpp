#include "ModuleLoader.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace plenvo::hostapp {

void* OpenModule(const std::string& path, std::string& error) {
    // A module that cannot load is reported here, not in a message box of the system's.
    const UINT previous = ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE module = ::LoadLibraryA(path.c_str());
    const DWORD code = ::GetLastError();
    ::SetErrorMode(previous);
    if (module == nullptr) {
        char text[512] = {};
        const DWORD n = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                                         0, text, sizeof text, nullptr);
        std::string_view reason(text, n);
        while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' ')) {
            reason.remove_suffix(1);
        }
        error = reason.empty() ? "error " + std::to_string(code) : std::string(reason);
    }
    return module;
}

void* FindExport(void* module, const char* name) {
    // Through an integer: an export's address has no type until the caller gives it one.
    return reinterpret_cast<void*>(
        reinterpret_cast<std::uintptr_t>(::GetProcAddress(static_cast<HMODULE>(module), name)));
}

const void* ModuleBaseOf(const void* address) {
    HMODULE module = nullptr;
    const BOOL found =
        ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                             static_cast<LPCSTR>(address), &module);
    // A module's handle is where it lies in memory.
    return found ? module : nullptr;
}

void CloseModule(void* module) { ::FreeLibrary(static_cast<HMODULE>(module)); }

std::string ProgramFolder() {
    char path[MAX_PATH] = {};
    const DWORD n = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string program(path, n < MAX_PATH ? n : 0);
    const std::size_t slash = program.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : program.substr(0, slash);
}

}  // namespace plenvo::hostapp
