#pragma once
// The about box: the program's version, its home page and support address.

#include "VQCore/app/DialogWindow.h"

namespace Tessar {

// Deployment addresses of the product's pages.
extern const wchar_t kHomePageAddress[];
extern const wchar_t kHelpPageAddress[];
extern const wchar_t kFeedbackPageAddress[];
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
