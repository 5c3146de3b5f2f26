#pragma once
// Where the manager's downloads go and how a game's download task is made:
// one rule for a tile's first download, a download-kind switch and the
// seed list, so they never disagree on the folder.

#include <cstdint>
#include <string>

namespace Tessar {

class VQDownloadTask;

// The "CacheDir" setting when it lies on a fixed drive, else
// "C:\ZelmorGames\Download" (a removable or missing drive may be gone
// when the download resumes).
std::wstring GetDownloadFolder();

// A new task of that kind (2 peer-to-peer, anything else HTTP) for the
// game, downloading into GetDownloadFolder(); null when it cannot be made.
// The caller hands it to a download queue, which then owns it.
VQDownloadTask* MakeDownloadTask(uint32_t gameId, uint32_t downloadType);

}  // namespace Tessar
