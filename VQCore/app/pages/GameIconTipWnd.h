#pragma once
// The popup beside a tile while the mouse rests on it: the game's name,
// size, category and synopsis (mode 0), or, for a tile of the download
// page, its sizes and speed refreshed every 500 ms (mode 1). It never
// takes the focus; the main window makes it once and moves it from tile
// to tile.

#include <cstdint>
#include <functional>
#include <string>

#include "VQCore/app/windows/DialogWindow.h"

namespace Tessar {

class VQGameIcon;

enum VQGameIconTipMode : int { kGameTipDetails = 0, kGameTipDownload = 1 };

class VQGameIconTipWnd : public VQDialogWindow {
public:
    // speedOf: the download speed of a game in bytes per second while its
    // last report is fresh, else 0.
    VQGameIconTipWnd(HWND owner, std::function<uint32_t(uint32_t gameId)> speedOf);

    const wchar_t* GetWindowClassName() const override { return L"VQGameIconTipWnd"; }
    LRESULT OnTimer(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;

    // Fills the tip from the tile and moves it to point (owner's client
    // coordinates); the tile's page picks the mode.
    void SetTile(VQGameIcon* tile, POINT point);
    void Show();
    void Hide();
    void MoveTo(POINT point);
    // Forgets the tile (it left its page) and hides.
    void Forget();
    // The tile reached the downloaded state (compared only): when it is the
    // tile shown, the skin's control kDownloadedControlId, when it has one,
    // is disabled.
    void OnTileDownloaded(const VQGameIcon* tile);
    static const int kDownloadedControlId = 1021;

    VQGameIcon* GetTile() const { return m_tile; }
    int GetMode() const { return m_mode; }
    bool IsShown() const { return m_hwnd && ::IsWindowVisible(m_hwnd); }

    static const int kDetailsWidth = 240;
    static const int kDetailsHeight = 118;
    static const int kDownloadWidth = 170;
    static const int kDownloadHeight = 88;

private:
    void RefreshProgress();

    HWND m_owner;
    std::function<uint32_t(uint32_t)> m_speedOf;
    VQGameIcon* m_tile = nullptr;
    int m_mode = kGameTipDetails;
};

}  // namespace Tessar
