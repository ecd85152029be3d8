#pragma once

// The viewer's main window with a real menu bar (Windows): the host's menus as the
// plug-ins built them, each item greyed as its enable procedure answers when its menu
// opens, and its execute procedure run when it is picked. Internal to the Windows viewer
// and its tests.

#include <windows.h>

namespace plenvo::hostapp {

// Gives `window` (the viewer's main window) the host's menu bar, made again after each
// command, and the window procedure that runs the items. Closing the window quits the
// thread's message loop.
void ShowMenubar(HWND window);

}  // namespace plenvo::hostapp
