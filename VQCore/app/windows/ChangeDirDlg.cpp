#include "VQCore/app/windows/ChangeDirDlg.h"

#include <cwctype>

#include "VQCore/app/start/ResourceString.h"
#include "common/DriveUtil.h"
#include "common/FormatText.h"
#include "ui/Control.h"

namespace Tessar {

namespace {

enum : int {
    kCloseId = 100,
    kDownloadFolderId = 101,
    kDownloadChangeId = 102,
    kInstallFolderId = 103,
    kInstallChangeId = 104,
    kOkId = 105,
    kCancelId = 106,
    kDownloadMarkId = 108,
    kInstallMarkId = 109,
};

enum : UINT { kTextNotice = 1004, kTextTooLong = 1011, kTextChooseFolder = 1018 };

const int kSpaceMarkPicture = 395;

bool SameDrive(const std::wstring& a, const std::wstring& b) {
    return a.size() >= 2 && b.size() >= 2 && a[1] == L':' && b[1] == L':' &&
           std::towupper(a[0]) == std::towupper(b[0]);
}

}  // namespace

VQChangeDirDlg::VQChangeDirDlg(HWND owner, const std::wstring& downloadFolder, const std::wstring& installFolder,
                               uint64_t downloadBytes, uint64_t installBytes)
    : m_downloadFolder(downloadFolder),
      m_installFolder(installFolder),
      m_downloadBytes(downloadBytes),
      m_installBytes(installBytes) {
    CreateDialogWindow(owner, GetWindowTextString(owner), kDialogStyle, WS_EX_DLGMODALFRAME);
}

void VQChangeDirDlg::Notify(VQNotifyMsg& msg) {
    const int id = msg.sender ? msg.sender->GetId() : 0;
    switch (msg.type) {
    case NotifyWindowInit:
        if (VQControl* ok = Find(kOkId)) ok->SetFocus();
        SetControlText(kDownloadFolderId, m_downloadFolder);
        SetControlText(kInstallFolderId, m_installFolder);
        break;
    case NotifyTextLimit: ShowTooLong(); break;
    case NotifyClick:
        if (id == kCloseId || id == kCancelId) {
            EndWithResult(kDialogCancel);
        } else if (id == kOkId) {
            EndWithResult(kDialogOk);
        } else if (id == kDownloadChangeId || id == kInstallChangeId) {
            const bool install = id == kInstallChangeId;
            std::wstring folder = install ? m_installFolder : m_downloadFolder;
            if (BrowseForFolder(LoadResourceString(kTextChooseFolder), folder)) ApplyChosenFolder(install, folder);
        }
        break;
    default: break;
    }
}

void VQChangeDirDlg::ShowTooLong() {
    ::MessageBoxW(m_hwnd, LoadResourceString(kTextTooLong).c_str(), LoadResourceString(kTextNotice).c_str(), MB_OK);
}

bool VQChangeDirDlg::ApplyChosenFolder(bool install, const std::wstring& folder) {
    if (folder.size() > kMaxFolderLength) {
        ShowTooLong();
        return false;
    }
    (install ? m_installFolder : m_downloadFolder) = folder;
    SetControlText(install ? kInstallFolderId : kDownloadFolderId, folder);
    Measure(install);
    return true;
}

void VQChangeDirDlg::Measure(bool install) {
    const std::wstring& folder = install ? m_installFolder : m_downloadFolder;
    uint64_t need = install ? m_installBytes : m_downloadBytes;
    // Both on one drive: that drive must hold both.
    if (!m_downloadFolder.empty() && !m_installFolder.empty() && SameDrive(m_downloadFolder, m_installFolder))
        need = m_downloadBytes + m_installBytes;
    bool ok = false;
    if (!folder.empty()) {
        VQDriveInfo info;
        const std::wstring root = FormatString(L"%c:\\", folder[0]);
        // A drive whose free space cannot be read counts as too small.
        ok = GetDriveDetails(root, info) && info.volumeRead && info.freeBytes > need;
    }
    (install ? m_installSpaceOk : m_downloadSpaceOk) = ok;
    std::wstring& picture = m_marks[install ? 1 : 0];
    picture = FormatString(ok ? L"res='%d' restype='PNG' source='0,0,18,19'" : L"res='%d' restype='PNG' source='0,19,18,38'",
                           kSpaceMarkPicture);
    if (VQControl* mark = Find(install ? kInstallMarkId : kDownloadMarkId)) {
        mark->SetAttribute(L"normalimage", picture);
        mark->Invalidate();
    }
}

}  // namespace Tessar
