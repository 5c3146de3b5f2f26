// HTTP tasks against real servers on 127.0.0.1: the update server answers
// query_url.php, nginx serves the games (and the range fault server, when
// a range is to stall). Whole runs with their events, failures and their
// retry delay, stopping, resuming, releasing, and the queue's limit.
#include "VQCore/download/HttpTask.h"

#include "VQCore/download/DownloadQueue.h"
#include "common/CodePage.h"
#include "common/DownloadEndCodes.h"
#include "common/HttpGetter.h"
#include "common/Md5.h"
#include "common/ServerAddresses.h"
#include "tests/VQCore/download/DownloadObserver.h"
#include "tests/support/TempFolder.h"
#include "tests/support/UpdateServer.h"
#include "tests/support/WebRoot.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

namespace Tessar {
namespace Test {
namespace {

const size_t kGameSize = 3 * 1024 * 1024 + 123;

class HttpTaskServer : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        files_.reset(new VQWebRoot);
        game_ = MakeTestBytes(kGameSize, 31);
        other_ = MakeTestBytes(kGameSize, 32);
        ASSERT_TRUE(files_->WriteFile(L"game.bin", game_));
        ASSERT_TRUE(files_->WriteFile(L"other.bin", other_));
        nginx_.reset(new VQLocalServer);
        ASSERT_TRUE(StartNginx(*nginx_, *files_));
        faults_.reset(new VQLocalServer);
        ASSERT_TRUE(StartFaultServer(*faults_, *files_));
        infoRoot_.reset(new VQTempFolder);
        update_.reset(new VQUpdateServer);
        ASSERT_TRUE(update_->Start(infoRoot_->Path()));
    }
    static void TearDownTestSuite() {
        update_.reset();
        infoRoot_.reset();
        faults_.reset();
        nginx_.reset();
        files_.reset();
    }

    void SetUp() override { ASSERT_TRUE(SetServerAddress(kUpdateServer, update_->Url(L""))); }
    // The table is process-wide: leave it as the program starts.
    void TearDown() override { LoadServerAddresses(ServerAddressesIniPath()); }

    static std::wstring GameUrl(const std::wstring& name = L"game.bin") { return nginx_->Url(L"/" + name); }

    // The reply of query_url.php for the id. Empty texts are left out.
    static void WriteInfo(uint32_t id, const std::wstring& url, const std::wstring& fileName,
                          const std::wstring& fileSize, const std::wstring& md5, uint32_t type = 1) {
        std::wstring xml = L"<?xml version=\"1.0\"?>\n<FILE>";
        auto add = [&](const wchar_t* tag, const std::wstring& text) {
            if (!text.empty())
                xml += std::wstring(L"<") + tag + L">" + text + L"</" + tag + L">";
        };
        add(L"DownloadUrl", url);
        add(L"Md5", md5);
        add(L"FileSize", fileSize);
        add(L"FileName", fileName);
        add(L"DownloadType", std::to_wstring(type));
        xml += L"</FILE>\n";
        wchar_t name[32];
        _snwprintf(name, 32, L"query_url\\%05u.xml", id);
        ASSERT_TRUE(infoRoot_->WriteFile(name, WideToUtf8(xml)));
    }
    static void WriteGameInfo(uint32_t id, const std::wstring& url = GameUrl(),
                              const std::wstring& fileName = L"game.bin") {
        WriteInfo(id, url, fileName, std::to_wstring(kGameSize), Md5Of(game_));
    }

