// The running-game queue against real processes: the stand-in game records
// each start; a game that ignores WM_CLOSE is ended by termination.

#include "VQCore/app/operations/GameWatchQueue.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "tests/VQCore/app/GameOperationsTestSupport.h"
#include "tests/support/TempFolder.h"

namespace Tessar {
namespace {

const UINT kReport = WM_USER + 77;
const DWORD kTimeout = 20000;
// Two tiles' serial numbers.
const uint32_t kTileA = 7;
const uint32_t kTileB = 8;

class GameWatchQueueTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_game = ::Tessar::Test::CopyStandIn(m_folder, L"Stand In Game.exe");
        m_record = m_folder.PathOf(L"starts.txt");
        m_queue.SetReportTarget(m_messages.Window(), kReport);
    }
    void TearDown() override {
        m_queue.Clear();
        for (const std::wstring& line : ::Tessar::Test::ReadStartRecords(m_record)) ::Tessar::Test::EndProcess(::Tessar::Test::ProcessIdOfRecord(line));
    }

    VQGameLaunch Launch(const std::wstring& extra = std::wstring()) {
        VQGameLaunch launch;
        launch.program = m_game;
        launch.arguments = L"--record \"" + m_record + L"\"" + extra;
        return launch;
    }
    // Waits for the queue's report of the key; its started flag.
    bool Reported(uint32_t key, bool* started) {
        WPARAM reportedKey = 0;
        LPARAM flag = 0;
        if (!m_messages.WaitFor(kReport, kTimeout, &reportedKey, &flag)) return false;
        EXPECT_EQ(static_cast<WPARAM>(key), reportedKey);
        *started = flag != 0;
        return true;
    }

    VQTempFolder m_folder;
    std::wstring m_game;
    std::wstring m_record;
    ::Tessar::Test::VQPostedMessages m_messages;
    VQGameWatchQueue m_queue;
};

TEST_F(GameWatchQueueTest, StartsTheGameOnceAndBringsItForwardOnTheSecondRequest) {
    ASSERT_TRUE(m_queue.Push(kTileA, Launch()));
    bool started = false;
    ASSERT_TRUE(Reported(kTileA, &started));
    EXPECT_TRUE(started);
    DWORD pid = 0;
    HWND window = nullptr;
    ASSERT_TRUE(m_queue.FindGame(kTileA, &pid, &window));
    ASSERT_EQ(1u, ::Tessar::Test::ReadStartRecords(m_record).size());
    EXPECT_EQ(pid, ::Tessar::Test::ProcessIdOfRecord(::Tessar::Test::ReadStartRecords(m_record)[0]));
    ASSERT_NE(nullptr, window) << "the game's main window was not found";

    // Running: the second request starts nothing.
    EXPECT_FALSE(m_queue.Push(kTileA, Launch()));
    EXPECT_FALSE(m_messages.WaitFor(kReport, 1500));
    EXPECT_EQ(1u, ::Tessar::Test::ReadStartRecords(m_record).size());
}

TEST_F(GameWatchQueueTest, AGameThatEndedIsStartedAgainThroughTheSameRecord) {
    ASSERT_TRUE(m_queue.Push(kTileA, Launch()));
    bool started = false;
    ASSERT_TRUE(Reported(kTileA, &started));
    DWORD first = 0;
    ASSERT_TRUE(m_queue.FindGame(kTileA, &first, nullptr));
    ::Tessar::Test::EndProcess(first);
    EXPECT_TRUE(m_queue.Push(kTileA, Launch()));
    ASSERT_TRUE(Reported(kTileA, &started));
    EXPECT_TRUE(started);
    DWORD second = 0;
    ASSERT_TRUE(m_queue.FindGame(kTileA, &second, nullptr));
    EXPECT_NE(first, second);
    EXPECT_EQ(2u, ::Tessar::Test::ReadStartRecords(m_record).size());
}

