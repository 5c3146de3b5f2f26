// The two ends of an upgrade run with real processes: the "-upgrade" run
// with a stand-in release program (tests/programs/upgrade, steered through
// its environment), the manager's start with a pending upgrade, the
// restart decision by the manager's window and closing the running
// manager.
#include "VQUpdate/CloseRunningProgram.h"
#include "VQUpdate/MarkerFile.h"
#include "VQUpdate/UpgradeMarkers.h"
#include "VQUpdate/UpgradeRun.h"
#include "VQUpdate/Upgrader.h"

#include "VQCore/gamelib/AppPaths.h"
#include "common/FileUtil.h"
#include "common/Md5.h"
#include "common/PathText.h"
#include "common/SystemUtil.h"
#include "common/TextUtil.h"
#include "tests/VQUpdate/UpdateTestUtil.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Tessar {
namespace {

using ::Tessar::Test::ReadBytes;
using ::Tessar::Test::UpdateFixturePath;
using ::Tessar::Test::VQScopedEnvironment;
using ::Tessar::Test::WaitForFile;
using ::Tessar::Test::WriteBytes;

const DWORD kProcessWaitMs = 20000;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

// Waits until the log holds count lines.
bool WaitForLines(const std::wstring& log, size_t count) {
    DWORD start = GetTickCount();
    while (Lines(ReadBytes(log)).size() < count) {
        if (GetTickCount() - start > kProcessWaitMs)
            return false;
        Sleep(50);
    }
    return true;
}

class UpgradeRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_world.Ready());
        m_log = m_world.Root().PathOf(L"log.txt");
        m_payload = m_world.Root().PathOf(L"payload\\Norvane.exe");
        ASSERT_TRUE(m_world.Root().WriteFile(L"payload\\Norvane.exe", "the new manager"));
        ASSERT_TRUE(m_world.Root().WriteFile(L"program\\Norvane.exe", "the old manager"));
        ASSERT_TRUE(m_world.Root().WriteFile(L"program\\data.dll", "old data"));
        m_restartProgram = m_world.Root().PathOf(L"restart\\Norvane.exe");
        ASSERT_TRUE(CreateFolderChain(m_world.Root().PathOf(L"restart")));
        ASSERT_TRUE(Stub(m_restartProgram));
    }

    std::wstring Work(const std::wstring& name) const { return m_world.WorkFolder() + L"\\" + name; }
    static bool Stub(const std::wstring& target) {
        return CreateFolderChain(GetFullPathFolder(target)) &&
               CopyFileW(UpdateFixturePath(L"UpgradeStub.exe").c_str(), target.c_str(), FALSE) != FALSE;
    }
    // A job as the old updater leaves it: release files in work\download,
    // the markers, and the manager to restart with "-background".
    void PrepareJob(const std::vector<std::wstring>& releaseNames) {
        std::wstring updaterCopy = Work(L"Selbrin.exe");
        ASSERT_TRUE(Stub(updaterCopy));
        std::vector<std::wstring> release;
        for (const std::wstring& name : releaseNames) {
            release.push_back(Work(L"download\\" + name));
            ASSERT_TRUE(Stub(release.back()));
        }
        ASSERT_TRUE(WriteMarkerFile(Work(kUpgradeMarkerName), L"RUN;" + updaterCopy + L";" +
                                                                  Md5OfFile(updaterCopy) + L";" +
                                                                  m_world.ProgramFolder() + L";"));
        ASSERT_TRUE(WriteMarkerFile(Work(kDownloadMarkerName), JoinList(release)));
        std::vector<std::wstring> startup(1, kMarkerDeleteWord);
        startup.insert(startup.end(), release.begin(), release.end());
        ASSERT_TRUE(WriteMarkerFile(Work(kStartupMarkerName), JoinList(startup)));
        VQUpgrader upgrader;
        ASSERT_TRUE(WriteRestartMarker(upgrader, m_restartProgram, GetFullPathFolder(m_restartProgram),
                                       L"-background"));
    }

    ::Tessar::Test::VQUpgradeWorld m_world;
    std::wstring m_log;
    std::wstring m_payload;
    std::wstring m_restartProgram;
};

