#pragma once

// The batch dialog: a list of PDF files gathered from file picks and folder scans, and
// three runs over the whole list (apply, check, remove), each opening, changing, saving
// and closing every file itself.

#include <span>
#include <string>

#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "ui/PathIndex.h"

namespace plenvo {

class CPlenvoBatchDlg : public CDialog {
public:
    explicit CPlenvoBatchDlg(HWND owner = nullptr);
    ~CPlenvoBatchDlg() override;

    // Appends a row for `path` unless an equal path is listed.
    void AddFileToList(const std::string& path);
    // Adds the ".pdf" files of `folder` (and, when `recursive`, of its subfolders), skipping
    // names that start with a dot and never descending into a linked folder.
    void ScanFolder(const std::string& folder, bool recursive);
    // Enables the buttons that need rows exactly when there are rows.
    void UpdateButtons();

protected:
    std::span<const CommandEntry> GetCommandTable() const override;
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;

private:
    void OnAddFiles();
    void OnAddFolder();
    void OnRemoveSelected();
    void OnClearAll();
    void OnReservationChanged();
    void OnHelp();
    // The runs (BatchRuns.cpp).
    void OnApplyToAll();
    void OnCheckStatus();
    void OnRemoveAll();

    struct Outcome {
        bool succeeded;
        std::string error;
    };
    template <class Operation, class Progress>
    int RunOverList(int n, Progress progressText, Operation perFile);
    void EnableControls(std::span<const int> ids, bool enable) const;
    void WriteRow(int row, const std::string& path, const std::string& reservation,
                  const std::string& policy) const;

    CListCtrl fileList;
    CComboBox reservationCombo;
    CEdit policyEdit;
    CProgressCtrl progressBar;
    CStatic statusLine;
    CButton includeSchemaCheck;
    CButton includeSubfoldersCheck;
    PathIndex listedPaths;
};

// Dispatches what waits in the thread's queue, without the dialog's keyboard handling, so
// clicks made during a run take effect between two files.
void DrainMessages();

}  // namespace plenvo
