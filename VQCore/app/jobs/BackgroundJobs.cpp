#include "VQCore/app/jobs/BackgroundJobs.h"

#include "VQCore/app/pages/GameIcon.h"
#include "VQCore/app/pages/GameListState.h"
#include "VQCore/app/jobs/IconFetch.h"
#include "VQCore/app/mainwindow/MarloxWnd.h"
#include "VQCore/app/pages/RecommendXmlFile.h"
#include "VQCore/gamelib/AppPaths.h"
#include "VQCore/gamelib/DatabaseXmlFile.h"
#include "VQCore/gamelib/GameId.h"
#include "common/ServerAddresses.h"
#include "common/Thread.h"

namespace Tessar {

namespace {

const size_t kManyIcons = 100;
const int kListTries = 4;
const DWORD kListRetryPause = 1000;

enum : size_t { kAdvertSlot = 0, kHotSlot = 1, kIconSlot = 2 };

struct ListJob {
    int kind;
    HWND window;
    VQSharedEvent stopEvent;
};

bool IsStopping(const VQSharedEvent& stopEvent) {
    return stopEvent && WaitForSingleObject(stopEvent->Get(), 0) == WAIT_OBJECT_0;
}

// The hot list's tiles go to the window's hot page; it owns them once the
// message is taken.
void PostHotTiles(HWND window, VQTileList tiles) {
    VQTileList* posted = new (std::nothrow) VQTileList(std::move(tiles));
    if (posted == nullptr) return;
    if (window && PostMessageW(window, kMsgHotListTiles, reinterpret_cast<WPARAM>(posted), 0)) return;
    for (VQGameIcon* tile : *posted) delete tile;
    delete posted;
}

void RunListJob(void* argument) {
    std::unique_ptr<ListJob> job(static_cast<ListJob*>(argument));
    const bool hot = job->kind == VQRecommendXmlFile::HotList;
    const std::wstring request = MakeSoftRequest(hot ? kUpdateHotEndpoint : kUpdateAdvertEndpoint);
    // The catalogue is read only once a hot list has come: the job runs
    // beside the start-up's first paint, and a list that does not come
    // needs no catalogue.
    VQDatabaseXmlFile database(GetDatabasePath());
    bool databaseRead = false;
    VQRecommendXmlFile file(hot ? GetHotListPath() : GetAdvertListPath(), static_cast<uint32_t>(job->kind));
    file.Load();
    for (int attempt = 0; attempt < kListTries; ++attempt) {
        if (IsStopping(job->stopEvent)) return;
        if (!file.Refresh(request)) {
            // The pause ends early on a stop.
            if (job->stopEvent) WaitForSingleObject(job->stopEvent->Get(), kListRetryPause);
            continue;
        }
        if (!hot) return;
        if (!databaseRead) {
            databaseRead = database.Load();
            if (!databaseRead) return;
        }
        VQGameListState state;
        state.Init(&database);
        if (state.LoadHotIcons()) {
            PostHotTiles(job->window, state.GetHotIds());
            return;
        }
        state.DeleteTiles();
    }
}

struct IconJobRun {
    VQIconJob job;
    VQSharedEvent stopEvent;  // keeps job.stopEvent open while the job runs
};

void RunIconJobThread(void* argument) {
    std::unique_ptr<IconJobRun> run(static_cast<IconJobRun*>(argument));
    RunIconJob(run->job);
}

}  // namespace

uint32_t ComputeIconFetchMask(const std::vector<uint32_t>& missingIds, bool firstRun) {
    if (missingIds.empty()) return 0;
    if (firstRun) return kFetchFlashPackage | kFetchClientPackage;
    size_t client = 0, flash = 0, others = 0;
    for (uint32_t id : missingIds) {
        if (IsSingleGameId(id) || IsOnlineGameId(id))
            ++client;
        else if (IsFlashGameId(id))
            ++flash;
        else
            ++others;
    }
    uint32_t mask = 0;
    if (client > 0) mask |= kFetchSingleIcons;
    if (client > kManyIcons) mask |= kFetchClientPackage;
    if (flash > 0) mask |= kFetchSingleIcons;
    if (flash > kManyIcons) mask |= kFetchFlashPackage;
    if (others > 0) mask |= kFetchSingleIcons;
    return mask;
}

VQBackgroundJobs::VQBackgroundJobs() : m_stopEvent(MakeSharedEvent(true)) {}

VQBackgroundJobs::~VQBackgroundJobs() { Stop(); }

bool VQBackgroundJobs::StartThread(size_t slot, void (*function)(void*), void* argument) {
    std::unique_ptr<VQThread>& thread = m_threads[slot];
    // The last run of this job keeps its place while it runs: the window
    // does not wait for a fetch.
    if (thread && thread->IsRunning()) return false;
    if (!m_stopEvent) return false;  // stopped: nothing starts any more
    thread.reset(new (std::nothrow) VQThread(function, argument));
    if (thread && thread->Start()) return true;
    thread.reset();
    return false;
}

bool VQBackgroundJobs::StartListDownload(int kind, HWND window) {
    if (kind != VQRecommendXmlFile::AdvertList && kind != VQRecommendXmlFile::HotList) return false;
    ListJob* job = new ListJob{kind, window, m_stopEvent};
    if (StartThread(kind == VQRecommendXmlFile::HotList ? kHotSlot : kAdvertSlot, &RunListJob, job)) return true;
    delete job;
    return false;
}

bool VQBackgroundJobs::StartIconDownload(uint32_t mask, const std::vector<uint32_t>& ids, HWND window) {
    IconJobRun* run = new IconJobRun;
    run->job.mask = mask;
    run->job.ids = ids;
    run->stopEvent = m_stopEvent;
    run->job.stopEvent = m_stopEvent ? m_stopEvent->Get() : nullptr;
    run->job.workFolder = m_iconWorkFolder;
    run->job.onPicture = [window](uint32_t gameId, const std::wstring& path) {
        PostGamePicture(window, gameId, IconImageText(path));
    };
    if (StartThread(kIconSlot, &RunIconJobThread, run)) return true;
    delete run;
    return false;
}

void VQBackgroundJobs::Stop() {
    if (m_stopEvent) SetEvent(m_stopEvent->Get());
    // A list job waits on the server between two tries; the shutdown waits
    // for the jobs a bounded time together and then goes on without them.
    const VQWaitBudget budget(kStopWaitMs);
    for (auto& thread : m_threads) {
        if (thread) thread->WaitUpTo(budget.Left());
        thread.reset();
    }
    // A job that still runs keeps polling its own hold of the event.
    m_stopEvent.reset();
}

}  // namespace Tessar
