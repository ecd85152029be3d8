#pragma once
// What a person does to real windows and what a person sees in them, through window
// messages only, for the tests that run under Wine. The names follow the headless user
// driver's, so a dialog test reads the same on both.

#include <windows.h>

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace plenvo::wine {

// ---- What a person does. Each answers false when a person could not do it: no such
// control, or it or its window is hidden or disabled. ----------------------------------

// BM_CLICK, sent: the click's handlers have run when this returns.
bool Click(HWND window, int id);
// BM_CLICK, posted: it waits in the queue for whoever drains it next.
bool PostClick(HWND window, int id);
// Focuses an edit box, as a person's click into it does, and sets its text (WM_SETTEXT).
bool TypeText(HWND window, int id, std::string_view text);
// CB_SETCURSEL, then the CBN_SELCHANGE notification that a person's pick sends the parent.
bool PickEntry(HWND window, int id, int index);
// BM_SETCHECK, then the BN_CLICKED notification that a person's click sends the parent.
bool SetChecked(HWND window, int id, bool checked);
// A key pressed on the window's focused control (on the window when no control of it has
// the focus), posted as WM_KEYDOWN and WM_KEYUP for the modal loop's dialog manager.
bool PressKey(HWND window, UINT virtualKey);
// The caption's close box: WM_SYSCOMMAND SC_CLOSE, posted.
bool CloseBox(HWND window);
// Exactly these rows end selected (LVM_SETITEMSTATE).
bool SelectRows(HWND window, int id, std::span<const int> rows);
// Clicks one of a message box's buttons.
bool AnswerMessageBox(HWND box, int buttonId);
// In the Explorer-style file-open dialog: types the folder into the file name box and
// presses Open, which goes to the folder, then types the names, each in quotes, and
// presses Open again.
bool ChooseFiles(HWND picker, std::string_view folder, const std::vector<std::string>& names);

// ---- What a person sees. -----------------------------------------------------------------
struct MessageBoxView {
    std::string caption;
    std::string text;
    std::vector<int> buttons;  // ids of the buttons shown, in id order
    LPCSTR icon = nullptr;     // IDI_QUESTION, IDI_EXCLAMATION, ...; null for none
};

struct ProgressView {
    int low = 0;
    int high = 0;
    int position = 0;
};

std::string Caption(HWND window);
std::string ClassName(HWND window);
std::string Text(HWND window, int id);
bool IsEnabled(HWND window, int id);
bool IsChecked(HWND window, int id);
int ComboSelection(HWND window, int id);
std::vector<std::string> ComboEntries(HWND window, int id);
std::vector<std::string> ListColumns(HWND window, int id);
std::vector<std::vector<std::string>> ListRows(HWND window, int id);
std::vector<int> SelectedRows(HWND window, int id);
ProgressView Progress(HWND window, int id);
// The id of the control of `window` that has the keyboard focus, 0 for none.
int FocusedId(HWND window);
bool IsMessageBox(HWND window);
bool IsFilePicker(HWND window);
MessageBoxView ReadMessageBox(HWND box);

// The enabled, visible dialog window of this thread that a person would act on: the one
// of the innermost modal loop. Null when there is none.
HWND ActiveDialog();

}  // namespace plenvo::wine
