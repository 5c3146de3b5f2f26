#pragma once
// Writes the program's list files (installed games, downloads) on a thread
// of its own, so that the main window never waits for the disk: each save
// is written through a temporary file that is flushed to the disk, which
// on a disk busy with a download can take longer than a frame. The window
// hands over a job that holds its records as they stand; a newer job for
// the same file replaces one not yet begun (the newer records hold every
// change of the older), and the files are written in the order their jobs
// came. A write that fails is tried again four times over about 0.75 s (a
// file held open by another program for a moment cannot be replaced),
// unless a newer job for the same file comes meanwhile.
//
// Threads: Post and Flush from any thread; m_lock guards the queue and the
// counts; the jobs run on the saver's thread only.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace Tessar {

class VQListSaver {
public:
    VQListSaver() = default;
    // Writes what is still waiting, then ends the thread.
    ~VQListSaver();
    VQListSaver(const VQListSaver&) = delete;
    VQListSaver& operator=(const VQListSaver&) = delete;

    // The writing of the file at `path`. Without a thread (none could be
    // started) the job runs at once on the caller's thread.
    void Post(const std::wstring& path, std::function<bool()> write);
    // Returns once every job posted before has run.
    void Flush();
    // Jobs that still returned false when tried again (for tests and logs).
    uint32_t GetFailureCount() const;

private:
    struct Job {
        std::wstring path;
        std::function<bool()> write;
    };
    void Run();

    mutable std::mutex m_lock;
    std::condition_variable m_changed;
    std::deque<Job> m_jobs;
    bool m_busy = false;
    bool m_quit = false;
    uint32_t m_failures = 0;
    std::thread m_thread;
};

// The process's saver of the main window's lists.
VQListSaver& GetListSaver();

}  // namespace Tessar
