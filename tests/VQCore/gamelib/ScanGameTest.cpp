// The disk scan on its thread: the tiles it reports, the catalogue it loads
// for itself, pausing, resuming and stopping, the folders each mode walks
// and the folders it never enters. Drives are scratch folders given through
// the drive-list seam, so no test writes to a real drive root.
#include "VQCore/gamelib/ScanGame.h"

#include "VQCore/gamelib/AppFolder.h"
#include "VQCore/gamelib/AppPaths.h"
#include "VQCore/gamelib/DatabaseXmlFile.h"
#include "common/CodePage.h"
#include "common/FileUtil.h"
#include "common/Md5.h"
#include "common/PathText.h"
#include "common/Shortcut.h"
#include "common/ShellFolders.h"
#include "common/TextUtil.h"
#include "tests/VQCore/gamelib/DataFileTestUtil.h"
#include "tests/VQCore/gamelib/ScanGameTestSupport.h"
#include "tests/programs/scangame/ScanGameValues.h"
#include "tests/support/TempFolder.h"

#include <objbase.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace Tessar {
namespace {

VQGameFields Pal(const std::wstring& md5) {
    return {{L"ID", L"00042"},       {L"GameName", L"仙剑奇侠传"}, {L"Md5", md5},
            {L"Publish", L"1"},      {L"UninstallKey", L"PAL98"},  {L"Status", L"10010000"}};
}

VQGameFields VersionedGame(uint32_t id, const std::wstring& name, const std::wstring& exeName) {
    return {{L"ID", std::to_wstring(id)},
            {L"GameName", name},
            {L"ExeName", exeName},
            {L"Description", VQ_SCAN_GAME_DESCRIPTION},
            {L"Company", VQ_SCAN_GAME_COMPANY},
            {L"InternalName", VQ_SCAN_GAME_INTERNAL_NAME},
            {L"Publish", L"1"},
            {L"Status", L"00000001"}};
}

std::vector<uint32_t> Sorted(std::vector<uint32_t> ids) {
    std::sort(ids.begin(), ids.end());
    return ids;
}

class ScanGameTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(temp.Path().empty());
        ASSERT_TRUE(temp.MakeFolder(L"app"));
        SetAppFolderOverride(temp.PathOf(L"app"));
        palMd5 = Md5OfFile(FixturePath(kPlainGame));
        ASSERT_EQ(32u, palMd5.size());
    }
    void TearDown() override { SetAppFolderOverride(L""); }

    std::wstring Lay(const char* program, const std::wstring& name) {
        std::wstring path = temp.PathOf(name);
        EXPECT_TRUE(CopyFixture(program, path)) << program;
        return path;
    }
    bool Write(const std::wstring& name, const std::string& bytes = "data") { return temp.WriteFile(name, bytes); }

    // A scan over the owner's catalogue.
    void UseCatalogue(const std::vector<VQGameFields>& games) {
        catalogue = MakeCatalogue(games);
        ASSERT_TRUE(catalogue != nullptr);
        slot = catalogue.get();
    }

    VQTempFolder temp;
    std::wstring palMd5;
    std::unique_ptr<VQDatabaseXmlFile> catalogue;
    VQDatabaseXmlFile* slot = nullptr;
    VQScanRecorder recorder;
};

