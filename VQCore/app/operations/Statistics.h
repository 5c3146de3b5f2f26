#pragma once
// The statistics requests the manager sends and forgets: 0 a download
// finished, 1 an install finished, 2 a registration page or web game
// opened. The reply is never read.

#include <cstdint>
#include <string>

namespace Tessar {

enum VQStatisticType : uint32_t {
    kStatDownloadComplete = 0,
    kStatInstallComplete = 1,
    kStatClickRegister = 2,
};

// The request: the type's script on the statistics server, "?soft=1.7",
// "&id=" with the five-digit id, then `extra` as is. Empty for an unknown
// type.
std::wstring MakeStatisticUrl(uint32_t type, uint32_t gameId, const std::wstring& extra);

// True when the request was answered (whatever its status); blocks until
// then, so the UI thread uses ReportStatisticInBackground.
bool ReportStatistic(uint32_t type, uint32_t gameId, const std::wstring& extra);

// The same request on a short-lived thread of its own: a slow statistics
// server never holds up the window. True when the thread was started.
bool ReportStatisticInBackground(uint32_t type, uint32_t gameId, const std::wstring& extra);

}  // namespace Tessar
