// The start-up filling of the pages from the list files, the catalogue and
// the recommendation lists, and the lists written back from the tiles.
#include <gtest/gtest.h>

#include <tinyxml.h>

#include <algorithm>
#include <memory>

#include "VQCore/app/operations/DesktopShortcut.h"
#include "VQCore/app/pages/GameIcon.h"
#include "VQCore/app/pages/GameListState.h"
#include "VQCore/app/pages/RecommendXmlFile.h"
#include "VQCore/download/DownloadQueue.h"
#include "VQCore/download/DownloadTask.h"
#include "VQCore/gamelib/AppFolder.h"
#include "VQCore/gamelib/AppPaths.h"
#include "VQCore/gamelib/DatabaseXmlFile.h"
#include "VQCore/gamelib/DownloadXmlFile.h"
#include "VQCore/gamelib/InstalledXmlFile.h"
#include "bench/CatalogueGenerator.h"
#include "bench/MainLayoutHost.h"
#include "VQCore/app/pages/IconList.h"
#include "common/FileUtil.h"
#include "common/FormatText.h"
#include "common/IniFile.h"
#include "common/PathText.h"
#include "common/Shortcut.h"
#include "common/ScrambledXmlFile.h"
#include "tests/support/TempFolder.h"

namespace Tessar {
namespace Test {
namespace {

VQGameRecord Game(uint32_t id, bool published = true, uint8_t type = 1) {
    VQGameRecord record;
    record.ID = id;
    record.GameName = L"游戏" + std::to_wstring(id);
    record.Publish = published ? 1 : 0;
    record.Type = type;
    return record;
}

VQInstalledXmlFile::Record Installed(uint32_t id, const wchar_t* name = L"") {
    VQInstalledXmlFile::Record record(new VQGameInstalledInfo());
    record->ID = id;
    record->Name = name;
    record->FullPath = L"C:\\Games\\" + std::to_wstring(id) + L"\\game.exe";
    record->SetupTime = 1700000000 + id;
    record->RunCount = id % 3;
    return record;
}

std::vector<uint32_t> Ids(const VQTileList& tiles) {
    std::vector<uint32_t> ids;
    for (const VQGameIcon* tile : tiles) ids.push_back(tile->GetGameId());
    return ids;
}

// Writes an enciphered recommendation list with the given kind lists.
bool WriteRecommendList(const std::wstring& path, const char* top, const std::vector<std::vector<int>>& lists) {
    TiXmlDocument document;
    TiXmlElement* version = new TiXmlElement("VERSION");
    version->LinkEndChild(new TiXmlText("7"));
    document.LinkEndChild(version);
    if (top) {
        TiXmlElement* element = new TiXmlElement(top);
        for (size_t i = 0; i < lists.size() && i < 5; ++i) {
            TiXmlElement* list = new TiXmlElement(VQRecommendXmlFile::kListNames[i]);
            for (int id : lists[i]) {
                TiXmlElement* entry = new TiXmlElement("ID");
                entry->LinkEndChild(new TiXmlText(std::to_string(id).c_str()));
                list->LinkEndChild(entry);
            }
            element->LinkEndChild(list);
        }
        document.LinkEndChild(element);
    }
    return SaveScrambledXmlFile(document, path);
}

// A download that starts and stops at once, without a network.
class VQInstantTask : public VQDownloadTask {
public:
    explicit VQInstantTask(uint32_t id) : VQDownloadTask(id, kHttpTaskKind, L"C:\\cache") {}
    bool Start() override {
        SetState(kTaskRunning);
        return true;
    }
    bool Stop() override {
        SetState(kTaskStopped);
        return true;
    }
    void Release() override { delete this; }
};

class GameListStateTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetAppFolderOverride(m_temp.Path());
        m_temp.MakeFolder(L"data");
        m_temp.MakeFolder(L"pic");
        std::vector<VQGameRecord> games;
        for (uint32_t id = 1; id <= 12; ++id) games.push_back(Game(id));
        games.push_back(Game(13, false));
        for (uint32_t id = 40001; id <= 40010; ++id) games.push_back(Game(id, true, id == 40010 ? 4 : 1));
        for (uint32_t id = 20001; id <= 20003; ++id) games.push_back(Game(id));
        ASSERT_TRUE(Bench::WriteSyntheticCatalogue(games, L"1", GetDatabasePath(), nullptr));
        m_database.reset(new VQDatabaseXmlFile(GetDatabasePath()));
        ASSERT_TRUE(m_database->Load());
        m_state.Init(m_database.get());
    }
    void TearDown() override {
        m_state.DeleteTiles();
        SetAppFolderOverride(L"");
    }
    bool WriteInstalled(const VQInstalledXmlFile::Records& common, const VQInstalledXmlFile::Records& quick) {
        VQInstalledXmlFile file;
        file.SetRecords(common, quick);
        return file.Save(GetInstallListPath());
    }

