#include "framework/WinApp.h"

namespace plenvo {
namespace {

CWinApp* g_app = nullptr;
HINSTANCE g_instance = nullptr;

}  // namespace

// The first application object made is the module's; later ones stand alone.
CWinApp::CWinApp(const char* name) : appName(name != nullptr ? name : "") {
    if (g_app == nullptr) {
        g_app = this;
    }
}

CWinApp::~CWinApp() {
    if (g_app == this) {
        g_app = nullptr;
    }
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() { return 0; }

const std::string& CWinApp::AppName() const {
    if (appName.empty()) {
        char path[MAX_PATH] = {};
        const DWORD n = GetModuleFileNameA(AfxGetInstanceHandle(), path, MAX_PATH);
        appName = ModuleBaseName(std::string(path, n < MAX_PATH ? n : 0));
    }
    return appName;
}

CWinApp* AfxGetApp() { return g_app; }

HINSTANCE AfxGetInstanceHandle() {
    if (g_instance == nullptr) {
        // Any address inside this code names the module it was linked into.
        HMODULE module = nullptr;
        if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                               reinterpret_cast<LPCSTR>(&AfxGetInstanceHandle), &module)) {
            g_instance = module;
        }
    }
    return g_instance;
}

BOOL FrameworkDllMain(HINSTANCE instance, DWORD reason) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_instance = instance;
        return g_app != nullptr ? g_app->InitInstance() : TRUE;
    }
    if (reason == DLL_PROCESS_DETACH && g_app != nullptr) {
        g_app->ExitInstance();
    }
    return TRUE;
}

std::string ModuleBaseName(const std::string& fileName) {
    const std::size_t slash = fileName.find_last_of("\\/");
    std::string name = slash == std::string::npos ? fileName : fileName.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) {
        name.resize(dot);
    }
    return name;
}

}  // namespace plenvo
