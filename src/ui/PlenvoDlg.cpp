#include "ui/PlenvoDlg.h"

#include "document/DocumentMetadata.h"
#include "host/HostCalls.h"
#include "plugin/PlenvoApp.h"
#include "settings/Settings.h"
#include "ui/DialogSupport.h"
#include "ui/resource.h"

namespace plenvo {

CPlenvoDlg::CPlenvoDlg(host::AVDoc activeView, HWND owner)
    : CDialog(IDD_PLENVO, owner), view(activeView), document(host::AVDocGetPDDoc(activeView)) {}

CPlenvoDlg::~CPlenvoDlg() = default;

std::span<const CommandEntry> CPlenvoDlg::GetCommandTable() const {
    static const CommandEntry kTable[] = {
        OnClicked(IDC_APPLY, &CPlenvoDlg::OnApply),
        OnClicked(IDC_REMOVE, &CPlenvoDlg::OnRemove),
        OnClicked(IDC_HELP_BUTTON, &CPlenvoDlg::OnHelp),
        OnSelChange(IDC_RESERVATION, &CPlenvoDlg::OnReservationChanged),
    };
    return kTable;
}

void CPlenvoDlg::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_RESERVATION, reservationCombo);
    DDX_Control(dx, IDC_POLICY, policyEdit);
    DDX_Control(dx, IDC_STATUS_RESERVATION, reservationStatus);
    DDX_Control(dx, IDC_STATUS_POLICY, policyStatus);
    DDX_Control(dx, IDC_INCLUDE_SCHEMA, includeSchemaCheck);
}

BOOL CPlenvoDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    AddReservationEntries(reservationCombo);
    ShowStoredChoices(reservationCombo, policyEdit, includeSchemaCheck);
    // The document's own values win over the stored ones.
    RefreshStatus();
    OnReservationChanged();
    return TRUE;
}

void CPlenvoDlg::RefreshStatus() {
    if (document == nullptr) return;
    ReservationRecord record;
    if (!ReadDocumentReservation(document, record)) {
        reservationStatus.SetWindowText("Error reading metadata");
        policyStatus.SetWindowText("");
        return;
    }
    // Selecting from code sends no notification, so the edit box keeps its state.
    if (record.reservation == 0) {
        reservationStatus.SetWindowText("Not reserved (mining permitted)");
        reservationCombo.SetCurSel(0);
    } else if (record.reservation == 1) {
        reservationStatus.SetWindowText("Reserved");
        reservationCombo.SetCurSel(1);
    } else {
        reservationStatus.SetWindowText("Not set");
    }
    if (record.policy.empty()) {
        policyStatus.SetWindowText("Not set");
    } else {
        policyStatus.SetWindowText(record.policy);
        policyEdit.SetWindowText(record.policy);
    }
}

void CPlenvoDlg::OnReservationChanged() { policyEdit.EnableWindow(reservationCombo.GetCurSel() == 1); }

void CPlenvoDlg::OnApply() {
    if (document == nullptr) return;
    const std::optional<ReservationRecord> applied =
        ChosenValues(*this, reservationCombo, policyEdit, includeSchemaCheck);
    if (!applied) return;
    if (!ApplyTdmToDocument(document, applied->reservation, applied->policy, applied->includeSchema)) {
        MessageBox("Failed to apply TDMRep metadata.", MB_OK | MB_ICONERROR);
        return;
    }
    SaveSettings(*applied);
    MessageBox("TDMRep metadata applied successfully.\n\nRemember to save the document.", MB_OK | MB_ICONINFORMATION);
    RefreshStatus();
}

void CPlenvoDlg::OnRemove() {
    if (document == nullptr) return;
    if (MessageBox("Remove all TDMRep metadata from this document?", MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    if (!RemoveTdmFromDocument(document)) {
        MessageBox("Failed to remove TDMRep metadata.", MB_OK | MB_ICONERROR);
        return;
    }
    MessageBox("TDMRep metadata removed.\n\nRemember to save the document.", MB_OK | MB_ICONINFORMATION);
    RefreshStatus();
}

void CPlenvoDlg::OnHelp() {
    if (CPlenvoApp* app = ThePlenvoApp()) app->Help().OpenMainHelp();
}

}  // namespace plenvo
