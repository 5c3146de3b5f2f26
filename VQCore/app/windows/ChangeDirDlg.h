#pragma once
// Choosing the download and install folders of a game, with a mark that
// says whether the drive has room for what goes there.

#include <cstdint>
#include <string>

#include "VQCore/app/windows/DialogWindow.h"

namespace Tessar {

class VQChangeDirDlg : public VQDialogWindow {
public:
    VQChangeDirDlg(HWND owner, const std::wstring& downloadFolder, const std::wstring& installFolder,
                   uint64_t downloadBytes, uint64_t installBytes);

    const wchar_t* GetWindowClassName() const override { return L"VQChangeDirDlg"; }
    void Notify(VQNotifyMsg& msg) override;

    // A folder the user chose (the picker's answer): too long a path is
    // refused with a message; otherwise it is shown, kept and measured.
    // False when refused.
    bool ApplyChosenFolder(bool install, const std::wstring& folder);

    const std::wstring& GetDownloadFolder() const { return m_downloadFolder; }
    const std::wstring& GetInstallFolder() const { return m_installFolder; }
    bool IsDownloadSpaceOk() const { return m_downloadSpaceOk; }
    bool IsInstallSpaceOk() const { return m_installSpaceOk; }
    // The picture the folder's space mark shows now.
    const std::wstring& GetSpaceMark(bool install) const { return m_marks[install ? 1 : 0]; }

    static const size_t kMaxFolderLength = 200;

private:
    void ShowTooLong();
    void Measure(bool install);

    std::wstring m_downloadFolder;
    std::wstring m_installFolder;
    uint64_t m_downloadBytes;
    uint64_t m_installBytes;
    bool m_downloadSpaceOk = true;
    bool m_installSpaceOk = true;
    std::wstring m_marks[2];
};

}  // namespace Tessar
