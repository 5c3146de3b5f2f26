#pragma once
// The running games: starts installed games on a worker thread and keeps,
// per tile, the process it started and that process's main window, so a
// second run request brings the game to the front instead of starting it
// twice, and the hot keys can hide, show and end the games.
//
// Threads: Push, ShowGames, KillForegroundGame, Forget, Stop and Clear
// belong to the UI thread; the worker starts the processes. m_lock guards
// m_entries and m_reportWindow/m_reportMessage. The worker never touches a
// tile: what it needs to start a game is copied into the record by Push,
// and what happened goes back to the report window as a posted message.

#include <windows.h>

#include <map>
#include <string>

namespace Tessar {

class VQThread;

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

    // False for a null key, and when the game of that key runs already and
    // its window was brought to the front (nothing is started). Otherwise
    // the worker is told to start it; true.
    bool Push(const void* key, const VQGameLaunch& launch);
    // Minimises and hides (hide) or shows every tracked game window. True.
    bool ShowGames(bool hide);
    // Ends the tracked game whose window is in the foreground.
    bool KillForegroundGame();
    // The same for a process id: a bounded WM_CLOSE to its window, then,
    // when the window is still there (or there is none), termination.
    bool KillGameOfProcess(DWORD processId);
    // The tile went away: its record is dropped (its game keeps running).
    void Forget(const void* key);
    // The tracked process and window of a key; false when it is not tracked.
    bool FindGame(const void* key, DWORD* processId, HWND* window);
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
    static void WorkerEntry(void* queue);
    void WorkerLoop();
    // Starts the process and looks for its main window; false when the
    // program (or a Flash game's config file) is missing or the start fails.
    bool LaunchGameProcess(VQRunningGameRecord& record);
    // False (and the record cleared for a new start) unless the record's
    // process still runs the game's program and its window could be shown.
    bool ActivateGameWindow(VQRunningGameRecord& record);
    void Report(const void* key, bool started);

    std::map<const void*, VQRunningGameRecord*> m_entries;
    bool m_running = false;
    HANDLE m_stopEvent = nullptr;  // manual reset: the window search waits on it too
    HANDLE m_semaphore = nullptr;
    VQThread* m_worker = nullptr;
    CRITICAL_SECTION* m_lock = nullptr;
    HWND m_reportWindow = nullptr;
    UINT m_reportMessage = 0;
};

// The one running-game queue of the program, made on first use.
VQGameWatchQueue& GetRunningGames();

}  // namespace Tessar
