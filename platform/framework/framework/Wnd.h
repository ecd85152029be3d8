#pragma once
// A window owned by someone else, seen through its handle: the base of dialogs and
// controls. Everything goes through window messages.

#include <windows.h>

#include <string>

namespace plenvo {

class CWnd {
public:
    CWnd() = default;
    virtual ~CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND GetSafeHwnd() const { return hwnd; }
    void Attach(HWND window) { hwnd = window; }
    HWND Detach();

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    void SetWindowText(const std::string& text) const;
    std::string GetWindowText() const;
    BOOL EnableWindow(BOOL enable = TRUE) const;
    BOOL IsWindowEnabled() const;
    HWND GetDlgItem(int id) const;
    int GetDlgCtrlID() const;
    void SetFocus() const;

    // A message box owned by this window and captioned with the application's name.
    int MessageBox(const std::string& text, UINT type = MB_OK) const;

protected:
    HWND hwnd = nullptr;
};

}  // namespace plenvo
