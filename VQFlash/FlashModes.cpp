// The player's modes: movie loading, pause, mute, lights off, full screen
// and zoom.
#include "VQFlash/FlashWnd.h"

#include "VQFlash/DispatchCall.h"
#include "VQFlash/GameLayouts.h"
#include "VQFlash/MuteHook.h"
#include "common/PathText.h"
#include "ui/ActiveX.h"
#include "ui/Container.h"

namespace Tessar {

namespace {

const LONG kReadyStateComplete = 4;

SIZE ScreenSize() {
    return {::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
}

}  // namespace

void VQFlashWnd::LoadMovie() {
    if (m_moviePath.empty() || !FileExists(m_moviePath)) return;
    IDispatch* player = GetPlayer();
    if (player == nullptr) return;
    PutDispatchText(player, L"Movie", m_moviePath);
    PutDispatchLong(player, L"ScaleMode", 0);
    PutDispatchLong(player, L"AlignMode", 0);
    PutDispatchBool(player, L"Loop", true);
    PutDispatchText(player, L"Quality2", L"High");
    PutDispatchText(player, L"Scale", L"exactFit");
    PutDispatchText(player, L"AllowNetworking", L"internal");
    PutDispatchBool(player, L"Menu", false);
    VARIANT state;
    if (GetDispatchProperty(player, L"ReadyState", &state)) {
        VARIANT number;
        ::VariantInit(&number);
        if (SUCCEEDED(::VariantChangeType(&number, &state, 0, VT_I4)) && number.lVal == kReadyStateComplete)
            m_loaded = true;
        ::VariantClear(&number);
    }
    ::VariantClear(&state);
    player->Release();
}

void VQFlashWnd::ResumeIfPaused() {
    if (m_paused) TogglePause();
}

void VQFlashWnd::Replay() {
    if (!m_loaded) return;
    ResumeIfPaused();
    if (IDispatch* player = GetPlayer()) {
        PutDispatchText(player, L"Movie", L"http://");
        player->Release();
    }
    LoadMovie();
}

void VQFlashWnd::TogglePause() {
    if (!m_loaded) return;
    HWND player = GetPlayerWindow();
    if (!m_paused) {
        ShowControl(FlashIdStart, true);
        ShowControl(FlashIdPause, false);
        if (!IsSoundMuted()) {
            ToggleMute();
            m_muteByPause = true;
        }
        if (player != nullptr) ::EnableWindow(player, FALSE);
        m_paused = true;
    } else {
        ShowControl(FlashIdStart, false);
        ShowControl(FlashIdPause, true);
        if (player != nullptr) {
            ::EnableWindow(player, TRUE);
            ::SetFocus(player);
        }
        m_paused = false;
        if (m_muteByPause) {
            ToggleMute();
            m_muteByPause = false;
        }
    }
}

void VQFlashWnd::ToggleMute() {
    // Pause mutes through here before it sets its flag, and unmutes after
    // clearing it, so a paused movie's sound never changes from the buttons.
    if (!m_loaded || m_paused) return;
    SwitchMute();
}

void VQFlashWnd::ToggleFullScreen() {
    if (!m_loaded) return;
    LeaveLights();
    const SIZE screen = ScreenSize();
    if (!m_fullScreen) {
        ShowControl(FlashIdLeaveFullScreen, true);
        ShowControl(FlashIdFullScreen, false);
        if (::IsZoomed(m_hwnd)) ::ShowWindow(m_hwnd, SW_RESTORE);
        ShowControl(FlashIdCaptionBar, false);
        DropFrameSettings(screen);
        ::GetWindowRect(m_hwnd, &m_savedRect);
        m_fullScreen = true;
        ::SetWindowPos(m_hwnd, HWND_TOPMOST, 0, 0, screen.cx, screen.cy, SWP_FRAMECHANGED);
        SetMaximizedStyle(true);
    } else {
        ShowControl(FlashIdFullScreen, true);
        ShowControl(FlashIdLeaveFullScreen, false);
        ShowControl(FlashIdCaptionBar, true);
        if (VQControl* box = m_paintManager.FindControlById(FlashIdPlayerBox))
            if (VQContainer* container = static_cast<VQContainer*>(box->GetInterface(ControlTypeContainer)))
                container->SetInset(1, 1, 1, 1);
        SetMaximizedStyle(false);
        RestoreFrameSettings();
        m_fullScreen = false;
        ::SetWindowPos(m_hwnd, HWND_NOTOPMOST, m_savedRect.left, m_savedRect.top, m_savedRect.right - m_savedRect.left,
                       m_savedRect.bottom - m_savedRect.top, SWP_FRAMECHANGED);
    }
}

void VQFlashWnd::ToggleLights() {
    if (!m_loaded) return;
    if (SwitchLights()) LayoutHelp(false);
}

void VQFlashWnd::Zoom(bool in) {
    if (in && ::IsZoomed(m_hwnd) && !m_fullScreen) return;
    LeaveLights();
    RECT window = {};
    ::GetWindowRect(m_hwnd, &window);
    if (m_fullScreen) {
        VQControl* movie = m_paintManager.FindControlById(FlashIdPlayer);
        VQControl* box = m_paintManager.FindControlById(FlashIdPlayerBox);
        VQContainer* container = box != nullptr ? static_cast<VQContainer*>(box->GetInterface(ControlTypeContainer))
                                                : nullptr;
        if (movie == nullptr || container == nullptr) return;
        const RECT frame = {window.left + 4, window.top + 1, window.right - 4, window.bottom - 50};
        POINT inset = {};
        if (!ZoomFullScreenInset(frame, movie->GetPos(), in, inset)) return;
        container->SetInset(inset.x, inset.y, inset.x, inset.y);
        return;
    }
    if (!in && ::IsZoomed(m_hwnd)) {
        ::ShowWindow(m_hwnd, SW_RESTORE);
        ::GetWindowRect(m_hwnd, &window);
    }
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    if (!::GetMonitorInfoW(::MonitorFromWindow(m_hwnd, MONITOR_DEFAULTTONEAREST), &monitor)) return;
    RECT result = {};
    if (!ZoomWindowRect(window, monitor.rcWork, false, in, result)) return;
    ::MoveWindow(m_hwnd, result.left, result.top, result.right - result.left, result.bottom - result.top, TRUE);
}

}  // namespace Tessar
