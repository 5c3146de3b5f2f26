// The paint manager's handling of its host window's messages: keyboard,
// mouse buttons, timers, painting through the off-screen bitmap, delayed
// cleanup, and the Tab-key pre-translation of the message loop.
#include <windowsx.h>

#include <algorithm>

#include "ui/PaintManager.h"

namespace Tessar {

bool VQPaintManager::MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (!m_hostWindow) return false;
    for (size_t i = 0; i < m_filters.size(); ++i) {
        bool handled = false;
        LRESULT value = m_filters[i]->MessageFilter(message, wParam, lParam, handled);
        if (handled) {
            result = value;
            return true;
        }
    }
    const POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
    case WM_SIZE:
        m_sizeChanged = true;
        return true;
    case WM_PAINT:
        OnPaint();
        return true;
    case WM_ERASEBKGND:
        result = 1;
        return true;
    case WM_CLOSE:
        if (m_hover) SendEvent(m_hover, EventMouseLeave, m_hover);
        if (m_leftPressed) SendEvent(m_leftPressed, EventLButtonUp, m_leftPressed);
        if (m_rightPressed) SendEvent(m_rightPressed, EventContextMenu, m_rightPressed);
        SetFocus(nullptr);
        if (HWND owner = ::GetWindow(m_hostWindow, GW_OWNER)) ::SetFocus(owner);
        return false;
    case WM_KEYDOWN:
        if (m_focus) {
            SendEvent(m_focus, EventKeyDown, nullptr, 0, 0, static_cast<wchar_t>(wParam), GetModifierFlags());
            m_keyPressed = m_focus;
        }
        return false;
    case WM_KEYUP:
        if (m_keyPressed) {
            VQControl* target = m_keyPressed;
            m_keyPressed = nullptr;
            SendEvent(target, EventKeyUp, nullptr, 0, 0, static_cast<wchar_t>(wParam), GetModifierFlags());
        }
        return false;
    case WM_CHAR:
        if (m_focus) SendEvent(m_focus, EventChar, nullptr, 0, 0, static_cast<wchar_t>(wParam), GetModifierFlags());
        return false;
    case WM_TIMER:
        OnTimerMessage(LOWORD(wParam));
        return false;
    case WM_LBUTTONDOWN: {
        ::SetFocus(m_hostWindow);
        m_lastMouse = pt;
        VQControl* control = FindControlAt(pt.x, pt.y);
        if (!Owns(control)) return false;
        m_leftPressed = control;
        control->SetFocus();
        SetCapture();
        // The focus change may have freed the control through its notifications.
        if (m_leftPressed == control)
            SendEvent(control, EventLButtonDown, nullptr, wParam, lParam, 0, LOWORD(wParam));
        return false;
    }
    case WM_LBUTTONUP:
        m_lastMouse = pt;
        if (m_leftPressed) {
            VQControl* control = m_leftPressed;
            ReleaseCapture();
            m_leftPressed = nullptr;
            SendEvent(control, EventLButtonUp, nullptr, wParam, lParam, 0, LOWORD(wParam));
        }
        return false;
    case WM_VQ_DELAYED_CLEANUP:
        DeleteDelayedCleanup();
        return false;
    default:
        return false;
    }
}

void VQPaintManager::OnPaint() {
    RECT update;
    if (!::GetUpdateRect(m_hostWindow, &update, FALSE)) return;
    RECT client;
    ::GetClientRect(m_hostWindow, &client);
    if (m_sizeChanged) {
        m_sizeChanged = false;
        if (m_root) m_root->SetPos(client.left, client.top, client.right, client.bottom);
        if (m_offscreenBitmap) ::DeleteObject(m_offscreenBitmap);
        if (m_offscreenDC) ::DeleteDC(m_offscreenDC);
        m_offscreenBitmap = nullptr;
        m_offscreenDC = nullptr;
    }
    if (m_tabPending) MoveFocus(true);
    if (m_firstPaintPending) {
        m_firstPaintPending = false;
        SendNotify(m_root, NotifyWindowInit, 0, 0);
    }
    if (m_needUpdate) {
        m_needUpdate = false;
        struct Pending {
            static VQControl* Find(VQControl* c, void*) { return c->IsUpdateNeeded() ? c : nullptr; }
        };
        // SetPos clears the flag of the control it lays out; the cap guards
        // against a control whose SetPos never does.
        for (int round = 0; m_root && round < 10000; ++round) {
            VQControl* control = m_root->FindControl(&Pending::Find, nullptr, FindMeFirst | FindVisible);
            if (!control) break;
            RECT rc = control->GetPos();
            control->SetPos(rc.left, rc.top, rc.right, rc.bottom);
        }
    }
    if (!m_offscreenBitmap && m_windowDC && client.right > client.left && client.bottom > client.top) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = client.right - client.left;
        info.bmiHeader.biHeight = client.bottom - client.top;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        m_offscreenDC = ::CreateCompatibleDC(m_windowDC);
        m_offscreenBitmap = ::CreateDIBSection(m_windowDC, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    }
    PAINTSTRUCT ps;
    HDC paintDC = ::BeginPaint(m_hostWindow, &ps);
    if (m_offscreenDC && m_offscreenBitmap) {
        HGDIOBJ old = ::SelectObject(m_offscreenDC, m_offscreenBitmap);
        if (m_root) m_root->DoPaint(m_offscreenDC, ps.rcPaint);
        ::BitBlt(paintDC, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
                 ps.rcPaint.bottom - ps.rcPaint.top, m_offscreenDC, ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
        ::SelectObject(m_offscreenDC, old);
    }
    ::EndPaint(m_hostWindow, &ps);
}

bool VQPaintManager::PreTranslateMessage(const MSG* msg) {
    HWND parent = ::GetParent(msg->hwnd);
    LONG_PTR style = ::GetWindowLongPtrW(msg->hwnd, GWL_STYLE);
    // A copy: a handler may create or destroy windows and their managers.
    std::vector<VQPaintManager*> managers = Managers();
    for (VQPaintManager* manager : managers) {
        const auto& live = Managers();
        if (std::find(live.begin(), live.end(), manager) == live.end()) continue;
        if (msg->hwnd != manager->m_hostWindow && !(parent == manager->m_hostWindow && (style & WS_CHILD)))
            continue;
        if (msg->message == WM_KEYDOWN && msg->wParam == VK_TAB) {
            manager->MoveFocus(::GetKeyState(VK_SHIFT) >= 0);
            return true;
        }
        if (msg->message == WM_SYSKEYDOWN && manager->m_focus)
            manager->SendEvent(manager->m_focus, EventSysKeyDown, nullptr, 0, 0, static_cast<wchar_t>(msg->wParam),
                               GetModifierFlags());
    }
    return false;
}

}  // namespace Tessar
