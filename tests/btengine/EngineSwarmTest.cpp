// The engine among real peers on 127.0.0.1: aria2c seeding and fetching
// through the small tracker, nginx as a web seed.
#include <gtest/gtest.h>

#include <thread>

#include "common/CodePage.h"
#include "common/Md5.h"
#include "tests/btengine/EngineFixture.h"
#include "tests/support/LocalServer.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TorrentSwarm.h"
#include "tests/support/WebRoot.h"
#include "tests/support/UpdateServer.h"

namespace Tessar {
namespace Test {
namespace {

std::string Ansi(const std::wstring& text) { return WideToCodePage(CP_ACP, text); }

struct ContentFile {
  const wchar_t* path;  // below the content folder
  size_t size;
};

// A subfolder and a Chinese file name, as games have them.
const ContentFile kGame[] = {
    {L"game.exe", 700000},
    {L"data\\关卡一.dat", 1300000},
    {L"data\\empty-ish.txt", 17},
};

// tag: the test's own bytes for the small last file, so that no other
// test's session, in this program or one running beside it, has the same
// info hash.
void WriteGame(const VQTempFolder& folder, const std::wstring& root, const std::string& tag) {
  unsigned seed = 10;
  for (const ContentFile& f : kGame) {
    std::string bytes = &f == &kGame[2] ? tag.substr(0, f.size) : MakeTestBytes(f.size, seed++);
    ASSERT_TRUE(folder.WriteFile(root + L"\\" + f.path, bytes));
  }
}

void ExpectSameGame(const VQTempFolder& folder, const std::wstring& a, const std::wstring& b) {
  for (const ContentFile& f : kGame) {
    std::wstring md5 = Md5OfFile(folder.PathOf(a + L"\\" + f.path));
    EXPECT_FALSE(md5.empty()) << Ansi(f.path);
    EXPECT_EQ(md5, Md5OfFile(folder.PathOf(b + L"\\" + f.path))) << Ansi(f.path);
  }
}

class EngineSwarm : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(library_.Loaded());
    ASSERT_FALSE(folder_.Path().empty());
    ASSERT_TRUE(tracker_.Start());
    tag_ = UniqueTestText(kGame[2].size);
    WriteGame(folder_, L"seed\\game", tag_);
    ASSERT_TRUE(MakeTorrent(folder_.PathOf(L"seed\\game"), folder_.PathOf(L"game.torrent"), tracker_.AnnounceUrl()));
    torrent_ = folder_.ReadFile(L"game.torrent");
    ASSERT_FALSE(torrent_.empty());
    ASSERT_TRUE(folder_.MakeFolder(L"down"));
  }


  IBTSession* NewSession(uint16_t first) {
    session_.reset(new VQSessionHolder(library_, library_.Create(first, first + 20, Ansi(folder_.Path()))));
    return session_->get();
  }

  IBTTask* AddGame(IBTSession* session, ITaskCallback* callback, const std::vector<std::string>& webSeeds = {}) {
    save_ = Ansi(folder_.PathOf(L"down"));
    record_ = Ansi(folder_.PathOf(L"down\\game.vql"));
    std::vector<const char*> urls;
    for (const std::string& u : webSeeds) urls.push_back(u.c_str());
    BTOpenParams params = {save_.c_str(), record_.c_str(), 1, reinterpret_cast<const uint8_t*>(torrent_.data()),
                           static_cast<uint32_t>(torrent_.size()), 0, urls.empty() ? nullptr : urls.data(),
                           static_cast<uint32_t>(urls.size())};
    std::string error;
    IBTTask* task = session->AddTask(&params, callback, &error);
    EXPECT_NE(nullptr, task) << error;
    return task;
  }

