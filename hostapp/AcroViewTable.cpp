// "AcroView": the active view and the menu bar.

#include <algorithm>

#include "HostRuntime.h"

namespace plenvo::hostapp {
namespace {

using namespace plenvo::host;

constexpr std::uint64_t kMenubarId = 3;

Menu& MenuFor(AVMenu menu) {
    const auto found = TheHost().menus.find(HandleId(menu));
    if (found == TheHost().menus.end()) throw HostError(kErrBadHandle);
    return found->second;
}

MenuItem& ItemFor(AVMenuItem item) {
    const auto found = TheHost().items.find(HandleId(item));
    if (found == TheHost().items.end()) throw HostError(kErrBadHandle);
    return found->second;
}

std::uint64_t CallbackId(ASCallback callback) {
    const std::uint64_t id = HandleId(callback);
    if (id != 0 && !TheHost().callbacks.contains(id)) throw HostError(kErrBadHandle);
    return id;
}

std::uint64_t AddMenu(std::string title, std::string name) {
    const std::uint64_t id = NewId();
    TheHost().menus.emplace(id, Menu{std::move(title), std::move(name), {}, 0});
    return id;
}

void Detach(std::uint64_t itemId) {
    Host& host = TheHost();
    MenuItem& item = host.items.at(itemId);
    if (item.parent == 0) return;
    std::erase(host.menus.at(item.parent).items, itemId);
    item.parent = 0;
}

AVDoc AppGetActiveDoc() {
    return RunOperation("AVAppGetActiveDoc", [] {
        const Host& host = TheHost();
        return host.viewOrder.empty() ? nullptr : MakeHandle<AVDoc>(host.viewOrder.back());
    });
}

PDDoc DocGetPDDoc(AVDoc view) {
    return RunOperation("AVDocGetPDDoc", [&] {
        const auto found = TheHost().views.find(HandleId(view));
        if (found == TheHost().views.end()) throw HostError(kErrBadHandle);
        return MakeHandle<PDDoc>(found->second);
    });
}

AVMenubar AppGetMenubar() {
    return RunOperation("AVAppGetMenubar", [] { return MakeHandle<AVMenubar>(kMenubarId); });
}

AVMenu MenubarAcquireMenuByName(AVMenubar menubar, const char* name) {
    return RunOperation("AVMenubarAcquireMenuByName", [&]() -> AVMenu {
        if (HandleId(menubar) != kMenubarId) throw HostError(kErrBadHandle);
        if (name == nullptr) throw HostError(kErrBadParameter);
        Host& host = TheHost();
        for (const std::uint64_t id : host.menubar) {
            Menu& menu = host.menus.at(id);
            if (menu.name == name) {
                ++menu.acquired;
                return MakeHandle<AVMenu>(id);
            }
        }
        return nullptr;
    });
}

std::int32_t MenuGetNumMenuItems(AVMenu menu) {
    return RunOperation("AVMenuGetNumMenuItems",
                        [&] { return static_cast<std::int32_t>(MenuFor(menu).items.size()); });
}

AVMenuItem MenuAcquireMenuItemByIndex(AVMenu menu, std::int32_t index) {
    return RunOperation("AVMenuAcquireMenuItemByIndex", [&]() -> AVMenuItem {
        const Menu& owner = MenuFor(menu);
        if (index < 0 || static_cast<std::size_t>(index) >= owner.items.size()) return nullptr;
        const std::uint64_t id = owner.items[static_cast<std::size_t>(index)];
        ++TheHost().items.at(id).acquired;
        return MakeHandle<AVMenuItem>(id);
    });
}

ASAtom MenuItemGetName(AVMenuItem item) {
    return RunOperation("AVMenuItemGetName", [&] { return InternAtom(ItemFor(item).name); });
}

AVMenu MenuItemAcquireSubmenu(AVMenuItem item) {
    return RunOperation("AVMenuItemAcquireSubmenu", [&]() -> AVMenu {
        const std::uint64_t submenu = ItemFor(item).submenu;
        if (submenu == 0) return nullptr;
        ++TheHost().menus.at(submenu).acquired;
        return MakeHandle<AVMenu>(submenu);
    });
}

void MenuItemRelease(AVMenuItem item) {
    RunRelease("AVMenuItemRelease", [&] {
        MenuItem& released = ItemFor(item);
        if (released.acquired == 0) throw HostError(kErrBadParameter);
        --released.acquired;
    });
}

AVMenu MenuNew(const char* title, const char* name, ASExtension) {
    return RunOperation("AVMenuNew", [&] {
        if (title == nullptr || name == nullptr) throw HostError(kErrBadParameter);
        const std::uint64_t id = AddMenu(title, name);
        TheHost().menus.at(id).acquired = 1;
        return MakeHandle<AVMenu>(id);
    });
}

AVMenuItem MenuItemNew(const char* title, const char* name, AVMenu submenu, ASBool, char,
                       std::uint16_t, AVIcon, ASExtension) {
    return RunOperation("AVMenuItemNew", [&] {
        if (title == nullptr || name == nullptr) throw HostError(kErrBadParameter);
        const std::uint64_t submenuId = HandleId(submenu);
        if (submenuId != 0) MenuFor(submenu);
        MenuItem item;
        item.title = title;
        item.name = name;
        item.submenu = submenuId;
        item.acquired = 1;
        const std::uint64_t id = NewId();
        TheHost().items.emplace(id, std::move(item));
        return MakeHandle<AVMenuItem>(id);
    });
}

void MenuAddMenuItem(AVMenu menu, AVMenuItem item, std::int32_t position) {
    RunOperation("AVMenuAddMenuItem", [&] {
        Menu& target = MenuFor(menu);
        MenuItem& added = ItemFor(item);
        if (added.parent != 0) throw HostError(kErrBadParameter);
        const std::size_t at =
            std::min(static_cast<std::size_t>(std::max(position, 0)), target.items.size());
        target.items.insert(target.items.begin() + static_cast<std::ptrdiff_t>(at), HandleId(item));
        added.parent = HandleId(menu);
    });
}

void MenuItemSetExecuteProc(AVMenuItem item, ASCallback procedure, void* clientData) {
    RunOperation("AVMenuItemSetExecuteProc", [&] {
        MenuItem& target = ItemFor(item);
        target.execute = CallbackId(procedure);
        target.executeData = clientData;
    });
}

void MenuItemSetComputeEnabledProc(AVMenuItem item, ASCallback procedure, void* clientData) {
    RunOperation("AVMenuItemSetComputeEnabledProc", [&] {
        MenuItem& target = ItemFor(item);
        target.computeEnabled = CallbackId(procedure);
        target.computeEnabledData = clientData;
    });
}

void MenuRelease(AVMenu menu) {
    RunRelease("AVMenuRelease", [&] {
        Menu& released = MenuFor(menu);
        if (released.acquired == 0) throw HostError(kErrBadParameter);
        --released.acquired;
    });
}

void MenuItemRemove(AVMenuItem item) {
    RunOperation("AVMenuItemRemove", [&] {
        ItemFor(item);
        Detach(HandleId(item));
    });
}

const MenuItem* FindItem(std::string_view name) {
    for (const auto& [id, item] : TheHost().items) {
        if (item.name == name && item.parent != 0) return &item;
    }
    return nullptr;
}

}  // namespace

void ResetMenus() {
    Host& host = TheHost();
    host.menus.clear();
    host.items.clear();
    host.menubar.clear();
    for (const char* name : {"File", "Edit", "View", "Extensions", "Window", "Help"}) {
        host.menubar.push_back(AddMenu(name, name));
    }
}

void RemoveMenubarMenu(std::string_view name) {
    Host& host = TheHost();
    std::erase_if(host.menubar, [&](std::uint64_t id) { return host.menus.at(id).name == name; });
}

std::vector<std::string> MenuItemNames(std::string_view menuName) {
    std::vector<std::string> names;
    for (const auto& [id, menu] : TheHost().menus) {
        if (menu.name != menuName) continue;
        for (const std::uint64_t item : menu.items) names.push_back(TheHost().items.at(item).name);
        break;
    }
    return names;
}

std::string MenuItemTitle(std::string_view itemName) {
    const MenuItem* item = FindItem(itemName);
    return item != nullptr ? item->title : std::string();
}

std::string MenuTitle(std::string_view menuName) {
    for (const auto& [id, menu] : TheHost().menus) {
        if (menu.name == menuName) return menu.title;
    }
    return {};
}

namespace {

// The procedures are looked up and copied before the call: a procedure may change menus.
void RunExecute(const MenuItem& item) {
    const auto procedure =
        reinterpret_cast<AVExecuteProc>(TheHost().callbacks.at(item.execute).procedure);
    procedure(item.executeData);
}

bool AnswersEnabled(const MenuItem& item) {
    if (item.computeEnabled == 0) return true;
    const auto procedure = reinterpret_cast<AVComputeEnabledProc>(
        TheHost().callbacks.at(item.computeEnabled).procedure);
    return procedure(item.computeEnabledData) != 0;
}

// Deep enough for any real menu, and a stop for a submenu that holds its own ancestor.
constexpr int kMaxMenuDepth = 16;

const MenuItem* FindShownItem(std::uint64_t menuId, std::string_view title, int depth) {
    const Host& host = TheHost();
    const auto menu = host.menus.find(menuId);
    if (depth > kMaxMenuDepth || menu == host.menus.end()) return nullptr;
    for (const std::uint64_t id : menu->second.items) {
        const MenuItem& item = host.items.at(id);
        if (item.title == title) return &item;
        if (item.submenu == 0) continue;
        if (const MenuItem* found = FindShownItem(item.submenu, title, depth + 1)) return found;
    }
    return nullptr;
}

const MenuItem* FindShownItem(std::string_view title) {
    for (const std::uint64_t menuId : TheHost().menubar) {
        if (const MenuItem* item = FindShownItem(menuId, title, 0)) return item;
    }
    return nullptr;
}

MenuEntry EntryOfMenu(std::uint64_t menuId, int depth) {
    const Host& host = TheHost();
    const Menu& menu = host.menus.at(menuId);
    MenuEntry entry{menu.title, menu.name, true, {}};
    for (const std::uint64_t id : menu.items) {
        const MenuItem& item = host.items.at(id);
        MenuEntry shown{item.title, item.name, item.submenu != 0, {}};
        if (item.submenu != 0 && depth < kMaxMenuDepth && host.menus.contains(item.submenu)) {
            shown.items = EntryOfMenu(item.submenu, depth + 1).items;
        }
        entry.items.push_back(std::move(shown));
    }
    return entry;
}

}  // namespace

std::vector<MenuEntry> MenubarEntries() {
    std::vector<MenuEntry> menus;
    for (const std::uint64_t id : TheHost().menubar) menus.push_back(EntryOfMenu(id, 0));
    return menus;
}

bool ExecuteMenuItem(std::string_view itemName) {
    const MenuItem* item = FindItem(itemName);
    if (item == nullptr || item->execute == 0) return false;
    RunExecute(*item);
    return true;
}

bool IsMenuItemEnabled(std::string_view itemName) {
    const MenuItem* item = FindItem(itemName);
    return item == nullptr || AnswersEnabled(*item);
}

PickResult PickMenuItem(std::string_view title) {
    const MenuItem* item = FindShownItem(title);
    if (item == nullptr) return PickResult::kNoSuchItem;
    if (!AnswersEnabled(*item)) return PickResult::kGreyed;
    if (item->execute == 0) return PickResult::kNoProcedure;
    RunExecute(*item);
    return PickResult::kRan;
}

std::string ShownMenuItemName(std::string_view title) {
    const MenuItem* item = FindShownItem(title);
    return item != nullptr ? item->name : std::string();
}

int OutstandingMenuAcquisitions() {
    int outstanding = 0;
    for (const auto& [id, menu] : TheHost().menus) outstanding += menu.acquired;
    for (const auto& [id, item] : TheHost().items) outstanding += item.acquired;
    return outstanding;
}

int MenuAcquisitions(std::string_view name) {
    int acquisitions = 0;
    for (const auto& [id, menu] : TheHost().menus) acquisitions += menu.name == name ? menu.acquired : 0;
    for (const auto& [id, item] : TheHost().items) acquisitions += item.name == name ? item.acquired : 0;
    return acquisitions;
}

void FillAcroViewTable(std::array<HFTEntry, acroview::kSlotCount>& table) {
    Fill<acroview::AVAppGetActiveDoc>(table, &AppGetActiveDoc);
    Fill<acroview::AVDocGetPDDoc>(table, &DocGetPDDoc);
    Fill<acroview::AVAppGetMenubar>(table, &AppGetMenubar);
    Fill<acroview::AVMenubarAcquireMenuByName>(table, &MenubarAcquireMenuByName);
    Fill<acroview::AVMenuGetNumMenuItems>(table, &MenuGetNumMenuItems);
    Fill<acroview::AVMenuAcquireMenuItemByIndex>(table, &MenuAcquireMenuItemByIndex);
    Fill<acroview::AVMenuItemGetName>(table, &MenuItemGetName);
    Fill<acroview::AVMenuItemAcquireSubmenu>(table, &MenuItemAcquireSubmenu);
    Fill<acroview::AVMenuItemRelease>(table, &MenuItemRelease);
    Fill<acroview::AVMenuNew>(table, &MenuNew);
    Fill<acroview::AVMenuItemNew>(table, &MenuItemNew);
    Fill<acroview::AVMenuAddMenuItem>(table, &MenuAddMenuItem);
    Fill<acroview::AVMenuItemSetExecuteProc>(table, &MenuItemSetExecuteProc);
    Fill<acroview::AVMenuItemSetComputeEnabledProc>(table, &MenuItemSetComputeEnabledProc);
    Fill<acroview::AVMenuRelease>(table, &MenuRelease);
    Fill<acroview::AVMenuItemRemove>(table, &MenuItemRemove);
}

}  // namespace plenvo::hostapp
