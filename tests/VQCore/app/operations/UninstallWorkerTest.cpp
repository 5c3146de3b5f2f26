// The uninstall worker: the game folder goes only when the game's
// uninstaller really finished (exit code 0), the record replay succeeded or
// there was nothing to run; the folder is confined; the outcome is posted.

#include "VQCore/app/operations/UninstallWorker.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <shlobj.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

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

TEST(UninstallDecision, OnlyAFolderStrictlyBelowTheInstallFolderHoldingNoOtherGameMayBeDeleted) {
    VQTempFolder temp;
    ASSERT_TRUE(temp.WriteFile(L"Games\\Good Game\\game.exe", "x"));
    ASSERT_TRUE(temp.WriteFile(L"Games\\Publisher\\One\\one.exe", "x"));
    ASSERT_TRUE(temp.WriteFile(L"Games\\Publisher\\Two\\two.exe", "x"));
    ASSERT_TRUE(temp.WriteFile(L"Program\\Norvane.exe", "x"));
    ASSERT_TRUE(temp.WriteFile(L"Program\\games\\inside\\game.exe", "x"));
    wchar_t windows[MAX_PATH] = {};
    ::GetWindowsDirectoryW(windows, MAX_PATH);
    wchar_t tempRoot[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH + 1, tempRoot);
    wchar_t programsX86[MAX_PATH] = {};
    ASSERT_TRUE(::SHGetSpecialFolderPathW(nullptr, programsX86, CSIDL_PROGRAM_FILESX86, FALSE));
    ASSERT_TRUE(FolderExists(programsX86));
    const std::wstring games = temp.PathOf(L"Games");
    const std::wstring program = temp.PathOf(L"Program");
    const std::wstring two = temp.PathOf(L"Games\\Publisher\\Two\\two.exe");
    struct Case {
        const char* name;
        std::wstring folder;
        std::wstring gameFile;
        std::wstring installFolder;
        std::vector<std::wstring> kept;
        bool deletable;
    } cases[] = {
        {"the game's folder", temp.PathOf(L"Games\\Good Game"), temp.PathOf(L"Games\\Good Game\\game.exe"), games, {}, true},
        {"the game's folder, no program named", temp.PathOf(L"Games\\Good Game"), L"", games, {}, true},
        {"the install folder itself", games, temp.PathOf(L"Games\\Good Game\\game.exe"), games, {}, false},
        {"outside the install folder", temp.PathOf(L"Games\\Good Game"), L"", program, {}, false},
        {"no install folder known", temp.PathOf(L"Games\\Good Game"), L"", L"", {}, false},
        {"a folder holding another game's program", temp.PathOf(L"Games\\Publisher"),
         temp.PathOf(L"Games\\Publisher\\One\\one.exe"), games, {two}, false},
        {"the game's folder beside another game's", temp.PathOf(L"Games\\Publisher\\One"),
         temp.PathOf(L"Games\\Publisher\\One\\one.exe"), games, {two}, true},
        {"a folder not holding the program", temp.PathOf(L"Games\\Good Game"), temp.PathOf(L"Program\\Norvane.exe"),
         games, {}, false},
        {"a game inside the program folder", program + L"\\games\\inside", program + L"\\games\\inside\\game.exe",
         program + L"\\games", {}, true},
        {"the program folder", program, program + L"\\Norvane.exe", temp.Path(), {}, false},
        {"above the program folder", temp.Path(), program + L"\\Norvane.exe", L"C:\\", {}, false},
        {"a drive root", L"C:\\", L"C:\\game.exe", L"C:\\", {}, false},
        {"the Windows folder", windows, std::wstring(windows) + L"\\notepad.exe", L"C:\\", {}, false},
        {"the 32-bit program folder", programsX86, L"", L"C:\\", {}, false},
        {"the temporary folder", tempRoot, L"", L"C:\\", {}, false},
        {"a relative path", L"Games\\Good Game", L"", games, {}, false},
        {"a missing folder", temp.PathOf(L"Games\\Gone"), L"", games, {}, false},
        {"a dotted way up", temp.PathOf(L"Games\\Good Game\\..\\..\\Program"), program + L"\\Norvane.exe", games, {},
         false},
    };
    for (const Case& c : cases) {
        VQGameFolderRules rules;
        rules.installFolder = c.installFolder;
        rules.protectedFolder = program;
        rules.keptPaths = c.kept;
        EXPECT_EQ(c.deletable, IsDeletableGameFolder(c.folder, c.gameFile, rules)) << c.name;
    }
}

