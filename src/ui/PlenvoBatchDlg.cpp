#include "ui/PlenvoBatchDlg.h"

#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>
#include <shlobj.h>

#include <vector>

#include "framework/CommonDialogs.h"
#include "framework/Paths.h"
#include "plugin/PlenvoApp.h"
#include "ui/DialogSupport.h"
#include "ui/resource.h"

namespace plenvo {
namespace {

// What the file-open dialog may write its choice into: about 200 long paths.
constexpr DWORD kFileBufferSize = 50001;

class FindHandle {
public:
    explicit FindHandle(HANDLE find) : handle(find) {}
    ~FindHandle() {
        if (handle != INVALID_HANDLE_VALUE) ::FindClose(handle);
    }
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;

    explicit operator bool() const { return handle != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle; }

private:
    HANDLE handle;
};

char FoldAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool HasPdfExtension(const std::string& path) {
    constexpr std::string_view kExtension = ".pdf";
    if (path.size() < kExtension.size()) return false;
    const std::string_view tail = std::string_view(path).substr(path.size() - kExtension.size());
    for (std::size_t i = 0; i < kExtension.size(); ++i) {
        if (FoldAscii(tail[i]) != kExtension[i]) return false;
    }
    return true;
}

}  // namespace

CPlenvoBatchDlg::CPlenvoBatchDlg(HWND owner) : CDialog(IDD_PLENVO_BATCH, owner) {}

CPlenvoBatchDlg::~CPlenvoBatchDlg() = default;

std::span<const CommandEntry> CPlenvoBatchDlg::GetCommandTable() const {
    static const CommandEntry kTable[] = {
        OnClicked(IDC_ADD_FILES, &CPlenvoBatchDlg::OnAddFiles),
        OnClicked(IDC_ADD_FOLDER, &CPlenvoBatchDlg::OnAddFolder),
        OnClicked(IDC_REMOVE_SELECTED, &CPlenvoBatchDlg::OnRemoveSelected),
        OnClicked(IDC_CLEAR_ALL, &CPlenvoBatchDlg::OnClearAll),
        OnClicked(IDC_APPLY_TO_ALL, &CPlenvoBatchDlg::OnApplyToAll),
        OnClicked(IDC_CHECK_STATUS, &CPlenvoBatchDlg::OnCheckStatus),
        OnClicked(IDC_REMOVE_ALL, &CPlenvoBatchDlg::OnRemoveAll),
        OnClicked(IDC_BATCH_HELP, &CPlenvoBatchDlg::OnHelp),
        OnSelChange(IDC_BATCH_RESERVATION, &CPlenvoBatchDlg::OnReservationChanged),
    };
    return kTable;
}

void CPlenvoBatchDlg::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_FILE_LIST, fileList);
    DDX_Control(dx, IDC_BATCH_RESERVATION, reservationCombo);
    DDX_Control(dx, IDC_BATCH_POLICY, policyEdit);
    DDX_Control(dx, IDC_PROGRESS, progressBar);
    DDX_Control(dx, IDC_STATUS_LINE, statusLine);
    DDX_Control(dx, IDC_BATCH_INCLUDE_SCHEMA, includeSchemaCheck);
    DDX_Control(dx, IDC_INCLUDE_SUBFOLDERS, includeSubfoldersCheck);
}

BOOL CPlenvoBatchDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    fileList.SetExtendedStyle(fileList.GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    fileList.InsertColumn(0, "File Path", LVCFMT_LEFT, 260);
    fileList.InsertColumn(1, "Reservation", LVCFMT_LEFT, 80);
    fileList.InsertColumn(2, "Policy URL", LVCFMT_LEFT, 160);
    AddReservationEntries(reservationCombo);
    ShowStoredChoices(reservationCombo, policyEdit, includeSchemaCheck);
    includeSubfoldersCheck.SetCheck(BST_CHECKED);
    statusLine.SetWindowText("Ready");
    UpdateButtons();
    OnReservationChanged();
    return TRUE;
}

void CPlenvoBatchDlg::AddFileToList(const std::string& path) {
    if (!listedPaths.Insert(path)) return;
    fileList.InsertItem(fileList.GetItemCount(), path);
}

void CPlenvoBatchDlg::ScanFolder(const std::string& folder, bool recursive) {
    const std::string base = WithTrailingSeparator(folder);
    WIN32_FIND_DATAA entry{};
    const FindHandle find(::FindFirstFileA((base + "*.*").c_str(), &entry));
    if (!find) return;
    do {
        // Also ".", ".." and every hidden-by-convention file or folder.
        if (entry.cFileName[0] == '.') continue;
        const std::string full = base + entry.cFileName;
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            // A linked folder may lead back to one of its parents: never descend into one.
            if (recursive && (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
                ScanFolder(full, true);
            }
            continue;
        }
        if (HasPdfExtension(full)) AddFileToList(full);
    } while (::FindNextFileA(find.Get(), &entry));
}

void CPlenvoBatchDlg::UpdateButtons() {
    const BOOL hasRows = fileList.GetItemCount() > 0;
    for (int id : {IDC_APPLY_TO_ALL, IDC_REMOVE_ALL, IDC_CHECK_STATUS, IDC_REMOVE_SELECTED, IDC_CLEAR_ALL}) {
        ::EnableWindow(GetDlgItem(id), hasRows);
    }
}

void CPlenvoBatchDlg::OnAddFiles() {
    CFileDialog picker("pdf", nullptr, OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY,
                       "PDF Files (*.pdf)|*.pdf|All Files (*.*)|*.*||", GetSafeHwnd(), kFileBufferSize);
    if (picker.DoModal() == IDOK) {
        for (const std::string& path : picker.GetPathNames()) AddFileToList(path);
    } else if (picker.GetError() == FNERR_BUFFERTOOSMALL) {
        // The platform drops such a choice without a word: say so, or the user believes
        // the files were added.
        MessageBox("Too many files were selected at once, so none were added.\n\n"
                   "Select fewer files at a time, or use Add Folder... to add a whole folder.",
                   MB_OK | MB_ICONWARNING);
    }
    UpdateButtons();
}

void CPlenvoBatchDlg::OnAddFolder() {
    if (const auto folder = BrowseForFolder(GetSafeHwnd(), "Select folder containing PDF files:",
                                            BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE)) {
        ScanFolder(*folder, includeSubfoldersCheck.GetCheck() == BST_CHECKED);
    }
    UpdateButtons();
}

void CPlenvoBatchDlg::OnRemoveSelected() {
    std::vector<int> selected;
    for (int row = fileList.GetNextItem(-1, LVNI_SELECTED); row >= 0; row = fileList.GetNextItem(row, LVNI_SELECTED)) {
        selected.push_back(row);
    }
    // From the bottom up, so the rows still to go keep their indices.
    for (auto it = selected.rbegin(); it != selected.rend(); ++it) {
        listedPaths.Erase(fileList.GetItemText(*it, 0));
        fileList.DeleteItem(*it);
    }
    UpdateButtons();
}

void CPlenvoBatchDlg::OnClearAll() {
    fileList.DeleteAllItems();
    listedPaths.Clear();
    UpdateButtons();
}

void CPlenvoBatchDlg::OnReservationChanged() { policyEdit.EnableWindow(reservationCombo.GetCurSel() == 1); }

void CPlenvoBatchDlg::OnHelp() {
    if (CPlenvoApp* app = ThePlenvoApp()) app->Help().OpenHelpTopic("Plenvo-Batch", "");
}

}  // namespace plenvo
