#include "btengine/EngineTask.h"

#include <libtorrent/torrent_flags.hpp>
#include <libtorrent/torrent_status.hpp>

#include <algorithm>
#include <cstring>

#include "btengine/EngineText.h"

namespace lt = libtorrent;

namespace Tessar {

namespace {

uint32_t StateOf(const lt::torrent_status& st) {
    if (st.flags & lt::torrent_flags::paused) return kBTStateStopped;
    switch (st.state) {
    case lt::torrent_status::checking_files:
    case lt::torrent_status::checking_resume_data:
        return kBTStateChecking;
    case lt::torrent_status::downloading_metadata:
        return kBTStateMetadata;
    case lt::torrent_status::downloading:
        return kBTStateDownloading;
    case lt::torrent_status::finished:
        return kBTStateFinished;
    case lt::torrent_status::seeding:
        return kBTStateSeeding;
    default:
        return kBTStateStopped;
    }
}

uint32_t Seconds(std::chrono::seconds s) {
    long long n = s.count();
    return n < 0 ? 0u : static_cast<uint32_t>(std::min<long long>(n, 0xFFFFFFFFll));
}

uint32_t ToLimit(int libraryLimit) { return libraryLimit <= 0 ? 0u : static_cast<uint32_t>(libraryLimit); }

int FromLimit(uint32_t limit) { return limit == 0 || limit > 0x7FFFFFFFu ? 0 : static_cast<int>(limit); }

}  // namespace

VQEngineTask::VQEngineTask(lt::torrent_handle handle, std::shared_ptr<const lt::torrent_info> info,
                           const std::string& savePath, const std::string& recordPath, bool seedOnly)
    : m_handle(std::move(handle)),
      m_info(std::move(info)),
      m_savePath(savePath),
      m_recordPath(recordPath),
      m_seedOnly(seedOnly) {}

bool VQEngineTask::Start() {
    try {
        m_stopPending = false;
        m_failedSent = false;
        {
            std::lock_guard<std::mutex> hold(m_errorLock);
            m_error.clear();
        }
        m_handle.clear_error();
        m_handle.resume();
        return true;
    } catch (...) {
        return false;
    }
}

bool VQEngineTask::Stop() {
    try {
        // The resume data taken after the pause is what the next open
        // continues from; OnStopped follows once it is written.
        m_stopPending = true;
        m_handle.pause();
        m_handle.save_resume_data(lt::torrent_handle::flush_disk_cache);
        return true;
    } catch (...) {
        m_stopPending = false;
        return false;
    }
}

bool VQEngineTask::IsRunning() {
    try {
        return !(m_handle.flags() & lt::torrent_flags::paused);
    } catch (...) {
        return false;
    }
}

void VQEngineTask::SetCallback(ITaskCallback* callback) {
    std::lock_guard<std::recursive_mutex> hold(m_callbackLock);
    m_callback = callback;
}

ITaskCallback* VQEngineTask::GetCallback() {
    std::lock_guard<std::recursive_mutex> hold(m_callbackLock);
    return m_callback;
}

void VQEngineTask::Dispatch(const std::function<void(ITaskCallback*)>& fn) {
    std::lock_guard<std::recursive_mutex> hold(m_callbackLock);
    if (m_released || !m_callback) return;
    try {
        fn(m_callback);
    } catch (...) {
        // The program's exceptions end here, not in the library's thread.
    }
}

void VQEngineTask::MarkReleased() {
    std::lock_guard<std::recursive_mutex> hold(m_callbackLock);
    m_released = true;
    m_callback = nullptr;
}

void VQEngineTask::SetError(const std::string& text) {
    std::lock_guard<std::mutex> hold(m_errorLock);
    m_error = text;
}

bool VQEngineTask::GetStatus(BTTaskStatus* out) {
    if (!out) return false;
    std::memset(out, 0, sizeof(*out));
    try {
        lt::torrent_status st = m_handle.status();
        out->state = StateOf(st);
        std::string error;
        {
            std::lock_guard<std::mutex> hold(m_errorLock);
            error = m_error;
        }
        if (st.errc) error = st.errc.message();
        if (!error.empty()) {
            out->error = 1;
            std::string ansi = Utf8ToAnsi(error);
            std::strncpy(out->errorText, ansi.c_str(), sizeof(out->errorText) - 1);
        }
        out->downloadRate = static_cast<float>(st.download_payload_rate);
        out->uploadRate = static_cast<float>(st.upload_payload_rate);
        out->peers = static_cast<uint32_t>(std::max(0, st.num_peers));
        out->seeds = static_cast<uint32_t>(std::max(0, st.num_seeds));
        out->bytesDone = static_cast<uint64_t>(std::max<int64_t>(0, st.total_wanted_done));
        out->bytesTotal = static_cast<uint64_t>(std::max<int64_t>(0, st.total_wanted));
        out->downloadedTotal = static_cast<uint64_t>(std::max<int64_t>(0, st.total_payload_download));
        out->uploadedTotal = static_cast<uint64_t>(std::max<int64_t>(0, st.total_payload_upload));
        out->bytesWanted = out->bytesTotal;
        out->bytesLeft = out->bytesTotal > out->bytesDone ? out->bytesTotal - out->bytesDone : 0;
        out->activeSeconds = Seconds(st.active_duration);
        out->seedingSeconds = Seconds(st.seeding_duration);
        out->seedingSecondsRule = out->seedingSeconds;
        out->completedTime = static_cast<int64_t>(st.completed_time);
        return true;
    } catch (...) {
        return false;
    }
}

bool VQEngineTask::Recheck() {
    try {
        m_handle.force_recheck();
        return true;
    } catch (...) {
        return false;
    }
}

bool VQEngineTask::GetSavePath(std::string* out) {
    if (!out) return false;
    try {
        std::string path = m_savePath;
        std::replace(path.begin(), path.end(), '/', '\\');
        while (path.size() > 3 && path.back() == '\\') path.pop_back();
        *out = Utf8ToAnsi(path);
        return true;
    } catch (...) {
        return false;
    }
}

IBTTorrentInfo* VQEngineTask::GetTorrentInfo() { return &m_info; }

bool VQEngineTask::GetRecordPath(std::string* out) {
    if (!out) return false;
    try {
        *out = Utf8ToAnsi(m_recordPath);
        return true;
    } catch (...) {
        return false;
    }
}

void VQEngineTask::SetRateLimits(uint32_t download, uint32_t upload) {
    try {
        m_handle.set_download_limit(FromLimit(download));
        m_handle.set_upload_limit(FromLimit(upload));
    } catch (...) {
    }
}

void VQEngineTask::GetRateLimits(uint32_t* download, uint32_t* upload) {
    uint32_t down = 0, up = 0;
    try {
        down = ToLimit(m_handle.download_limit());
        up = ToLimit(m_handle.upload_limit());
    } catch (...) {
    }
    if (download) *download = down;
    if (upload) *upload = up;
}

}  // namespace Tessar
