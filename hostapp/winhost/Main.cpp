// winhost: the stand-in viewer for Windows. It loads the plug-ins folder beside it and
// shows its main window with the menu bar the plug-ins built, so their commands run as a
// person picks them. Documents are kept in memory: each DOCUMENT named on the command line
// is made (without metadata) and opened in a view, the last one active.
//
//     winhost [--menus] [DOCUMENT...]
//
// --menus prints the loaded plug-ins and the menu bar instead of showing the window.

#include <windows.h>

#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "HostControl.h"
#include "HostControl_memory.h"
#include "Viewer.h"

namespace {

using plenvo::hostapp::MenuEntry;

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

// The window's menu bar from the host's, made again after each command: a plug-in may
// change its menus while one runs.
void BuildMenubar(HWND window) {
    g_commands.clear();
    HMENU bar = CreateMenu();
    AddEntries(bar, plenvo::hostapp::MenubarEntries());
    HMENU old = GetMenu(window);
    SetMenu(window, bar);
    if (old != nullptr) DestroyMenu(old);
}

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITMENUPOPUP: {
            // Greyed as the items' enable procedures answer at the moment the menu opens.
            HMENU menu = reinterpret_cast<HMENU>(wParam);
            for (int i = 0, n = GetMenuItemCount(menu); i < n; ++i) {
                const auto found = g_commands.find(GetMenuItemID(menu, i));
                if (found == g_commands.end()) continue;
                const bool enabled = plenvo::hostapp::IsMenuItemEnabled(found->second);
                EnableMenuItem(menu, static_cast<UINT>(i), MF_BYPOSITION | (enabled ? MF_ENABLED : MF_GRAYED));
            }
            return 0;
        }
        case WM_COMMAND: {
            const auto found = g_commands.find(LOWORD(wParam));
            if (HIWORD(wParam) == 0 && found != g_commands.end()) {
                const std::string name = found->second;
                if (plenvo::hostapp::IsMenuItemEnabled(name)) plenvo::hostapp::ExecuteMenuItem(name);
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

void PrintEntries(const std::vector<MenuEntry>& entries, int depth) {
    for (const MenuEntry& entry : entries) {
        std::cout << std::string(static_cast<std::size_t>(depth) * 2, ' ') << entry.title;
        if (!entry.hasSubmenu) {
            std::cout << "  [" << entry.name << (plenvo::hostapp::IsMenuItemEnabled(entry.name) ? "" : ", greyed")
                      << "]";
        }
        std::cout << '\n';
        PrintEntries(entry.items, depth + 1);
    }
}

int RunWindow() {
    HWND window = plenvo::hostapp::MainWindow();
    if (window == nullptr) {
        std::cerr << "winhost: cannot make the main window\n";
        return 1;
    }
    g_frameProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FrameProc)));
    BuildMenubar(window);
    MSG message{};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    bool listMenus = false;
    std::vector<std::string> documents;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--menus") {
            listMenus = true;
        } else if (argument.starts_with("--")) {
            std::cerr << "usage: winhost [--menus] [DOCUMENT...]\n";
            return 2;
        } else {
            documents.push_back(argument);
        }
    }

    plenvo::hostapp::Viewer viewer;
    viewer.LoadPlugins(plenvo::hostapp::DefaultPluginsFolder());
    for (const std::string& path : documents) {
        plenvo::hostapp::StoreDocument(path, {});
        plenvo::hostapp::OpenView(path);
    }
    if (!listMenus) return RunWindow();

    for (const std::string& plugin : viewer.LoadedPlugins()) std::cout << "loaded " << plugin << '\n';
    PrintEntries(plenvo::hostapp::MenubarEntries(), 0);
    return 0;
}
