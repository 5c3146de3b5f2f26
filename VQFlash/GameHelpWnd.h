#pragma once
// The help panel of the Flash player: a layered popup that slides up over
// the bottom of the game with the game's help text, 5 pixels per 15 ms
// tick, and slides out again on the help button or its own close button.

#include <windows.h>

#include <string>

#include "ui/WindowImplBase.h"

namespace Tessar {

class VQControl;

// Layout and style resources of the game windows' small windows.
const UINT kGameLayoutResource = 156;
const UINT kGameStyleResource = 155;

// The help file read whole and converted to wide text; false when it is
// missing or cannot be read.
bool ReadHelpText(const std::wstring& path, std::wstring& text);

// The font a label's text is measured in: its normal font, "Default"
// when it names none (or there is no label).
std::wstring LabelFontName(const VQControl* label);

class VQGameHelpWnd : public VQWindowImplBase {
public:
    VQGameHelpWnd();

    const wchar_t* GetWindowClassName() const override { return L"VQGameHelpWnd"; }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void Notify(VQNotifyMsg& msg) override;
    LRESULT OnCreate(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    LRESULT OnDestroy(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    LRESULT OnNcCalcSize(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override { return 0; }
    LRESULT OnNcPaint(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override { return 0; }
    LRESULT OnNcActivate(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    LRESULT OnTimer(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;

    // Puts the text into label 401 and measures the panel for a text
    // width: (font height + 4) x lines + 18, lines = one-line text width /
    // width + 1. Stores and returns the full height.
    int Measure(const std::wstring& text, int availableWidth);
    // Slides out when shown or sliding in, else slides in from 0.
    void ToggleSlide();
    // One timer tick: 5 pixels towards the goal.
    void SlideStep();
    void SetVisibleHeight(int height);

    int GetVisibleHeight() const { return m_visibleHeight; }
    int GetFullHeight() const { return m_fullHeight; }
    bool IsSlidingIn() const { return m_slidingIn; }
    bool IsTimerRunning() const { return m_timerRunning; }

    // Re-applies the panel's skin overlay.
    void ApplySkin();

private:
    int m_visibleHeight = 0;
    int m_fullHeight = 0;
    bool m_slidingIn = false;
    bool m_timerRunning = false;
};

// The skin folder next to the program ("skin\") and the selected skin's
// layout file (empty when none is selected).
std::wstring ProgramSkinFolder();
std::wstring SelectedSkinLayout();

}  // namespace Tessar