TEST_F(ScanGameTest, ReportsEachFoundGameAsAFilledTile) {
    UseCatalogue({Pal(palMd5), VersionedGame(20001, L"龙城传说", L"dragoncity.exe"),
                  VersionedGame(40001, L"Dragon tool", L"tool.exe"), VersionedGame(20010, L"英雄联盟", L"client.exe"),
                  {{L"ID", L"50001"}, {L"GameName", L"小小飞机"}, {L"Publish", L"1"}}});
    // Found by MD5, with an icon file.
    std::wstring pal = Lay(kPlainGame, L"root\\Games\\Pal\\pal.exe");
    ASSERT_TRUE(Write(L"root\\Games\\Pal\\readme.txt"));
    ASSERT_TRUE(Write(L"root\\Games\\Pal\\data.pak"));
    ASSERT_TRUE(Write(L"app\\pic\\00042.vqp"));
    // Found by name and version texts.
    std::wstring dragon = Lay(kVersionedGame, L"root\\Games\\Dragon\\DragonCity.exe");
    // A launcher without its companion files: not a game.
    Lay(kVersionedGame, L"root\\Games\\Lol\\bin\\Client.exe");
    // A shortcut to a program outside the walked folders, and one to a batch file.
    std::wstring tool = Lay(kVersionedGame, L"outside\\tool.exe");
    ASSERT_TRUE(Write(L"outside\\run.bat", "@echo off\r\n"));
    ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    ASSERT_TRUE(CreateShortcut(L"tool", tool, L"-fast", temp.PathOf(L"root\\Links\\tool.lnk"), L"", 0,
                               temp.PathOf(L"outside")));
    ASSERT_TRUE(CreateShortcut(L"bat", temp.PathOf(L"outside\\run.bat"), L"", temp.PathOf(L"root\\Links\\bat.lnk"),
                               L"", 0));
    ::CoUninitialize();
    // A Flash game folder.
    // The profile functions read the system code page.
    ASSERT_TRUE(Write(L"root\\Flash\\plane\\config.ini",
                      WideToNarrow(L"[main]\r\nname=小小飞机\r\nswf=50001.swf\r\nhelp=help.htm\r\n")));
    ASSERT_TRUE(Write(L"root\\Flash\\plane\\50001.swf", "FWS"));
    ASSERT_TRUE(Write(L"root\\Flash\\plane\\help.htm", "<html>"));

    VQScanGame scan(&slot, RecordedTileFactory());
    ASSERT_TRUE(scan.Start(kScanStartPath, &recorder, temp.PathOf(L"root")));
    ASSERT_TRUE(recorder.WaitFinished());
    scan.Wait();

    EXPECT_EQ((std::vector<uint32_t>{42, 20001, 40001, 50001}), Sorted(recorder.FoundIds()));
    EXPECT_EQ(10u, recorder.FileCount());
    EXPECT_EQ(1u, recorder.FinishedCount());
    EXPECT_EQ(std::vector<uint32_t>{100}, recorder.Progress());
    std::vector<std::wstring> folders = recorder.Folders();
    EXPECT_EQ(9u, folders.size());
    EXPECT_NE(folders.end(), std::find(folders.begin(), folders.end(), temp.PathOf(L"root\\Games\\Lol\\bin")));
    EXPECT_EQ(catalogue.get(), slot) << "the owner's catalogue stays";

    struct Expected {
        uint32_t id;
        std::wstring name;
        std::wstring fullPath;
        std::wstring runArg;
        std::wstring workingDir;
        std::wstring uninstallKey;
        std::string status;
        bool iconMissing;
    } expected[] = {
        {42, L"仙剑奇侠传", pal, L"", L"", L"PAL98", "10010000", false},
        {20001, L"龙城传说", dragon, L"", L"", L"", "00000001", true},
        {40001, L"Dragon tool", tool, L"-fast", temp.PathOf(L"outside"), L"", "00000001", true},
        {50001, L"小小飞机", GetFlashPlayerPath(), temp.PathOf(L"root\\Flash\\plane\\config.ini"), L"", L"",
         std::string(8, '\0'), true},
    };
    for (const Expected& e : expected) {
        const VQFoundGame* found = recorder.Found(e.id);
        ASSERT_TRUE(found != nullptr) << e.id;
        const VQRecordedTile& tile = *found->tile;
        EXPECT_EQ(kTileInstalled, tile.state) << e.id;
        EXPECT_EQ(e.name, tile.name) << e.id;
        EXPECT_EQ(e.fullPath, tile.fullPath) << e.id;
        EXPECT_EQ(e.runArg, tile.runArg) << e.id;
        EXPECT_EQ(e.workingDir, tile.workingDir) << e.id;
        EXPECT_EQ(e.uninstallKey, tile.uninstallKey) << e.id;
        EXPECT_EQ(e.status, tile.status) << e.id;
        EXPECT_EQ(e.iconMissing, found->iconMissing) << e.id;
        std::wstring image = e.iconMissing ? L"res='248' restype='PNG'"
                                           : L"file='" + GetGameIconPath(e.id) + L"' encrypt='true'";
        EXPECT_EQ(image, tile.image) << e.id;
    }
}