    VQTempFolder m_temp;
    std::unique_ptr<VQDatabaseXmlFile> m_database;
    VQGameListState m_state;
};

TEST_F(GameListStateTest, TenQuickRecordsFillTheStripAndOverflow) {
    VQInstalledXmlFile::Records quick;
    for (uint32_t id = 1; id <= 10; ++id) quick.push_back(Installed(id));
    ASSERT_TRUE(WriteInstalled({Installed(11)}, quick));
    ASSERT_TRUE(m_state.LoadInstalledIcons());
    EXPECT_EQ((std::vector<uint32_t>{1, 2, 3, 4, 5, 6, 7, 8}), Ids(m_state.GetQuickIds()));
    EXPECT_EQ((std::vector<uint32_t>{11, 9, 10}), Ids(m_state.GetInstalledIds()));
    for (const VQGameIcon* tile : m_state.GetInstalledIds()) {
        EXPECT_EQ(kTileInstalled, static_cast<uint32_t>(tile->GetState()));
        EXPECT_EQ(L"游戏" + std::to_wstring(tile->GetGameId()), tile->GetText());
        EXPECT_EQ(1700000000 + tile->GetGameId(), static_cast<uint32_t>(tile->Data().installTime));
    }
    // No picture files: every catalogue tile waits for its icon, once.
    EXPECT_EQ(11u, m_state.GetMissingIconIds().size());
}

TEST_F(GameListStateTest, PictureFilesFoundByTheirProgramNames) {
    ASSERT_TRUE(m_temp.WriteFile(L"pic\\00003.vqp", "picture"));
    ASSERT_TRUE(m_temp.WriteFile(L"pic\\4.vqp", "a name the program never gives"));
    ASSERT_TRUE(m_temp.WriteFile(L"pic\\abc.vqp", "no id"));
    m_state.Init(m_database.get());
    ASSERT_TRUE(WriteInstalled({Installed(3), Installed(4)}, {}));
    ASSERT_TRUE(m_state.LoadInstalledIcons());
    const VQTileList tiles = m_state.GetInstalledIds();
    ASSERT_EQ(2u, tiles.size());
    EXPECT_EQ(L"file='" + GetGameIconPath(3) + L"' encrypt='true'", tiles[0]->GetIconDescription());
    EXPECT_EQ(L"res='248' restype='PNG'", tiles[1]->GetIconDescription());
    EXPECT_EQ(std::vector<uint32_t>{4}, Ids(m_state.GetMissingIconIds())) << "only the game without its picture";
}

TEST_F(GameListStateTest, CustomGamesAndUnknownIds) {
    ASSERT_TRUE(WriteInstalled({Installed(90005, L"我的游戏"), Installed(777), Installed(3)}, {}));
    ASSERT_TRUE(m_state.LoadInstalledIcons());
    EXPECT_EQ((std::vector<uint32_t>{90005, 3}), Ids(m_state.GetInstalledIds()));
    EXPECT_EQ(90006u, m_state.GetNextCustomId());
    const VQGameIcon* custom = m_state.GetInstalledIds()[0];
    EXPECT_EQ(L"我的游戏", custom->GetText());
    EXPECT_EQ(L"res='248' restype='PNG' dest='22,7,70,55'", custom->GetIconDescription())
        << "a well-formed picture text without a picture file";
    ASSERT_TRUE(SaveInstalledList(m_state.GetInstalledIds(), m_state.GetQuickIds()));
    VQInstalledXmlFile saved;
    ASSERT_TRUE(saved.LoadFile(GetInstallListPath()));
    ASSERT_EQ(2u, saved.GetCommonRecords().size());
    EXPECT_EQ(90001u, saved.GetCommonRecords()[0]->ID) << "the only custom game moves to the first id";
    EXPECT_EQ(L"我的游戏", saved.GetCommonRecords()[0]->Name);
    EXPECT_EQ(3u, saved.GetCommonRecords()[1]->ID);
    EXPECT_TRUE(saved.GetCommonRecords()[1]->Name.empty());
}

TEST_F(GameListStateTest, MissingOrDamagedListsLoadNothing) {
    EXPECT_FALSE(m_state.LoadInstalledIcons());
    EXPECT_FALSE(m_state.LoadDownloadIcons(nullptr));
    EXPECT_FALSE(m_state.LoadAdvertIcons());
    EXPECT_FALSE(m_state.LoadHotIcons());
    ASSERT_TRUE(m_temp.WriteFile(L"data\\hot.vqx", "not an enciphered list"));
    EXPECT_FALSE(m_state.LoadHotIcons());
    EXPECT_TRUE(m_state.GetHotIds().empty());
    EXPECT_TRUE(m_state.LoadRecommendIcons(false)) << "the other loaders still run";
}

TEST_F(GameListStateTest, ADamagedListIsSetAsideAndNeverWrittenOver) {
    const std::string damaged = "<INSTALLED><COMMON><NODE><ID>00001</ID><FullPath>C:\\g.exe";
    ASSERT_TRUE(m_temp.WriteFile(L"data\\install.vqx", damaged));
    ASSERT_TRUE(m_temp.WriteFile(L"data\\download.vqx", "<DOWNLOAD><NODE>"));
    EXPECT_FALSE(m_state.LoadInstalledIcons());
    EXPECT_FALSE(m_state.LoadDownloadIcons(nullptr));
    ASSERT_EQ(2u, m_state.UnreadableLists().size());
    const VQGameListState::UnreadableList& installed = m_state.UnreadableLists()[0];
    EXPECT_EQ(VQGameListState::InstalledList, installed.list);
    EXPECT_EQ(GetInstallListPath(), installed.aside.path);
    EXPECT_EQ(GetInstallListPath() + L".bad", installed.aside.asidePath);
    EXPECT_EQ(VQGameListState::DownloadList, m_state.UnreadableLists()[1].list);
    EXPECT_EQ(GetDownloadListPath() + L".bad", m_state.UnreadableLists()[1].aside.asidePath);

    // The first save writes a new list; the damaged one stays aside.
    ASSERT_TRUE(SaveInstalledList({}, {}));
    EXPECT_EQ(damaged, m_temp.ReadFile(L"data\\install.vqx.bad"));

    // A list that loads, or none at all, is nothing to set aside.
    VQGameListState again;
    again.Init(m_database.get());
    EXPECT_TRUE(again.LoadInstalledIcons());
    EXPECT_FALSE(again.LoadDownloadIcons(nullptr));
    EXPECT_TRUE(again.UnreadableLists().empty());
}

TEST_F(GameListStateTest, SavingRenumbersCustomGamesDensely) {
    VQTileList installed;
    for (uint32_t id : {90001u, 90002u, 90007u, 5u}) {
        VQGameIcon* tile = new VQGameIcon();
        tile->SetGameId(id);
        tile->SetText(L"自定义");
        tile->SetState(kTileInstalled);
        installed.push_back(tile);
    }
    ASSERT_TRUE(m_temp.WriteFile(L"pic\\90007.vqp", "picture"));
    ASSERT_TRUE(SaveInstalledList(installed, {}));
    EXPECT_EQ(90003u, installed[2]->GetGameId());
    EXPECT_TRUE(FileExists(GetGameIconPath(90003)));
    EXPECT_FALSE(FileExists(GetGameIconPath(90007)));
    EXPECT_EQ(L"file='" + GetGameIconPath(90003) + L"' icon='true' dest='30,15,62,47'", installed[2]->GetIconDescription());
    for (VQGameIcon* tile : installed) delete tile;
}

// A shortcut made in an earlier run (link.ini of the shared folder names an
// existing .lnk) marks its game's tile again, so that its menu offers to
// remove it and removing the game takes it along.
TEST_F(GameListStateTest, TilesOfGamesWithADesktopShortcutAreMarkedAtLoad) {
    const std::wstring shared = GetSharedDataFolder();
    ASSERT_FALSE(shared.empty());
    ASSERT_TRUE(CreateFolderChain(shared));
    const IniFile linkIni(GetLinkIniPath(shared));
    ASSERT_TRUE(m_temp.WriteFile(L"desk\\game11.lnk", "shortcut"));
    const struct {
        const char* name;
        uint32_t id;
        std::wstring lnk;  // empty: no section
        bool marked;
    } cases[] = {
        {"shortcut there", 11, m_temp.PathOf(L"desk\\game11.lnk"), true},
        {"shortcut deleted by hand", 12, m_temp.PathOf(L"desk\\gone.lnk"), false},
        {"no shortcut", 3, L"", false},
    };
    VQInstalledXmlFile::Records installed;
    for (const auto& c : cases) {
        linkIni.DeleteSection(FormatString(L"%05u", c.id));
        if (!c.lnk.empty()) {
            ASSERT_TRUE(linkIni.WriteString(FormatString(L"%05u", c.id), L"lnk", c.lnk)) << c.name;
        }
        installed.push_back(Installed(c.id));
    }
    ASSERT_TRUE(WriteInstalled(installed, {}));
    ASSERT_TRUE(m_state.LoadInstalledIcons());
    const VQTileList tiles = m_state.GetInstalledIds();
    ASSERT_EQ(3u, tiles.size());
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(cases[i].id, tiles[i]->GetGameId()) << cases[i].name;
        EXPECT_EQ(cases[i].marked, tiles[i]->Data().operationFlag2 != 0) << cases[i].name;
        linkIni.DeleteSection(FormatString(L"%05u", cases[i].id));
    }
}

