// The three runs of the batch dialog: each walks the rows from the first to the n-th,
// hands each path to its per-file operation and records the outcome.

#include <windows.h>

#include <string>

#include "document/FileOperations.h"
#include "framework/Dialog.h"
#include "settings/Settings.h"
#include "ui/DialogSupport.h"
#include "ui/PlenvoBatchDlg.h"
#include "ui/resource.h"

namespace plenvo {
namespace {

constexpr int kApplyControls[] = {IDC_APPLY_TO_ALL, IDC_ADD_FILES, IDC_ADD_FOLDER, IDCANCEL};
constexpr int kCheckControls[] = {IDC_CHECK_STATUS};
constexpr int kRemoveControls[] = {IDC_REMOVE_ALL, IDC_APPLY_TO_ALL, IDC_ADD_FILES, IDC_ADD_FOLDER, IDCANCEL};

// Successes, failures and their error lines, for the summary of apply and remove.
struct Tally {
    int succeeded = 0;
    int failed = 0;
    std::string errors;

    void Add(bool success, const std::string& error) {
        if (success) {
            ++succeeded;
        } else {
            ++failed;
            errors += error;
            errors += '\n';
        }
    }

    std::string Summary(const char* heading) const {
        std::string text = FormatText("%s\n\nSucceeded: %d\nFailed: %d", heading, succeeded, failed);
        if (!errors.empty()) text += "\n\nErrors:\n" + errors;
        return text;
    }

    UINT Kind() const { return MB_OK | (failed > 0 ? MB_ICONWARNING : MB_ICONINFORMATION); }
};

const char* ReservationColumn(std::int32_t reservation) {
    switch (reservation) {
        case 0:
            return "0 (not reserved)";
        case 1:
            return "1 (reserved)";
        default:
            return "Not set";
    }
}

}  // namespace

void DrainMessages() { PumpWaitingMessages(); }

void CPlenvoBatchDlg::EnableControls(std::span<const int> ids, bool enable) const {
    for (int id : ids) ::EnableWindow(GetDlgItem(id), enable ? TRUE : FALSE);
}

// A command run between two files may have deleted or moved rows: a file's outcome goes
// only into a row that still shows that file.
void CPlenvoBatchDlg::WriteRow(int row, const std::string& path, const std::string& reservation,
                               const std::string& policy) const {
    if (row >= fileList.GetItemCount() || fileList.GetItemText(row, 0) != path) return;
    fileList.SetItemText(row, 1, reservation);
    fileList.SetItemText(row, 2, policy);
}

// Rows 0 to n - 1, each: read its path, show progress (the bar counts the file being
// worked on as done), let waiting clicks run, then the operation. A run whose list became
// shorter than n meanwhile ends at the first row that is gone. Answers the rows processed.
template <class Operation, class Progress>
int CPlenvoBatchDlg::RunOverList(int n, Progress progressText, Operation perFile) {
    progressBar.SetRange32(0, n);
    progressBar.SetPos(0);
    int processed = 0;
    for (int i = 0; i < n; ++i) {
        if (i >= fileList.GetItemCount()) break;
        const std::string path = fileList.GetItemText(i, 0);
        statusLine.SetWindowText(progressText(i + 1, n, path));
        progressBar.SetPos(i + 1);
        DrainMessages();
        perFile(i, path);
        ++processed;
    }
    return processed;
}

void CPlenvoBatchDlg::OnApplyToAll() {
    const int n = fileList.GetItemCount();
    if (n == 0) {
        MessageBox("No files in the list.", MB_OK | MB_ICONWARNING);
        return;
    }
    const std::optional<ReservationRecord> chosen =
        ChosenValues(*this, reservationCombo, policyEdit, includeSchemaCheck);
    if (!chosen) return;
    const ReservationRecord applied = *chosen;
    const std::string question =
        FormatText("Apply TDMRep metadata to %d file(s)?\n\nReservation: %d\nPolicy: %s", n, applied.reservation,
                   applied.policy.empty() ? "(none)" : applied.policy.c_str());
    if (MessageBox(question, MB_YESNO | MB_ICONQUESTION) != IDYES) return;

    EnableControls(kApplyControls, false);
    Tally tally;
    RunOverList(
        n, [](int i, int count, const std::string& path) { return FormatText("Processing %d of %d: %s", i, count, path.c_str()); },
        [&](int, const std::string& path) {
            std::string error;
            tally.Add(ApplyTdmToFile(path, applied.reservation, applied.policy, applied.includeSchema, error), error);
        });
    // Only choices that worked at least once become the next defaults.
    if (tally.succeeded >= 1) SaveSettings(applied);
    EnableControls(kApplyControls, true);
    const std::string summary = tally.Summary("Batch processing complete.");
    statusLine.SetWindowText("Complete");
    MessageBox(summary, tally.Kind());
}

void CPlenvoBatchDlg::OnCheckStatus() {
    const int n = fileList.GetItemCount();
    if (n == 0) {
        MessageBox("No files in the list.", MB_OK | MB_ICONWARNING);
        return;
    }
    EnableControls(kCheckControls, false);
    RunOverList(
        n, [](int i, int count, const std::string&) { return FormatText("Checking %d of %d...", i, count); },
        [&](int row, const std::string& path) {
            ReservationRecord record;
            std::string error;
            if (CheckTdmOfFile(path, record, error)) {
                WriteRow(row, path, ReservationColumn(record.reservation), record.policy);
            } else {
                WriteRow(row, path, "Error", error);
            }
        });
    EnableControls(kCheckControls, true);
    statusLine.SetWindowText("Check complete");
}

void CPlenvoBatchDlg::OnRemoveAll() {
    const int n = fileList.GetItemCount();
    if (n == 0) {
        MessageBox("No files in the list.", MB_OK | MB_ICONWARNING);
        return;
    }
    const std::string question = FormatText(
        "Remove all TDMRep metadata from %d file(s)?\n\nThis will strip tdm:reservation and tdm:policy from each "
        "file,\nmeaning AI crawlers will see no TDM restriction.",
        n);
    if (MessageBox(question, MB_YESNO | MB_ICONQUESTION) != IDYES) return;

    EnableControls(kRemoveControls, false);
    Tally tally;
    RunOverList(
        n, [](int i, int count, const std::string& path) { return FormatText("Removing %d of %d: %s", i, count, path.c_str()); },
        [&](int row, const std::string& path) {
            std::string error;
            const bool removed = RemoveTdmFromFile(path, error);
            tally.Add(removed, error);
            WriteRow(row, path, removed ? "Removed" : "Error", removed ? "" : error);
        });
    EnableControls(kRemoveControls, true);
    const std::string summary = tally.Summary("Batch removal complete.");
    statusLine.SetWindowText("Removal complete");
    MessageBox(summary, tally.Kind());
}

}  // namespace plenvo
