#include "VQCore/app/operations/DownloadCacheCheck.h"

#include <vector>

#include "VQCore/app/pages/GameIcon.h"
#include "VQCore/app/pages/ListSaver.h"
#include "VQCore/download/DownloadCache.h"
#include "common/FormatText.h"

namespace Tessar {

namespace {

void AddStates(const VQTileList& tiles, std::vector<VQCleanupDiskSpace::VQGameStatusInfo>& states) {
    for (const VQGameIcon* tile : tiles) {
        if (tile == nullptr || tile->IsAddTile()) continue;
        VQCleanupDiskSpace::VQGameStatusInfo info = {tile->GetGameId(), static_cast<uint32_t>(tile->GetState())};
        states.push_back(info);
    }
}

}  // namespace

bool StartDownloadCacheCheck(VQCleanupDiskSpace& cache, const VQTileList& installed, const VQTileList& quick,
                             const VQTileList& downloads) {
    std::vector<VQCleanupDiskSpace::VQGameStatusInfo> installedStates, downloadStates;
    AddStates(installed, installedStates);
    AddStates(quick, installedStates);
    AddStates(downloads, downloadStates);
    return cache.StartupCheck(installedStates, downloadStates);
}

void StampCacheEntryInBackground(uint32_t gameId, const std::wstring& path) {
    // One job per game: a newer stamp of the same game replaces one not yet
    // written, and stamps of other games keep theirs.
    const std::wstring job = L"cache.ini#" + FormatString(L"%05u", gameId);
    GetListSaver().Post(job, [gameId, path] { return GetDownloadCache().StampEntry(gameId, path); });
}

}  // namespace Tessar