// A game of the user's own that gets a lower id on saving has its shortcut
// made again for that id: the old one starts an id that is gone.
TEST_F(GameListStateTest, ARenumberedGameGetsItsShortcutMadeAgain) {
    VQTileList installed;
    for (uint32_t id : {90001u, 90007u}) {
        VQGameIcon* tile = new VQGameIcon();
        tile->SetGameId(id);
        tile->SetText(L"自定义" + std::to_wstring(id));
        tile->SetState(kTileInstalled);
        tile->Data().runProgram = m_temp.PathOf(L"own\\game.exe");
        installed.push_back(tile);
    }
    ASSERT_TRUE(m_temp.WriteFile(L"pic\\90007.vqp", "picture"));
    installed[1]->SetImage(L"file='" + GetGameIconPath(90007) + L"' icon='true' dest='30,15,62,47'");
    const IniFile linkIni(GetLinkIniPath());
    linkIni.DeleteSection(L"90002");
    ASSERT_TRUE(CreateDesktopShortcut(installed[1]));
    installed[1]->Data().operationFlag2 = 1;
    const std::wstring oldShortcut = linkIni.ReadString(L"90007", L"lnk");
    ASSERT_TRUE(FileExists(oldShortcut));

    ASSERT_TRUE(SaveInstalledList(installed, {}));
    EXPECT_EQ(90002u, installed[1]->GetGameId());
    EXPECT_TRUE(linkIni.ReadString(L"90007", L"lnk").empty()) << "the old record went";
    const std::wstring shortcut = linkIni.ReadString(L"90002", L"lnk");
    ASSERT_TRUE(FileExists(shortcut)) << "no shortcut for the new id";
    EXPECT_EQ(1, installed[1]->Data().operationFlag2);
    ShortcutInfo info;
    const bool com = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    const bool read = ReadShortcut(shortcut, info);
    if (com) ::CoUninitialize();
    ASSERT_TRUE(read);
    EXPECT_EQ(0u, info.arguments.find(L"-exec_app=90002")) << std::string(info.arguments.begin(), info.arguments.end());
    RemoveShortcutRecord(90002);
    EXPECT_FALSE(FileExists(shortcut));
    for (VQGameIcon* tile : installed) delete tile;
}

