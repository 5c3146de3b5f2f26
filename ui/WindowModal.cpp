// The modal loop of VQWindowWnd.
#include "ui/PaintManager.h"
#include "ui/WindowWnd.h"

namespace Tessar {

namespace {

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
    if (quit) ::PostQuitMessage(static_cast<int>(msg.wParam));
    return true;
}

}  // namespace Tessar