TEST_F(ScanGameTest, LoadsTheCatalogueItselfWhenTheSlotIsEmptyAndDropsItAfter) {
    ASSERT_TRUE(CreateFolderChain(temp.PathOf(L"app\\data")));
    std::unique_ptr<VQDatabaseXmlFile> saved = MakeCatalogue({Pal(palMd5)}, GetDatabasePath());
    ASSERT_TRUE(saved != nullptr);
    ASSERT_TRUE(saved->Save());
    Lay(kPlainGame, L"root\\pal\\pal.exe");

    VQDatabaseXmlFile* empty = nullptr;
    VQScanGame scan(&empty, RecordedTileFactory());
    ASSERT_TRUE(scan.Start(kScanStartPath, &recorder, temp.PathOf(L"root")));
    ASSERT_TRUE(recorder.WaitFinished());
    scan.Wait();
    EXPECT_EQ(std::vector<uint32_t>{42}, recorder.FoundIds());
    EXPECT_TRUE(empty == nullptr);

    // Without any slot at all.
    VQScanRecorder second;
    VQScanGame slotless(nullptr, RecordedTileFactory());
    ASSERT_TRUE(slotless.Start(kScanStartPath, &second, temp.PathOf(L"root")));
    ASSERT_TRUE(second.WaitFinished());
    EXPECT_EQ(std::vector<uint32_t>{42}, second.FoundIds());
}

TEST_F(ScanGameTest, CatalogueThatCannotBeLoadedEndsTheScanWithOnlyOnFinished) {
    Lay(kPlainGame, L"root\\pal\\pal.exe");
    for (bool damaged : {false, true}) {
        if (damaged) {
            ASSERT_TRUE(Write(L"app\\data\\database.vqx", "not a catalogue at all"));
        }
        VQScanRecorder report;
        VQDatabaseXmlFile* empty = nullptr;
        VQScanGame scan(&empty, RecordedTileFactory());
        ASSERT_TRUE(scan.Start(kScanStartPath, &report, temp.PathOf(L"root")));
        ASSERT_TRUE(report.WaitFinished());
        scan.Wait();
        EXPECT_EQ(1u, report.FinishedCount()) << damaged;
        EXPECT_EQ(0u, report.FileCount()) << damaged;
        EXPECT_TRUE(report.Folders().empty()) << damaged;
        EXPECT_TRUE(report.Progress().empty()) << damaged;
        EXPECT_TRUE(report.FoundIds().empty()) << damaged;
        EXPECT_TRUE(empty == nullptr) << damaged;
    }
}

TEST_F(ScanGameTest, PauseHoldsTheWalkResumeGoesOnAndStopEndsAPausedScan) {
    UseCatalogue({Pal(palMd5)});
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(Write(L"root\\file" + std::to_wstring(i) + L".txt"));
        ASSERT_TRUE(Write(L"root\\sub\\file" + std::to_wstring(i) + L".txt"));
    }
    VQScanGame scan(&slot, RecordedTileFactory());
    HANDLE paused = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
    ASSERT_TRUE(paused != nullptr);
    // The first folder pauses the scan from its own thread.
    auto pauseOnFirstFolder = [&](VQScanRecorder& report) {
        report.onDirectory = [&, first = true](const std::wstring&) mutable {
            if (first) {
                first = false;
                scan.Pause();
                ::SetEvent(paused);
            }
        };
    };

    pauseOnFirstFolder(recorder);
    ASSERT_TRUE(scan.Start(kScanStartPath, &recorder, temp.PathOf(L"root")));
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(paused, 30000));
    ::Sleep(300);
    uint32_t held = recorder.FileCount();
    EXPECT_FALSE(scan.Start(kScanStartPath, &recorder, temp.PathOf(L"root"))) << "a scan runs";
    ::Sleep(300);
    EXPECT_LE(held, 1u);
    EXPECT_EQ(held, recorder.FileCount());
    EXPECT_EQ(0u, recorder.FinishedCount());
    scan.Resume();
    ASSERT_TRUE(recorder.WaitFinished());
    scan.Wait();
    EXPECT_EQ(10u, recorder.FileCount());

    // The same object scans again; a stop reaches the paused walk.
    VQScanRecorder second;
    pauseOnFirstFolder(second);
    ASSERT_TRUE(scan.Start(kScanStartPath, &second, temp.PathOf(L"root")));
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(paused, 30000));
    scan.Stop();
    ASSERT_TRUE(second.WaitFinished(10000));
    scan.Wait();
    EXPECT_LE(second.FileCount(), 1u);
    EXPECT_EQ(1u, second.FinishedCount());
    ::CloseHandle(paused);
}