TEST_F(GameListStateTest, OnlyInstalledTilesAreSaved) {
    VQTileList tiles;
    const uint32_t states[] = {kTileInstalled, kTileDownloading, kTileInstalled};
    for (uint32_t i = 0; i < 3; ++i) {
        VQGameIcon* tile = new VQGameIcon();
        tile->SetGameId(i + 1);
        tile->SetState(states[i]);
        tile->Data().registered = 1;
        tiles.push_back(tile);
    }
    ASSERT_TRUE(SaveInstalledList({tiles[0], tiles[1]}, {tiles[2]}));
    VQInstalledXmlFile saved;
    ASSERT_TRUE(saved.LoadFile(GetInstallListPath()));
    ASSERT_EQ(1u, saved.GetCommonRecords().size());
    ASSERT_EQ(1u, saved.GetQuickRecords().size());
    EXPECT_EQ(3u, saved.GetQuickRecords()[0]->ID);
    EXPECT_EQ(1u, saved.GetCommonRecords()[0]->Registered);
    for (VQGameIcon* tile : tiles) delete tile;
}

TEST_F(GameListStateTest, DownloadListRoundTrip) {
    VQDownloadXmlFile::Records records;
    const struct {
        uint32_t id, state;
        uint32_t tileState;
    } rows[] = {{1, 1, kTilePaused}, {2, 2, kTilePaused}, {3, 3, kTileDownloaded}, {4, 4, kTilePaused},
                {5, 5, kTileNotInstalled}, {999, 1, 0}};
    for (const auto& row : rows) {
        VQDownloadXmlFile::Record record(new VQGameDownloadInfo());
        record->ID = row.id;
        record->State = row.state;
        record->Completed = 100 * row.id;
        record->Total = 1000;
        record->LogPath = L"C:\\cache\\" + std::to_wstring(row.id) + L".log";
        record->SetupPath = L"C:\\cache\\" + std::to_wstring(row.id) + L".vqk";
        records.push_back(record);
    }
    VQDownloadXmlFile file;
    file.SetRecords(records);
    ASSERT_TRUE(file.Save(GetDownloadListPath()));
    // No real downloads: the tasks are made by a factory that makes none.
    // Without AutoStartUndone a waiting or running download is paused.
    m_state.SetTaskFactory([](const VQGameDownloadInfo&, const std::wstring&) { return nullptr; });
    m_state.SetAutoStartUndone(false);
    ASSERT_TRUE(m_state.LoadDownloadIcons(nullptr));
    const VQTileList tiles = m_state.GetDownloadIds();
    ASSERT_EQ(5u, tiles.size()) << "the game the catalogue lacks is skipped";
    for (size_t i = 0; i < tiles.size(); ++i) {
        EXPECT_EQ(rows[i].tileState, static_cast<uint32_t>(tiles[i]->GetState())) << rows[i].id;
        EXPECT_EQ(static_cast<int64_t>(100 * rows[i].id), tiles[i]->Data().completedBytes);
    }
    EXPECT_EQ(L"C:\\cache\\3.vqk", tiles[2]->GetSetupPath());
    EXPECT_EQ(1, tiles[2]->Data().listFlag) << "a finished download waits for the user";
    ASSERT_TRUE(SaveDownloadList(tiles));
    VQDownloadXmlFile saved;
    ASSERT_TRUE(saved.LoadFile(GetDownloadListPath()));
    ASSERT_EQ(5u, saved.GetRecords().size());
    const uint32_t savedStates[] = {4, 4, 3, 4, 5};
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(savedStates[i], saved.GetRecords()[i]->State) << i;
        EXPECT_EQ(1u, saved.GetRecords()[i]->Type) << "no task: HTTP";
    }
    EXPECT_EQ(L"C:\\cache\\3.vqk", saved.GetRecords()[2]->SetupPath);
    EXPECT_TRUE(saved.GetRecords()[2]->LogPath.empty());
    EXPECT_EQ(L"C:\\cache\\1.log", saved.GetRecords()[0]->LogPath);
}

