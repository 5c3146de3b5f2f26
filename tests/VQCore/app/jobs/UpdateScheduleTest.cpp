// The arithmetic of the day timers and of the online report, and the
// report itself against the local statistics server.
#include <gtest/gtest.h>

#include <ctime>

#include "VQCore/app/mainwindow/MarloxWnd.h"
#include "VQCore/app/jobs/OnlineReport.h"
#include "VQCore/app/jobs/UpdateSchedule.h"
#include "common/ServerAddresses.h"
#include "tests/support/TempFolder.h"
#include "tests/support/UpdateServer.h"

namespace Tessar {
namespace Test {
namespace {

const int64_t kDay = 86400;
const int64_t kNow = 1700000000;

// A local time of today (of kNow's local day) in seconds.
int64_t LocalToday(int hour, int minute) {
    __time64_t now = kNow;
    struct tm local = {};
    _localtime64_s(&local, &now);
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = 0;
    local.tm_isdst = -1;
    return _mktime64(&local);
}

TEST(UpdateSchedule, DataTimerWaitsForTheRestOfTheDaySinceTheLastRun) {
    const struct {
        const char* name;
        uint64_t stamp;
        UINT delayMs;
        bool stampNow;
    } cases[] = {
        {"never run: a day from now, stamped", 0, kDayTimerMs, true},
        {"23 hours old: one hour", static_cast<uint64_t>(kNow - 23 * 3600), 3600 * 1000, false},
        {"one second old", static_cast<uint64_t>(kNow - 1), (kDay - 1) * 1000, false},
        {"exactly a day old: soon", static_cast<uint64_t>(kNow - kDay), kSoonTimerMs, false},
        {"a week old: soon", static_cast<uint64_t>(kNow - 7 * kDay), kSoonTimerMs, false},
        {"stamped this second: soon", static_cast<uint64_t>(kNow), kSoonTimerMs, false},
        {"from the future: soon", static_cast<uint64_t>(kNow + 3600), kSoonTimerMs, false},
    };
    for (const auto& c : cases) {
        const VQDataTimerPlan plan = PlanDataTimer(c.stamp, kNow);
        EXPECT_EQ(c.delayMs, plan.delayMs) << c.name;
        EXPECT_EQ(c.stampNow, plan.stampNow) << c.name;
    }
}

TEST(UpdateSchedule, NextLocalMidnightIsMeasuredFromNow) {
    const int64_t evening = LocalToday(20, 0);
    EXPECT_EQ(4u * 3600 * 1000, MsToNextLocalMidnight(evening));
    const int64_t lastSecond = LocalToday(23, 59) + 59;
    EXPECT_EQ(1000u, MsToNextLocalMidnight(lastSecond));
}

TEST(UpdateSchedule, OnlineReportWaitsFromNowNotFromItsStamp) {
    const int64_t now = LocalToday(20, 0);
    const struct {
        const char* name;
        int64_t stamp;
        bool armed;
        UINT delayMs;
    } cases[] = {
        {"never sent", 0, true, kSoonTimerMs},
        {"negative stamp", -5, true, kSoonTimerMs},
        // Sent early this morning: four hours to midnight, not twenty.
        {"sent today", LocalToday(0, 30), true, 4u * 3600 * 1000},
        {"sent yesterday", now - kDay, true, kSoonTimerMs},
        {"stamp from the future", now + 60, false, 0},
        {"stamp of this second", now, false, 0},
    };
    for (const auto& c : cases) {
        UINT delayMs = 0;
        EXPECT_EQ(c.armed, PlanOnlineReport(c.stamp, now, delayMs)) << c.name;
        if (c.armed) {
            EXPECT_EQ(c.delayMs, delayMs) << c.name;
        }
    }
}

TEST(UpdateSchedule, ThreeFailedReportsThenTheNextTryIsAtMidnight) {
    const int64_t now = LocalToday(20, 0);
    const UINT midnight = MsToNextLocalMidnight(now);
    uint32_t retries = 0;
    const struct {
        bool sent;
        UINT delayMs;
        uint32_t retriesAfter;
    } steps[] = {
        {false, kSoonTimerMs, 1}, {false, kSoonTimerMs, 2}, {false, kSoonTimerMs, 3},
        {false, midnight, 3},     {true, midnight, 0},      {false, kSoonTimerMs, 1},
    };
    int step = 0;
    for (const auto& s : steps) {
        EXPECT_EQ(s.delayMs, PlanAfterReport(s.sent, retries, now)) << "step " << step;
        EXPECT_EQ(s.retriesAfter, retries) << "step " << step;
        ++step;
    }
}

TEST(UpdateSchedule, ReportRequestNamesTheMachine) {
    ASSERT_TRUE(SetServerAddress(kStatisticsServer, L"http://127.0.0.1:9/vq"));
    const struct {
        const char* name;
        std::wstring mac, disk, expected;
    } cases[] = {
        {"no adapter: twelve zeros", L"", L"WD-123",
         L"http://127.0.0.1:9/vq/online_stat.php?mac=000000000000&diskid=WD-123&ver=1.7"},
        {"blanks trimmed, inner blank escaped", L"0a1b2c3d4e5f", L" \tWD 12\r\n",
         L"http://127.0.0.1:9/vq/online_stat.php?mac=0a1b2c3d4e5f&diskid=WD%2012&ver=1.7"},
        {"no disk", L"0a1b2c3d4e5f", L"", L"http://127.0.0.1:9/vq/online_stat.php?mac=0a1b2c3d4e5f&diskid=&ver=1.7"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.expected, MakeOnlineReportRequest(c.mac, c.disk)) << c.name;
}

// A report sent from a worker thread arms the next timer through the
// window's own thread: the message arrives here, on the window's thread.
class OnlineReportRun : public ::testing::Test {
protected:
    void SetUp() override {
        m_window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        ASSERT_NE(nullptr, m_window);
        ASSERT_TRUE(m_server.Start(m_root.Path()));
    }
    void TearDown() override {
        m_server.Stop();
        DestroyWindow(m_window);
    }

    // Runs one report on a thread; the delay it asked for (0 when none).
    UINT ReportOnce(uint32_t& retries, bool& sent) {
        struct Run {
            HWND window;
            uint32_t* retries;
            bool sent;
        } run = {m_window, &retries, false};
        HANDLE thread = CreateThread(
            nullptr, 0,
            [](void* argument) -> DWORD {
                Run* r = static_cast<Run*>(argument);
                r->sent = SendOnlineReport(r->window, *r->retries);
                return 0;
            },
            &run, 0, nullptr);
        EXPECT_NE(nullptr, thread);
        if (thread == nullptr) return 0;
        WaitForSingleObject(thread, 60000);
        CloseHandle(thread);
        sent = run.sent;
        MSG msg;
        if (!PeekMessageW(&msg, m_window, kMsgArmTimer, kMsgArmTimer, PM_REMOVE)) return 0;
        EXPECT_EQ(static_cast<WPARAM>(kTimerOnlineReport), msg.wParam);
        return static_cast<UINT>(msg.lParam);
    }

    HWND m_window = nullptr;
    VQTempFolder m_root;
    VQUpdateServer m_server;
};

TEST_F(OnlineReportRun, SentReportWaitsForMidnightAndAFailureRetriesSoon) {
    ASSERT_TRUE(SetServerAddress(kStatisticsServer, m_server.Url(L"/stat")));
    m_server.ClearRequests();
    uint32_t retries = 2;
    bool sent = false;
    const UINT delay = ReportOnce(retries, sent);
    EXPECT_TRUE(sent);
    EXPECT_EQ(0u, retries);
    EXPECT_GT(delay, 0u);
    EXPECT_LE(delay, static_cast<UINT>(25 * 3600 * 1000));
    bool asked = false;
    for (const std::string& request : m_server.Requests())
        asked = asked || (request.find("/stat/online_stat.php?mac=") == 0 && request.find("&ver=1.7") != std::string::npos);
    EXPECT_TRUE(asked) << "the statistics server got no online report";

    // Nobody listens on port 9 of the loopback.
    ASSERT_TRUE(SetServerAddress(kStatisticsServer, L"http://127.0.0.1:9/stat"));
    EXPECT_EQ(kSoonTimerMs, ReportOnce(retries, sent));
    EXPECT_FALSE(sent);
    EXPECT_EQ(1u, retries);
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