TEST_F(GameWatchQueueTest, AGameThatCannotStartIsReportedAndForgotten) {
    struct Case {
        const char* name;
        VQGameLaunch launch;
    };
    VQGameLaunch missing = Launch();
    missing.program = m_folder.PathOf(L"missing.exe");
    VQGameLaunch flashWithoutConfig = Launch();
    flashWithoutConfig.flashGame = true;
    flashWithoutConfig.arguments = m_folder.PathOf(L"no such game\\config.ini");
    const Case cases[] = {{"missing program", missing}, {"Flash game without its config file", flashWithoutConfig}};
    for (const Case& c : cases) {
        ASSERT_TRUE(m_queue.Push(kTileB, c.launch)) << c.name;
        bool started = true;
        ASSERT_TRUE(Reported(kTileB, &started)) << c.name;
        EXPECT_FALSE(started) << c.name;
        EXPECT_FALSE(m_queue.FindGame(kTileB, nullptr, nullptr)) << c.name;
    }
    EXPECT_TRUE(::Tessar::Test::ReadStartRecords(m_record).empty());
}

TEST_F(GameWatchQueueTest, AFlashGameGetsItsConfigFileAsOneQuotedPath) {
    ASSERT_TRUE(m_folder.WriteFile(L"flash game\\config.ini", "[main]\r\nname=x\r\n"));
    VQGameLaunch launch;
    launch.program = m_game;
    launch.flashGame = true;
    launch.arguments = m_folder.PathOf(L"flash game\\config.ini");
    ASSERT_TRUE(m_queue.Push(kTileA, launch));
    bool started = false;
    ASSERT_TRUE(Reported(kTileA, &started));
    EXPECT_TRUE(started);
    DWORD pid = 0;
    ASSERT_TRUE(m_queue.FindGame(kTileA, &pid, nullptr));
    // The player stand-in wrote its command line beside the config file it got whole.
    const std::vector<std::wstring> seen = ::Tessar::Test::ReadStartRecords(launch.arguments + L".seen");
    ASSERT_EQ(1u, seen.size());
    EXPECT_NE(std::wstring::npos, seen[0].find(L"\"" + launch.arguments + L"\"")) << "the path was not quoted";
    ::Tessar::Test::EndProcess(pid);
}

TEST_F(GameWatchQueueTest, KillEndsAGameThatIgnoresCloseAndClosesOneThatListens) {
    struct Case {
        const char* name;
        const wchar_t* extra;
        DWORD exitCode;  // 0 both ways: WM_CLOSE ends normally, termination uses 0
        bool windowGoesFirst;
    } cases[] = {
        {"listens to WM_CLOSE", L"", 0, true},
        {"ignores WM_CLOSE", L" --ignore-close", 0, false},
    };
    for (const Case& c : cases) {
        VQGameWatchQueue queue;
        queue.SetReportTarget(m_messages.Window(), kReport);
        ASSERT_TRUE(queue.Push(kTileA, Launch(c.extra))) << c.name;
        bool started = false;
        ASSERT_TRUE(Reported(kTileA, &started)) << c.name;
        DWORD pid = 0;
        HWND window = nullptr;
        ASSERT_TRUE(queue.FindGame(kTileA, &pid, &window)) << c.name;
        ASSERT_NE(nullptr, window) << c.name;
        HANDLE process = ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, pid);
        ASSERT_NE(nullptr, process) << c.name;
        const DWORD before = ::GetTickCount();
        EXPECT_TRUE(queue.KillGameOfProcess(pid)) << c.name;
        EXPECT_LT(::GetTickCount() - before, VQGameWatchQueue::kCloseWaitMs + 3000) << c.name;
        EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(process, kTimeout)) << c.name;
        DWORD code = 1234;
        ::GetExitCodeProcess(process, &code);
        EXPECT_EQ(c.exitCode, code) << c.name;
        ::CloseHandle(process);
        // Its process ended: the record goes, and the next run starts the game again.
        EXPECT_FALSE(queue.FindGame(kTileA, nullptr, nullptr)) << c.name;
        EXPECT_TRUE(queue.Push(kTileA, Launch(c.extra))) << c.name;
        ASSERT_TRUE(Reported(kTileA, &started)) << c.name;
        EXPECT_TRUE(started) << c.name;
        DWORD again = 0;
        ASSERT_TRUE(queue.FindGame(kTileA, &again, nullptr)) << c.name;
        EXPECT_NE(0u, again) << c.name;
        queue.Clear();
        ::Tessar::Test::EndProcess(again);
    }
    EXPECT_FALSE(m_queue.KillGameOfProcess(::GetCurrentProcessId())) << "an untracked process is left alone";
}

