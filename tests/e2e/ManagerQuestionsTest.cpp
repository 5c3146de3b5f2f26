// The manager asked to close (as the updater asks it, by WM_CLOSE to its
// main window) while one of its questions is open: the question ends
// unanswered, nothing it would have started starts, and the program ends
// in time with exit code 0.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "VQCore/gamelib/DatabaseXmlFile.h"
#include "VQCore/gamelib/GameId.h"
#include "tests/e2e/ManagerHarness.h"
#include "tests/e2e/ManagerRecords.h"
#include "tests/support/UpdateServer.h"

namespace Tessar {
namespace Test {
namespace {

const DWORD kStartTimeout = 90000;
const DWORD kTimeout = 30000;
// The end waits for its workers a bounded time; a download stuck on the
// server (below) is one of them.
const DWORD kCloseBound = 60000;
const POINT kInstalledTab = {12 + 48, 57};
const POINT kFirstTile = {66, 172};
const WORD kRuntimeCheckCommand = 1016;
// The runtime window's "一键安装所需环境" (its layout: the button at the
// right end of the floating group under the runtime list).
const POINT kInstallRuntimesButton = {545, 484};

// The first game of the demo catalogue that the condition picks; 0 when none.
template <typename Pick>
uint32_t FirstGame(const std::wstring& databasePath, uint32_t first, uint32_t last, Pick pick) {
    VQDatabaseXmlFile database(databasePath);
    if (!database.Load()) return 0;
    for (uint32_t id = first; id <= last; ++id) {
        const VQGameRecord* record = database.FindById(id);
        if (record && pick(*record)) return id;
    }
    return 0;
}

class ManagerQuestionsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_folder.Prepare());
        m_record = m_folder.Temp().PathOf(L"starts.txt");
    }
    void TearDown() override {
        for (const std::wstring& line : ReadStartRecords(m_record)) EndProcess(ProcessIdOfRecord(line));
        m_folder.KillAll();
    }
    void StartShown() {
        m_manager = m_folder.Start(L"");
        WaitFor([&] { return (m_window = m_folder.FindMainWindow(m_manager.pid)) != nullptr || !m_manager.Running(); },
                kStartTimeout);
        ASSERT_NE(nullptr, m_window) << "exit code " << m_manager.ExitCode();
        ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(m_window) != FALSE; }, kStartTimeout));
        ClickAt(m_window, kInstalledTab);
    }
    std::wstring Database() const { return m_folder.PathOf(L"data\\database.vqx"); }
    // The manager is asked to close, as the updater asks it.
    void CloseAndExpectACleanEnd(const char* what) {
        const DWORD closed = GetTickCount();
        ASSERT_TRUE(PostMessageW(m_window, WM_CLOSE, 0, 0));
        EXPECT_TRUE(m_manager.WaitForExit(kCloseBound)) << what << ": the manager did not end";
        EXPECT_LT(GetTickCount() - closed, kCloseBound) << what;
        EXPECT_EQ(0u, m_manager.ExitCode()) << what << ": the manager did not end cleanly";
    }

    VQManagerFolder m_folder;
    VQManagerProcess m_manager;
    HWND m_window = nullptr;
    std::wstring m_record;
};

TEST_F(ManagerQuestionsTest, CloseWhileTheRegistrationQuestionIsOpenStartsNothing) {
    // An online game run for the first time: its tile offers the registration page first.
    const uint32_t gameId = FirstGame(Database(), 20001, 39999, [](const VQGameRecord& r) { return !r.Register.empty(); });
    ASSERT_NE(0u, gameId) << "the demo catalogue has no online game with a registration page";
    const std::wstring game = m_folder.Temp().PathOf(L"Stand In\\game.exe");
    CreateDirectoryW(m_folder.Temp().PathOf(L"Stand In").c_str(), nullptr);
    ASSERT_TRUE(CopyFileW(StandInGamePath().c_str(), game.c_str(), FALSE));
    ASSERT_TRUE(WriteInstalledGame(m_folder.PathOf(L"data\\install.vqx"), gameId, game,
                                   L"--record \"" + m_record + L"\"", L""));
    StartShown();

    // A click starts the game only on the tile's icon: down the tile until
    // the question shows (the installed page chosen again first: a click
    // early in the start-up can miss the tab).
    HWND question = nullptr;
    for (int round = 0; round < 3 && question == nullptr; ++round) {
        ClickAt(m_window, kInstalledTab);
        Sleep(500);
        for (int y = kFirstTile.y - 80; y <= kFirstTile.y + 20 && question == nullptr; y += 20) {
            ClickAt(m_window, POINT{kFirstTile.x, y});
            WaitFor([&] { return (question = FindProcessWindow(m_manager.pid, L"VQMessageDlg")) != nullptr; }, 3000);
        }
    }
    KeepScreenshot(m_window, L"Questions-registration-page");
    ASSERT_NE(nullptr, question) << "the registration question did not show (game " << gameId << ", "
                                 << ReadStartRecords(m_record).size() << " starts); windows: " << WindowsOf(m_manager.pid);
    KeepScreenshot(question, L"Questions-registration");

    CloseAndExpectACleanEnd("registration question");
    // Neither answer was given: the game did not start.
    Sleep(1000);
    EXPECT_TRUE(ReadStartRecords(m_record).empty()) << "the game started while the manager closed";
}

TEST_F(ManagerQuestionsTest, CloseWhileTheRuntimeWindowAsksWhetherToStopItsRepair) {
    // A Flash game: its runtime window lists the Flash player, missing here.
    const uint32_t gameId = FirstGame(Database(), 50001, 69999, [](const VQGameRecord&) { return true; });
    ASSERT_NE(0u, gameId) << "the demo catalogue has no Flash game";
    ASSERT_TRUE(WriteInstalledGame(m_folder.PathOf(L"data\\install.vqx"), gameId, StandInGamePath(), L"", L""));
    // The runtime's download information is answered only after a while:
    // the repair is busy when its window is closed.
    VQUpdateServer server;
    ASSERT_TRUE(server.Start(m_folder.Temp().Path()));
    const std::wstring stalled = server.Fault(L"stallhead-20000", L"");
    ASSERT_TRUE(m_folder.WriteServers(std::string(stalled.begin(), stalled.end())));
    StartShown();

    ClickAt(m_window, kInstalledTab);
    Sleep(500);
    ASSERT_NE(nullptr, OpenTileMenu(m_window, kFirstTile, kTimeout));
    PostMessageW(m_window, WM_COMMAND, kRuntimeCheckCommand, 0);
    HWND environment = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (environment = FindProcessWindow(m_manager.pid, L"VQEnvironmentWnd")) != nullptr; },
                        kTimeout))
        << WindowsOf(m_manager.pid);
    // Once the check has found the player missing, the install button starts its download.
    ASSERT_TRUE(WaitFor(
        [&] {
            ClickAt(environment, kInstallRuntimesButton);
            return WaitFor([&] { return HasRequestContaining(server, "query_url.php"); }, 1000);
        },
        kTimeout))
        << "the runtime download did not begin";
    KeepScreenshot(environment, L"Questions-runtime-window");

    // Its close button asks whether to stop the repair.
    PostMessageW(environment, WM_SYSCOMMAND, SC_CLOSE, 0);
    HWND question = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (question = FindProcessWindow(m_manager.pid, L"VQMessageDlg")) != nullptr; },
                        kTimeout))
        << WindowsOf(m_manager.pid);
    KeepScreenshot(question, L"Questions-stop-repair");

    CloseAndExpectACleanEnd("runtime window's question");
    server.Stop();
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
