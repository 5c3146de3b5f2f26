#include "ui/EditWnd.h"

#include <olectl.h>

#include "ui/Edit.h"
#include "ui/PaintManager.h"

namespace Tessar {

namespace {

// Height of the font's cell, from the window's measurement or the DC.
int FontHeight(VQPaintManager* manager, HFONT font) {
    if (const TEXTMETRICW* metrics = manager->GetFontMetrics(font)) return metrics->tmHeight;
    HDC dc = ::GetDC(manager->GetPaintWindow());
    if (dc == nullptr) return 0;
    HGDIOBJ old = ::SelectObject(dc, font);
    TEXTMETRICW metrics = {};
    int height = ::GetTextMetricsW(dc, &metrics) ? metrics.tmHeight : 0;
    ::SelectObject(dc, old);
    ::ReleaseDC(manager->GetPaintWindow(), dc);
    return height;
}

}  // namespace

RECT VQEditWnd::CalcPos() const {
    if (m_owner == nullptr) return RECT{0, 0, 0, 0};
    RECT rc = m_owner->GetPos();
    const RECT& padding = m_owner->m_textPaddings[TextNormal];
    rc.left += padding.left;
    rc.top += padding.top;
    rc.right -= padding.right;
    rc.bottom -= padding.bottom;
    VQPaintManager* manager = m_owner->GetManager();
    if (manager != nullptr) {
        int height = FontHeight(manager, manager->GetFont(L""));
        if (height > 0 && height < rc.bottom - rc.top) {
            rc.top += (rc.bottom - rc.top - height) / 2;
            rc.bottom = rc.top + height;
        }
    }
    return rc;
}

bool VQEditWnd::Init(VQEdit* owner) {
    m_owner = owner;
    VQPaintManager* manager = owner->GetManager();
    if (manager == nullptr || manager->GetPaintWindow() == nullptr) return false;
    RECT rc = CalcPos();
    DWORD style = WS_CHILD | ES_AUTOHSCROLL;
    if (owner->IsPassword()) style |= ES_PASSWORD;
    if (!Create(manager->GetPaintWindow(), nullptr, style, 0, rc.left, rc.top, rc.right - rc.left,
                rc.bottom - rc.top))
        return false;
    ::SendMessageW(m_hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(manager->GetFont(L"")), TRUE);
    ::SendMessageW(m_hwnd, EM_LIMITTEXT, static_cast<WPARAM>(owner->GetMaxChar()), 0);
    if (owner->IsPassword()) ::SendMessageW(m_hwnd, EM_SETPASSWORDCHAR, owner->GetPasswordChar(), 0);
    ::SetWindowTextW(m_hwnd, owner->GetText().c_str());
    ::SendMessageW(m_hwnd, EM_SETMODIFY, FALSE, 0);
    ::SendMessageW(m_hwnd, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
    ::EnableWindow(m_hwnd, owner->IsEnabled() ? TRUE : FALSE);
    ::SendMessageW(m_hwnd, EM_SETREADONLY, owner->IsReadOnly() ? TRUE : FALSE, 0);
    ::ShowWindow(m_hwnd, SW_SHOWNOACTIVATE);
    ::SetFocus(m_hwnd);
    return true;
}

LRESULT VQEditWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_KILLFOCUS: {
        LRESULT result = VQWindowWnd::HandleMessage(message, wParam, lParam);
        ::PostMessageW(m_hwnd, WM_CLOSE, 0, 0);
        return result;
    }
    case WM_KEYDOWN:
        if (wParam == VK_RETURN) {
            if (m_owner && m_owner->GetManager())
                m_owner->GetManager()->SendNotify(m_owner, NotifyReturn, 0, 0);
            return 0;
        }
        break;
    case WM_CHAR:
        // Ctrl+A selects everything instead of inserting a control character.
        if (wParam == 1) {
            ::SendMessageW(m_hwnd, EM_SETSEL, 0, -1);
            return 0;
        }
        break;
    case OCM_COMMAND:
        if (HIWORD(wParam) == EN_CHANGE && m_owner) {
            int length = ::GetWindowTextLengthW(m_hwnd);
            std::wstring text(static_cast<size_t>(length) + 1, L'\0');
            int got = ::GetWindowTextW(m_hwnd, &text[0], length + 1);
            text.resize(got > 0 ? static_cast<size_t>(got) : 0);
            m_owner->StoreTextFromWindow(text);
        } else if (HIWORD(wParam) == EN_UPDATE) {
            ::InvalidateRect(m_hwnd, nullptr, FALSE);
        }
        return 0;
    default:
        break;
    }
    return VQWindowWnd::HandleMessage(message, wParam, lParam);
}

void VQEditWnd::OnFinalMessage(HWND) {
    if (m_owner) m_owner->m_window = nullptr;
    delete this;
}

}  // namespace Tessar
