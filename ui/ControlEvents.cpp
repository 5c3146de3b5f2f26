// Event dispatch, the base handlers, forwarding to the parent and
// activation of VQControl.
#include "ui/Control.h"
#include "ui/PaintManager.h"

namespace Tessar {

WORD GetModifierFlags() {
    WORD state = 0;
    if (::GetKeyState(VK_RBUTTON) < 0) state |= KeyStateRButton;
    if (::GetKeyState(VK_LBUTTON) < 0) state |= KeyStateLButton;
    if (::GetKeyState(VK_SHIFT) < 0) state |= KeyStateShift;
    if (::GetKeyState(VK_CONTROL) < 0) state |= KeyStateControl;
    if (::GetKeyState(VK_MENU) < 0) state |= KeyStateAlt;
    return state;
}

void VQControl::DoEvent(VQEvent& event) {
    switch (event.type) {
    case EventKeyDown: OnKeyDown(event); break;
    case EventKeyUp: OnKeyUp(event); break;
    case EventChar: OnChar(event); break;
    case EventSysKeyDown: OnSysKeyDown(event); break;
    case EventMouseMove: OnMouseMove(event); break;
    case EventMouseLeave: OnMouseLeave(event); break;
    case EventMouseEnter: OnMouseEnter(event); break;
    case EventMouseHover: OnMouseHover(event); break;
    case EventMouseWheel: OnMouseWheel(event); break;
    case EventLButtonDown: OnLButtonDown(event); break;
    case EventLButtonUp: OnLButtonUp(event); break;
    case EventRButtonDown: OnRButtonDown(event); break;
    case EventLButtonDblClk: OnLButtonDblClk(event); break;
    case EventContextMenu: OnContextMenu(event); break;
    case EventKillFocus: OnKillFocus(event); break;
    case EventSetFocus: OnSetFocus(event); break;
    case EventSetCursor: OnSetCursor(event); break;
    case EventTimer: OnTimer(event); break;
    default: break;
    }
}

void VQControl::NotifyIfWanted(int type, const VQEvent& event) {
    if (m_manager && TestNotifyBit(type)) m_manager->SendNotify(this, type, event.wParam, event.lParam);
}

bool VQControl::ShouldForward(int dispatchBit) const {
    return m_parent && TestDispatchBit(dispatchBit);
}

// Every handler ends by handing the event to the same slot of the parent.
#define VQ_FORWARD(bit, handler)        \
    if (ShouldForward(bit)) {           \
        event.forwardedFrom = this;     \
        m_parent->handler(event);       \
    }

void VQControl::OnMouseEnter(VQEvent& event) {
    if (PointInItem(event.mouse) && !(m_state & StateHot)) {
        m_state |= StateHot;
        Invalidate();
    }
    if (m_manager && TestFlag(FlagEnterRollText)) {
        m_rollStep = 1;
        m_rolling = true;
        m_manager->SetTimer(this, AnimationRoll, 50);
    }
    NotifyIfWanted(NotifyMouseEnter, event);
    VQ_FORWARD(EventMouseEnter, OnMouseEnter)
}

void VQControl::OnMouseHover(VQEvent& event) {
    NotifyIfWanted(NotifyMouseHover, event);
    VQ_FORWARD(EventMouseHover, OnMouseHover)
}

void VQControl::OnMouseLeave(VQEvent& event) {
    if (m_state & StateHot) {
        m_state &= ~StateHot;
        Invalidate();
    }
    if (m_manager && TestFlag(FlagEnterRollText)) {
        m_rolling = false;
        m_rollOffset = 0;
        m_manager->KillTimer(this, AnimationRoll);
    }
    NotifyIfWanted(NotifyMouseLeave, event);
    VQ_FORWARD(EventMouseLeave, OnMouseLeave)
}

void VQControl::OnMouseMove(VQEvent& event) {
    if (m_state & StatePressed) {
        bool inside = PointInItem(event.mouse);
        if (inside && !(m_state & StatePushed)) {
            m_state |= StatePushed;
            Invalidate();
        } else if (!inside && (m_state & StatePushed)) {
            m_state &= ~StatePushed;
            Invalidate();
        }
    }
    VQ_FORWARD(EventMouseMove, OnMouseMove)
}

void VQControl::OnMouseWheel(VQEvent& event) {
    VQ_FORWARD(EventMouseWheel, OnMouseWheel)
}

void VQControl::OnSetFocus(VQEvent& event) {
    m_focused = true;
    Invalidate();
    NotifyIfWanted(NotifySetFocus, event);
    VQ_FORWARD(EventSetFocus, OnSetFocus)
}

void VQControl::OnKillFocus(VQEvent& event) {
    m_focused = false;
    Invalidate();
    NotifyIfWanted(NotifyKillFocus, event);
    VQ_FORWARD(EventKillFocus, OnKillFocus)
}

void VQControl::OnSetCursor(VQEvent& event) {
    ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
    VQ_FORWARD(EventSetCursor, OnSetCursor)
}

void VQControl::OnTimer(VQEvent& event) {
    OnAnimationTimer(static_cast<unsigned>(event.wParam));
    VQ_FORWARD(EventTimer, OnTimer)
}

void VQControl::OnContextMenu(VQEvent& event) {
    if (PointInItem(event.mouse) && IsEnabled()) NotifyIfWanted(NotifyContextMenu, event);
    VQ_FORWARD(EventContextMenu, OnContextMenu)
}

void VQControl::OnRButtonDown(VQEvent& event) {
    NotifyIfWanted(NotifyRButtonDown, event);
    VQ_FORWARD(EventRButtonDown, OnRButtonDown)
}

void VQControl::OnLButtonDown(VQEvent& event) {
    if (PointInItem(event.mouse) && IsEnabled()) {
        m_state |= StatePushed | StatePressed;
        Invalidate();
    }
    NotifyIfWanted(NotifyLButtonDown, event);
    VQ_FORWARD(EventLButtonDown, OnLButtonDown)
}

void VQControl::OnLButtonUp(VQEvent& event) {
    if (m_state & StatePressed) {
        m_state &= ~(StatePushed | StatePressed);
        Invalidate();
        if (PointInItem(event.mouse) && !event.forwardedFrom) Activate(event);
    }
    NotifyIfWanted(NotifyLButtonUp, event);
    VQ_FORWARD(EventLButtonUp, OnLButtonUp)
}

void VQControl::OnLButtonDblClk(VQEvent& event) {
    VQ_FORWARD(EventLButtonDblClk, OnLButtonDblClk)
}

void VQControl::OnKeyDown(VQEvent& event) {
    if ((event.keyChar == 0x20 || event.keyChar == 0x0D) && m_spaceReturn) Activate(event);
    VQ_FORWARD(EventKeyDown, OnKeyDown)
}

void VQControl::OnKeyUp(VQEvent& event) {
    VQ_FORWARD(EventKeyUp, OnKeyUp)
}

void VQControl::OnChar(VQEvent& event) {
    VQ_FORWARD(EventChar, OnChar)
}

void VQControl::OnSysKeyDown(VQEvent& event) {
    VQ_FORWARD(EventSysKeyDown, OnSysKeyDown)
}

#undef VQ_FORWARD

bool VQControl::Activate(VQEvent& event) {
    if (!IsVisible() || !IsEnabled()) return false;
    if (ShouldForward(DispatchActivate)) {
        event.forwardedFrom = this;
        m_parent->Activate(event);
    }
    if (m_manager && TestNotifyBit(NotifyClick)) m_manager->SendNotify(this, NotifyClick, 0, 0);
    return true;
}

}  // namespace Tessar
