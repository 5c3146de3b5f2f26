// The main window's scan window: made once and kept; a manual scan (mode
// 0) shows it for the user's choice, the first-run and regular scans run
// it unseen. What it finds goes onto the installed games page.

#include "VQCore/app/MarloxWnd.h"
#include "VQCore/app/SkinSettingWnd.h"

#include "VQCore/app/GameIcon.h"
#include "VQCore/app/IconList.h"
#include "VQCore/app/DetailsWnd.h"
#include "VQCore/app/ScanWnd.h"
#include "VQCore/app/SearchWnd.h"

namespace Tessar {

void VQMarloxWnd::ShowScanWindow(int mode) {
    // A window the user closed is gone: the next scan makes a new one.
    if (m_scanWindow && !::IsWindow(m_scanWindow->GetHWND())) CloseScanWindow();
    if (m_scanWindow) {
        if (m_scanWindow->IsScanning() && mode != 0) return;
        if (mode != 0) m_scanWindow->StartScan(mode, std::wstring());
    } else {
        VQScanHost host;
        host.isAlreadyListed = [this](const IGameTile& tile) {
            const auto* icon = dynamic_cast<const VQGameIcon*>(&tile);
            if (!icon) return false;
            return FindTileById(kInstalledListId, icon->GetGameId()) != nullptr ||
                   FindTileById(kQuickListId, icon->GetGameId()) != nullptr;
        };
        host.importFound = [this](std::vector<std::unique_ptr<IGameTile>>& tiles, std::vector<uint32_t>&, bool show) {
            ImportScannedGames(tiles, show);
        };
        host.setTrayRotation = [this](bool on) {
            if (on)
                StartRotation();
            else
                StopRotation();
        };
        host.addGameByHand = [this] {
            ShowPage(kPageInstalled);
            ::PostMessageW(m_hwnd, kMsgAddGameFromFile, 1, 0);
        };
        host.showGameLibrary = [this] { ShowPage(kPageLibrary); };
        m_scanWindow = new VQScanWnd(host, mode);
    }
    if (mode == 0 && m_scanWindow && ::IsWindow(m_scanWindow->GetHWND())) {
        m_scanWindow->CenterWindow();
        m_scanWindow->ShowWindow(true, true);
        ::SetForegroundWindow(m_scanWindow->GetHWND());
    }
}

void VQMarloxWnd::CloseScanWindow() {
    delete m_scanWindow;  // stops and waits for its scan
    m_scanWindow = nullptr;
    delete m_searchWindow;
    m_searchWindow = nullptr;
    delete m_detailsWindow;
    m_detailsWindow = nullptr;
    delete m_skinWindow;
    m_skinWindow = nullptr;
}

// The found games join the installed page as installed tiles.
void VQMarloxWnd::ImportScannedGames(std::vector<std::unique_ptr<IGameTile>>& tiles, bool show) {
    VQIconList* installed = FindIconList(kInstalledListId);
    if (!installed) return;
    for (auto& tile : tiles) {
        auto* icon = dynamic_cast<VQGameIcon*>(tile.get());
        if (!icon) continue;
        icon->SetState(kTileInstalled);
        if (installed->AddTile(icon)) tile.release();
    }
    tiles.clear();
    RefreshInstalledPages();
    if (show) ShowPage(kPageInstalled);
}

}  // namespace Tessar
