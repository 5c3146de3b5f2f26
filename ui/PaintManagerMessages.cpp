// The paint manager's routing of its host window's messages: one table,
// message -> route, each route saying whether it handled the message.
// Keyboard, focus, timers, commands and the Tab-key pre-translation of the
// message loop live here; mouse routes are in PaintManagerMouse.cpp and
// painting in PaintManagerPaint.cpp.
#include <ole2.h>
#include <windowsx.h>

#include <algorithm>

#include "ui/ActiveX.h"
#include "ui/PaintManager.h"
#include "ui/RichEdit.h"

namespace Tessar {

namespace {

// Reflected child-window commands go back to the child with this number.
const UINT kReflectedCommand = 0x2111;

}  // namespace

const VQPaintManager::RouteEntry VQPaintManager::s_routes[] = {
    {WM_SIZE, &VQPaintManager::OnSizeMessage},
    {WM_KILLFOCUS, &VQPaintManager::OnKillFocusMessage},
    {WM_PAINT, &VQPaintManager::OnPaintMessage},
    {WM_CLOSE, &VQPaintManager::OnCloseMessage},
    {WM_ERASEBKGND, &VQPaintManager::OnEraseBkgnd},
    {WM_SETCURSOR, &VQPaintManager::OnSetCursorMessage},
    {WM_GETMINMAXINFO, &VQPaintManager::OnGetMinMaxInfo},
    {WM_CONTEXTMENU, &VQPaintManager::OnContextMenuMessage},
    {WM_NCHITTEST, &VQPaintManager::OnNcHitTest},
    {WM_KEYDOWN, &VQPaintManager::OnKeyDownMessage},
    {WM_KEYUP, &VQPaintManager::OnKeyUpMessage},
    {WM_CHAR, &VQPaintManager::OnCharMessage},
    {WM_COMMAND, &VQPaintManager::OnCommandMessage},
    {WM_MOUSEMOVE, &VQPaintManager::OnMouseMoveMessage},
    {WM_TIMER, &VQPaintManager::OnTimerRoute},
    {WM_LBUTTONDOWN, &VQPaintManager::OnLButtonDownMessage},
    {WM_LBUTTONUP, &VQPaintManager::OnLButtonUpMessage},
    {WM_LBUTTONDBLCLK, &VQPaintManager::OnLButtonDblClkMessage},
    {WM_RBUTTONDOWN, &VQPaintManager::OnRButtonDownMessage},
    {WM_MOUSEWHEEL, &VQPaintManager::OnMouseWheelMessage},
    {WM_MOUSEHOVER, &VQPaintManager::OnMouseHoverMessage},
    {WM_MOUSELEAVE, &VQPaintManager::OnMouseLeaveMessage},
    {WM_VQ_DELAYED_CLEANUP, &VQPaintManager::OnDelayedCleanupMessage},
};

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
    for (const RouteEntry& entry : s_routes)
        if (entry.message == message) return (this->*entry.route)(wParam, lParam, result);
    return false;
}

bool VQPaintManager::OnKillFocusMessage(WPARAM wParam, LPARAM, LRESULT&) {
    // The focus goes to a native child window of one of our controls
    // (an edit box, an ActiveX object): that control holds the focus now.
    HWND receiving = reinterpret_cast<HWND>(wParam);
    if (!receiving) return false;
    VQControl* owner = FindControlByWindow(receiving);
    if (!Owns(owner)) return false;
    // The control that had the focus loses it, or two would look focused.
    if (m_focus && m_focus != owner) {
        VQControl* old = m_focus;
        m_focus = nullptr;
        SendEvent(old, EventKillFocus, owner);
    }
    VQEvent event;
    owner->OnSetFocus(event);
    m_focus = owner;
    return false;
}

bool VQPaintManager::OnCloseMessage(WPARAM, LPARAM, LRESULT&) {
    // Let the controls drop hover and pressed looks before the window goes.
    if (m_hover) SendEvent(m_hover, EventMouseLeave, m_hover);
    if (m_leftPressed) SendEvent(m_leftPressed, EventLButtonUp, m_leftPressed);
    if (m_rightPressed) SendEvent(m_rightPressed, EventContextMenu, m_rightPressed);
    SetFocus(nullptr);
    if (HWND owner = ::GetWindow(m_hostWindow, GW_OWNER)) ::SetFocus(owner);
    return false;
}

bool VQPaintManager::OnEraseBkgnd(WPARAM, LPARAM, LRESULT& result) {
    result = 1;
    return true;
}