TEST_F(ScanGameTest, TileThatCannotBeMadeEndsTheWalkAndTheScanStillFinishes) {
    UseCatalogue({Pal(palMd5)});
    Lay(kPlainGame, L"root\\pal.exe");
    ASSERT_TRUE(Write(L"root\\sub\\one.txt"));
    ASSERT_TRUE(Write(L"root\\sub\\two.txt"));
    VQScanGame scan(&slot, []() { return std::unique_ptr<IGameTile>(); });
    ASSERT_TRUE(scan.Start(kScanStartPath, &recorder, temp.PathOf(L"root")));
    ASSERT_TRUE(recorder.WaitFinished());
    scan.Wait();
    EXPECT_TRUE(recorder.FoundIds().empty());
    EXPECT_EQ(1u, recorder.FileCount());
    EXPECT_EQ(std::vector<std::wstring>{temp.PathOf(L"root")}, recorder.Folders());
    EXPECT_EQ(1u, recorder.FinishedCount());
}

class ScanRootsTest : public ScanGameTest {
protected:
    void SetUp() override {
        ScanGameTest::SetUp();
        drives = {temp.PathOf(L"driveA") + L"\\", temp.PathOf(L"driveB")};
        ASSERT_TRUE(temp.MakeFolder(L"driveA\\ZelmorGames\\Games"));
        ASSERT_TRUE(temp.MakeFolder(L"driveA\\Games"));
        ASSERT_TRUE(temp.MakeFolder(L"driveB\\ZelmorGames"));
        ASSERT_TRUE(Write(L"driveB\\Games", "a file, not a folder"));
    }
    void UseDrives(VQScanGame& scan) {
        scan.SetDriveLister([this](std::vector<std::wstring>& roots) {
            roots = drives;
            return true;
        });
    }
    static std::vector<std::wstring> ShortcutFolders() {
        std::vector<std::wstring> folders;
        for (const std::wstring& folder : {GetDesktopFolder(), GetCommonDesktopFolder(), GetQuickLaunchFolder(),
                                           GetCommonQuickLaunchFolder(), GetProgramsMenuFolder(),
                                           GetCommonProgramsMenuFolder()}) {
            if (!folder.empty())
                folders.push_back(folder);
        }
        return folders;
    }

    std::vector<std::wstring> drives;
};

TEST_F(ScanRootsTest, EachModeHasItsRoots) {
    VQScanGame scan(&slot, RecordedTileFactory());
    UseDrives(scan);
    std::vector<std::wstring> shortcutFolders = ShortcutFolders();
    ASSERT_FALSE(shortcutFolders.empty());
    std::vector<std::wstring> gameFolders = shortcutFolders;
    gameFolders.push_back(temp.PathOf(L"driveA\\ZelmorGames\\Games"));
    gameFolders.push_back(temp.PathOf(L"driveA\\Games"));
    struct Case {
        uint32_t mode;
        bool built;
        std::vector<std::wstring> roots;
    } cases[] = {
        {0, false, {}},
        {kScanShortcutFolders, true, shortcutFolders},
        {kScanGameFolders, true, gameFolders},
        {kScanAllDrives, true, drives},
        {kScanStartPath, true, {L"D:\\Some\\Where"}},
        {5, false, {}},
    };
    for (const Case& c : cases) {
        std::vector<std::wstring> roots = {L"left over"};
        EXPECT_EQ(c.built, scan.BuildScanRoots(L"D:\\Some\\Where", roots, c.mode)) << c.mode;
        EXPECT_EQ(c.roots, roots) << c.mode;
    }
}

