#include "VQCore/app/operations/GameWatchQueue.h"

#include <psapi.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <new>
#include <vector>

#include "common/KernelHandle.h"
#include "common/PathText.h"
#include "common/TextUtil.h"
#include "common/Thread.h"

namespace Tessar {

namespace {

const LONG kMaxPendingStarts = 64;
// The game's main window usually appears within a second or two; the
// search gives up after these pauses (2.5 s in all).
const DWORD kWindowSearchPauses[] = {100, 300, 500, 700, 900};

struct WindowSearch {
    DWORD processId;
    HWND found;
};

// The first visible, unowned top-level window of the process.
BOOL CALLBACK FindMainWindowOf(HWND hwnd, LPARAM param) {
    WindowSearch* search = reinterpret_cast<WindowSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != search->processId || !IsWindowVisible(hwnd) || GetWindow(hwnd, GW_OWNER) != nullptr) return TRUE;
    search->found = hwnd;
    return FALSE;
}

// The program a process runs; empty when it cannot be read.
std::wstring ProgramOfProcess(HANDLE process) {
    wchar_t buffer[MAX_PATH] = {};
    DWORD length = GetModuleFileNameExW(process, nullptr, buffer, MAX_PATH);
    if (length == 0) {
        // Some systems refuse the module read for a process that has not
        // finished loading; the image name says the same.
        DWORD size = MAX_PATH;
        if (!QueryFullProcessImageNameW(process, 0, buffer, &size)) return std::wstring();
        length = size;
    }
    return std::wstring(buffer, length);
}

bool StillRunning(const std::shared_ptr<VQKernelHandle>& process) {
    return process && process->IsValid() && WaitForSingleObject(process->Get(), 0) == WAIT_TIMEOUT;
}

// A window still belongs to the process (a window handle, too, is reused).
bool IsWindowOfProcess(HWND window, DWORD processId) {
    if (window == nullptr || !IsWindow(window)) return false;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    return owner == processId;
}

}  // namespace

struct VQGameWatchState {
    std::mutex lock;  // guards entries, reportWindow and reportMessage
    std::map<uint32_t, VQRunningGameRecord> entries;
    HWND reportWindow = nullptr;
    UINT reportMessage = 0;
    VQKernelHandle semaphore;  // one unit per push

    // Drops the records whose process has ended; the lock must be held.
    void DropEnded() {
        for (auto it = entries.begin(); it != entries.end();) {
            const VQRunningGameRecord& record = it->second;
            if (record.process && !StillRunning(record.process))
                it = entries.erase(it);
            else
                ++it;
        }
    }
};

namespace {

// What one worker holds: the shared state and its own stop event.
struct VQGameWatchRun {
    std::shared_ptr<VQGameWatchState> state;
    VQSharedEvent stop;  // manual reset: the window search waits on it too
};

// Starts the process and looks for its main window; false when the
// program (or a Flash game's config file) is missing or the start fails.
bool LaunchGameProcess(VQRunningGameRecord& record, HANDLE stopEvent) {
    const VQGameLaunch& launch = record.launch;
    if (!FileExists(launch.program)) return false;
    std::wstring commandLine = QuoteText(launch.program);
    if (launch.flashGame && (launch.arguments.empty() || !FileExists(launch.arguments))) return false;
    if (!launch.arguments.empty()) commandLine += L" " + (launch.flashGame ? QuoteText(launch.arguments) : launch.arguments);
    std::wstring folder = launch.workingFolder;
    if (folder.empty()) {
        std::wstring separator, name;
        SplitFolderAndName(launch.program, folder, separator, name);
    }
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOW;
    PROCESS_INFORMATION process = {};
    std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(L'\0');
    if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &process))
        return false;
    CloseHandle(process.hThread);
    record.process = std::make_shared<VQKernelHandle>(process.hProcess);
    record.processId = process.dwProcessId;
    for (DWORD pause : kWindowSearchPauses) {
        if (WaitForSingleObject(stopEvent, pause) == WAIT_OBJECT_0) break;
        WindowSearch search = {record.processId, nullptr};
        EnumWindows(&FindMainWindowOf, reinterpret_cast<LPARAM>(&search));
        if (search.found) {
            record.window = search.found;
            break;
        }
    }
    return true;
}

