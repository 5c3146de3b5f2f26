#include "VQFlash/GameHelpWnd.h"

#include <algorithm>

#include "common/Buffer.h"
#include "common/CodePage.h"
#include "common/FileHandle.h"
#include "common/FileUtil.h"
#include "common/PathText.h"
#include "common/SystemUtil.h"
#include "ui/Control.h"
#include "ui/DialogBuilder.h"
#include "ui/SkinManager.h"

namespace Tessar {

namespace {

const UINT kSlideTimer = 0;
const UINT kSlideIntervalMs = 15;
const int kSlideStep = 5;
const int kSpacerId = 404;
const int kTextId = 401;
const int kCloseId = 402;

}  // namespace

bool ReadHelpText(const std::wstring& path, std::wstring& text) {
    text.clear();
    if (path.empty()) return false;
    VQBuffer<unsigned char> buffer;
    if (!ReadFileToBuffer(path, buffer)) return false;
    if (buffer.size == 0 || buffer.data == nullptr) return true;
    text = NarrowToWideEx(reinterpret_cast<const char*>(buffer.data), buffer.size);
    return true;
}

std::wstring LabelFontName(const VQControl* label) {
    if (label == nullptr || label->m_fonts[TextNormal].empty()) return L"Default";
    return label->m_fonts[TextNormal];
}

std::wstring ProgramSkinFolder() {
    std::wstring folder = GetFullPathFolder(GetOwnModulePath());
    return folder + L"skin\\";
}

std::wstring SelectedSkinLayout() {
    VQSkinManager& skins = VQSkinManager::Instance();
    // The manager owns the selection; a game window only reads it.
    if (!FileExists(skins.GetSelectedSkinFile())) return std::wstring();
    const std::wstring name = skins.GetSelectedSkin();
    if (name.empty()) return std::wstring();
    if (skins.GetSkinList().empty()) skins.RefreshSkinList(ProgramSkinFolder());
    for (const auto& skin : skins.GetSkinList())
        if (skin && skin->name == name) return skin->path;
    return std::wstring();
}

VQGameHelpWnd::VQGameHelpWnd() {}

LRESULT VQGameHelpWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    BOOL handled = TRUE;
    LRESULT result = 0;
    switch (message) {
    case WM_CREATE: result = OnCreate(message, wParam, lParam, handled); break;
    case WM_DESTROY: result = OnDestroy(message, wParam, lParam, handled); break;
    case WM_NCCALCSIZE: result = OnNcCalcSize(message, wParam, lParam, handled); break;
    case WM_NCPAINT: result = OnNcPaint(message, wParam, lParam, handled); break;
    case WM_NCACTIVATE: result = OnNcActivate(message, wParam, lParam, handled); break;
    case WM_TIMER: result = OnTimer(message, wParam, lParam, handled); break;
    default: handled = FALSE; break;
    }
    if (handled) return result;
    if (m_paintManager.MessageHandler(message, wParam, lParam, result)) return result;
    return VQWindowWnd::HandleMessage(message, wParam, lParam);
}

LRESULT VQGameHelpWnd::OnCreate(UINT, WPARAM, LPARAM, BOOL& handled) {
    CreateFromLayout(L"#" + std::to_wstring(kGameLayoutResource), L"GameHelpWnd", MarkupFromResource, L"XML",
                     nullptr);
    ApplySkin();
    return 0;
}

void VQGameHelpWnd::ApplySkin() {
    ChangeSkin(kGameStyleResource, L"GameHelpWnd", std::wstring(), ProgramSkinFolder(), SelectedSkinLayout());
}

LRESULT VQGameHelpWnd::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled) {
    // The panel belongs to the player window, whose loop ends the program;
    // this one only stops its timer.
    if (m_timerRunning) ::KillTimer(m_hwnd, kSlideTimer);
    m_timerRunning = false;
    handled = FALSE;
    return 0;
}

LRESULT VQGameHelpWnd::OnNcActivate(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
    return wParam == 0 ? TRUE : FALSE;
}

LRESULT VQGameHelpWnd::OnTimer(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
    if (wParam != kSlideTimer) {
        handled = FALSE;
        return 0;
    }
    SlideStep();
    return 0;
}

void VQGameHelpWnd::Notify(VQNotifyMsg& msg) {
    if (msg.type == NotifyClick && msg.sender != nullptr && msg.sender->GetId() == kCloseId) ToggleSlide();
}

int VQGameHelpWnd::Measure(const std::wstring& text, int availableWidth) {
    VQControl* label = m_paintManager.FindControlById(kTextId);
    if (label != nullptr) label->SetText(text);
    HFONT font = m_paintManager.GetFont(LabelFontName(label));
    HDC dc = m_paintManager.GetPaintDC();
    bool ownDc = false;
    if (dc == nullptr) {
        dc = ::GetDC(nullptr);
        ownDc = true;
    }
    HGDIOBJ old = font != nullptr ? ::SelectObject(dc, font) : nullptr;
    RECT rc = {0, 0, 0, 0};
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rc, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    TEXTMETRICW metrics = {};
    ::GetTextMetricsW(dc, &metrics);
    if (old != nullptr) ::SelectObject(dc, old);
    if (ownDc) ::ReleaseDC(nullptr, dc);
    // A panel narrower than one character still takes whole lines.
    const int width = std::max(1, availableWidth);
    const int lines = (rc.right - rc.left) / width + 1;
    m_fullHeight = (metrics.tmHeight + 4) * lines + 18;
    return m_fullHeight;
}

void VQGameHelpWnd::ToggleSlide() {
    if (!::IsWindow(m_hwnd)) return;
    if (::IsWindowVisible(m_hwnd) && (m_slidingIn || !m_timerRunning)) {
        // Shown (or coming in): go out from where it is.
        m_slidingIn = false;
    } else if (m_timerRunning && !m_slidingIn) {
        // Going out: come back from where it is.
        m_slidingIn = true;
    } else {
        m_slidingIn = true;
        SetVisibleHeight(0);
        ::ShowWindow(m_hwnd, SW_SHOWNOACTIVATE);
    }
    if (!m_timerRunning) m_timerRunning = ::SetTimer(m_hwnd, kSlideTimer, kSlideIntervalMs, nullptr) != 0;
}

void VQGameHelpWnd::SlideStep() {
    int height = m_visibleHeight + (m_slidingIn ? kSlideStep : -kSlideStep);
    height = std::max(0, std::min(height, m_fullHeight));
    SetVisibleHeight(height);
    const bool done = m_slidingIn ? height >= m_fullHeight : height <= 0;
    if (!done) return;
    ::KillTimer(m_hwnd, kSlideTimer);
    m_timerRunning = false;
    if (!m_slidingIn) ::ShowWindow(m_hwnd, SW_HIDE);
}

void VQGameHelpWnd::SetVisibleHeight(int height) {
    m_visibleHeight = height;
    if (VQControl* spacer = m_paintManager.FindControlById(kSpacerId)) {
        spacer->SetFixedHeight(std::max(0, m_fullHeight - height));
        spacer->SetVisible(height < m_fullHeight);
    }
    if (m_paintManager.IsLayered())
        m_paintManager.PaintLayered(255);
    else if (::IsWindow(m_hwnd))
        ::InvalidateRect(m_hwnd, nullptr, FALSE);
}

}  // namespace Tessar
