#include "framework/Dialog.h"

#include <commctrl.h>

#include <stdexcept>
#include <string>
#include <utility>

#include "framework/WinApp.h"

namespace plenvo {
namespace {

// A handler's exception on its way out: set when a dialog procedure caught it, taken by
// the pump or by DoModal, whichever unwinds first.
thread_local std::exception_ptr t_escaping;

// Templates name the list view and the progress bar by class, and Windows knows those
// classes only once the common-controls library has registered them in the process.
void RegisterCommonControls() {
    static const bool registered = [] {
        INITCOMMONCONTROLSEX controls{};
        controls.dwSize = sizeof controls;
        controls.dwICC = ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS;
        return InitCommonControlsEx(&controls) != FALSE;
    }();
    static_cast<void>(registered);
}

}  // namespace

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
    HWND item = ::GetDlgItem(dx->dialog.GetSafeHwnd(), id);
    if (item == nullptr) {
        throw std::logic_error("dialog " + std::to_string(dx->dialog.templateId) + " has no control " +
                               std::to_string(id));
    }
    if (control.GetSafeHwnd() != item) {
        control.Attach(item);
        dx->dialog.boundControls.push_back(&control);
    }
}

CDialog::CDialog(UINT dialogTemplate, HWND ownerWindow) : templateId(dialogTemplate), modalOwner(ownerWindow) {}

CDialog::~CDialog() = default;

std::span<const CommandEntry> CDialog::GetCommandTable() const { return {}; }

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (UpdateData(TRUE)) {
        EndDialog(IDOK);
    }
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

INT_PTR CDialog::DoModal() {
    RegisterCommonControls();
    const HWND ownerWindow = modalOwner != nullptr ? modalOwner : ::GetActiveWindow();
    const INT_PTR result = ::DialogBoxParamA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(templateId), ownerWindow,
                                             &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    ForgetWindows();
    if (failure) {
        t_escaping = nullptr;
        std::rethrow_exception(std::exchange(failure, nullptr));
    }
    return result;
}

void CDialog::EndDialog(int result) { ::EndDialog(hwnd, result); }

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
    CDataExchange dx(*this, saveAndValidate != FALSE);
    DoDataExchange(&dx);
    return TRUE;
}

bool CDialog::OnCommand(WPARAM wParam) {
    const UINT code = HIWORD(wParam);
    const int id = LOWORD(wParam);
    for (const CommandEntry& entry : GetCommandTable()) {
        if (entry.code == code && static_cast<WORD>(entry.id) == id) {
            (this->*entry.handler)();
            return true;
        }
    }
    if (code == BN_CLICKED && id == IDOK) {
        OnOK();
        return true;
    }
    if (code == BN_CLICKED && id == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}

void CDialog::ForgetWindows() {
    for (CWnd* control : boundControls) {
        control->Detach();
    }
    boundControls.clear();
    hwnd = nullptr;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        ::SetWindowLongPtrA(window, DWLP_USER, lParam);
        reinterpret_cast<CDialog*>(lParam)->hwnd = window;
    }
    auto* self = reinterpret_cast<CDialog*>(::GetWindowLongPtrA(window, DWLP_USER));
    if (self == nullptr) {
        return FALSE;
    }
    // No exception may cross the window manager: it ends the dialog and waits in DoModal.
    try {
        switch (message) {
            case WM_INITDIALOG:
                return self->OnInitDialog();
            case WM_COMMAND:
                return self->OnCommand(wParam) ? TRUE : FALSE;
            case WM_NCDESTROY:
                ::SetWindowLongPtrA(window, DWLP_USER, 0);
                return FALSE;
            default:
                return FALSE;
        }
    } catch (...) {
        if (!self->failure) {
            self->failure = std::current_exception();
        }
        t_escaping = self->failure;
        ::EndDialog(window, -1);
        return TRUE;
    }
}

void PumpWaitingMessages() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
        if (t_escaping) {
            std::rethrow_exception(std::exchange(t_escaping, nullptr));
        }
    }
}

}  // namespace plenvo