void Report(VQGameWatchState& state, uint32_t key, bool started) {
    HWND window;
    UINT message;
    {
        std::lock_guard<std::mutex> hold(state.lock);
        window = state.reportWindow;
        message = state.reportMessage;
    }
    if (window != nullptr && message != 0) PostMessageW(window, message, static_cast<WPARAM>(key), started ? 1 : 0);
}

void WorkerLoop(VQGameWatchRun& run) {
    VQGameWatchState& state = *run.state;
    HANDLE waits[2] = {run.stop->Get(), state.semaphore.Get()};
    for (;;) {
        const DWORD signalled = WaitForMultipleObjects(2, waits, FALSE, INFINITE);
        if (signalled != WAIT_OBJECT_0 + 1) return;
        for (;;) {
            // The launch runs on a copy, without the lock: it takes seconds.
            uint32_t key = 0;
            VQRunningGameRecord work;
            {
                std::lock_guard<std::mutex> hold(state.lock);
                for (auto& entry : state.entries) {
                    if (entry.second.launched) continue;
                    key = entry.first;
                    // Marked now so a push meanwhile does not start it twice.
                    entry.second.launched = true;
                    work = entry.second;
                    break;
                }
            }
            if (key == 0) break;
            const bool started = LaunchGameProcess(work, run.stop->Get());
            if (WaitForSingleObject(run.stop->Get(), 0) == WAIT_OBJECT_0) return;
            {
                std::lock_guard<std::mutex> hold(state.lock);
                auto found = state.entries.find(key);
                if (found == state.entries.end()) continue;  // forgotten meanwhile
                if (started) {
                    found->second.process = work.process;
                    found->second.processId = work.processId;
                    found->second.window = work.window;
                } else {
                    state.entries.erase(found);
                }
            }
            Report(state, key, started);
        }
    }
}

void WorkerEntry(void* argument) {
    std::unique_ptr<VQGameWatchRun> run(static_cast<VQGameWatchRun*>(argument));
    WorkerLoop(*run);
}

// False (and the record cleared for a new start) unless the record's
// process still runs the game's program and its window could be shown.
bool ActivateGameWindow(VQRunningGameRecord& record) {
    if (record.window == nullptr) {
        // Never found a window: a start under way, or a game still running
        // without a window, is not started a second time.
        if (record.launched && (!record.process || StillRunning(record.process))) return false;
        record.launched = false;
        return false;
    }
    bool shown = false;
    if (StillRunning(record.process) && IsWindowOfProcess(record.window, record.processId)) {
        const std::wstring running = ProgramOfProcess(record.process->Get());
        const size_t length = std::max(running.size(), record.launch.program.size());
        if (!running.empty() && CompareNoCase(running, record.launch.program, length) == 0) {
            HWND popup = GetLastActivePopup(record.window);
            if (IsWindow(popup) && (GetWindowLongW(popup, GWL_STYLE) & WS_DISABLED) == 0) {
                SwitchToThisWindow(popup, TRUE);
                shown = true;
            }
        }
    }
    if (!shown) {
        record.window = nullptr;
        record.process.reset();
        record.processId = 0xFFFFFFFF;
        record.launched = false;
    }
    return shown;
}

}  // namespace


VQGameWatchQueue::VQGameWatchQueue() : m_state(std::make_shared<VQGameWatchState>()) {
    m_state->semaphore.Reset(CreateSemaphoreW(nullptr, 0, kMaxPendingStarts, nullptr));
}

VQGameWatchQueue::~VQGameWatchQueue() { Clear(); }

void VQGameWatchQueue::SetReportTarget(HWND window, UINT message) {
    std::lock_guard<std::mutex> hold(m_state->lock);
    m_state->reportWindow = window;
    m_state->reportMessage = message;
}

