#pragma once
// The fading tip in the screen corner: "install finished" with the game's
// icon and a run (or register) button (mode 0), or the counts of new games
// after a data update (mode 1). It fades in, stays six seconds, fades out
// and closes itself; the mouse over it holds it.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "VQCore/app/windows/DialogWindow.h"
#include "VQCore/app/windows/TipFader.h"

namespace Tessar {

class VQGameIcon;

enum VQMessageTipMode : int { kTipInstallFinished = 0, kTipNewGames = 1 };

// What the tip's button does for its game (the main window's operations).
struct VQTipActions {
    // The tile to act on when the button is clicked, looked up again by the
    // serial number of the tile the tip was given (it may be gone) and its
    // game; null: nothing happens and the tip stays. Without it the tile is
    // taken as it was given.
    std::function<VQGameIcon*(uint32_t serial, uint32_t gameId)> findTile;
    std::function<void(VQGameIcon& tile)> runGame;
    std::function<void(VQGameIcon& tile)> openRegistration;
};

// Where a new tip goes: in the bottom right corner of the work area, above
// the open tips (their window rectangles) that lie there already.
POINT StackedTipPosition(const RECT& workArea, SIZE size, const std::vector<RECT>& openTips);

class VQMessageTipWnd : public VQDialogWindow {
public:
    VQMessageTipWnd(int mode, HWND mainWindow, int x, int y, const VQTipActions& actions = VQTipActions());

    const wchar_t* GetWindowClassName() const override { return L"VQMessageTipWnd"; }
    void Notify(VQNotifyMsg& msg) override;
    LRESULT OnTimer(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    LRESULT OnMouseMove(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    LRESULT OnMouseLeave(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;

    // The finished game (mode 0): the button offers registration when the
    // game has a registration page, else running it.
    void SetTile(VQGameIcon* tile);
    void SetCounts(int single, int online, int web, int flash, int tools);
    // Shows without activation and starts the fade in.
    void ShowTip();

    int GetMode() const { return m_mode; }
    const VQTipFader& Fader() const { return m_fader; }

protected:
    void OnLayoutReady() override;

private:
    void Apply(const VQTipStep& step);
    void OnButton();

    int m_mode;
    HWND m_mainWindow;
    int m_x, m_y;
    VQTipActions m_actions;
    VQGameIcon* m_tile = nullptr;  // used only without VQTipActions::findTile
    uint32_t m_serial = 0;
    uint32_t m_gameId = 0;
    VQTipFader m_fader;
};

}  // namespace Tessar
