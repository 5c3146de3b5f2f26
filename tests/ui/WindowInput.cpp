#include "tests/ui/WindowInput.h"

#include <cstring>

#include "ui/PaintManager.h"

namespace Tessar {
namespace Test {

POINT CenterOf(const VQControl* control) {
    const RECT rc = control->GetPos();
    POINT pt = {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    return pt;
}

void PostMouse(HWND hwnd, UINT message, POINT client, WPARAM keys) {
    ::PostMessageW(hwnd, message, keys, MAKELPARAM(client.x, client.y));
}

void PostMouseMove(HWND hwnd, POINT client) {
    PostMouse(hwnd, WM_MOUSEMOVE, client);
}

void PostClick(HWND hwnd, POINT client) {
    PostMouse(hwnd, WM_MOUSEMOVE, client);
    PostMouse(hwnd, WM_LBUTTONDOWN, client, MK_LBUTTON);
    PostMouse(hwnd, WM_LBUTTONUP, client);
}

void PostWheel(HWND hwnd, POINT client, short delta) {
    POINT screen = client;
    ::ClientToScreen(hwnd, &screen);
    ::PostMessageW(hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(delta)), MAKELPARAM(screen.x, screen.y));
}

void PostContextMenu(HWND hwnd, POINT client) {
    POINT screen = client;
    ::ClientToScreen(hwnd, &screen);
    ::PostMessageW(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(screen.x, screen.y));
}

void PostKeyDown(HWND hwnd, UINT virtualKey) {
    ::PostMessageW(hwnd, WM_KEYDOWN, virtualKey, 1);
}

void PostKeyUp(HWND hwnd, UINT virtualKey) {
    ::PostMessageW(hwnd, WM_KEYUP, virtualKey, static_cast<LPARAM>(0xC0000001u));
}

namespace {

void DispatchQueued() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Not ours to swallow: put it back for whoever runs the outer loop.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (!VQPaintManager::PreTranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
}

}  // namespace

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > timeoutMs) return false;
        DispatchQueued();
        if (!done()) ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

void PumpPending() {
    // Posted messages may post more (a leave sends a move); a few rounds settle it.
    for (int round = 0; round < 8; ++round) {
        MSG msg;
        if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) return;
        if (msg.message == WM_QUIT) return;
        DispatchQueued();
    }
}

VQHeldKeys::VQHeldKeys(std::initializer_list<BYTE> keys) {
    ::GetKeyboardState(m_saved);
    BYTE state[256];
    std::memcpy(state, m_saved, sizeof(state));
    for (BYTE key : keys) state[key] |= 0x80;
    ::SetKeyboardState(state);
}

VQHeldKeys::~VQHeldKeys() {
    ::SetKeyboardState(m_saved);
}

BOOL WINAPI VQMouseTrackRecorder::Track(LPTRACKMOUSEEVENT request) {
    Requests().push_back(*request);
    return TRUE;
}

std::vector<TRACKMOUSEEVENT>& VQMouseTrackRecorder::Requests() {
    static std::vector<TRACKMOUSEEVENT> requests;
    return requests;
}

}  // namespace Test
}  // namespace Tessar
