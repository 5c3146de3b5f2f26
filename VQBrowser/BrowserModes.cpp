// The browser's modes: game speed, mute, lights off, full screen and the
// boss key.
#include "VQBrowser/BrowserWnd.h"

#include "VQFlash/MuteHook.h"
#include "VQFlash/SpeedClock.h"

namespace Tessar {

namespace {

const RECT kCaptionRect = {0, 0, 0, 32};
const RECT kSizeBox = {3, 3, 3, 3};
const int kSizeBoxCorner = 5;
const int kRoundCorner = 7;

void AddStyle(HWND hwnd, LONG_PTR bits, bool add) {
    LONG_PTR style = ::GetWindowLongPtrW(hwnd, GWL_STYLE);
    style = add ? (style | bits) : (style & ~bits);
    ::SetWindowLongPtrW(hwnd, GWL_STYLE, style);
}

// The clock state of a speed button state: the first is real time.
int ClockStateOf(int speed) {
    switch (speed) {
    case 2: return 2;
    case 3: return 3;
    default: return 0;
    }
}

}  // namespace

void VQBrowserWnd::SetSpeed(int state) {
    if (state < 1 || state > 3) state = 1;
    ShowControl(BrowserIdSpeed2, state == 1);
    ShowControl(BrowserIdSpeed3, state == 2);
    ShowControl(BrowserIdSpeed1, state == 3);
    if (m_speed == 1 && GetClockHook() == nullptr) InstallClockHook();
    SetClockSpeedState(ClockStateOf(state));
    m_speed = state;
}

void VQBrowserWnd::ToggleMute() {
    const bool muted = !IsSoundMuted();
    ShowControl(BrowserIdSoundOn, muted);
    ShowControl(BrowserIdMute, !muted);
    if (GetMuteHook() == nullptr) InstallMuteHook();
    SetSoundMuted(muted);
}

void VQBrowserWnd::RestoreFrameSettings() {
    m_paintManager.SetMaxInfo(0, 0);
    m_paintManager.SetCaptionRect(kCaptionRect);
    m_paintManager.SetRoundCorner(kRoundCorner, kRoundCorner);
    m_paintManager.SetSizeBox(kSizeBox, kSizeBoxCorner);
}

void VQBrowserWnd::LeaveFullScreen() {
    if (m_fullScreen) ToggleFullScreen();
}

void VQBrowserWnd::LeaveLights() {
    if (m_lightsOff) ToggleLights();
}

void VQBrowserWnd::ToggleFullScreen() {
    LeaveLights();
    if (!m_fullScreen) {
        ShowControl(BrowserIdFullScreen, false);
        ShowControl(BrowserIdLeaveFullScreen, true);
        if (::IsZoomed(m_hwnd)) ::ShowWindow(m_hwnd, SW_RESTORE);
        m_paintManager.SetMaxInfo(m_fullScreenSize.cx, m_fullScreenSize.cy);
        ::GetWindowRect(m_hwnd, &m_savedRect);
        m_fullScreen = true;
        // The caption bar and the borders lie outside the screen.
        ::SetWindowPos(m_hwnd, HWND_TOPMOST, -3, -32, m_fullScreenSize.cx, m_fullScreenSize.cy, SWP_FRAMECHANGED);
        AddStyle(m_hwnd, WS_MAXIMIZE, true);
    } else {
        ShowControl(BrowserIdFullScreen, true);
        ShowControl(BrowserIdLeaveFullScreen, false);
        AddStyle(m_hwnd, WS_MAXIMIZE, false);
        m_paintManager.SetMaxInfo(0, 0);
        m_fullScreen = false;
        ::SetWindowPos(m_hwnd, HWND_NOTOPMOST, m_savedRect.left, m_savedRect.top, m_savedRect.right - m_savedRect.left,
                       m_savedRect.bottom - m_savedRect.top, SWP_FRAMECHANGED);
    }
}

void VQBrowserWnd::ToggleLights() {
    LeaveFullScreen();
    VQControl* frame = m_paintManager.FindControlById(BrowserIdFrame);
    if (frame == nullptr) return;
    const int screenW = ::GetSystemMetrics(SM_CXSCREEN);
    const int screenH = ::GetSystemMetrics(SM_CYSCREEN);
    if (!m_lightsOff) {
        if (::IsZoomed(m_hwnd)) ::ShowWindow(m_hwnd, SW_RESTORE);
        ShowControl(BrowserIdLightsOn, true);
        ShowControl(BrowserIdLightsOff, false);
        RECT rc = {};
        ::GetWindowRect(m_hwnd, &rc);
        frame->SetFloat(true);
        frame->SetFixedXY(rc.left, rc.top);
        frame->SetFixedWidth(rc.right - rc.left);
        frame->SetFixedHeight(rc.bottom - rc.top);
        m_paintManager.SetMaxInfo(screenW, screenH);
        m_paintManager.SetCaptionRect(RECT{0, 0, 0, 0});
        m_paintManager.SetRoundCorner(0, 0);
        m_paintManager.SetSizeBox(RECT{0, 0, 0, 0}, 0);
        m_lightsOff = true;
        ::SetWindowPos(m_hwnd, HWND_TOPMOST, 0, 0, screenW, screenH, SWP_FRAMECHANGED);
        AddStyle(m_hwnd, WS_MAXIMIZE, true);
    } else {
        ShowControl(BrowserIdLightsOff, true);
        ShowControl(BrowserIdLightsOn, false);
        // Where the frame floats now (it may not have been laid out there yet).
        const POINT at = frame->GetFixedXY();
        const RECT pos = {at.x, at.y, at.x + frame->GetFixedWidth(), at.y + frame->GetFixedHeight()};
        frame->SetFloat(false);
        frame->SetFixedXY(0, 0);
        frame->SetFixedWidth(0);
        frame->SetFixedHeight(0);
        AddStyle(m_hwnd, WS_MAXIMIZE, false);
        RestoreFrameSettings();
        m_lightsOff = false;
        ::SetWindowPos(m_hwnd, HWND_NOTOPMOST, pos.left, pos.top, pos.right - pos.left, pos.bottom - pos.top,
                       SWP_FRAMECHANGED);
    }
    if (VQControl* root = m_paintManager.GetRoot()) root->NeedUpdate();
}

void VQBrowserWnd::ToggleBossKey() {
    if (m_hiddenByBossKey) {
        ShowWindow(true, true);
        m_hiddenByBossKey = false;
    } else {
        ShowWindow(false);
        m_hiddenByBossKey = true;
    }
}

}  // namespace Tessar