TEST(UninstallDecision, UninstallStringNamesAProgramAndItsParameters) {
    VQTempFolder temp;
    ASSERT_TRUE(temp.WriteFile(L"Game Dir\\unins000.exe", "x"));
    // What splitting at the first blank would run instead.
    ASSERT_TRUE(temp.WriteFile(L"Game.exe", "decoy"));
    const std::wstring exe = temp.PathOf(L"Game Dir\\unins000.exe");
    wchar_t system[MAX_PATH] = {};
    ASSERT_GT(::GetSystemDirectoryW(system, MAX_PATH), 0u);
    const std::wstring msiexec = std::wstring(system) + L"\\msiexec.exe";
    ASSERT_TRUE(FileExists(msiexec));
    const std::wstring product = L"/X{A1B2C3D4-0000-1111-2222-333344445555}";
    struct Case {
        const char* name;
        std::wstring command;
        bool found;
        std::wstring program;
        std::wstring parameters;
    } cases[] = {
        {"bare path with blanks", exe, true, exe, L""},
        {"quoted path", L"\"" + exe + L"\"", true, exe, L""},
        {"quoted path and parameters", L"\"" + exe + L"\" /SILENT /LOG", true, exe, L"/SILENT /LOG"},
        {"unquoted path with blanks and parameters", exe + L" /S", true, exe, L"/S"},
        {"unquoted path, parameters with blanks", exe + L"  /S /D=C:\\x y", true, exe, L"/S /D=C:\\x y"},
        {"unquoted path without its extension", temp.PathOf(L"Game Dir\\unins000") + L" /S", true, exe, L"/S"},
        {"a program on the search path", L"MsiExec.exe " + product, true, msiexec, product},
        {"on the search path, no extension", L"msiexec " + product, true, msiexec, product},
        {"quoted, on the search path", L"\"MsiExec.exe\" " + product, true, msiexec, product},
        {"a relative path", L"Game Dir\\unins000.exe /S", false, L"", L""},
        {"missing file", L"\"" + temp.PathOf(L"none.exe") + L"\" /S", false, L"", L""},
        {"missing file, unquoted", temp.PathOf(L"No Such\\unins.exe") + L" /S", false, L"", L""},
        {"a name nowhere on the search path", L"NoSuchUninstaller.exe /S", false, L"", L""},
        {"an unclosed quote", L"\"" + exe + L" /S", false, L"", L""},
        {"empty", L"", false, L"", L""},
    };
    for (const Case& c : cases) {
        std::wstring program, parameters;
        EXPECT_EQ(c.found, SplitUninstallCommand(c.command, program, parameters)) << c.name;
        EXPECT_EQ(0, _wcsicmp(c.program.c_str(), program.c_str())) << c.name;
        EXPECT_EQ(c.parameters, parameters) << c.name;
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
        WriteUninstallCommand(L"\"" + m_uninstaller + L"\" " + parameters);
    }
    void WriteUninstallCommand(const std::wstring& command) {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExW(m_key.Root(), m_key.PathOf(L"Demo").c_str(), 0, nullptr, 0,
                                                   KEY_ALL_ACCESS, nullptr, &key, nullptr));
        EXPECT_EQ(ERROR_SUCCESS, ::RegSetValueExW(key, L"UninstallString", 0, REG_SZ,
                                                  reinterpret_cast<const BYTE*>(command.c_str()),
                                                  static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t))));
        ::RegCloseKey(key);
    }
    VQUninstallJob* MakeJob(const std::wstring& keyName) {
        VQUninstallJob* job = new VQUninstallJob;
        job->names = VQStringTriple{keyName, m_temp.PathOf(L"Game"), m_temp.PathOf(L"Game\\game.exe")};
        // The game's install made its folder, below the install folder.
        job->createdFolder = m_temp.PathOf(L"Game");
        job->rules.installFolder = m_temp.Path();
        job->rules.protectedFolder = m_temp.PathOf(L"Program");
        job->gameId = 42;
        job->stopEvent = m_stop;
        job->reportWindow = m_messages.Window();
        job->reportMessage = kOutcome;
        job->keyRoot = m_key.Root();
        job->keyPath = m_key.Path();
        return job;
    }
    std::unique_ptr<VQUninstallOutcome> Run(const std::wstring& keyName) { return Run(MakeJob(keyName)); }
    std::unique_ptr<VQUninstallOutcome> Run(VQUninstallJob* job) {
        UninstallGame(job);
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

TEST_F(UninstallWorkerTest, OnlyTheFolderTheInstallCreatedGoes) {
    struct Case {
        const char* name;
        bool recordCreated;  // the record names the folder as the install's own
        std::wstring installFolder;
        bool otherGameInside;
        bool deleted;
    } cases[] = {
        {"created by the install", true, m_temp.Path(), false, true},
        {"a record from before (no created folder)", false, m_temp.Path(), false, false},
        {"created, but not below the install folder", true, m_temp.PathOf(L"Elsewhere"), false, false},
        {"created, but it is the install folder", true, m_temp.PathOf(L"Game"), false, false},
        {"created, but another game lies in it", true, m_temp.Path(), true, false},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(m_temp.WriteFile(L"Game\\game.exe", "game")) << c.name;
        ASSERT_TRUE(m_temp.WriteFile(L"Game\\Other\\other.exe", "other")) << c.name;
        VQUninstallJob* job = MakeJob(L"NoSuchKey");
        if (!c.recordCreated) job->createdFolder.clear();
        job->rules.installFolder = c.installFolder;
        if (c.otherGameInside) job->rules.keptPaths.push_back(m_temp.PathOf(L"Game\\Other\\other.exe"));
        std::unique_ptr<VQUninstallOutcome> outcome = Run(job);
        ASSERT_NE(nullptr, outcome) << c.name;
        EXPECT_EQ(kUninstallFolderOnly, outcome->route) << c.name;
        EXPECT_TRUE(outcome->finished) << c.name;
        EXPECT_EQ(c.deleted, outcome->folderDeleted) << c.name;
        EXPECT_EQ(!c.deleted, FileExists(m_temp.PathOf(L"Game\\game.exe"))) << c.name;
        // What stays is named, for the user to be told.
        EXPECT_EQ(c.deleted ? L"" : m_temp.PathOf(L"Game"), outcome->keptFolder) << c.name;
    }
}

TEST_F(UninstallWorkerTest, AnUnquotedUninstallCommandWithBlanksRunsItsProgram) {
    ASSERT_TRUE(m_temp.MakeFolder(L"Game\\Un Install"));
    const std::wstring uninstaller = ::Tessar::Test::CopyStandIn(m_temp, L"Game\\Un Install\\unins000.exe");
    const std::wstring ran = m_temp.PathOf(L"ran.txt");
    // What splitting at the first blank would find instead.
    ASSERT_TRUE(m_temp.WriteFile(L"Game\\Un.exe", "decoy"));
    WriteUninstallCommand(uninstaller + L" --record " + ran + L" --exit 0");
    std::unique_ptr<VQUninstallOutcome> outcome = Run(L"Demo");
    ASSERT_NE(nullptr, outcome);
    EXPECT_EQ(1u, ::Tessar::Test::ReadStartRecords(ran).size()) << "the uninstaller did not run";
    EXPECT_EQ(kUninstallByProgram, outcome->route);
    EXPECT_TRUE(outcome->finished);
    EXPECT_EQ(L"", outcome->failedCommand);
}

TEST_F(UninstallWorkerTest, AnUninstallCommandNamingNoProgramFailsAndDeletesNothing) {
    // Also with an uninstall record beside the game: the game has its own
    // uninstaller, and nothing stands in for it.
    const std::wstring commands[] = {
        m_temp.PathOf(L"Game\\No Such\\uninst.exe") + L" /S",
        L"\"" + m_temp.PathOf(L"Game\\gone.exe") + L"\" /S",
        L"NoSuchUninstaller.exe /X{00000000-0000-0000-0000-000000000000}",
    };
    for (const std::wstring& command : commands) {
        WriteUninstallCommand(command);
        std::unique_ptr<VQUninstallOutcome> outcome = Run(L"Demo");
        ASSERT_NE(nullptr, outcome);
        EXPECT_EQ(kUninstallByProgram, outcome->route);
        EXPECT_FALSE(outcome->finished);
        EXPECT_FALSE(outcome->folderDeleted);
        EXPECT_EQ(command, outcome->failedCommand);
        EXPECT_TRUE(FileExists(m_temp.PathOf(L"Game\\game.exe")));
        EXPECT_TRUE(FileExists(m_temp.PathOf(L"Game\\data\\level1.dat")));
    }
}

}  // namespace
}  // namespace Tessar
