// The game tile's state machine: captions, timer 8, the message of a
// downloaded tile, copies, completion reports and the small helpers.
#include <gtest/gtest.h>

#include <memory>
#include <thread>

#include "VQCore/app/pages/GameIcon.h"
#include "VQCore/app/pages/IconList.h"
#include "VQCore/gamelib/Settings.h"
#include "tests/VQCore/app/TileTestHost.h"

namespace Tessar {
namespace Test {
namespace {

// Puts the completion settings back however a test ends.
struct CompletionSettingsScope {
    CompletionSettingsScope()
        : tip(VQSettings::Instance().GetBool(L"CompleteMessageTip")),
          audio(VQSettings::Instance().GetBool(L"CompleteAudioTip")),
          powerOff(VQSettings::Instance().GetBool(L"CompletePowerOff")) {}
    ~CompletionSettingsScope() {
        VQSettings::Instance().SetBool(L"CompleteMessageTip", tip);
        VQSettings::Instance().SetBool(L"CompleteAudioTip", audio);
        VQSettings::Instance().SetBool(L"CompletePowerOff", powerOff);
    }
    bool tip, audio, powerOff;
};

TEST(GameIconState, CaptionFollowsStateAndDownloadStep) {
    struct Case {
        const char* name;
        uint32_t state;
        int32_t step;
        int32_t subState;
        std::wstring caption;
        uint32_t colour;
    };
    const Case cases[] = {
        {"installed shows the name", kTileInstalled, 0, 3, L"星际远征", 0xFFFFFFFF},
        {"not installed shows the name", kTileNotInstalled, 0, 3, L"星际远征", 0xFFFFFFFF},
        {"waiting", kTileWaiting, 0, 3, L"等待下载", 0xFFFFFFFF},
        {"downloading, one dot", kTileDownloading, 1, 3, L"正在下载.", 0xFFFFFFFF},
        {"downloading, three dots", kTileDownloading, 3, 3, L"正在下载...", 0xFFFFFFFF},
        {"downloading, step 4 has no dots", kTileDownloading, 4, 3, L"正在下载", 0xFFFFFFFF},
        {"downloading, odd step has no dots", kTileDownloading, 9, 3, L"正在下载", 0xFFFFFFFF},
        {"paused is dim", kTilePaused, 0, 3, L"暂停下载", 0x99FFFFFF},
        {"downloaded, click to install", kTileDownloaded, 0, 1, L"单击安装", 0xFFFFFFFF},
        {"downloaded, installing", kTileDownloaded, 0, 2, L"正在安装", 0xFFFFFFFF},
        {"downloaded, waiting to install", kTileDownloaded, 0, 3, L"等待安装", 0xFFFFFFFF},
    };
    for (const Case& c : cases) {
        VQGameIcon tile;
        tile.SetText(L"星际远征");
        tile.Data().downloadStep = c.step;
        tile.Data().downloadedSubState = c.subState;
        tile.SetState(c.state);
        EXPECT_EQ(c.caption, tile.GetCaption()) << c.name;
        EXPECT_EQ(c.colour, tile.GetNormalTextColor()) << c.name;
        EXPECT_EQ(static_cast<int>(c.state), tile.GetState()) << c.name;
    }
}

TEST(GameIconState, DownloadedWithUnknownSubStateKeepsCaption) {
    VQGameIcon tile;
    tile.SetText(L"古剑");
    tile.SetState(kTileWaiting);
    tile.Data().downloadedSubState = 7;
    tile.SetState(kTileDownloaded);
    EXPECT_EQ(L"等待下载", tile.GetCaption());
}

TEST(GameIconState, SetTextRefreshesCaptionOfNameStates) {
    VQGameIcon tile;
    tile.SetState(kTileInstalled);
    tile.SetText(L"仙剑奇缘");
    EXPECT_EQ(L"仙剑奇缘", tile.GetCaption());
}

TEST(GameIconState, NewTileDefaults) {
    VQGameIcon tile;
    EXPECT_EQ(17, tile.GetControlType());
    EXPECT_EQ(&tile, tile.GetInterface(17));
    EXPECT_EQ(&tile, tile.GetInterface(4));
    EXPECT_EQ(&tile, tile.GetInterface(1));
    EXPECT_EQ(nullptr, tile.GetInterface(25));
    EXPECT_EQ(-1, tile.GetHoveredIndex());
    EXPECT_EQ(-1, tile.GetInsertionIndex());
    EXPECT_EQ(3, tile.Data().downloadedSubState);
    EXPECT_STREQ("0000000000", tile.Data().status);
    EXPECT_EQ(nullptr, tile.GetDownloadTask());
}

TEST(GameIconState, StateTimerRunsOnlyWhileWaitingOrDownloading) {
    VQTileTestHost host(IconListMarkup(119, L"downloadlist", 4, 10));
    VQIconList* list = host.List(119);
    ASSERT_NE(nullptr, list);
    VQGameIcon* tile = MakeTile(101, L"赛车", kTileNotInstalled);
    ASSERT_TRUE(list->AddTile(tile));
    const struct {
        uint32_t state;
        bool running;
    } steps[] = {{kTileWaiting, true}, {kTileDownloading, true}, {kTilePaused, false},
                 {kTileDownloading, true}, {kTileDownloaded, false}, {kTileInstalled, false}};
    for (const auto& step : steps) {
        tile->SetState(step.state);
        EXPECT_EQ(step.running, tile->IsStateTimerRunning()) << "state " << step.state;
    }
}

TEST(GameIconState, DownloadedTilePostsToTheHostWindow) {
    VQTileTestHost host(IconListMarkup(119, L"downloadlist", 4, 10));
    VQIconList* list = host.List(119);
    VQGameIcon* tile = MakeTile(102, L"足球", kTileDownloading);
    ASSERT_TRUE(list->AddTile(tile));
    tile->Data().downloadedSubState = 3;
    tile->SetState(kTileDownloaded);
    ASSERT_TRUE(host.PumpUntil([&] { return !host.m_tileMessages.empty(); }));
    EXPECT_EQ(kMsgTileDownloaded, host.m_tileMessages[0].first);
    EXPECT_EQ(reinterpret_cast<WPARAM>(tile), host.m_tileMessages[0].second);
}

TEST(GameIconState, CopyFromGivesANotInstalledCatalogueCopy) {
    for (uint32_t sourceState : {kTileInstalled, kTileDownloading, kTileDownloaded}) {
        VQGameIcon source;
        source.SetGameId(20005);
        source.SetText(L"武林群侠");
        source.SetState(sourceState);
        source.SetImage(L"res='248' restype='PNG'");
        source.Data().homePage = L"http://127.0.0.1/home";
        source.Data().category = 7;
        source.Data().runProgram = L"C:\\Games\\wulin.exe";
        source.Data().completedBytes = 50;
        source.Data().depend = 0x21;
        VQGameIcon copy;
        copy.CopyFrom(source);
        EXPECT_EQ(kTileNotInstalled, static_cast<uint32_t>(copy.GetState())) << sourceState;
        EXPECT_EQ(20005u, copy.GetGameId());
        EXPECT_EQ(L"武林群侠", copy.GetText());
        EXPECT_EQ(L"武林群侠", copy.GetCaption());
        EXPECT_EQ(source.GetIconDescription(), copy.GetIconDescription());
        EXPECT_EQ(7u, copy.Data().category);
        EXPECT_EQ(0x21, copy.Data().depend);
        EXPECT_EQ(L"http://127.0.0.1/home", copy.Data().homePage);
        EXPECT_TRUE(copy.Data().runProgram.empty()) << "no installed data";
        EXPECT_EQ(0, copy.Data().completedBytes) << "no download data";
    }
}

TEST(GameIconState, RecordRunCountsOnlyRealStarts) {
    VQGameIcon tile;
    tile.RecordRun(0);
    EXPECT_EQ(0u, tile.Data().runCount);
    tile.RecordRun(1700000000);
    tile.RecordRun(1700000100);
    EXPECT_EQ(2u, tile.Data().runCount);
    EXPECT_EQ(1700000100, tile.Data().lastRunTime);
}

TEST(GameIconState, SignalCompletionFollowsTheSettings) {
    VQTileTestHost host(IconListMarkup(119, L"downloadlist", 4, 10));
    VQIconList* list = host.List(119);
    VQGameIcon* tile = MakeTile(103, L"棋牌", kTileDownloaded);
    ASSERT_TRUE(list->AddTile(tile));
    CompletionSettingsScope restore;
    VQSettings& settings = VQSettings::Instance();
    settings.SetBool(L"CompleteAudioTip", false);
    struct Case {
        const char* name;
        bool success, tip, powerOff;
        bool expectInstalled, expectLast, expectMessage;
    };
    const Case cases[] = {
        {"failure without power-off says nothing", false, true, false, false, false, false},
        {"failure with power-off still counts down", false, true, true, false, true, false},
        {"success with tip and power-off", true, true, true, true, true, true},
        {"success without tip", true, false, false, true, false, false},
    };
    for (const Case& c : cases) {
        settings.SetBool(L"CompleteMessageTip", c.tip);
        settings.SetBool(L"CompletePowerOff", c.powerOff);
        host.m_notes.clear();
        host.m_tileMessages.clear();
        tile->SignalCompletion(c.success);
        host.PumpUntil([] { return false; }, 50);
        bool installed = false, last = false;
        for (const VQNotifyMsg& note : host.m_notes) {
            if (note.type == NotifyInstallFinished && note.sender == tile) installed = true;
            if (note.type == NotifyLastInstallDone && note.sender == list) last = true;
        }
        EXPECT_EQ(c.expectInstalled, installed) << c.name;
        EXPECT_EQ(c.expectLast, last) << c.name;
        bool message = false;
        for (auto& m : host.m_tileMessages)
            message = message || (m.first == kMsgTileInstallFinished && m.second == tile->GetSerial());
        EXPECT_EQ(c.expectMessage, message) << c.name;
    }
}

TEST(GameIconState, CompletionFromAWorkerIsHandledOnTheUiThread) {
    VQTileTestHost host(IconListMarkup(119, L"downloadlist", 4, 10));
    VQIconList* list = host.List(119);
    VQGameIcon* kept = MakeTile(104, L"留下", kTileDownloaded);
    VQGameIcon* removed = MakeTile(105, L"删掉", kTileDownloaded);
    ASSERT_TRUE(list->AddTile(kept));
    ASSERT_TRUE(list->AddTile(removed));
    CompletionSettingsScope restore;
    VQSettings& settings = VQSettings::Instance();
    settings.SetBool(L"CompleteMessageTip", false);
    settings.SetBool(L"CompleteAudioTip", false);
    host.PumpUntil([] { return false; }, 30);
    host.m_notes.clear();
    host.m_noteThreads.clear();
    std::thread worker([&] {
        kept->SignalCompletion(true);
        removed->SignalCompletion(true);
    });
    worker.join();
    EXPECT_TRUE(host.m_notes.empty()) << "nothing reached the window from the worker itself";
    ASSERT_TRUE(list->RemoveTile(removed, true));  // the game went before the UI thread got to it
    auto finished = [&] {
        std::vector<size_t> found;
        for (size_t i = 0; i < host.m_notes.size(); ++i)
            if (host.m_notes[i].type == NotifyInstallFinished) found.push_back(i);
        return found;
    };
    ASSERT_TRUE(host.PumpUntil([&] { return !finished().empty(); }));
    host.PumpUntil([] { return false; }, 50);
    ASSERT_EQ(1u, finished().size());
    EXPECT_EQ(kept, host.m_notes[finished()[0]].sender);
    EXPECT_EQ(::GetCurrentThreadId(), host.m_noteThreads[finished()[0]]);
}

TEST(GameIconHelpers, FormatSizeText) {
    const struct {
        int64_t bytes;
        const wchar_t* text;
    } cases[] = {{1073741824, L"1.00GB"}, {1073741823, L"1024.0MB"}, {1048575, L"1024KB"}, {0, L"0KB"},
                 {1536, L"2KB"},          {5ll << 30, L"5.00GB"},    {-2048, L"-2KB"}};
    for (const auto& c : cases) EXPECT_EQ(c.text, FormatSizeText(c.bytes)) << c.bytes;
}

TEST(GameIconHelpers, GameKindOfTile) {
    const struct {
        uint32_t id;
        int kind;
    } cases[] = {{0, 0}, {1, 1}, {19999, 1}, {20000, 0}, {20001, 2}, {40001, 5}, {50001, 3},
                 {70001, 4}, {89999, 4}, {90000, 0}, {90001, 6}, {99999, 6}, {100000, 0}};
    for (const auto& c : cases) {
        VQGameIcon tile;
        tile.SetGameId(c.id);
        EXPECT_EQ(c.kind, GameKindOf(&tile)) << c.id;
    }
    EXPECT_EQ(0, GameKindOf(static_cast<const VQGameIcon*>(nullptr)));
}

TEST(GameIconHelpers, TwinsAreFoundOnTheirLists) {
    VQTileTestHost host(IconListMarkup(120, L"installlist", 4, 10) + IconListMarkup(121, L"quicklist", 1, 8) +
                        IconListMarkup(119, L"downloadlist", 4, 10) + IconListMarkup(114, L"singlelist", 4, 10));
    VQGameIcon* installed = MakeTile(501, L"甲", kTileInstalled);
    VQGameIcon* quickWaiting = MakeTile(502, L"乙", kTileWaiting);
    VQGameIcon* quick = MakeTile(503, L"丙", kTileInstalled);
    VQGameIcon* download = MakeTile(502, L"乙", kTilePaused);
    ASSERT_TRUE(host.List(120)->AddTile(installed));
    ASSERT_TRUE(host.List(121)->AddTile(quickWaiting));
    ASSERT_TRUE(host.List(121)->AddTile(quick));
    ASSERT_TRUE(host.List(119)->AddTile(download));
    const struct {
        uint32_t id;
        VQGameIcon* installedTwin;
        VQGameIcon* downloadTwin;
    } cases[] = {{501, installed, nullptr}, {502, nullptr, download}, {503, quick, nullptr}, {504, nullptr, nullptr}};
    for (const auto& c : cases) {
        VQGameIcon* catalogue = MakeTile(c.id, L"目录", kTileNotInstalled);
        ASSERT_TRUE(host.List(114)->AddTile(catalogue));
        EXPECT_EQ(c.installedTwin, FindInstalledTwin(catalogue)) << c.id;
        EXPECT_EQ(c.downloadTwin, FindDownloadTwin(catalogue)) << c.id;
    }
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
