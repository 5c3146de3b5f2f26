#include "common/Md5Follower.h"

#include "common/Buffer.h"
#include "common/FileHandle.h"
#include "common/Md5.h"

#include <windows.h>

#include <algorithm>
#include <chrono>

namespace Tessar {

namespace {

// Read at most this much at a time: large enough that the reads cost
// little beside the hashing, small enough to follow the writer closely.
const uint32_t kFollowChunk = 1u << 20;
// How long the follower waits before asking the writer again once it has
// caught up, unless the writer nudges it first.
const auto kCaughtUpWait = std::chrono::milliseconds(2);

}  // namespace

VQMd5Follower::~VQMd5Follower() {
    Stop();
}

bool VQMd5Follower::Start(const std::wstring& path, uint64_t size, std::function<uint64_t()> written) {
    Stop();
    m_stop = false;
    m_ended = false;
    m_digest.clear();
    m_written = std::move(written);
    try {
        m_thread = std::thread(&VQMd5Follower::Run, this, path, size);
    } catch (...) {
        return false;
    }
    return true;
}

void VQMd5Follower::Run(std::wstring path, uint64_t size) {
    std::wstring digest;
    HANDLE file = INVALID_HANDLE_VALUE;
    // The writers keep the file open for writing, and the owner may move it
    // into place: every sharing is allowed.
    if (size > 0 && OpenFileHandle(file, path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL)) {
        VQMd5Context context;
        VQBuffer<unsigned char> chunk(kFollowChunk);
        uint64_t done = 0;
        bool failed = chunk.data == nullptr;
        while (!failed && done < size && !m_stop) {
            // Read before the frontier: a nudge after it ends the wait below.
            const uint64_t seen = m_nudges.load();
            const uint64_t ready = std::min(size, m_written());
            if (ready <= done) {
                std::unique_lock<std::mutex> hold(m_lock);
                m_changed.wait_for(hold, kCaughtUpWait,
                                   [this, seen] { return m_stop.load() || m_nudges.load() != seen; });
                continue;
            }
            const uint32_t want = static_cast<uint32_t>(std::min<uint64_t>(ready - done, kFollowChunk));
            OVERLAPPED at = {};
            at.Offset = static_cast<DWORD>(done);
            at.OffsetHigh = static_cast<DWORD>(done >> 32);
            DWORD got = 0;
            if (!::ReadFile(file, chunk.data, want, &got, &at) || got == 0) {
                failed = true;
                break;
            }
            Md5Update(context, chunk.data, got);
            done += got;
        }
        CloseFileHandle(file);
        if (!failed && done == size) {
            Md5Final(context);
            digest = BytesToHexUpper(context.digest);
        }
    }
    std::lock_guard<std::mutex> hold(m_lock);
    m_digest = digest;
    m_ended = true;
    m_changed.notify_all();
}

bool VQMd5Follower::WaitDone(uint32_t timeoutMs) {
    std::unique_lock<std::mutex> hold(m_lock);
    if (!m_thread.joinable()) return true;
    return m_changed.wait_for(hold, std::chrono::milliseconds(timeoutMs), [this] { return m_ended; });
}

std::wstring VQMd5Follower::Digest() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_digest;
}

void VQMd5Follower::Nudge() {
    std::lock_guard<std::mutex> hold(m_lock);
    ++m_nudges;
    m_changed.notify_all();
}

void VQMd5Follower::Stop() {
    if (!m_thread.joinable()) return;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_stop = true;
        m_changed.notify_all();
    }
    m_thread.join();
}

}  // namespace Tessar
