#pragma once

// The module's application object: named after the module's file (so "Plenvo" for
// Plenvo.api), it owns the help manager that the menus and the dialogs open pages with.

#include "framework/WinApp.h"
#include "plugin/HelpManager.h"

namespace plenvo {

class CPlenvoApp : public CWinApp {
public:
    CPlenvoApp();
    ~CPlenvoApp() override;

    // Always succeeds: nothing the base does at attach may keep the module from loading.
    BOOL InitInstance() override;
    int ExitInstance() override;

    HelpManager& Help() { return helpManager; }

private:
    HelpManager helpManager;
};

// The module's application object; null before it is built and after it is gone.
CPlenvoApp* ThePlenvoApp();

}  // namespace plenvo
