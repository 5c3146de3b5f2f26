#include "tests/common/download/DownloadTestSupport.h"

#include <cstring>

namespace Tessar {
namespace Test {

VQRemoteFileInfo MakeInfo(const std::wstring& url, const std::string& content, const std::wstring& spareUrl) {
    VQRemoteFileInfo info;
    info.downloadUrl = url;
    info.spareUrl = spareUrl;
    info.fileSize = std::to_wstring(content.size());
    info.md5 = Md5Of(content);
    return info;
}

void VQRecordingCallback::OnTotalSize(uint64_t size) {
    std::lock_guard<std::mutex> guard(lock);
    m_totalSizes.push_back(size);
}

void VQRecordingCallback::OnData(uint64_t count, bool add) {
    if (add) {
        // A compare-exchange loop: GCC 12.2 at -O2 miscompiles "now = added
        // += count" (it adds the old value twice).
        uint64_t now = added.load();
        while (!added.compare_exchange_weak(now, now + count)) {
        }
        now += count;
        uint64_t limit = cancelAfterBytes.load();
        if (limit != 0 && now >= limit)
            cancelled = true;
        return;
    }
    std::lock_guard<std::mutex> guard(lock);
    m_resets.push_back(count);
}

bool VQRecordingCallback::IsCancelled() {
    DWORD at = cancelAtTick.load();
    if (at != 0 && static_cast<int32_t>(GetTickCount() - at) >= 0)
        cancelled = true;
    return cancelled.load();
}

void VQRecordingCallback::OnLogPath(const std::wstring& path) {
    std::lock_guard<std::mutex> guard(lock);
    logPath = path;
}

void VQRecordingCallback::OnTempPath(const std::wstring& path) {
    std::lock_guard<std::mutex> guard(lock);
    tempPath = path;
}

void VQRecordingCallback::OnSetupPath(const std::wstring& path) {
    std::lock_guard<std::mutex> guard(lock);
    setupPath = path;
}

void VQRecordingCallback::OnStage(uint32_t stage) {
    std::lock_guard<std::mutex> guard(lock);
    m_stages.push_back(stage);
}

uint32_t VQRecordingCallback::GetSpeedLimit(uint32_t* limit) {
    uint32_t value = speedLimitKb.load();
    if (value == 0)
        return 1;
    ++speedLimitAsks;
    *limit = value;
    return 0;
}

std::vector<uint32_t> VQRecordingCallback::Stages() {
    std::lock_guard<std::mutex> guard(lock);
    return m_stages;
}

std::vector<uint64_t> VQRecordingCallback::Resets() {
    std::lock_guard<std::mutex> guard(lock);
    return m_resets;
}

std::vector<uint64_t> VQRecordingCallback::TotalSizes() {
    std::lock_guard<std::mutex> guard(lock);
    return m_totalSizes;
}

VQRecordImage ReadRecordImage(const std::wstring& path) {
    VQRecordImage image;
    std::string bytes = ReadWholeFile(path);
    if (bytes.size() < kResumeHeadSize)
        return image;
    memcpy(&image.head, bytes.data(), kResumeHeadSize);
    size_t count = (bytes.size() - kResumeHeadSize) / kRangeRecordSize;
    image.ranges.resize(count);
    if (count > 0)
        memcpy(image.ranges.data(), bytes.data() + kResumeHeadSize, count * kRangeRecordSize);
    image.read = true;
    return image;
}

}  // namespace Test
}  // namespace Tessar