    static std::unique_ptr<VQWebRoot> files_;
    static std::unique_ptr<VQLocalServer> nginx_;
    static std::unique_ptr<VQLocalServer> faults_;
    static std::unique_ptr<VQTempFolder> infoRoot_;
    static std::unique_ptr<VQUpdateServer> update_;
    static std::string game_;
    static std::string other_;
    VQTempFolder cache_;
};

std::unique_ptr<VQWebRoot> HttpTaskServer::files_;
std::unique_ptr<VQLocalServer> HttpTaskServer::nginx_;
std::unique_ptr<VQLocalServer> HttpTaskServer::faults_;
std::unique_ptr<VQTempFolder> HttpTaskServer::infoRoot_;
std::unique_ptr<VQUpdateServer> HttpTaskServer::update_;
std::string HttpTaskServer::game_;
std::string HttpTaskServer::other_;

// Starts the task through its queue (whose speed limit, shared out, keeps
// it slow) and waits until it has fetched at least that many bytes.
bool StartAndWaitForBytes(VQDownloadQueue& queue, VQRecordingObserver& observer, VQHttpTask* task, uint64_t bytes) {
    auto reached = std::make_shared<std::atomic<bool>>(false);
    observer.hook = [=](uint32_t code, const VQDownloadMessageInfo& info) {
        if (code == kDownloadEventBytesDone && info.value >= bytes)
            *reached = true;
    };
    if (!queue.StartNext(task))
        return false;
    queue.ShareSpeedLimit();
    for (int i = 0; i < 2400 && !*reached; ++i)
        Sleep(25);
    return *reached;
}

TEST_F(HttpTaskServer, DownloadsTheGameIntoTheFolderReportingEveryStep) {
    WriteGameInfo(101);
    update_->ClearRequests();
    VQRecordingObserver observer;
    VQDownloadQueue queue(&observer, 1);
    VQHttpTask* task = new VQHttpTask(101, cache_.Path(), L"");
    queue.Add(task);
    ASSERT_TRUE(queue.StartNext(task));
    ASSERT_TRUE(observer.WaitForEnds(1));
    EXPECT_EQ(kDownloadFinished, observer.LastEndCode());
    EXPECT_EQ(static_cast<uint32_t>(kTaskFinished), task->GetState());

    const std::wstring target = cache_.PathOf(L"game.bin");
    EXPECT_EQ(game_, ReadWholeFile(target));
    EXPECT_FALSE(FileIsThere(target + L".vql"));
    EXPECT_FALSE(FileIsThere(target + L".vqt"));
    EXPECT_EQ(target, task->GetSetupPath());
    EXPECT_EQ(kGameSize, task->GetBytesDone());
    EXPECT_EQ(kGameSize, task->GetTotalSize());
    EXPECT_EQ(Md5Of(game_), task->GetDownloadInfo().md5);
    EXPECT_EQ(0u, task->GetFailureCount());
    std::vector<std::string> requests = update_->Requests();
    ASSERT_EQ(1u, requests.size());
    EXPECT_EQ("/query_url.php?soft=1.7&id=00101", requests[0]);

    // State, stage 0, the reset, the paths, stage 1, the size, the first
    // range connecting and connected, then the end.
    const uint32_t expected[] = {7, 3, 4, 2, 0, 3, 4, 3, 3, 7, 8};
    EXPECT_EQ(std::vector<uint32_t>(std::begin(expected), std::end(expected)), observer.Codes());
    std::vector<VQRecordedEvent> events = observer.Events();
    DWORD worker = 0;
    for (const VQRecordedEvent& event : events) {
        EXPECT_EQ(101u, event.taskId);
        EXPECT_TRUE(event.recordOnStack) << event.code;
        if (event.code == kDownloadEventStage && event.value == 0)
            worker = event.thread;
    }
    EXPECT_EQ(kDownloadEventState, events.front().code);
    EXPECT_EQ(static_cast<uint64_t>(kTaskRunning), events.front().value);
    EXPECT_EQ(GetCurrentThreadId(), events.front().thread);
    EXPECT_NE(GetCurrentThreadId(), worker);
    EXPECT_EQ(worker, events.back().thread);
    std::vector<VQRecordedEvent> stages = observer.EventsOf(kDownloadEventStage);
    ASSERT_EQ(4u, stages.size());
    for (uint32_t i = 0; i < 4; ++i)
        EXPECT_EQ(i, stages[i].value);
    EXPECT_EQ(target, observer.EventsOf(kDownloadEventSetupPath)[0].text);
    EXPECT_EQ(target + L".vql", observer.EventsOf(kDownloadEventRecordPath)[0].text);
    std::vector<VQRecordedEvent> sizes = observer.EventsOf(kDownloadEventTotalSize);
    EXPECT_EQ(kGameSize, sizes.back().value);
    EXPECT_EQ(kGameSize, observer.EventsOf(kDownloadEventBytesDone).back().value);
    EXPECT_FALSE(queue.HasActive());
}

TEST_F(HttpTaskServer, AFileAlreadyThereFinishesWithoutATransfer) {
    // The URL leads nowhere: any transfer would fail.
    WriteInfo(102, L"http://127.0.0.1:1/game.bin", L"game.bin", std::to_wstring(kGameSize), Md5Of(game_));
    ASSERT_TRUE(cache_.WriteFile(L"game.bin", game_));
    VQRecordingObserver observer;
    VQDownloadQueue queue(&observer, 1);
    VQHttpTask* task = new VQHttpTask(102, cache_.Path(), L"");
    queue.Add(task);
    ASSERT_TRUE(queue.StartNext(task));
    ASSERT_TRUE(observer.WaitForEnds(1));
    EXPECT_EQ(kDownloadFinished, observer.LastEndCode());
    EXPECT_EQ((std::vector<uint32_t>{7, 3, 2, 7, 8}), observer.Codes());
    EXPECT_EQ(cache_.PathOf(L"game.bin"), observer.EventsOf(kDownloadEventSetupPath)[0].text);
    EXPECT_TRUE(observer.EventsOf(kDownloadEventBytesDone).empty());
    EXPECT_EQ(game_, cache_.ReadFile(L"game.bin"));
}

// Every road to a failed end: its end code (never 0) and, for the codes
// whose message shows a number (1 and 0xE0000007), the detail the task
// gives with it (never 0 either: the owner's thread has no error of its
// own to show).
TEST_F(HttpTaskServer, FailuresEndWithTheirCodes) {
    const std::wstring size = std::to_wstring(kGameSize);
    const std::wstring md5 = Md5Of(game_);
    // A server without ranges: the update server's own /files/.
    ASSERT_TRUE(infoRoot_->WriteFile(L"game.bin", game_));
    const uint32_t kAnyError = ~0u;  // a Winsock error or one of the range details
    struct Case {
        const char* name;
        std::wstring url;  // empty: no reply file at all
        std::wstring fileName;
        std::wstring fileSize;
        std::wstring md5;
        uint32_t type;
        uint32_t code;
        uint32_t detail;  // 0: none given with this code
    } cases[] = {
        {"no information", L"", L"", L"", L"", 1, kDownloadInfoFailed, 0},
        {"peer-to-peer", GameUrl(), L"game.bin", size, md5, 2, kDownloadOtherTransport, 0},
        {"bad URL", L"nothing", L"game.bin", size, md5, 1, kDownloadBadUrl, 0},
        {"missing file", GameUrl(L"missing.bin"), L"game.bin", size, md5, 1, kDownloadSizeQueryFailed, 0},
        {"other size", GameUrl(), L"game.bin", L"1000", md5, 1, kDownloadSizeMismatch, 0},
        {"no file name", GameUrl(), L"", size, md5, 1, kDownloadInfoFailed, 0},
        {"file name leaves the folder", GameUrl(), L"..\\escaped.bin", size, md5, 1, kDownloadInfoFailed, 0},
        {"file name is a folder", GameUrl(), L"sub\\", size, md5, 1, kDownloadInfoFailed, 0},
        {"other bytes than the MD5 says", GameUrl(L"other.bin"), L"game.bin", size, md5, 1, kDownloadVerifyFailed, 0},
        {"a server without ranges", update_->Url(L"/files/game.bin"), L"game.bin", size, md5, 1,
         kDownloadRangeFailed, kRangeReplyUnusable},
        {"ranges answered with the whole file", faults_->Url(L"/t140/ignore-range/all/game.bin"), L"game.bin", size,
         md5, 1, kDownloadRangeFailed, kRangeReplyUnusable},
        {"other bytes than the range asked for", faults_->Url(L"/t141/wrong-range/all/game.bin"), L"game.bin", size,
         md5, 1, kDownloadRangeFailed, kRangeReplyUnusable},
        {"ranges cut short", faults_->Url(L"/t142/cut/all/game.bin"), L"game.bin", size, md5, 1, kDownloadRangeFailed,
         kAnyError},
        {"ranges dropped", faults_->Url(L"/t143/drop/all/game.bin"), L"game.bin", size, md5, 1, kDownloadRangeFailed,
         kAnyError},
    };
    uint32_t id = 110;
    for (const Case& c : cases) {
        ++id;
        if (!c.url.empty())
            WriteInfo(id, c.url, c.fileName, c.fileSize, c.md5, c.type);
        VQTempFolder folder;
        VQRecordingObserver observer;
        VQDownloadQueue queue(&observer, 1);
        VQHttpTask* task = new VQHttpTask(id, folder.PathOf(L"cache"), L"");
        queue.Add(task);
        ASSERT_TRUE(queue.StartNext(task)) << c.name;
        ASSERT_TRUE(observer.WaitForEnds(1, 120000)) << c.name;
        EXPECT_EQ(c.code, observer.LastEndCode()) << c.name;
        EXPECT_NE(0u, observer.LastEndCode()) << c.name;
        if (c.detail == kAnyError)
            EXPECT_NE(0u, observer.LastEndDetail()) << c.name;
        else
            EXPECT_EQ(c.detail, observer.LastEndDetail()) << c.name;
        EXPECT_EQ(static_cast<uint32_t>(kTaskFailed), task->GetState()) << c.name;
        EXPECT_EQ(IsCountedFailure(c.code) ? 1u : 0u, task->GetFailureCount()) << c.name;
        // A failure never leaves a final file behind.
        EXPECT_FALSE(FileIsThere(folder.PathOf(L"cache\\game.bin"))) << c.name;
        EXPECT_FALSE(FileIsThere(folder.PathOf(L"escaped.bin"))) << c.name;
        EXPECT_FALSE(FileIsThere(folder.PathOf(L"escaped.bin.vqt"))) << c.name;
    }
}

TEST_F(HttpTaskServer, AFileNameThatIsNoPlainNameIsRefusedBeforeAnythingIsWritten) {
    const std::wstring size = std::to_wstring(kGameSize);
    const std::wstring md5 = Md5Of(game_);
    VQTempFolder folder;
    ASSERT_TRUE(folder.MakeFolder(L"outside"));
    const std::wstring outside = folder.PathOf(L"outside\\game.bin");
    struct Case {
        const char* name;
        std::wstring fileName;
    } cases[] = {
        {"absolute", outside},
        {"absolute with slashes", folder.PathOf(L"outside") + L"/game.bin"},
        {"parent", L"..\\outside\\game.bin"},
        {"subfolder", L"sub\\game.bin"},
        {"stream", L"game.bin:hidden"},
        {"device", L"NUL"},
    };
    uint32_t id = 150;
    for (const Case& c : cases) {
        ++id;
        WriteInfo(id, GameUrl(), c.fileName, size, md5);
        VQRecordingObserver observer;
        VQDownloadQueue queue(&observer, 1);
        VQHttpTask* task = new VQHttpTask(id, folder.PathOf(L"cache"), L"");
        queue.Add(task);
        ASSERT_TRUE(queue.StartNext(task)) << c.name;
        ASSERT_TRUE(observer.WaitForEnds(1)) << c.name;
        EXPECT_EQ(kDownloadInfoFailed, observer.LastEndCode()) << c.name;
        EXPECT_TRUE(observer.EventsOf(kDownloadEventSetupPath).empty()) << c.name;
        EXPECT_TRUE(observer.EventsOf(kDownloadEventRecordPath).empty()) << c.name;
        for (const wchar_t* suffix : {L"", L".vqt", L".vql"})
            EXPECT_FALSE(FileIsThere(outside + suffix)) << c.name;
        EXPECT_FALSE(FileIsThere(folder.PathOf(L"cache\\sub"))) << c.name;
        queue.Remove(task, false);
    }
}

TEST_F(HttpTaskServer, EachCountedFailureDelaysTheNextStart) {
    VQRecordingObserver observer;
    VQDownloadQueue queue(&observer, 1);
    VQHttpTask* task = new VQHttpTask(130, cache_.Path(), L"");
    task->SetRetryDelay(400, 20);  // 20 steps per failure instead of 15 of 333 ms
    queue.Add(task);
    for (uint32_t failures = 0; failures < 2; ++failures) {
        observer.Clear();
        DWORD start = GetTickCount();
        ASSERT_TRUE(queue.StartNext(task));
        ASSERT_TRUE(observer.WaitForEnds(1));
        EXPECT_EQ(kDownloadInfoFailed, observer.LastEndCode());
        std::vector<VQRecordedEvent> stages = observer.EventsOf(kDownloadEventStage);
        ASSERT_EQ(1u, stages.size());
        // No clock of the events: the wait before stage 0 shows in the
        // time to the end.
        DWORD elapsed = GetTickCount() - start;
        EXPECT_GE(elapsed + 30, failures * 400u) << failures;
        EXPECT_EQ(failures + 1, task->GetFailureCount());
    }

    // A stop during the delay ends the run at once, not counted: with two
    // minutes of delay ahead, an end within one shows the stop was heard.
    task->SetRetryDelay(60000, 20);
    observer.Clear();
    DWORD start = GetTickCount();
    ASSERT_TRUE(queue.StartNext(task));
    EXPECT_TRUE(task->Stop());
    ASSERT_TRUE(observer.WaitForEnds(1));
    EXPECT_LT(GetTickCount() - start, 60000u);
    EXPECT_EQ(kDownloadCancelled, observer.LastEndCode());
    EXPECT_EQ(static_cast<uint32_t>(kTaskStopped), task->GetState());
    EXPECT_TRUE(observer.EventsOf(kDownloadEventStage).empty());
    EXPECT_EQ(2u, task->GetFailureCount());
}

TEST_F(HttpTaskServer, AStoppedTaskResumesWhereItStopped) {
    WriteGameInfo(140);
    const std::wstring target = cache_.PathOf(L"game.bin");
    VQRecordingObserver observer;
    VQDownloadQueue queue(&observer, 1, 512);
    VQHttpTask* task = new VQHttpTask(140, cache_.Path(), L"");
    queue.Add(task);

    // Slowed by the queue's limit, stopped after a part.
    ASSERT_TRUE(StartAndWaitForBytes(queue, observer, task, 300000));
    EXPECT_EQ(512u, task->GetSpeedShare());
    // A second start while it runs is refused and raises nothing.
    size_t before = observer.EventsOf(kDownloadEventState).size();
    EXPECT_FALSE(task->Start());
    EXPECT_EQ(before, observer.EventsOf(kDownloadEventState).size());
    EXPECT_TRUE(task->Stop());
    ASSERT_TRUE(observer.WaitForEnds(1));
    EXPECT_EQ(kDownloadCancelled, observer.LastEndCode());
    EXPECT_EQ(static_cast<uint32_t>(kTaskStopped), task->GetState());
    EXPECT_TRUE(FileIsThere(target + L".vql"));
    EXPECT_TRUE(FileIsThere(target + L".vqt"));
    EXPECT_FALSE(FileIsThere(target));
    uint64_t firstPart = task->GetBytesDone();
    EXPECT_GE(firstPart, 300000u);
    EXPECT_LT(firstPart, kGameSize);

    // Started again without the limit: it goes on from the record.
    observer.Clear();
    observer.hook = nullptr;
    queue.SetSpeedLimit(0);
    ASSERT_TRUE(queue.StartNext(task));
    queue.ShareSpeedLimit();
    ASSERT_TRUE(observer.WaitForEnds(1));
    EXPECT_EQ(kDownloadFinished, observer.LastEndCode());
    std::vector<VQRecordedEvent> counts = observer.EventsOf(kDownloadEventBytesDone);
    ASSERT_FALSE(counts.empty());
    // The first count is the record's: every range saved what it had.
    EXPECT_EQ(firstPart, counts.front().value);
    EXPECT_EQ(kGameSize, counts.back().value);
    EXPECT_EQ(game_, ReadWholeFile(target));
    EXPECT_FALSE(FileIsThere(target + L".vql"));
}

TEST_F(HttpTaskServer, ARecordNamedByTheSavedDownloadIsResumed) {
    WriteGameInfo(150);
    const std::wstring target = cache_.PathOf(L"game.bin");
    VQRecordingObserver observer;
    {
        VQDownloadQueue queue(&observer, 1, 512);
        VQHttpTask* task = new VQHttpTask(150, cache_.Path(), L"");
        queue.Add(task);
        ASSERT_TRUE(StartAndWaitForBytes(queue, observer, task, 300000));
        // Removing a task stops it and keeps its files.
        EXPECT_TRUE(queue.Remove(task, false));
        EXPECT_TRUE(queue.GetTasks().empty());
    }
    ASSERT_TRUE(FileIsThere(target + L".vql"));

    // A new task for the game, with its download folder elsewhere now,
    // continues the record it was given.
    observer.hook = nullptr;
    observer.Clear();
    VQTempFolder otherFolder;
    VQDownloadQueue queue(&observer, 1);
    VQHttpTask* task = new VQHttpTask(150, otherFolder.Path(), target + L".vql");
    queue.Add(task);
    ASSERT_TRUE(queue.StartNext(task));
    ASSERT_TRUE(observer.WaitForEnds(1));
    EXPECT_EQ(kDownloadFinished, observer.LastEndCode());
    EXPECT_GT(observer.EventsOf(kDownloadEventBytesDone).front().value, 0u);
    EXPECT_EQ(game_, ReadWholeFile(target));
    EXPECT_FALSE(FileIsThere(otherFolder.PathOf(L"game.bin")));
}

TEST_F(HttpTaskServer, StopWakesRangesThatWaitOnASilentServer) {
    // Each range gets 64 KiB and then silence, with the downloader's full
    // two-minute socket time-out.
    WriteGameInfo(160, faults_->Url(L"/t160/stall/all/game.bin"));
    VQRecordingObserver observer;
    VQDownloadQueue queue(&observer, 1);
    VQHttpTask* task = new VQHttpTask(160, cache_.Path(), L"");
    queue.Add(task);
    ASSERT_TRUE(StartAndWaitForBytes(queue, observer, task, 2 * 65536));
    // Against the ranges' two-minute socket time-out: within one minute
    // means the stop woke them.
    DWORD start = GetTickCount();
    EXPECT_TRUE(task->Stop());
    ASSERT_TRUE(observer.WaitForEnds(1, 90000));
    EXPECT_LT(GetTickCount() - start, 60000u);
    EXPECT_EQ(kDownloadCancelled, observer.LastEndCode());
    EXPECT_EQ(2u * 65536, task->GetBytesDone());
}

TEST_F(HttpTaskServer, AStopWaitsForARangeInsideTheObserverAndTheTaskGoesOn) {
    // A range worker's event 5 is held up in the observer (inside the
    // task's data lock) well past the run's 333 ms stop wait. The run must
    // wait for it rather than end the thread, or the lock would stay taken
    // and the next run would hang on its first count.
    WriteGameInfo(170);
    VQRecordingObserver observer;
    VQDownloadQueue queue(&observer, 1, 512);
    VQHttpTask* task = new VQHttpTask(170, cache_.Path(), L"");
    queue.Add(task);
    std::atomic<bool> inside(false), left(false), leftBeforeEnd(false);
    observer.hook = [&](uint32_t code, const VQDownloadMessageInfo& info) {
        if (code == kDownloadEventBytesDone && info.value >= 200000 && !inside.exchange(true)) {
            Sleep(1500);
            left = true;
        }
        if (code == kDownloadEventEnd)
            leftBeforeEnd = left.load();
    };
    ASSERT_TRUE(queue.StartNext(task));
    queue.ShareSpeedLimit();
    for (int i = 0; i < 200 && !inside; ++i)
        Sleep(20);
    ASSERT_TRUE(inside);
    EXPECT_TRUE(task->Stop());
    ASSERT_TRUE(observer.WaitForEnds(1, 10000));
    EXPECT_EQ(kDownloadCancelled, observer.LastEndCode());
    EXPECT_TRUE(leftBeforeEnd);

    observer.hook = nullptr;
    observer.Clear();
    queue.SetSpeedLimit(0);
    ASSERT_TRUE(queue.StartNext(task));
    queue.ShareSpeedLimit();
    ASSERT_TRUE(observer.WaitForEnds(1, 30000));
    EXPECT_EQ(kDownloadFinished, observer.LastEndCode());
    EXPECT_EQ(game_, cache_.ReadFile(L"game.bin"));
}

TEST_F(HttpTaskServer, ReleaseEndsARunningTaskAndKeepsItsFiles) {
    WriteGameInfo(180);
    VQRecordingObserver observer;
    // 32 KB/s: the whole game would take over a minute and a half.
    VQDownloadQueue queue(&observer, 1, 32);
    VQHttpTask* task = new VQHttpTask(180, cache_.Path(), L"");
    queue.Add(task);
    ASSERT_TRUE(StartAndWaitForBytes(queue, observer, task, 50000));
    ASSERT_TRUE(queue.Remove(task, true));
    DWORD start = GetTickCount();
    task->Release();
    EXPECT_LT(GetTickCount() - start, 45000u);
    // Detached before it stopped: the end was not heard.
    EXPECT_EQ(0u, observer.EventsOf(kDownloadEventEnd).size());
    EXPECT_TRUE(FileIsThere(cache_.PathOf(L"game.bin.vql")));
    EXPECT_TRUE(FileIsThere(cache_.PathOf(L"game.bin.vqt")));
}

TEST_F(HttpTaskServer, RemovingFilesOfAStoppingTaskWaitsForItsEnd) {
    WriteGameInfo(185);
    VQRecordingObserver observer;
    VQDownloadQueue queue(&observer, 1, 256);
    VQHttpTask* task = new VQHttpTask(185, cache_.Path(), L"");
    queue.Add(task);
    ASSERT_TRUE(StartAndWaitForBytes(queue, observer, task, 100000));
    task->SetRemoveFiles(true);
    EXPECT_TRUE(task->Stop());
    ASSERT_TRUE(observer.WaitForEnds(1));
    EXPECT_EQ(kDownloadCancelled, observer.LastEndCode());
    EXPECT_TRUE(queue.Remove(task, false));
    EXPECT_FALSE(FileIsThere(cache_.PathOf(L"game.bin.vql")));
    EXPECT_FALSE(FileIsThere(cache_.PathOf(L"game.bin.vqt")));
}

TEST_F(HttpTaskServer, TheQueueStartsAParkedTaskWhenARunningOneEnds) {
    WriteGameInfo(191, GameUrl(), L"first.bin");
    WriteGameInfo(192, GameUrl(), L"second.bin");
    VQRecordingObserver observer;
    VQDownloadQueue queue(&observer, 1);
    VQHttpTask* first = new VQHttpTask(191, cache_.Path(), L"");
    VQHttpTask* second = new VQHttpTask(192, cache_.Path(), L"");
    queue.Add(first);
    queue.Add(second);
    ASSERT_TRUE(queue.StartNext(first));
    EXPECT_FALSE(queue.StartNext(second));
    EXPECT_EQ(static_cast<uint32_t>(kTaskWaiting), second->GetState());
    EXPECT_EQ(1u, queue.RunningCount());
    EXPECT_TRUE(queue.HasActive());
    ASSERT_TRUE(observer.WaitForEnds(1));
    EXPECT_EQ(0u, queue.RunningCount());
    ASSERT_TRUE(queue.StartNext(second));
    ASSERT_TRUE(observer.WaitForEnds(2));
    EXPECT_EQ(kDownloadFinished, observer.LastEndCode());
    EXPECT_FALSE(queue.HasActive());
    EXPECT_EQ(game_, cache_.ReadFile(L"first.bin"));
    EXPECT_EQ(game_, cache_.ReadFile(L"second.bin"));
    std::vector<VQRecordedEvent> ends = observer.EventsOf(kDownloadEventEnd);
    EXPECT_EQ(191u, ends[0].taskId);
    EXPECT_EQ(192u, ends[1].taskId);
}

TEST_F(HttpTaskServer, AHostileDownloadInformationReplyCannotHoldTheTask) {
    // The update server sends the reply (or its head) a byte a second, or
    // redirects the query to itself for ever. The reply's time limit ends
    // the task with the information failure; a stop ends it at once as
    // stopped; a release of the detached task returns at once.
    enum Action { kTimeLimit, kStop, kRelease };
    struct Case {
        const char* name;
        const wchar_t* fault;
        Action action;
        uint32_t code;
    } cases[] = {
        {"reply dripping, time limit", L"drip-1000", kTimeLimit, kDownloadInfoFailed},
        {"reply dripping, stop", L"drip-1000", kStop, kDownloadCancelled},
        {"reply dripping, release", L"drip-1000", kRelease, 0},
        {"head dripping, time limit", L"driphead-1000", kTimeLimit, kDownloadInfoFailed},
        {"head dripping, stop", L"driphead-1000", kStop, kDownloadCancelled},
        {"head dripping, release", L"driphead-1000", kRelease, 0},
        {"redirect to itself", L"redirect-self", kTimeLimit, kDownloadInfoFailed},
    };
    uint32_t id = 200;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteGameInfo(++id);
        ASSERT_TRUE(SetServerAddress(kUpdateServer, update_->Url(std::wstring(L"/__fault/") + c.fault)));
        update_->ClearRequests();
        VQRecordingObserver observer;
        VQDownloadQueue queue(&observer, 1);
        VQHttpTask* task = new VQHttpTask(id, cache_.Path(), L"");
        task->SetDownloadInfoLimit(3000);
        queue.Add(task);
        const DWORD start = GetTickCount();
        ASSERT_TRUE(queue.StartNext(task));
        if (c.action == kTimeLimit) {
            ASSERT_TRUE(observer.WaitForEnds(1, 20000));
            EXPECT_LT(GetTickCount() - start, 6000u);
            EXPECT_EQ(c.code, observer.LastEndCode());
            EXPECT_TRUE(queue.Remove(task, false));
        } else {
            Sleep(1000);
            EXPECT_EQ(0u, observer.EventsOf(kDownloadEventEnd).size()) << "over before the stop";
            const DWORD stopped = GetTickCount();
            if (c.action == kStop) {
                EXPECT_TRUE(task->Stop());
                ASSERT_TRUE(observer.WaitForEnds(1, 20000));
                EXPECT_EQ(c.code, observer.LastEndCode());
                EXPECT_TRUE(queue.Remove(task, false));
            } else {
                ASSERT_TRUE(queue.Remove(task, true));
                task->Release();
                EXPECT_EQ(0u, observer.EventsOf(kDownloadEventEnd).size()) << "detached before it stopped";
            }
            EXPECT_LT(GetTickCount() - stopped, 2000u);
        }
        // A redirect loop is followed a few times, not for ever.
        EXPECT_LE(update_->Requests().size(), kHttpMaxRedirects + 1);
    }
}