TEST_F(UpgradeRunTest, ASingleReleaseProgramIsRunAndWhatItUnpackedReplacesTheFiles) {
    PrepareJob({L"setup.exe"});
    VQScopedEnvironment log(L"VQ_STUB_LOG", m_log);
    VQScopedEnvironment extract(L"VQ_STUB_EXTRACT", m_payload);
    ApplyUpgrade();

    EXPECT_EQ("the new manager", ReadBytes(m_world.ProgramFolder() + L"\\Norvane.exe"));
    EXPECT_EQ("old data", ReadBytes(m_world.ProgramFolder() + L"\\data.dll"));
    EXPECT_FALSE(FileExists(m_world.ProgramFolder() + L"\\setup.exe"));  // the release program itself is not copied
    EXPECT_FALSE(FolderExists(m_world.ProgramFolder() + L"\\rbtemp"));
    EXPECT_FALSE(FolderExists(Work(L"download")));
    EXPECT_FALSE(FileExists(Work(kUpgradeMarkerName)));
    EXPECT_FALSE(FileExists(Work(kDownloadMarkerName)));

    // The release program ran first, then the manager was restarted with
    // the marker's parameters and the marker is gone.
    ASSERT_TRUE(WaitForLines(m_log, 2));
    std::vector<std::string> lines = Lines(ReadBytes(m_log));
    EXPECT_NE(std::string::npos, lines[1].find("-background")) << lines[1];
    EXPECT_EQ(std::string::npos, lines[0].find("-background")) << lines[0];
    EXPECT_FALSE(FileExists(Work(kRestartMarkerName)));
}

TEST_F(UpgradeRunTest, AFailedReleaseProgramChangesNothingButTheManagerIsRestarted) {
    PrepareJob({L"setup.exe"});
    VQScopedEnvironment log(L"VQ_STUB_LOG", m_log);
    VQScopedEnvironment extract(L"VQ_STUB_EXTRACT", m_payload);
    VQScopedEnvironment exitCode(L"VQ_STUB_EXIT", L"3");
    ApplyUpgrade();
    ASSERT_TRUE(WaitForLines(m_log, 2));
    EXPECT_EQ("the old manager", ReadBytes(m_world.ProgramFolder() + L"\\Norvane.exe"));
    EXPECT_NE(std::string::npos, Lines(ReadBytes(m_log))[1].find("-background"));
}

TEST_F(UpgradeRunTest, TwoReleaseFilesAreNeitherRunNorCopied) {
    PrepareJob({L"setup.exe", L"other.exe"});
    VQScopedEnvironment log(L"VQ_STUB_LOG", m_log);
    VQScopedEnvironment extract(L"VQ_STUB_EXTRACT", m_payload);
    ApplyUpgrade();
    ASSERT_TRUE(WaitForLines(m_log, 1));
    Sleep(500);
    std::vector<std::string> lines = Lines(ReadBytes(m_log));
    ASSERT_EQ(1u, lines.size());  // only the restart
    EXPECT_NE(std::string::npos, lines[0].find("-background"));
    EXPECT_EQ("the old manager", ReadBytes(m_world.ProgramFolder() + L"\\Norvane.exe"));
}

TEST_F(UpgradeRunTest, WithoutAJobNothingIsRunOrRestarted) {
    VQScopedEnvironment log(L"VQ_STUB_LOG", m_log);
    ApplyUpgrade();
    Sleep(500);
    EXPECT_EQ("", ReadBytes(m_log));
    EXPECT_EQ("the old manager", ReadBytes(m_world.ProgramFolder() + L"\\Norvane.exe"));
}

TEST_F(UpgradeRunTest, ThePendingUpgradeIsStartedWhenTheUpdaterCopyIsUnchanged) {
    PrepareJob({L"setup.exe"});
    ASSERT_TRUE(DeleteFileW(Work(kRestartMarkerName).c_str()));
    VQScopedEnvironment log(L"VQ_STUB_LOG", m_log);
    EXPECT_EQ(kPendingUpgradeStarted, StartPendingUpgrade(L"-background"));
    ASSERT_TRUE(WaitForLines(m_log, 1));
    EXPECT_NE(std::string::npos, Lines(ReadBytes(m_log))[0].find("-upgrade"));

    std::wstring program, folder, parameters;
    VQUpgrader upgrader;
    ASSERT_TRUE(ReadRestartMarker(upgrader, program, folder, parameters));
    EXPECT_EQ(GetOwnModulePath(), program);
    EXPECT_EQ(L"-background", parameters);
    EXPECT_TRUE(FileExists(Work(kUpgradeMarkerName)));  // the copy reads it
}

TEST_F(UpgradeRunTest, AChangedUpdaterCopyIsNotStarted) {
    PrepareJob({L"setup.exe"});
    ASSERT_TRUE(WriteBytes(Work(L"Selbrin.exe"), ReadBytes(Work(L"Selbrin.exe")) + "changed"));
    VQScopedEnvironment log(L"VQ_STUB_LOG", m_log);
    EXPECT_EQ(kPendingUpgradeNotStarted, StartPendingUpgrade(L""));
    Sleep(500);
    EXPECT_EQ("", ReadBytes(m_log));
}

