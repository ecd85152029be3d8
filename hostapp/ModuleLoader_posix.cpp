#include "ModuleLoader.h"

#include <dlfcn.h>

#include <filesystem>
#include <string_view>
#include <system_error>

namespace plenvo::hostapp {

void* OpenModule(const std::string& path, std::string& error) {
    ::dlerror();
    void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        // dlerror names the file first; the viewer's report names it already.
        const char* text = ::dlerror();
        std::string_view reason = text != nullptr ? text : "unknown error";
        if (reason.starts_with(path + ": ")) reason.remove_prefix(path.size() + 2);
        error = reason;
    }
    return module;
}

void* FindExport(void* module, const char* name) { return ::dlsym(module, name); }

const void* ModuleBaseOf(const void* address) {
    Dl_info info{};
    return ::dladdr(address, &info) != 0 ? info.dli_fbase : nullptr;
}

void CloseModule(void* module) { ::dlclose(module); }

std::string ProgramFolder() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string(".") : program.parent_path().string();
}

}  // namespace plenvo::hostapp
