#include "VQCore/app/jobs/DataUpdateJobs.h"

#include <gtest/gtest.h>

#include "VQCore/gamelib/Settings.h"

#include <atomic>
#include <mutex>
#include <vector>

namespace Tessar {
namespace {

class DataUpdateModeTest : public ::testing::Test {
protected:
    void TearDown() override { SetUpdateJobForTests(VQUpdateJob()); }
};

TEST_F(DataUpdateModeTest, RunsTheThreeJobsInOrder) {
    std::mutex lock;
    std::vector<uint32_t> order;
    SetUpdateJobForTests([&](uint32_t job, HANDLE, HWND) {
        std::lock_guard<std::mutex> hold(lock);
        order.push_back(job);
        return true;
    });
    EXPECT_TRUE(RunDataUpdateJobs(60000));
    std::vector<uint32_t> expected = {kJobAdvertList, kJobHotList, kJobDatabase};
    EXPECT_EQ(expected, order);
}

// A job still busy when the time is up is asked to stop and is waited for:
// it finishes what it writes (here: a step after it saw the stop event),
// and the jobs after it do not start.
TEST_F(DataUpdateModeTest, ASlowJobIsAskedToStopAndFinishesItsWrite) {
    std::atomic<int> started{0};
    std::atomic<bool> sawStop{false};
    std::atomic<bool> finishedWrite{false};
    SetUpdateJobForTests([&](uint32_t job, HANDLE stop, HWND) {
        ++started;
        // Waits for the stop event as a long download would, with a generous bound.
        if (WaitForSingleObject(stop, 120000) != WAIT_OBJECT_0) return true;
        sawStop = true;
        Sleep(50);  // the save in progress completes
        finishedWrite = true;
        return false;
    });
    EXPECT_FALSE(RunDataUpdateJobs(100));
    EXPECT_TRUE(sawStop.load());
    EXPECT_TRUE(finishedWrite.load());
    EXPECT_EQ(1, started.load());
}

TEST_F(DataUpdateModeTest, AFailingJobDoesNotKeepTheOthersFromRunning) {
    std::atomic<int> runs{0};
    SetUpdateJobForTests([&](uint32_t job, HANDLE, HWND) {
        ++runs;
        return job != kJobHotList;
    });
    EXPECT_FALSE(RunDataUpdateJobs(60000));
    EXPECT_EQ(3, runs.load());
}

TEST_F(DataUpdateModeTest, AThrowingJobCountsAsFailed) {
    SetUpdateJobForTests([&](uint32_t, HANDLE, HWND) -> bool { throw 1; });
    EXPECT_FALSE(RunUpdateJob(kJobDatabase, nullptr, nullptr));
}

// A job that did its work stamps its day; a failed one keeps the old
// stamp, so that it runs again at the next firing.
TEST_F(DataUpdateModeTest, OnlyASuccessfulJobStampsItsDay) {
    const struct {
        const char* name;
        uint32_t job;
        const wchar_t* key;
        bool ok;
    } cases[] = {
        {"catalogue done", kJobDatabase, L"UpdateDatabaseTime", true},
        {"advert list failed", kJobAdvertList, L"UpdateAdvertTime", false},
        {"hot list done", kJobHotList, L"UpdateHotTime", true},
    };
    for (const auto& c : cases) {
        const std::wstring saved = VQSettings::Instance().GetString(c.key);
        VQSettings::Instance().SetString(c.key, L"12345");
        SetUpdateJobForTests([&](uint32_t, HANDLE, HWND) { return c.ok; });
        EXPECT_EQ(c.ok, RunUpdateJob(c.job, nullptr, nullptr)) << c.name;
        EXPECT_EQ(!c.ok, VQSettings::Instance().GetString(c.key) == L"12345") << c.name;
        VQSettings::Instance().SetString(c.key, saved);
    }
}

}  // namespace
}  // namespace Tessar
