// The player's help panel: created on first use, placed over the bottom of
// the game (the client area, or the game frame while the lights are off).
#include "VQFlash/FlashWnd.h"

#include "VQFlash/GameHelpWnd.h"
#include "common/PathText.h"

namespace Tessar {

namespace {

const DWORD kHelpStyle = WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
// Space of the tool bar under the panel, and the gaps around it.
const int kToolBarHeight = 31;
const int kBottomGap = 20;
const int kSideGap = 5;
const int kTextMargins = 47;

}  // namespace

void VQFlashWnd::ShowHelp() {
    if (!m_loaded || m_helpPath.empty() || !FileExists(m_helpPath)) return;
    if (!m_helpWnd) m_helpWnd.reset(new VQGameHelpWnd());
    if (!::IsWindow(m_helpWnd->GetHWND()) && m_helpWnd->Create(m_hwnd, L"", kHelpStyle, 0, 0, 0, 0, 0) == nullptr)
        return;
    LayoutHelp(false);
    m_helpWnd->ToggleSlide();
}

void VQFlashWnd::LayoutHelp(bool moveOnly) {
    if (!m_helpWnd || !::IsWindow(m_helpWnd->GetHWND())) return;
    std::wstring text;
    if (!ReadHelpText(m_helpPath, text)) return;
    RECT area = {};
    VQControl* frame = m_paintManager.FindControlById(FlashIdFrame);
    if (m_lightsOff && frame != nullptr) {
        const POINT at = frame->GetFixedXY();
        area = {at.x, at.y, at.x + frame->GetFixedWidth(), at.y + frame->GetFixedHeight()};
    } else {
        ::GetClientRect(m_hwnd, &area);
    }
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    const int fullHeight = m_helpWnd->Measure(text, width - kTextMargins);
    POINT at = {area.left + kSideGap, area.top + height - kToolBarHeight - fullHeight - kBottomGap};
    ::ClientToScreen(m_hwnd, &at);
    if (moveOnly) {
        ::SetWindowPos(m_helpWnd->GetHWND(), nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    ::SetWindowPos(m_helpWnd->GetHWND(), nullptr, at.x, at.y, width - 2 * kSideGap, fullHeight,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    m_helpWnd->SetVisibleHeight(m_helpWnd->GetVisibleHeight());
}

}  // namespace Tessar
