#pragma once
// Fetches one file over plain HTTP/1.1 on its own sockets, in byte ranges
// that parallel workers write into a pre-sized data file (target + ".vqt"),
// while the resume record (target + ".vql") keeps every range's progress so
// that a stopped download continues where it stopped. On success the data
// file replaces the target and the record is deleted; on any failure both
// stay for a later Resume.
//
// Threads: Download and Resume run on the owning task's worker and block
// until the run ends; each range has a worker thread of its own, and the
// size query a thread that is abandoned on cancel. m_lock guards the range
// table (workers update their own entry; AverageSpeed may be called from
// any thread). Everything else belongs to the thread running the download.

#include "common/HttpDownloadCallback.h"
#include "common/HttpSocket.h"
#include "common/RemoteFileInfo.h"
#include "common/ResumeRecord.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace Tessar {

class VQMd5Follower;
class VQThread;

class HttpRangeDownloader {
public:
    // Sockets wait this long for any send or receive.
    static const uint32_t kDefaultSocketTimeoutMs = 120000;

    HttpRangeDownloader();
    ~HttpRangeDownloader();
    HttpRangeDownloader(const HttpRangeDownloader&) = delete;
    HttpRangeDownloader& operator=(const HttpRangeDownloader&) = delete;

    // A fresh download of info.downloadUrl (info.spareUrl when the first
    // size query fails) to the target path. Returns an end code
    // (DownloadEndCodes.h) or the system error of creating the files.
    uint32_t Download(VQHttpDownloadCallback* callback, const VQRemoteFileInfo& info,
                      const std::wstring& targetPath);
    // Continues from a resume record (read before with ReadResumeRecord to
    // decide). When neither stored source still serves a file of the
    // stored size, or the data file is gone, a fresh Download of info to
    // the stored target runs instead.
    uint32_t Resume(VQHttpDownloadCallback* callback, const VQRemoteFileInfo& info,
                    const std::wstring& recordPath);

    // The remote file's size by a GET without a range; 0,
    // kDownloadCancelled (the callback's IsCancelled, polled every 333 ms)
    // or kDownloadSizeQueryFailed.
    uint32_t QueryRemoteSize(const std::wstring& path, const std::wstring& host, uint16_t port, uint64_t& size);

    // Loads a record into the head and the range table; on failure both
    // keep what they held.
    bool ReadResumeRecord(const std::wstring& path);
    // Range index has fetched doneInRange of its bytes: updates the range
    // table (and its seconds) and writes the range's 40 bytes through the
    // handle.
    bool WriteResumeRecord(uint32_t index, uint64_t doneInRange, HANDLE record);

    // Bytes fetched over seconds spent, summed over the ranges.
    double AverageSpeed() const;
    // Bytes from the start of the file that every range has fetched.
    uint64_t FetchedFromStart() const;
    // The MD5 text of the file the last run finished, hashed while its
    // ranges arrived when the record names an MD5; empty otherwise.
    const std::wstring& GetFileMd5() const { return m_fileMd5; }

    // Why the last Download or Resume failed, for the message of its end
    // code: after 0xE0000007 the last failed range's Winsock error (or one
    // of kRangeReplyUnusable, kRangeClosedEarly, kRangeConnectFailed),
    // after 1 the system error of the failed wait; never 0 after those
    // two, 0 after any other end.
    uint32_t GetFailureDetail() const { return m_failureDetail.load(); }

    // The head as last reset, read or written.
    bool IsLoaded() const { return m_loaded.load(); }
    uint64_t GetTotalSize() const { return m_head.totalSize; }
    uint64_t GetBytesDone() const { return m_head.doneSize; }
    std::wstring GetMd5Text() const { return GetRecordText(m_head.md5); }
    std::wstring GetTargetPath() const { return GetRecordText(m_head.targetPath); }
    std::wstring GetDataPath() const { return GetRecordText(m_head.dataPath); }
    std::wstring GetRecordPath() const { return GetRecordText(m_head.recordPath); }
    const VQResumeHead& GetResumeHead() const { return m_head; }
    std::vector<VQRangeRecord> GetRanges() const;

    // Shorter waits let tests see a stalled server give up quickly.
    void SetSocketTimeout(uint32_t milliseconds) { m_socketTimeoutMs = milliseconds; }
    // How many ranges a fresh download splits into (kDefaultRangeCount
    // unless set); counts outside 1 to kMaxRangeCount are not taken.
    bool SetRangeCount(uint32_t count);

private:
    struct Source {
        std::wstring host;
        std::wstring path;
        uint16_t port = 0;
    };
    // One range's worker. The thread fills the handles and the socket; the
    // run closes them once the thread has left (or was ended), so a
    // stopping run can shut the socket down under a blocked receive.
    struct RangeWorker {
        HttpRangeDownloader* owner = nullptr;
        HANDLE dataFile = INVALID_HANDLE_VALUE;
        HANDLE recordFile = INVALID_HANDLE_VALUE;
        VQHttpSocket socket;
        uint32_t index = 0;
        uint32_t restarts = 0;
        uint32_t result = 1;
        uint32_t error = 0;  // why the range failed (GetFailureDetail)
        const std::atomic<bool>* stop = nullptr;
        Source source;  // copied when the worker starts
    };

    Source UrlSource() const;
    Source SpareSource() const;
    static Source MakeSource(const wchar_t (&host)[1024], const wchar_t (&path)[1024], uint16_t port);
    void UseSource(const Source& source);
    uint32_t QuerySourceSize(const Source& source, uint64_t& size);
    uint32_t CreateResumeRecord(uint64_t size);
    bool DataFileMatches() const;

    uint32_t RunDownload();
    bool StartWorker(RangeWorker& worker);
    void CloseWorker(RangeWorker& worker);
    void StopWorkers(std::vector<std::unique_ptr<RangeWorker>>& workers);
    uint32_t SwitchToSpare();
    static void ReceiveRangeEntry(void* worker);
    uint32_t ReceiveRange(RangeWorker& worker);
    // One range's part of the callback's speed limit in bytes per second;
    // 0 without a limit.
    uint64_t RangeShare();
    // Sleeps as long as the range is ahead of its share over the current
    // window (lastTick, lastBytes); true when it slept.
    bool Throttle(uint64_t bytes, uint64_t share, DWORD& lastTick, uint64_t& lastBytes,
                  const std::atomic<bool>& stop);

    std::atomic<bool> m_loaded;
    std::atomic<uint32_t> m_failureDetail{0};  // written by the run's thread
    VQResumeHead m_head;
    std::vector<std::unique_ptr<VQThread>> m_workers;
    std::vector<VQRangeRecord> m_ranges;  // m_lock
    // The running download's MD5 follower, nudged at each record write; it
    // outlives the range workers. m_lock
    VQMd5Follower* m_follower = nullptr;
    VQHttpDownloadCallback* m_callback;
    std::wstring m_currentHost;
    std::wstring m_currentPath;
    uint16_t m_currentPort;  // 0xFFFF until a download begins
    bool m_maySwitch;        // the spare URL may still be taken in this run
    bool m_sparePresent;
    std::vector<int64_t> m_stamps;  // per range, _time64 of the last record write; m_lock
    std::wstring m_recordPath;      // the record this run writes
    std::wstring m_fileMd5;         // of the last finished run
    uint32_t m_socketTimeoutMs;
    uint32_t m_rangeCount;  // of a fresh download
    mutable std::mutex m_lock;
};

}  // namespace Tessar