TEST_F(GameListStateTest, UnfinishedDownloadsResumeWithinTheQueueLimit) {
    VQDownloadXmlFile::Records records;
    for (const auto& row : {std::make_pair(1u, 2u), std::make_pair(2u, 1u), std::make_pair(3u, 4u)}) {
        VQDownloadXmlFile::Record record(new VQGameDownloadInfo());
        record->ID = row.first;
        record->State = row.second;
        record->Total = 100;
        records.push_back(record);
    }
    VQDownloadXmlFile file;
    file.SetRecords(records);
    ASSERT_TRUE(file.Save(GetDownloadListPath()));
    VQDownloadQueue queue(nullptr, 1);
    m_state.SetTaskFactory([](const VQGameDownloadInfo& info, const std::wstring&) { return new VQInstantTask(info.ID); });
    m_state.SetAutoStartUndone(true);
    ASSERT_TRUE(m_state.LoadDownloadIcons(&queue));
    const VQTileList tiles = m_state.GetDownloadIds();
    ASSERT_EQ(3u, tiles.size());
    EXPECT_EQ(3u, queue.GetTasks().size());
    EXPECT_EQ(kTileDownloading, static_cast<uint32_t>(tiles[0]->GetState())) << "the running one starts again";
    EXPECT_EQ(kTaskRunning, tiles[0]->GetDownloadTask()->GetState());
    for (size_t i = 1; i < 3; ++i) {
        EXPECT_EQ(kTileWaiting, static_cast<uint32_t>(tiles[i]->GetState())) << i << ": the queue is full";
        EXPECT_EQ(kTaskWaiting, tiles[i]->GetDownloadTask()->GetState()) << i;
    }
    EXPECT_EQ(1u, queue.RunningCount());
}

