// Peer-to-peer downloads through the program's task: aria2c seeds the game
// on 127.0.0.1 through the small tracker, the update server answers
// query_url.php and serves the torrent, the engine is Tarnwick.dll.
#include "VQCore/download/BTTask.h"

#include "VQCore/download/DownloadMessage.h"
#include "VQCore/download/HttpTask.h"
#include "common/CodePage.h"
#include "common/DownloadEndCodes.h"
#include "common/FileUtil.h"
#include "common/PathText.h"
#include "tests/VQCore/download/BTFixture.h"

#include <atomic>

namespace Tessar {
namespace Test {
namespace {

class BTTaskTest : public BTFixture {};

TEST_F(BTTaskTest, DownloadsTheGameFromAPeerAndSeedsIt) {
    ASSERT_TRUE(seeder_.StartSeed(scratch_.PathOf(L"srv\\game.torrent"), scratch_.PathOf(L"seed")));
    WriteGameInfo(101);
    VQBTTask* task = new VQBTTask(101, DownloadFolder(), L"");
    ASSERT_TRUE(queue_->Add(task));
    ASSERT_TRUE(queue_->StartNext(task));
    ASSERT_TRUE(observer_.WaitForEnds(1, 120000));
    EXPECT_EQ(kDownloadFinished, observer_.LastEndCode());
    EXPECT_EQ(static_cast<uint32_t>(kTaskFinished), task->GetState());
    ExpectSameGame(L"seed\\game", L"down\\game");

    auto records = observer_.EventsOf(kDownloadEventRecordPath);
    ASSERT_EQ(1u, records.size());
    EXPECT_EQ(CombinePath(DownloadFolder(), L"game.vql"), records[0].text);
    auto finals = observer_.EventsOf(kDownloadEventSetupPath);
    ASSERT_EQ(1u, finals.size());
    EXPECT_EQ(CombinePath(DownloadFolder(), L"game"), finals[0].text);
    auto totals = observer_.EventsOf(kDownloadEventTotalSize);
    ASSERT_FALSE(totals.empty());
    EXPECT_EQ(2400033u, totals.back().value);
    // State 2 on start, then 3 right before the end event.
    std::vector<uint32_t> codes = observer_.Codes();
    ASSERT_GE(codes.size(), 2u);
    EXPECT_EQ(kDownloadEventState, codes[codes.size() - 2]);
    EXPECT_EQ(kDownloadEventEnd, codes.back());
    EXPECT_EQ(static_cast<uint64_t>(kTaskFinished), observer_.EventsOf(kDownloadEventState).back().value);
    EXPECT_DOUBLE_EQ(1.0, task->GetProgress());

    // The finished game is a seed now, listed in seeds.xml.
    EXPECT_TRUE(BTManager().HasSeed(101));
    EXPECT_EQ(1u, BTManager().ActiveSeedCount());
    std::string seeds = scratch_.ReadFile(L"down\\seeds.xml");
    EXPECT_NE(std::string::npos, seeds.find("<gameId>101</gameId>")) << seeds;
    EXPECT_NE(std::string::npos, seeds.find("game.vql</resume>")) << seeds;
    queue_->Remove(task, false);
    EXPECT_TRUE(BTManager().HasSeed(101));
}

TEST_F(BTTaskTest, StopsAndResumesAfterTheSessionRestarts) {
    ASSERT_TRUE(seeder_.StartSeed(scratch_.PathOf(L"srv\\game.torrent"), scratch_.PathOf(L"seed")));
    WriteGameInfo(102);
    // 150 KB/s for the one running peer-to-peer task: slow enough to stop.
    queue_->SetSpeedLimit(150);
    VQBTTask* task = new VQBTTask(102, DownloadFolder(), L"");
    ASSERT_TRUE(queue_->Add(task));
    ASSERT_TRUE(queue_->StartNext(task));
    queue_->ShareSpeedLimit();
    BTSessionSettings settings;
    BTManager().GetSession()->GetSettings(&settings);
    EXPECT_EQ(150u * 1024, settings.words[kBTSetDownloadRate]);
    EXPECT_EQ(150u * 1024, settings.words[kBTSetUploadRate]);
    ASSERT_TRUE(WaitUntil([&] { return task->GetBytesDone() >= 400000; }, 60000));
    ASSERT_TRUE(task->Stop());
    ASSERT_TRUE(observer_.WaitForEnds(1, 30000));
    EXPECT_EQ(kDownloadStopping, observer_.LastEndCode());
    EXPECT_EQ(static_cast<uint32_t>(kTaskStopped), task->GetState());
    uint64_t doneAtStop = task->GetBytesDone();
    std::wstring record = task->GetRecordPath();
    EXPECT_EQ(CombinePath(DownloadFolder(), L"game.vql"), record);
    ASSERT_TRUE(queue_->Remove(task, false));
    EXPECT_FALSE(BTManager().HasSeed(102));

    // The manager's session ends and starts again; the saved record goes on.
    BTManager().Shutdown();
    ASSERT_TRUE(BTManager().Init(DownloadFolder(), VQBTManager::kDefaultSeedLimit));
    observer_.Clear();
    task = new VQBTTask(102, DownloadFolder(), record);
    ASSERT_TRUE(queue_->Add(task));
    // Still limited until the first count is reported (the timer's first
    // round, a second in): unlimited, the rest of the game could come in
    // before it, and the count would not tell a resumed download from one
    // started over.
    std::atomic<uint64_t> firstSeen{0};
    observer_.hook = [&](uint32_t code, const VQDownloadMessageInfo& info) {
        if (code == kDownloadEventBytesDone && firstSeen.load() == 0)
            firstSeen = info.value;
    };
    ASSERT_TRUE(queue_->StartNext(task));
    queue_->ShareSpeedLimit();
    ASSERT_TRUE(WaitUntil([&] { return firstSeen.load() != 0; }, 60000));
    queue_->SetSpeedLimit(0);
    queue_->ShareSpeedLimit();
    ASSERT_TRUE(observer_.WaitForEnds(1, 120000));
    observer_.hook = nullptr;
    EXPECT_EQ(kDownloadFinished, observer_.LastEndCode());
    // No torrent fetched anew, no new record named: the old one went on.
    EXPECT_TRUE(observer_.EventsOf(kDownloadEventRecordPath).empty());
    EXPECT_GE(firstSeen.load() + 256 * 1024, doneAtStop);
    ExpectSameGame(L"seed\\game", L"down\\game");
    queue_->Remove(task, false);
}

TEST_F(BTTaskTest, StoppingAWaitingTaskSendsNoEndEvent) {
    WriteGameInfo(103);
    VQDownloadQueue parked(&observer_, 0, 0);
    VQBTTask* task = new VQBTTask(103, DownloadFolder(), L"");
    ASSERT_TRUE(parked.Add(task));
    EXPECT_FALSE(parked.StartNext(task));
    EXPECT_EQ(static_cast<uint32_t>(kTaskWaiting), task->GetState());
    ASSERT_TRUE(task->Stop());
    EXPECT_EQ(static_cast<uint32_t>(kTaskStopped), task->GetState());
    auto states = observer_.EventsOf(kDownloadEventState);
    ASSERT_EQ(2u, states.size());
    EXPECT_EQ(static_cast<uint64_t>(kTaskWaiting), states[0].value);
    EXPECT_EQ(static_cast<uint64_t>(kTaskStopped), states[1].value);
    EXPECT_TRUE(observer_.EventsOf(kDownloadEventEnd).empty());
}

TEST_F(BTTaskTest, FailuresEndWithTheirCodes) {
    struct Case {
        const char* name;
        std::wstring md5, size, torrentUrl, downloadUrl;
        uint32_t expected;
    };
    const std::wstring torrent = L"{base}/files/game.torrent";
    const std::wstring web = L"http://127.0.0.1:9/none/";
    const Case cases[] = {
        {"torrent length differs from FileSize (before the MD5)", L"00000000000000000000000000000000", L"7",
         torrent, web, kDownloadTorrentSizeDiffers},
        {"torrent MD5 differs", L"00000000000000000000000000000000", L"{size:game.torrent}", torrent, web,
         kDownloadTorrentMd5Differs},
        {"no TorrentUrl", L"{md5:game.torrent}", L"{size:game.torrent}", L"", web, kDownloadInfoUnusable},
        {"torrent missing on the server", L"{md5:game.torrent}", L"{size:game.torrent}",
         L"{base}/files/none.torrent", web, kDownloadTorrentFetchFailed},
    };
    uint32_t id = 110;
    for (const Case& c : cases) {
        observer_.Clear();
        WriteInfo(id, L"2", c.md5, c.size, c.torrentUrl, c.downloadUrl, L"game");
        VQBTTask* task = new VQBTTask(id, DownloadFolder(), L"");
        ASSERT_TRUE(queue_->Add(task));
        ASSERT_TRUE(queue_->StartNext(task));
        ASSERT_TRUE(observer_.WaitForEnds(1, 30000)) << c.name;
        EXPECT_EQ(c.expected, observer_.LastEndCode()) << c.name;
        EXPECT_EQ(static_cast<uint32_t>(kTaskFailed), task->GetState()) << c.name;
        // Counted, so that the window's retries come to an end.
        EXPECT_EQ(1u, task->GetFailureCount()) << c.name;
        queue_->Remove(task, false);
        ++id;
    }
}

TEST_F(BTTaskTest, AFileNameThatIsNoPlainNameIsRefusedBeforeAnythingIsWritten) {
    // The record "<FileName>.vql" and the content would go where the name
    // points.
    ASSERT_TRUE(scratch_.MakeFolder(L"outside"));
    const std::wstring outside = scratch_.PathOf(L"outside\\game");
    const std::wstring names[] = {outside, L"..\\outside\\game", L"sub\\game", L"game:hidden", L"CON"};
    uint32_t id = 150;
    for (const std::wstring& name : names) {
        observer_.Clear();
        WriteInfo(id, L"2", L"{md5:game.torrent}", L"{size:game.torrent}", L"{base}/files/game.torrent",
                  L"http://127.0.0.1:9/none/", name);
        VQBTTask* task = new VQBTTask(id, DownloadFolder(), L"");
        ASSERT_TRUE(queue_->Add(task));
        ASSERT_TRUE(queue_->StartNext(task));
        ASSERT_TRUE(observer_.WaitForEnds(1, 30000)) << WideToUtf8(name);
        EXPECT_EQ(kDownloadInfoUnusable, observer_.LastEndCode()) << WideToUtf8(name);
        EXPECT_EQ(static_cast<uint32_t>(kTaskFailed), task->GetState()) << WideToUtf8(name);
        EXPECT_TRUE(observer_.EventsOf(kDownloadEventRecordPath).empty()) << WideToUtf8(name);
        EXPECT_EQ(L"", task->GetSavePath()) << WideToUtf8(name);
        EXPECT_FALSE(FileExists(outside + L".vql")) << WideToUtf8(name);
        EXPECT_FALSE(FolderExists(outside)) << WideToUtf8(name);
        EXPECT_FALSE(FolderExists(scratch_.PathOf(L"down\\sub"))) << WideToUtf8(name);
        queue_->Remove(task, false);
        ++id;
    }
}

TEST_F(BTTaskTest, DeletionWaitsForAnEngineCallbackThatClaimedTheStop) {
    // No peer: the engine task stays open without finishing.
    WriteGameInfo(160);
    VQBTTask* task = new VQBTTask(160, DownloadFolder(), L"");
    // The engine's OnStopped claims the stop and lets go of the engine task;
    // the seam holds it there, still inside the task, until the test says.
    HANDLE held = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE resume = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE deletionWaits = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_TRUE(held && resume && deletionWaits);
    std::atomic<bool> holding{false};
    std::atomic<bool> callbackDone{false};
    task->SetProbe([&](VQBTTask::VQProbePoint point) {
        if (point == VQBTTask::VQProbePoint::kDeletionWaits) {
            SetEvent(deletionWaits);
        } else if (!holding.exchange(true)) {
            SetEvent(held);
            WaitForSingleObject(resume, INFINITE);
            callbackDone = true;  // the rest of the stop still follows
        }
    });
    ASSERT_TRUE(queue_->Add(task));
    ASSERT_TRUE(queue_->StartNext(task));
    // Sizes come from OnTimer once the engine task is open.
    ASSERT_TRUE(WaitUntil([&] { return !observer_.EventsOf(kDownloadEventTotalSize).empty(); }, 60000));
    ASSERT_TRUE(task->Stop());
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(held, 30000));

