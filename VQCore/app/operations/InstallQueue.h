#pragma once
// Folder operations/: what the manager does to a game: download tasks and
// their end rules, installs, uninstalls and the folder rules that confine
// them, desktop shortcuts, the start-with-Windows key, watching running
// games, web games and the statistics of each.
//
// The install queue: downloaded games are installed one after the other,
// in queuing order, by one worker thread that exists only while there is
// work. Each install takes one of three roads: Flash games (ids
// 50001-69999) are unpacked into the install folder, "VQZ" packages are
// installed by the package operation, anything else is run as a setup
// program with the ".ini" hand-shake. The tile then becomes installed (1)
// or not installed (2) and signals its completion.
//
// Threads: Push, Contains and Stop come from the UI thread. The worker
// never touches a tile: Push copies what an install needs, and the worker
// hands what came of it (VQInstallOutcome) to the UI thread, which applies
// it (ApplyInstallOutcome). The vector is read under the lock only. A
// failure or an exception inside one install fails that install only.
//
// Each Push gives the install a serial number, kept on the tile; outcomes
// find their tile by that number, never by its address (a tile removed
// meanwhile may have freed it for another). A removed tile's queued install
// is forgotten (Forget); one already running ends unseen.
//
// What an install created is recorded with it: the setup and package
// roads list the install folder before they run, and the folder of the game
// that was not there before is its own (OwnGameFolder.h); a Flash game is
// unpacked into a new folder of its own. Only that folder is ever deleted
// when the game is removed.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "VQCore/gamelib/GameId.h"  // IsFlashGameId: ids 50001 to 69999

namespace Tessar {

class VQCleanupDiskSpace;
class VQGameIcon;
class VQPaintManager;
class VQThread;

// Posted to the window that showed the tile when the install starts and
// when it ends: wParam the install's serial number, lParam a heap
// VQInstallOutcome the receiver frees.
const UINT kMsgInstallOutcome = WM_USER + 44;

// What one install came to, carried from the worker to the UI thread.
struct VQInstallOutcome {
    uint64_t serial = 0;    // the install's number, as Push gave it to the tile
    bool finished = false;  // false: the worker has just taken the tile
    bool success = false;
    std::wstring program;
    std::wstring arguments;  // empty: the tile keeps its own
    std::wstring setupFolder;  // empty: the tile keeps its own
    std::wstring createdFolder;  // the folder this install created; empty: none
    std::wstring uninstallDigest;
    int64_t installTime = 0;
};

// UI thread: the outcome onto the tile (install status 2 for a start;
// installed data, state 1 or 2 and the completion signal for an end).
void ApplyInstallOutcome(VQGameIcon* tile, const VQInstallOutcome& outcome);
// Hands a posted kMsgInstallOutcome to the tile of the window's lists that
// carries its serial number; the outcome is freed either way. False when
// no tile carries it (the tile was removed).
bool DeliverInstallOutcome(VQPaintManager* manager, WPARAM wParam, LPARAM lParam);

class VQInstallQueue {
public:
    // What the queue asks of its surroundings; empty members take the
    // program's own (the InstallDir setting, the download cache, a message
    // to the tile's window).
    struct Environment {
        std::function<std::wstring()> installFolder;
        // After an install from a downloaded file: the cache records the file
        // and deletes it at once when its drive is short of room
        // (VQCleanupDiskSpace::RecordInstalledFile); `installed`, when set,
        // is told instead.
        VQCleanupDiskSpace* cache = nullptr;
        std::function<void(uint32_t gameId, const std::wstring& setupPath)> installed;
        // Called on the worker; must not wait for the UI thread.
        std::function<void(VQGameIcon* tile, const VQInstallOutcome& outcome)> report;
    };

    VQInstallQueue();
    explicit VQInstallQueue(const Environment& environment);
    ~VQInstallQueue();
    VQInstallQueue(const VQInstallQueue&) = delete;
    VQInstallQueue& operator=(const VQInstallQueue&) = delete;

    // False for null or an already queued tile. Gives the install a new
    // serial number and writes it into the tile.
    bool Push(VQGameIcon* tile);
    // Whether the tile's install is queued (by its serial number).
    bool Contains(VQGameIcon* tile);
    // The tile is going: its queued install is dropped, and an install of
    // it already running reports to no tile. UI thread.
    void Forget(VQGameIcon* tile);
    // Stops the worker (an install in progress is cancelled; a setup
    // program is left running) and forgets every queued tile. Waits for the
    // worker at most kStopWaitMs: one that is still busy then (a file being
    // written that it cannot leave half-way) ends on its own at its next
    // look at the stop event, and the destructor, at the process's end,
    // waits for it before the queue's state goes.
    void Stop();
    static const DWORD kStopWaitMs = 10000;
    bool IsWorkerRunning();
    size_t Count();
    // Where outcomes go for a tile that is not in a window yet (the
    // start-up queues downloaded games before the pages are filled).
    void SetReportWindow(HWND window);

private:
    // A queued install as Push saw it: the worker reads only this.
    struct Job {
        VQGameIcon* tile;  // handed to the environment's report only, never used
        uint64_t serial;
        uint32_t gameId;
        std::wstring setupPath;
        HWND host;
    };

    static void RunInstallJob(void* queue);
    void WorkerLoop();
    bool InstallOne(const Job& job, VQInstallOutcome& outcome, bool& stopped);
    void Report(const Job& job, const VQInstallOutcome& outcome);
    std::wstring InstallFolder() const;
    // Starts a worker when none runs; the lock must be held.
    bool EnsureWorkerLocked();

    Environment m_environment;
    CRITICAL_SECTION* m_lock;
    std::vector<Job> m_jobs;
    bool m_running = false;
    HANDLE m_stopEvent;  // manual reset: set by Stop only, the roads look at it
    HANDLE m_semaphore;
    uint64_t m_lastSerial = 0;
    VQThread* m_thread = nullptr;
    HWND m_reportWindow = nullptr;
};

VQInstallQueue& GetInstallQueue();

// The game's top folder under the install folder for a program path in
// it; empty when the program lies directly in it or outside it.
std::wstring GetGameFolderFromPath(const std::wstring& installFolder, const std::wstring& programPath);

// The three roads: each installs the downloaded file and fills the outcome's
// installed data on success.
bool RunInstallerJob(const std::wstring& setupPath, const std::wstring& installFolder, HANDLE stopEvent,
                     VQInstallOutcome& outcome, bool& stopped);
// Into "<install folder>\FlashGames\<id>" (or "<id>-2", ...), made new for
// this install; removed again when the install fails or is stopped.
bool InstallFlashGame(uint32_t gameId, const std::wstring& setupPath, const std::wstring& installFolder,
                      HANDLE stopEvent, VQInstallOutcome& outcome, bool& stopped);
bool InstallPackageGame(const std::wstring& setupPath, const std::wstring& installFolder, HANDLE stopEvent,
                        VQInstallOutcome& outcome, bool& stopped);

}  // namespace Tessar
