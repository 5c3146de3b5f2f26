#pragma once
// The small number tip beside the page buttons of an icon list: shown by
// message 0x0411 (wParam non-zero) and hidden again by it or by its timer.

#include <string>

#include "VQCore/app/windows/DialogWindow.h"

namespace Tessar {

class VQPageTipWnd : public VQDialogWindow {
public:
    explicit VQPageTipWnd(HWND owner);

    const wchar_t* GetWindowClassName() const override { return L"VQPageTipWnd"; }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnTimer(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;

    // Sets the text; returns the tip's width.
    int SetText(const std::wstring& text);
    // x, y in the owner's client coordinates.
    void MoveTo(int x, int y);
    // Shows the tip and hides it again after `milliseconds` (timer 0).
    void ShowFor(UINT milliseconds);

    static const UINT kMsgShowTip = WM_USER + 17;
    static const int kWidth = 19;
    static const int kHeight = 23;

private:
    HWND m_owner;
};

}  // namespace Tessar
