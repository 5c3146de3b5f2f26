// The browser's modes: game speed, mute, lights off, full screen and the
// boss key.
#include "VQBrowser/BrowserWnd.h"

#include "VQFlash/SpeedClock.h"

namespace Tessar {

namespace {

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
    SwitchMute();
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
        SetMaximizedStyle(true);
    } else {
        ShowControl(BrowserIdFullScreen, true);
        ShowControl(BrowserIdLeaveFullScreen, false);
        SetMaximizedStyle(false);
        m_paintManager.SetMaxInfo(0, 0);
        m_fullScreen = false;
        ::SetWindowPos(m_hwnd, HWND_NOTOPMOST, m_savedRect.left, m_savedRect.top, m_savedRect.right - m_savedRect.left,
                       m_savedRect.bottom - m_savedRect.top, SWP_FRAMECHANGED);
    }
}

void VQBrowserWnd::ToggleLights() {
    SwitchLights();
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
