// Mouse routes of the paint manager: hover and its tooltip, the pressed
// controls and capture, the wheel, the cursor, the context menu, and the
// non-client hit test that gives the skin its resize borders and caption.
#include <windowsx.h>

#include "ui/PaintManager.h"

#include "common/SystemLibrary.h"

namespace Tessar {

namespace {

POINT PointOf(LPARAM lParam) {
    POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    return pt;
}

// The control's position shrunk by its cut; the hover and its tip only
// count inside it.
bool InsideCut(const VQControl* control, POINT pt) {
    const RECT cut = control->GetCut();
    if (cut.left == 0 && cut.top == 0 && cut.right == 0 && cut.bottom == 0) return true;
    const RECT pos = control->GetPos();
    RECT inner = {pos.left + cut.left, pos.top + cut.top, pos.right - cut.right, pos.bottom - cut.bottom};
    return ::PtInRect(&inner, pt) != FALSE;
}

}  // namespace

VQControl* VQPaintManager::FindControlByWindow(HWND hwnd) const {
    if (!m_root || !hwnd) return nullptr;
    struct Walk {
        static VQControl* Test(VQControl* c, void* data) {
            HWND own = c->GetNativeHandle();
            HWND wanted = static_cast<HWND>(data);
            if (!own) return nullptr;
            return (own == wanted || ::IsChild(own, wanted)) ? c : nullptr;
        }
    };
    return m_root->FindControl(&Walk::Test, hwnd, FindVisible | FindEnabled | FindLastFirst);
}

bool VQPaintManager::OnMouseMoveMessage(WPARAM, LPARAM lParam, LRESULT&) {
    const POINT pt = PointOf(lParam);
    m_lastMouse = pt;
    VQControl* target = FindControlAt(pt.x, pt.y);
    if (target && !Owns(target)) return false;
    if (target != m_hover && m_hover) {
        VQControl* old = m_hover;
        m_hover = nullptr;
        SendEvent(old, EventMouseLeave, target);
        HideToolTip();
        m_hoverTrackingArmed = false;
    }
    // A control that wants a hover after every pause asks again.
    if (target && target == m_hover && target->m_hasBeenHover) m_hoverTrackingArmed = false;
    const bool pressedCaptures = (m_leftPressed && m_leftPressed->m_capture) ||
                                 (m_rightPressed && m_rightPressed->m_capture);
    if (target && target != m_hover && !pressedCaptures) {
        m_hover = target;
        SendEvent(target, EventMouseEnter, nullptr);
    }
    if (!m_leftPressed && !m_rightPressed) {
        if (target) SendEvent(target, EventMouseMove, nullptr);
    } else {
        // Handlers may clear either pointer; read each just before use.
        if (m_leftPressed) SendEvent(m_leftPressed, EventMouseMove, nullptr);
        if (m_rightPressed) SendEvent(m_rightPressed, EventMouseMove, nullptr);
    }
    if (!m_hoverTrackingArmed) {
        TRACKMOUSEEVENT track = {};
        track.cbSize = sizeof(track);
        track.dwFlags = TME_LEAVE;
        track.hwndTrack = m_hostWindow;
        track.dwHoverTime = 0;
        // The target may have been freed by its own events: ask the tree again.
        VQControl* now = FindControlAt(pt.x, pt.y);
        if (now && now == target && InsideCut(now, pt) && now->m_toolTipDelay != 0) {
            track.dwFlags |= TME_HOVER;
            track.dwHoverTime = static_cast<DWORD>(now->m_toolTipDelay);
            m_hoverTracked = now;
        }
        if (m_trackMouseEvent) m_trackMouseEvent(&track);
        m_hoverTrackingArmed = true;
    }
    return false;
}

bool VQPaintManager::OnMouseHoverMessage(WPARAM, LPARAM lParam, LRESULT&) {
    const POINT pt = PointOf(lParam);
    VQControl* target = FindControlAt(pt.x, pt.y);
    if (!target || !Owns(target) || !InsideCut(target, pt) || target != m_hoverTracked) return false;
    if (m_hover) SendEvent(m_hover, EventMouseHover, target, 0, 0);
    // The hover event may have removed the control.
    if (FindControlAt(pt.x, pt.y) != target) return true;
    ShowToolTip(target);
    return true;
}

void VQPaintManager::ShowToolTip(VQControl* control) {
    m_toolTipText = control->GetToolTip();
    if (m_toolTipText.empty() || control->m_customToolTip) return;
    ::ZeroMemory(&m_toolInfo, sizeof(m_toolInfo));
    m_toolInfo.cbSize = sizeof(m_toolInfo);
    m_toolInfo.uFlags = TTF_IDISHWND;
    m_toolInfo.hwnd = m_hostWindow;
    m_toolInfo.uId = reinterpret_cast<UINT_PTR>(m_hostWindow);
    m_toolInfo.hinst = ::GetModuleHandleW(nullptr);
    m_toolInfo.lpszText = &m_toolTipText[0];
    m_toolInfo.rect = control->GetPos();
    if (!m_toolTipWindow) {
        // The tooltip class comes with the common controls, loaded now.
        if (!LoadSystemLibrary(L"comctl32.dll")) return;
        m_toolTipWindow = ::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                            m_hostWindow, nullptr, ::GetModuleHandleW(nullptr), nullptr);
        if (!m_toolTipWindow) return;
        ::SendMessageW(m_toolTipWindow, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&m_toolInfo));
        ::SendMessageW(m_toolTipWindow, TTM_SETMAXTIPWIDTH, 0, 300);
    }
    ::SendMessageW(m_toolTipWindow, TTM_SETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&m_toolInfo));
    ::SendMessageW(m_toolTipWindow, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&m_toolInfo));
    m_activeToolTip = m_toolTipWindow;
}

