#include "VQCore/app/operations/InstallQueue.h"

#include "VQCore/app/pages/GameIcon.h"
#include "VQCore/app/pages/IconList.h"
#include "VQCore/app/operations/OwnGameFolder.h"
#include "VQCore/app/environment/RuntimeInstall.h"
#include "VQCore/download/DownloadCache.h"
#include "VQCore/download/GamePackage.h"
#include "VQCore/download/SfxInstall.h"
#include "VQCore/download/UnpackerOperation.h"
#include "VQCore/gamelib/AppPaths.h"
#include "common/FileUtil.h"
#include "common/FormatText.h"
#include "common/PathText.h"
#include "common/SystemUtil.h"
#include "common/Thread.h"
#include "ui/PaintManager.h"

#include <ctime>
#include <cwctype>
#include <memory>
#include <new>

namespace Tessar {

namespace {

// One unit per queued tile; far above any real queue so that no tile is
// ever pushed without its signal.
const LONG kMaxQueuedSignals = 0x7fffffff;
// Flash games unpack into folders of their own below this one.
const wchar_t kFlashGamesFolder[] = L"FlashGames";

class VQLockHolder {
public:
    explicit VQLockHolder(CRITICAL_SECTION* lock) : m_lock(lock) { ::EnterCriticalSection(m_lock); }
    ~VQLockHolder() { ::LeaveCriticalSection(m_lock); }
    VQLockHolder(const VQLockHolder&) = delete;
    VQLockHolder& operator=(const VQLockHolder&) = delete;

private:
    CRITICAL_SECTION* m_lock;
};

bool EqualNoCase(const std::wstring& a, const std::wstring& b, size_t count) {
    for (size_t i = 0; i < count; ++i)
        if (std::towlower(a[i]) != std::towlower(b[i])) return false;
    return true;
}

// The installed data every road writes on success.
void MarkInstalled(VQInstallOutcome& outcome, const std::wstring& program) {
    outcome.program = program;
    outcome.installTime = _time64(nullptr);
}

}  // namespace

std::wstring GetGameFolderFromPath(const std::wstring& installFolder, const std::wstring& programPath) {
    if (installFolder.empty() || programPath.empty() || installFolder.size() >= programPath.size()) return L"";
    if (!EqualNoCase(installFolder, programPath, installFolder.size())) return L"";
    std::wstring rest = programPath.substr(installFolder.size());
    if (!rest.empty() && rest[0] == L'\\') rest.erase(0, 1);
    const size_t slash = rest.find(L'\\');
    if (slash == std::wstring::npos) return L"";
    return CombinePath(installFolder, rest.substr(0, slash));
}

bool RunInstallerJob(const std::wstring& setupPath, const std::wstring& installFolder, HANDLE stopEvent,
                     VQInstallOutcome& outcome, bool& stopped) {
    if (setupPath.empty() || !FileExists(setupPath)) return false;
    const std::wstring folder = HandshakeFolderText(installFolder);
    const VQInstallFolderSnapshot before(installFolder);
    VQSetupReport report;
    const VQRuntimeInstallResult result = RunRuntimeInstaller(setupPath, folder, stopEvent, &report);
    if (result == VQRuntimeInstallResult::kStopped) stopped = true;
    if (result != VQRuntimeInstallResult::kInstalled) return false;
    if (report.path.empty() || !FileExists(report.path)) return false;
    MarkInstalled(outcome, report.path);
    outcome.setupFolder = GetGameFolderFromPath(folder, report.path);
    outcome.createdFolder = before.CreatedFolderOf(report.path);
    outcome.arguments = report.param;
    return true;
}

bool InstallFlashGame(uint32_t gameId, const std::wstring& setupPath, const std::wstring& installFolder,
                      HANDLE stopEvent, VQInstallOutcome& outcome, bool& stopped) {
    if (setupPath.empty() || !FileExists(setupPath)) return false;
    const std::wstring own = MakeOwnFolder(CombinePath(installFolder, kFlashGamesFolder), FormatString(L"%05u", gameId));
    if (own.empty()) return false;
    VQGamePackage package;
    const bool extracted = ExtractGamePackage(own, package, setupPath, stopEvent);
    if (!extracted && stopEvent != nullptr && ::WaitForSingleObject(stopEvent, 0) == WAIT_OBJECT_0) {
        DeleteFolderTree(own);  // made by this install a moment ago
        stopped = true;
        return false;
    }
    const std::wstring& swf = package.mainFilePath;
    const size_t slash = swf.find_last_of(L'\\');
    const std::wstring config = (slash == std::wstring::npos ? L"" : swf.substr(0, slash + 1)) + L"config.ini";
    if (!extracted || swf.empty() || !FileExists(config)) {
        DeleteFolderTree(own);  // made by this install a moment ago
        return false;
    }
    MarkInstalled(outcome, GetFlashPlayerPath());
    outcome.arguments = config;
    outcome.setupFolder = own;
    outcome.createdFolder = own;
    return true;
}

bool InstallPackageGame(const std::wstring& setupPath, const std::wstring& installFolder, HANDLE stopEvent,
                        VQInstallOutcome& outcome, bool& stopped) {
    if (setupPath.empty() || !FileExists(setupPath)) return false;
    std::unique_ptr<VQUnpackerOperation> operation(new VQUnpackerOperation(new VQSfxInstall(setupPath), installFolder));
    const VQInstallFolderSnapshot before(installFolder);
    if (!operation->StartThread()) return false;
    HANDLE waits[2] = {stopEvent, operation->GetThreadHandle()};
    const DWORD waited = ::WaitForMultipleObjects(2, waits, FALSE, INFINITE);
    if (waited == WAIT_OBJECT_0) {
        operation->Cancel();
        operation->WaitThread();
        stopped = true;
        return false;
    }
    operation->WaitThread();
    if (waited != WAIT_OBJECT_0 + 1 || !operation->IsSucceeded()) return false;
    const std::wstring program = operation->GetProgramPath();
    if (program.empty() || !FileExists(program)) return false;
    MarkInstalled(outcome, program);
    outcome.setupFolder = operation->GetInstallFolder();
    outcome.createdFolder = before.CreatedFolderOf(outcome.setupFolder.empty() ? program : outcome.setupFolder);
    outcome.arguments = operation->GetArguments();
    outcome.uninstallDigest = operation->GetUninstallDigest();
    return true;
}

void ApplyInstallOutcome(VQGameIcon* tile, const VQInstallOutcome& outcome) {
    if (tile == nullptr) return;
    VQGameIconData& data = tile->Data();
    if (!outcome.finished) {
        data.downloadedSubState = 2;
        tile->SetState(tile->GetState());
        return;
    }
    data.installSerial = 0;
    if (outcome.success) {
        data.runProgram = outcome.program;
        if (!outcome.arguments.empty()) data.runArguments = outcome.arguments;
        if (!outcome.setupFolder.empty()) data.setupFolder = outcome.setupFolder;
        data.createdFolder = outcome.createdFolder;
        if (!outcome.uninstallDigest.empty()) data.uninstallDigest = outcome.uninstallDigest;
        data.installTime = outcome.installTime;
        data.lastRunTime = 0;
        data.runCount = 0;
    }
    tile->SetState(outcome.success ? kTileInstalled : kTileNotInstalled);
    tile->SignalCompletion(outcome.success);
}

bool DeliverInstallOutcome(VQPaintManager* manager, WPARAM wParam, LPARAM lParam) {
    std::unique_ptr<VQInstallOutcome> outcome(reinterpret_cast<VQInstallOutcome*>(lParam));
    const uint64_t serial = static_cast<uint64_t>(wParam);
    if (manager == nullptr || serial == 0 || !outcome) return false;
    // Found by the number the install was queued with: the tile may have
    // gone since the worker posted, and another taken its address.
    for (int id = IdHotList; id <= IdSearchList; ++id) {
        VQControl* control = manager->FindControlById(id);
        VQIconList* list = control ? static_cast<VQIconList*>(control->GetInterface(ControlTypeIconList)) : nullptr;
        if (list == nullptr) continue;
        for (VQGameIcon* tile : list->GetTiles()) {
            if (tile == nullptr || tile->Data().installSerial != serial) continue;
            ApplyInstallOutcome(tile, *outcome);
            return true;
        }
    }
    return false;
}

VQInstallQueue::VQInstallQueue() : VQInstallQueue(Environment()) {}

VQInstallQueue::VQInstallQueue(const Environment& environment)
    : m_environment(environment), m_lock(new CRITICAL_SECTION) {
    ::InitializeCriticalSection(m_lock);
    m_stopEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (m_stopEvent == nullptr) (void)::GetLastError();  // noted only: stop then waits on the thread alone
    m_semaphore = ::CreateSemaphoreW(nullptr, 0, kMaxQueuedSignals, nullptr);
}

VQInstallQueue::~VQInstallQueue() {
    // A worker Stop left running was told to stop and uses this queue to
    // its end (only at the process's end, when the window is long gone).
    if (m_thread != nullptr) {
        if (m_stopEvent != nullptr) ::SetEvent(m_stopEvent);
        m_thread->Wait();
        delete m_thread;
    }
    ::DeleteCriticalSection(m_lock);
    delete m_lock;
    if (m_semaphore != nullptr) ::CloseHandle(m_semaphore);
    if (m_stopEvent != nullptr) ::CloseHandle(m_stopEvent);
}

bool VQInstallQueue::Push(VQGameIcon* tile) {
    if (tile == nullptr || Contains(tile)) return false;
    tile->Data().downloadedSubState = 3;
    tile->SetState(tile->GetState());
    VQPaintManager* manager = tile->GetManager();
    Job job{tile, 0, tile->GetGameId(), tile->Data().setupPath, manager ? manager->GetPaintWindow() : nullptr};
    VQLockHolder hold(m_lock);
    job.serial = ++m_lastSerial;
    tile->Data().installSerial = job.serial;
    if (job.host == nullptr) job.host = m_reportWindow;
    m_jobs.push_back(job);
    ::ReleaseSemaphore(m_semaphore, 1, nullptr);
    // Started under the lock: a worker that found the vector empty has
    // already cleared its flag, so this tile is never left without one.
    EnsureWorkerLocked();
    return true;
}

bool VQInstallQueue::Contains(VQGameIcon* tile) {
    if (tile == nullptr || tile->Data().installSerial == 0) return false;
    const uint64_t serial = tile->Data().installSerial;
    VQLockHolder hold(m_lock);
    for (const Job& queued : m_jobs)
        if (queued.serial == serial) return true;
    return false;
}

void VQInstallQueue::Forget(VQGameIcon* tile) {
    if (tile == nullptr || tile->Data().installSerial == 0) return;
    const uint64_t serial = tile->Data().installSerial;
    tile->Data().installSerial = 0;
    VQLockHolder hold(m_lock);
    for (auto it = m_jobs.begin(); it != m_jobs.end(); ++it) {
        if (it->serial != serial) continue;
        // The head may be installing (its signal is taken); a job behind it
        // still has its signal waiting, which goes with it.
        if (it != m_jobs.begin()) ::WaitForSingleObject(m_semaphore, 0);
        m_jobs.erase(it);
        return;
    }
}

bool VQInstallQueue::IsWorkerRunning() {
    VQLockHolder hold(m_lock);
    return m_running;
}

void VQInstallQueue::SetReportWindow(HWND window) {
    VQLockHolder hold(m_lock);
    m_reportWindow = window;
}

size_t VQInstallQueue::Count() {
    VQLockHolder hold(m_lock);
    return m_jobs.size();
}

bool VQInstallQueue::EnsureWorkerLocked() {
    if (m_running) return true;
    if (m_thread != nullptr) {
        m_thread->Wait();  // an ended worker's last steps; it holds no lock there
        delete m_thread;
    }
    m_thread = new VQThread(&VQInstallQueue::RunInstallJob, this);
    m_running = m_thread->Start();
    return m_running;
}

void VQInstallQueue::Stop() {
    VQThread* thread = nullptr;
    {
        VQLockHolder hold(m_lock);
        thread = m_thread;
        m_thread = nullptr;
        if (m_running && m_stopEvent != nullptr) ::SetEvent(m_stopEvent);
    }
    if (thread != nullptr && !thread->WaitUpTo(kStopWaitMs)) {
        // Still busy: it keeps the event set and its place (no new worker
        // starts while its flag says it runs), and ends on its own.
        VQLockHolder hold(m_lock);
        if (m_thread == nullptr) m_thread = thread;
        else delete thread;
        m_jobs.clear();
        return;
    }
    delete thread;
    VQLockHolder hold(m_lock);
    m_running = false;
    m_jobs.clear();
    if (m_stopEvent != nullptr) ::ResetEvent(m_stopEvent);
    while (::WaitForSingleObject(m_semaphore, 0) == WAIT_OBJECT_0) {
    }
}

std::wstring VQInstallQueue::InstallFolder() const {
    return m_environment.installFolder ? m_environment.installFolder() : CurrentRuntimeInstallFolder();
}

void VQInstallQueue::RunInstallJob(void* queue) { static_cast<VQInstallQueue*>(queue)->WorkerLoop(); }

void VQInstallQueue::WorkerLoop() {
    for (;;) {
        HANDLE waits[2] = {m_stopEvent, m_semaphore};
        const DWORD waited = m_stopEvent != nullptr ? ::WaitForMultipleObjects(2, waits, FALSE, INFINITE)
                                                    : ::WaitForSingleObject(m_semaphore, INFINITE) + 1;
        Job job{};
        {
            VQLockHolder hold(m_lock);
            // Every way out clears the flag, so a later Push starts a new worker.
            if (waited != WAIT_OBJECT_0 + 1 || m_jobs.empty() || m_jobs.front().tile == nullptr) {
                m_running = false;
                return;
            }
            job = m_jobs.front();
        }
        VQInstallOutcome outcome;
        Report(job, outcome);
        bool stopped = false;
        outcome.success = InstallOne(job, outcome, stopped);
        if (stopped) {
            VQLockHolder hold(m_lock);
            m_running = false;
            return;  // the tile stays queued; Stop forgets it
        }
        outcome.finished = true;
        bool drained = false;
        {
            VQLockHolder hold(m_lock);
            for (auto it = m_jobs.begin(); it != m_jobs.end(); ++it) {
                if (it->serial == job.serial) {
                    m_jobs.erase(it);
                    break;
                }
            }
            drained = m_jobs.empty();
        }
        if (outcome.success) {
            if (m_environment.installed)
                m_environment.installed(job.gameId, job.setupPath);
            else
                (m_environment.cache ? *m_environment.cache : GetDownloadCache())
                    .RecordInstalledFile(job.gameId, job.setupPath);
        }
        Report(job, outcome);
        if (drained) {
            VQLockHolder hold(m_lock);
            // A Push between the two locks found the flag still set and
            // left its tile to this worker.
            if (m_jobs.empty()) {
                m_running = false;
                return;
            }
        }
    }
}

void VQInstallQueue::Report(const Job& job, const VQInstallOutcome& outcome) {
    VQInstallOutcome numbered(outcome);
    numbered.serial = job.serial;
    if (m_environment.report) {
        m_environment.report(job.tile, numbered);
        return;
    }
    if (job.host == nullptr) return;
    VQInstallOutcome* posted = new (std::nothrow) VQInstallOutcome(numbered);
    if (posted == nullptr) return;
    if (!::PostMessageW(job.host, kMsgInstallOutcome, static_cast<WPARAM>(job.serial),
                        reinterpret_cast<LPARAM>(posted)))
        delete posted;
}

bool VQInstallQueue::InstallOne(const Job& job, VQInstallOutcome& outcome, bool& stopped) {
    try {
        const std::wstring folder = InstallFolder();
        if (IsFlashGameId(job.gameId))
            return InstallFlashGame(job.gameId, job.setupPath, folder, m_stopEvent, outcome, stopped);
        if (IsPackageFile(job.setupPath)) return InstallPackageGame(job.setupPath, folder, m_stopEvent, outcome, stopped);
        return RunInstallerJob(job.setupPath, folder, m_stopEvent, outcome, stopped);
    } catch (...) {
        return false;  // this install failed; the queue goes on
    }
}

VQInstallQueue& GetInstallQueue() {
    static VQInstallQueue queue;
    return queue;
}

}  // namespace Tessar
