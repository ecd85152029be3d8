#include "plugin/Menus.h"

#include <utility>

#include "host/HostHandles.h"
#include "plugin/PlenvoApp.h"
#include "plugin/PluginEntry.h"
#include "ui/Commands.h"

namespace plenvo {
namespace {

using namespace plenvo::host;

constexpr const char* kExtensionsMenu = "Extensions";
constexpr const char* kMakerTitle = "Corvix";
constexpr const char* kMakerItemName = "Corvix";
constexpr const char* kMakerMenuName = "CorvixSubMenu";
constexpr const char* kTdmTitle = "TDM Reservation";
constexpr const char* kParentItemName = "CORVIX_Plenvo:Parent";
constexpr const char* kTdmMenuName = "CORVIX_Plenvo:Menu";

AVMenuItem gSingleItem = nullptr;
AVMenuItem gBatchItem = nullptr;
AVMenuItem gHelpItem = nullptr;

// The dialog commands push their own host exception frames; this only keeps anything
// else they throw from reaching the host.
void ExecuteSingleCommand(void*) {
    try {
        RunSingleDocumentCommand();
    } catch (...) {
    }
}

void ExecuteBatchCommand(void*) {
    try {
        RunBatchCommand();
    } catch (...) {
    }
}

struct Command {
    const char* title;
    const char* name;
    AVMenuItem* reference;
    AVExecuteProc execute;
    AVComputeEnabledProc enabled;
};

const Command kCommands[] = {
    {"TDM Reservation...", "CORVIX_Plenvo:Single", &gSingleItem, &ExecuteSingleCommand,
     &HasActiveDocument},
    {"TDM Reservation (Batch)...", "CORVIX_Plenvo:Batch", &gBatchItem, &ExecuteBatchCommand,
     static_cast<AVComputeEnabledProc>(&AlwaysTrue)},
    {"Plenvo Help", "CORVIX_Plenvo:Help", &gHelpItem, &ShowHelp,
     static_cast<AVComputeEnabledProc>(&AlwaysTrue)},
};

template <class Proc>
ASCallback MakeCallback(Proc procedure) {
    return ASCallbackCreate(gHostState.extensionId, reinterpret_cast<ASProcedure>(procedure));
}

AVMenuItem NewItem(const char* title, const char* name, AVMenu submenu) {
    return AVMenuItemNew(title, name, submenu, false, 0, 0, nullptr, gHostState.extensionId);
}

// The maker's submenu as another plug-in of the same maker left it in "Extensions": the
// item is matched by name, never by title. Null when there is no such item.
ScopedMenuItem FindMakerItem(AVMenu extensions) {
    const ASAtom makerName = ASAtomFromString(kMakerItemName);
    for (std::int32_t index = 0; index < AVMenuGetNumMenuItems(extensions); ++index) {
        ScopedMenuItem item(AVMenuAcquireMenuItemByIndex(extensions, index));
        if (!item) continue;
        if (AVMenuItemGetName(item.Get()) == makerName) return item;
        item.Release();
    }
    return {};
}

}  // namespace

bool BuildMenus() {
    const AVMenubar menubar = AVAppGetMenubar();
    if (menubar == nullptr) return false;
    ScopedMenu extensions(AVMenubarAcquireMenuByName(menubar, kExtensionsMenu));
    if (!extensions) return false;

    // A maker item and submenu found here are only borrowed: they are released on the way
    // out, while the host keeps showing them.
    const ScopedMenuItem foundMaker = FindMakerItem(extensions.Get());
    ScopedMenu foundMakerMenu;
    AVMenu makerMenu = nullptr;
    if (foundMaker) {
        foundMakerMenu = ScopedMenu(AVMenuItemAcquireSubmenu(foundMaker.Get()));
        makerMenu = foundMakerMenu.Get();
    } else {
        makerMenu = AVMenuNew(kMakerTitle, kMakerMenuName, gHostState.extensionId);
        if (makerMenu != nullptr) {
            const AVMenuItem makerItem = NewItem(kMakerTitle, kMakerItemName, makerMenu);
            if (makerItem == nullptr) return false;
            AVMenuAddMenuItem(extensions.Get(), makerItem, kAVMenuAppend);
        }
    }
    // Without the maker's submenu the tree has nowhere to hang.
    if (makerMenu == nullptr) return false;

    const AVMenu tdmMenu = AVMenuNew(kTdmTitle, kTdmMenuName, gHostState.extensionId);
    if (tdmMenu == nullptr) return false;
    for (const Command& command : kCommands) {
        const AVMenuItem item = NewItem(command.title, command.name, nullptr);
        if (item == nullptr) return false;
        *command.reference = item;
        AVMenuItemSetExecuteProc(item, MakeCallback(command.execute), nullptr);
        AVMenuItemSetComputeEnabledProc(item, MakeCallback(command.enabled), nullptr);
        AVMenuAddMenuItem(tdmMenu, item, kAVMenuAppend);
    }
    // The parent goes in last, so the maker's submenu never shows it without its commands.
    const AVMenuItem parent = NewItem(kTdmTitle, kParentItemName, tdmMenu);
    if (parent == nullptr) return false;
    AVMenuAddMenuItem(makerMenu, parent, kAVMenuAppend);
    extensions.Release();
    return true;
}

void RemoveCommandItems() {
    for (AVMenuItem* reference : {&gSingleItem, &gBatchItem, &gHelpItem}) {
        if (const AVMenuItem item = std::exchange(*reference, nullptr)) {
            IgnoringHostRaise([&] { AVMenuItemRemove(item); });
        }
    }
}

ASBool HasActiveDocument(void*) {
    try {
        HostFrame frame;
        return AVAppGetActiveDoc() != nullptr;
    } catch (...) {
        return false;
    }
}

void ShowHelp(void*) {
    try {
        if (CPlenvoApp* app = ThePlenvoApp()) app->Help().OpenMainHelp();
    } catch (...) {
    }
}

}  // namespace plenvo