TEST_F(UpgradeRunTest, WithoutAPendingUpgradeTheStartCleansLeftovers) {
    ASSERT_TRUE(m_world.Root().WriteFile(L"temp\\vqtemp\\Selbrin.exe", "left over"));
    ASSERT_TRUE(WriteMarkerFile(Work(kStartupMarkerName), L"DELETE;" + Work(L"Selbrin.exe") + L";"));
    EXPECT_EQ(kNoPendingUpgrade, StartPendingUpgrade(L""));
    EXPECT_FALSE(FileExists(Work(L"Selbrin.exe")));
    EXPECT_FALSE(FileExists(Work(kStartupMarkerName)));
}

class RestartModeTest : public UpgradeRunTest {
protected:
    void TearDown() override {
        if (m_window != nullptr)
            DestroyWindow(m_window);
    }
    void ShowManagerWindow(bool visible) {
        m_window = CreateWindowExW(0, L"STATIC", kManagerWindowTitle, WS_POPUP | (visible ? WS_VISIBLE : 0), 0,
                                   0, 50, 50, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(nullptr, m_window);
    }
    std::wstring Parameters() {
        std::wstring program, folder, parameters;
        VQUpgrader upgrader;
        EXPECT_TRUE(ReadRestartMarker(upgrader, program, folder, parameters));
        EXPECT_EQ(m_restartProgram, program);
        return parameters;
    }

    HWND m_window = nullptr;
};

TEST_F(RestartModeTest, AVisibleManagerComesBackInTheForeground) {
    ShowManagerWindow(true);
    VQUpgrader upgrader;
    ASSERT_TRUE(WriteRestartMarker(upgrader, m_restartProgram, L"C:\\r", L"-background"));
    DecideRestartMode(upgrader);
    EXPECT_EQ(L"", Parameters());

    ASSERT_TRUE(WriteRestartMarker(upgrader, m_restartProgram, L"C:\\r", L"-update_data"));
    DecideRestartMode(upgrader);
    EXPECT_EQ(L"-update_data", Parameters());

    ASSERT_TRUE(DeleteFileW(Work(kRestartMarkerName).c_str()));
    DecideRestartMode(upgrader);
    std::wstring program, folder, parameters;
    ASSERT_TRUE(ReadRestartMarker(upgrader, program, folder, parameters));
    EXPECT_EQ(GetAppPath(), program);
    EXPECT_EQ(m_world.ProgramFolder(), folder);
    EXPECT_EQ(L"", parameters);
}

TEST_F(RestartModeTest, AHiddenManagerKeepsItsMarker) {
    ShowManagerWindow(false);
    VQUpgrader upgrader;
    ASSERT_TRUE(WriteRestartMarker(upgrader, m_restartProgram, L"C:\\r", L"-background"));
    DecideRestartMode(upgrader);
    EXPECT_EQ(L"-background", Parameters());
    ASSERT_TRUE(DeleteFileW(Work(kRestartMarkerName).c_str()));
    DecideRestartMode(upgrader);
    EXPECT_FALSE(FileExists(Work(kRestartMarkerName)));
}

// Answers the questions of CloseRunningProgram and counts them: waits
// again `waitsAgain` times, then gives up.
class VQAnsweringPrompt : public IUpgradePrompt {
public:
    explicit VQAnsweringPrompt(bool install, int waitsAgain = 0)
        : m_install(install), m_waitsAgain(waitsAgain), m_before(SetUpgradePrompt(this)) {}
    ~VQAnsweringPrompt() { SetUpgradePrompt(m_before); }
    bool AskInstallNow(HWND) override {
        ++asked;
        return m_install;
    }
    bool AskWaitLonger(HWND) override { return ++notClosed <= m_waitsAgain; }

