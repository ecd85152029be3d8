// Modules are the shared objects of the process; a module's handle is its load address,
// as on Windows.

#include <dlfcn.h>
#include <link.h>
#include <sys/auxv.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <string>
#include <atomic>

#include "Internal.h"

namespace {

HMODULE ModuleOf(const void* address, std::string* fileName) {
    Dl_info info{};
    if (address == nullptr || ::dladdr(address, &info) == 0 || info.dli_fbase == nullptr) {
        return nullptr;
    }
    if (fileName != nullptr && info.dli_fname != nullptr) {
        *fileName = info.dli_fname;
    }
    return static_cast<HMODULE>(info.dli_fbase);
}

HMODULE MainProgram() {
    return ModuleOf(reinterpret_cast<const void*>(::getauxval(AT_PHDR)), nullptr);
}

}  // namespace

HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName) {
    if (lpModuleName == nullptr) {
        return MainProgram();
    }
    void* handle = ::dlopen(lpModuleName, RTLD_LAZY | RTLD_NOLOAD);
    if (handle == nullptr) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    // The load address of a library opened by name: its dynamic section lies inside it.
    HMODULE module = nullptr;
    link_map* map = nullptr;
    if (::dlinfo(handle, RTLD_DI_LINKMAP, &map) == 0 && map != nullptr) {
        module = ModuleOf(map->l_ld, nullptr);
    }
    ::dlclose(handle);
    if (module == nullptr) {
        SetLastError(ERROR_FILE_NOT_FOUND);
    }
    return module;
}

BOOL WINAPI GetModuleHandleExA(DWORD dwFlags, LPCSTR lpModuleName, HMODULE* phModule) {
    if (phModule == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *phModule = (dwFlags & GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS) != 0
                    ? ModuleOf(lpModuleName, nullptr)
                    : GetModuleHandleA(lpModuleName);
    if (*phModule == nullptr) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    return TRUE;
}

DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize) {
    std::string name;
    if (hModule == nullptr || hModule == MainProgram()) {
        char path[PATH_MAX];
        const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
        if (n > 0) {
            name.assign(path, static_cast<std::size_t>(n));
        }
    } else if (ModuleOf(hModule, &name) != hModule) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    if (nSize == 0 || lpFilename == nullptr) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    const int copied = plenvo::headless::CopyOut(name, lpFilename, static_cast<int>(nSize));
    // Windows answers the full size and ERROR_INSUFFICIENT_BUFFER when the name was cut.
    if (name.size() >= nSize) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return nSize;
    }
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(copied);
}

DWORD WINAPI GetCurrentThreadId(void) {
    static thread_local const DWORD id = [] {
        static std::atomic<DWORD> next{1};
        return next++;
    }();
    return id;
}
