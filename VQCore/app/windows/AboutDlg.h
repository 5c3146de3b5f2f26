#pragma once
// The about box: the program's version, its home page and support address.

#include "VQCore/app/windows/DialogWindow.h"

namespace Tessar {

// The support address (the product's pages are in the server address
// table, common/ServerAddresses.h).
extern const wchar_t kSupportMailAddress[];

class VQAboutDlg : public VQDialogWindow {
public:
    explicit VQAboutDlg(HWND owner);

    const wchar_t* GetWindowClassName() const override { return L"VQAboutDlg"; }
    void Notify(VQNotifyMsg& msg) override;

    // The text of the version line.
    static std::wstring VersionText();
};

}  // namespace Tessar