TEST_F(GameWatchQueueTest, KillLeavesAloneTheProcessThatWasGivenAnEndedGamesId) {
    ASSERT_TRUE(m_queue.Push(kTileA, Launch()));
    bool started = false;
    ASSERT_TRUE(Reported(kTileA, &started));
    ASSERT_TRUE(started);
    DWORD game = 0;
    ASSERT_TRUE(m_queue.FindGame(kTileA, &game, nullptr));
    // The game ends by itself (the player quit it).
    ::Tessar::Test::EndProcess(game);
    ASSERT_TRUE(::Tessar::Test::WaitForProcessEnd(game, kTimeout));
    EXPECT_FALSE(m_queue.FindGame(kTileA, nullptr, nullptr)) << "the ended game is still tracked";

    // Another program is given the ended game's process id.
    const std::wstring other = ::Tessar::Test::CopyStandIn(m_folder, L"Other Program.exe");
    HANDLE unrelated = ::Tessar::Test::StartProcessWithId(
        game, L"\"" + other + L"\" --record \"" + m_folder.PathOf(L"other.txt") + L"\"", 60000);
    ASSERT_NE(nullptr, unrelated) << "the id " << game << " was not given out again";
    ASSERT_TRUE(::Tessar::Test::WaitForCondition(
        [&] { return !::Tessar::Test::ReadStartRecords(m_folder.PathOf(L"other.txt")).empty(); }, kTimeout));

    EXPECT_FALSE(m_queue.KillGameOfProcess(game));
    EXPECT_EQ(WAIT_TIMEOUT, ::WaitForSingleObject(unrelated, 1000)) << "the unrelated program was ended";
    ::TerminateProcess(unrelated, 9);
    ::WaitForSingleObject(unrelated, kTimeout);
    ::CloseHandle(unrelated);
}

TEST_F(GameWatchQueueTest, HideAndShowTheGameWindows) {
    ASSERT_TRUE(m_queue.Push(kTileA, Launch()));
    bool started = false;
    ASSERT_TRUE(Reported(kTileA, &started));
    HWND window = nullptr;
    ASSERT_TRUE(m_queue.FindGame(kTileA, nullptr, &window));
    ASSERT_NE(nullptr, window);
    ASSERT_TRUE(m_queue.ShowGames(true));
    EXPECT_TRUE(::Tessar::Test::WaitForCondition([&] { return !::IsWindowVisible(window); }, kTimeout));
    ASSERT_TRUE(m_queue.ShowGames(false));
    EXPECT_TRUE(::Tessar::Test::WaitForCondition([&] { return ::IsWindowVisible(window) != FALSE; }, kTimeout));
}

TEST_F(GameWatchQueueTest, ClearDoesNotWaitLongForAStartInProgress) {
    // A game without a window: the worker keeps looking for one.
    VQGameLaunch launch = Launch(L" --exit 0");
    ASSERT_TRUE(m_queue.Push(kTileA, launch));
    ::Sleep(150);
    const DWORD before = ::GetTickCount();
    EXPECT_TRUE(m_queue.Clear());
    EXPECT_LT(::GetTickCount() - before, 2000u);
    EXPECT_FALSE(m_queue.FindGame(kTileA, nullptr, nullptr));
}

}  // namespace
}  // namespace Tessar