void VQPaintManager::HideToolTip() {
    if (!m_activeToolTip) return;
    ::SendMessageW(m_activeToolTip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&m_toolInfo));
    m_activeToolTip = nullptr;
}

bool VQPaintManager::OnMouseLeaveMessage(WPARAM, LPARAM, LRESULT&) {
    HideToolTip();
    if (m_hoverTrackingArmed) ::SendMessageW(m_hostWindow, WM_MOUSEMOVE, 0, static_cast<LPARAM>(-1));
    // A button still down when the mouse left: the pressed control gets its
    // up (or context-menu) event so it does not stay pressed.
    if (m_leftPressed) ::SendMessageW(m_hostWindow, WM_LBUTTONUP, 0, static_cast<LPARAM>(-1));
    if (m_rightPressed) ::SendMessageW(m_hostWindow, WM_CONTEXTMENU, 0, static_cast<LPARAM>(-1));
    m_hoverTrackingArmed = false;
    return false;
}

bool VQPaintManager::OnLButtonDownMessage(WPARAM wParam, LPARAM lParam, LRESULT&) {
    ::SetFocus(m_hostWindow);
    const POINT pt = PointOf(lParam);
    m_lastMouse = pt;
    VQControl* control = FindControlAt(pt.x, pt.y);
    if (!Owns(control)) return false;
    m_leftPressed = control;
    control->SetFocus();
    SetCapture();
    // The focus change may have freed the control through its notifications.
    if (m_leftPressed == control) SendEvent(control, EventLButtonDown, nullptr, wParam, lParam, 0, LOWORD(wParam));
    return false;
}

bool VQPaintManager::OnLButtonUpMessage(WPARAM wParam, LPARAM lParam, LRESULT&) {
    m_lastMouse = PointOf(lParam);
    if (!m_leftPressed) {
        // The pressed control went away while the button was down: the
        // capture taken for it is still given back.
        if (m_mouseCaptured) ReleaseCapture();
        return false;
    }
    VQControl* control = m_leftPressed;
    ReleaseCapture();
    // ReleaseCapture may have sent messages that cleared it.
    if (m_leftPressed != control) return false;
    m_leftPressed = nullptr;
    SendEvent(control, EventLButtonUp, nullptr, wParam, lParam, 0, LOWORD(wParam));
    return false;
}

bool VQPaintManager::OnLButtonDblClkMessage(WPARAM wParam, LPARAM lParam, LRESULT&) {
    ::SetFocus(m_hostWindow);
    const POINT pt = PointOf(lParam);
    m_lastMouse = pt;
    VQControl* control = FindControlAt(pt.x, pt.y);
    if (!Owns(control)) return false;
    SetCapture();
    SendEvent(control, EventLButtonDblClk, nullptr, 0, 0, 0, LOWORD(wParam));
    // The event may have removed the control.
    if (FindControlAt(pt.x, pt.y) == control) m_leftPressed = control;
    return false;
}

bool VQPaintManager::OnRButtonDownMessage(WPARAM wParam, LPARAM lParam, LRESULT&) {
    ::SetFocus(m_hostWindow);
    const POINT pt = PointOf(lParam);
    m_lastMouse = pt;
    VQControl* control = FindControlAt(pt.x, pt.y);
    if (!Owns(control)) return false;
    control->SetFocus();
    SetCapture();
    m_rightPressed = control;
    SendEvent(control, EventRButtonDown, nullptr, wParam, lParam, 0, LOWORD(wParam));
    return false;
}