TEST_F(GameListStateTest, FinishedDownloadIsQueuedForInstallWhenAutoStarting) {
    VQDownloadXmlFile::Record record(new VQGameDownloadInfo());
    record->ID = 7;
    record->State = 3;
    record->SetupPath = L"C:\\cache\\7.vqk";
    VQDownloadXmlFile file;
    file.SetRecords({record});
    ASSERT_TRUE(file.Save(GetDownloadListPath()));
    std::vector<VQGameIcon*> queued;
    m_state.SetInstallPush([&](VQGameIcon* tile) { queued.push_back(tile); });
    m_state.SetAutoStartUndone(true);
    ASSERT_TRUE(m_state.LoadDownloadIcons(nullptr));
    ASSERT_EQ(1u, queued.size());
    EXPECT_EQ(7u, queued[0]->GetGameId());
    EXPECT_EQ(nullptr, queued[0]->GetDownloadTask());
}

TEST_F(GameListStateTest, AdvertToolsTopUpTheQuickStrip) {
    std::vector<int> tools;
    for (int id = 40001; id <= 40010; ++id) tools.push_back(id);
    ASSERT_TRUE(WriteRecommendList(GetAdvertListPath(), "ADVERT", {{3, 13, 555, 1}, {20002}, {}, {}, tools}));
    ASSERT_TRUE(m_state.LoadAdvertIcons());
    EXPECT_EQ((std::vector<uint32_t>{3, 1}), Ids(m_state.GetSingleGameIds())) << "unpublished and unknown ids skipped";
    EXPECT_EQ(std::vector<uint32_t>{20002}, Ids(m_state.GetOnlineGameIds()));
    EXPECT_EQ(10u, m_state.GetToolIds().size());
    const VQTileList quick = m_state.GetQuickIds();
    ASSERT_EQ(8u, quick.size());
    EXPECT_EQ(40001u, quick[0]->GetGameId());
    EXPECT_EQ(40008u, quick[7]->GetGameId());
    EXPECT_NE(m_state.GetToolIds()[0], quick[0]) << "the strip holds copies";
    EXPECT_EQ(kTileNotInstalled, static_cast<uint32_t>(quick[0]->GetState()));
    // The rest of the catalogue follows the advert tiles, without repeats.
    ASSERT_TRUE(m_state.LoadRecommendIcons(false));
    const std::vector<uint32_t> single = Ids(m_state.GetSingleGameIds());
    ASSERT_EQ(12u, single.size()) << "3 and 1 first, then the other ten of 1-12";
    EXPECT_EQ(3u, single[0]);
    EXPECT_EQ(1u, single[1]);
    EXPECT_EQ(1, std::count(single.begin(), single.end(), 3u));
    EXPECT_EQ(0, std::count(single.begin(), single.end(), 13u)) << "unpublished";
    const std::vector<uint32_t> toolIds = Ids(m_state.GetToolIds());
    EXPECT_EQ(0, std::count(toolIds.begin() + 10, toolIds.end(), 40010u)) << "a type-4 tool is not recommended";
}

