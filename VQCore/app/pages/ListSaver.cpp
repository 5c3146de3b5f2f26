#include "VQCore/app/pages/ListSaver.h"

#include "common/TextUtil.h"

namespace Tessar {

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
                if (job.path.size() == path.size() && CompareNoCase(job.path, path, path.size()) == 0) {
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
        bool written = false;
        try {
            written = job.write();
        } catch (...) {
            written = false;
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
