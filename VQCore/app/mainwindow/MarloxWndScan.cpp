// The main window's scan window: made once and kept; a manual scan (mode
// 0) shows it for the user's choice, the first-run and regular scans run
// it unseen. What it finds is compared with the installed pages and the
// new games go onto the installed games page.

#include "VQCore/app/mainwindow/MarloxWnd.h"
#include "VQCore/app/windows/SkinSettingWnd.h"

#include "VQCore/app/start/App.h"
#include "VQCore/app/pages/GameIcon.h"
#include "VQCore/app/pages/IconList.h"
#include "VQCore/app/windows/PageTipWnd.h"
#include "VQCore/app/windows/DetailsWnd.h"
#include "VQCore/app/windows/ScanWnd.h"
#include "VQCore/app/windows/SearchWnd.h"
#include "VQCore/app/start/StartupChecks.h"
#include "VQCore/gamelib/GameId.h"
#include "VQCore/gamelib/Settings.h"
#include "common/FormatText.h"
#include "common/TextUtil.h"

namespace Tessar {

namespace {

// Same program started the same way: the program case-blind, the
// arguments as far as the shorter one goes.
bool SameLaunch(const VQGameIconData& a, const VQGameIconData& b) {
    return PrefixCompareNoCase(a.runProgram, b.runProgram) == 0 &&
           PrefixCompareNoCase(a.runArguments, b.runArguments) == 0;
}

}  // namespace

void VQMarloxWnd::ShowScanWindow(int mode) {
    // A window the user closed is gone: the next scan makes a new one.
    if (m_scanWindow && !::IsWindow(m_scanWindow->GetHWND())) {
        delete m_scanWindow;
        m_scanWindow = nullptr;
    }
    if (m_scanWindow) {
        if (m_scanWindow->IsScanning() && mode != 0) return;
        if (mode != 0) m_scanWindow->StartScan(mode, std::wstring());
    } else {
        VQScanHost host;
        host.isAlreadyListed = [this](const IGameTile& tile) {
            const auto* icon = dynamic_cast<const VQGameIcon*>(&tile);
            return icon != nullptr && IsGameAlreadyListed(*icon);
        };
        host.importFound = [this](std::vector<std::unique_ptr<IGameTile>>& tiles, std::vector<uint32_t>& iconIds,
                                  bool show) { ImportFoundGames(tiles, iconIds, show); };
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
    // Stops and waits for its scan; a window asking whether to stop frees
    // itself once the question returns.
    if (m_scanWindow) m_scanWindow->Release();
    m_scanWindow = nullptr;
    delete m_searchWindow;
    m_searchWindow = nullptr;
    delete m_detailsWindow;
    m_detailsWindow = nullptr;
    delete m_skinWindow;
    m_skinWindow = nullptr;
    delete m_pageTip;
    m_pageTip = nullptr;
}

bool VQMarloxWnd::IsGameAlreadyListed(const VQGameIcon& found) const {
    VQIconList* installed = FindIconList(kInstalledListId);
    VQIconList* tools = FindIconList(kQuickListId);
    if (!installed || !tools) return false;
    const uint32_t id = found.GetGameId();
    if (IsToolGameId(id)) {
        const VQGameIcon* tool = FindTileById(kQuickListId, id);
        if (tool && tool->GetState() == kTileInstalled && SameLaunch(tool->Data(), found.Data())) return true;
    }
    for (const VQGameIcon* tile : installed->GetTiles())
        if (tile && !tile->IsAddTile() && tile->GetGameId() == id && SameLaunch(tile->Data(), found.Data()))
            return true;
    return false;
}

// A tool whose tile waits on the tools page (not installed) is taken over
// in place; every other game joins the installed games page.
void VQMarloxWnd::ImportFoundGames(std::vector<std::unique_ptr<IGameTile>>& tiles, std::vector<uint32_t>& iconIds,
                                   bool show) {
    VQIconList* installed = FindIconList(kInstalledListId);
    VQIconList* tools = FindIconList(kQuickListId);
    if (!installed || !tools) return;
    bool toolsChanged = false;
    for (auto& tile : tiles) {
        auto* icon = dynamic_cast<VQGameIcon*>(tile.get());
        if (!icon) continue;
        if (IsToolGameId(icon->GetGameId())) {
            VQGameIcon* waiting = FindTileById(kQuickListId, icon->GetGameId());
            if (waiting && waiting->GetState() != kTileInstalled) {
                VQGameIconData& data = waiting->Data();
                data.runProgram = icon->Data().runProgram;
                data.runArguments = icon->Data().runArguments;
                data.workingFolder = icon->Data().workingFolder;
                waiting->SetState(kTileInstalled);
                waiting->Invalidate();
                toolsChanged = true;
                continue;  // the found tile goes with the list
            }
        }
        icon->SetState(kTileInstalled);
        if (installed->AddTile(icon)) tile.release();
    }
    tiles.clear();
    if (toolsChanged) tools->Relayout();
    installed->Relayout();
    VQSettings::Instance().SetString(L"ImportTime", FormatString(L"%lld", static_cast<long long>(NowSeconds())));
    // Icons the catalogue lacked come from the update server; each arrives
    // as a posted picture for every tile of its game.
    if (!iconIds.empty()) {
        if (VQApp* app = GetApp()) app->StartIconFetch(iconIds);
        iconIds.clear();
    }
    if (show) {
        const int last = installed->GetPageCount() - 1;
        installed->ShowPageAt(last < 0 ? 0 : last);
        ShowPage(kPageInstalled);
    }
    RefreshInstalledPages();
}

}  // namespace Tessar