bool VQGameWatchQueue::Push(uint32_t key, const VQGameLaunch& launch) {
    if (key == 0) return false;
    {
        std::lock_guard<std::mutex> hold(m_state->lock);
        m_state->DropEnded();
        auto found = m_state->entries.find(key);
        if (found != m_state->entries.end()) {
            if (ActivateGameWindow(found->second)) return false;
            found->second.launch = launch;
        } else {
            VQRunningGameRecord record;
            record.launch = launch;
            m_state->entries[key] = record;
        }
    }
    if (!m_running) {
        DeleteThreadHolder(m_worker);
        m_worker = nullptr;
        m_workerStop = MakeSharedEvent(true);
        VQGameWatchRun* run = new (std::nothrow) VQGameWatchRun{m_state, m_workerStop};
        if (run == nullptr || !m_workerStop->IsValid()) {
            delete run;
            return false;
        }
        m_worker = new VQThread(&WorkerEntry, run);
        m_running = m_worker->Start();
        if (!m_running) {
            delete run;
            return false;
        }
    }
    ReleaseSemaphore(m_state->semaphore.Get(), 1, nullptr);
    return true;
}

bool VQGameWatchQueue::ShowGames(bool hide) {
    std::lock_guard<std::mutex> hold(m_state->lock);
    m_state->DropEnded();
    for (auto& entry : m_state->entries) {
        HWND window = entry.second.window;
        if (!IsWindowOfProcess(window, entry.second.processId)) continue;
        if (hide) {
            ShowWindow(window, SW_MINIMIZE);
            ShowWindow(window, SW_HIDE);
        } else {
            ShowWindow(window, SW_SHOW);
        }
    }
    return true;
}

bool VQGameWatchQueue::KillForegroundGame() {
    if (IsEmpty()) return false;
    DWORD processId = 0;
    GetWindowThreadProcessId(GetForegroundWindow(), &processId);
    return processId != 0 && KillGameOfProcess(processId);
}

bool VQGameWatchQueue::KillGameOfProcess(DWORD processId) {
    HWND window = nullptr;
    std::shared_ptr<VQKernelHandle> process;
    {
        std::lock_guard<std::mutex> hold(m_state->lock);
        m_state->DropEnded();
        for (auto& entry : m_state->entries) {
            if (!entry.second.process || entry.second.processId != processId) continue;
            window = entry.second.window;
            process = entry.second.process;
            break;
        }
    }
    // Only through the handle kept since the start: the id alone may name
    // another process by now.
    if (!StillRunning(process)) return false;
    if (IsWindowOfProcess(window, processId)) {
        // Bounded: a game that hangs must not hang the manager with it.
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(window, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, kCloseWaitMs, &ignored);
        if (!IsWindow(window)) return true;
    }
    if (!TerminateProcess(process->Get(), 0)) return false;
    WaitForSingleObject(process->Get(), kCloseWaitMs);
    return true;
}

void VQGameWatchQueue::Forget(uint32_t key) {
    std::lock_guard<std::mutex> hold(m_state->lock);
    // The worker may be starting it right now: it then finds the key gone
    // and drops its own copy.
    m_state->entries.erase(key);
}

bool VQGameWatchQueue::FindGame(uint32_t key, DWORD* processId, HWND* window) {
    std::lock_guard<std::mutex> hold(m_state->lock);
    m_state->DropEnded();
    auto found = m_state->entries.find(key);
    if (found == m_state->entries.end()) return false;
    if (processId) *processId = found->second.processId;
    if (window) *window = found->second.window;
    return true;
}

bool VQGameWatchQueue::IsEmpty() {
    std::lock_guard<std::mutex> hold(m_state->lock);
    m_state->DropEnded();
    return m_state->entries.empty();
}

bool VQGameWatchQueue::Stop() {
    if (!m_running && m_worker == nullptr) return true;
    if (m_workerStop) SetEvent(m_workerStop->Get());
    if (m_worker) {
        // A worker still busy after the wait ends on its own, with the state
        // it holds.
        m_worker->WaitUpTo(kStopWaitMs);
        DeleteThreadHolder(m_worker);
        m_worker = nullptr;
    }
    m_workerStop.reset();
    m_running = false;
    return true;
}

bool VQGameWatchQueue::Clear() {
    Stop();
    std::lock_guard<std::mutex> hold(m_state->lock);
    m_state->entries.clear();
    return true;
}

VQGameWatchQueue& GetRunningGames() {
    static VQGameWatchQueue queue;
    return queue;
}

}  // namespace Tessar
