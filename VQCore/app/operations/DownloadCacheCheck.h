#pragma once
// The start-up check of the download cache, given the main window's tiles:
// the installed games (the installed page and the quick strip) and the
// download page, whose games keep every file they still need.

#include "VQCore/app/pages/GameListState.h"

namespace Tessar {

class VQCleanupDiskSpace;

// True when the clean-up worker started (see VQCleanupDiskSpace::StartupCheck).
bool StartDownloadCacheCheck(VQCleanupDiskSpace& cache, const VQTileList& installed, const VQTileList& quick,
                             const VQTileList& downloads);

}  // namespace Tessar
