#include "VQCore/app/start/StartupPages.h"

#include "VQCore/app/start/PeerToPeerStart.h"

#include "VQCore/app/jobs/BackgroundJobs.h"
#include "VQCore/app/pages/GameIcon.h"
#include "VQCore/app/pages/IconList.h"
#include "VQCore/app/operations/InstallQueue.h"
#include "VQCore/app/mainwindow/MarloxWnd.h"
#include "VQCore/download/DownloadQueue.h"
#include "VQCore/gamelib/DatabaseXmlFile.h"
#include "VQCore/gamelib/Settings.h"

namespace Tessar {

namespace {
const int kAdvertListKind = 0;
const int kHotListKind = 1;
}  // namespace

VQStartupPageFill::VQStartupPageFill(VQMarloxWnd& window, std::unique_ptr<VQDatabaseXmlFile> database)
    : m_window(window), m_database(std::move(database)) {
    m_lists.Init(m_database.get());
}

VQStartupPageFill::~VQStartupPageFill() {
    for (Pending& pending : m_pending)
        for (size_t i = pending.next; i < pending.tiles.size(); ++i) delete pending.tiles[i];
}

void VQStartupPageFill::FillFirstPages(VQBackgroundJobs* jobs) {
    m_lists.LoadInstalledIcons();
    // Downloaded games wait for the user unless AutoStartUndone asks to go on.
    GetInstallQueue().SetReportWindow(m_window.GetHWND());
    m_lists.SetInstallPush([](VQGameIcon* tile) { GetInstallQueue().Push(tile); });
    // A download list that starts its downloads needs the peer-to-peer
    // session now; otherwise it is opened once the first page is on screen.
    if (VQSettings::Instance().GetBool(L"AutoStartUndone")) StartPeerToPeer();
    m_lists.LoadDownloadIcons(m_window.GetDownloadQueue());
    for (const VQGameListState::UnreadableList& unreadable : m_lists.UnreadableLists())
        m_window.NoteUnreadableListFile(unreadable.list == VQGameListState::InstalledList, unreadable.aside);
    if (!m_lists.LoadAdvertIcons() && jobs) jobs->StartListDownload(kAdvertListKind, m_window.GetHWND());
    if (!m_lists.LoadHotIcons() && jobs) jobs->StartListDownload(kHotListKind, m_window.GetHWND());
    m_window.SetNextCustomGameId(m_lists.GetNextCustomId());

    VQPageTiles tiles;
    tiles.installed = m_lists.GetInstalledIds();
    tiles.quick = m_lists.GetQuickIds();
    tiles.downloads = m_lists.GetDownloadIds();
    tiles.hot = m_lists.GetHotIds();
    m_quickHanded = tiles.quick.size();
    m_window.SetPageIcons(tiles);
}

void VQStartupPageFill::QueueRest() {
    m_recommended = true;
    VQTileList quick = m_lists.GetQuickIds();
    VQTileList moreQuick(quick.begin() + static_cast<std::ptrdiff_t>(std::min(m_quickHanded, quick.size())), quick.end());
    const std::pair<const wchar_t*, VQTileList> lists[] = {
        {kQuickListName, moreQuick},
        {kToolListName, m_lists.GetToolIds()},
        {kSingleGameListName, m_lists.GetSingleGameIds()},
        {kOnlineGameListName, m_lists.GetOnlineGameIds()},
        {kFlashGameListName, m_lists.GetFlashGameIds()},
        {kWebGameListName, m_lists.GetWebGameIds()},
    };
    for (VQGameIcon* tile : m_lists.GetMissingIconIds()) m_missingIconIds.push_back(tile->GetGameId());
    for (const auto& list : lists) {
        if (list.second.empty()) continue;
        Pending pending;
        pending.listName = list.first;
        pending.tiles = list.second;
        m_pending.push_back(std::move(pending));
    }
}

bool VQStartupPageFill::FillNextSlice() {
    if (m_done) return false;
    if (!m_recommended) {
        // The kind pages' catalogue tiles (after their advert tiles) are made
        // a slice at a time as well: 10000 at once kept the window from
        // answering for a quarter of a second right after its first paint.
        if (!m_lists.LoadRecommendIconsStep(false, kSliceTiles)) QueueRest();
        return true;
    }
    size_t budget = kSliceTiles;
    for (Pending& pending : m_pending) {
        if (pending.next >= pending.tiles.size()) continue;
        size_t end = std::min(pending.tiles.size(), pending.next + budget);
        VQTileList slice(pending.tiles.begin() + static_cast<std::ptrdiff_t>(pending.next),
                         pending.tiles.begin() + static_cast<std::ptrdiff_t>(end));
        // A layout without that list (a damaged skin) loses those tiles, not the program.
        if (!FillIconList(&m_window.GetPaintManager(), pending.listName, slice))
            for (VQGameIcon* tile : slice) delete tile;
        budget -= end - pending.next;
        pending.next = end;
        if (budget == 0) return true;
    }
    m_done = true;
    m_window.GetPaintManager().InvalidateWindow();
    return false;
}



}  // namespace Tessar