  const VQEngineLibrary& library_ = EngineLibrary();
  VQTempFolder folder_;
  VQTracker tracker_;
  std::string tag_;
  std::string torrent_;
  std::string save_, record_;
  std::unique_ptr<VQSessionHolder> session_;
};

TEST_F(EngineSwarm, DownloadsAMultiFileTorrentFromAria2ThroughTheTracker) {
  VQAria2Peer seeder;
  ASSERT_TRUE(seeder.StartSeed(folder_.PathOf(L"game.torrent"), folder_.PathOf(L"seed")));
  IBTSession* session = NewSession(31000);
  ASSERT_NE(nullptr, session);
  VQRecordingCallback callback;
  IBTTask* task = AddGame(session, &callback);
  ASSERT_NE(nullptr, task);
  ASSERT_TRUE(task->Start());

  ASSERT_TRUE(callback.WaitFor("event2", 1, 90000));
  ExpectSameGame(folder_, L"seed\\game", L"down\\game");
  BTTaskStatus status;
  ASSERT_TRUE(task->GetStatus(&status));
  EXPECT_EQ(0, status.error);
  EXPECT_EQ(status.bytesTotal, status.bytesDone);
  EXPECT_EQ(0u, status.bytesLeft);
  EXPECT_EQ(2000017u, status.bytesTotal);
  EXPECT_NE(0, status.completedTime);
  // The timer keeps going while the task is listed; a download from a
  // peer on this machine may finish before its first round.
  EXPECT_TRUE(callback.WaitFor("timer", 1, 10000));
  EXPECT_EQ(1, callback.Count("event2"));
  EXPECT_EQ(0, callback.Count("event1"));
  // The state reports end on finished or seeding.
  EXPECT_TRUE(callback.WaitFor("value1:5", 1, 10000) || callback.Count("value1:4") > 0);
  EXPECT_EQ(torrent_, folder_.ReadFile(L"down\\game.vql"));

  task->SetCallback(nullptr);
  callback.Close();
  session->ReleaseTask(task, kBTReleaseKeepFiles);
  ExpectSameGame(folder_, L"seed\\game", L"down\\game");
  seeder.Stop();
}

TEST_F(EngineSwarm, DownloadsFromAPlainHttpWebSeed) {
  VQLocalServer nginx;
  ASSERT_TRUE(nginx.Start({"/bin/bash", SourceDirUnix() + "/tests/support/servers/nginx_server.sh", "--root",
                           WindowsToUnixPath(folder_.PathOf(L"seed"))}));
  IBTSession* session = NewSession(31100);
  ASSERT_NE(nullptr, session);
  VQRecordingCallback callback;
  std::string url = "http://127.0.0.1:" + std::to_string(nginx.Port()) + "/";
  IBTTask* task = AddGame(session, &callback, {url});
  ASSERT_NE(nullptr, task);
  ASSERT_TRUE(task->Start());
  ASSERT_TRUE(callback.WaitFor("event2", 1, 90000));
  ExpectSameGame(folder_, L"seed\\game", L"down\\game");
  session->ReleaseTask(task, kBTReleaseKeepFiles);
  nginx.Stop();
}

TEST_F(EngineSwarm, SeedsAFinishedGameToAria2) {
  // The finished game lies in the folder of its torrent file.
  WriteGame(folder_, L"down\\game", tag_);
  ASSERT_TRUE(folder_.WriteFile(L"down\\game.vql", torrent_));
  IBTSession* session = NewSession(31200);
  ASSERT_NE(nullptr, session);
  VQRecordingCallback callback;
  std::string error;
  IBTTask* seed = session->OpenTaskFromTorrent(Ansi(folder_.PathOf(L"down\\game.vql")), kBTOpenSeed, &callback, &error);
  ASSERT_NE(nullptr, seed) << error;
  ASSERT_TRUE(seed->Start());

  ASSERT_TRUE(folder_.MakeFolder(L"fetched"));
  VQAria2Peer fetcher;
  ASSERT_TRUE(fetcher.StartFetch(folder_.PathOf(L"game.torrent"), folder_.PathOf(L"fetched")));
  EXPECT_EQ(0, fetcher.WaitFetch(120000));
  ExpectSameGame(folder_, L"down\\game", L"fetched\\game");
  // The engine counts uploaded bytes in its next status round, a moment
  // after the fetcher has written the last piece.
  BTTaskStatus status;
  const DWORD start = GetTickCount();
  do {
    ASSERT_TRUE(seed->GetStatus(&status));
    if (status.uploadedTotal >= 2000017u) break;
    Sleep(50);
  } while (GetTickCount() - start < 10000);
  EXPECT_EQ(kBTStateSeeding, status.state);
  EXPECT_EQ(0, status.error);
  EXPECT_GE(status.uploadedTotal, 2000017u);
  EXPECT_EQ(0, callback.Count("event1"));
  fetcher.Stop();
  session->ReleaseTask(seed, kBTReleaseSeed);
}

TEST_F(EngineSwarm, ASeedWhoseDataIsGoneFailsInsteadOfDownloading) {
  ASSERT_TRUE(folder_.WriteFile(L"down\\game.vql", torrent_));
  IBTSession* session = NewSession(31300);
  ASSERT_NE(nullptr, session);
  VQRecordingCallback callback;
  std::string error;
  IBTTask* seed = session->OpenTaskFromTorrent(Ansi(folder_.PathOf(L"down\\game.vql")), kBTOpenSeed, &callback, &error);
  ASSERT_NE(nullptr, seed) << error;
  ASSERT_TRUE(seed->Start());
  ASSERT_TRUE(callback.WaitFor("event1", 1, 30000));
  BTTaskStatus status;
  ASSERT_TRUE(seed->GetStatus(&status));
  EXPECT_EQ(1, status.error);
  EXPECT_EQ(0u, status.bytesDone);
  session->ReleaseTask(seed, kBTReleaseSeed);
}

TEST_F(EngineSwarm, StopsResumesAfterANewSessionAndFinishes) {
  VQAria2Peer seeder;
  ASSERT_TRUE(seeder.StartSeed(folder_.PathOf(L"game.torrent"), folder_.PathOf(L"seed")));
  IBTSession* session = NewSession(31400);
  ASSERT_NE(nullptr, session);
  VQRecordingCallback first;
  IBTTask* task = AddGame(session, &first);
  ASSERT_NE(nullptr, task);
  // Slow enough to stop half-way.
  task->SetRateLimits(200 * 1024, 0);
  uint32_t down = 0, up = 1;
  task->GetRateLimits(&down, &up);
  EXPECT_EQ(200u * 1024, down);
  EXPECT_EQ(0u, up);
  ASSERT_TRUE(task->Start());
  BTTaskStatus status = {};
  for (int i = 0; i < 300 && status.bytesDone < 300000; ++i) {
    Sleep(100);
    task->GetStatus(&status);
  }
  ASSERT_GE(status.bytesDone, 300000u);
  ASSERT_TRUE(task->Stop());
  ASSERT_TRUE(first.WaitFor("stopped", 1, 20000));
  ASSERT_TRUE(task->GetStatus(&status));
  EXPECT_EQ(kBTStateStopped, status.state);
  uint64_t doneAtStop = status.bytesDone;
  EXPECT_LT(doneAtStop, status.bytesTotal);
  task->SetCallback(nullptr);
  first.Close();
  session->ReleaseTask(task, kBTReleaseKeepFiles);
  session_.reset();
  EXPECT_EQ(0, first.LateCalls());

  // A new session opens the record and goes on from what was kept.
  session = NewSession(31400);
  ASSERT_NE(nullptr, session);
  VQRecordingCallback second;
  std::string error;
  task = session->OpenTaskFromTorrent(record_, kBTOpenDownload, &second, &error);
  ASSERT_NE(nullptr, task) << error;
  ASSERT_TRUE(task->Start());
  // What was kept counts once the resume data is checked (on a loaded
  // machine that takes more than one timer round).
  for (int i = 0; i < 1200; ++i) {
    ASSERT_TRUE(task->GetStatus(&status));
    if (status.state != kBTStateStopped && status.state != kBTStateChecking) break;
    Sleep(50);
  }
  EXPECT_NE(kBTStateChecking, status.state);
  EXPECT_GE(status.bytesDone + 65536, doneAtStop);
  ASSERT_TRUE(second.WaitFor("event2", 1, 90000));
  ExpectSameGame(folder_, L"seed\\game", L"down\\game");
  session->ReleaseTask(task, kBTReleaseKeepFiles);
  seeder.Stop();
}

TEST_F(EngineSwarm, NoCallbackRunsAfterSetCallbackNullOrReleaseTaskReturned) {
  IBTSession* session = NewSession(31500);
  ASSERT_NE(nullptr, session);
  BTSessionSettings settings;
  session->GetSettings(&settings);
  settings.words[kBTSetTimerMs] = 100;
  session->SetSettings(settings);

  struct Case {
    const char* name;
    bool release;  // ReleaseTask instead of SetCallback(null)
  };
  const Case cases[] = {{"SetCallback(null)", false}, {"ReleaseTask", true}};
  for (const Case& c : cases) {
    VQRecordingCallback callback;
    // A slow callback widens the window a late call would slip through.
    callback.timerWork = [] { Sleep(30); };
    IBTTask* task = AddGame(session, &callback);
    ASSERT_NE(nullptr, task) << c.name;
    ASSERT_TRUE(task->Start());
    ASSERT_TRUE(callback.WaitFor("timer", 3, 10000)) << c.name;
    if (c.release) {
      session->ReleaseTask(task, kBTReleaseDeleteFiles);
    } else {
      task->SetCallback(nullptr);
    }
    callback.Close();
    Sleep(500);
    EXPECT_EQ(0, callback.LateCalls()) << c.name;
    if (!c.release) session->ReleaseTask(task, kBTReleaseDeleteFiles);
  }
}

TEST_F(EngineSwarm, ACallbackMayReleaseItsOwnTask) {
  IBTSession* session = NewSession(31600);
  ASSERT_NE(nullptr, session);
  VQRecordingCallback callback;
  IBTTask* task = AddGame(session, &callback);
  ASSERT_NE(nullptr, task);
  callback.timerWork = [&] {
    task->SetCallback(nullptr);
    session->ReleaseTask(task, kBTReleaseKeepFiles);
  };
  ASSERT_TRUE(task->Start());
  ASSERT_TRUE(callback.WaitFor("timer", 1, 10000));
  callback.Close();
  Sleep(1500);
  EXPECT_EQ(0, callback.LateCalls());
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
