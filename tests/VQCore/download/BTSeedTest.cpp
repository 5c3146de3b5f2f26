// Seeding under the manager: seeds.xml brings seeds back after a restart,
// aria2c downloads from us, and the seed limit, the seed rules and the
// clean-up of rejected seeds do what they should.
#include "VQCore/download/BTManager.h"

#include "common/CodePage.h"
#include "common/PathText.h"
#include "tests/VQCore/download/BTFixture.h"
#include "tests/support/WebRoot.h"

#include <time.h>

#include <atomic>

namespace Tessar {
namespace Test {
namespace {

// The seed rules' clock: counts its reads (one per rule round of a seed
// with an engine task) and runs as far ahead as the test says.
std::atomic<int> g_clockReads{0};
std::atomic<int64_t> g_clockAhead{0};

int64_t TestClock() {
    ++g_clockReads;
    return _time64(nullptr) + g_clockAhead.load();
}

class BTSeedTest : public BTFixture {
protected:
    // A finished game in the download folder: its content and its torrent
    // file (the record), as a finished download leaves them.
    void LayOutFinishedGame(const std::wstring& name) {
        WriteGame(L"down\\" + name);
        ASSERT_TRUE(MakeTorrent(scratch_.PathOf(L"down\\" + name), scratch_.PathOf(L"down\\" + name + L".vql"),
                                tracker_.AnnounceUrl()));
    }
    std::wstring Record(const std::wstring& name) { return scratch_.PathOf(L"down\\" + name + L".vql"); }
    void WriteSeedsXml(const std::vector<std::pair<int, std::wstring>>& seeds) {
        std::wstring xml = L"<?xml version=\"1.0\" ?>\n<Seeds>";
        for (const auto& s : seeds)
            xml += L"<Seed><gameId>" + std::to_wstring(s.first) + L"</gameId><resume>" + s.second +
                   L"</resume></Seed>";
        xml += L"</Seeds>\n";
        ASSERT_TRUE(scratch_.WriteFile(L"down\\seeds.xml", WideToCodePage(CP_ACP, xml)));
    }
};

TEST_F(BTSeedTest, SeedsXmlBringsTheSeedBackAndAria2DownloadsFromUs) {
    LayOutFinishedGame(L"game");
    ASSERT_TRUE(BTManager().AddSeedFromFile(201, Record(L"game")));
    ASSERT_TRUE(WaitUntil([] { return BTManager().ActiveSeedCount() == 1; }, 60000));
    ASSERT_TRUE(BTManager().SaveSeeds());

    BTManager().Shutdown();
    EXPECT_FALSE(BTManager().HasSeed(201));
    ASSERT_TRUE(BTManager().Init(DownloadFolder(), VQBTManager::kDefaultSeedLimit));
    EXPECT_TRUE(BTManager().HasSeed(201));
    ASSERT_TRUE(WaitUntil([] { return BTManager().ActiveSeedCount() == 1; }, 60000));
    // aria2c starts once the tracker lists a seeder, and the tracker may
    // still list the first session's (it had no time to say goodbye, or its
    // port is another now): wait until the restored seed itself has
    // announced, on the port the new session listens on.
    uint16_t port = BTManager().GetSession()->GetListenPort();
    ASSERT_TRUE(WaitUntil([&] { return tracker_.ListsSeederOnPort(port); }, 60000)) << port;

    ASSERT_TRUE(scratch_.MakeFolder(L"fetched"));
    VQAria2Peer fetcher;
    ASSERT_TRUE(fetcher.StartFetch(Record(L"game"), scratch_.PathOf(L"fetched")));
    EXPECT_EQ(0, fetcher.WaitFetch(120000));
    ExpectSameGame(L"down\\game", L"fetched\\game");
    fetcher.Stop();
    EXPECT_TRUE(BTManager().HasSeed(201));
}

TEST_F(BTSeedTest, TheWorkerKeepsTheLimitAndOneFinishedDownloadMayGoPastIt) {
    for (const wchar_t* name : {L"g1", L"g2", L"g3", L"g4", L"g5"})
        LayOutFinishedGame(name);
    // Opened by the worker from the list: two of three (the limit is 2).
    const uint32_t limit = VQBTManager::kDefaultSeedLimit;
    ASSERT_EQ(2u, limit);
    ASSERT_TRUE(BTManager().AddSeedFromFile(301, Record(L"g1")));
    ASSERT_TRUE(BTManager().AddSeedFromFile(302, Record(L"g2")));
    ASSERT_TRUE(BTManager().AddSeedFromFile(303, Record(L"g3")));
    ASSERT_TRUE(WaitUntil([] { return BTManager().ActiveSeedCount() == 2; }, 60000));
    Sleep(500);
    EXPECT_EQ(2u, BTManager().ActiveSeedCount());
    EXPECT_EQ(3u, BTManager().SeedCount());

    auto finished = [this](const wchar_t* name) {
        std::string error;
        IBTTask* task = BTManager().GetSession()->OpenTaskFromTorrent(WideToCodePage(CP_ACP, Record(name)),
                                                                      kBTOpenSeed, nullptr, &error);
        EXPECT_NE(nullptr, task) << error;
        return task;
    };
    // Two seeds run: a finished download still seeds (the count before it
    // is 2, not above 2) ...
    IBTTask* third = finished(L"g4");
    ASSERT_NE(nullptr, third);
    ASSERT_TRUE(BTManager().AddSeedFromTask(304, Record(L"g4"), third));
    EXPECT_EQ(3u, BTManager().ActiveSeedCount());
    // ... the next one does not: it keeps its entry without an engine task.
    IBTTask* fourth = finished(L"g5");
    ASSERT_NE(nullptr, fourth);
    ASSERT_TRUE(BTManager().AddSeedFromTask(305, Record(L"g5"), fourth));
    EXPECT_EQ(3u, BTManager().ActiveSeedCount());
    EXPECT_EQ(5u, BTManager().SeedCount());
    EXPECT_TRUE(BTManager().HasSeed(305));

    // One of three ends: two still run, so the worker opens no waiting one.
    BTManager().RemoveSeedById(301);
    EXPECT_FALSE(BTManager().HasSeed(301));
    Sleep(500);
    EXPECT_EQ(2u, BTManager().ActiveSeedCount());
    // Another ends: the worker opens the next waiting one, back to two.
    BTManager().RemoveSeedById(302);
    ASSERT_TRUE(WaitUntil([] { return BTManager().ActiveSeedCount() == 2; }, 60000));
    Sleep(500);
    EXPECT_EQ(2u, BTManager().ActiveSeedCount());
    EXPECT_EQ(3u, BTManager().SeedCount());
    std::string seeds = scratch_.ReadFile(L"down\\seeds.xml");
    EXPECT_EQ(std::string::npos, seeds.find("<gameId>301</gameId>")) << seeds;
    EXPECT_NE(std::string::npos, seeds.find("<gameId>305</gameId>")) << seeds;
}

TEST_F(BTSeedTest, TheAgeRuleExpiresOldSeeds) {
    g_clockAhead = 0;
    BTManager().SetClock(&TestClock);
    LayOutFinishedGame(L"old");
    ASSERT_TRUE(BTManager().AddSeedFromFile(401, Record(L"old")));
    ASSERT_TRUE(WaitUntil([] { return BTManager().ActiveSeedCount() == 1; }, 60000));
    ASSERT_TRUE(BTManager().SaveSeeds());
    EXPECT_NE(std::string::npos, scratch_.ReadFile(L"down\\seeds.xml").find("<gameId>401</gameId>"));
    // The engine keeps the completion time beside the record once the data
    // is found complete; from then on the age rule has a time to compare.
    ASSERT_TRUE(WaitUntil([&] { return FileExists(Record(L"old") + L".resume"); }, 60000));
    // Three rule rounds with the clock as it is: a fresh seed stays.
    g_clockReads = 0;
    ASSERT_TRUE(WaitUntil([] { return g_clockReads.load() >= 3; }, 60000));
    EXPECT_TRUE(BTManager().HasSeed(401));
    EXPECT_EQ(1u, BTManager().ActiveSeedCount());
    // Four days on, it goes; the list and seeds.xml change together.
    g_clockAhead = 4 * 86400;
    ASSERT_TRUE(WaitUntil([] { return !BTManager().HasSeed(401); }, 60000));
    EXPECT_EQ(0u, BTManager().ActiveSeedCount());
    std::string seeds = scratch_.ReadFile(L"down\\seeds.xml");
    EXPECT_NE(std::string::npos, seeds.find("<Seeds")) << seeds;
    EXPECT_EQ(std::string::npos, seeds.find("<gameId>401</gameId>")) << seeds;
    // Its files stay; only the seeding ends.
    EXPECT_TRUE(FileExists(scratch_.PathOf(L"down\\old\\game.exe")));
}

TEST_F(BTSeedTest, ASeedWhoseDataIsGoneIsRemoved) {
    LayOutFinishedGame(L"gone");
    ASSERT_TRUE(scratch_.WriteFile(L"down\\gone\\game.exe", "short"));
    ASSERT_TRUE(BTManager().AddSeedFromFile(501, Record(L"gone")));
    ASSERT_TRUE(WaitUntil([] { return !BTManager().HasSeed(501); }, 20000));
}

TEST_F(BTSeedTest, RejectedTorrentsAreDeletedOnlyInsideTheDownloadFolder) {
    BTManager().Shutdown();
    ASSERT_TRUE(scratch_.WriteFile(L"down\\broken.vql", "not a torrent"));
    ASSERT_TRUE(scratch_.WriteFile(L"outside\\precious.vql", "not a torrent either"));
    LayOutFinishedGame(L"good");
    WriteSeedsXml({{601, Record(L"broken")},
                   {602, scratch_.PathOf(L"outside\\precious.vql")},
                   {603, scratch_.PathOf(L"down\\..\\outside\\precious.vql")},
                   {604, Record(L"good")}});
    ASSERT_TRUE(BTManager().Init(DownloadFolder(), VQBTManager::kDefaultSeedLimit));
    EXPECT_FALSE(FileExists(Record(L"broken")));
    EXPECT_TRUE(FileExists(scratch_.PathOf(L"outside\\precious.vql")));
    EXPECT_FALSE(BTManager().HasSeed(601));
    EXPECT_FALSE(BTManager().HasSeed(602));
    EXPECT_TRUE(BTManager().HasSeed(604));
    EXPECT_EQ(1u, BTManager().SeedCount());
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
