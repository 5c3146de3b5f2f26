// The uninstall worker: the game folder goes only when the game's
// uninstaller really finished (exit code 0), the record replay succeeded or
// there was nothing to run; the folder is confined; the outcome is posted.

#include "VQCore/app/UninstallWorker.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <thread>

#include "common/PathText.h"
#include "tests/VQCore/app/GameOperationsTestSupport.h"
#include "tests/support/ScratchRegistryKey.h"
#include "tests/support/TempFolder.h"

namespace Tessar {
namespace {

const UINT kOutcome = WM_USER + 78;

TEST(UninstallDecision, FolderGoesOnlyWhenTheUninstallReallyFinished) {
    struct Case {
        const char* name;
        VQUninstallRoute route;
        bool ran;
        DWORD exitCode;
        bool finished;
    } cases[] = {
        {"uninstaller exited 0", kUninstallByProgram, true, 0, true},
        {"uninstaller cancelled (exit 1)", kUninstallByProgram, true, 1, false},
        {"uninstaller failed (exit 0x80004005)", kUninstallByProgram, true, 0x80004005, false},
        {"uninstaller did not end", kUninstallByProgram, false, 0, false},
        {"record replayed", kUninstallByRecord, true, 0, true},
        {"record replay failed", kUninstallByRecord, false, 0, false},
        {"nothing to run", kUninstallFolderOnly, false, 0, true},
    };
    for (const Case& c : cases) EXPECT_EQ(c.finished, UninstallFinished(c.route, c.ran, c.exitCode)) << c.name;
}

TEST(UninstallDecision, OnlyTheGamesOwnFolderMayBeDeleted) {
    VQTempFolder temp;
    ASSERT_TRUE(temp.WriteFile(L"Games\\Good Game\\game.exe", "x"));
    ASSERT_TRUE(temp.WriteFile(L"Program\\Norvane.exe", "x"));
    ASSERT_TRUE(temp.WriteFile(L"Program\\games\\inside\\game.exe", "x"));
    wchar_t windows[MAX_PATH] = {};
    ::GetWindowsDirectoryW(windows, MAX_PATH);
    wchar_t tempRoot[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH + 1, tempRoot);
    const std::wstring program = temp.PathOf(L"Program");
    struct Case {
        const char* name;
        std::wstring folder;
        std::wstring runProgram;
        bool deletable;
    } cases[] = {
        {"the game's folder", temp.PathOf(L"Games\\Good Game"), temp.PathOf(L"Games\\Good Game\\game.exe"), true},
        {"the game's folder, no program named", temp.PathOf(L"Games\\Good Game"), L"", true},
        {"a game inside the program folder", program + L"\\games\\inside", program + L"\\games\\inside\\game.exe", true},
        {"a folder not holding the program", temp.PathOf(L"Games"), temp.PathOf(L"Program\\Norvane.exe"), false},
        {"a folder above the game's", temp.PathOf(L"Games"), temp.PathOf(L"Games\\Good Game\\game.exe"), true},
        {"the program folder", program, program + L"\\Norvane.exe", false},
        {"above the program folder", temp.Path(), program + L"\\Norvane.exe", false},
        {"a drive root", L"C:\\", L"C:\\game.exe", false},
        {"the Windows folder", windows, std::wstring(windows) + L"\\notepad.exe", false},
        {"the temporary folder", tempRoot, L"", false},
        {"a relative path", L"Games\\Good Game", L"", false},
        {"a missing folder", temp.PathOf(L"Gone"), L"", false},
        {"a dotted way up", temp.PathOf(L"Games\\Good Game\\..\\..\\Program"), program + L"\\Norvane.exe", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.deletable, IsDeletableGameFolder(c.folder, c.runProgram, program)) << c.name;
}

TEST(UninstallDecision, UninstallStringNamesAProgramAndItsParameters) {
    VQTempFolder temp;
    ASSERT_TRUE(temp.WriteFile(L"Game Dir\\unins000.exe", "x"));
    const std::wstring exe = temp.PathOf(L"Game Dir\\unins000.exe");
    struct Case {
        const char* name;
        std::wstring command;
        bool found;
        std::wstring parameters;
    } cases[] = {
        {"bare path with blanks", exe, true, L""},
        {"quoted path", L"\"" + exe + L"\"", true, L""},
        {"quoted path and parameters", L"\"" + exe + L"\" /SILENT /LOG", true, L"/SILENT /LOG"},
        {"missing file", L"\"" + temp.PathOf(L"none.exe") + L"\" /S", false, L""},
        {"empty", L"", false, L""},
    };
    for (const Case& c : cases) {
        std::wstring program, parameters;
        EXPECT_EQ(c.found, SplitUninstallCommand(c.command, program, parameters)) << c.name;
        if (c.found) {
            EXPECT_EQ(exe, program) << c.name;
            EXPECT_EQ(c.parameters, parameters) << c.name;
        }
    }
}

class UninstallWorkerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_key.IsValid());
        m_stop = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        ASSERT_TRUE(m_temp.WriteFile(L"Game\\game.exe", "game"));
        ASSERT_TRUE(m_temp.WriteFile(L"Game\\data\\level1.dat", "level"));
        m_uninstaller = ::Tessar::Test::CopyStandIn(m_temp, L"Game\\unins000.exe");
    }
    void TearDown() override { ::CloseHandle(m_stop); }

