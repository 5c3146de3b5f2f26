#pragma once
// The fading of the corner tip, as steps of its timers: fade in (2001,
// +3 every 10 ms), stay (2000, 6 seconds), fade out (2002, -3), and the
// quicker fade back in while the mouse is over it (2003, +10). The window
// turns the answers into SetTimer, KillTimer and WM_CLOSE; tests drive it
// step by step.

#include <cstdint>

namespace Tessar {

enum VQTipTimer : unsigned {
    kTipTimerVisible = 2000,
    kTipTimerFadeIn = 2001,
    kTipTimerFadeOut = 2002,
    kTipTimerHoverIn = 2003,
};

struct VQTipStep {
    unsigned killTimer = 0;   // 0: none
    unsigned startTimer = 0;  // 0: none
    unsigned interval = 0;    // of the started timer, ms
    bool close = false;
};

class VQTipFader {
public:
    static const int kVisibleSeconds = 6;
    static const unsigned kStepInterval = 10;
    static const unsigned kSecondInterval = 1000;

    // The first timer of ShowTip.
    VQTipStep Start();
    VQTipStep OnTimer(unsigned id);
    // Mouse over the tip: every fade stops, and it comes back to full opacity.
    // Returns the timers to kill (all three) and the one to start.
    VQTipStep OnMouseEnter();
    VQTipStep OnMouseLeave();

    int Alpha() const { return m_alpha; }
    int SecondsLeft() const { return m_secondsLeft; }
    bool IsHovering() const { return m_hovering; }

private:
    int m_alpha = 0;
    int m_secondsLeft = kVisibleSeconds;
    bool m_hovering = false;
};

}  // namespace Tessar
