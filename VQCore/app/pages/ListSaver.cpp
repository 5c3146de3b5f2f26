#include "VQCore/app/pages/ListSaver.h"

#include "common/TextUtil.h"

#include <chrono>

namespace Tessar {

namespace {

// A save that fails is tried again a little later: a list file held open
// for a moment by another program (a virus scanner, an indexer, a reader of
// the list) refuses to be replaced.
const int kRetryPausesMs[] = {50, 100, 200, 400};

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return a.size() == b.size() && CompareNoCase(a, b, b.size()) == 0;
}

bool RunWrite(const std::function<bool()>& write) {
    try {
        return write();
    } catch (...) {
        return false;
    }
}

}  // namespace

VQListSaver::~VQListSaver() {
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_quit = true;
        m_changed.notify_all();
    }
    if (m_thread.joinable()) m_thread.join();
}

void VQListSaver::Post(const std::wstring& path, std::function<bool()> write) {
    if (!write) return;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        if (!m_thread.joinable() && !m_quit) {
            try {
                m_thread = std::thread(&VQListSaver::Run, this);
            } catch (...) {
            }
        }
        if (m_thread.joinable()) {
            bool replaced = false;
            for (Job& job : m_jobs) {
                if (SamePath(job.path, path)) {
                    job.write = std::move(write);
                    replaced = true;
                    break;
                }
            }
            if (!replaced) m_jobs.push_back(Job{path, std::move(write)});
            m_changed.notify_all();
            return;
        }
    }
    if (!write()) {
        std::lock_guard<std::mutex> hold(m_lock);
        ++m_failures;
    }
}

void VQListSaver::Flush() {
    std::unique_lock<std::mutex> hold(m_lock);
    m_changed.wait(hold, [this] { return m_jobs.empty() && !m_busy; });
}

uint32_t VQListSaver::GetFailureCount() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_failures;
}

void VQListSaver::Run() {
    std::unique_lock<std::mutex> hold(m_lock);
    for (;;) {
        m_changed.wait(hold, [this] { return m_quit || !m_jobs.empty(); });
        if (m_jobs.empty()) return;  // quitting with nothing left
        Job job = std::move(m_jobs.front());
        m_jobs.pop_front();
        m_busy = true;
        hold.unlock();
        bool written = RunWrite(job.write);
        for (int pause : kRetryPausesMs) {
            if (written) break;
            // A newer job for the same file holds every change of this one.
            hold.lock();
            const bool superseded = m_changed.wait_for(hold, std::chrono::milliseconds(pause), [&] {
                for (const Job& waiting : m_jobs)
                    if (SamePath(waiting.path, job.path)) return true;
                return false;
            });
            hold.unlock();
            if (superseded) break;
            written = RunWrite(job.write);
        }
        hold.lock();
        m_busy = false;
        if (!written) ++m_failures;
        m_changed.notify_all();
    }
}

VQListSaver& GetListSaver() {
    static VQListSaver saver;
    return saver;
}

}  // namespace Tessar
