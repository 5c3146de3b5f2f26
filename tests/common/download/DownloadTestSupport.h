// Shared pieces of the range downloader's tests: the information of a
// served file, a callback that records what the downloader reports, and
// resume records read raw. The web root and its servers are in
// tests/support/WebRoot.h.
#pragma once

#include "common/HttpDownloadCallback.h"
#include "common/RemoteFileInfo.h"
#include "common/ResumeRecord.h"
#include "tests/support/WebRoot.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace Tessar {
namespace Test {

VQRemoteFileInfo MakeInfo(const std::wstring& url, const std::string& content, const std::wstring& spareUrl = L"");

// Records the reports; thread-safe, as range workers report concurrently.
class VQRecordingCallback : public VQHttpDownloadCallback {
public:
    void OnTotalSize(uint64_t size) override;
    void OnData(uint64_t count, bool add) override;
    void OnEnd(uint32_t endCode) override {}
    bool IsCancelled() override;
    void Cancel() override { cancelled = true; }
    void OnLogPath(const std::wstring& path) override;
    void OnTempPath(const std::wstring& path) override;
    void OnSetupPath(const std::wstring& path) override;
    void OnStage(uint32_t stage) override;
    uint32_t GetSpeedLimit(uint32_t* limit) override;

    std::vector<uint32_t> Stages();
    std::vector<uint64_t> Resets();
    std::vector<uint64_t> TotalSizes();

    std::atomic<uint64_t> added{0};
    std::atomic<bool> cancelled{false};
    // Cancels once this many bytes arrived (0: never).
    std::atomic<uint64_t> cancelAfterBytes{0};
    // Cancels from this tick on (0: never).
    std::atomic<DWORD> cancelAtTick{0};
    std::atomic<uint32_t> speedLimitKb{0};
    std::atomic<uint32_t> speedLimitAsks{0};

    std::mutex lock;
    std::wstring logPath, tempPath, setupPath;

private:
    std::vector<uint32_t> m_stages;
    std::vector<uint64_t> m_resets;
    std::vector<uint64_t> m_totalSizes;
};

// A record read straight from the file.
struct VQRecordImage {
    VQResumeHead head;
    std::vector<VQRangeRecord> ranges;
    bool read = false;
};
VQRecordImage ReadRecordImage(const std::wstring& path);

}  // namespace Test
}  // namespace Tessar
