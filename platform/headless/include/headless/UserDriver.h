#pragma once
// The user driver: the one way a test, or the plenvo command, acts as a person on the
// headless windows. Actions go in as window messages (clicks, keys, characters), so the
// program under test sees what it would see on Windows; readers ask the controls by
// messages too.

#include <windows.h>

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace plenvo::headless {

enum class Moment {
    ModalLoopIdle,  // a modal loop waits for the user
    QueueEmpty,     // the program looked at an empty queue while busy (PeekMessageA)
};

enum class WindowKind { None, Window, Dialog, MessageBox, FileOpen, FolderBrowser };

class UserDriver {
public:
    virtual ~UserDriver() = default;
    // `top` is the window of the innermost modal loop (null when there is none). Returns
    // true when it acted. A modal loop whose driver does not act gives up: the dialog
    // answers -1, a message box 0, a common dialog "cancelled", and the stall is recorded.
    virtual bool Act(Moment moment, HWND top) = 0;
};

// Installs the driver for the whole process and answers the one installed before.
HEADLESS_EXPORT UserDriver* InstallUserDriver(UserDriver* driver);

// Captions of the modal windows whose loops gave up since the last call.
HEADLESS_EXPORT std::vector<std::string> TakeStalls();

// ---- What a person does. Each answers false when a person could not do it: no such
// control, or it or its window is hidden or disabled. ----------------------------------
HEADLESS_EXPORT bool Click(HWND window, int id);
HEADLESS_EXPORT bool SetChecked(HWND window, int id, bool checked);
HEADLESS_EXPORT bool PickEntry(HWND window, int id, int index);
HEADLESS_EXPORT bool PickEntryText(HWND window, int id, std::string_view text);
// Focuses the edit box, selects all of its text and types `text` over it.
HEADLESS_EXPORT bool TypeText(HWND window, int id, std::string_view text);
// A key pressed on the window's focused control (or on the window when none has focus).
HEADLESS_EXPORT bool PressKey(HWND window, UINT virtualKey);
HEADLESS_EXPORT bool CloseBox(HWND window);
// Clicks the first row, then control-clicks the others: exactly these rows end selected.
HEADLESS_EXPORT bool SelectRows(HWND window, int id, std::span<const int> rows);
HEADLESS_EXPORT bool AnswerMessageBox(HWND box, int buttonId);
// Picks existing files in one folder and confirms; an empty list cancels.
HEADLESS_EXPORT bool AnswerFileOpen(HWND dialog, std::span<const std::string> paths);
// Chooses a folder and confirms; an empty path cancels.
HEADLESS_EXPORT bool AnswerFolderBrowser(HWND browser, const std::string& folder);

// ---- What a person sees. -----------------------------------------------------------------
struct ItemView {
    std::string className;
    int id;
    std::string text;
    DWORD style;
    DWORD exStyle;
    RECT unitRect;  // dialog units: left, top, width, height
    bool enabled;
    bool visible;
};

struct MessageBoxView {
    std::string text;
    std::string caption;
    UINT type = 0;  // MB_ flags as given
};

struct ProgressView {
    int low = 0;
    int high = 0;
    int position = 0;
};

HEADLESS_EXPORT WindowKind KindOf(HWND window);
HEADLESS_EXPORT std::string Caption(HWND window);
HEADLESS_EXPORT std::vector<ItemView> Items(HWND window);
HEADLESS_EXPORT std::string Text(HWND window, int id);
HEADLESS_EXPORT bool IsEnabled(HWND window, int id);
HEADLESS_EXPORT bool IsChecked(HWND window, int id);
HEADLESS_EXPORT int ComboSelection(HWND window, int id);
HEADLESS_EXPORT std::vector<std::string> ComboEntries(HWND window, int id);
HEADLESS_EXPORT std::vector<std::vector<std::string>> ListRows(HWND window, int id);
HEADLESS_EXPORT std::vector<int> SelectedRows(HWND window, int id);
HEADLESS_EXPORT std::vector<std::string> ListColumns(HWND window, int id);
HEADLESS_EXPORT ProgressView Progress(HWND window, int id);
HEADLESS_EXPORT int FocusedId(HWND window);
HEADLESS_EXPORT MessageBoxView ReadMessageBox(HWND box);
// The folder the file-open dialog shows and its filter names, the chosen one first.
HEADLESS_EXPORT std::string FileOpenFolder(HWND dialog);

// A driver that plays a list of steps in order. A step added with Then runs when a modal
// loop waits; one added with WhileBusy runs when the program peeks at an empty queue
// (between two files of a run, say), or when a modal loop waits, whichever comes first.
class HEADLESS_EXPORT ScriptedDriver : public UserDriver {
public:
    using Step = std::function<void(HWND top)>;

    ScriptedDriver& Then(Step step);
    ScriptedDriver& WhileBusy(Step step);
    bool Act(Moment moment, HWND top) override;
    // Steps not played yet.
    std::size_t Remaining() const { return steps_.size() - next_; }

private:
    struct Entry {
        Step step;
        bool busy;
    };
    std::vector<Entry> steps_;
    std::size_t next_ = 0;
};

// Installs a driver for the life of the scope.
class DriverScope {
public:
    explicit DriverScope(UserDriver& driver) : previous_(InstallUserDriver(&driver)) {}
    ~DriverScope() { InstallUserDriver(previous_); }
    DriverScope(const DriverScope&) = delete;
    DriverScope& operator=(const DriverScope&) = delete;

private:
    UserDriver* previous_;
};

}  // namespace plenvo::headless