    // Detached first (as the owner does), then deleted on a thread of its own.
    ASSERT_TRUE(queue_->Remove(task, true));
    HANDLE deleter = CreateThread(
        nullptr, 0, [](void* t) -> DWORD {
            static_cast<VQBTTask*>(t)->Release();
            return 0;
        },
        task, 0, nullptr);
    ASSERT_NE(nullptr, deleter);
    HANDLE either[] = {deleter, deletionWaits};
    DWORD first = WaitForMultipleObjects(2, either, FALSE, 30000);
    // The deletion waits for the held callback instead of returning.
    EXPECT_EQ(WAIT_OBJECT_0 + 1, first);
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(deleter, 0));
    EXPECT_FALSE(callbackDone.load());
    SetEvent(resume);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(deleter, 30000));
    EXPECT_TRUE(callbackDone.load());
    for (HANDLE h : {deleter, held, resume, deletionWaits})
        CloseHandle(h);
}

TEST_F(BTTaskTest, EndsAtOnceWithoutASession) {
    WriteGameInfo(120);
    BTManager().Shutdown();
    VQBTTask* task = new VQBTTask(120, DownloadFolder(), L"");
    ASSERT_TRUE(queue_->Add(task));
    ASSERT_TRUE(queue_->StartNext(task));
    ASSERT_TRUE(observer_.WaitForEnds(1, 30000));
    EXPECT_EQ(kDownloadNoSession, observer_.LastEndCode());
    EXPECT_EQ(static_cast<uint32_t>(kTaskFailed), task->GetState());
    EXPECT_EQ(0u, task->GetFailureCount());  // shown at once, never tried again
    queue_->Remove(task, false);
}

