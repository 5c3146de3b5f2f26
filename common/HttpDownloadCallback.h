#pragma once
// What the HTTP range downloader reports to the task that owns it, and
// what it asks of it. Range workers call OnData, IsCancelled and
// GetSpeedLimit from their own threads, several at a time.

#include <cstdint>
#include <string>

namespace Tessar {

class VQHttpDownloadCallback {
public:
    virtual void OnTotalSize(uint64_t size) = 0;
    // add true: count more bytes arrived; add false: count is the new total.
    virtual void OnData(uint64_t count, bool add) = 0;
    virtual void OnEnd(uint32_t endCode) = 0;
    virtual bool IsCancelled() = 0;
    virtual void Cancel() = 0;
    // The resume record (".vql").
    virtual void OnLogPath(const std::wstring& path) = 0;
    // The data file (".vqt").
    virtual void OnTempPath(const std::wstring& path) = 0;
    // The final file.
    virtual void OnSetupPath(const std::wstring& path) = 0;
    // 0 worker begins, 1 download or resume starts, 2 first range
    // connecting, 3 first range connected with its files open.
    virtual void OnStage(uint32_t stage) = 0;
    // 1 when there is no limit; else 0 with the limit in KB/s in *limit.
    virtual uint32_t GetSpeedLimit(uint32_t* limit) = 0;

protected:
    ~VQHttpDownloadCallback() = default;
};

}  // namespace Tessar
