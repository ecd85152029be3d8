#pragma once
// The framework tests' dialog over template IDD_TEST, shared by the headless tests and the
// tests under Wine: each handler leaves a line in the log, so a test sees what ran.

#include <windows.h>

#include <commctrl.h>

#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "TestDialogIds.h"
#include "framework/Controls.h"
#include "framework/Dialog.h"

namespace plenvo::test {

using Log = std::vector<std::string>;

class CTestDlg : public CDialog {
public:
    explicit CTestDlg(HWND owner) : CDialog(IDD_TEST, owner) {}

    Log log;

private:
    std::span<const CommandEntry> GetCommandTable() const override {
        static const CommandEntry kTable[] = {
            OnClicked(IDC_APPLY, &CTestDlg::OnApply), OnClicked(IDC_ASK, &CTestDlg::OnAsk),
            OnClicked(IDC_RUN, &CTestDlg::OnRun),     OnClicked(IDC_COUNT, &CTestDlg::OnCount),
            OnClicked(IDC_LOCK, &CTestDlg::OnLock),   OnClicked(IDC_FAIL, &CTestDlg::OnFail),
            OnSelChange(IDC_CHOICE, &CTestDlg::OnChoice),
        };
        return kTable;
    }

    void DoDataExchange(CDataExchange* dx) override {
        DDX_Control(dx, IDC_CHOICE, choice);
        DDX_Control(dx, IDC_NAME, name);
        DDX_Control(dx, IDC_STATUS, status);
        DDX_Control(dx, IDC_TICK, tick);
        DDX_Control(dx, IDC_ROWS, rows);
        DDX_Control(dx, IDC_PROGRESS, progress);
    }

    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        choice.AddString("zero");
        choice.AddString("one");
        choice.SetCurSel(0);
        rows.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
        rows.InsertColumn(0, "Path", LVCFMT_LEFT, 260);
        rows.InsertColumn(1, "State", LVCFMT_LEFT, 80);
        tick.SetCheck(BST_CHECKED);
        log.push_back("init");
        return TRUE;
    }

    void OnApply() {
        log.push_back("apply " + name.GetWindowText() + " " + std::to_string(choice.GetCurSel()));
        EndDialog(IDC_APPLY);
    }

    void OnAsk() {
        const int answer = MessageBox("Go on?", MB_YESNO | MB_ICONQUESTION);
        status.SetWindowText(answer == IDYES ? "yes" : "no");
        log.push_back(std::string("ask ") + (answer == IDYES ? "yes" : "no"));
    }

    // A run that keeps the dialog answering between its steps, as the batch runs do.
    void OnRun() {
        log.push_back("run");
        progress.SetRange32(0, 3);
        for (int i = 1; i <= 3; ++i) {
            status.SetWindowText("step " + std::to_string(i));
            progress.SetPos(i);
            if (i == 2) {
                PostMessage(WM_COMMAND, MAKEWPARAM(IDC_COUNT, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(IDC_COUNT)));
            }
            PumpWaitingMessages();
            log.push_back("step " + std::to_string(i) + (::IsWindowVisible(GetSafeHwnd()) ? "" : " hidden"));
        }
    }

    void OnCount() { log.push_back("count " + std::to_string(++counted)); }

    void OnLock() {
        log.push_back("lock");
        ::EnableWindow(GetDlgItem(IDCANCEL), FALSE);
        ::EnableWindow(GetDlgItem(IDC_APPLY), FALSE);
    }

    void OnFail() { throw std::runtime_error("handler failed"); }

    void OnChoice() { log.push_back("choice " + std::to_string(choice.GetCurSel())); }

    CComboBox choice;
    CEdit name;
    CStatic status;
    CButton tick;
    CListCtrl rows;
    CProgressCtrl progress;
    int counted = 0;
};

class CBrokenDlg : public CDialog {
public:
    CBrokenDlg() : CDialog(IDD_BROKEN) {}

private:
    void DoDataExchange(CDataExchange* dx) override { DDX_Control(dx, IDC_NAME, name); }
    CEdit name;
};

}  // namespace plenvo::test