    int asked = 0;
    int notClosed = 0;

private:
    bool m_install;
    int m_waitsAgain;
    IUpgradePrompt* m_before;
};

class CloseProgramTest : public UpgradeRunTest {
protected:
    void TearDown() override {
        for (HANDLE process : m_processes) {
            TerminateProcess(process, 9);
            WaitForSingleObject(process, kProcessWaitMs);
            CloseHandle(process);
        }
    }
    // Starts a stand-in manager with a window; its handle stays with the test.
    // closeMs: how long its end takes once its window is closed.
    HANDLE StartManager(const std::wstring& path, DWORD closeMs = 0) {
        if (!Stub(path))
            return nullptr;
        VQScopedEnvironment window(L"VQ_STUB_WINDOW", L"1");
        VQScopedEnvironment log(L"VQ_STUB_LOG", m_log);
        VQScopedEnvironment closing(L"VQ_STUB_CLOSE_MS", std::to_wstring(closeMs));
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info = {};
        std::wstring commandLine = QuoteText(path);
        if (!CreateProcessW(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &info))
            return nullptr;
        CloseHandle(info.hThread);
        m_processes.push_back(info.hProcess);
        // The log line comes before the window; give the window a moment.
        if (!WaitForLines(m_log, ++m_started))
            return nullptr;
        Sleep(500);
        return info.hProcess;
    }

    std::vector<HANDLE> m_processes;
    size_t m_started = 0;
};

TEST_F(CloseProgramTest, TheUserIsAskedOnceAndTheManagerOfThisFolderIsClosed) {
    HANDLE first = StartManager(m_world.ProgramFolder() + L"\\Norvane.exe");
    ASSERT_NE(nullptr, first);
    HANDLE below = StartManager(m_world.ProgramFolder() + L"\\sub\\Norvane.exe");
    ASSERT_NE(nullptr, below);
    VQAnsweringPrompt prompt(true);
    EXPECT_TRUE(CloseRunningProgram(nullptr, kManagerProgramName));
    EXPECT_EQ(1, prompt.asked);
    EXPECT_EQ(0, prompt.notClosed);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(first, 0));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(below, 0));
}

TEST_F(CloseProgramTest, ANoKeepsTheManagerRunning) {
    HANDLE manager = StartManager(m_world.ProgramFolder() + L"\\Norvane.exe");
    ASSERT_NE(nullptr, manager);
    VQAnsweringPrompt prompt(false);
    EXPECT_FALSE(CloseRunningProgram(nullptr, kManagerProgramName));
    EXPECT_EQ(1, prompt.asked);
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(manager, 500));
}

TEST_F(CloseProgramTest, AManagerWhoseOrderlyEndTakesAWhileIsWaitedFor) {
    // Its workers take seven seconds to stop: longer than a glance, far
    // less than the wait.
    HANDLE manager = StartManager(m_world.ProgramFolder() + L"\\Norvane.exe", 7000);
    ASSERT_NE(nullptr, manager);
    VQAnsweringPrompt prompt(true);
    EXPECT_TRUE(CloseRunningProgram(nullptr, kManagerProgramName));
    EXPECT_EQ(0, prompt.notClosed) << "the user was told it could not be closed";
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(manager, 0));
}

TEST_F(CloseProgramTest, AManagerStillRunningAfterTheWaitLetsTheUserWaitAgainOrGiveUp) {
    const struct {
        const char* name;
        DWORD closeMs;  // how long the stand-in's end takes
        int waitsAgain;
        bool closed;
        int asked;  // how often the user was asked to wait again
    } cases[] = {
        {"ends during the second wait", 2500, 5, true, 1},
        {"never ends, the user gives up", 600000, 2, false, 3},
    };
    const DWORD waitMs = 1500;
    for (const auto& c : cases) {
        HANDLE manager = StartManager(m_world.ProgramFolder() + L"\\Norvane.exe", c.closeMs);
        ASSERT_NE(nullptr, manager) << c.name;
        VQAnsweringPrompt prompt(true, c.waitsAgain);
        EXPECT_EQ(c.closed, CloseRunningProgram(nullptr, kManagerProgramName, waitMs)) << c.name;
        EXPECT_EQ(c.asked, prompt.notClosed) << c.name;
        EXPECT_EQ(c.closed ? WAIT_OBJECT_0 : WAIT_TIMEOUT, WaitForSingleObject(manager, 0)) << c.name;
        TerminateProcess(manager, 9);
        WaitForSingleObject(manager, kProcessWaitMs);
    }
}

TEST_F(CloseProgramTest, AManagerOfAnotherFolderIsLeftAlone) {
    // Its folder begins with the program folder's name but is another one.
    HANDLE other = StartManager(m_world.ProgramFolder() + L"2\\Norvane.exe");
    ASSERT_NE(nullptr, other);
    VQAnsweringPrompt prompt(true);
    EXPECT_TRUE(CloseRunningProgram(nullptr, kManagerProgramName));
    EXPECT_EQ(0, prompt.asked);
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(other, 500));
}

}  // namespace
}  // namespace Tessar
