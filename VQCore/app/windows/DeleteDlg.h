#pragma once
// Asks how a game goes: only its tile, or uninstalled as well. Web games
// (kind 4) and the user's own programs (kind 6) can only lose their tile.

#include "VQCore/app/windows/DialogWindow.h"

namespace Tessar {

class VQDeleteDlg : public VQDialogWindow {
public:
    VQDeleteDlg(HWND owner, int gameKind);

    const wchar_t* GetWindowClassName() const override { return L"VQDeleteDlg"; }
    void Notify(VQNotifyMsg& msg) override;

    // The caller's with-data flag of the removal.
    bool IsUninstall() const { return m_uninstall; }

protected:
    void OnLayoutReady() override;

private:
    int m_kind;
    bool m_uninstall = false;
};

}  // namespace Tessar
