#pragma once
// The module's application object and the module it lives in.

#include <windows.h>

#include <string>

namespace plenvo {

class CWinApp {
public:
    // Without a name, the application is named after its module's file, less the extension.
    explicit CWinApp(const char* appName = nullptr);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // Run when the module is attached to and detached from the process.
    virtual BOOL InitInstance();
    virtual int ExitInstance();

    const std::string& AppName() const;

private:
    mutable std::string appName;
};

// The one application object, or null before it is built and after it is destroyed.
CWinApp* AfxGetApp();

// The module that holds this code: the plug-in on Windows, the library or program it is
// linked into elsewhere. Its dialog templates are looked up there.
HINSTANCE AfxGetInstanceHandle();

// The framework's part of the module entry: call it from DllMain (or from whatever loads
// the module) with the module's handle. Runs the application's instance initialisation on
// attach and its exit on detach.
BOOL FrameworkDllMain(HINSTANCE instance, DWORD reason);

// The file name without folder and extension: "C:\Plugins\Plenvo.api" gives "Plenvo".
std::string ModuleBaseName(const std::string& fileName);

}  // namespace plenvo
