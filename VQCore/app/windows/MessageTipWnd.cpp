#include "VQCore/app/windows/MessageTipWnd.h"

#include "VQCore/app/pages/GameIcon.h"
#include "VQCore/app/start/ResourceString.h"
#include "common/FormatText.h"
#include "ui/Control.h"

namespace Tessar {

namespace {

enum : int {
    kNewGamesPanelId = 100,
    kInstalledPanelId = 101,
    kCloseId = 102,
    kButtonId = 103,
    kIconId = 104,
    kNameId = 105,
    kTotalId = 106,
    kFirstCountId = 107,
};

enum : UINT { kTextGotIt = 1010, kTextRegisterNow = 1150, kTextRun = 1153 };

const SIZE kInstalledSize = {309, 158};
const SIZE kNewGamesSize = {260, 110};

}  // namespace

VQMessageTipWnd::VQMessageTipWnd(int mode, HWND mainWindow, int x, int y, const VQTipActions& actions)
    : m_mode(mode), m_mainWindow(mainWindow), m_x(x), m_y(y), m_actions(actions) {
    CreateDialogWindow(mainWindow, GetWindowTextString(mainWindow), kDialogStyle, WS_EX_LAYERED | WS_EX_DLGMODALFRAME);
}

void VQMessageTipWnd::OnLayoutReady() {
    // Shown without activation: the first paint moves the focus to the
    // first tab stop, which would activate the tip, so its buttons are none.
    for (int id : {kCloseId, kButtonId, kIconId})
        if (VQControl* button = Find(id)) button->SetFlag(FlagTabStop, false);
    const bool installed = m_mode == kTipInstallFinished;
    SetControlVisible(kInstalledPanelId, installed);
    SetControlVisible(kNewGamesPanelId, !installed);
    SetControlText(kButtonId, LoadResourceString(installed ? kTextRun : kTextGotIt));
    const SIZE size = installed ? kInstalledSize : kNewGamesSize;
    ::SetWindowPos(m_hwnd, nullptr, m_x, m_y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

POINT StackedTipPosition(const RECT& workArea, SIZE size, const std::vector<RECT>& openTips) {
    const int right = workArea.right;
    int bottom = workArea.bottom;
    // Each open tip in the corner's column pushes the new one above it.
    for (const RECT& tip : openTips)
        if (tip.right > right - size.cx && tip.left < right && tip.top < bottom) bottom = tip.top;
    POINT at = {right - size.cx, bottom - size.cy};
    if (at.y < workArea.top) at.y = workArea.top;
    if (at.x < workArea.left) at.x = workArea.left;
    return at;
}

void VQMessageTipWnd::SetTile(VQGameIcon* tile) {
    m_tile = tile;
    m_serial = tile ? tile->GetSerial() : 0;
    m_gameId = tile ? tile->GetGameId() : 0;
    if (!tile) return;
    if (!tile->Data().registerPage.empty()) SetControlText(kButtonId, LoadResourceString(kTextRegisterNow));
    if (VQControl* icon = Find(kIconId)) icon->SetAttribute(L"normalimage", tile->GetIconDescription());
    SetControlText(kNameId, tile->GetCaption());
}

void VQMessageTipWnd::SetCounts(int single, int online, int web, int flash, int tools) {
    const int counts[5] = {single, online, web, flash, tools};
    SetControlText(kTotalId, FormatString(L"%d", single + online + web + flash + tools));
    for (int i = 0; i < 5; ++i) SetControlText(kFirstCountId + i, FormatString(L"%d", counts[i]));
}

void VQMessageTipWnd::ShowTip() {
    ::SetLayeredWindowAttributes(m_hwnd, 0, static_cast<BYTE>(m_fader.Alpha()), LWA_ALPHA);
    ::ShowWindow(m_hwnd, SW_SHOWNOACTIVATE);
    Apply(m_fader.Start());
}

void VQMessageTipWnd::Apply(const VQTipStep& step) {
    if (step.killTimer) ::KillTimer(m_hwnd, step.killTimer);
    if (step.startTimer) ::SetTimer(m_hwnd, step.startTimer, step.interval, nullptr);
    ::SetLayeredWindowAttributes(m_hwnd, 0, static_cast<BYTE>(m_fader.Alpha()), LWA_ALPHA);
    if (step.close) ::PostMessageW(m_hwnd, WM_CLOSE, 0, 0);
}

LRESULT VQMessageTipWnd::OnTimer(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) {
    if (wParam < kTipTimerVisible || wParam > kTipTimerHoverIn) {
        handled = FALSE;
        return 0;
    }
    Apply(m_fader.OnTimer(static_cast<unsigned>(wParam)));
    return 0;
}

LRESULT VQMessageTipWnd::OnMouseMove(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) {
    handled = FALSE;  // the controls get their hover too
    if (m_fader.IsHovering()) return 0;
    for (UINT_PTR id : {kTipTimerFadeIn, kTipTimerFadeOut, kTipTimerVisible}) ::KillTimer(m_hwnd, id);
    Apply(m_fader.OnMouseEnter());
    TRACKMOUSEEVENT track = {};
    track.cbSize = sizeof(track);
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = m_hwnd;
    ::TrackMouseEvent(&track);
    return 0;
}

LRESULT VQMessageTipWnd::OnMouseLeave(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) {
    handled = FALSE;
    Apply(m_fader.OnMouseLeave());
    return 0;
}

void VQMessageTipWnd::Notify(VQNotifyMsg& msg) {
    if (msg.type != NotifyClick || !msg.sender) return;
    const int id = msg.sender->GetId();
    if (id == kCloseId) {
        Close();
    } else if (id == kButtonId || id == kIconId) {
        OnButton();
    }
}

void VQMessageTipWnd::OnButton() {
    if (m_mode == kTipNewGames || !m_tile) {
        Close();
        return;
    }
    // The tile may have moved or gone since the install finished.
    VQGameIcon* tile = m_actions.findTile ? m_actions.findTile(m_serial, m_gameId) : m_tile;
    if (!tile) return;
    if (!tile->Data().registerPage.empty()) {
        if (m_actions.openRegistration) m_actions.openRegistration(*tile);
    } else if (m_actions.runGame) {
        m_actions.runGame(*tile);
    }
    Close();
}

}  // namespace Tessar
