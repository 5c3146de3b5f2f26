#include "VQCore/app/GameWatchQueue.h"

#include <psapi.h>

#include <algorithm>
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

class VQLockHolder {
public:
    explicit VQLockHolder(CRITICAL_SECTION* lock) : m_lock(lock) { EnterCriticalSection(m_lock); }
    ~VQLockHolder() { LeaveCriticalSection(m_lock); }
    VQLockHolder(const VQLockHolder&) = delete;
    VQLockHolder& operator=(const VQLockHolder&) = delete;

private:
    CRITICAL_SECTION* m_lock;
};

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
std::wstring ProgramOfProcess(DWORD processId) {
    VQKernelHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    if (!process.IsValid()) return std::wstring();
    wchar_t buffer[MAX_PATH] = {};
    DWORD length = GetModuleFileNameExW(process.Get(), nullptr, buffer, MAX_PATH);
    if (length == 0) {
        // Some systems refuse the module read for a process that has not
        // finished loading; the image name says the same.
        DWORD size = MAX_PATH;
        if (!QueryFullProcessImageNameW(process.Get(), 0, buffer, &size)) return std::wstring();
        length = size;
    }
    return std::wstring(buffer, length);
}

bool StillRunning(DWORD processId) {
    VQKernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, processId));
    return process.IsValid() && WaitForSingleObject(process.Get(), 0) == WAIT_TIMEOUT;
}

}  // namespace

VQGameWatchQueue::VQGameWatchQueue() {
    m_lock = new CRITICAL_SECTION;
    InitializeCriticalSection(m_lock);
    m_stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_semaphore = CreateSemaphoreW(nullptr, 0, kMaxPendingStarts, nullptr);
}

VQGameWatchQueue::~VQGameWatchQueue() {
    Clear();
    if (m_semaphore) CloseHandle(m_semaphore);
    if (m_stopEvent) CloseHandle(m_stopEvent);
    DeleteCriticalSection(m_lock);
    delete m_lock;
}

void VQGameWatchQueue::SetReportTarget(HWND window, UINT message) {
    VQLockHolder hold(m_lock);
    m_reportWindow = window;
    m_reportMessage = message;
}

bool VQGameWatchQueue::Push(const void* key, const VQGameLaunch& launch) {
    if (key == nullptr) return false;
    {
        VQLockHolder hold(m_lock);
        auto found = m_entries.find(key);
        if (found != m_entries.end()) {
            if (ActivateGameWindow(*found->second)) return false;
            found->second->launch = launch;
        } else {
            VQRunningGameRecord* record = new VQRunningGameRecord;
            record->launch = launch;
            m_entries[key] = record;
        }
    }
    if (!m_running) {
        ResetEvent(m_stopEvent);
        DeleteThreadHolder(m_worker);
        m_worker = new VQThread(&VQGameWatchQueue::WorkerEntry, this);
        m_running = m_worker->Start();
        if (!m_running) return false;
    }
    ReleaseSemaphore(m_semaphore, 1, nullptr);
    return true;
}

bool VQGameWatchQueue::ActivateGameWindow(VQRunningGameRecord& record) {
    if (record.window == nullptr) {
        // Never found a window: a start under way, or a game still running
        // without a window, is not started a second time.
        if (record.launched && (record.processId == 0xFFFFFFFF || StillRunning(record.processId))) return false;
        record.launched = false;
        return false;
    }
    const std::wstring running = ProgramOfProcess(record.processId);
    const size_t length = std::max(running.size(), record.launch.program.size());
    bool shown = false;
    if (!running.empty() && CompareNoCase(running, record.launch.program, length) == 0 && IsWindow(record.window)) {
        HWND popup = GetLastActivePopup(record.window);
        if (IsWindow(popup) && (GetWindowLongW(popup, GWL_STYLE) & WS_DISABLED) == 0) {
            SwitchToThisWindow(popup, TRUE);
            shown = true;
        }
    }
    if (!shown) {
        record.window = nullptr;
        record.launched = false;
    }
    return shown;
}

