#pragma once

// The stand-in viewer host as its own program, the driver and the tests see it: what a
// set-up record hands to a plug-in, what is open, and the faults it can be told to
// inject. The plug-in never includes this; it reaches the host only through the tables.
// What documents are made of is the backend's: HostControl_qpdf.h on Linux,
// HostControl_memory.h on Windows.

#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <windows.h>

#include "host/HostState.h"
#include "host/HostTables.h"

namespace plenvo::hostapp {

// The version the host reports for each of its tables unless told otherwise.
inline constexpr host::ASVersion kHostTableVersion = host::MakeVersion(11, 0);

// Thrown out of a host operation that must raise while no frame is pushed, or whose
// frame's restore procedure returned. It means a plug-in called the host unguarded.
class UnhandledRaise : public std::runtime_error {
public:
    explicit UnhandledRaise(host::ASErrorCode code);
    host::ASErrorCode Code() const { return code_; }

private:
    host::ASErrorCode code_;
};

// What a set-up record carries to the plug-in.
host::HFT CoreTable();
host::ASExtension ExtensionIdentity();

// Fills a plug-in's host state as a successful set-up against this host leaves it: the
// extension identity and every table the host grants, at the version it reports. For
// programs and tests that link the plug-in's code directly.
void GrantAllTables(host::HostState& state);

// Closes everything still open, drops frames, faults, table settings, views, menus and
// the call record, and rebuilds the menu bar.
void ResetHost();

struct OpenCounts {
    int documents = 0;  // opened with PDDocOpen and not closed
    int pathNames = 0;
    int streams = 0;
    int frames = 0;
    friend bool operator==(const OpenCounts&, const OpenCounts&) = default;
};
OpenCounts CountOpen();

// Forgets the calls made so far: the call trace, the stream reads and the call counts
// that injected faults are numbered by.
void ClearCallRecord();

// Fault injection. The Nth call (counted from 1 since the call record was cleared) of the
// operation raises `code`, or answers null, 0 or false. A closing or releasing operation
// releases first and raises afterwards, as a real release does. The exception frame
// operations never fail.
bool CanFail(std::string_view operation);
void FailCall(std::string_view operation, int nthCall, host::ASErrorCode code);
void AnswerNull(std::string_view operation, int nthCall);
void ClearFaults();
// Runs `action` as the Nth call of the operation starts, before it does anything: for a
// test that acts between two of the plug-in's host calls. Cleared with the faults.
void WhenCalled(std::string_view operation, int nthCall, std::function<void()> action);

// Every table operation called since the call record was cleared, by name, in order.
std::vector<std::string> CallTrace();

// Each ASStmRead since the call record was cleared: the items asked for and answered.
struct StreamRead {
    std::uint32_t asked = 0;
    std::int32_t answered = 0;
    friend bool operator==(const StreamRead&, const StreamRead&) = default;
};
std::vector<StreamRead> StreamReads();

// Table grants: refuse a table whatever version is asked, refuse it when asked for one
// version, or report a version of one's choice (0 and 0xFFFFFFFF included).
void RefuseTable(std::string_view name);
void RefuseTableAt(std::string_view name, host::ASVersion version);
void ReportTableVersion(std::string_view name, host::ASVersion version);

// Each ASExtensionMgrGetHFT since the call record was cleared: the table and version asked
// for, and whether a table was given.
struct TableRequest {
    std::string name;
    host::ASVersion version = 0;
    bool granted = false;
    friend bool operator==(const TableRequest&, const TableRequest&) = default;
};
std::vector<TableRequest> TableRequests();

// The procedure a callback handle wraps; null for a handle the host never made.
host::ASProcedure CallbackProcedure(host::ASCallback callback);

// Views: opens the file in a new view, which becomes the active one. Answers null and
// sets `error` when the file cannot be opened.
host::AVDoc OpenView(const std::string& path, host::ASErrorCode* error = nullptr);
void CloseView(host::AVDoc view);
// The viewer's Save command: writes the view's document in full, linearized, over the file
// it was opened from, which stays as it was unless the save completes. False, with one
// line in `error`, when it cannot.
bool SaveView(host::AVDoc view, std::string& error);

// The viewer's main window, made on first use (and again after it was destroyed) and made
// the active window, so the plug-in's dialogs take it as their owner.
HWND MainWindow();

// Menus. Menus and items are found by name anywhere in the menu bar.
void RemoveMenubarMenu(std::string_view name);
std::vector<std::string> MenuItemNames(std::string_view menuName);
std::string MenuItemTitle(std::string_view itemName);
std::string MenuTitle(std::string_view menuName);
// Calls the item's execute procedure; false when there is no such item or procedure.
bool ExecuteMenuItem(std::string_view itemName);
// The item's enable procedure's answer; true for an item without one.
bool IsMenuItemEnabled(std::string_view itemName);
// Menus and items acquired and not yet released.
int OutstandingMenuAcquisitions();
// The same for the menus and items of one name.
int MenuAcquisitions(std::string_view name);

// The menu bar as a person sees it: its menus in order, each with its items, and each
// item with its submenu's items.
struct MenuEntry {
    std::string title;
    std::string name;
    bool hasSubmenu = false;
    std::vector<MenuEntry> items;  // a menu's items, or an item's submenu's
};
std::vector<MenuEntry> MenubarEntries();

// What picking a menu item came to.
enum class PickResult {
    kRan,          // its execute procedure ran and returned
    kNoSuchItem,   // no item of that title can be reached from the menu bar
    kGreyed,       // its enable procedure said no
    kNoProcedure,  // it has nothing to run
};
// Picks an item by its title as a person would: the first item with that title met on
// the way through the menu bar's menus and, depth first, their submenus.
PickResult PickMenuItem(std::string_view title);
// The name of the item that picking `title` would run; empty when there is none.
std::string ShownMenuItemName(std::string_view title);

}  // namespace plenvo::hostapp
