#pragma once
// The running games: starts installed games on a worker thread and keeps,
// per tile, the process it started and that process's main window, so a
// second run request brings the game to the front instead of starting it
// twice, and the hot keys can hide, show and end the games.
//
// A record keeps its process's handle, not only its id: an id is given to
// another process once the game has ended, and the hot key that ends the
// game in front must never end that one. A record whose process has ended
// is dropped (the next run request starts the game again).
//
// Threads: Push, ShowGames, KillForegroundGame, Forget, Stop and Clear
// belong to the UI thread; the worker starts the processes. The records,
// the report target and the events live in a state the queue shares with
// its worker (VQGameWatchState, whose lock guards the records and the
// target), so a worker that Stop stopped waiting for still works on valid
// state. The worker never touches a tile: what it needs to start a game is
// copied into the record by Push, and what happened goes back to the
// report window as a posted message with the tile's serial number.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "common/KernelHandle.h"

namespace Tessar {

class VQThread;
struct VQGameWatchState;

// What starting one game needs, copied from its tile.
struct VQGameLaunch {
    std::wstring program;
    std::wstring arguments;
    std::wstring workingFolder;  // empty: the program's folder
    // A Flash game: the player gets the game's config file, quoted as one
    // path, and that file must exist.
    bool flashGame = false;
};

struct VQRunningGameRecord {
    HWND window = nullptr;         // 0 until found
    DWORD processId = 0xFFFFFFFF;  // all ones until started
    // The started process (null until started); shared with the worker's
    // copy of the record.
    std::shared_ptr<VQKernelHandle> process;
    bool launched = false;
    VQGameLaunch launch;
};

class VQGameWatchQueue {
public:
    VQGameWatchQueue();
    // Stops the worker (bounded) and frees the records.
    ~VQGameWatchQueue();
    VQGameWatchQueue(const VQGameWatchQueue&) = delete;
    VQGameWatchQueue& operator=(const VQGameWatchQueue&) = delete;

    // Where the worker reports: PostMessage(window, message, key, 1) when a
    // game started, (key, 0) when it could not be started.
    void SetReportTarget(HWND window, UINT message);

    // The key is the tile's serial number (never 0). False for key 0, and
    // when the game of that key runs already and its window was brought to
    // the front (nothing is started). Otherwise the worker is told to
    // start it; true.
    bool Push(uint32_t key, const VQGameLaunch& launch);
    // Minimises and hides (hide) or shows every tracked game window. True.
    bool ShowGames(bool hide);
    // Ends the tracked game whose window is in the foreground.
    bool KillForegroundGame();
    // The same for a process id: a bounded WM_CLOSE to its window, then,
    // when the window is still there (or there is none), termination. Only
    // a tracked process that still runs is ended.
    bool KillGameOfProcess(DWORD processId);
    // The tile went away: its record is dropped (its game keeps running).
    void Forget(uint32_t key);
    // The tracked process and window of a key; false when it is not
    // tracked (also when its process has ended).
    bool FindGame(uint32_t key, DWORD* processId, HWND* window);
    bool IsEmpty();

    // Sets the stop event and waits for the worker, at most kStopWaitMs
    // (a game start in progress is given up). True.
    bool Stop();
    // Stop, then frees every record. True.
    bool Clear();

    // How long WM_CLOSE may take before the game is terminated.
    static const UINT kCloseWaitMs = 2000;
    static const DWORD kStopWaitMs = 5000;

private:
    std::shared_ptr<VQGameWatchState> m_state;
    // The current worker and its own stop event (a worker left running by
    // Stop keeps its event set while the next worker gets a new one).
    VQThread* m_worker = nullptr;
    VQSharedEvent m_workerStop;
    bool m_running = false;
};

// The one running-game queue of the program, made on first use.
VQGameWatchQueue& GetRunningGames();

}  // namespace Tessar