// The engine starts after the manager's first paint, on a thread of its
// own: a download begun meanwhile waits for the session instead of failing,
// and the speed limit set before the session opened is given to it.
TEST_F(BTTaskTest, ADownloadBegunWhileTheEngineStartsWaitsForIt) {
    BTManager().Shutdown();
    ASSERT_TRUE(seeder_.StartSeed(scratch_.PathOf(L"srv\\game.torrent"), scratch_.PathOf(L"seed")));
    WriteGameInfo(125);
    BTManager().SetSessionRate(512 * 1024);
    ASSERT_TRUE(BTManager().StartInBackground(DownloadFolder(), VQBTManager::kDefaultSeedLimit));
    VQBTTask* task = new VQBTTask(125, DownloadFolder(), L"");
    ASSERT_TRUE(queue_->Add(task));
    ASSERT_TRUE(queue_->StartNext(task));
    ASSERT_NE(nullptr, BTManager().WaitForSession(30000));
    BTSessionSettings settings;
    BTManager().GetSession()->GetSettings(&settings);
    EXPECT_EQ(512u * 1024, settings.words[kBTSetDownloadRate]);
    EXPECT_EQ(512u * 1024, settings.words[kBTSetUploadRate]);
    BTManager().SetSessionRate(0);
    ASSERT_TRUE(observer_.WaitForEnds(1, 120000));
    EXPECT_EQ(kDownloadFinished, observer_.LastEndCode());
    ExpectSameGame(L"seed\\game", L"down\\game");
    queue_->Remove(task, false);
}

