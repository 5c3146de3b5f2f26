// The download queue over stand-in tasks that only log what is asked of
// them: the running limit, removal, the events it raises and the shared
// speed limit.
#include "VQCore/download/DownloadQueue.h"

#include "VQCore/download/HttpTask.h"
#include "tests/VQCore/download/DownloadObserver.h"

#include <gtest/gtest.h>

namespace Tessar {
namespace Test {
namespace {

struct TaskLog {
    int starts = 0;
    int stops = 0;
    int releases = 0;
};

class FakeTask : public VQDownloadTask {
public:
    FakeTask(uint32_t id, uint32_t kind, TaskLog& log, bool startResult = true)
        : VQDownloadTask(id, kind, L"C:\\cache"), m_log(log), m_startResult(startResult) {}

    bool Start() override {
        ++m_log.starts;
        if (m_startResult)
            SetState(kTaskRunning);
        return m_startResult;
    }
    bool Stop() override {
        ++m_log.stops;
        SetState(kTaskStopped);
        return true;
    }
    void Release() override {
        ++m_log.releases;
        delete this;
    }

private:
    TaskLog& m_log;
    bool m_startResult;
};

TEST(DownloadQueueTest, StartNextKeepsToTheRunningLimit) {
    struct Case {
        const char* name;
        uint32_t limit;
        uint32_t running;  // tasks already running
        bool startResult;
        bool expected;
        uint32_t state;  // of the task afterwards
        int starts;
    } cases[] = {
        {"room", 2, 1, true, true, kTaskRunning, 1},
        {"room, start fails", 2, 1, false, false, kTaskStopped, 1},
        {"limit reached", 2, 2, true, false, kTaskWaiting, 0},
        {"limit 0", 0, 0, true, false, kTaskWaiting, 0},
    };
    for (const Case& c : cases) {
        VQRecordingObserver observer;
        VQDownloadQueue queue(&observer, c.limit);
        TaskLog log;
        for (uint32_t i = 0; i < c.running; ++i) {
            FakeTask* running = new FakeTask(100 + i, kHttpTaskKind, log);
            queue.Add(running);
            running->SetState(kTaskRunning);
        }
        TaskLog taskLog;
        FakeTask* task = new FakeTask(7, kHttpTaskKind, taskLog, c.startResult);
        ASSERT_TRUE(queue.Add(task)) << c.name;
        observer.Clear();
        EXPECT_EQ(c.expected, queue.StartNext(task)) << c.name;
        EXPECT_EQ(c.state, task->GetState()) << c.name;
        EXPECT_EQ(c.starts, taskLog.starts) << c.name;
        std::vector<VQRecordedEvent> events = observer.Events();
        if (c.state == kTaskStopped) {
            EXPECT_TRUE(events.empty()) << c.name;
        } else {
            ASSERT_EQ(1u, events.size()) << c.name;
            EXPECT_EQ(kDownloadEventState, events[0].code) << c.name;
            EXPECT_EQ(7u, events[0].taskId) << c.name;
            EXPECT_EQ(c.state, events[0].value) << c.name;
        }
    }
}

TEST(DownloadQueueTest, StartNextLeavesARunningTaskAlone) {
    VQRecordingObserver observer;
    VQDownloadQueue queue(&observer, 1);
    TaskLog log;
    FakeTask* task = new FakeTask(1, kHttpTaskKind, log);
    queue.Add(task);
    ASSERT_TRUE(queue.StartNext(task));
    observer.Clear();
    // The limit is reached by the task itself: parking it would hide it
    // from the running count.
    EXPECT_FALSE(queue.StartNext(task));
    EXPECT_EQ(kTaskRunning, task->GetState());
    EXPECT_EQ(1, log.starts);
    EXPECT_TRUE(observer.Events().empty());
}

TEST(DownloadQueueTest, AddTakesEachTaskOnce) {
    VQDownloadQueue queue(nullptr, 1);
    TaskLog log;
    FakeTask* task = new FakeTask(1, kHttpTaskKind, log);
    EXPECT_FALSE(queue.Add(nullptr));
    EXPECT_TRUE(queue.Add(task));
    EXPECT_TRUE(queue.Add(task));
    EXPECT_EQ(1u, queue.GetTasks().size());
    EXPECT_EQ(&queue, task->GetOwner());
    EXPECT_EQ(0, log.starts);
    EXPECT_EQ(kTaskStopped, task->GetState());
    EXPECT_TRUE(queue.RemoveAll());
    EXPECT_EQ(1, log.releases);
}

TEST(DownloadQueueTest, RemoveDetachesStopsAndReleases) {
    struct Case {
        const char* name;
        uint32_t state;
        bool keep;
        int stops;
        int releases;
    } cases[] = {
        {"running, released", kTaskRunning, false, 1, 1},
        {"waiting, released", kTaskWaiting, false, 1, 1},
        {"stopped: no Stop", kTaskStopped, false, 0, 1},
        {"finished, kept", kTaskFinished, true, 1, 0},
    };
    for (const Case& c : cases) {
        VQRecordingObserver observer;
        VQDownloadQueue queue(&observer, 4);
        TaskLog log;
        FakeTask* task = new FakeTask(5, kHttpTaskKind, log);
        queue.Add(task);
        task->SetState(c.state);
        observer.Clear();
        EXPECT_TRUE(queue.Remove(task, c.keep)) << c.name;
        EXPECT_EQ(c.stops, log.stops) << c.name;
        EXPECT_EQ(c.releases, log.releases) << c.name;
        EXPECT_TRUE(queue.GetTasks().empty()) << c.name;
        // Detached before it was stopped: the stop raised nothing.
        EXPECT_TRUE(observer.Events().empty()) << c.name;
        if (c.keep) {
            EXPECT_EQ(nullptr, task->GetOwner()) << c.name;
            task->SetState(kTaskRunning);
            EXPECT_TRUE(observer.Events().empty()) << c.name;
            task->Release();
        }
    }
}

TEST(DownloadQueueTest, RemoveOfATaskItDoesNotHoldTouchesNothing) {
    VQDownloadQueue queue(nullptr, 1);
    VQDownloadQueue other(nullptr, 1);
    TaskLog log;
    FakeTask* task = new FakeTask(9, kHttpTaskKind, log);
    other.Add(task);
    task->SetState(kTaskRunning);
    EXPECT_FALSE(queue.Remove(task, false));
    EXPECT_EQ(0, log.stops);
    EXPECT_EQ(0, log.releases);
    EXPECT_EQ(&other, task->GetOwner());
    EXPECT_EQ(kTaskRunning, task->GetState());
}

TEST(DownloadQueueTest, RemoveAllAndTheDestructorReleaseEveryTask) {
    TaskLog log;
    VQRecordingObserver observer;
    {
        VQDownloadQueue queue(&observer, 2);
        const uint32_t states[] = {kTaskRunning, kTaskWaiting, kTaskStopped, kTaskFailed};
        for (uint32_t i = 0; i < 4; ++i) {
            FakeTask* task = new FakeTask(i + 1, kHttpTaskKind, log);
            queue.Add(task);
            task->SetState(states[i]);
        }
        observer.Clear();
        EXPECT_TRUE(queue.RemoveAll());
        EXPECT_EQ(3, log.stops);
        EXPECT_EQ(4, log.releases);
        EXPECT_TRUE(queue.GetTasks().empty());
        EXPECT_TRUE(observer.Events().empty());

        queue.Add(new FakeTask(20, kHttpTaskKind, log));
        queue.Add(new FakeTask(21, kBTTaskKind, log));
    }
    EXPECT_EQ(6, log.releases);
}

TEST(DownloadQueueTest, CountsRunningAndActiveTasks) {
    struct Case {
        std::vector<uint32_t> states;
        uint32_t running;
        bool active;
    } cases[] = {
        {{}, 0, false},
        {{kTaskStopped, kTaskFinished, kTaskFailed}, 0, false},
        {{kTaskStopped, kTaskWaiting}, 0, true},
        {{kTaskRunning, kTaskRunning, kTaskFailed}, 2, true},
    };
    for (size_t n = 0; n < sizeof(cases) / sizeof(cases[0]); ++n) {
        VQDownloadQueue queue(nullptr, 3);
        TaskLog log;
        for (uint32_t state : cases[n].states) {
            FakeTask* task = new FakeTask(1, kHttpTaskKind, log);
            queue.Add(task);
            task->SetState(state);
        }
        EXPECT_EQ(cases[n].running, queue.RunningCount()) << "case " << n;
        EXPECT_EQ(cases[n].active, queue.HasActive()) << "case " << n;
    }
}

TEST(DownloadQueueTest, SharesTheSpeedLimitAmongRunningTasks) {
    struct Case {
        const char* name;
        uint32_t limit;
        std::vector<std::pair<uint32_t, uint32_t>> tasks;  // kind, state
        uint32_t share;                                    // of each running HTTP task
    } cases[] = {
        {"three HTTP", 100, {{1, kTaskRunning}, {1, kTaskRunning}, {1, kTaskRunning}}, 34},
        {"two HTTP and one peer-to-peer", 100, {{1, kTaskRunning}, {2, kTaskRunning}, {1, kTaskRunning}}, 34},
        {"one running, others not", 100, {{1, kTaskRunning}, {1, kTaskWaiting}, {1, kTaskStopped}}, 100},
        {"other kinds are not counted", 90, {{1, kTaskRunning}, {7, kTaskRunning}}, 90},
        {"no limit", 0, {{1, kTaskRunning}, {1, kTaskRunning}}, 0},
    };
    for (const Case& c : cases) {
        VQDownloadQueue queue(nullptr, 8, c.limit);
        TaskLog log;
        std::vector<VQDownloadTask*> tasks;
        for (const auto& kindAndState : c.tasks) {
            FakeTask* task = new FakeTask(1, kindAndState.first, log);
            queue.Add(task);
            task->SetState(kindAndState.second);
            task->SetSpeedShare(777);
            tasks.push_back(task);
        }
        queue.ShareSpeedLimit();
        for (VQDownloadTask* task : tasks) {
            bool shares = task->GetState() == kTaskRunning && task->GetKind() == kHttpTaskKind;
            EXPECT_EQ(shares ? c.share : 777u, task->GetSpeedShare()) << c.name;
        }
    }
}

TEST(DownloadQueueTest, NoRunningTaskLeavesSharesAsTheyAre) {
    VQDownloadQueue queue(nullptr, 2, 100);
    TaskLog log;
    FakeTask* task = new FakeTask(1, kHttpTaskKind, log);
    queue.Add(task);
    task->SetSpeedShare(5);
    queue.ShareSpeedLimit();
    EXPECT_EQ(5u, task->GetSpeedShare());
}

TEST(DownloadQueueTest, AnHttpTaskReadsItsShareAsTheDownloadersLimit) {
    VQDownloadQueue queue(nullptr, 2, 0);
    VQHttpTask* task = new VQHttpTask(3, L"C:\\cache", L"");
    queue.Add(task);
    task->SetState(kTaskRunning);
    uint32_t limit = 12345;
    queue.ShareSpeedLimit();
    EXPECT_EQ(1u, task->GetSpeedLimit(&limit));
    EXPECT_EQ(12345u, limit);
    queue.SetSpeedLimit(100);
    queue.ShareSpeedLimit();
    EXPECT_EQ(0u, task->GetSpeedLimit(&limit));
    EXPECT_EQ(100u, limit);
    task->SetState(kTaskStopped);
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