bool VQGameWatchQueue::ShowGames(bool hide) {
    VQLockHolder hold(m_lock);
    for (auto& entry : m_entries) {
        HWND window = entry.second->window;
        if (!IsWindow(window)) continue;
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
    bool found = false;
    {
        VQLockHolder hold(m_lock);
        for (auto& entry : m_entries) {
            if (entry.second->processId != processId) continue;
            window = entry.second->window;
            found = true;
            break;
        }
    }
    if (!found) return false;
    if (IsWindow(window)) {
        // Bounded: a game that hangs must not hang the manager with it.
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(window, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, kCloseWaitMs, &ignored);
        if (!IsWindow(window)) return true;
    }
    VQKernelHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId));
    if (!process.IsValid()) return false;
    if (!TerminateProcess(process.Get(), 0)) return false;
    WaitForSingleObject(process.Get(), kCloseWaitMs);
    return true;
}

void VQGameWatchQueue::Forget(const void* key) {
    VQLockHolder hold(m_lock);
    auto found = m_entries.find(key);
    if (found == m_entries.end()) return;
    // The worker may be starting it right now: it then finds the key gone
    // and drops its own copy.
    delete found->second;
    m_entries.erase(found);
}

bool VQGameWatchQueue::FindGame(const void* key, DWORD* processId, HWND* window) {
    VQLockHolder hold(m_lock);
    auto found = m_entries.find(key);
    if (found == m_entries.end()) return false;
    if (processId) *processId = found->second->processId;
    if (window) *window = found->second->window;
    return true;
}

bool VQGameWatchQueue::IsEmpty() {
    VQLockHolder hold(m_lock);
    return m_entries.empty();
}

bool VQGameWatchQueue::Stop() {
    if (!m_running && m_worker == nullptr) return true;
    SetEvent(m_stopEvent);
    if (m_worker) {
        HANDLE handle = m_worker->GetHandle();
        if (handle != INVALID_HANDLE_VALUE && handle != nullptr) WaitForSingleObject(handle, kStopWaitMs);
        DeleteThreadHolder(m_worker);
        m_worker = nullptr;
    }
    m_running = false;
    return true;
}

bool VQGameWatchQueue::Clear() {
    Stop();
    VQLockHolder hold(m_lock);
    for (auto& entry : m_entries) delete entry.second;
    m_entries.clear();
    return true;
}

void VQGameWatchQueue::WorkerEntry(void* queue) { static_cast<VQGameWatchQueue*>(queue)->WorkerLoop(); }

void VQGameWatchQueue::WorkerLoop() {
    HANDLE waits[2] = {m_stopEvent, m_semaphore};
    for (;;) {
        const DWORD signalled = WaitForMultipleObjects(2, waits, FALSE, INFINITE);
        if (signalled != WAIT_OBJECT_0 + 1) return;
        for (;;) {
            // The launch runs on a copy, without the lock: it takes seconds.
            const void* key = nullptr;
            VQRunningGameRecord work;
            {
                VQLockHolder hold(m_lock);
                for (auto& entry : m_entries) {
                    if (entry.second->launched) continue;
                    key = entry.first;
                    // Marked now so a push meanwhile does not start it twice.
                    entry.second->launched = true;
                    work = *entry.second;
                    break;
                }
            }
            if (key == nullptr) break;
            const bool started = LaunchGameProcess(work);
            if (WaitForSingleObject(m_stopEvent, 0) == WAIT_OBJECT_0) return;
            {
                VQLockHolder hold(m_lock);
                auto found = m_entries.find(key);
                if (found == m_entries.end()) continue;  // forgotten meanwhile
                if (started) {
                    found->second->processId = work.processId;
                    found->second->window = work.window;
                } else {
                    delete found->second;
                    m_entries.erase(found);
                }
            }
            Report(key, started);
        }
    }
}

bool VQGameWatchQueue::LaunchGameProcess(VQRunningGameRecord& record) {
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
    CloseHandle(process.hProcess);
    record.processId = process.dwProcessId;
    for (DWORD pause : kWindowSearchPauses) {
        if (WaitForSingleObject(m_stopEvent, pause) == WAIT_OBJECT_0) break;
        WindowSearch search = {record.processId, nullptr};
        EnumWindows(&FindMainWindowOf, reinterpret_cast<LPARAM>(&search));
        if (search.found) {
            record.window = search.found;
            break;
        }
    }
    return true;
}

void VQGameWatchQueue::Report(const void* key, bool started) {
    HWND window;
    UINT message;
    {
        VQLockHolder hold(m_lock);
        window = m_reportWindow;
        message = m_reportMessage;
    }
    if (window != nullptr && message != 0)
        PostMessageW(window, message, reinterpret_cast<WPARAM>(key), started ? 1 : 0);
}

VQGameWatchQueue& GetRunningGames() {
    static VQGameWatchQueue queue;
    return queue;
}

}  // namespace Tessar
