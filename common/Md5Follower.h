#pragma once
// The MD5 of a file while it is being written: a thread of its own reads
// the file from its start up to the first byte not yet written (the
// writer's frontier, asked again whenever the writer nudges it, or now and
// then when it does not) and hashes it,
// so that a download's check is done soon after its last byte arrives
// instead of in a second pass over the whole file.
//
// Threads: Start, WaitDone, Stop and the destructor belong to the owner's
// thread; the frontier function is called on the follower's thread; Nudge
// on any thread.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace Tessar {

class VQMd5Follower {
public:
    VQMd5Follower() = default;
    ~VQMd5Follower();  // Stop
    VQMd5Follower(const VQMd5Follower&) = delete;
    VQMd5Follower& operator=(const VQMd5Follower&) = delete;

    // Follows the file of `size` bytes; `written` tells how many bytes from
    // its start hold their final contents. False when no thread starts.
    bool Start(const std::wstring& path, uint64_t size, std::function<uint64_t()> written);
    // Waits up to timeoutMs for the whole file to be hashed; true when the
    // follower has ended (done, or failed to read).
    bool WaitDone(uint32_t timeoutMs);
    // The digest text once the whole file was hashed; empty otherwise.
    std::wstring Digest() const;
    // Ends the follower without a digest (or with the one it has).
    void Stop();
    // More bytes may hold their final contents: a follower that has caught
    // up asks the frontier again at once instead of at its next look.
    void Nudge();

private:
    void Run(std::wstring path, uint64_t size);

    std::function<uint64_t()> m_written;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<uint64_t> m_nudges{0};  // changed under m_lock
    mutable std::mutex m_lock;
    std::condition_variable m_changed;  // m_lock: m_ended, m_digest; and the stop
    bool m_ended = false;
    std::wstring m_digest;
};

}  // namespace Tessar
