#include "plugin/PlenvoApp.h"

namespace plenvo {

CPlenvoApp::CPlenvoApp() : CWinApp(nullptr) {}

CPlenvoApp::~CPlenvoApp() = default;

BOOL CPlenvoApp::InitInstance() {
    CWinApp::InitInstance();
    return TRUE;
}

int CPlenvoApp::ExitInstance() { return CWinApp::ExitInstance(); }

CPlenvoApp* ThePlenvoApp() { return dynamic_cast<CPlenvoApp*>(AfxGetApp()); }

}  // namespace plenvo
