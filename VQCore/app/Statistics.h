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

// True when the request was sent; `extra` is appended to the query as is.
bool ReportStatistic(uint32_t type, uint32_t gameId, const std::wstring& extra);

}  // namespace Tessar
