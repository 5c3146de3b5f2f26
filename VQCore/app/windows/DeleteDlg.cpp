#include "VQCore/app/windows/DeleteDlg.h"

#include "ui/Control.h"
#include "ui/Option.h"

namespace Tessar {

namespace {

enum : int { kDeleteIconId = 101, kUninstallId = 102, kOkId = 130 };

}  // namespace

VQDeleteDlg::VQDeleteDlg(HWND owner, int gameKind) : m_kind(gameKind) {
    CreateDialogWindow(owner, GetWindowTextString(owner), kDialogStyle, WS_EX_DLGMODALFRAME);
}

void VQDeleteDlg::OnLayoutReady() {
    if (m_kind == 4 || m_kind == 6) {
        if (VQControl* uninstall = Find(kUninstallId)) uninstall->SetEnabled(false);
    }
}

void VQDeleteDlg::Notify(VQNotifyMsg& msg) {
    const int id = msg.sender ? msg.sender->GetId() : 0;
    switch (msg.type) {
        case NotifyWindowInit:
            if (VQControl* ok = Find(kOkId)) ok->SetFocus();
            if (VQControl* control = Find(kDeleteIconId)) {
                if (auto* option = static_cast<VQOption*>(control->GetInterface(ControlTypeOption)))
                    option->Selected(true);
            }
            break;
        case NotifySelectionChanged:
            if (id == kDeleteIconId) m_uninstall = false;
            if (id == kUninstallId) m_uninstall = true;
            break;
        case NotifyClick:
            HandleStandardClick(id);
            break;
        default:
            break;
    }
}

}  // namespace Tessar
