#include "tests/ui/TestWindow.h"

namespace Tessar {
namespace Test {

namespace {
const wchar_t kClassName[] = L"VQUiTestWindow";
}

VQTestWindow::VQTestWindow(int width, int height) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &VQTestWindow::WindowProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = kClassName;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    ::RegisterClassExW(&wc);  // fails harmlessly when already registered
    // An unmanaged popup: without a window manager Wine waits 2 s for a
    // managed window to unmap when it is destroyed.
    m_hwnd = ::CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, L"test", WS_POPUP, 0, 0, width, height, nullptr, nullptr,
                               wc.hInstance, this);
    if (m_hwnd) ::ShowWindow(m_hwnd, SW_SHOWNOACTIVATE);
}

VQTestWindow::~VQTestWindow() {
    if (m_hwnd) ::DestroyWindow(m_hwnd);
}

void VQTestWindow::Paint() {
    ::InvalidateRect(m_hwnd, nullptr, FALSE);
    ::UpdateWindow(m_hwnd);
}

LRESULT CALLBACK VQTestWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<VQTestWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && message == WM_CREATE) self->m_manager.Init(hwnd);
    if (self && message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->m_hwnd = nullptr;
    }
    LRESULT result = 0;
    if (self && self->m_manager.MessageHandler(message, wParam, lParam, result)) return result;
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace Test
}  // namespace Tessar
