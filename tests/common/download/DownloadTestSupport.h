// Shared pieces of the range downloader's tests: generated file contents,
// a web root both Unix servers and the Windows test can reach, the two
// servers, and a callback that records what the downloader reports.
#pragma once

#include "common/HttpDownloadCallback.h"
#include "common/RemoteFileInfo.h"
#include "common/ResumeRecord.h"
#include "tests/support/LocalServer.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace Tessar {
namespace Test {

// Deterministic pseudo-random bytes.
std::string MakeTestBytes(size_t size, uint32_t seed);
std::wstring Md5Of(const std::string& bytes);

// A folder under the build folder, known by its Unix path (for the
// servers) and its Windows path; deleted with its contents at the end.
class VQWebRoot {
public:
    VQWebRoot();
    ~VQWebRoot();
    VQWebRoot(const VQWebRoot&) = delete;
    VQWebRoot& operator=(const VQWebRoot&) = delete;

    const std::string& UnixPath() const { return m_unix; }
    std::wstring WindowsPath(const std::wstring& name) const;
    bool WriteFile(const std::wstring& name, const std::string& bytes) const;

private:
    std::string m_unix;
};

bool StartNginx(VQLocalServer& server, const VQWebRoot& root);
bool StartFaultServer(VQLocalServer& server, const VQWebRoot& root);

// Whole-file helpers on Windows paths.
std::string ReadWholeFile(const std::wstring& path);
bool WriteWholeFile(const std::wstring& path, const std::string& bytes);
bool FileIsThere(const std::wstring& path);

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
