#pragma once
// The process's one peer-to-peer engine session (Tarnwick_LOG.dll or
// Tarnwick.dll, loaded at run time) and the finished games it keeps
// seeding, listed in "seeds.xml" of the download folder so that they come
// back at the next start. Reached through VQSingleton<VQBTManager>.
//
// Threads: the owner's thread calls Init (or StartInBackground, which runs
// Init on a thread of its own), Shutdown and MoveSeedsFile;
// download tasks' workers and the engine's callback thread call the seed
// operations; the VQTaskList worker opens seeds (Process). m_lock guards
// the seed list and the paths and is never held while calling into the
// engine (the engine may be waiting to run a callback that needs it); the
// session, the limit and the flags are atomic. A seed leaves the list
// exactly once, and whoever takes it out releases its engine task.
// "seeds.xml" is written under m_lock together with each change of the
// list, so whoever sees the list changed finds the file changed too.

#include "VQCore/download/SeedRules.h"
#include "btengine/BTEngine.h"
#include "common/TaskList.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace Tessar {

class VQBTManager : public VQTaskList {
public:
    // One finished game being shared.
    class VQSeedTask : public ITaskCallback {
    public:
        VQSeedTask(VQBTManager* manager, uint64_t id, const std::wstring& resumePath, IBTTask* task);

        void OnStopped() override {}
        // A failure ends the seed.
        void OnEvent(int32_t code) override;
        void OnValue(uint32_t, uint32_t) override {}
        // The seed rules.
        void OnTimer() override;

        // Points the engine task's callback here and starts it, opening the
        // torrent file for seeding first when no engine task is held.
        bool Start();

        uint64_t GetId() const { return m_id; }
        const std::wstring& GetResumePath() const { return m_resumePath; }
        IBTTask* GetEngineTask() const { return m_task.load(); }
        // Takes the engine task away (null when none is held).
        IBTTask* TakeEngineTask() { return m_task.exchange(nullptr); }

    private:
        friend class VQBTManager;
        VQBTManager* const m_manager;
        const uint64_t m_id;
        const std::wstring m_resumePath;  // the finished game's torrent file
        std::atomic<IBTTask*> m_task;
    };

    static const uint16_t kFirstPort = 6881;
    static const uint16_t kLastPort = 6890;
    static const uint32_t kDefaultSeedLimit = 2;

    VQBTManager();
    ~VQBTManager() override;

    // Loads the engine and opens the session on folder, then the seeds of
    // its "seeds.xml". True at once when a session exists; false when the
    // engine is missing or gives no session (no peer-to-peer this run).
    bool Init(const std::wstring& folder, uint32_t seedLimit);
    // Init on a thread of its own, so that the caller never waits for the
    // engine to load; does nothing while a session exists or a start is
    // under way. False when no thread could be started.
    bool StartInBackground(const std::wstring& folder, uint32_t seedLimit);
    // The session, once a start under way has ended (waiting at most
    // waitMs for it); at once what GetSession gives otherwise.
    IBTSession* WaitForSession(uint32_t waitMs);
    // Releases every seed's engine task and ends the session; seeds.xml
    // stays for the next start.
    void Shutdown();

    IBTSession* GetSession() const { return m_session.load(); }
    // Both session rates (bytes per second, 0 = no limit); a rate set
    // before the session exists is given to it when it opens.
    void SetSessionRate(uint32_t bytesPerSecond);

    // Takes over a finished download's engine task as a seed; it runs when
    // no more than the seed limit run already (a just-finished download is
    // the one seed that may go past it), else it waits without an engine task.
    bool AddSeedFromTask(uint64_t id, const std::wstring& resumePath, IBTTask* task);
    // Ends the seed (when still listed) and lets another one start.
    void RemoveSeed(VQSeedTask* seed);
    // Ends the seed of the game (before it is downloaded again).
    void RemoveSeedById(uint64_t id);
    bool HasSeed(uint64_t id) const;
    uint32_t ActiveSeedCount() const;
    uint32_t SeedCount() const;
    // Lists a seed of the torrent file for the worker to open; false when
    // the engine does not take the file.
    bool AddSeedFromFile(uint64_t id, const std::wstring& resumePath);

    bool SaveSeeds();
    // Lists the seeds of seeds.xml. A torrent file the engine rejects is
    // deleted, but only when it lies inside the download folder.
    bool LoadSeeds();
    // The download folder moved: seeds.xml is written there from now on.
    void MoveSeedsFile(const std::wstring& folder);
    std::wstring GetSeedsFilePath() const;
    uint32_t GetSeedLimit() const { return m_seedLimit.load(); }

    // The _time64 clock of the seed-age rule; tests move it forward (null:
    // the system's again).
    typedef int64_t (*VQClock)();
    void SetClock(VQClock clock) { m_clock = clock; }
    int64_t Now() const;

protected:
    // Opens waiting seeds in list order while fewer than the limit run.
    void Process() override;

private:
    // Take the seed out of the list and save the list.
    std::shared_ptr<VQSeedTask> TakeSeed(const VQSeedTask* seed);
    std::shared_ptr<VQSeedTask> TakeSeedById(uint64_t id);
    bool SaveSeedsLocked();
    // Releases a seed taken out of the list.
    void EndSeed(const std::shared_ptr<VQSeedTask>& seed, uint32_t releaseFlags);
    // Stores a freshly opened engine task in a seed still listed.
    bool AdoptEngineTask(VQSeedTask* seed, IBTTask* task);
    uint32_t ActiveSeedCountLocked() const;
    bool IsInsideDownloadFolder(const std::wstring& path) const;

    // A copy of the start in the background (invalid when none was made),
    // to wait on without holding m_startLock.
    std::shared_future<bool> StartUnderWay();
    // Gives the session the last rate set, under m_rateLock.
    void ApplySessionRate(IBTSession* session);

    std::mutex m_startLock;
    std::shared_future<bool> m_start;  // m_startLock: the start in the background
    std::mutex m_rateLock;
    bool m_rateSet = false;  // m_rateLock
    uint32_t m_rate = 0;     // m_rateLock
    mutable std::mutex m_lock;
    std::vector<std::shared_ptr<VQSeedTask>> m_seeds;  // m_lock
    std::wstring m_folder;                             // m_lock
    std::wstring m_seedsPath;                          // m_lock
    std::atomic<IBTSession*> m_session;
    std::atomic<uint32_t> m_seedLimit;
    std::atomic<bool> m_stopping;
    HMODULE m_module;  // owner's thread; kept loaded until the process ends
    std::atomic<VQClock> m_clock;
};

}  // namespace Tessar
