// The main window's commands and menus: the more menu under its button, a
// tile's menu (the tile becomes the context tile), and the table that takes
// a menu or tray command to its operation.

#include "VQCore/app/mainwindow/MarloxWnd.h"

#include <shellapi.h>

#include <cstring>
#include <string>

#include "VQCore/app/windows/AboutDlg.h"
#include "VQCore/app/mainwindow/Confirmations.h"
#include "VQCore/app/windows/DetailsWnd.h"
#include "VQCore/app/pages/GameIcon.h"
#include "VQCore/app/pages/IconList.h"
#include "VQCore/app/start/StartupChecks.h"
#include "VQCore/app/mainwindow/TileMenu.h"
#include "VQCore/gamelib/GameId.h"
#include "VQCore/gamelib/Settings.h"
#include "VQUpdate/UpgradeMarkers.h"
#include "common/FormatText.h"
#include "common/PathText.h"
#include "common/WebAddress.h"
#include "common/ServerAddresses.h"
#include "ui/Control.h"
#include "ui/MenuWnd.h"

namespace Tessar {

namespace {

enum : int { kCloseButtonId = 100, kMinimiseButtonId = 101, kSkinButtonId = 102, kMoreButtonId = 103, kLogoId = 104 };

// The folder the game was installed to: its setup folder, else the one of its program.
std::wstring InstallFolderOf(const VQGameIcon& tile) {
    const VQGameIconData& data = tile.Data();
    if (!data.setupFolder.empty()) return data.setupFolder;
    const size_t slash = data.runProgram.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : data.runProgram.substr(0, slash);
}

// The "open" verb runs a program it is given: only an existing folder opens.
void OpenFolder(const std::wstring& folder) {
    if (folder.empty() || !FolderExists(folder)) return;
    ::ShellExecuteW(nullptr, L"open", folder.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

// Pages of the catalogue and of the server table: web addresses only.
void OpenPage(const std::wstring& address) {
    OpenWebAddress(address, ::GetActiveWindow());
}

}  // namespace

LRESULT VQMarloxWnd::OnCommand(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) {
    // Menus and the tray send lParam 0; a native control's notification
    // (lParam its window) is not a command.
    handled = lParam == 0 && RouteCommand(LOWORD(wParam)) ? TRUE : FALSE;
    return 0;
}

VQGameIcon* VQMarloxWnd::TakeContextTile() {
    VQGameIcon* tile = FindTileBySerial(m_contextSerial);
    // A tile that moved to another page (its download installed) is not
    // the one the menu was made for.
    if (tile && tile->GetOwnerListId() != m_contextListId) tile = nullptr;
    m_contextSerial = 0;
    m_contextListId = 0;
    return tile;
}

bool VQMarloxWnd::RouteCommand(int id) {
    // Commands on every tile of the download page: start or pause those in
    // the other state.
    auto forDownloads = [this](bool running) {
        VQIconList* list = FindIconList(kDownloadListId);
        if (!list) return;
        // A copy: an action may move a tile.
        const std::vector<VQGameIcon*> tiles = list->GetTiles();
        for (VQGameIcon* tile : tiles) {
            if (!tile || tile->IsAddTile()) continue;
            const bool active = tile->GetState() == kTileWaiting || tile->GetState() == kTileDownloading;
            if (active == running) OnTileAction(tile);
        }
    };
    auto showFront = [this] {
        ShowWindow(true, true);
        ::SetForegroundWindow(m_hwnd);
    };

    switch (id) {
    case kCmdScanGames: ShowScanWindow(0); return true;
    case kCmdHelp:
    case kCmdTrayHelp: OpenPage(GetServerAddress(kHelpPage)); return true;
    case kCmdAbout: {
        VQAboutDlg about(m_hwnd);
        about.ShowModal();
        return true;
    }
    case kCmdExit:
    case kCmdTrayExit: Exit(); return true;
    case kCmdTrayShow:
        ShowWindow(true, false);
        ::SetForegroundWindow(m_hwnd);
        return true;
    case kCmdSettings: ShowSettingsDialog(0); return true;
    case kCmdDownloadSettings: ShowSettingsDialog(1); return true;
    case kCmdTraySettings:
        showFront();
        ShowSettingsDialog(0);
        return true;
    case kCmdTraySkin:
        showFront();
        ShowSkinChooser();
        return true;
    case kCmdFeedback: ShowFeedbackPage(); return true;
    case kCmdTrayFeedback:
        showFront();
        ShowFeedbackPage();
        return true;
    case kCmdUpgrade:
    case kCmdTrayUpgrade: CheckProgramUpdate(); return true;
    case kCmdStartAll: forDownloads(false); return true;
    case kCmdPauseAll: forDownloads(true); return true;
    case kCmdDeleteAll: {
        const VQConfirmation answer = AskDeleteAllTasks(m_hwnd);
        if (!answer.proceed) return true;
        VQIconList* list = FindIconList(kDownloadListId);
        if (!list) return true;
        std::vector<VQGameIcon*> doomed;
        for (VQGameIcon* tile : list->GetTiles())
            if (tile && !tile->IsAddTile() && tile->GetState() != kTileDownloaded) doomed.push_back(tile);
        for (VQGameIcon* tile : doomed) RemoveTile(tile, answer.withData);
        return true;
    }
    default: break;
    }

    // The rest act on the tile whose menu was open.
    VQGameIcon* tile = TakeContextTile();
    if (!tile) return id >= kCmdRunGame && id <= kCmdDownloadSettings;
    switch (id) {
    case kCmdRunGame:
    case kCmdDownloadGame:
    case kCmdStartTask:
    case kCmdPauseTask: OnTileAction(tile); return true;
    case kCmdGameDetails: ShowGameDetails(tile); return true;
    case kCmdRuntimeCheck: ShowEnvironmentWindow(tile); return true;
    case kCmdInstallFolder: OpenFolder(InstallFolderOf(*tile)); return true;
    case kCmdRegister: OpenPage(tile->Data().registerPage); return true;
    case kCmdOfficialSite: OpenPage(tile->Data().homePage); return true;
    case kCmdDeleteTask: AskAndDeleteTile(tile); return true;
    case kCmdDesktopShortcut: ToggleDesktopShortcut(tile); return true;
    case kCmdDeleteIcon: RemoveTile(tile, false); return true;
    case kCmdUninstall: RemoveTile(tile, true); return true;
    default: return false;
    }
}

void VQMarloxWnd::ShowMoreMenu() {
    VQControl* button = m_paintManager.FindControlById(kMoreButtonId);
    if (!button) return;
    const RECT pos = button->GetPos();
    POINT point = {pos.left, pos.bottom};
    ::ClientToScreen(m_hwnd, &point);
    OpenPopupMenu(m_hwnd, "MoreMenu", point, &m_menu);
}

// The title bar's buttons: close (as the system menu's close), minimise,
// the more menu and the logo's home page.
void VQMarloxWnd::OnTitleButtonClick(int id) {
    switch (id) {
    case kCloseButtonId: ::PostMessageW(m_hwnd, WM_SYSCOMMAND, SC_CLOSE, 0); break;
    case kMinimiseButtonId: ::SendMessageW(m_hwnd, WM_SYSCOMMAND, SC_MINIMIZE, 0); break;
    case kSkinButtonId: ShowSkinChooser(); break;
    case kMoreButtonId: ShowMoreMenu(); break;
    case kLogoId: OpenPage(GetServerAddress(kHomePage)); break;
    default: break;
    }
}

void VQMarloxWnd::ShowTileMenu(VQGameIcon* tile, POINT client) {
    if (!tile || tile->IsAddTile()) return;
    const VQTileMenuFacts facts = TileMenuFactsOf(*tile);
    const VQTileMenuPlan plan = PlanTileMenu(facts);
    m_contextSerial = tile->GetSerial();
    m_contextListId = facts.listId;
    ::ClientToScreen(m_hwnd, &client);
    OpenPopupMenu(m_hwnd, plan.layout, client, &m_menu, &plan);
}

void VQMarloxWnd::AskAndDeleteTile(VQGameIcon* tile) {
    if (!tile) return;
    const int listId = tile->GetOwnerListId();
    const uint32_t serial = tile->GetSerial();
    const VQConfirmation answer = AskDeleteTile(m_hwnd, listId, GameKindOf(tile));
    if (!answer.proceed) return;
    // While the question was open the window went on working (a download
    // ended, the tile moved or went): the tile is looked up again, and the
    // answer holds only for the page it was given for.
    tile = FindTileBySerial(serial);
    if (tile && tile->GetOwnerListId() == listId) RemoveTile(tile, answer.withData);
}

// The user confirmed: the per-kind removal of the game operations.
void VQMarloxWnd::RemoveTileAfterAsking(VQGameIcon* tile, bool withData) {
    if (tile && tile->GetOwnerList()) RemoveTile(tile, withData);
}

// The details window is made once and kept; it is centred over this window.
void VQMarloxWnd::ShowGameDetails(VQGameIcon* tile) {
    if (!tile) return;
    if (m_detailsWindow && !::IsWindow(m_detailsWindow->GetHWND())) {
        delete m_detailsWindow;
        m_detailsWindow = nullptr;
    }
    if (!m_detailsWindow) m_detailsWindow = new VQDetailsWnd();
    const char* status = tile->Data().status;
    m_detailsWindow->ShowGame(tile->GetGameId(), std::string(status, strnlen(status, 8)));
    m_detailsWindow->CenterWindow(m_hwnd);
    m_detailsWindow->ShowWindow(true, true);
}

void VQMarloxWnd::OnDownloadErrorNotify(uint32_t code, uint32_t detail) {
    if (!::IsWindowEnabled(m_hwnd)) return;
    ShowDownloadError(m_hwnd, code, detail);
}

void VQMarloxWnd::OnTileNotify(VQNotifyMsg& msg) {
    VQGameIcon* tile = msg.sender ? static_cast<VQGameIcon*>(msg.sender->GetInterface(ControlTypeGameIcon)) : nullptr;
    if (!tile) return;
    switch (msg.type) {
    case NotifyContextMenu: ShowTileMenu(tile, msg.mouse); break;
    case NotifyTileStart:
    case NotifyTilePause:
    case NotifyTileDownload: OnTileAction(tile); break;
    case NotifyTileDetails: ShowGameDetails(tile); break;
    case NotifyTileInstallFolder: OpenFolder(InstallFolderOf(*tile)); break;
    case NotifyTileDelete: AskAndDeleteTile(tile); break;
    case NotifyTileHomePage: OpenPage(tile->Data().homePage); break;
    case NotifyTileRegisterPage: OpenPage(tile->Data().registerPage); break;
    default: break;
    }
}

}  // namespace Tessar