// A task that only notes its release, standing for the task of the other
// kind that a new one replaces.
class VQNotedTask : public VQDownloadTask {
public:
    VQNotedTask(uint32_t id, std::atomic<DWORD>* releasedOn) : VQDownloadTask(id, kHttpTaskKind, L""), m_releasedOn(releasedOn) {}
    bool Start() override { return true; }
    bool Stop() override { return true; }
    void Release() override {
        *m_releasedOn = GetCurrentThreadId();
        delete this;
    }

private:
    std::atomic<DWORD>* m_releasedOn;
};

TEST_F(BTTaskTest, EachTaskNamesTheOtherTransportAndTheNewOneReleasesTheOld) {
    // HTTP task, peer-to-peer information: event 9 with 2, then 0xE000000B.
    WriteGameInfo(130);
    VQHttpTask* http = new VQHttpTask(130, DownloadFolder(), L"");
    ASSERT_TRUE(queue_->Add(http));
    ASSERT_TRUE(queue_->StartNext(http));
    ASSERT_TRUE(observer_.WaitForEnds(1, 30000));
    EXPECT_EQ(kDownloadOtherTransport, observer_.LastEndCode());
    auto nine = observer_.EventsOf(kDownloadEventOtherTransport);
    ASSERT_EQ(1u, nine.size());
    EXPECT_EQ(2u, nine[0].value);
    queue_->Remove(http, false);

    // Peer-to-peer task, HTTP information: event 9 with 1 and no end event;
    // the task it replaces is released on its worker, not the owner's thread.
    observer_.Clear();
    WriteInfo(131, L"1", L"{md5:game.torrent}", L"{size:game.torrent}", L"", L"http://127.0.0.1:9/game.bin",
              L"game.bin");
    std::atomic<DWORD> releasedOn{0};
    VQBTTask* bt = new VQBTTask(131, DownloadFolder(), L"");
    bt->SetReplacedTask(new VQNotedTask(131, &releasedOn));
    ASSERT_TRUE(queue_->Add(bt));
    ASSERT_TRUE(queue_->StartNext(bt));
    ASSERT_TRUE(WaitUntil([&] { return !observer_.EventsOf(kDownloadEventOtherTransport).empty(); }, 30000));
    nine = observer_.EventsOf(kDownloadEventOtherTransport);
    EXPECT_EQ(1u, nine[0].value);
    EXPECT_NE(0u, releasedOn.load());
    EXPECT_NE(GetCurrentThreadId(), releasedOn.load());
    Sleep(300);
    EXPECT_TRUE(observer_.EventsOf(kDownloadEventEnd).empty());
    queue_->Remove(bt, false);
}