bool VQPaintManager::OnContextMenuMessage(WPARAM, LPARAM lParam, LRESULT&) {
    POINT pt = PointOf(lParam);
    ::ScreenToClient(m_hostWindow, &pt);
    m_lastMouse = pt;
    if (!m_rightPressed) return false;
    VQControl* control = m_rightPressed;
    m_rightPressed = nullptr;
    ReleaseCapture();
    // wParam of WM_CONTEXTMENU is a window, not key flags: the key state
    // comes from the keyboard itself.
    SendEvent(control, EventContextMenu, nullptr, 0, reinterpret_cast<LPARAM>(control), 0, GetModifierFlags());
    return false;
}

bool VQPaintManager::OnMouseWheelMessage(WPARAM wParam, LPARAM lParam, LRESULT&) {
    POINT pt = PointOf(lParam);
    ::ScreenToClient(m_hostWindow, &pt);
    m_lastMouse = pt;
    VQControl* control = FindControlAt(pt.x, pt.y);
    if (!Owns(control)) return false;
    const short delta = static_cast<short>(HIWORD(wParam));
    SendEvent(control, EventMouseWheel, nullptr, delta < 0 ? 1 : 0, lParam, 0, GetModifierFlags());
    // The content may have scrolled under the mouse: refresh the hover.
    ::SendMessageW(m_hostWindow, WM_MOUSEMOVE, 0, MAKELPARAM(m_lastMouse.x, m_lastMouse.y));
    return false;
}

bool VQPaintManager::OnSetCursorMessage(WPARAM wParam, LPARAM lParam, LRESULT&) {
    if (LOWORD(lParam) != HTCLIENT) return false;
    if (m_mouseCaptured) return true;
    POINT pt;
    ::GetCursorPos(&pt);
    ::ScreenToClient(m_hostWindow, &pt);
    VQControl* control = FindControlAt(pt.x, pt.y);
    if (!Owns(control) || !control->TestFlag(FlagSetCursor)) return false;
    VQEvent event;
    event.type = EventSetCursor;
    event.timestamp = ::GetTickCount();
    event.mouse = pt;
    event.keyState = GetModifierFlags();
    event.wParam = wParam;
    event.lParam = lParam;
    control->DoEvent(event);
    return true;
}

bool VQPaintManager::OnNcHitTest(WPARAM, LPARAM lParam, LRESULT& result) {
    POINT pt = PointOf(lParam);
    ::ScreenToClient(m_hostWindow, &pt);
    RECT client;
    ::GetClientRect(m_hostWindow, &client);
    const RECT& box = m_sizeBox;
    const int c = m_sizeBoxCorner;
    const bool hasBox = box.left != 0 || box.top != 0 || box.right != 0 || box.bottom != 0;
    if (!::IsZoomed(m_hostWindow) && hasBox) {
        LRESULT zone = HTNOWHERE;
        if (pt.y < client.top + box.top) {
            zone = pt.x < client.left + box.left + c ? HTTOPLEFT
                   : pt.x > client.right - box.right - c ? HTTOPRIGHT : HTTOP;
        } else if (pt.y > client.bottom - box.bottom) {
            zone = pt.x < client.left + box.left + c ? HTBOTTOMLEFT
                   : pt.x > client.right - box.right - c ? HTBOTTOMRIGHT : HTBOTTOM;
        } else if (pt.x < client.left + box.left) {
            zone = pt.y < client.top + box.top + c ? HTTOPLEFT
                   : pt.y > client.bottom - box.bottom - c ? HTBOTTOMLEFT : HTLEFT;
        } else if (pt.x > client.right - box.right) {
            zone = pt.y < client.top + box.top + c ? HTTOPRIGHT
                   : pt.y > client.bottom - box.bottom - c ? HTBOTTOMRIGHT : HTRIGHT;
        }
        if (zone != HTNOWHERE) {
            result = zone;
            return true;
        }
    }
    const RECT& cap = m_caption;
    if (pt.x >= client.left + cap.left && pt.x < client.right - cap.right && pt.y >= cap.top &&
        pt.y < cap.bottom) {
        VQControl* control = FindControlAt(pt.x, pt.y);
        if (control && control->m_caption) {
            result = HTCAPTION;
            return true;
        }
    }
    return false;
}

}  // namespace Tessar
