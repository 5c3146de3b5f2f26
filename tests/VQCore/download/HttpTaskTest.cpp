// The HTTP task without a server: what it makes of the range downloader's
// reports, its end handling, stopping a parked task, the retry delay's
// steps and the deletion of its files.
#include "VQCore/download/HttpTask.h"

#include "VQCore/download/DownloadQueue.h"
#include "common/DownloadEndCodes.h"
#include "common/ResumeRecord.h"
#include "tests/VQCore/download/DownloadObserver.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WebRoot.h"

#include <gtest/gtest.h>

namespace Tessar {
namespace Test {
namespace {

// A task in a queue of its own, so that its events reach the observer.
struct QueuedTask {
    explicit QueuedTask(const std::wstring& recordPath = L"", const std::wstring& folder = L"C:\\cache")
        : queue(&observer, 1), task(new VQHttpTask(42, folder, recordPath)) {
        queue.Add(task);
    }

    VQRecordingObserver observer;
    VQDownloadQueue queue;
    VQHttpTask* task;
};

TEST(HttpTaskTest, ANewTaskIsAStoppedHttpTask) {
    VQHttpTask* task = new VQHttpTask(12, L"D:\\games", L"D:\\games\\a.bin.vql");
    EXPECT_EQ(12u, task->GetId());
    EXPECT_EQ(static_cast<uint32_t>(kHttpTaskKind), task->GetKind());
    EXPECT_EQ(static_cast<uint32_t>(kTaskStopped), task->GetState());
    EXPECT_EQ(L"D:\\games", task->GetFolder());
    EXPECT_EQ(L"D:\\games\\a.bin.vql", task->GetRecordPath());
    EXPECT_EQ(0u, task->GetFailureCount());
    EXPECT_EQ(-1.0, task->GetProgress());
    EXPECT_EQ(0.0, task->GetSpeed());
    EXPECT_EQ(nullptr, task->GetOwner());
    task->Release();
}

TEST(HttpTaskTest, OnEndSetsTheStateCountsFailuresAndRaisesStateThenEnd) {
    struct Case {
        uint32_t code;
        uint32_t state;
        bool counted;
    } cases[] = {
        {kDownloadFinished, kTaskFinished, false},
        {kDownloadCancelled, kTaskStopped, false},
        {kDownloadWaitFailed, kTaskFailed, false},
        {kDownloadInfoFailed, kTaskFailed, true},
        {kDownloadBadUrl, kTaskFailed, true},
        {kDownloadSizeQueryFailed, kTaskFailed, true},
        {kDownloadSizeMismatch, kTaskFailed, true},
        {kDownloadRangeFailed, kTaskFailed, true},
        {kDownloadRecordUnreadable, kTaskFailed, true},
        {kDownloadVerifyFailed, kTaskFailed, true},
        {kDownloadOtherTransport, kTaskFailed, false},
        {kDownloadStopping, kTaskFailed, false},
        {kDownloadFileFailed, kTaskFailed, false},
        {ERROR_ACCESS_DENIED, kTaskFailed, false},
    };
    QueuedTask queued;
    uint32_t failures = 0;
    for (const Case& c : cases) {
        queued.observer.Clear();
        queued.task->OnEnd(c.code);
        failures += c.counted;
        EXPECT_EQ(c.state, queued.task->GetState()) << std::hex << c.code;
        EXPECT_EQ(failures, queued.task->GetFailureCount()) << std::hex << c.code;
        std::vector<VQRecordedEvent> events = queued.observer.Events();
        ASSERT_EQ(2u, events.size()) << std::hex << c.code;
        EXPECT_EQ(kDownloadEventState, events[0].code);
        EXPECT_EQ(c.state, events[0].value);
        EXPECT_EQ(kDownloadEventEnd, events[1].code);
        EXPECT_EQ(c.code, EndValueCode(events[1].value));
        // The codes whose message shows a number come with one, never 0
        // (without a run the task names the code itself).
        const bool detailed = c.code == kDownloadWaitFailed || c.code == kDownloadRangeFailed;
        EXPECT_EQ(detailed ? c.code : 0u, EndValueDetail(events[1].value)) << std::hex << c.code;
        EXPECT_EQ(42u, events[1].taskId);
    }
}

TEST(HttpTaskTest, ReportsBecomeEventsWithTheirValues) {
    QueuedTask queued;
    queued.task->OnTotalSize(5000000000ull);
    queued.task->OnStage(3);
    queued.task->OnLogPath(L"C:\\cache\\a.bin.vql");
    queued.task->OnTempPath(L"C:\\cache\\a.bin.vqt");
    queued.task->OnSetupPath(L"C:\\cache\\a.bin");
    std::vector<VQRecordedEvent> events = queued.observer.Events();
    ASSERT_EQ(4u, events.size());
    EXPECT_EQ(kDownloadEventTotalSize, events[0].code);
    EXPECT_EQ(5000000000ull, events[0].value);
    EXPECT_EQ(kDownloadEventStage, events[1].code);
    EXPECT_EQ(3u, events[1].value);
    EXPECT_EQ(kDownloadEventRecordPath, events[2].code);
    EXPECT_EQ(L"C:\\cache\\a.bin.vql", events[2].text);
    EXPECT_EQ(kDownloadEventSetupPath, events[3].code);
    EXPECT_EQ(L"C:\\cache\\a.bin", events[3].text);
    for (const VQRecordedEvent& event : events) {
        EXPECT_EQ(GetCurrentThreadId(), event.thread);
        EXPECT_TRUE(event.recordOnStack);
    }
    EXPECT_EQ(5000000000ull, queued.task->GetTotalSize());
    EXPECT_EQ(3u, queued.task->GetStage());
    EXPECT_EQ(L"C:\\cache\\a.bin.vql", queued.task->GetRecordPath());
    EXPECT_EQ(L"C:\\cache\\a.bin.vqt", queued.task->GetDataPath());
    EXPECT_EQ(L"C:\\cache\\a.bin", queued.task->GetSetupPath());
}

TEST(HttpTaskTest, OnDataCountsBytesAndMeasuresTheSpeedOncePerSecond) {
    QueuedTask queued;
    VQHttpTask& task = *queued.task;
    task.OnData(1000, false);
    DWORD startBefore = GetTickCount();
    task.OnData(500, true);
    DWORD startAfter = GetTickCount();
    task.OnData(500, true);
    std::vector<VQRecordedEvent> events = queued.observer.Events();
    ASSERT_EQ(3u, events.size());
    const uint64_t counts[] = {1000, 1500, 2000};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(kDownloadEventBytesDone, events[i].code);
        EXPECT_EQ(counts[i], events[i].value);
    }

