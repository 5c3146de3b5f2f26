#pragma once
// The engine's session: one torrent library session, its tasks, and the
// one callback thread that turns the library's alerts and a periodic timer
// into ITaskCallback calls.
//
// Threads: m_lock guards m_tasks and m_settings and is never held while a
// callback runs or while waiting for one; the callback thread owns the
// alert queue; m_quit is atomic; m_deleteLock guards m_deletes.

#include <libtorrent/add_torrent_params.hpp>
#include <libtorrent/alert.hpp>
#include <libtorrent/session.hpp>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "btengine/BTEngine.h"
#include "btengine/EngineTask.h"

namespace Tessar {

class VQEngineSession final : public IBTSession {
public:
    // Null when no port of the range can be bound.
    static VQEngineSession* Create(uint16_t firstPort, uint16_t lastPort, const std::string& bindAddress,
                                   const std::string& folderAnsi);
    ~VQEngineSession();

    void SetSettings(BTSessionSettings settings) override;
    void GetSettings(BTSessionSettings* out) override;
    uint16_t GetListenPort() override;
    void PauseAll() override;
    void ResumeAll() override;
    IBTTask* AddTask(const BTOpenParams* params, ITaskCallback* callback, std::string* error) override;
    bool ParseTorrentFile(const std::string& path, BTTorrentSummary* info) override;
    IBTTask* OpenTaskFromTorrent(const std::string& path, uint32_t mode, ITaskCallback* callback,
                                 std::string* error) override;
    void ReleaseTask(IBTTask* task, uint32_t flags) override;
    void RemoveTaskByPath(const std::string& path, uint32_t flags) override;

private:
    VQEngineSession() = default;
    bool Open(uint16_t firstPort, uint16_t lastPort, const std::string& bindAddress);
    void ApplySettings(const BTSessionSettings& settings);
    void Run();
    void HandleAlert(libtorrent::alert* a);
    std::shared_ptr<VQEngineTask> Find(const libtorrent::torrent_handle& handle);
    std::vector<std::shared_ptr<VQEngineTask>> Snapshot();
    // A release with its files: the library deletes them on its disk thread
    // after remove_torrent has returned; ReleaseTask waits for the report,
    // or a deletion still pending could take files written after the
    // release (the same game downloaded again into the same place).
    struct VQPendingDelete {
        libtorrent::info_hash_t hashes;
        bool done = false;
    };
    void WaitForDelete(const std::shared_ptr<VQPendingDelete>& pending);
    void FinishDelete(const libtorrent::info_hash_t& hashes);

    // Adds the torrent paused; paths in UTF-8.
    IBTTask* Publish(libtorrent::add_torrent_params atp, const std::string& recordPath, bool seedOnly,
                     ITaskCallback* callback, std::string* error);

    std::unique_ptr<libtorrent::session> m_session;
    std::string m_folder;  // UTF-8: the folder the program named for the engine's files

    std::mutex m_lock;
    std::vector<std::shared_ptr<VQEngineTask>> m_tasks;
    BTSessionSettings m_settings = {};

    std::mutex m_deleteLock;
    std::condition_variable m_deleted;
    std::vector<std::shared_ptr<VQPendingDelete>> m_deletes;

    std::atomic<uint32_t> m_timerMs{1000};
    std::atomic<bool> m_quit{false};
    std::thread m_thread;
};

}  // namespace Tessar