    // An uninstall key named "Demo" whose UninstallString runs the stand-in.
    void WriteUninstallKey(const std::wstring& parameters) {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExW(m_key.Root(), m_key.PathOf(L"Demo").c_str(), 0, nullptr, 0,
                                                   KEY_ALL_ACCESS, nullptr, &key, nullptr));
        const std::wstring command = L"\"" + m_uninstaller + L"\" " + parameters;
        EXPECT_EQ(ERROR_SUCCESS, ::RegSetValueExW(key, L"UninstallString", 0, REG_SZ,
                                                  reinterpret_cast<const BYTE*>(command.c_str()),
                                                  static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t))));
        ::RegCloseKey(key);
    }
    VQUninstallJob* MakeJob(const std::wstring& keyName) {
        VQUninstallJob* job = new VQUninstallJob;
        job->names = VQStringTriple{keyName, m_temp.PathOf(L"Game"), m_temp.PathOf(L"Game\\game.exe")};
        job->gameId = 42;
        job->stopEvent = m_stop;
        job->reportWindow = m_messages.Window();
        job->reportMessage = kOutcome;
        job->protectedFolder = m_temp.PathOf(L"Program");
        job->keyRoot = m_key.Root();
        job->keyPath = m_key.Path();
        return job;
    }
    std::unique_ptr<VQUninstallOutcome> Run(const std::wstring& keyName) {
        UninstallGame(MakeJob(keyName));
        LPARAM posted = 0;
        if (!m_messages.WaitFor(kOutcome, 5000, nullptr, &posted)) return nullptr;
        return std::unique_ptr<VQUninstallOutcome>(reinterpret_cast<VQUninstallOutcome*>(posted));
    }

    VQScratchRegistryKey m_key;
    VQTempFolder m_temp;
    ::Tessar::Test::VQPostedMessages m_messages;
    HANDLE m_stop = nullptr;
    std::wstring m_uninstaller;
};

