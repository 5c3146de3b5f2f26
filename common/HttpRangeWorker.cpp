// The body of one range worker: fetch the range's missing bytes into the
// data file, keep the resume record up to date, and keep to the speed
// limit.
#include "common/HttpRangeDownloader.h"

#include "common/DownloadEndCodes.h"
#include "common/FileHandle.h"
#include "common/HttpReply.h"
#include "common/HttpRequest.h"

#include <algorithm>

namespace Tessar {

namespace {

// Large reads keep the number of calls (and of callbacks) per byte low;
// under a speed limit a read takes at most a sixteenth of a second's share,
// but never less than kMinReceiveBlock: a range is ahead of its share by
// up to one read, and at a quarter second's share four ranges stopped at
// any moment had taken about 1% more than a 2 MB/s limit over 20 s.
const int kReceiveBlock = 256 * 1024;
const int kMinReceiveBlock = 4096;
// The record is rewritten at most once per this many bytes of a range.
const uint64_t kSaveEvery = 1024 * 1024;
// The throttle measures a range's rate over windows of about this length.
const DWORD kThrottleWindowMs = 1000;

int ReceiveSizeFor(uint64_t share) {
    if (share == 0)
        return kReceiveBlock;
    return static_cast<int>(std::max<uint64_t>(kMinReceiveBlock, std::min<uint64_t>(kReceiveBlock, share / 16)));
}

// Sleeps in short steps so that a stopping run does not wait for it.
void SleepUnlessStopped(uint64_t milliseconds, const std::atomic<bool>& stop) {
    const uint64_t kStep = 50;
    while (milliseconds > 0 && !stop.load()) {
        uint64_t step = std::min(milliseconds, kStep);
        Sleep(static_cast<DWORD>(step));
        milliseconds -= step;
    }
}

}  // namespace

uint32_t HttpRangeDownloader::ReceiveRange(RangeWorker& worker) {
    const uint32_t index = worker.index;
    VQHttpSocket& socket = worker.socket;
    // A range that fails says why (the message of the run's end shows it):
    // the Winsock error of the call that failed, else what went wrong.
    worker.error = 0;
    auto rangeFailed = [&worker](uint32_t detail) {
        worker.error = detail;
        return kDownloadRangeFailed;
    };
    VQSocketAddress address;
    VQHttpSocket::ClearLastError();
    if (!socket.Open() || !VQHttpSocket::Resolve(worker.source.host, worker.source.port, address))
        return rangeFailed(VQHttpSocket::LastError(kRangeConnectFailed));
    socket.SetTimeouts(m_socketTimeoutMs);
    if (index == 0)
        m_callback->OnStage(2);
    if (worker.stop->load())
        return kDownloadStopping;
    if (!socket.Connect(address, m_socketTimeoutMs, worker.stop)) {
        if (worker.stop->load())
            return kDownloadStopping;
        return rangeFailed(VQHttpSocket::LastError(kRangeConnectFailed));
    }

    VQRangeRecord range;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        range = m_ranges[index];
    }
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
    if (!OpenFileHandle(worker.dataFile, GetDataPath(), GENERIC_WRITE, share, OPEN_EXISTING, 0) ||
        !SeekFileHandle(worker.dataFile, static_cast<int64_t>(range.position), FILE_BEGIN) ||
        !OpenFileHandle(worker.recordFile, m_recordPath, GENERIC_WRITE, share, OPEN_EXISTING, 0))
        return kDownloadFileFailed;
    if (index == 0)
        m_callback->OnStage(3);

    uint64_t done = range.length - range.remaining;
    std::wstring rangeText = FormatRangeText(range.position, range.position + range.remaining - 1);
    std::string request;
    VQHttpSocket::ClearLastError();
    if (!BuildHttpGetRequest(worker.source.path, rangeText.c_str(), request, worker.source.host,
                             worker.source.port) ||
        !socket.SendAll(request))
        return rangeFailed(VQHttpSocket::LastError(kRangeClosedEarly));

