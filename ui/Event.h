#pragma once
// The records a paint manager hands to controls (events) and to its
// window (notifications), and the two interfaces windows implement.

#include <windows.h>

namespace Tessar {

class VQControl;

enum VQEventType {
    EventKeyDown = 1,
    EventKeyUp = 2,
    EventChar = 3,
    EventSysKeyDown = 4,
    EventMouseMove = 5,
    EventMouseLeave = 6,
    EventMouseEnter = 7,
    EventMouseHover = 8,
    EventMouseWheel = 9,
    EventLButtonDown = 10,
    EventLButtonUp = 11,
    EventRButtonDown = 12,
    EventLButtonDblClk = 13,
    EventContextMenu = 14,
    EventKillFocus = 15,
    EventSetFocus = 16,
    EventSetCursor = 17,
    EventTimer = 18,
    // Not an event of its own: the dispatch bit that forwards Activate.
    DispatchActivate = 19,
};

// Notification types 1-21 are the toolkit's; application windows use 22 and up.
enum VQNotifyType {
    NotifyWindowInit = 1,
    NotifyClick = 2,
    NotifyMouseEnter = 3,
    NotifyMouseHover = 4,
    NotifyMouseLeave = 5,
    NotifySetFocus = 7,
    NotifyKillFocus = 8,
    NotifyLButtonDown = 9,
    NotifyLButtonUp = 10,
    NotifyRButtonDown = 11,
    NotifyContextMenu = 12,
    NotifySelectionChanged = 13,
    NotifyReturn = 14,
    NotifyTextChanged = 15,
    NotifyTextLimit = 16,
    NotifyActiveXCreated = 17,
    NotifyDropDown = 18,
    NotifyItemSelect = 19,
    NotifyAnimationStep = 20,
    NotifyTabActivate = 21,
};

// Key state bits of VQEvent::keyState.
enum VQKeyState {
    KeyStateRButton = 0x01,
    KeyStateLButton = 0x02,
    KeyStateShift = 0x04,
    KeyStateControl = 0x08,
    KeyStateAlt = 0x20,
};

struct VQEvent {
    int type = 0;
    VQControl* sender = nullptr;
    // Set by a control that passes the event on to its parent.
    VQControl* forwardedFrom = nullptr;
    DWORD timestamp = 0;
    POINT mouse = {0, 0};
    wchar_t keyChar = 0;
    WORD keyState = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    DWORD reserved = 0;
};

struct VQNotifyMsg {
    int type = 0;
    VQControl* sender = nullptr;
    DWORD timestamp = 0;
    POINT mouse = {0, 0};
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

class INotify {
public:
    virtual ~INotify() {}
    virtual void Notify(VQNotifyMsg& msg) = 0;
};

// Offered every message of the host window before the paint manager.
class IWindowMessageFilter {
public:
    virtual ~IWindowMessageFilter() {}
    virtual LRESULT MessageFilter(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) = 0;
};

// Bits of GetModifierFlags, read from GetKeyState.
WORD GetModifierFlags();

}  // namespace Tessar
