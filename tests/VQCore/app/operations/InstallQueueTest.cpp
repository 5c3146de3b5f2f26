// The install queue: packages, setup programs and Flash packages installed
// one after the other by the queue's worker, the tile's state at the end,
// and a stop while a setup program runs.
#include "VQCore/app/operations/InstallQueue.h"

#include "VQCore/app/pages/GameIcon.h"
#include "VQCore/app/pages/IconList.h"
#include "VQCore/app/operations/OwnGameFolder.h"
#include "VQCore/app/environment/RuntimeInstall.h"
#include "VQCore/download/ConverterRegistry.h"
#include "VQCore/download/DownloadCache.h"
#include "VQCore/download/GamePackage.h"
#include "VQCore/download/GamePackageWriter.h"
#include "VQCore/gamelib/AppPaths.h"
#include "VQCore/download/PackageMeta.h"
#include "VQCore/download/PackageWriter.h"
#include "VQCore/download/TocNode.h"
#include "common/IniFile.h"
#include "common/PathText.h"
#include "tests/support/LocalServer.h"
#include "tests/VQCore/app/TileTestHost.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace Tessar {
namespace {

std::wstring SetupStubPath() {
    return Test::UnixToWindowsPath(Test::BinaryDirUnix() + "/fixtures/runtime") + L"\\RuntimeSetup.exe";
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// What the setup stub wrote about its run; waits for it to appear.
std::wstring WaitSeen(const std::wstring& setup, const wchar_t* key) {
    wchar_t value[1024] = L"";
    for (int i = 0; i < 1200; ++i) {
        ::GetPrivateProfileStringW(L"seen", key, L"", value, 1024, (setup + L".seen.ini").c_str());
        if (value[0] != 0) break;
        ::Sleep(50);
    }
    return value;
}

// A queue of its own over a test folder, recording what it reports as
// installed.
class InstallQueueTest : public ::testing::Test {
protected:
    InstallQueueTest() : m_queue(MakeEnvironment()) {}
    ~InstallQueueTest() override { m_queue.Stop(); }

    VQInstallQueue::Environment MakeEnvironment() {
        VQInstallQueue::Environment environment;
        environment.installFolder = [this] { return m_folder.PathOf(L"Games Folder"); };
        environment.installed = [this](uint32_t id, const std::wstring& path) {
            std::lock_guard<std::mutex> hold(m_mutex);
            m_installed.push_back(std::to_wstring(id) + L"|" + path);
        };
        environment.report = [this](VQGameIcon* tile, const VQInstallOutcome& outcome) {
            std::lock_guard<std::mutex> hold(m_mutex);
            m_reports.push_back(Reported{tile, outcome, ::GetCurrentThreadId()});
        };
        return environment;
    }

    void WriteGamePackage(const std::wstring& name, const std::wstring& gameFolder) {
        VQTocNode root(nullptr, kTocFolder);
        AddBytesEntry(root, kMetaEntryName, kTocInline,
                      EncodePackageMeta({{kMetaFolder, gameFolder},
                                         {kMetaExe, L"##install##\\game.exe"},
                                         {kMetaArgs, L"-window"}}),
                      kConverterStored);
        AddBytesEntry(root, L"game.exe", kTocFile, std::string(3000, 'g'), kConverterStored);
        ASSERT_TRUE(WritePackage(root, m_folder.PathOf(name)));
    }

    std::wstring CopySetup(const std::wstring& name) {
        const std::wstring path = m_folder.PathOf(name);
        EXPECT_TRUE(::CopyFileW(SetupStubPath().c_str(), path.c_str(), FALSE)) << Narrow(SetupStubPath());
        return path;
    }

    VQGameIcon* NewTile(uint32_t id, const std::wstring& setupPath) {
        m_tiles.emplace_back(new VQGameIcon());
        VQGameIcon* tile = m_tiles.back().get();
        tile->SetGameId(id);
        tile->SetState(6);
        tile->Data().setupPath = setupPath;
        return tile;
    }

    // Waits until the worker has let go of every tile, then applies what
    // it reported, as the window does on its thread.
    bool Drained() {
        if (!DrainedOnly()) return false;
        ApplyReports();
        return true;
    }

    bool DrainedOnly() {
        for (int i = 0; i < 1200; ++i) {
            if (m_queue.Count() == 0 && !m_queue.IsWorkerRunning()) return true;
            ::Sleep(50);
        }
        return false;
    }

    void ApplyReports() {
        std::vector<Reported> reports;
        {
            std::lock_guard<std::mutex> hold(m_mutex);
            reports.swap(m_reports);
        }
        for (const Reported& report : reports) ApplyInstallOutcome(report.tile, report.outcome);
    }

    struct Reported {
        VQGameIcon* tile;
        VQInstallOutcome outcome;
        DWORD thread;
    };

    std::vector<std::wstring> Installed() {
        std::lock_guard<std::mutex> hold(m_mutex);
        return m_installed;
    }

    VQTempFolder m_folder;
    std::mutex m_mutex;
    std::vector<std::wstring> m_installed;
    std::vector<Reported> m_reports;
    std::vector<std::unique_ptr<VQGameIcon>> m_tiles;
    VQInstallQueue m_queue;
};

TEST_F(InstallQueueTest, APackageInstallsAndTheTileBecomesInstalled) {
    WriteGamePackage(L"game.vqz", L"Demo Game");
    VQGameIcon* tile = NewTile(10001, m_folder.PathOf(L"game.vqz"));
    ASSERT_TRUE(m_queue.Push(tile));
    ASSERT_TRUE(Drained());

    const std::wstring folder = m_folder.PathOf(L"Games Folder\\Demo Game");
    EXPECT_EQ(1, tile->GetState());
    EXPECT_EQ(folder + L"\\game.exe", tile->Data().runProgram);
    EXPECT_EQ(L"-window", tile->Data().runArguments);
    EXPECT_EQ(folder, tile->Data().setupFolder);
    EXPECT_EQ(32u, tile->Data().uninstallDigest.size());
    EXPECT_GT(tile->Data().installTime, 0);
    EXPECT_EQ(0u, tile->Data().runCount);
    EXPECT_EQ(std::vector<std::wstring>{L"10001|" + m_folder.PathOf(L"game.vqz")}, Installed());
}

// After an install from a downloaded file the queue hands it to the download
// cache: recorded, and deleted at once when the cache drive is short of
// 5 GiB. (The cache's free space is the test's: a drive's cannot be set.)
TEST_F(InstallQueueTest, TheInstalledDownloadGoesToTheCacheWhichCleansUpWhenRoomIsShort) {
    const uint64_t kGiB = 1ull << 30;
    const struct {
        const char* name;
        uint64_t freeBytes;
        bool kept;
    } cases[] = {{"room enough", 10 * kGiB, true}, {"drive short of room", 1 * kGiB, false}};
    for (const auto& c : cases) {
        const std::wstring iniPath = m_folder.PathOf(L"shared\\cache.ini");
        VQCleanupDiskSpace::VQCacheSource source;
        source.iniPath = [iniPath] { return iniPath; };
        source.cacheDir = [this] { return m_folder.PathOf(L"downloads"); };
        source.now = [] { return static_cast<int64_t>(1300000000); };
        source.freeSpace = [&c](const std::wstring&, uint64_t& freeBytes) {
            freeBytes = c.freeBytes;
            return true;
        };
        VQCleanupDiskSpace cache(source);
        VQInstallQueue::Environment environment;
        environment.installFolder = [this] { return m_folder.PathOf(L"Games Folder"); };
        environment.cache = &cache;
        environment.report = [](VQGameIcon*, const VQInstallOutcome&) {};
        VQInstallQueue queue(environment);

        ASSERT_TRUE(m_folder.MakeFolder(L"downloads")) << c.name;
        WriteGamePackage(L"downloads\\cached.vqz", L"Cached Game");
        const std::wstring package = m_folder.PathOf(L"downloads\\cached.vqz");
        // As the download's end left it: its file recorded in cache.ini.
        ASSERT_TRUE(cache.StampEntry(10021, package)) << c.name;
        VQGameIcon* tile = NewTile(10021, package);
        ASSERT_TRUE(queue.Push(tile)) << c.name;
        bool drained = false;
        for (int i = 0; i < 1200 && !drained; ++i) {
            drained = queue.Count() == 0 && !queue.IsWorkerRunning();
            if (!drained) ::Sleep(50);
        }
        ASSERT_TRUE(drained) << c.name;
        EXPECT_TRUE(FileExists(m_folder.PathOf(L"Games Folder\\Cached Game\\game.exe"))) << c.name << ": not installed";
        EXPECT_EQ(c.kept, FileExists(package)) << c.name;
        EXPECT_EQ(c.kept ? package : L"", IniFile(iniPath).ReadString(L"10021", L"Path")) << c.name;
        queue.Stop();
        ::DeleteFileW(package.c_str());
        ::DeleteFileW(iniPath.c_str());
    }
}

TEST_F(InstallQueueTest, TheWorkerReportsAndLeavesTheTileToTheWindowThread) {
    WriteGamePackage(L"game.vqz", L"Reported Game");
    ASSERT_TRUE(m_folder.WriteFile(L"bad.vqz", std::string("VQZ\x01") + std::string(64, '\xff')));
    VQGameIcon* good = NewTile(10011, m_folder.PathOf(L"game.vqz"));
    VQGameIcon* bad = NewTile(10012, m_folder.PathOf(L"bad.vqz"));
    ASSERT_TRUE(m_queue.Push(good));
    ASSERT_TRUE(m_queue.Push(bad));
    EXPECT_EQ(3, good->Data().downloadedSubState);  // waiting to install, set by Push
    ASSERT_TRUE(DrainedOnly());

    // Until the reports are applied the tiles are as Push left them.
    EXPECT_EQ(6, good->GetState());
    EXPECT_EQ(L"", good->Data().runProgram);
    EXPECT_EQ(6, bad->GetState());
    std::vector<Reported> reports;
    {
        std::lock_guard<std::mutex> hold(m_mutex);
        reports = m_reports;
    }
    struct Expected {
        VQGameIcon* tile;
        bool finished;
        bool success;
    } expected[] = {{good, false, false}, {good, true, true}, {bad, false, false}, {bad, true, false}};
    ASSERT_EQ(4u, reports.size());
    for (size_t i = 0; i < reports.size(); ++i) {
        EXPECT_EQ(expected[i].tile, reports[i].tile) << i;
        EXPECT_EQ(expected[i].finished, reports[i].outcome.finished) << i;
        EXPECT_EQ(expected[i].success, reports[i].outcome.success) << i;
        EXPECT_NE(::GetCurrentThreadId(), reports[i].thread) << i;
    }
    EXPECT_EQ(m_folder.PathOf(L"Games Folder\\Reported Game\\game.exe"), reports[1].outcome.program);

    ApplyReports();
    EXPECT_EQ(1, good->GetState());
    EXPECT_EQ(m_folder.PathOf(L"Games Folder\\Reported Game\\game.exe"), good->Data().runProgram);
    EXPECT_EQ(2, bad->GetState());
}

TEST_F(InstallQueueTest, PushingATileTwiceQueuesItOnce) {
    EXPECT_FALSE(m_queue.Push(nullptr));
    const std::wstring setup = CopySetup(L"setup_wait.exe");
    VQGameIcon* tile = NewTile(10002, setup);
    ASSERT_TRUE(m_queue.Push(tile));
    EXPECT_FALSE(m_queue.Push(tile));
    EXPECT_EQ(1u, m_queue.Count());
    ASSERT_NE(L"", WaitSeen(setup, L"dir"));
    m_queue.Stop();
    ASSERT_TRUE(m_folder.WriteFile(L"setup_wait.exe.release", "go"));
    EXPECT_EQ(L"1", WaitSeen(setup, L"released"));
}

TEST_F(InstallQueueTest, ADamagedPackageFailsAndTheNextJobStillRuns) {
    ASSERT_TRUE(m_folder.WriteFile(L"bad.vqz", std::string("VQZ\x01") + std::string(64, '\xff')));
    WriteGamePackage(L"good.vqz", L"Good Game");
    VQGameIcon* bad = NewTile(10003, m_folder.PathOf(L"bad.vqz"));
    VQGameIcon* missing = NewTile(10004, m_folder.PathOf(L"gone.vqz"));
    VQGameIcon* good = NewTile(10005, m_folder.PathOf(L"good.vqz"));
    ASSERT_TRUE(m_queue.Push(bad));
    ASSERT_TRUE(m_queue.Push(missing));
    ASSERT_TRUE(m_queue.Push(good));
    ASSERT_TRUE(Drained());
    EXPECT_EQ(2, bad->GetState());
    EXPECT_EQ(2, missing->GetState());
    EXPECT_EQ(1, good->GetState());
    EXPECT_EQ(L"", bad->Data().runProgram);
    EXPECT_EQ(std::vector<std::wstring>{L"10005|" + m_folder.PathOf(L"good.vqz")}, Installed());

    // After the queue drained, the next push starts a new worker.
    WriteGamePackage(L"again.vqz", L"Again");
    VQGameIcon* again = NewTile(10006, m_folder.PathOf(L"again.vqz"));
    ASSERT_TRUE(m_queue.Push(again));
    ASSERT_TRUE(Drained());
    EXPECT_EQ(1, again->GetState());
}

TEST_F(InstallQueueTest, SetupHandshakeWithBlanksInThePaths) {
    ASSERT_TRUE(m_folder.MakeFolder(L"Games Folder"));
    ASSERT_TRUE(m_folder.MakeFolder(L"Games Folder\\My Game"));
    const std::wstring setup = CopySetup(L"Games Folder\\My Game\\setup_result_1_path.exe");
    VQGameIcon* tile = NewTile(10007, setup);
    ASSERT_TRUE(m_queue.Push(tile));
    ASSERT_TRUE(Drained());

    EXPECT_EQ(m_folder.PathOf(L"Games Folder"), WaitSeen(setup, L"dir"));
    EXPECT_EQ(L"1", WaitSeen(setup, L"arguments"));
    EXPECT_EQ(1, tile->GetState());
    EXPECT_EQ(setup, tile->Data().runProgram);
    EXPECT_EQ(L"-demo x", tile->Data().runArguments);
    EXPECT_EQ(m_folder.PathOf(L"Games Folder\\My Game"), tile->Data().setupFolder);
}

TEST_F(InstallQueueTest, SetupResultsThatAreNotASuccess) {
    struct Case {
        const wchar_t* name;
        int state;
    } cases[] = {
        {L"setup_result_2_path.exe", 2},  // the wrong result
        {L"setup_result_1.exe", 2},       // success but no program named
        {L"setup_silent.exe", 2},         // no answer at all
    };
    for (const Case& c : cases) {
        VQGameIcon* tile = NewTile(10008, CopySetup(c.name));
        ASSERT_TRUE(m_queue.Push(tile)) << Narrow(c.name);
        ASSERT_TRUE(Drained()) << Narrow(c.name);
        EXPECT_EQ(c.state, tile->GetState()) << Narrow(c.name);
        EXPECT_EQ(L"", tile->Data().runProgram) << Narrow(c.name);
    }
    EXPECT_TRUE(Installed().empty());
}

TEST_F(InstallQueueTest, StopWhileASetupProgramRunsEndsTheWorker) {
    const std::wstring setup = CopySetup(L"setup_wait.exe");
    VQGameIcon* waiting = NewTile(10009, setup);
    WriteGamePackage(L"later.vqz", L"Later");
    VQGameIcon* later = NewTile(10010, m_folder.PathOf(L"later.vqz"));
    ASSERT_TRUE(m_queue.Push(waiting));
    ASSERT_TRUE(m_queue.Push(later));
    // The setup program has read its hand-shake once it wrote what it saw.
    ASSERT_NE(L"", WaitSeen(setup, L"dir"));
    m_queue.Stop();
    EXPECT_FALSE(m_queue.IsWorkerRunning());
    EXPECT_EQ(0u, m_queue.Count());
    EXPECT_EQ(6, waiting->GetState());
    EXPECT_EQ(6, later->GetState());
    EXPECT_TRUE(Installed().empty());

    // The queue takes work again after a stop.
    ASSERT_TRUE(m_queue.Push(later));
    ASSERT_TRUE(Drained());
    EXPECT_EQ(1, later->GetState());

    ASSERT_TRUE(m_folder.WriteFile(L"setup_wait.exe.release", "go"));
    EXPECT_EQ(L"1", WaitSeen(setup, L"released"));
}

TEST(SetupReportTest, LongAndQuotedValuesArriveWhole) {
    VQTempFolder folder;
    // A program path past 260 characters, in a folder with blanks.
    const std::string deep = "C:\\Games Folder\\" + std::string(150, 'd') + "\\" + std::string(120, 'e') + "\\game.exe";
    ASSERT_GT(deep.size(), 260u);
    ASSERT_TRUE(folder.WriteFile(L"report.ini", "[report]\r\nresult=1\r\npath=\"" + deep +
                                                    "\"\r\nparam=\" -window  -x \"\r\n"));
    const VQSetupReport report = ReadSetupReport(folder.PathOf(L"report.ini"));
    EXPECT_EQ(std::wstring(deep.begin(), deep.end()), report.path);
    EXPECT_EQ(L" -window  -x ", report.param);

    ASSERT_TRUE(folder.WriteFile(L"empty.ini", "[report]\r\nresult=1\r\n"));
    const VQSetupReport empty = ReadSetupReport(folder.PathOf(L"empty.ini"));
    EXPECT_EQ(L"", empty.path);
    EXPECT_EQ(L"", empty.param);
}

TEST(InstallQueueRules, FlashIdsAndGameFolders) {
    struct IdCase {
        uint32_t id;
        bool flash;
    } ids[] = {{50000, false}, {50001, true}, {69999, true}, {70000, false}, {0, false}, {10001, false}};
    for (const IdCase& c : ids) EXPECT_EQ(c.flash, IsFlashGameId(c.id)) << c.id;

    struct FolderCase {
        const wchar_t* install;
        const wchar_t* program;
        const wchar_t* folder;
    } folders[] = {
        {L"D:\\Games", L"D:\\Games\\Foo\\bin\\foo.exe", L"D:\\Games\\Foo"},
        {L"D:\\Games", L"d:\\GAMES\\Foo\\foo.exe", L"D:\\Games\\Foo"},
        {L"D:\\Games", L"D:\\Games\\foo.exe", L""},
        {L"D:\\Games", L"E:\\Other\\Foo\\foo.exe", L""},
        {L"D:\\Games", L"D:\\Games", L""},
        {L"", L"D:\\Games\\Foo\\foo.exe", L""},
    };
    for (const FolderCase& c : folders)
        EXPECT_EQ(c.folder, GetGameFolderFromPath(c.install, c.program)) << Narrow(c.program);
}

TEST_F(InstallQueueTest, AFlashPackageInstallsForTheFlashWindow) {
    ASSERT_TRUE(m_folder.MakeFolder(L"source"));
    ASSERT_TRUE(m_folder.MakeFolder(L"source\\Flash Game"));
    ASSERT_TRUE(m_folder.WriteFile(L"source\\Flash Game\\game.swf", "FWS"));
    ASSERT_TRUE(m_folder.WriteFile(L"source\\Flash Game\\config.ini", "[game]\n"));
    std::vector<VQGamePackSource> sources;
    ASSERT_TRUE(CollectGamePackageSources(m_folder.PathOf(L"source"), sources));
    ASSERT_TRUE(::Tessar::WriteGamePackage(sources, m_folder.PathOf(L"flash.pkg")));
    // Only the id chooses this road: a Flash game's file is no "VQZ" package.
    VQGameIcon* tile = NewTile(69999, m_folder.PathOf(L"flash.pkg"));
    ASSERT_TRUE(m_queue.Push(tile));
    ASSERT_TRUE(Drained());
    EXPECT_EQ(1, tile->GetState());
    EXPECT_EQ(GetFlashPlayerPath(), tile->Data().runProgram);
    // Unpacked into a folder of its own, which is the one its removal deletes.
    const std::wstring own = m_folder.PathOf(L"Games Folder\\FlashGames\\69999");
    EXPECT_EQ(own + L"\\Flash Game\\config.ini", tile->Data().runArguments);
    EXPECT_EQ(own, tile->Data().setupFolder);
    EXPECT_EQ(own, tile->Data().createdFolder);
    EXPECT_EQ("FWS", m_folder.ReadFile(L"Games Folder\\FlashGames\\69999\\Flash Game\\game.swf"));
}

TEST_F(InstallQueueTest, EachFlashGameGetsANewFolderOfItsOwn) {
    // A package with game.swf and config.ini at its root, installed twice,
    // into an install folder that already holds a folder of the id's name.
    ASSERT_TRUE(m_folder.WriteFile(L"source\\game.swf", "FWS"));
    ASSERT_TRUE(m_folder.WriteFile(L"source\\config.ini", "[main]\n"));
    ASSERT_TRUE(m_folder.WriteFile(L"Games Folder\\FlashGames\\50001\\user.txt", "the user's"));
    std::vector<VQGamePackSource> sources;
    ASSERT_TRUE(CollectGamePackageSources(m_folder.PathOf(L"source"), sources));
    ASSERT_TRUE(::Tessar::WriteGamePackage(sources, m_folder.PathOf(L"flash.pkg")));
    const wchar_t* expected[] = {L"Games Folder\\FlashGames\\50001-2", L"Games Folder\\FlashGames\\50001-3"};
    for (const wchar_t* folder : expected) {
        VQGameIcon* tile = NewTile(50001, m_folder.PathOf(L"flash.pkg"));
        ASSERT_TRUE(m_queue.Push(tile));
        ASSERT_TRUE(Drained());
        EXPECT_EQ(1, tile->GetState());
        EXPECT_EQ(m_folder.PathOf(folder), tile->Data().createdFolder);
        EXPECT_EQ(m_folder.PathOf(folder) + L"\\config.ini", tile->Data().runArguments);
    }
    EXPECT_FALSE(FileExists(m_folder.PathOf(L"Games Folder\\config.ini"))) << "unpacked into the install folder";
    EXPECT_EQ("the user's", m_folder.ReadFile(L"Games Folder\\FlashGames\\50001\\user.txt"));
}

// A Flash package whose first file is a hole in the package file: written
// in an instant, and it takes a long while to unpack.
bool WriteHollowFlashPackage(const std::wstring& path, uint64_t holeBytes) {
    struct Entry {
        const wchar_t* path;
        std::string bytes;  // empty: the hole
    };
    const Entry entries[] = {{L"Big Game\\data.bin", std::string()},
                             {L"Big Game\\game.swf", "FWS"},
                             {L"Big Game\\config.ini", "[main]\r\nname=big\r\n"}};
    std::string head = "VQZ";
    const uint32_t count = 3;
    head.append(reinterpret_cast<const char*>(&count), sizeof(count));
    for (const Entry& entry : entries) {
        VQFileItem item;
        item.type = kGameItemFile;
        SetGamePackageItemPath(item, entry.path);
        item.size = entry.bytes.empty() ? holeBytes : entry.bytes.size();
        item.attributes = FILE_ATTRIBUTE_ARCHIVE;
        head.append(reinterpret_cast<const char*>(&item), sizeof(item));
    }
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = ::WriteFile(file, head.data(), static_cast<DWORD>(head.size()), &written, nullptr) != FALSE;
    LARGE_INTEGER past = {};
    past.QuadPart = static_cast<LONGLONG>(head.size() + holeBytes);
    ok = ok && ::SetFilePointerEx(file, past, nullptr, FILE_BEGIN);
    const std::string tail = entries[1].bytes + entries[2].bytes;
    ok = ok && ::WriteFile(file, tail.data(), static_cast<DWORD>(tail.size()), &written, nullptr);
    ::CloseHandle(file);
    return ok;
}

TEST_F(InstallQueueTest, AStopDuringAFlashInstallEndsItWithoutWaitingForTheUnpacking) {
    const uint64_t kHole = 4ull << 30;
    ASSERT_TRUE(WriteHollowFlashPackage(m_folder.PathOf(L"big.pkg"), kHole));
    VQGameIcon* tile = NewTile(50002, m_folder.PathOf(L"big.pkg"));
    ASSERT_TRUE(m_queue.Push(tile));
    const std::wstring target = m_folder.PathOf(L"Games Folder\\FlashGames\\50002\\Big Game\\data.bin");
    WIN32_FILE_ATTRIBUTE_DATA facts = {};
    bool begun = false;
    for (int i = 0; i < 600 && !begun; ++i) {
        begun = ::GetFileAttributesExW(target.c_str(), GetFileExInfoStandard, &facts) && facts.nFileSizeLow > 0;
        if (!begun) ::Sleep(50);
    }
    ASSERT_TRUE(begun) << "the unpacking did not begin";
    const DWORD before = ::GetTickCount();
    m_queue.Stop();
    EXPECT_LT(::GetTickCount() - before, 3000u) << "the stop waited for the unpacking";
    EXPECT_FALSE(m_queue.IsWorkerRunning());
    ApplyReports();
    EXPECT_EQ(6, tile->GetState()) << "a stopped install is neither installed nor failed";
    EXPECT_TRUE(Installed().empty());
    // The file cut short goes.
    EXPECT_FALSE(FileExists(target));
}

TEST_F(InstallQueueTest, AFlashIdWithoutAFlashPackageFails) {
    // A "VQZ" package under a Flash id takes the Flash road, where it is no
    // format B package with a ".swf" and config.ini.
    WriteGamePackage(L"flash.vqz", L"Flash");
    VQGameIcon* tile = NewTile(50001, m_folder.PathOf(L"flash.vqz"));
    ASSERT_TRUE(m_queue.Push(tile));
    ASSERT_TRUE(Drained());
    EXPECT_EQ(2, tile->GetState());
    EXPECT_FALSE(FileExists(m_folder.PathOf(L"Games Folder\\Flash\\game.exe")));
    // The folder made for it went again.
    EXPECT_FALSE(FolderExists(m_folder.PathOf(L"Games Folder\\FlashGames\\50001")));
}

TEST_F(InstallQueueTest, ASetupRecordsOnlyAFolderItCreated) {
    // The install folder already holds a folder shared with other software.
    ASSERT_TRUE(m_folder.WriteFile(L"Games Folder\\Shared\\other.exe", "other"));
    struct Case {
        const char* name;
        const wchar_t* target;  // what the setup installs, below the install folder
        const wchar_t* setupFolder;
        const wchar_t* createdFolder;
    } cases[] = {
        {"a new folder", L"New Game\\bin\\game.exe", L"New Game", L"New Game"},
        {"inside a folder that was there", L"Shared\\Publisher\\Game\\game.exe", L"Shared", nullptr},
        {"directly in the install folder", L"game.exe", nullptr, nullptr},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::wstring setup = CopySetup(L"setup_install_" + std::to_wstring(++n) + L".exe");
        ASSERT_TRUE(::WritePrivateProfileStringW(L"target", L"path", c.target, (setup + L".target.ini").c_str()));
        ::WritePrivateProfileStringW(nullptr, nullptr, nullptr, (setup + L".target.ini").c_str());
        VQGameIcon* tile = NewTile(10020 + n, setup);
        ASSERT_TRUE(m_queue.Push(tile)) << c.name;
        ASSERT_TRUE(Drained()) << c.name;
        EXPECT_EQ(1, tile->GetState()) << c.name;
        EXPECT_EQ(m_folder.PathOf(L"Games Folder\\") + c.target, tile->Data().runProgram) << c.name;
        auto inInstall = [this](const wchar_t* name) {
            return name ? m_folder.PathOf(L"Games Folder\\") + name : std::wstring();
        };
        EXPECT_EQ(inInstall(c.setupFolder), tile->Data().setupFolder) << c.name;
        EXPECT_EQ(inInstall(c.createdFolder), tile->Data().createdFolder) << c.name;
    }
}

TEST_F(InstallQueueTest, APackageRecordsItsFolderOnlyWhenItMadeIt) {
    WriteGamePackage(L"new.vqz", L"New Package");
    WriteGamePackage(L"old.vqz", L"Old Package");
    ASSERT_TRUE(m_folder.WriteFile(L"Games Folder\\Old Package\\save.dat", "a save"));
    VQGameIcon* fresh = NewTile(10031, m_folder.PathOf(L"new.vqz"));
    VQGameIcon* over = NewTile(10032, m_folder.PathOf(L"old.vqz"));
    ASSERT_TRUE(m_queue.Push(fresh));
    ASSERT_TRUE(m_queue.Push(over));
    ASSERT_TRUE(Drained());
    EXPECT_EQ(1, fresh->GetState());
    EXPECT_EQ(m_folder.PathOf(L"Games Folder\\New Package"), fresh->Data().createdFolder);
    EXPECT_EQ(1, over->GetState());
    EXPECT_EQ(m_folder.PathOf(L"Games Folder\\Old Package"), over->Data().setupFolder);
    EXPECT_EQ(L"", over->Data().createdFolder);
}

TEST(InstallFolderSnapshot, OnlyAFolderThatWasNotThereIsTheInstallsOwn) {
    VQTempFolder folder;
    ASSERT_TRUE(folder.WriteFile(L"Install\\Before\\a.exe", "a"));
    const std::wstring install = folder.PathOf(L"Install");
    const VQInstallFolderSnapshot snapshot(install);
    const VQInstallFolderSnapshot rootSnapshot(install + L"\\");
    const VQInstallFolderSnapshot missing(folder.PathOf(L"Not Yet"));
    ASSERT_TRUE(folder.WriteFile(L"Install\\After\\bin\\b.exe", "b"));
    ASSERT_TRUE(folder.WriteFile(L"Install\\Before\\New\\c.exe", "c"));
    ASSERT_TRUE(folder.WriteFile(L"Install\\d.exe", "d"));
    ASSERT_TRUE(folder.WriteFile(L"Not Yet\\Game\\e.exe", "e"));
    struct Case {
        const char* name;
        const VQInstallFolderSnapshot* snapshot;
        std::wstring path;
        std::wstring created;
    } cases[] = {
        {"a new folder", &snapshot, install + L"\\After\\bin\\b.exe", install + L"\\After"},
        {"the new folder itself", &snapshot, install + L"\\After", install + L"\\After"},
        {"other letter case", &snapshot, install + L"\\AFTER\\BIN\\B.EXE", install + L"\\After"},
        {"a new folder inside an old one", &snapshot, install + L"\\Before\\New\\c.exe", L""},
        {"directly in the install folder", &snapshot, install + L"\\d.exe", L""},
        {"the install folder", &snapshot, install, L""},
        {"a dotted way out", &snapshot, install + L"\\After\\..\\..\\Not Yet\\Game\\e.exe", L""},
        {"outside", &snapshot, folder.PathOf(L"Not Yet\\Game\\e.exe"), L""},
        {"install folder with a trailing separator", &rootSnapshot, install + L"\\After\\bin\\b.exe",
         install + L"\\After"},
        {"an install folder that did not exist", &missing, folder.PathOf(L"Not Yet\\Game\\e.exe"),
         folder.PathOf(L"Not Yet\\Game")},
    };
    for (const Case& c : cases) EXPECT_EQ(c.created, c.snapshot->CreatedFolderOf(c.path)) << c.name;
}

TEST(InstallFolderSnapshot, AnOwnFolderIsAlwaysNew) {
    VQTempFolder folder;
    ASSERT_TRUE(folder.WriteFile(L"Parent\\name\\kept.txt", "kept"));
    EXPECT_EQ(folder.PathOf(L"Parent\\name-2"), MakeOwnFolder(folder.PathOf(L"Parent"), L"name"));
    EXPECT_EQ(folder.PathOf(L"Parent\\name-3"), MakeOwnFolder(folder.PathOf(L"Parent"), L"name"));
    EXPECT_EQ(folder.PathOf(L"New Parent\\name"), MakeOwnFolder(folder.PathOf(L"New Parent"), L"name"));
    EXPECT_TRUE(FolderExists(folder.PathOf(L"New Parent\\name")));
    EXPECT_EQ(L"", MakeOwnFolder(L"relative", L"name"));
}

// The window's side: outcomes reach the tile that carries their install's
// number, and a removed tile's queued install is forgotten.
TEST_F(InstallQueueTest, ARemovedTilesInstallIsForgottenAndOutcomesFindTheirTileByNumber) {
    const std::wstring setup = CopySetup(L"setup_wait.exe");
    VQGameIcon* holding = NewTile(10041, setup);
    WriteGamePackage(L"removed.vqz", L"Removed Game");
    WriteGamePackage(L"kept.vqz", L"Kept Game");
    VQGameIcon* removed = NewTile(10042, m_folder.PathOf(L"removed.vqz"));
    VQGameIcon* kept = NewTile(10043, m_folder.PathOf(L"kept.vqz"));
    ASSERT_TRUE(m_queue.Push(holding));
    ASSERT_TRUE(m_queue.Push(removed));
    ASSERT_TRUE(m_queue.Push(kept));
    EXPECT_NE(0u, removed->Data().installSerial);
    EXPECT_NE(removed->Data().installSerial, kept->Data().installSerial);
    ASSERT_NE(L"", WaitSeen(setup, L"dir"));

    m_queue.Forget(removed);
    EXPECT_FALSE(m_queue.Contains(removed));
    EXPECT_TRUE(m_queue.Contains(kept));
    EXPECT_EQ(2u, m_queue.Count());
    // A tile never queued, whatever its address, is not taken for one.
    VQGameIcon fresh;
    EXPECT_FALSE(m_queue.Contains(&fresh));

    ASSERT_TRUE(m_folder.WriteFile(L"setup_wait.exe.release", "go"));
    ASSERT_TRUE(DrainedOnly());
    EXPECT_FALSE(FolderExists(m_folder.PathOf(L"Games Folder\\Removed Game"))) << "the forgotten install ran";
    EXPECT_TRUE(FileExists(m_folder.PathOf(L"Games Folder\\Kept Game\\game.exe")));

    // Delivered as the window does: by number, to the tile on a list.
    ::Tessar::Test::VQTileTestHost host(::Tessar::Test::IconListMarkup(119, L"downloadlist", 4, 10));
    VQIconList* list = host.List(119);
    ASSERT_NE(nullptr, list);
    VQGameIcon* shown = ::Tessar::Test::MakeTile(10043, L"kept", kTileDownloaded);
    VQGameIcon* other = ::Tessar::Test::MakeTile(10044, L"other", kTileDownloaded);
    shown->Data().installSerial = kept->Data().installSerial;
    ASSERT_TRUE(list->AddTile(other));
    ASSERT_TRUE(list->AddTile(shown));
    std::vector<Reported> reports;
    {
        std::lock_guard<std::mutex> hold(m_mutex);
        reports.swap(m_reports);
    }
    int delivered = 0;
    for (const Reported& report : reports) {
        if (report.tile == removed) continue;  // reported to the removed tile's number: no tile has it
        EXPECT_NE(0u, report.outcome.serial);
        if (DeliverInstallOutcome(&host.Manager(), static_cast<WPARAM>(report.outcome.serial),
                                  reinterpret_cast<LPARAM>(new VQInstallOutcome(report.outcome))))
            ++delivered;
    }
    EXPECT_EQ(2, delivered);  // the kept game's start and end; the holding setup's went to no listed tile
    EXPECT_EQ(kTileInstalled, shown->GetState());
    EXPECT_EQ(m_folder.PathOf(L"Games Folder\\Kept Game\\game.exe"), shown->Data().runProgram);
    EXPECT_EQ(0u, shown->Data().installSerial);
    EXPECT_EQ(kTileDownloaded, other->GetState());
    EXPECT_EQ(L"", other->Data().runProgram);
    // An outcome for a number no tile carries is dropped.
    EXPECT_FALSE(DeliverInstallOutcome(&host.Manager(), static_cast<WPARAM>(removed->Data().installSerial + 1000),
                                       reinterpret_cast<LPARAM>(new VQInstallOutcome())));
}

}  // namespace
}  // namespace Tessar
