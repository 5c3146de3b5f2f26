#include "VQCore/app/windows/PageTipWnd.h"

#include "ui/Control.h"

namespace Tessar {

namespace {

enum : int { kTextId = 100, kFrameId = 101 };
const UINT_PTR kHideTimer = 0;

}  // namespace

VQPageTipWnd::VQPageTipWnd(HWND owner) : m_owner(owner) {
    CreateDialogWindow(owner, std::wstring(), kDialogStyle, WS_EX_NOACTIVATE | WS_EX_DLGMODALFRAME);
}

int VQPageTipWnd::SetText(const std::wstring& text) {
    SetControlText(kTextId, text);
    if (VQControl* frame = Find(kFrameId)) frame->SetPos(0, 0, kWidth, kHeight);
    if (m_paintManager.IsLayered())
        m_paintManager.PaintLayered(255);
    else
        ::InvalidateRect(m_hwnd, nullptr, FALSE);
    return kWidth;
}

void VQPageTipWnd::MoveTo(int x, int y) {
    POINT point = {x, y};
    ::ClientToScreen(m_owner, &point);
    ::SetWindowPos(m_hwnd, nullptr, point.x, point.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void VQPageTipWnd::ShowFor(UINT milliseconds) {
    ::SendMessageW(m_hwnd, kMsgShowTip, 1, 0);
    ::SetTimer(m_hwnd, kHideTimer, milliseconds, nullptr);
}

LRESULT VQPageTipWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kMsgShowTip) {
        if (wParam) {
            ::SetWindowPos(m_hwnd, nullptr, 0, 0, 0, 0,
                           SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        } else {
            ::KillTimer(m_hwnd, kHideTimer);
            ::ShowWindow(m_hwnd, SW_HIDE);
        }
        return 0;
    }
    return VQDialogWindow::HandleMessage(message, wParam, lParam);
}

LRESULT VQPageTipWnd::OnTimer(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) {
    // Whatever timer: the tip has been seen long enough.
    ::ShowWindow(m_hwnd, SW_HIDE);
    ::KillTimer(m_hwnd, kHideTimer);
    return 0;
}

}  // namespace Tessar
