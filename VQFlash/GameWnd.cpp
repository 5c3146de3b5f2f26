#include "VQFlash/GameWnd.h"

#include "VQFlash/MuteHook.h"

namespace Tessar {

namespace {

const RECT kSizeBox = {3, 3, 3, 3};
const int kSizeBoxCorner = 5;

}  // namespace

VQGameWnd::VQGameWnd(const VQGameFrame& frame) : m_frame(frame) {}

void VQGameWnd::ShowControl(int id, bool visible) {
    if (VQControl* control = m_paintManager.FindControlById(id)) control->SetVisible(visible);
}

void VQGameWnd::LeaveFullScreen() {
    if (m_fullScreen) ToggleFullScreen();
}

void VQGameWnd::LeaveLights() {
    if (m_lightsOff) ToggleLights();
}

void VQGameWnd::LeaveScreenModes() {
    LeaveFullScreen();
    LeaveLights();
}

void VQGameWnd::SwitchMute() {
    const bool muted = !IsSoundMuted();
    ShowControl(GameIdSoundOn, muted);
    ShowControl(GameIdMute, !muted);
    if (GetMuteHook() == nullptr) InstallMuteHook();
    SetSoundMuted(muted);
}

bool VQGameWnd::SwitchLights() {
    LeaveFullScreen();
    VQControl* frame = m_paintManager.FindControlById(m_frame.frameId);
    if (frame == nullptr) return false;
    const SIZE screen = {::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    if (!m_lightsOff) {
        if (::IsZoomed(m_hwnd)) ::ShowWindow(m_hwnd, SW_RESTORE);
        ShowControl(GameIdLightsOn, true);
        ShowControl(GameIdLightsOff, false);
        RECT rc = {};
        ::GetWindowRect(m_hwnd, &rc);
        // The window becomes the screen, so screen coordinates are client ones.
        frame->SetFloat(true);
        frame->SetFixedXY(rc.left, rc.top);
        frame->SetFixedWidth(rc.right - rc.left);
        frame->SetFixedHeight(rc.bottom - rc.top);
        DropFrameSettings(screen);
        m_lightsOff = true;
        ::SetWindowPos(m_hwnd, HWND_TOPMOST, 0, 0, screen.cx, screen.cy, SWP_FRAMECHANGED);
        SetMaximizedStyle(true);
    } else {
        ShowControl(GameIdLightsOff, true);
        ShowControl(GameIdLightsOn, false);
        // Where the frame floats now (it may not have been laid out there yet).
        const POINT at = frame->GetFixedXY();
        const RECT pos = {at.x, at.y, at.x + frame->GetFixedWidth(), at.y + frame->GetFixedHeight()};
        frame->SetFloat(false);
        frame->SetFixedXY(0, 0);
        frame->SetFixedWidth(0);
        frame->SetFixedHeight(0);
        SetMaximizedStyle(false);
        RestoreFrameSettings();
        m_lightsOff = false;
        ::SetWindowPos(m_hwnd, HWND_NOTOPMOST, pos.left, pos.top, pos.right - pos.left, pos.bottom - pos.top,
                       SWP_FRAMECHANGED);
    }
    if (VQControl* root = m_paintManager.GetRoot()) root->NeedUpdate();
    return true;
}

void VQGameWnd::ShowMaximizeButtons() {
    const bool maximized = ::IsZoomed(m_hwnd) && !m_fullScreen && !m_lightsOff;
    ShowControl(GameIdMaximize, !maximized);
    ShowControl(GameIdRestore, maximized);
}

void VQGameWnd::DropFrameSettings(SIZE maxSize) {
    m_paintManager.SetMaxInfo(maxSize.cx, maxSize.cy);
    m_paintManager.SetCaptionRect(RECT{0, 0, 0, 0});
    m_paintManager.SetRoundCorner(0, 0);
    m_paintManager.SetSizeBox(RECT{0, 0, 0, 0}, 0);
}

void VQGameWnd::RestoreFrameSettings() {
    m_paintManager.SetMaxInfo(0, 0);
    m_paintManager.SetCaptionRect(RECT{0, 0, 0, m_frame.captionHeight});
    m_paintManager.SetRoundCorner(m_frame.roundCorner, m_frame.roundCorner);
    m_paintManager.SetSizeBox(kSizeBox, kSizeBoxCorner);
}

void VQGameWnd::SetMaximizedStyle(bool on) {
    LONG_PTR style = ::GetWindowLongPtrW(m_hwnd, GWL_STYLE);
    style = on ? (style | WS_MAXIMIZE) : (style & ~static_cast<LONG_PTR>(WS_MAXIMIZE));
    ::SetWindowLongPtrW(m_hwnd, GWL_STYLE, style);
}

}  // namespace Tessar
