// The viewer's own top-level window: what owns the plug-in's modal dialogs and is
// disabled while one of them runs.

#include <windows.h>

#include "HostControl.h"

namespace plenvo::hostapp {

HWND MainWindow() {
    static const bool registered = [] {
        WNDCLASSEXA cls{};
        cls.cbSize = sizeof cls;
        cls.lpfnWndProc = DefWindowProcA;
        cls.lpszClassName = "PlenvoViewerFrame";
        return RegisterClassExA(&cls) != 0;
    }();
    static HWND window = nullptr;
    if (registered && !IsWindow(window)) {
        window = CreateWindowExA(0, "PlenvoViewerFrame", "Plenvo Viewer", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                 0, 0, 1024, 768, nullptr, nullptr, nullptr, nullptr);
    }
    if (window != nullptr) SetActiveWindow(window);
    return window;
}

}  // namespace plenvo::hostapp
