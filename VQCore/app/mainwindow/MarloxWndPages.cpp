// The main window's page helpers: filling the pages at start, finding
// tiles, writing the lists back, switching pages.

#include "VQCore/app/mainwindow/MarloxWnd.h"

#include "VQCore/app/mainwindow/TabPages.h"
#include "VQCore/app/mainwindow/TabTop.h"

#include "VQCore/app/pages/GameIcon.h"
#include "VQCore/app/pages/GameListState.h"
#include "VQCore/app/pages/ListSaver.h"
#include "VQCore/app/pages/PageFilters.h"
#include "VQCore/app/start/App.h"
#include "VQCore/app/mainwindow/FileNotices.h"
#include "VQCore/app/start/StartupPages.h"
#include "VQCore/app/mainwindow/TileMoves.h"
#include "VQCore/app/pages/IconList.h"
#include "VQCore/gamelib/Settings.h"
#include "ui/Control.h"
#include "ui/TabCtrl.h"

namespace Tessar {

namespace {

const int kControlTypeIconList = 25;

void FreeTiles(VQTileList& tiles) {
    for (VQGameIcon* tile : tiles) delete tile;
    tiles.clear();
}

}  // namespace

VQIconList* VQMarloxWnd::FindIconList(int controlId) const {
    VQControl* control = m_paintManager.FindControlById(controlId);
    if (control == nullptr) return nullptr;
    return static_cast<VQIconList*>(control->GetInterface(kControlTypeIconList));
}

VQGameIcon* VQMarloxWnd::FindTileById(int listId, uint32_t gameId) const {
    VQIconList* list = FindIconList(listId);
    if (list == nullptr) return nullptr;
    for (VQGameIcon* tile : list->GetTiles())
        if (tile->GetGameId() == gameId && !tile->IsAddTile()) return tile;
    return nullptr;
}

bool VQMarloxWnd::SetPageIcons(VQPageTiles& tiles) {
    struct PageList {
        const wchar_t* name;
        VQTileList* tiles;
    };
    const PageList pages[] = {
        {kInstalledListName, &tiles.installed}, {kQuickListName, &tiles.quick},
        {kDownloadListName, &tiles.downloads},  {kToolListName, &tiles.tools},
        {kHotListName, &tiles.hot},             {kSingleGameListName, &tiles.single},
        {kOnlineGameListName, &tiles.online},   {kFlashGameListName, &tiles.flash},
        {kWebGameListName, &tiles.web},
    };
    bool all = true;
    for (const PageList& page : pages) {
        // A layout without that list (a damaged skin) loses its tiles, not the program.
        if (!FillIconList(&m_paintManager, page.name, *page.tiles)) {
            FreeTiles(*page.tiles);
            all = false;
        }
        page.tiles->clear();
    }
    m_pagesFilled = true;
    m_paintManager.InvalidateWindow();
    return all;
}

void VQMarloxWnd::BeginPageFill(std::unique_ptr<VQStartupPageFill> fill) {
    m_startupFill = std::move(fill);
    SetTimer(m_hwnd, kTimerPageFill, USER_TIMER_MINIMUM, nullptr);
}

void VQMarloxWnd::OnFillPages() {
    // The search results beyond their first page share the timer.
    const bool moreResults = m_filters && m_filters->FillNextSearchSlice();
    if (m_startupFill && m_startupFill->FillNextSlice()) return;
    if (!moreResults) KillTimer(m_hwnd, kTimerPageFill);
    if (!m_startupFill) return;
    std::vector<uint32_t> missing = m_startupFill->MissingIconIds();
    m_startupFill.reset();
    if (VQApp* app = GetApp()) app->StartIconFetch(missing);
}

bool VQMarloxWnd::RefreshInstalledPages() {
    VQIconList* installed = FindIconList(kInstalledListId);
    VQIconList* quick = FindIconList(kQuickListId);
    if (!m_pagesFilled || m_installListLocked || installed == nullptr || quick == nullptr) return false;
    // Written off this thread: a flush to a disk busy with a download can
    // take longer than a frame.
    PostInstalledList(GetListSaver(), installed->GetTiles(), quick->GetTiles());
    return true;
}

bool VQMarloxWnd::RewriteDownloadList() {
    VQIconList* downloads = FindIconList(kDownloadListId);
    if (!m_pagesFilled || m_downloadListLocked || downloads == nullptr) return false;
    PostDownloadList(GetListSaver(), downloads->GetTiles());
    return true;
}

void VQMarloxWnd::NoteUnreadableListFile(bool installList, const VQListAside& aside) {
    if (aside.asidePath.empty()) (installList ? m_installListLocked : m_downloadListLocked) = true;
    if (!installList) m_downloadListUnread = true;
    m_listNotices.push_back(aside);
    if (m_listNotices.size() == 1) PostMessageW(m_hwnd, kMsgListFileNotice, 0, 0);
}

void VQMarloxWnd::ShowListFileNotices() {
    std::vector<VQListAside> notices;
    notices.swap(m_listNotices);
    // Nothing of the window is used after a message's loop.
    for (const VQListAside& notice : notices) ShowListFileUnreadable(m_hwnd, notice.path, notice.asidePath);
}

bool VQMarloxWnd::RefillIconPages(uint32_t gameId, const std::wstring& image) {
    bool changed = false;
    // Every page: the kind pages, and the installed and download pages
    // where a scan's or a download's tile waits for its picture.
    for (int id = kHotListId; id <= kSearchListId; ++id) {
        VQIconList* list = FindIconList(id);
        if (list == nullptr) continue;
        for (VQGameIcon* tile : list->GetTiles()) {
            if (tile->GetGameId() != gameId) continue;
            tile->SetImage(image);
            tile->Invalidate();
            changed = true;
        }
    }
    return changed;
}

void VQMarloxWnd::ShowPage(int page) {
    VQControl* control = m_paintManager.FindControlById(kPageTabId);
    if (control == nullptr) return;
    VQTabCtrl* tabs = static_cast<VQTabCtrl*>(control->GetInterface(12));
    if (tabs == nullptr) return;
    tabs->SelectItem(page);
    // An item that was selected already sends no notification.
    SwitchPage(tabs);
}

// Each tab item names its page by control id: the selected item's page
// shows, the others hide.
void VQMarloxWnd::SwitchPage(VQTabCtrl* tabs) {
    ShowSelectedTabPage(m_paintManager, *tabs);
    // The strip above the pages marks the main tabs' selected button.
    if (tabs->GetId() == kPageTabId) FollowSelectedTab(m_paintManager, kPageStripName, *tabs);
}

void VQMarloxWnd::ShowAddTileAction() {
    VQIconList* installed = FindIconList(kInstalledListId);
    if (installed && installed->IsEnabled()) {
        int last = installed->GetPageCount() - 1;
        installed->ShowPageAt(last < 0 ? 0 : last);
    }
    ShowPage(kPageInstalled);
    PostMessageW(m_hwnd, kMsgAddGameFromFile, 1, reinterpret_cast<LPARAM>(L""));
}

void VQMarloxWnd::ShowSearchResults() {
    if (!m_filters) return;
    m_filters->ShowSearchResults();
    if (m_filters->HasPendingResults()) SetTimer(m_hwnd, kTimerPageFill, USER_TIMER_MINIMUM, nullptr);
}

void VQMarloxWnd::OnPageFilterSelected(VQNotifyMsg& msg) {
    // Tiles still on their way after a drop arrive before the list is rebuilt.
    if (m_tileMoves && m_tileMoves->FinishAll()) RefreshInstalledPages();
    if (m_filters) m_filters->OnPageFilterSelected(msg);
}

void VQMarloxWnd::SnapshotCurrentPage(VQIconList* list, bool keepInFlow) {
    if (m_filters) m_filters->SnapshotCurrentPage(list, keepInFlow);
}

}  // namespace Tessar