TEST_F(BTTaskTest, TheEngineSessionGetsThePeerToPeerShareOfTheSpeedLimit) {
    // 100 KB/s over three running tasks: 34 each; the one peer-to-peer task's
    // share is the session's rate both ways.
    VQHttpTask* a = new VQHttpTask(140, DownloadFolder(), L"");
    VQHttpTask* b = new VQHttpTask(141, DownloadFolder(), L"");
    VQBTTask* c = new VQBTTask(142, DownloadFolder(), L"");
    for (VQDownloadTask* t : std::initializer_list<VQDownloadTask*>{a, b, c}) {
        ASSERT_TRUE(queue_->Add(t));
        t->SetState(kTaskRunning);
    }
    queue_->SetSpeedLimit(100);
    queue_->ShareSpeedLimit();
    EXPECT_EQ(34u, a->GetSpeedShare());
    BTSessionSettings settings;
    BTManager().GetSession()->GetSettings(&settings);
    EXPECT_EQ(34u * 1024, settings.words[kBTSetDownloadRate]);
    EXPECT_EQ(34u * 1024, settings.words[kBTSetUploadRate]);
    queue_->SetSpeedLimit(0);
    queue_->ShareSpeedLimit();
    BTManager().GetSession()->GetSettings(&settings);
    EXPECT_EQ(0u, settings.words[kBTSetDownloadRate]);
    for (VQDownloadTask* t : std::initializer_list<VQDownloadTask*>{a, b, c})
        t->SetState(kTaskStopped);
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
