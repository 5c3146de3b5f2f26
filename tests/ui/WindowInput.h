#pragma once
// Driving real windows in tests: posting mouse and keyboard input at
// control positions, pumping the toolkit's message loop until a condition
// holds, holding keys down in the thread's keyboard state, and recording
// the mouse-tracking requests a paint manager makes.

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <vector>

#include "ui/Control.h"

namespace Tessar {
namespace Test {

POINT CenterOf(const VQControl* control);

// Client coordinates in lParam, as the system sends them.
void PostMouse(HWND hwnd, UINT message, POINT client, WPARAM keys = 0);
void PostMouseMove(HWND hwnd, POINT client);
// Move, left button down and up at the point.
void PostClick(HWND hwnd, POINT client);
// WM_MOUSEWHEEL carries screen coordinates.
void PostWheel(HWND hwnd, POINT client, short delta);
// WM_CONTEXTMENU as the default procedure sends it after a right click.
void PostContextMenu(HWND hwnd, POINT client);
void PostKeyDown(HWND hwnd, UINT virtualKey);
void PostKeyUp(HWND hwnd, UINT virtualKey);

// Dispatches messages through the toolkit's pre-translation (as the message
// loop does) until `done` answers true or `timeoutMs` passes; false then.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000);
// Dispatches what is queued now, and what that posts, until the queue is empty.
void PumpPending();

// Marks keys as down in this thread's keyboard state (what GetKeyState
// reads) for the life of the object. Thread-local, so test programs running
// side by side do not disturb each other.
class VQHeldKeys {
public:
    explicit VQHeldKeys(std::initializer_list<BYTE> keys);
    ~VQHeldKeys();

private:
    BYTE m_saved[256];
};

// Stands in for TrackMouseEvent: the display's one mouse pointer is shared
// by test programs running side by side, so the system's own hover and
// leave tracking (which reads it) is replaced by posted WM_MOUSEHOVER and
// WM_MOUSELEAVE. Records every request.
struct VQMouseTrackRecorder {
    static BOOL WINAPI Track(LPTRACKMOUSEEVENT request);
    static std::vector<TRACKMOUSEEVENT>& Requests();
};

}  // namespace Test
}  // namespace Tessar
