#include "common/HttpRangeDownloader.h"

#include "common/DownloadEndCodes.h"
#include "common/FileHandle.h"
#include "common/FileUtil.h"
#include "common/HttpRequest.h"
#include "common/Md5Follower.h"
#include "common/NumberText.h"
#include "common/PathText.h"
#include "common/Thread.h"

#include <algorithm>
#include <ctime>

namespace Tessar {

namespace {

// The information's size text; a leading "-" negates the rest.
uint64_t ParseExpectedSize(const std::wstring& text) {
    if (!text.empty() && text[0] == L'-')
        return 0 - StringToUInt64(text.substr(1));
    return StringToUInt64(text);
}

DWORD LastErrorOr(DWORD fallback) {
    DWORD error = GetLastError();
    return error != 0 ? error : fallback;
}

}  // namespace

HttpRangeDownloader::HttpRangeDownloader()
    : m_loaded(false),
      m_callback(nullptr),
      m_currentPort(0xFFFF),
      m_maySwitch(false),
      m_sparePresent(false),
      m_socketTimeoutMs(kDefaultSocketTimeoutMs),
      m_rangeCount(kDefaultRangeCount) {
    ResetResumeHead(m_head);
}

bool HttpRangeDownloader::SetRangeCount(uint32_t count) {
    if (count < 1 || count > kMaxRangeCount)
        return false;
    m_rangeCount = count;
    return true;
}

HttpRangeDownloader::~HttpRangeDownloader() = default;

uint32_t HttpRangeDownloader::Download(VQHttpDownloadCallback* callback, const VQRemoteFileInfo& info,
                                       const std::wstring& targetPath) {
    uint64_t expectedSize = ParseExpectedSize(info.fileSize);
    m_failureDetail = 0;
    m_callback = callback;
    callback->OnData(0, false);
    callback->OnTotalSize(0);

    ResetResumeHead(m_head);
    m_head.rangeCount = m_rangeCount;
    m_loaded = false;
    std::wstring host, path;
    uint16_t port = m_head.port;
    if (!SplitHttpUrl(info.downloadUrl.c_str(), host, port, path) || !SetRecordText(m_head.host, host) ||
        !SetRecordText(m_head.path, path))
        return kDownloadBadUrl;
    m_head.port = port;
    m_sparePresent = false;
    if (!info.spareUrl.empty()) {
        port = m_head.sparePort;
        if (!SplitHttpUrl(info.spareUrl.c_str(), host, port, path) || !SetRecordText(m_head.spareHost, host) ||
            !SetRecordText(m_head.sparePath, path))
            return kDownloadBadUrl;
        m_head.sparePort = port;
        m_sparePresent = true;
    }
    if (!info.md5.empty())
        SetRecordText(m_head.md5, info.md5.substr(0, 32));

    std::wstring dataPath = targetPath + kDataFileSuffix;
    std::wstring recordPath = targetPath + kResumeRecordSuffix;
    if (!SetRecordText(m_head.targetPath, targetPath) || !SetRecordText(m_head.dataPath, dataPath) ||
        !SetRecordText(m_head.recordPath, recordPath))
        return ERROR_FILENAME_EXCED_RANGE;
    m_recordPath = recordPath;
    callback->OnSetupPath(targetPath);
    callback->OnTempPath(dataPath);
    callback->OnLogPath(recordPath);

    m_maySwitch = true;
    callback->OnStage(1);
    Source source = UrlSource();
    uint64_t size = 0;
    uint32_t result = QuerySourceSize(source, size);
    if (result == kDownloadSizeQueryFailed && m_sparePresent && m_maySwitch) {
        m_maySwitch = false;
        source = SpareSource();
        result = QuerySourceSize(source, size);
    }
    if (result != 0)
        return result;
    m_head.totalSize = size;
    if (expectedSize != 0 && expectedSize != size)
        return kDownloadSizeMismatch;
    UseSource(source);
    callback->OnTotalSize(size);

    std::wstring folder = GetFullPathFolder(targetPath);
    if (!folder.empty() && !FolderExists(folder))
        CreateFolderChain(folder);

    HANDLE data = INVALID_HANDLE_VALUE;
    if (!OpenFileHandle(data, dataPath, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, CREATE_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL))
        return LastErrorOr(ERROR_OPEN_FAILED);
    bool sized = SeekFileHandle(data, static_cast<int64_t>(size), FILE_BEGIN) && SetEndOfFile(data);
    DWORD error = sized ? 0 : LastErrorOr(ERROR_WRITE_FAULT);
    CloseFileHandle(data);
    if (error != 0)
        return error;

    result = CreateResumeRecord(size);
    if (result != 0)
        return result;
    return RunDownload();
}

uint32_t HttpRangeDownloader::Resume(VQHttpDownloadCallback* callback, const VQRemoteFileInfo& info,
                                     const std::wstring& recordPath) {
    m_failureDetail = 0;
    m_callback = callback;
    callback->OnData(m_head.doneSize, false);
    callback->OnTotalSize(m_head.totalSize);
    if (!ReadResumeRecord(recordPath))
        return kDownloadRecordUnreadable;
    std::wstring targetPath = GetTargetPath();
    // The record must describe this download's own files: the workers
    // write into the data file it names.
    if (targetPath.empty() || GetDataPath() != targetPath + kDataFileSuffix)
        return kDownloadRecordUnreadable;
    m_recordPath = recordPath;
    m_sparePresent = m_head.spareHost[0] != 0;
    m_maySwitch = true;
    callback->OnStage(1);

    // Without its data file the record's progress means nothing.
    if (!DataFileMatches())
        return Download(callback, info, targetPath);

    Source source = UrlSource();
    uint64_t size = 0;
    uint32_t result = QuerySourceSize(source, size);
    if (result == kDownloadCancelled)
        return result;
    bool accepted = result == 0 && size == m_head.totalSize;
    if (!accepted && m_maySwitch && m_sparePresent) {
        m_maySwitch = false;
        source = SpareSource();
        result = QuerySourceSize(source, size);
        if (result == kDownloadCancelled)
            return result;
        accepted = result == 0 && size == m_head.totalSize;
    }
    if (!accepted)
        return Download(callback, info, targetPath);

    UseSource(source);
    callback->OnSetupPath(targetPath);
    callback->OnTempPath(GetDataPath());
    callback->OnLogPath(recordPath);
    return RunDownload();
}

bool HttpRangeDownloader::ReadResumeRecord(const std::wstring& path) {
    VQResumeHead head;
    std::vector<VQRangeRecord> ranges;
    if (!ReadResumeRecordFile(path, head, ranges))
        return false;
    std::lock_guard<std::mutex> guard(m_lock);
    m_head = head;
    m_ranges.swap(ranges);
    m_loaded = true;
    return true;
}

bool HttpRangeDownloader::WriteResumeRecord(uint32_t index, uint64_t doneInRange, HANDLE record) {
    VQRangeRecord range;
    VQMd5Follower* follower = nullptr;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (index >= m_ranges.size())
            return false;
        VQRangeRecord& entry = m_ranges[index];
        if (doneInRange > entry.length)
            doneInRange = entry.length;
        entry.position = entry.first + doneInRange;
        entry.remaining = entry.length - doneInRange;
        if (index < m_stamps.size()) {
            int64_t now = _time64(nullptr);
            if (now > m_stamps[index]) {
                entry.seconds += static_cast<uint32_t>(now - m_stamps[index]);
                m_stamps[index] = now;
            }
        }
        range = entry;
        follower = m_follower;
    }
    if (follower != nullptr)
        follower->Nudge();
    m_loaded = false;
    return WriteRangeRecord(record, index, range);
}