// The start-up makes the kind pages' tiles a few at a time; the pages end
// up as one call makes them.
TEST_F(GameListStateTest, RecommendationsMadeInStepsMatchThoseMadeAtOnce) {
    ASSERT_TRUE(WriteRecommendList(GetAdvertListPath(), "ADVERT", {{3, 1}, {20002}, {}, {}, {40001, 40002}}));
    VQGameListState stepped;
    stepped.Init(m_database.get());
    for (VQGameListState* state : {&m_state, &stepped})
        ASSERT_TRUE(state->LoadAdvertIcons());
    ASSERT_TRUE(m_state.LoadRecommendIcons(false));
    int steps = 0;
    while (stepped.LoadRecommendIconsStep(false, 2)) ++steps;
    EXPECT_GT(steps, 3) << "two tiles a step take several steps";
    EXPECT_EQ(Ids(m_state.GetSingleGameIds()), Ids(stepped.GetSingleGameIds()));
    EXPECT_EQ(Ids(m_state.GetOnlineGameIds()), Ids(stepped.GetOnlineGameIds()));
    EXPECT_EQ(Ids(m_state.GetFlashGameIds()), Ids(stepped.GetFlashGameIds()));
    EXPECT_EQ(Ids(m_state.GetWebGameIds()), Ids(stepped.GetWebGameIds()));
    EXPECT_EQ(Ids(m_state.GetToolIds()), Ids(stepped.GetToolIds()));
    EXPECT_EQ(Ids(m_state.GetQuickIds()), Ids(stepped.GetQuickIds()));
    EXPECT_EQ(12u, stepped.GetSingleGameIds().size());
    stepped.DeleteTiles();
}

TEST_F(GameListStateTest, HotListWithoutItsElementIsEmpty) {
    ASSERT_TRUE(WriteRecommendList(GetHotListPath(), nullptr, {}));
    EXPECT_TRUE(m_state.LoadHotIcons());
    EXPECT_TRUE(m_state.GetHotIds().empty());
    ASSERT_TRUE(WriteRecommendList(GetHotListPath(), "HOT", {{2, 13}, {20001}, {}, {}, {40002}}));
    ASSERT_TRUE(m_state.LoadHotIcons());
    EXPECT_EQ((std::vector<uint32_t>{2, 20001, 40002}), Ids(m_state.GetHotIds()));
    VQRecommendXmlFile file(GetHotListPath(), VQRecommendXmlFile::HotList);
    ASSERT_TRUE(file.Load());
    EXPECT_EQ(L"7", file.GetVersion());
}

