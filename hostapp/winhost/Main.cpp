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
#include <string>
#include <vector>

#include "HostControl.h"
#include "HostControl_memory.h"
#include "Viewer.h"
#include "ViewerMenubar.h"

namespace {

using plenvo::hostapp::MenuEntry;

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
    plenvo::hostapp::ShowMenubar(window);
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