TEST_F(UninstallWorkerTest, TheUninstallersExitCodeDecidesWhetherTheFilesGo) {
    struct Case {
        const char* name;
        const wchar_t* exitCode;
        bool finished;
    } cases[] = {{"exit 0", L"0", true}, {"cancelled, exit 1", L"1", false}, {"failed, exit 5", L"5", false}};
    for (const Case& c : cases) {
        // Each case starts from a whole game folder.
        ASSERT_TRUE(m_temp.WriteFile(L"Game\\game.exe", "game"));
        ASSERT_TRUE(m_temp.WriteFile(L"Game\\data\\level1.dat", "level"));
        m_uninstaller = ::Tessar::Test::CopyStandIn(m_temp, L"Game\\unins000.exe");
        const std::wstring ran = m_temp.PathOf(std::wstring(L"ran-") + c.exitCode + L".txt");
        WriteUninstallKey(L"--record \"" + ran + L"\" --exit " + c.exitCode);
        std::unique_ptr<VQUninstallOutcome> outcome = Run(L"Demo");
        ASSERT_NE(nullptr, outcome) << c.name;
        EXPECT_EQ(1u, ::Tessar::Test::ReadStartRecords(ran).size()) << c.name << ": the uninstaller did not run";
        EXPECT_EQ(kUninstallByProgram, outcome->route) << c.name;
        EXPECT_EQ(c.finished, outcome->finished) << c.name;
        EXPECT_EQ(c.finished, outcome->folderDeleted) << c.name;
        EXPECT_EQ(!c.finished, FolderExists(m_temp.PathOf(L"Game"))) << c.name;
        EXPECT_EQ(42u, outcome->gameId);
        EXPECT_EQ(m_temp.PathOf(L"Game\\game.exe"), outcome->runProgram);
        if (!c.finished) {
            EXPECT_TRUE(FileExists(m_temp.PathOf(L"Game\\data\\level1.dat"))) << c.name;
        }
    }
}

TEST_F(UninstallWorkerTest, WithoutAnUninstallerTheRecordOrNothingDecides) {
    // No key: a damaged uninstall record fails its replay and the files stay.
    ASSERT_TRUE(m_temp.WriteFile(L"Game\\VQUnistall.dat", "not a record"));
    std::unique_ptr<VQUninstallOutcome> outcome = Run(L"NoSuchKey");
    ASSERT_NE(nullptr, outcome);
    EXPECT_EQ(kUninstallByRecord, outcome->route);
    EXPECT_FALSE(outcome->finished);
    EXPECT_TRUE(FileExists(m_temp.PathOf(L"Game\\game.exe")));
    // Without a record only the folder goes.
    ASSERT_TRUE(::DeleteFileW(m_temp.PathOf(L"Game\\VQUnistall.dat").c_str()));
    outcome = Run(L"NoSuchKey");
    ASSERT_NE(nullptr, outcome);
    EXPECT_EQ(kUninstallFolderOnly, outcome->route);
    EXPECT_TRUE(outcome->finished);
    EXPECT_FALSE(FolderExists(m_temp.PathOf(L"Game")));
}

TEST_F(UninstallWorkerTest, AKeyNameThatIsAPathIsNotFollowed) {
    WriteUninstallKey(L"--exit 0");
    const std::wstring ran = m_temp.PathOf(L"ran.txt");
    std::unique_ptr<VQUninstallOutcome> outcome = Run(L"..\\" + GetTrimmedLastPathPart(m_key.Path()) + L"\\Demo");
    ASSERT_NE(nullptr, outcome);
    EXPECT_NE(kUninstallByProgram, outcome->route);
}

TEST_F(UninstallWorkerTest, TheStopEventEndsTheWaitAndLeavesTheFiles) {
    const std::wstring ran = m_temp.PathOf(L"ran.txt");
    WriteUninstallKey(L"--record \"" + ran + L"\"");  // keeps its window open
    VQUninstallJob* job = MakeJob(L"Demo");
    std::thread worker([job] { UninstallGame(job); });
    ASSERT_TRUE(::Tessar::Test::WaitForCondition([&] { return !::Tessar::Test::ReadStartRecords(ran).empty(); }, 20000));
    ::SetEvent(m_stop);
    worker.join();
    EXPECT_FALSE(m_messages.WaitFor(kOutcome, 500)) << "a stopped uninstall reports nothing";
    EXPECT_TRUE(FileExists(m_temp.PathOf(L"Game\\game.exe")));
    ::Tessar::Test::EndProcess(::Tessar::Test::ProcessIdOfRecord(::Tessar::Test::ReadStartRecords(ran)[0]));
}

}  // namespace
}  // namespace Tessar
