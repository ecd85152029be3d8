#include "framework/Wnd.h"

#include "framework/WinApp.h"

namespace plenvo {

HWND CWnd::Detach() {
    HWND window = hwnd;
    hwnd = nullptr;
    return window;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::SendMessageA(hwnd, message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::PostMessageA(hwnd, message, wParam, lParam);
}

void CWnd::SetWindowText(const std::string& text) const { ::SetWindowTextA(hwnd, text.c_str()); }

std::string CWnd::GetWindowText() const {
    std::string text(static_cast<std::size_t>(::GetWindowTextLengthA(hwnd)) + 1, '\0');
    const int n = ::GetWindowTextA(hwnd, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(n > 0 ? n : 0));
    return text;
}

BOOL CWnd::EnableWindow(BOOL enable) const { return ::EnableWindow(hwnd, enable); }

BOOL CWnd::IsWindowEnabled() const { return ::IsWindowEnabled(hwnd); }

HWND CWnd::GetDlgItem(int id) const { return ::GetDlgItem(hwnd, id); }

int CWnd::GetDlgCtrlID() const { return ::GetDlgCtrlID(hwnd); }

void CWnd::SetFocus() const { ::SetFocus(hwnd); }

int CWnd::MessageBox(const std::string& text, UINT type) const {
    const CWinApp* app = AfxGetApp();
    const std::string caption = app != nullptr ? app->AppName() : std::string();
    return ::MessageBoxA(hwnd, text.c_str(), caption.c_str(), type);
}

}  // namespace plenvo
