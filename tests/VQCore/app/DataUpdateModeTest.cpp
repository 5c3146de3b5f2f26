#include "VQCore/app/DataUpdateJobs.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace Tessar
