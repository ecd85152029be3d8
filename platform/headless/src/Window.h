#pragma once
// Windows in memory. Every window belongs to the thread that made it and is only touched
// on that thread, as with USER on Windows; messages posted from elsewhere go through a
// locked queue.

#include <any>
#include <functional>
#include <string>
#include <vector>

#include "headless/UserDriver.h"

namespace plenvo::headless {

struct Window {
    HWND handle = nullptr;
    std::string className;
    WNDPROC proc = nullptr;
    HWND parent = nullptr;  // children only
    HWND owner = nullptr;   // top-level windows only
    DWORD style = 0;
    DWORD exStyle = 0;
    int id = 0;
    std::string text;
    RECT rect{};      // pixels
    RECT unitRect{};  // dialog units, for items made from a template
    LONG_PTR userData = 0;
    HINSTANCE instance = nullptr;
    std::vector<HWND> children;  // in tab order
    DWORD thread = 0;
    bool destroying = false;
    std::any state;  // the control's own data

    // Dialogs.
    WindowKind kind = WindowKind::Window;
    DLGPROC dialogProc = nullptr;
    LONG_PTR messageResult = 0;
    LONG_PTR dialogUser = 0;
    int defaultId = 0;
    bool ended = false;
    INT_PTR result = 0;
    bool ownerWasEnabled = false;
    HWND savedFocus = nullptr;
    std::any dialogData;  // what a built-in dialog keeps
};

Window* FindWindowRecord(HWND handle);
template <class T>
T* StateOf(HWND handle) {
    Window* w = FindWindowRecord(handle);
    return w != nullptr ? std::any_cast<T>(&w->state) : nullptr;
}

HWND TopLevelOf(HWND handle);
void NotifyParent(HWND control, WORD code);

// Built-in window classes.
LRESULT CALLBACK ButtonProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK StaticProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK EditProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK ComboBoxProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK ListViewProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK ProgressProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK DialogWindowProc(HWND, UINT, WPARAM, LPARAM);

// Messages that carry a person's input in the headless layer, registered by name so they
// never meet an application's own numbers: picking a combo entry (wParam = index) and
// clicking a list row (wParam = row, lParam = MK_CONTROL to add it to the selection).
UINT PickMessage();
UINT RowClickMessage();

// The queue.
bool TakeMessage(MSG& msg, HWND filter, UINT first, UINT last, bool remove);

// The driver, asked when nothing is queued. Returns whether it acted.
bool AskDriver(Moment moment, HWND top);
void RecordStall(HWND window);

// Runs a modal loop until the dialog ends; false when the driver had nothing to do.
bool RunModalLoop(HWND dialog);

// A dialog built in code: the message box and the common dialogs.
struct BuiltItem {
    std::string className;
    std::string text;
    int id;
    DWORD style;
    RECT unitRect;
};
HWND CreateBuiltDialog(WindowKind kind, const std::string& caption, DWORD style,
                       const std::vector<BuiltItem>& items, HWND owner, DLGPROC proc, LPARAM param);
// Runs a built dialog modally, with the owner disabled meanwhile; destroys it afterwards.
// Answers the dialog's result, or `stalled` when the driver gave up.
INT_PTR RunBuiltDialog(HWND dialog, INT_PTR stalled);

int CountWindows();

// The MB_ flags a message box was opened with.
UINT MessageBoxType(HWND box);

}  // namespace plenvo::headless
