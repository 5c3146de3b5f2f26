#include "VQCore/app/StartupPages.h"

#include "VQCore/app/BackgroundJobs.h"
#include "VQCore/app/GameIcon.h"
#include "VQCore/app/GameListState.h"
#include "VQCore/app/MarloxWnd.h"
#include "VQCore/download/DownloadQueue.h"

namespace Tessar {

namespace {
const int kAdvertListKind = 0;
const int kHotListKind = 1;
}  // namespace

bool FillPagesAtStart(VQMarloxWnd& window, VQDatabaseXmlFile& database, VQBackgroundJobs* jobs,
                      std::vector<uint32_t>& missingIconIds) {
    VQGameListState lists;
    lists.Init(&database);
    lists.LoadInstalledIcons();
    lists.LoadDownloadIcons(window.GetDownloadQueue());
    if (!lists.LoadAdvertIcons() && jobs) jobs->StartListDownload(kAdvertListKind, window.GetHWND());
    lists.LoadRecommendIcons(false);
    if (!lists.LoadHotIcons() && jobs) jobs->StartListDownload(kHotListKind, window.GetHWND());
    window.SetNextCustomGameId(lists.GetNextCustomId());

    // The tiles of the missing-icon list also stand on the pages: only ids are kept.
    missingIconIds.clear();
    for (VQGameIcon* tile : lists.GetMissingIconIds()) missingIconIds.push_back(tile->GetGameId());

    VQPageTiles tiles;
    tiles.installed = lists.GetInstalledIds();
    tiles.quick = lists.GetQuickIds();
    tiles.downloads = lists.GetDownloadIds();
    tiles.tools = lists.GetToolIds();
    tiles.hot = lists.GetHotIds();
    tiles.single = lists.GetSingleGameIds();
    tiles.online = lists.GetOnlineGameIds();
    tiles.flash = lists.GetFlashGameIds();
    tiles.web = lists.GetWebGameIds();
    lists.Clear();
    window.SetPageIcons(tiles);
    return true;
}

}  // namespace Tessar
