#include "VQCore/app/windows/AboutDlg.h"

#include <shellapi.h>

#include "VQCore/app/start/ResourceString.h"
#include "common/FormatText.h"
#include "common/WebAddress.h"
#include "common/ServerAddresses.h"
#include "ui/Control.h"

namespace Tessar {

const wchar_t kSupportMailAddress[] = L"mailto:support@tovana.example";

namespace {

enum : int { kCloseId = 103, kHomeLinkId = 107, kSupportLinkId = 108, kOkId = 109, kVersionId = 110 };
const UINT kVersionFormat = 1070;
const int kVersion[4] = {1, 7, 1, 1752};

}  // namespace

std::wstring VQAboutDlg::VersionText() {
    return FormatString(LoadResourceString(kVersionFormat).c_str(), kVersion[0], kVersion[1], kVersion[2],
                        kVersion[3]);
}

VQAboutDlg::VQAboutDlg(HWND owner) {
    CreateDialogWindow(owner, GetWindowTextString(owner), kDialogStyle, WS_EX_DLGMODALFRAME);
}

void VQAboutDlg::Notify(VQNotifyMsg& msg) {
    const int id = msg.sender ? msg.sender->GetId() : 0;
    if (msg.type == NotifyWindowInit) {
        SetControlText(kVersionId, VersionText());
    } else if (msg.type == NotifyClick) {
        if (id == kCloseId || id == kOkId) {
            EndWithResult(id == kOkId ? kDialogOk : kDialogCancel);
        } else if (id == kHomeLinkId) {
            OpenWebAddress(GetServerAddress(kHomePage), ::GetActiveWindow());
        } else if (id == kSupportLinkId) {
            ::ShellExecuteW(m_hwnd, L"open", kSupportMailAddress, nullptr, nullptr, SW_SHOWNORMAL);
        }
    }
}

}  // namespace Tessar
