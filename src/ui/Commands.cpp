#include "ui/Commands.h"

#include "host/HostCalls.h"
#include "host/HostFrame.h"
#include "ui/PlenvoBatchDlg.h"
#include "ui/PlenvoDlg.h"

namespace plenvo {
namespace {

// Runs a command in its own host exception frame. A host error ends it silently, and so
// does anything else: nothing may escape into the host's menu code.
template <class Command>
void RunGuarded(Command command) {
    try {
        host::HostFrame frame;
        command();
    } catch (const host::HostRaise&) {
    } catch (...) {
    }
}

}  // namespace

void RunSingleDocumentCommand() {
    RunGuarded([] {
        const host::AVDoc view = host::AVAppGetActiveDoc();
        if (view == nullptr) return;
        // The owner is the host's active window, which the dialog disables while it runs.
        CPlenvoDlg dialog(view);
        dialog.DoModal();
    });
}

void RunBatchCommand() {
    RunGuarded([] {
        CPlenvoBatchDlg dialog;
        dialog.DoModal();
    });
}

}  // namespace plenvo