double HttpRangeDownloader::AverageSpeed() const {
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_ranges.empty())
        return 0.0;
    uint64_t bytes = 0;
    uint64_t seconds = 0;
    for (const VQRangeRecord& range : m_ranges) {
        bytes += range.length - range.remaining;
        seconds += range.seconds;
    }
    return seconds == 0 ? 0.0 : static_cast<double>(bytes) / static_cast<double>(seconds);
}

uint64_t HttpRangeDownloader::FetchedFromStart() const {
    std::lock_guard<std::mutex> guard(m_lock);
    uint64_t fetched = 0;
    // The ranges lie one after the other from the start of the file.
    for (const VQRangeRecord& range : m_ranges) {
        if (range.first != fetched || range.position < range.first) break;
        const uint64_t done = std::min(range.position - range.first, range.length);
        fetched += done;
        if (done < range.length) break;
    }
    return fetched;
}

std::vector<VQRangeRecord> HttpRangeDownloader::GetRanges() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_ranges;
}

HttpRangeDownloader::Source HttpRangeDownloader::UrlSource() const {
    return MakeSource(m_head.host, m_head.path, m_head.port);
}

HttpRangeDownloader::Source HttpRangeDownloader::SpareSource() const {
    return MakeSource(m_head.spareHost, m_head.sparePath, m_head.sparePort);
}

HttpRangeDownloader::Source HttpRangeDownloader::MakeSource(const wchar_t (&host)[1024],
                                                            const wchar_t (&path)[1024], uint16_t port) {
    Source source;
    source.host = GetRecordText(host);
    source.path = GetRecordText(path);
    source.port = port;
    return source;
}

void HttpRangeDownloader::UseSource(const Source& source) {
    m_currentHost = source.host;
    m_currentPath = source.path;
    m_currentPort = source.port;
}

uint32_t HttpRangeDownloader::QuerySourceSize(const Source& source, uint64_t& size) {
    return QueryRemoteSize(source.path, source.host, source.port, size);
}

uint32_t HttpRangeDownloader::CreateResumeRecord(uint64_t size) {
    std::vector<VQRangeRecord> ranges;
    SplitIntoRanges(size, m_head.rangeCount, ranges);
    m_head.rangeCount = static_cast<uint32_t>(ranges.size());
    m_head.doneSize = 0;
    DWORD error = CreateResumeRecordFile(m_recordPath, m_head, ranges);
    std::lock_guard<std::mutex> guard(m_lock);
    m_ranges.swap(ranges);
    return error;
}

bool HttpRangeDownloader::DataFileMatches() const {
    HANDLE data = INVALID_HANDLE_VALUE;
    if (!OpenFileHandle(data, GetDataPath(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0))
        return false;
    uint64_t size = 0;
    bool matches = GetFileHandleSize(data, size) && size == m_head.totalSize;
    CloseFileHandle(data);
    return matches;
}

}  // namespace Tessar