TEST_F(HttpTaskServer, ADownloadInformationQueryRedirectedAFewTimesStillDownloads) {
    WriteGameInfo(210);
    ASSERT_TRUE(SetServerAddress(kUpdateServer, update_->Url(L"/__fault/redirect-3")));
    update_->ClearRequests();
    VQRecordingObserver observer;
    VQDownloadQueue queue(&observer, 1);
    VQHttpTask* task = new VQHttpTask(210, cache_.Path(), L"");
    queue.Add(task);
    ASSERT_TRUE(queue.StartNext(task));
    ASSERT_TRUE(observer.WaitForEnds(1));
    EXPECT_EQ(kDownloadFinished, observer.LastEndCode());
    EXPECT_EQ(game_, cache_.ReadFile(L"game.bin"));
    EXPECT_EQ(4u, update_->Requests().size());
}

TEST_F(HttpTaskServer, RemovingATaskDuringItsWholeFileCheckDoesNotWaitForTheCheck) {
    // A download of 6 GiB already in the folder (a hole in the file: made at
    // once, read at full length), whose check reads every byte of it.
    const uint64_t size = 6ull << 30;
    HANDLE file = ::CreateFileW(cache_.PathOf(L"huge.bin").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    LARGE_INTEGER end = {};
    end.QuadPart = static_cast<LONGLONG>(size);
    ASSERT_TRUE(::SetFilePointerEx(file, end, nullptr, FILE_BEGIN));
    ASSERT_TRUE(::SetEndOfFile(file));
    ::CloseHandle(file);
    WriteInfo(130, GameUrl(), L"huge.bin", std::to_wstring(size), L"0123456789ABCDEF0123456789ABCDEF");
    update_->ClearRequests();
    VQRecordingObserver observer;
    VQDownloadQueue queue(&observer, 1);
    VQHttpTask* task = new VQHttpTask(130, cache_.Path(), L"");
    ASSERT_TRUE(queue.Add(task));
    ASSERT_TRUE(queue.StartNext(task));
    bool asked = false;
    for (int i = 0; i < 400 && !asked; ++i) {
        for (const std::string& line : update_->Requests())
            if (line.find("query_url.php") != std::string::npos) asked = true;
        if (!asked) Sleep(50);
    }
    ASSERT_TRUE(asked) << "the task did not ask for its download information";
    Sleep(1000);  // the check is reading the file now
    const DWORD before = GetTickCount();
    EXPECT_TRUE(queue.Remove(task, false));
    EXPECT_LT(GetTickCount() - before, 3000u) << "removing the task waited for the whole-file check";
    ::DeleteFileW(cache_.PathOf(L"huge.bin").c_str());
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