    // The measurement began with the first added block (at 1500 bytes); the
    // speed is what came since over the time since, however long that was.
    while (GetTickCount() - startAfter < 1000)
        Sleep(50);
    queued.observer.Clear();
    DWORD before = GetTickCount();
    task.OnData(200000, true);
    DWORD after = GetTickCount();
    events = queued.observer.Events();
    ASSERT_EQ(2u, events.size());
    EXPECT_EQ(kDownloadEventSpeed, events[0].code);
    uint32_t tick = SpeedValueTick(events[0].value);
    EXPECT_GE(tick, before);
    EXPECT_LE(tick, after);
    uint32_t speed = SpeedValueSpeed(events[0].value);
    // 200,500 bytes over between (before - startAfter) and (after -
    // startBefore) milliseconds.
    EXPECT_GE(speed, 200500ull * 1000 / (after - startBefore));
    EXPECT_LE(speed, 200500ull * 1000 / (before - startAfter));
    EXPECT_EQ(speed, task.GetSpeedBytes());
    EXPECT_EQ(kDownloadEventBytesDone, events[1].code);
    EXPECT_EQ(202000u, events[1].value);

    // Within the second no new measurement; a reset starts a new one.
    queued.observer.Clear();
    task.OnData(100, true);
    task.OnData(7, false);
    events = queued.observer.Events();
    ASSERT_EQ(2u, events.size());
    EXPECT_EQ(202100u, events[0].value);
    EXPECT_EQ(7u, events[1].value);
    EXPECT_EQ(7u, task.GetBytesDone());
}

TEST(HttpTaskTest, ADetachedTaskRaisesNothing) {
    VQRecordingObserver observer;
    VQDownloadQueue queue(&observer, 1);
    VQHttpTask* task = new VQHttpTask(1, L"C:\\cache", L"");
    queue.Add(task);
    ASSERT_TRUE(queue.Remove(task, true));
    task->OnData(10, true);
    task->OnEnd(kDownloadRangeFailed);
    EXPECT_EQ(static_cast<uint32_t>(kTaskFailed), task->GetState());
    EXPECT_EQ(1u, task->GetFailureCount());
    EXPECT_EQ(10u, task->GetBytesDone());
    // In a queue without an observer, likewise.
    VQDownloadQueue silent(nullptr, 1);
    silent.Add(task);
    task->OnEnd(kDownloadFinished);
    EXPECT_EQ(static_cast<uint32_t>(kTaskFinished), task->GetState());
    EXPECT_TRUE(observer.Events().empty());
}

TEST(HttpTaskTest, SpeedLimitIsTheShare) {
    VQHttpTask* task = new VQHttpTask(1, L"C:\\cache", L"");
    uint32_t limit = 99;
    EXPECT_EQ(1u, task->GetSpeedLimit(&limit));
    EXPECT_EQ(99u, limit);
    task->SetSpeedShare(34);
    EXPECT_EQ(0u, task->GetSpeedLimit(&limit));
    EXPECT_EQ(34u, limit);
    task->Release();
}

TEST(HttpTaskTest, StoppingAParkedTaskEndsItAtOnce) {
    QueuedTask queued;
    queued.queue.SetRunningLimit(0);
    EXPECT_FALSE(queued.queue.StartNext(queued.task));
    ASSERT_EQ(static_cast<uint32_t>(kTaskWaiting), queued.task->GetState());
    queued.observer.Clear();
    EXPECT_TRUE(queued.task->Stop());
    EXPECT_EQ(static_cast<uint32_t>(kTaskStopped), queued.task->GetState());
    EXPECT_EQ((std::vector<uint32_t>{kDownloadEventState, kDownloadEventEnd}), queued.observer.Codes());
    EXPECT_EQ(kDownloadCancelled, queued.observer.LastEndCode());
    EXPECT_EQ(0u, queued.task->GetFailureCount());
    // A stopped task's Stop does nothing more.
    queued.observer.Clear();
    EXPECT_TRUE(queued.task->Stop());
    EXPECT_TRUE(queued.observer.Events().empty());
}

TEST(HttpTaskTest, RetryDelayGrowsWithTheFailures) {
    struct Case {
        uint32_t failures, base, step, steps;
    } cases[] = {
        {0, 5000, 333, 0},      {1, 5000, 333, 15},   {2, 5000, 333, 30},
        {3, 5000, 333, 45},     {1, 100, 10, 10},     {1, 5000, 0, 0},
        {1000000, 5000, 333, static_cast<uint32_t>(1000000ull * 5000 / 333)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.steps, VQHttpTask::RetryDelaySteps(c.failures, c.base, c.step)) << c.failures << " " << c.step;
    EXPECT_EQ(5000u, VQHttpTask::kRetryDelayBaseMs);
    EXPECT_EQ(333u, VQHttpTask::kRetryDelayStepMs);
}

// A record of the downloader's own layout naming a data file.
void WriteRecord(const std::wstring& recordPath, const std::wstring& target, const std::wstring& dataPath) {
    VQResumeHead head;
    ResetResumeHead(head);
    ASSERT_TRUE(SetRecordText(head.targetPath, target));
    ASSERT_TRUE(SetRecordText(head.dataPath, dataPath));
    ASSERT_TRUE(SetRecordText(head.recordPath, recordPath));
    head.totalSize = 10;
    std::vector<VQRangeRecord> ranges;
    SplitIntoRanges(10, 2, ranges);
    head.rangeCount = static_cast<uint32_t>(ranges.size());
    ASSERT_EQ(0u, CreateResumeRecordFile(recordPath, head, ranges));
}

TEST(HttpTaskTest, RemovingFilesTakesTheRecordAndItsOwnDataFileOnly) {
    VQTempFolder temp;
    const std::wstring target = temp.PathOf(L"game.bin");
    const std::wstring record = target + L".vql";
    const std::wstring data = target + L".vqt";
    const std::wstring other = temp.PathOf(L"other.dat");
    struct Case {
        const char* name;
        std::wstring namedData;  // what the record names
        bool readOnly;
        bool dataGoes;
    } cases[] = {
        {"its own data file", data, false, true},
        {"read-only files", data, true, true},
        {"a record naming another file", other, false, false},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(WriteWholeFile(data, "0123456789"));
        ASSERT_TRUE(WriteWholeFile(other, "keep me"));
        ASSERT_TRUE(WriteWholeFile(target, "a finished file stays"));
        WriteRecord(record, target, c.namedData);
        if (c.readOnly) {
            SetFileAttributesW(data.c_str(), FILE_ATTRIBUTE_READONLY);
            SetFileAttributesW(record.c_str(), FILE_ATTRIBUTE_READONLY);
        }
        VQHttpTask* task = new VQHttpTask(1, temp.Path(), record);
        task->SetRemoveFiles(true);
        EXPECT_TRUE(task->Stop()) << c.name;
        EXPECT_FALSE(task->GetRemoveFiles()) << c.name;
        EXPECT_FALSE(FileIsThere(record)) << c.name;
        EXPECT_EQ(!c.dataGoes, FileIsThere(data)) << c.name;
        EXPECT_TRUE(FileIsThere(other)) << c.name;
        EXPECT_TRUE(FileIsThere(target)) << c.name;
        task->Release();
        SetFileAttributesW(data.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(data.c_str());
    }
}

TEST(HttpTaskTest, FilesStayUnlessTheFlagIsSet) {
    VQTempFolder temp;
    const std::wstring target = temp.PathOf(L"game.bin");
    ASSERT_TRUE(WriteWholeFile(target + L".vqt", "0123456789"));
    WriteRecord(target + L".vql", target, target + L".vqt");
    VQHttpTask* task = new VQHttpTask(1, temp.Path(), target + L".vql");
    EXPECT_TRUE(task->Stop());
    task->Release();
    EXPECT_TRUE(FileIsThere(target + L".vql"));
    EXPECT_TRUE(FileIsThere(target + L".vqt"));

    // Release with the flag set takes them.
    task = new VQHttpTask(1, temp.Path(), target + L".vql");
    task->SetRemoveFiles(true);
    task->Release();
    EXPECT_FALSE(FileIsThere(target + L".vql"));
    EXPECT_FALSE(FileIsThere(target + L".vqt"));
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
