#include "tests/common/download/DownloadTestSupport.h"

#include "common/FileHandle.h"
#include "common/FileUtil.h"
#include "common/Md5.h"

#include <atomic>

namespace Tessar {
namespace Test {

std::string MakeTestBytes(size_t size, uint32_t seed) {
    std::string bytes(size, '\0');
    uint64_t state = 0x9E3779B97F4A7C15ull ^ seed;
    for (size_t i = 0; i < size; ++i) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        bytes[i] = static_cast<char>(state >> 24);
    }
    return bytes;
}

std::wstring Md5Of(const std::string& bytes) {
    return Md5OfBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
}

VQWebRoot::VQWebRoot() {
    static std::atomic<unsigned> counter(0);
    std::string path = BinaryDirUnix() + "/scratch/range-" + std::to_string(GetCurrentProcessId()) + "-" +
                       std::to_string(GetTickCount()) + "-" + std::to_string(counter++);
    if (!BinaryDirUnix().empty() && CreateFolderChain(UnixToWindowsPath(path)))
        m_unix = path;
}

VQWebRoot::~VQWebRoot() {
    if (!m_unix.empty())
        DeleteFolderTree(UnixToWindowsPath(m_unix));
}

std::wstring VQWebRoot::WindowsPath(const std::wstring& name) const {
    return UnixToWindowsPath(m_unix) + L"\\" + name;
}

bool VQWebRoot::WriteFile(const std::wstring& name, const std::string& bytes) const {
    return !m_unix.empty() && WriteWholeFile(WindowsPath(name), bytes);
}

bool StartNginx(VQLocalServer& server, const VQWebRoot& root) {
    return server.Start({"/bin/bash", SourceDirUnix() + "/tests/support/servers/nginx_server.sh", "--root",
                         root.UnixPath()});
}

bool StartFaultServer(VQLocalServer& server, const VQWebRoot& root) {
    return server.Start({"/usr/bin/python3", SourceDirUnix() + "/tests/support/servers/range_fault_server.py",
                         "--root", root.UnixPath()});
}

std::string ReadWholeFile(const std::wstring& path) {
    HANDLE file = INVALID_HANDLE_VALUE;
    std::string bytes;
    if (!OpenFileHandle(file, path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0))
        return bytes;
    uint64_t size = 0;
    if (GetFileHandleSize(file, size) && size > 0) {
        bytes.resize(static_cast<size_t>(size));
        uint32_t got = 0;
        if (!ReadFileHandle(file, &bytes[0], static_cast<uint32_t>(size), &got) || got != size)
            bytes.clear();
    }
    CloseFileHandle(file);
    return bytes;
}

bool WriteWholeFile(const std::wstring& path, const std::string& bytes) {
    HANDLE file = INVALID_HANDLE_VALUE;
    if (!OpenFileHandle(file, path, GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL))
        return false;
    bool ok = WriteFileHandle(file, bytes.data(), static_cast<uint32_t>(bytes.size()));
    return CloseFileHandleChecked(file) && ok;
}

bool FileIsThere(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

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
        uint64_t now = added += count;
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
