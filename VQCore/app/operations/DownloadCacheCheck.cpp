#include "VQCore/app/operations/DownloadCacheCheck.h"

#include <vector>

#include "VQCore/app/pages/GameIcon.h"
#include "VQCore/download/DownloadCache.h"

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

}  // namespace Tessar
