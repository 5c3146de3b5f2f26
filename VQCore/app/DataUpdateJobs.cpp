#include "VQCore/app/DataUpdateJobs.h"

#include "VQCore/gamelib/AppPaths.h"
#include "VQCore/gamelib/DatabaseXmlFile.h"
#include "common/ServerAddresses.h"
#include "common/Thread.h"

#include <atomic>
#include <mutex>

namespace Tessar {

namespace {

std::mutex g_jobLock;  // guards g_jobForTests
VQUpdateJob g_jobForTests;

bool IsStopping(HANDLE stopEvent) {
    return stopEvent != nullptr && WaitForSingleObject(stopEvent, 0) == WAIT_OBJECT_0;
}

// The catalogue: an increment from the update server, or a full copy.
bool UpdateDatabase(HANDLE stopEvent) {
    VQDatabaseXmlFile database(GetDatabasePath());
    database.Load();
    if (IsStopping(stopEvent)) return false;
    bool changed = false;
    bool incremental = true;
    return database.UpdateFromServer(MakeSoftRequest(kUpdateDatabaseEndpoint), changed, incremental);
}

bool RunRealJob(uint32_t jobId, HANDLE stopEvent, HWND window) {
    if (IsStopping(stopEvent)) return false;
    switch (jobId) {
    case kJobDatabase:
        return UpdateDatabase(stopEvent);
    case kJobAdvertList:
    case kJobHotList:
        // The recommendation lists are refreshed with the game lists; until
        // then there is nothing to fetch.
        return true;
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
    try {
        if (job) return job(jobId, stopEvent, window);
        return RunRealJob(jobId, stopEvent, window);
    } catch (...) {
        return false;
    }
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

}  // namespace Tessar
