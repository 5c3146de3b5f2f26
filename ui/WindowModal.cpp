// The modal loop of VQWindowWnd.
#include "ui/PaintManager.h"
#include "ui/WindowWnd.h"

#include <algorithm>
#include <vector>

namespace Tessar {

namespace {

// The windows whose modal loops run on this thread, innermost last, and
// the windows that wait for all of them to end before they close.
thread_local std::vector<HWND> t_modalWindows;
thread_local std::vector<HWND> t_closeAfterModals;

void CloseWaitingWindows() {
    std::vector<HWND> waiting;
    waiting.swap(t_closeAfterModals);
    for (HWND window : waiting)
        if (::IsWindow(window)) ::PostMessageW(window, WM_CLOSE, 0, 0);
}

void EnterModalLoop(HWND window) { t_modalWindows.push_back(window); }

// The innermost entry of the window goes; once none is left, the windows
// that waited are closed.
void LeaveModalLoop(HWND window) {
    auto entry = std::find(t_modalWindows.rbegin(), t_modalWindows.rend(), window);
    if (entry != t_modalWindows.rend()) t_modalWindows.erase(std::next(entry).base());
    if (t_modalWindows.empty()) CloseWaitingWindows();
}

void GiveBackToOwner(HWND owner) {
    if (!owner) return;
    ::EnableWindow(owner, TRUE);
    ::SetFocus(owner);
}

}  // namespace

bool VQWindowWnd::ShowModal() {
    if (!::IsWindow(m_hwnd)) return false;
    const HWND window = m_hwnd;
    const HWND owner = ::GetWindow(window, GW_OWNER);
    ::ShowWindow(window, SW_SHOWNORMAL);
    if (owner) ::EnableWindow(owner, FALSE);
    EnterModalLoop(window);
    MSG msg = {};
    bool quit = false;
    while (::IsWindow(window)) {
        BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            quit = true;
            break;
        }
        if (got < 0) break;
        // Enabled before the window goes, so activation returns to the owner.
        if (msg.message == WM_CLOSE && msg.hwnd == window) GiveBackToOwner(owner);
        if (!VQPaintManager::PreTranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    GiveBackToOwner(owner);
    LeaveModalLoop(window);
    if (quit) ::PostQuitMessage(static_cast<int>(msg.wParam));
    return true;
}

VQModalScope::VQModalScope(HWND window) : m_window(window) { EnterModalLoop(window); }

VQModalScope::~VQModalScope() { LeaveModalLoop(m_window); }

bool VQWindowWnd::IsModalLoopRunning() { return !t_modalWindows.empty(); }

void VQWindowWnd::EndModalLoops() {
    for (auto it = t_modalWindows.rbegin(); it != t_modalWindows.rend(); ++it)
        if (::IsWindow(*it)) ::PostMessageW(*it, WM_CLOSE, 0, 0);
}

void VQWindowWnd::CloseAfterModalLoops(HWND window) {
    if (window == nullptr) return;
    if (t_modalWindows.empty()) {
        ::PostMessageW(window, WM_CLOSE, 0, 0);
        return;
    }
    if (std::find(t_closeAfterModals.begin(), t_closeAfterModals.end(), window) == t_closeAfterModals.end())
        t_closeAfterModals.push_back(window);
}

}  // namespace Tessar
