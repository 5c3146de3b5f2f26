#pragma once
// One unfinished download, as the download list file keeps it between
// runs. Shared (boost::shared_ptr) between the download list, the page
// loading and the download task that carries one.

#include <cstdint>
#include <string>

namespace Tessar {

struct VQGameDownloadInfo {
    uint32_t ID = 0;
    // Download type copied from the catalogue record: 2 peer-to-peer,
    // anything else HTTP.
    uint32_t Type = 0;
    std::wstring URL;
    // The download's resume record.
    std::wstring LogPath;
    // The downloaded file.
    std::wstring SetupPath;
    // The task's state when written: 1 waiting, 2 running, 3 finished,
    // 4 stopped, 5 failed.
    uint32_t State = 0;
    int64_t Completed = 0;  // bytes downloaded
    int64_t Total = 0;      // bytes in all
};

}  // namespace Tessar
