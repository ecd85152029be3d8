#pragma once
// Modal dialogs made from the module's templates: data exchange binds member controls to
// template items, and a command table routes button clicks and selection changes to
// member handlers. Cancel (control 2, Escape, the close box) ends the dialog.

#include <windows.h>

#include <exception>
#include <span>
#include <vector>

#include "framework/Wnd.h"

namespace plenvo {

class CDialog;

struct CommandEntry {
    UINT code;  // BN_CLICKED, CBN_SELCHANGE, ...
    int id;
    void (CDialog::*handler)();
};

template <class D>
inline CommandEntry OnClicked(int id, void (D::*handler)()) {
    return CommandEntry{BN_CLICKED, id, static_cast<void (CDialog::*)()>(handler)};
}

template <class D>
inline CommandEntry OnSelChange(int id, void (D::*handler)()) {
    return CommandEntry{CBN_SELCHANGE, id, static_cast<void (CDialog::*)()>(handler)};
}

class CDataExchange {
public:
    CDataExchange(CDialog& owner, bool save) : dialog(owner), saveAndValidate(save) {}
    CDialog& dialog;
    const bool saveAndValidate;
};

// Binds `control` to the template item `id`; a template without that item is a
// programming error and throws std::logic_error.
void DDX_Control(CDataExchange* dx, int id, CWnd& control);

class CDialog : public CWnd {
public:
    // The owner is disabled while the dialog runs; null means the active window.
    explicit CDialog(UINT dialogTemplate, HWND ownerWindow = nullptr);
    ~CDialog() override;

    virtual std::span<const CommandEntry> GetCommandTable() const;
    virtual void DoDataExchange(CDataExchange* dx);
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

    // Runs the dialog until it ends and answers what EndDialog was given, or -1 when the
    // dialog could not be made. An exception thrown by a handler ends the dialog and is
    // thrown again from here, once the window is gone.
    INT_PTR DoModal();
    void EndDialog(int result);
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

private:
    friend void DDX_Control(CDataExchange*, int, CWnd&);
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool OnCommand(WPARAM wParam);
    void ForgetWindows();

    UINT templateId;
    HWND modalOwner;
    std::vector<CWnd*> boundControls;
    std::exception_ptr failure;
};

// Dispatches what is queued for this thread without the dialog manager's keyboard rules
// (Tab, Enter and Escape do nothing), so clicks made meanwhile run their handlers here.
// When such a handler threw, its dialog has ended and the exception is thrown again here.
void PumpWaitingMessages();

}  // namespace plenvo
