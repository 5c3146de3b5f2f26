#include "tests/ui/RoutingTestWindow.h"

namespace Tessar {
namespace Test {

VQRoutingWindow::VQRoutingWindow(HWND owner, int width, int height, DWORD exStyle, int x, int y) {
    Create(owner, L"routing test", WS_POPUP | WS_CLIPCHILDREN, exStyle, x, y, width, height);
    if (m_hwnd) ::ShowWindow(m_hwnd, SW_SHOWNOACTIVATE);
}

VQRoutingWindow::~VQRoutingWindow() {
    if (::IsWindow(m_hwnd)) ::DestroyWindow(m_hwnd);
}

LRESULT VQRoutingWindow::OnCreate(UINT, WPARAM, LPARAM, BOOL& handled) {
    m_paintManager.Init(m_hwnd);
    m_paintManager.SetTrackMouseEventProc(&VQMouseTrackRecorder::Track);
    handled = TRUE;
    return 0;
}

LRESULT VQRoutingWindow::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled) {
    if (onDestroy) onDestroy();
    handled = FALSE;
    return 0;
}

LRESULT VQRoutingWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= WM_APP + 100 && message < 0xC000 && onTestMessage) {
        onTestMessage(message);
        return 0;
    }
    return VQWindowImplBase::HandleMessage(message, wParam, lParam);
}

void VQRoutingWindow::Attach(VQControl* root) {
    m_paintManager.AttachRootControl(root);
    m_paintManager.AddNotifier(this);
    Paint();
}

void VQRoutingWindow::Paint() {
    if (m_paintManager.IsLayered()) {
        m_paintManager.PaintLayered(255);
        return;
    }
    ::InvalidateRect(m_hwnd, nullptr, FALSE);
    ::UpdateWindow(m_hwnd);
}

int VQRoutingWindow::Count(int type, const VQControl* sender) const {
    int n = 0;
    for (const VQNotifyMsg& msg : received)
        if (msg.type == type && (!sender || msg.sender == sender)) ++n;
    return n;
}

VQProbeControl::~VQProbeControl() {
    if (m_deaths) ++*m_deaths;
}

void VQProbeControl::DoEvent(VQEvent& event) {
    events.push_back(event);
    VQControl::DoEvent(event);
}

void VQProbeControl::DoPaint(HDC hdc, const RECT& paintRect) {
    RECT painted;
    if (!IsVisible() || !::IntersectRect(&painted, &paintRect, &m_itemRect)) return;
    paints.push_back(painted);
    if (fill == 0) return;
    // Straight into the DIB section, alpha included (GDI fills leave alpha 0).
    DIBSECTION dib = {};
    HGDIOBJ bitmap = ::GetCurrentObject(hdc, OBJ_BITMAP);
    if (::GetObjectW(bitmap, sizeof(dib), &dib) != sizeof(dib) || !dib.dsBm.bmBits) return;
    const int width = dib.dsBm.bmWidth;
    const int height = dib.dsBm.bmHeight;
    DWORD* bits = static_cast<DWORD*>(dib.dsBm.bmBits);
    const bool bottomUp = dib.dsBmih.biHeight > 0;
    for (int y = painted.top; y < painted.bottom && y < height; ++y) {
        DWORD* row = bits + static_cast<size_t>(bottomUp ? height - 1 - y : y) * width;
        for (int x = painted.left; x < painted.right && x < width; ++x) row[x] = fill;
    }
}

int VQProbeControl::Count(int type) const {
    int n = 0;
    for (const VQEvent& event : events)
        if (event.type == type) ++n;
    return n;
}

const VQEvent* VQProbeControl::Last(int type) const {
    for (auto it = events.rbegin(); it != events.rend(); ++it)
        if (it->type == type) return &*it;
    return nullptr;
}

}  // namespace Test
}  // namespace Tessar