TEST_F(ScanRootsTest, SystemFoldersAreExcludedUnlessTheStartPathLiesInOne) {
    VQScanGame scan(&slot, RecordedTileFactory());
    UseDrives(scan);
    std::wstring favorites = GetFavoritesFolder();
    std::wstring cookies = GetCookiesFolder();
    ASSERT_FALSE(favorites.empty());
    ASSERT_FALSE(cookies.empty());
    auto listed = [](const std::wstring& list, const std::wstring& folder) {
        return (L";" + list).find(L";" + folder + L";") != std::wstring::npos;
    };
    std::wstring all = scan.BuildExclusionList(kScanAllDrives, L"");
    for (const std::wstring& folder : {favorites, cookies, GetRecentFolder(), GetLocalSettingsFolder()})
        EXPECT_TRUE(listed(all, folder)) << folder;
    EXPECT_TRUE(listed(all, temp.PathOf(L"driveA\\RECYCLER")));
    EXPECT_TRUE(listed(all, temp.PathOf(L"driveB\\System Volume Information")));
    EXPECT_EQ(L';', all.back());

    struct Case {
        const wchar_t* name;
        std::wstring startPath;
        bool favoritesListed;
    } cases[] = {
        {L"inside", favorites + L"\\games\\pal", false},
        {L"the folder itself", favorites + L"\\", false},
        {L"other case", [&] { std::wstring upper = favorites; MakeUpper(upper); return upper; }(), false},
        {L"a sibling that begins alike", favorites + L"Old\\games", true},
        {L"elsewhere", temp.PathOf(L"root"), true},
    };
    for (const Case& c : cases) {
        std::wstring list = scan.BuildExclusionList(kScanStartPath, c.startPath);
        EXPECT_EQ(c.favoritesListed, listed(list, favorites)) << c.name;
        EXPECT_TRUE(listed(list, cookies)) << c.name;
    }
}

TEST_F(ScanRootsTest, RecycleBinAndVolumeInformationAreNeverWalked) {
    UseCatalogue({Pal(palMd5)});
    Lay(kPlainGame, L"driveA\\RECYCLER\\S-1-5\\pal.exe");
    Lay(kPlainGame, L"driveB\\System Volume Information\\pal.exe");
    Lay(kPlainGame, L"driveB\\Apps\\pal\\pal.exe");
    VQScanGame scan(&slot, RecordedTileFactory());
    UseDrives(scan);
    ASSERT_TRUE(scan.Start(kScanAllDrives, &recorder, L""));
    ASSERT_TRUE(recorder.WaitFinished());
    scan.Wait();
    EXPECT_EQ(std::vector<uint32_t>{42}, recorder.FoundIds());
    EXPECT_EQ(temp.PathOf(L"driveB\\Apps\\pal\\pal.exe"), recorder.Found(42)->tile->fullPath);
    EXPECT_EQ((std::vector<uint32_t>{50, 100}), recorder.Progress());
    for (const std::wstring& folder : recorder.Folders()) {
        EXPECT_EQ(std::wstring::npos, folder.find(L"RECYCLER")) << folder;
        EXPECT_EQ(std::wstring::npos, folder.find(L"System Volume")) << folder;
    }
}

TEST_F(ScanRootsTest, StartPathInsideTheFavoritesFolderIsWalked) {
    UseCatalogue({Pal(palMd5)});
    std::wstring favorites = GetFavoritesFolder();
    ASSERT_FALSE(favorites.empty());
    std::wstring inside = favorites + L"\\vqscan-" + std::to_wstring(::GetCurrentProcessId());
    ASSERT_TRUE(CopyFixture(kPlainGame, inside + L"\\games\\pal.exe"));
    VQScanGame scan(&slot, RecordedTileFactory());
    UseDrives(scan);
    bool started = scan.Start(kScanStartPath, &recorder, inside);
    bool finished = started && recorder.WaitFinished();
    scan.Wait();
    DeleteFolderTree(inside);
    ASSERT_TRUE(finished);
    EXPECT_EQ(std::vector<uint32_t>{42}, recorder.FoundIds());
}

}  // namespace
}  // namespace Tessar