    // Only the reply for exactly the requested bytes is written: a 200
    // with the whole file, an error page or another range would land
    // outside this range's part of the data file.
    uint32_t result = kDownloadRangeFailed;
    VQHttpReplyHead head;
    std::string body;
    VQHttpSocket::ClearLastError();
    if (!ReceiveReplyHead(socket, head, body))
        return rangeFailed(VQHttpSocket::LastError(kRangeReplyUnusable));
    if (!IsMatchingRangeReply(head, range.position, range.remaining, m_head.totalSize))
        return rangeFailed(kRangeReplyUnusable);

    std::vector<char> block(kReceiveBlock);
    const char* data = body.data();
    size_t size = body.size();
    uint64_t unsaved = 0;
    DWORD lastTick = GetTickCount();
    uint64_t lastBytes = done;
    while (done < range.length) {
        uint64_t share = RangeShare();
        if (size == 0) {
            VQHttpSocket::ClearLastError();
            int n = socket.Receive(block.data(), ReceiveSizeFor(share));
            if (n <= 0) {
                // A receive error (a time-out among them), or the server
                // closed the connection before the range was complete.
                worker.error = n < 0 ? VQHttpSocket::LastError(kRangeClosedEarly) : kRangeClosedEarly;
                break;
            }
            data = block.data();
            size = static_cast<size_t>(n);
        }
        // Bytes past the range's end are dropped.
        uint32_t piece = static_cast<uint32_t>(std::min<uint64_t>(size, range.length - done));
        size = 0;
        if (!WriteFileHandle(worker.dataFile, data, piece)) {
            result = kDownloadFileFailed;
            break;
        }
        done += piece;
        unsaved += piece;
        m_callback->OnData(piece, true);
        bool cancelled = m_callback->IsCancelled();
        if (unsaved >= kSaveEvery || cancelled) {
            WriteResumeRecord(index, done, worker.recordFile);
            if (unsaved >= kSaveEvery)
                unsaved -= kSaveEvery;
            if (cancelled) {
                result = kDownloadCancelled;
                break;
            }
        }
        if (worker.stop->load()) {
            result = kDownloadStopping;
            break;
        }
        Throttle(done, share, lastTick, lastBytes, *worker.stop);
    }
    WriteResumeRecord(index, done, worker.recordFile);
    return done == range.length ? 0 : result;
}

uint64_t HttpRangeDownloader::RangeShare() {
    uint32_t limit = 0;
    if (m_callback->GetSpeedLimit(&limit) != 0 || limit == 0)
        return 0;
    // Each range gets an equal part of the limit, in bytes per second.
    return static_cast<uint64_t>(limit) * 1024 / m_head.rangeCount;
}

bool HttpRangeDownloader::Throttle(uint64_t bytes, uint64_t share, DWORD& lastTick, uint64_t& lastBytes,
                                   const std::atomic<bool>& stop) {
    DWORD now = GetTickCount();
    if (share == 0) {
        // Without a limit the window follows along, so that a limit set
        // later is measured from then on.
        lastTick = now;
        lastBytes = bytes;
        return false;
    }
    // The time the bytes of this window should have taken at the share;
    // the range sleeps off what it is ahead. Whole windows keep the
    // millisecond rounding of each sleep from adding up.
    DWORD elapsed = now - lastTick;
    uint64_t due = (bytes - lastBytes) * 1000 / share;
    bool slept = false;
    if (due > elapsed) {
        SleepUnlessStopped(due - elapsed, stop);
        slept = true;
        now = GetTickCount();
    }
    if (elapsed >= kThrottleWindowMs) {
        // What the window is behind (a stall, a slow server) is not made
        // up later with a burst.
        lastTick = now;
        lastBytes = bytes;
    }
    return slept;
}

}  // namespace Tessar
