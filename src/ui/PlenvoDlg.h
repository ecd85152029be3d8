#pragma once

// The single-document dialog: shows the active document's TDMRep values and applies or
// removes them in the open document, which the user then saves with the viewer.

#include <span>

#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "host/HostTypes.h"

namespace plenvo {

class CPlenvoDlg : public CDialog {
public:
    // Asks the host for the view's document, which may raise through the caller's frame.
    CPlenvoDlg(host::AVDoc view, HWND owner = nullptr);
    ~CPlenvoDlg() override;

protected:
    std::span<const CommandEntry> GetCommandTable() const override;
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;

private:
    void RefreshStatus();
    void OnReservationChanged();
    void OnApply();
    void OnRemove();
    void OnHelp();

    host::AVDoc view;
    host::PDDoc document;
    CComboBox reservationCombo;
    CEdit policyEdit;
    CStatic reservationStatus;
    CStatic policyStatus;
    CButton includeSchemaCheck;
};

}  // namespace plenvo
