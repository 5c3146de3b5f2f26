#include "VQCore/app/InstallQueue.h"

#include "VQCore/app/GameIcon.h"
#include "VQCore/app/RuntimeInstall.h"
#include "VQCore/download/DownloadCache.h"
#include "VQCore/download/GamePackage.h"
#include "VQCore/download/SfxInstall.h"
#include "VQCore/download/UnpackerOperation.h"
#include "VQCore/gamelib/AppPaths.h"
#include "common/PathText.h"
#include "common/SystemUtil.h"
#include "common/Thread.h"

#include <ctime>
#include <cwctype>
#include <memory>

namespace Tessar {

namespace {

// One unit per queued tile; far above any real queue so that no tile is
// ever pushed without its signal.
const LONG kMaxQueuedSignals = 0x7fffffff;

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
void MarkInstalled(VQGameIcon* tile, const std::wstring& program) {
    VQGameIconData& data = tile->Data();
    data.runProgram = program;
    data.installTime = _time64(nullptr);
    data.lastRunTime = 0;
    data.runCount = 0;
}

}  // namespace

bool IsFlashGameId(uint32_t gameId) { return gameId - 50001u <= 19998u; }

std::wstring GetGameFolderFromPath(const std::wstring& installFolder, const std::wstring& programPath) {
    if (installFolder.empty() || programPath.empty() || installFolder.size() >= programPath.size()) return L"";
    if (!EqualNoCase(installFolder, programPath, installFolder.size())) return L"";
    std::wstring rest = programPath.substr(installFolder.size());
    if (!rest.empty() && rest[0] == L'\\') rest.erase(0, 1);
    const size_t slash = rest.find(L'\\');
    if (slash == std::wstring::npos) return L"";
    return CombinePath(installFolder, rest.substr(0, slash));
}

bool RunInstallerJob(VQGameIcon* tile, const std::wstring& installFolder, HANDLE stopEvent, bool& stopped) {
    const std::wstring setupPath = tile->Data().setupPath;
    if (setupPath.empty() || !FileExists(setupPath)) return false;
    const std::wstring folder = HandshakeFolderText(installFolder);
    VQSetupReport report;
    const VQRuntimeInstallResult result = RunRuntimeInstaller(setupPath, folder, stopEvent, &report);
    if (result == VQRuntimeInstallResult::kStopped) stopped = true;
    if (result != VQRuntimeInstallResult::kInstalled) return false;
    if (report.path.empty() || !FileExists(report.path)) return false;
    MarkInstalled(tile, report.path);
    const std::wstring gameFolder = GetGameFolderFromPath(folder, report.path);
    if (!gameFolder.empty()) tile->Data().setupFolder = gameFolder;
    if (!report.param.empty()) tile->Data().runArguments = report.param;
    return true;
}

bool InstallFlashGame(VQGameIcon* tile, const std::wstring& installFolder) {
    const std::wstring setupPath = tile->Data().setupPath;
    if (setupPath.empty() || !FileExists(setupPath)) return false;
    VQGamePackage package;
    ExtractGamePackage(installFolder, package, setupPath);
    const std::wstring& swf = package.mainFilePath;
    if (swf.empty()) return false;
    const size_t slash = swf.find_last_of(L'\\');
    const std::wstring config = (slash == std::wstring::npos ? L"" : swf.substr(0, slash + 1)) + L"config.ini";
    if (!FileExists(config)) return false;
    MarkInstalled(tile, GetFlashPlayerPath());
    tile->Data().runArguments = config;
    return true;
}

bool InstallPackageGame(VQGameIcon* tile, const std::wstring& installFolder, HANDLE stopEvent, bool& stopped) {
    const std::wstring setupPath = tile->Data().setupPath;
    if (setupPath.empty() || !FileExists(setupPath)) return false;
    std::unique_ptr<VQUnpackerOperation> operation(new VQUnpackerOperation(new VQSfxInstall(setupPath), installFolder));
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
    MarkInstalled(tile, program);
    VQGameIconData& data = tile->Data();
    if (!operation->GetInstallFolder().empty()) data.setupFolder = operation->GetInstallFolder();
    if (!operation->GetArguments().empty()) data.runArguments = operation->GetArguments();
    data.uninstallDigest = operation->GetUninstallDigest();
    return true;
}

VQInstallQueue::VQInstallQueue() : VQInstallQueue(Environment()) {}

VQInstallQueue::VQInstallQueue(const Environment& environment)
    : m_environment(environment), m_lock(new CRITICAL_SECTION) {
    ::InitializeCriticalSection(m_lock);
    m_stopEvent = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (m_stopEvent == nullptr) (void)::GetLastError();  // noted only: stop then waits on the thread alone
    m_semaphore = ::CreateSemaphoreW(nullptr, 0, kMaxQueuedSignals, nullptr);
}

VQInstallQueue::~VQInstallQueue() {
    ::DeleteCriticalSection(m_lock);
    delete m_lock;
    if (m_semaphore != nullptr) ::CloseHandle(m_semaphore);
    if (m_stopEvent != nullptr) ::CloseHandle(m_stopEvent);
}

bool VQInstallQueue::Push(VQGameIcon* tile) {
    if (tile == nullptr || Contains(tile)) return false;
    tile->Data().downloadedSubState = 3;
    tile->SetState(tile->GetState());
    VQLockHolder hold(m_lock);
    m_tiles.push_back(tile);
    ::ReleaseSemaphore(m_semaphore, 1, nullptr);
    // Started under the lock: a worker that found the vector empty has
    // already cleared its flag, so this tile is never left without one.
    EnsureWorkerLocked();
    return true;
}

bool VQInstallQueue::Contains(VQGameIcon* tile) {
    VQLockHolder hold(m_lock);
    for (VQGameIcon* queued : m_tiles)
        if (queued == tile) return true;
    return false;
}

bool VQInstallQueue::IsWorkerRunning() {
    VQLockHolder hold(m_lock);
    return m_running;
}

size_t VQInstallQueue::Count() {
    VQLockHolder hold(m_lock);
    return m_tiles.size();
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
    if (thread != nullptr) {
        thread->Wait();
        delete thread;
    }
    VQLockHolder hold(m_lock);
    m_running = false;
    m_tiles.clear();
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
        VQGameIcon* tile = nullptr;
        {
            VQLockHolder hold(m_lock);
            // Every way out clears the flag, so a later Push starts a new worker.
            if (waited != WAIT_OBJECT_0 + 1 || m_tiles.empty() || m_tiles.front() == nullptr) {
                m_running = false;
                return;
            }
            tile = m_tiles.front();
        }
        bool stopped = false;
        const bool success = InstallOne(tile, stopped);
        if (stopped) {
            VQLockHolder hold(m_lock);
            m_running = false;
            return;  // the tile stays queued; Stop forgets it
        }
        tile->SetState(success ? 1 : 2);
        tile->SignalCompletion(success);
        if (success) {
            if (m_environment.installed)
                m_environment.installed(tile->GetGameId(), tile->Data().setupPath);
            else
                GetDownloadCache().StampEntry(tile->GetGameId(), tile->Data().setupPath);
        }
        {
            VQLockHolder hold(m_lock);
            for (auto it = m_tiles.begin(); it != m_tiles.end(); ++it) {
                if (*it == tile) {
                    m_tiles.erase(it);
                    break;
                }
            }
            if (m_tiles.empty()) {
                m_running = false;
                return;
            }
        }
    }
}

bool VQInstallQueue::InstallOne(VQGameIcon* tile, bool& stopped) {
    tile->Data().downloadedSubState = 2;
    tile->SetState(tile->GetState());
    try {
        const std::wstring folder = InstallFolder();
        if (IsFlashGameId(tile->GetGameId())) return InstallFlashGame(tile, folder);
        if (IsPackageFile(tile->Data().setupPath)) return InstallPackageGame(tile, folder, m_stopEvent, stopped);
        return RunInstallerJob(tile, folder, m_stopEvent, stopped);
    } catch (...) {
        return false;  // this install failed; the queue goes on
    }
}

VQInstallQueue& GetInstallQueue() {
    static VQInstallQueue queue;
    return queue;
}

}  // namespace Tessar
