#include "VQCore/app/jobs/DataUpdateJobs.h"

#include "VQCore/app/pages/GameIcon.h"
#include "VQCore/app/jobs/IconFetch.h"
#include "VQCore/app/mainwindow/MarloxWnd.h"
#include "VQCore/app/pages/RecommendXmlFile.h"
#include "VQCore/app/start/ResourceString.h"
#include "VQCore/app/mainwindow/TrayIcon.h"
#include "VQCore/app/jobs/UpdateSchedule.h"
#include "VQCore/gamelib/AppPaths.h"
#include "VQCore/gamelib/DatabaseXmlFile.h"
#include "common/FileUtil.h"
#include "common/PathText.h"
#include "common/ServerAddresses.h"
#include "common/Thread.h"

#include <atomic>
#include <mutex>

namespace Tessar {

namespace {

std::mutex g_jobLock;  // guards g_jobForTests
VQUpdateJob g_jobForTests;

const int kDatabaseTries = 4;
const DWORD kDatabaseRetryPause = 1000;
const DWORD kRepairFailedPause = 2000;
enum : UINT { kStringRepairing = 1062, kStringRepairFailed = 1063, kStringRepaired = 1064 };

bool IsStopping(HANDLE stopEvent) {
    return stopEvent != nullptr && WaitForSingleObject(stopEvent, 0) == WAIT_OBJECT_0;
}

std::wstring TypedRequest(VQEndpoint endpoint, HWND window) {
    return MakeSoftRequest(endpoint) + (window ? L"&type=1" : L"&type=0");
}

// The search index is rebuilt from the new catalogue when next needed.
void DropSearchIndex() {
    const std::wstring index = GetSearchIndexPath();
    if (FileExists(index)) DeleteFileClearReadOnly(index);
}

// What the increment changed for the open window: tiles of the games it
// published, with their pictures, and the names of all games, posted to the
// window, which owns the tiles once the message is taken. A picture fetched
// here goes to every tile of its game the window already shows as well.
void AnnounceCatalogueChange(const VQDatabaseXmlFile& database, HWND window, HANDLE stopEvent) {
    VQGameListState state;
    state.Init(&database);
    state.LoadRecommendIcons(true);
    std::unique_ptr<VQCatalogueNews> news(new VQCatalogueNews);
    news->kinds[0] = state.GetSingleGameIds();
    news->kinds[1] = state.GetOnlineGameIds();
    news->kinds[2] = state.GetFlashGameIds();
    news->kinds[3] = state.GetWebGameIds();
    news->kinds[4] = state.GetToolIds();
    const uint32_t tipOrder[5] = {0, 1, 3, 2, 4};  // single, online, web, flash, tools
    for (int i = 0; i < 5; ++i) {
        news->counts[i] = static_cast<uint32_t>(news->kinds[tipOrder[i]].size());
        news->total += news->counts[i];
    }
    for (const auto& game : database.GetGames())
        if (game.second) news->names[game.first] = game.second->GameName;
    // The tiles are still the job's own: their pictures are set here.
    for (VQGameIcon* missing : state.GetMissingIconIds()) {
        if (IsStopping(stopEvent)) break;
        const uint32_t id = missing->GetGameId();
        if (!FetchGameIcon(id) || !FileExists(GetGameIconPath(id))) continue;
        const std::wstring image = IconImageText(GetGameIconPath(id));
        for (VQTileList& kind : news->kinds)
            for (VQGameIcon* tile : kind)
                if (tile->GetGameId() == id) tile->SetImage(image);
        PostGamePicture(window, id, image);
    }
    if (PostMessageW(window, kMsgCatalogueNews, reinterpret_cast<WPARAM>(news.get()), 0)) {
        news.release();
    } else {
        for (VQTileList& kind : news->kinds)
            for (VQGameIcon* tile : kind) delete tile;
    }
}

// The catalogue: an increment from the update server, or a full copy when
// the local one does not load (which leaves the pages alone). Whatever
// changed it, the search index goes, so the next search rebuilds it from
// the new catalogue.
bool UpdateDatabase(HANDLE stopEvent, HWND window) {
    VQDatabaseXmlFile database(GetDatabasePath());
    bool incremental = database.Load();
    if (IsStopping(stopEvent)) return false;
    const std::wstring request = TypedRequest(kUpdateDatabaseEndpoint, window);
    bool changed = false;
    const bool ok = incremental ? database.UpdateFromServer(request, changed, incremental)
                                : database.Download(request, nullptr, changed);
    if (!ok || !changed) return ok;
    if (incremental && window) AnnounceCatalogueChange(database, window, stopEvent);
    DropSearchIndex();
    return ok;
}

bool UpdateList(uint32_t jobId, HWND window) {
    const bool hot = jobId == kJobHotList;
    VQRecommendXmlFile file(hot ? GetHotListPath() : GetAdvertListPath(),
                            hot ? VQRecommendXmlFile::HotList : VQRecommendXmlFile::AdvertList);
    file.Load();
    return file.Refresh(TypedRequest(hot ? kUpdateHotEndpoint : kUpdateAdvertEndpoint, window));
}

bool RunRealJob(uint32_t jobId, HANDLE stopEvent, HWND window) {
    if (IsStopping(stopEvent)) return false;
    switch (jobId) {
    case kJobDatabase:
        return UpdateDatabase(stopEvent, window);
    case kJobAdvertList:
    case kJobHotList:
        return UpdateList(jobId, window);
    default:
        return false;
    }
}

struct DataUpdateRun {
    HANDLE stopEvent = nullptr;
    std::atomic<bool> ok{true};
};

void RunJobsInOrder(void* argument) {
    DataUpdateRun* run = static_cast<DataUpdateRun*>(argument);
    const uint32_t order[] = {kJobAdvertList, kJobHotList, kJobDatabase};
    for (uint32_t job : order) {
        if (IsStopping(run->stopEvent)) {
            run->ok = false;
            return;
        }
        if (!RunUpdateJob(job, run->stopEvent, nullptr)) run->ok = false;
    }
}

}  // namespace

bool RunUpdateJob(uint32_t jobId, HANDLE stopEvent, HWND window) {
    VQUpdateJob job;
    {
        std::lock_guard<std::mutex> hold(g_jobLock);
        job = g_jobForTests;
    }
    bool ok = false;
    try {
        ok = job ? job(jobId, stopEvent, window) : RunRealJob(jobId, stopEvent, window);
    } catch (...) {
        ok = false;
    }
    // A failed update keeps its old stamp, so it is tried again next time.
    if (ok) StampSettingNow(DataJobStampKey(jobId));
    return ok;
}

void SetUpdateJobForTests(const VQUpdateJob& job) {
    std::lock_guard<std::mutex> hold(g_jobLock);
    g_jobForTests = job;
}

bool RunDataUpdateJobs(DWORD waitMs) {
    DataUpdateRun run;
    run.stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    VQThread thread(&RunJobsInOrder, &run);
    if (!thread.Start()) {
        if (run.stopEvent) CloseHandle(run.stopEvent);
        return false;
    }
    HANDLE handle = thread.GetHandle();
    if (WaitForSingleObject(handle, waitMs) == WAIT_TIMEOUT) {
        // Too slow: ask the job to stop and let it finish what it writes.
        if (run.stopEvent) SetEvent(run.stopEvent);
        run.ok = false;
    }
    thread.Wait();
    if (run.stopEvent) CloseHandle(run.stopEvent);
    return run.ok;
}

bool DownloadDatabaseWithRetry(VQDatabaseXmlFile& database) {
    const std::wstring title = LoadResourceString(kStringAppTitle);
    ShowTrayBalloon(LoadResourceString(kStringRepairing), title);
    bool fetched = false;
    for (int attempt = 0; attempt < kDatabaseTries && !fetched; ++attempt) {
        if (attempt > 0) Sleep(kDatabaseRetryPause);
        bool changed = false;
        fetched = database.Download(MakeSoftRequest(kUpdateDatabaseEndpoint), nullptr, changed);
    }
    if (fetched) {
        DropSearchIndex();
        if (database.Load()) {
            ShowTrayBalloon(LoadResourceString(kStringRepaired), title);
            return true;
        }
    }
    ShowTrayBalloon(LoadResourceString(kStringRepairFailed), title);
    Sleep(kRepairFailedPause);
    return false;
}

}  // namespace Tessar