bool VQPaintManager::OnGetMinMaxInfo(WPARAM, LPARAM lParam, LRESULT&) {
    MINMAXINFO* info = reinterpret_cast<MINMAXINFO*>(lParam);
    if (!info) return false;
    if (m_minInfo.cx > 0) info->ptMinTrackSize.x = m_minInfo.cx;
    if (m_minInfo.cy > 0) info->ptMinTrackSize.y = m_minInfo.cy;
    if (m_maxInfo.cx > 0) {
        info->ptMaxTrackSize.x = m_maxInfo.cx;
        info->ptMaxSize.x = m_maxInfo.cx;
    }
    if (m_maxInfo.cy > 0) {
        info->ptMaxTrackSize.y = m_maxInfo.cy;
        info->ptMaxSize.y = m_maxInfo.cy;
    } else {
        MONITORINFO monitor = {};
        monitor.cbSize = sizeof(monitor);
        if (::GetMonitorInfoW(::MonitorFromWindow(m_hostWindow, MONITOR_DEFAULTTONEAREST), &monitor))
            info->ptMaxTrackSize.y =
                monitor.rcWork.bottom - monitor.rcWork.top + 2 * std::abs(static_cast<int>(info->ptMaxPosition.y));
    }
    return false;
}

bool VQPaintManager::OnKeyDownMessage(WPARAM wParam, LPARAM, LRESULT&) {
    if (!m_focus) return false;
    VQControl* target = m_focus;
    m_keyPressed = target;
    SendEvent(target, EventKeyDown, nullptr, 0, 0, static_cast<wchar_t>(wParam), GetModifierFlags());
    return false;
}

bool VQPaintManager::OnKeyUpMessage(WPARAM wParam, LPARAM, LRESULT&) {
    if (!m_keyPressed) return false;
    VQControl* target = m_keyPressed;
    m_keyPressed = nullptr;
    SendEvent(target, EventKeyUp, nullptr, 0, 0, static_cast<wchar_t>(wParam), GetModifierFlags());
    return false;
}

bool VQPaintManager::OnCharMessage(WPARAM wParam, LPARAM, LRESULT&) {
    if (m_focus) SendEvent(m_focus, EventChar, nullptr, 0, 0, static_cast<wchar_t>(wParam), GetModifierFlags());
    return false;
}

bool VQPaintManager::OnCommandMessage(WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (!lParam) return false;
    result = ::SendMessageW(reinterpret_cast<HWND>(lParam), kReflectedCommand, wParam, lParam);
    return true;
}

bool VQPaintManager::OnTimerRoute(WPARAM wParam, LPARAM, LRESULT&) {
    OnTimerMessage(LOWORD(wParam));
    return false;
}

bool VQPaintManager::OnDelayedCleanupMessage(WPARAM, LPARAM, LRESULT&) {
    DeleteDelayedCleanup();
    return false;
}

namespace {

// The in-place active object of an ActiveX control sees keys first (its
// accelerators); what it answers does not change the routing.
void OfferToActiveX(VQControl* control, const MSG* msg) {
    static const IID kInPlaceActiveObject = {
        0x00000117, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
    VQActiveX* activeX = static_cast<VQActiveX*>(control->GetInterface(ControlTypeActiveX));
    if (!activeX) return;
    IOleInPlaceActiveObject* active = nullptr;
    if (SUCCEEDED(activeX->GetControl(kInPlaceActiveObject, reinterpret_cast<void**>(&active))) && active) {
        active->TranslateAccelerator(const_cast<MSG*>(msg));
        active->Release();
    }
}

// A rich edit that wants Tab gets it typed into its text.
bool KeepsTab(VQControl* control) {
    if (!control || !control->IsVisible() || !control->IsEnabled()) return false;
    if (control->GetControlType() != ControlTypeRichEdit) return false;
    VQRichEdit* edit = static_cast<VQRichEdit*>(control->GetInterface(ControlTypeRichEdit));
    return edit && edit->IsWantTab();
}

}  // namespace

bool VQPaintManager::TranslateKey(const MSG* msg) {
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_TAB) {
        if (KeepsTab(m_focus)) return false;
        MoveFocus(::GetKeyState(VK_SHIFT) >= 0);
        return true;
    }
    if (msg->message == WM_SYSKEYDOWN && m_focus)
        SendEvent(m_focus, EventSysKeyDown, nullptr, 0, 0, static_cast<wchar_t>(msg->wParam), GetModifierFlags());
    return false;
}

bool VQPaintManager::PreTranslateMessage(const MSG* msg) {
    HWND parent = ::GetParent(msg->hwnd);
    LONG_PTR style = ::GetWindowLongPtrW(msg->hwnd, GWL_STYLE);
    // A copy: a handler may create or destroy windows and their managers.
    std::vector<VQPaintManager*> managers = Managers();
    for (VQPaintManager* manager : managers) {
        const auto& live = Managers();
        if (std::find(live.begin(), live.end(), manager) == live.end()) continue;
        if (manager->m_root && manager->m_focus && ::GetFocus() == msg->hwnd &&
            manager->FindControlByWindow(msg->hwnd) == manager->m_focus)
            OfferToActiveX(manager->m_focus, msg);
        if (msg->hwnd != manager->m_hostWindow && !(parent == manager->m_hostWindow && (style & WS_CHILD)))
            continue;
        if (manager->TranslateKey(msg)) return true;
    }
    return false;
}

}  // namespace Tessar
