// The game speed clock: its rate against the real clock in each state
// (driven through an injected real clock), no jump when it starts or the
// state changes, the clock hook reaching a module loaded after it was
// installed while this program's own module keeps the real function, and
// (with the real hooked function, in a process of its own) winmm loaded
// only after the switch.

#include "VQFlash/ImportHook.h"
#include "VQFlash/SpeedClock.h"

#include "tests/support/LocalServer.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <cstdio>
#include <string>

extern "C" FARPROC __imp_timeGetTime;

namespace Tessar {
namespace {

std::atomic<DWORD> g_realNow{0};

DWORD WINAPI InjectedClock() {
    return g_realNow.load();
}

class SpeedClockTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_realNow = 5000000;
        SetClockSpeedState(0);
        SetClockSource(&InjectedClock);
    }
    void TearDown() override {
        RemoveClockHook();
        SetClockSource(nullptr);
    }
};

TEST_F(SpeedClockTest, EachStateRunsAtItsRateAndStateZeroIsRealTimeAgain) {
    struct Case {
        const char* name;
        int state;
        DWORD expected;  // virtual milliseconds per 1000 real ones
    };
    const Case cases[] = {
        {"real time", 0, 1000}, {"state 1", 1, 1500}, {"state 2", 2, 2000},
        {"state 3", 3, 2500},   {"back to real time", 0, 1000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetClockSpeedState(c.state);
        EXPECT_EQ(c.state, GetClockSpeedState());
        const DWORD before = SpeedTimeGetTime();
        g_realNow += 1000;
        const DWORD after = SpeedTimeGetTime();
        EXPECT_EQ(c.expected, after - before);
        EXPECT_DOUBLE_EQ(c.expected / 1000.0, ClockSpeedFactor(c.state));
    }
}

TEST_F(SpeedClockTest, StartsAtTheRealReadingAndNeverJumps) {
    // The first reading continues the real clock (not the whole real count
    // times the factor).
    SetClockSpeedState(3);
    EXPECT_EQ(5000000u, SpeedTimeGetTime());
    g_realNow += 10;
    const DWORD fast = SpeedTimeGetTime();
    EXPECT_EQ(5000025u, fast);
    // Switching state counts the time so far at the old rate, then goes on.
    g_realNow += 4;
    SetClockSpeedState(0);
    EXPECT_EQ(fast + 10, SpeedTimeGetTime());
}

TEST_F(SpeedClockTest, ScaledFractionsAddUpOverManyShortReadings) {
    SetClockSpeedState(1);
    const DWORD start = SpeedTimeGetTime();
    for (int i = 0; i < 1000; ++i) {
        g_realNow += 1;
        SpeedTimeGetTime();
    }
    EXPECT_EQ(1500u, SpeedTimeGetTime() - start);
}

TEST_F(SpeedClockTest, StateOutsideTheRangeMeansRealTime) {
    for (int state : {-1, 4, 99}) {
        SetClockSpeedState(state);
        EXPECT_EQ(0, GetClockSpeedState()) << state;
    }
}

TEST_F(SpeedClockTest, HookReachesModulesLoadedLaterButNotThisProgram) {
    const FARPROC real = ::GetProcAddress(::GetModuleHandleW(L"winmm.dll"), "timeGetTime");
    ASSERT_NE(nullptr, real);
    VQImportHook* hook = InstallClockHook();
    ASSERT_NE(nullptr, hook);
    EXPECT_TRUE(hook->WatchesLoadLibrary());
    EXPECT_FALSE(hook->IncludesOwnModule());
    // This program's own entry keeps the real function.
    EXPECT_EQ(real, *static_cast<volatile FARPROC*>(&__imp_timeGetTime));

    const std::wstring path =
        Tessar::Test::UnixToWindowsPath(Tessar::Test::BinaryDirUnix() + "/fixtures/hook/HookProbeLower.dll");
    HMODULE probe = ::LoadLibraryW(path.c_str());
    ASSERT_NE(nullptr, probe);
    auto probeClock = reinterpret_cast<DWORD (*)()>(::GetProcAddress(probe, "ProbeTimeGetTime"));
    ASSERT_NE(nullptr, probeClock);
    SetClockSpeedState(2);
    const DWORD before = probeClock();
    g_realNow += 500;
    EXPECT_EQ(1000u, probeClock() - before) << "the probe reads the speed clock";

    RemoveClockHook();
    // The real clock again: the injected one no longer moves it.
    const DWORD first = probeClock();
    g_realNow += 1000000;
    EXPECT_LT(probeClock() - first, 100000u);
    ::FreeLibrary(probe);
}

TEST(SpeedClockLateWinmm, TheClockRunsAtTheChosenRateWhenWinmmComesInAfterTheSwitch) {
    // In a process of its own that has not loaded winmm: the switch to x2
    // comes first, then a library importing timeGetTime is loaded. Its
    // clock, read through the real hooked function, runs at twice the real
    // one (it stood still at 0 when the hook never took the real function).
    VQTempFolder folder;
    ASSERT_FALSE(folder.Path().empty());
    const std::wstring fixtures = Tessar::Test::UnixToWindowsPath(Tessar::Test::BinaryDirUnix() + "/fixtures/hook/");
    const std::wstring program = fixtures + L"SpeedClockProbe.exe";
    const std::wstring result = folder.PathOf(L"clock.txt");
    std::wstring commandLine = L"\"" + program + L"\" \"" + fixtures + L"HookProbeLateClock.dll\" \"" + result + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(::CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                                 nullptr, &startup, &process));
    ::CloseHandle(process.hThread);
    const bool ended = ::WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0;
    if (!ended) ::TerminateProcess(process.hProcess, 1);
    DWORD exitCode = STILL_ACTIVE;
    ::GetExitCodeProcess(process.hProcess, &exitCode);
    ::CloseHandle(process.hProcess);
    ASSERT_TRUE(ended);
    ASSERT_EQ(0u, exitCode) << "3: winmm was loaded before the switch; 4: the probe library failed";
    unsigned long virtualMs = 0, shortest = 0, longest = 0;
    const std::string text = folder.ReadFile(L"clock.txt");
    ASSERT_EQ(3, std::sscanf(text.c_str(), "virtual=%lu shortest=%lu longest=%lu", &virtualMs, &shortest, &longest))
        << text;
    ASSERT_GE(shortest, 900u) << text;
    // Twice the real time between the two readings, give or take the
    // clock's millisecond steps.
    EXPECT_GE(virtualMs + 2, 2 * shortest) << text;
    EXPECT_LE(virtualMs, 2 * longest + 2) << text;
}

}  // namespace
}  // namespace Tessar
