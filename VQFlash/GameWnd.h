#pragma once
// What the Flash player window and the web-game browser share: the mute
// switch, lights off (the game's frame floats on a window as large as the
// screen), leaving full screen and lights off, the maximize and restore
// buttons, and the frame's caption, corners and size box when a mode that
// took them ends.

#include <windows.h>

#include "ui/WindowImplBase.h"

namespace Tessar {

// Controls that both game layouts give the same id.
enum VQGameControlId {
    GameIdLeaveFullScreen = 105,
    GameIdFullScreen = 106,
    GameIdLightsOff = 107,
    GameIdLightsOn = 108,
    GameIdSoundOn = 110,
    GameIdMute = 111,
    GameIdMaximize = 114,
    GameIdRestore = 115,
};

// A game window's frame: the id of the control that floats with lights
// off, and the caption height and corner the window has in normal view.
struct VQGameFrame {
    int frameId;
    int captionHeight;
    int roundCorner;
};

class VQGameWnd : public VQWindowImplBase {
public:
    virtual void ToggleLights() = 0;
    virtual void ToggleFullScreen() = 0;

    bool IsLightsOff() const { return m_lightsOff; }
    bool IsFullScreen() const { return m_fullScreen; }

protected:
    explicit VQGameWnd(const VQGameFrame& frame);

    void ShowControl(int id, bool visible);
    // Leave full screen or lights off when in it.
    void LeaveFullScreen();
    void LeaveLights();
    // Both, full screen first (Esc, maximizing).
    void LeaveScreenModes();
    // Flips the process-wide mute (installing its hook first) and the pair
    // of buttons that shows it.
    void SwitchMute();
    // Lights off: the frame floats where the window was, on a topmost window
    // as large as the screen. Lights on: the window returns to where the
    // frame floats. Leaves full screen first; false when the layout has no
    // frame (nothing changes then).
    bool SwitchLights();
    // Maximize or restore as the window is; full screen and lights off do
    // not count as maximized.
    void ShowMaximizeButtons();
    // No caption, corners or size box; maxSize the largest window size.
    void DropFrameSettings(SIZE maxSize);
    // Normal view's caption, corners and size box, no largest size.
    void RestoreFrameSettings();
    void SetMaximizedStyle(bool on);

    bool m_lightsOff = false;
    bool m_fullScreen = false;
    // The window before full screen.
    RECT m_savedRect = {0, 0, 0, 0};

private:
    VQGameFrame m_frame;
};

}  // namespace Tessar
