#pragma once
// The install queue: downloaded games are installed one after the other,
// in queuing order, by one worker thread that exists only while there is
// work. Each install takes one of three roads: Flash games (ids
// 50001-69999) are unpacked into the install folder, "VQZ" packages are
// installed by the package operation, anything else is run as a setup
// program with the ".ini" hand-shake. The tile then becomes installed (1)
// or not installed (2) and signals its completion.
//
// Threads: Push, Contains and Stop come from the UI thread; the worker
// writes the tile's fields and reads the vector under the lock only. A
// failure or an exception inside one install fails that install only.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace Tessar {

class VQGameIcon;
class VQThread;

class VQInstallQueue {
public:
    // What the queue asks of its surroundings; empty members take the
    // program's own (the InstallDir setting, the download cache).
    struct Environment {
        std::function<std::wstring()> installFolder;
        std::function<void(uint32_t gameId, const std::wstring& setupPath)> installed;
    };

    VQInstallQueue();
    explicit VQInstallQueue(const Environment& environment);
    ~VQInstallQueue();
    VQInstallQueue(const VQInstallQueue&) = delete;
    VQInstallQueue& operator=(const VQInstallQueue&) = delete;

    // False for null or an already queued tile.
    bool Push(VQGameIcon* tile);
    bool Contains(VQGameIcon* tile);
    // Stops the worker (an install in progress is cancelled; a setup
    // program is left running) and forgets every queued tile.
    void Stop();
    bool IsWorkerRunning();
    size_t Count();

private:
    static void RunInstallJob(void* queue);
    void WorkerLoop();
    bool InstallOne(VQGameIcon* tile, bool& stopped);
    std::wstring InstallFolder() const;
    // Starts a worker when none runs; the lock must be held.
    bool EnsureWorkerLocked();

    Environment m_environment;
    CRITICAL_SECTION* m_lock;
    std::vector<VQGameIcon*> m_tiles;
    bool m_running = false;
    HANDLE m_stopEvent;
    HANDLE m_semaphore;
    VQThread* m_thread = nullptr;
};

VQInstallQueue& GetInstallQueue();

// True for ids 50001 to 69999.
bool IsFlashGameId(uint32_t gameId);
// The game's top folder under the install folder for a program path in
// it; empty when the program lies directly in it or outside it.
std::wstring GetGameFolderFromPath(const std::wstring& installFolder, const std::wstring& programPath);

bool RunInstallerJob(VQGameIcon* tile, const std::wstring& installFolder, HANDLE stopEvent, bool& stopped);
bool InstallFlashGame(VQGameIcon* tile, const std::wstring& installFolder);
bool InstallPackageGame(VQGameIcon* tile, const std::wstring& installFolder, HANDLE stopEvent, bool& stopped);

}  // namespace Tessar