TEST_F(GameListStateTest, StartUpFillsThePagesAndTheListsGoBack) {
    ASSERT_TRUE(WriteInstalled({Installed(5), Installed(90002, L"自己的游戏")}, {Installed(6), Installed(40003)}));
    ASSERT_TRUE(WriteRecommendList(GetAdvertListPath(), "ADVERT", {{2}, {20003}, {}, {}, {40001}}));
    ASSERT_TRUE(WriteRecommendList(GetHotListPath(), "HOT", {{1, 20001}}));
    // The start-up's calling order.
    m_state.SetTaskFactory([](const VQGameDownloadInfo&, const std::wstring&) { return nullptr; });
    EXPECT_TRUE(m_state.LoadInstalledIcons());
    EXPECT_FALSE(m_state.LoadDownloadIcons(nullptr)) << "no download list yet";
    EXPECT_TRUE(m_state.LoadAdvertIcons());
    EXPECT_TRUE(m_state.LoadRecommendIcons(false));
    EXPECT_TRUE(m_state.LoadHotIcons());

    Bench::VQMainLayoutHost host;
    ASSERT_TRUE(host.IsBuilt());
    const struct {
        const wchar_t* name;
        VQTileList tiles;
        int listId;
    } pages[] = {{kInstalledListName, m_state.GetInstalledIds(), IdInstalledList},
                 {kQuickListName, m_state.GetQuickIds(), IdQuickList},
                 {kDownloadListName, m_state.GetDownloadIds(), IdDownloadList},
                 {kToolListName, m_state.GetToolIds(), IdToolList},
                 {kHotListName, m_state.GetHotIds(), IdHotList},
                 {kSingleGameListName, m_state.GetSingleGameIds(), IdSingleGameList},
                 {kOnlineGameListName, m_state.GetOnlineGameIds(), IdOnlineGameList},
                 {kFlashGameListName, m_state.GetFlashGameIds(), IdFlashGameList},
                 {kWebGameListName, m_state.GetWebGameIds(), IdWebGameList}};
    for (const auto& page : pages) ASSERT_TRUE(FillIconList(&host.Manager(), page.name, page.tiles)) << page.listId;
    m_state.Clear();  // the pages own the tiles now
    EXPECT_EQ((std::vector<uint32_t>{5, 90002}), Ids(host.List(IdInstalledList)->GetTiles()));
    EXPECT_EQ((std::vector<uint32_t>{6, 40003, 40001, 40002, 40004, 40005, 40006, 40007}),
              Ids(host.List(IdQuickList)->GetTiles()))
        << "installed quick games, the advert's tool, then recommended tools up to eight, none twice";
    EXPECT_EQ((std::vector<uint32_t>{1, 20001}), Ids(host.List(IdHotList)->GetTiles()));
    EXPECT_EQ(12, host.List(IdSingleGameList)->GetTileCount()) << "the advert's game first, then the catalogue";
    EXPECT_EQ(2u, host.List(IdSingleGameList)->GetTiles()[0]->GetGameId());
    EXPECT_EQ(1, host.List(IdSingleGameList)->GetCurrentPage());
    host.ShowPage(0);
    host.Layout();
    host.PaintToMemory();

    // A start is counted and written back with the lists.
    host.List(IdInstalledList)->GetTiles()[0]->RecordRun(1700001234);
    ASSERT_TRUE(SaveInstalledList(host.List(IdInstalledList)->GetTiles(), host.List(IdQuickList)->GetTiles()));
    VQInstalledXmlFile saved;
    ASSERT_TRUE(saved.LoadFile(GetInstallListPath()));
    ASSERT_EQ(2u, saved.GetCommonRecords().size());
    EXPECT_EQ(5u, saved.GetCommonRecords()[0]->ID);
    EXPECT_EQ(1700001234, saved.GetCommonRecords()[0]->LastRunTime);
    EXPECT_EQ(Installed(5)->RunCount + 1, saved.GetCommonRecords()[0]->RunCount);
    EXPECT_EQ(90001u, saved.GetCommonRecords()[1]->ID) << "the custom game moved to the first free id";
    EXPECT_EQ((std::vector<uint32_t>{6, 40003}), [&] {
        std::vector<uint32_t> ids;
        for (const auto& record : saved.GetQuickRecords()) ids.push_back(record->ID);
        return ids;
    }()) << "the not-installed tool copy stays out of the file";
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
