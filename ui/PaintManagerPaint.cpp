// Painting of the paint manager: the round-corner window region, the
// off-screen bitmap the tree is drawn into before one blit, and layered
// windows handed to UpdateLayeredWindow.
#include "ui/PaintManager.h"

#include "ui/RenderEngine.h"

#include <algorithm>

namespace Tessar {

bool VQPaintManager::OnSizeMessage(WPARAM, LPARAM, LRESULT&) {
    RECT client;
    ::GetClientRect(m_hostWindow, &client);
    const int r = std::max(m_roundCorner.cx, m_roundCorner.cy);
    if (!::IsIconic(m_hostWindow) && r != 0) {
        HRGN region = ::CreateRoundRectRgn(client.left, client.top, client.right + 1, client.bottom + 1, r, r);
        if (region) {
            // A zero component keeps the corners of one edge square.
            HRGN square = nullptr;
            if (m_roundCorner.cx == 0)
                square = ::CreateRectRgn(client.left, client.top, client.right, client.bottom - r + 1);
            else if (m_roundCorner.cy == 0)
                square = ::CreateRectRgn(client.left, client.top + r, client.right, client.bottom);
            if (square) {
                ::CombineRgn(region, region, square, RGN_OR);
                ::DeleteObject(square);
            }
            // The window owns the region from here on.
            if (::SetWindowRgn(m_hostWindow, region, TRUE))
                m_regionApplied = true;
            else
                ::DeleteObject(region);
        }
    } else if (m_regionApplied) {
        m_regionApplied = false;
        HRGN plain = ::CreateRectRgnIndirect(&client);
        if (plain && !::SetWindowRgn(m_hostWindow, plain, TRUE)) ::DeleteObject(plain);
    }
    m_sizeChanged = true;
    return true;
}

void VQPaintManager::DeleteOffscreenBitmap() {
    if (m_offscreenBitmap) ::DeleteObject(m_offscreenBitmap);
    if (m_offscreenDC) ::DeleteDC(m_offscreenDC);
    m_offscreenBitmap = nullptr;
    m_offscreenDC = nullptr;
}

bool VQPaintManager::EnsureOffscreenBitmap(const RECT& client) {
    if (m_offscreenBitmap && m_offscreenDC) return true;
    DeleteOffscreenBitmap();
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    if (!m_windowDC || width <= 0 || height <= 0) return false;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    m_offscreenDC = ::CreateCompatibleDC(m_windowDC);
    m_offscreenBitmap = ::CreateDIBSection(m_windowDC, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!m_offscreenDC || !m_offscreenBitmap) {
        DeleteOffscreenBitmap();
        return false;
    }
    return true;
}

void VQPaintManager::PrepareForPaint(const RECT& client) {
    if (m_sizeChanged) {
        m_sizeChanged = false;
        if (m_root) m_root->SetPos(client.left, client.top, client.right, client.bottom);
        DeleteOffscreenBitmap();
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
}

void VQPaintManager::PaintTree(HDC hdc, const RECT& rc) {
    if (!m_root || !hdc) return;
    // Most texts use the default font: held for the pass, it is selected
    // once instead of for every caption.
    HFONT font = GetFont(std::wstring());
    HGDIOBJ old = font ? ::SelectObject(hdc, font) : nullptr;
    m_root->DoPaint(hdc, rc);
    if (old) ::SelectObject(hdc, old);
    VQRenderEngine::ReleaseScratchFont();
}

void VQPaintManager::PaintUnseen() {
    if (!m_root || !m_hostWindow || m_layered) return;
    RECT client;
    ::GetClientRect(m_hostWindow, &client);
    const int width = client.right - client.left, height = client.bottom - client.top;
    if (width <= 0 || height <= 0) return;
    VQMemoryBitmap bitmap;
    if (!bitmap.Create(m_windowDC, width, height)) return;
    m_root->SetPos(client.left, client.top, client.right, client.bottom);
    PaintTree(bitmap.GetDC(), client);
}

bool VQPaintManager::OnPaintMessage(WPARAM, LPARAM, LRESULT&) {
    if (m_layered) {
        // A layered window has nothing to validate: take the update away.
        ::ValidateRect(m_hostWindow, nullptr);
        ForgetInvalid();
        PaintLayered(255);
        return true;
    }
    RECT update;
    if (!::GetUpdateRect(m_hostWindow, &update, FALSE)) {
        ForgetInvalid();
        return true;
    }
    RECT client;
    ::GetClientRect(m_hostWindow, &client);
    PrepareForPaint(client);
    const bool ready = EnsureOffscreenBitmap(client);
    PAINTSTRUCT ps;
    HDC paintDC = ::BeginPaint(m_hostWindow, &ps);
    // The window is valid again: what is asked from here on must reach it.
    ForgetInvalid();
    if (ready && paintDC) {
        HGDIOBJ old = ::SelectObject(m_offscreenDC, m_offscreenBitmap);
        PaintTree(m_offscreenDC, ps.rcPaint);
        ::BitBlt(paintDC, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
                 ps.rcPaint.bottom - ps.rcPaint.top, m_offscreenDC, ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
        ::SelectObject(m_offscreenDC, old);
        if (m_showUpdateRect && m_debugPen) {
            HGDIOBJ oldPen = ::SelectObject(paintDC, m_debugPen);
            HGDIOBJ oldBrush = ::SelectObject(paintDC, ::GetStockObject(NULL_BRUSH));
            ::Rectangle(paintDC, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right, ps.rcPaint.bottom);
            ::SelectObject(paintDC, oldBrush);
            ::SelectObject(paintDC, oldPen);
        }
    }
    ::EndPaint(m_hostWindow, &ps);
    return true;
}

bool VQPaintManager::PaintLayered(BYTE alpha) {
    if (!m_hostWindow) return false;
    // A control that invalidates while the tree is being drawn (or while
    // the window-init notification runs) asks for one more pass, not a
    // nested one.
    if (m_inLayeredPaint) {
        m_layeredRepaintPending = true;
        return true;
    }
    m_inLayeredPaint = true;
    bool ok = false;
    for (int pass = 0; pass < 3; ++pass) {
        m_layeredRepaintPending = false;
        ok = PaintLayeredOnce(alpha);
        if (!m_layeredRepaintPending) break;
    }
    m_inLayeredPaint = false;
    return ok;
}

bool VQPaintManager::PaintLayeredOnce(BYTE alpha) {
    RECT client;
    ::GetClientRect(m_hostWindow, &client);
    PrepareForPaint(client);
    if (::IsRectEmpty(&client)) return false;
    if (!EnsureOffscreenBitmap(client)) return false;
    RECT window;
    ::GetWindowRect(m_hostWindow, &window);
    const LONG_PTR exStyle = ::GetWindowLongPtrW(m_hostWindow, GWL_EXSTYLE);
    if (!(exStyle & WS_EX_LAYERED)) ::SetWindowLongPtrW(m_hostWindow, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
    HGDIOBJ old = ::SelectObject(m_offscreenDC, m_offscreenBitmap);
    PaintTree(m_offscreenDC, client);
    POINT topLeft = {window.left, window.top};
    SIZE size = {window.right - window.left, window.bottom - window.top};
    POINT source = {0, 0};
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, alpha, AC_SRC_ALPHA};
    const BOOL ok =
        ::UpdateLayeredWindow(m_hostWindow, m_windowDC, &topLeft, &size, m_offscreenDC, &source, 0, &blend, ULW_ALPHA);
    ::SelectObject(m_offscreenDC, old);
    return ok != FALSE;
}

}  // namespace Tessar
