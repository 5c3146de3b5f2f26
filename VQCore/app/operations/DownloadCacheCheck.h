#pragma once
// The start-up check of the download cache, given the main window's tiles:
// the installed games (the installed page and the quick strip) and the
// download page, whose games keep every file they still need.

#include "VQCore/app/pages/GameListState.h"

#include <cstdint>
#include <string>

namespace Tessar {

class VQCleanupDiskSpace;

// True when the clean-up worker started (see VQCleanupDiskSpace::StartupCheck).
bool StartDownloadCacheCheck(VQCleanupDiskSpace& cache, const VQTileList& installed, const VQTileList& quick,
                             const VQTileList& downloads);

// The game's record in the download cache (VQCleanupDiskSpace::StampEntry),
// written on the list saver's thread: each write reads and rewrites
// cache.ini, which on a disk busy with the download took the window's
// thread tens of milliseconds.
void StampCacheEntryInBackground(uint32_t gameId, const std::wstring& path);

}  // namespace Tessar
