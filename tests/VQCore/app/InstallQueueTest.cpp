// The install queue: packages, setup programs and Flash packages installed
// one after the other by the queue's worker, the tile's state at the end,
// and a stop while a setup program runs.
#include "VQCore/app/InstallQueue.h"

#include "VQCore/app/GameIcon.h"
#include "VQCore/app/RuntimeInstall.h"
#include "VQCore/download/ConverterRegistry.h"
#include "VQCore/download/GamePackage.h"
#include "VQCore/download/GamePackageWriter.h"
#include "VQCore/gamelib/AppPaths.h"
#include "VQCore/download/PackageMeta.h"
#include "VQCore/download/PackageWriter.h"
#include "VQCore/download/TocNode.h"
#include "common/PathText.h"
#include "tests/support/LocalServer.h"
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
    EXPECT_EQ(m_folder.PathOf(L"Games Folder\\Flash Game\\config.ini"), tile->Data().runArguments);
    EXPECT_EQ(L"", tile->Data().setupFolder);
    EXPECT_EQ("FWS", m_folder.ReadFile(L"Games Folder\\Flash Game\\game.swf"));
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
    const std::wstring target = m_folder.PathOf(L"Games Folder\\Big Game\\data.bin");
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
}

}  // namespace
}  // namespace Tessar
