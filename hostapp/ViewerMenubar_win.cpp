#include "ViewerMenubar.h"

#include <map>
#include <string>
#include <vector>

#include "HostControl.h"

namespace plenvo::hostapp {
namespace {

constexpr UINT kFirstCommand = 100;

// Command ids of the menu items that run something, to their item names.
std::map<UINT, std::string> g_commands;
WNDPROC g_frameProc = nullptr;

void AddEntries(HMENU menu, const std::vector<MenuEntry>& entries) {
    for (const MenuEntry& entry : entries) {
        if (entry.hasSubmenu) {
            HMENU submenu = CreatePopupMenu();
            AddEntries(submenu, entry.items);
            AppendMenuA(menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(submenu), entry.title.c_str());
            continue;
        }
        const UINT id = kFirstCommand + static_cast<UINT>(g_commands.size());
        g_commands[id] = entry.name;
        AppendMenuA(menu, MF_STRING, id, entry.title.c_str());
    }
}

// Made again after each command: a plug-in may change its menus while one runs.
void BuildMenubar(HWND window) {
    g_commands.clear();
    HMENU bar = CreateMenu();
    AddEntries(bar, MenubarEntries());
    HMENU old = GetMenu(window);
    SetMenu(window, bar);
    if (old != nullptr) DestroyMenu(old);
}

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITMENUPOPUP: {
            // Greyed as the enable procedures answer at the moment the menu opens.
            HMENU menu = reinterpret_cast<HMENU>(wParam);
            for (int i = 0, n = GetMenuItemCount(menu); i < n; ++i) {
                const auto found = g_commands.find(GetMenuItemID(menu, i));
                if (found == g_commands.end()) continue;
                const UINT state = IsMenuItemEnabled(found->second) ? MF_ENABLED : MF_GRAYED;
                EnableMenuItem(menu, static_cast<UINT>(i), MF_BYPOSITION | state);
            }
            return 0;
        }
        case WM_COMMAND: {
            const auto found = g_commands.find(LOWORD(wParam));
            if (HIWORD(wParam) == 0 && found != g_commands.end()) {
                // A copy: the command may rebuild the table under it.
                const std::string name = found->second;
                if (IsMenuItemEnabled(name)) ExecuteMenuItem(name);
                BuildMenubar(window);
                return 0;
            }
            break;
        }
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return CallWindowProcA(g_frameProc, window, message, wParam, lParam);
}

}  // namespace

void ShowMenubar(HWND window) {
    if (g_frameProc == nullptr || reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC)) != &FrameProc) {
        g_frameProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FrameProc)));
    }
    BuildMenubar(window);
}

}  // namespace plenvo::hostapp
