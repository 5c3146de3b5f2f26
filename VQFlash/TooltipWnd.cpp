#include "VQFlash/TooltipWnd.h"

#include "VQFlash/GameHelpWnd.h"
#include "ui/DialogBuilder.h"

namespace Tessar {

namespace {

const int kTextId = 300;
const int kTooltipHeight = 30;
const int kTooltipMargin = 15;
const int kAboveControl = 32;

}  // namespace

VQTooltipWnd::VQTooltipWnd() {}

VQTooltipWnd::~VQTooltipWnd() {}

bool VQTooltipWnd::CreateFor(HWND owner) {
    if (::IsWindow(m_hwnd)) return true;
    return Create(owner, L"", WS_POPUP, WS_EX_TOPMOST | WS_EX_TOOLWINDOW, 0, 0, 10, 10) != nullptr;
}

LRESULT VQTooltipWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: {
        const LONG_PTR style = ::GetWindowLongPtrW(m_hwnd, GWL_STYLE);
        ::SetWindowLongPtrW(m_hwnd, GWL_STYLE,
                            (style & ~static_cast<LONG_PTR>(WS_CAPTION)) | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
        m_paintManager.Init(m_hwnd);
        VQDialogBuilder builder;
        VQControl* root = builder.Create(L"#" + std::to_wstring(kGameLayoutResource), L"TooltipWnd",
                                         MarkupFromResource, L"XML", &m_paintManager, nullptr);
        if (root != nullptr) {
            m_paintManager.AttachRootControl(root);
            m_paintManager.AddNotifier(this);
        }
        return 0;
    }
    case WM_DESTROY:
        // Owned by the player window, whose loop ends the program.
        break;
    case WM_NCACTIVATE:
        if (wParam == 0) return TRUE;
        break;
    case WM_VQ_SHOW_TOOLTIP:
        ::ShowWindow(m_hwnd, wParam != 0 ? SW_SHOWNOACTIVATE : SW_HIDE);
        return 0;
    case WM_NCCALCSIZE:
    case WM_NCPAINT:
        return 0;
    default:
        break;
    }
    LRESULT result = 0;
    if (m_paintManager.MessageHandler(message, wParam, lParam, result)) return result;
    return VQWindowWnd::HandleMessage(message, wParam, lParam);
}

int VQTooltipWnd::MeasureWidth(const std::wstring& text) {
    HFONT font = m_paintManager.GetFont(LabelFontName(m_paintManager.FindControlById(kTextId)));
    HDC dc = ::GetDC(m_hwnd);
    HGDIOBJ old = font != nullptr ? ::SelectObject(dc, font) : nullptr;
    RECT rc = {0, 0, 0, 0};
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rc, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    if (old != nullptr) ::SelectObject(dc, old);
    ::ReleaseDC(m_hwnd, dc);
    return (rc.right - rc.left) + kTooltipMargin;
}

void VQTooltipWnd::ShowFor(VQControl* control) {
    if (control == nullptr || !::IsWindow(m_hwnd)) return;
    const std::wstring text = control->GetToolTip();
    if (VQControl* label = m_paintManager.FindControlById(kTextId)) label->SetText(text);
    const int width = MeasureWidth(text);
    const RECT pos = control->GetPos();
    POINT at = {pos.left + ((pos.right - pos.left) - width) / 2, pos.top - kAboveControl};
    ::ClientToScreen(::GetWindow(m_hwnd, GW_OWNER), &at);
    ::SetWindowPos(m_hwnd, HWND_TOPMOST, at.x, at.y, width, kTooltipHeight, SWP_NOACTIVATE);
    ::SendMessageW(m_hwnd, WM_VQ_SHOW_TOOLTIP, 1, 0);
    if (m_paintManager.IsLayered()) m_paintManager.PaintLayered(255);
}

void VQTooltipWnd::Hide() {
    if (::IsWindow(m_hwnd)) ::SendMessageW(m_hwnd, WM_VQ_SHOW_TOOLTIP, 0, 0);
}

}  // namespace Tessar
