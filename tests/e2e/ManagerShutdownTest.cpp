// The manager's end: a close while a worker is stuck on the network ends in
// time, and a kill while it writes a list leaves the old or the new file.

#include <gtest/gtest.h>

#include <boost/make_shared.hpp>

#include "VQCore/gamelib/DownloadXmlFile.h"
#include "tests/e2e/ManagerHarness.h"
#include "tests/e2e/ManagerRecords.h"
#include "tests/support/UpdateServer.h"

namespace Tessar {
namespace Test {
namespace {

const DWORD kStartTimeout = 90000;
// The shutdown waits for a stuck worker a bounded time (10 s), far less
// than the server keeps it waiting.
const DWORD kShutdownBound = 45000;
const UINT_PTR kDatabaseTimer = 1001;
const UINT_PTR kOnlineReportTimer = 1004;

class ManagerShutdownTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.Prepare()); }

    HWND StartAndWait(const std::wstring& argument, VQManagerProcess& process) {
        process = m_folder.Start(argument);
        HWND window = nullptr;
        WaitFor([&] { return (window = m_folder.FindMainWindow(process.pid)) != nullptr || !process.Running(); },
                kStartTimeout);
        return window;
    }

    // The window shows once the start-up has filled the pages (the lists
    // are written back only from filled pages).
    HWND StartAndWaitShown(VQManagerProcess& process) {
        HWND window = StartAndWait(L"", process);
        if (window == nullptr) return nullptr;
        if (!WaitFor([&] { return IsWindowVisible(window) != FALSE; }, kStartTimeout)) return nullptr;
        return window;
    }

    // Started in the background with the catalogue job's day timer fired
    // now (instead of in minutes); the server answers every update request
    // only after two minutes of silence, and the job has asked it.
    void StartWithHangingCatalogueJob(VQUpdateServer& server, VQManagerProcess& manager, HWND& window) {
        ASSERT_TRUE(server.Start(m_folder.Temp().Path()));
        const std::wstring stalled = server.Url(L"/__fault/stallhead-120000");
        ASSERT_TRUE(m_folder.WriteServers(std::string(stalled.begin(), stalled.end()), ""));
        window = StartAndWait(L"-background", manager);
        ASSERT_NE(nullptr, window) << "exit code " << manager.ExitCode();
        ASSERT_TRUE(PostMessageW(window, WM_TIMER, kDatabaseTimer, 0));
        ASSERT_TRUE(WaitFor([&] { return HasRequestContaining(server, "update_database.php"); }, kStartTimeout))
            << "the catalogue job did not ask the server";
    }

    VQManagerFolder m_folder;
};

TEST_F(ManagerShutdownTest, CloseWhileACatalogueUpdateHangsEndsInTime) {
    VQUpdateServer server;
    VQManagerProcess manager;
    HWND window = nullptr;
    ASSERT_NO_FATAL_FAILURE(StartWithHangingCatalogueJob(server, manager, window));

    DWORD closed = GetTickCount();
    ASSERT_TRUE(PostMessageW(window, WM_CLOSE, 0, 0));
    EXPECT_TRUE(manager.WaitForExit(kShutdownBound)) << "the shutdown waited for the stuck worker";
    EXPECT_LT(GetTickCount() - closed, kShutdownBound);
    EXPECT_EQ(0u, manager.ExitCode());
    server.Stop();
}

TEST_F(ManagerShutdownTest, CloseWhileTheOnlineReportHangsEndsInTime) {
    VQUpdateServer server;
    ASSERT_TRUE(server.Start(m_folder.Temp().Path()));
    // The statistics server keeps the daily report waiting two minutes.
    const std::wstring stalled = server.Url(L"/__fault/stallhead-120000");
    ASSERT_TRUE(m_folder.WriteServers(std::string(stalled.begin(), stalled.end()),
                                      std::string(stalled.begin(), stalled.end())));

    VQManagerProcess manager;
    HWND window = StartAndWait(L"-background", manager);
    ASSERT_NE(nullptr, window) << "exit code " << manager.ExitCode();
    // The report's timer fires now instead of in minutes.
    ASSERT_TRUE(PostMessageW(window, WM_TIMER, kOnlineReportTimer, 0));
    ASSERT_TRUE(WaitFor([&] { return HasRequestContaining(server, "online_stat.php"); }, kStartTimeout))
        << "the online report did not reach the server";

    const DWORD closed = GetTickCount();
    ASSERT_TRUE(PostMessageW(window, WM_CLOSE, 0, 0));
    EXPECT_TRUE(manager.WaitForExit(kShutdownBound)) << "the shutdown waited for the report";
    EXPECT_LT(GetTickCount() - closed, kShutdownBound);
    EXPECT_EQ(0u, manager.ExitCode());
    server.Stop();
}

TEST_F(ManagerShutdownTest, ADayTimerWhileTheLastJobStillHangsKeepsTheWindowAnswering) {
    VQUpdateServer server;
    VQManagerProcess manager;
    HWND window = nullptr;
    ASSERT_NO_FATAL_FAILURE(StartWithHangingCatalogueJob(server, manager, window));
    // The next day's round comes while the first job still waits; the
    // window handles it and answers.
    DWORD_PTR result = 0;
    EXPECT_NE(0, SendMessageTimeoutW(window, WM_TIMER, kDatabaseTimer, 0, SMTO_BLOCK, 10000, &result))
        << "the window waits for the hanging job";
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(manager.WaitForExit(kShutdownBound));
    server.Stop();
}

TEST_F(ManagerShutdownTest, DataUpdateModeAsksTheServerAndEndsWithoutAWindow) {
    VQUpdateServer server;
    ASSERT_TRUE(server.Start(m_folder.Temp().Path()));
    const std::wstring base = server.Url(L"");
    ASSERT_TRUE(m_folder.WriteServers(std::string(base.begin(), base.end()), ""));
    VQManagerProcess updater = m_folder.Start(L"-update_data");
    ASSERT_TRUE(updater.WaitForExit(kShutdownBound));
    EXPECT_EQ(static_cast<DWORD>(-1), updater.ExitCode());
    EXPECT_TRUE(HasRequestContaining(server, "update_database.php"));
    EXPECT_EQ(0, m_folder.CountMainWindows());
    server.Stop();
}

typedef boost::shared_ptr<VQGameDownloadInfo> DownloadRecord;

std::vector<DownloadRecord> RunningDownloads() {
    std::vector<DownloadRecord> records;
    for (uint32_t id : {1u, 2u, 3u}) {
        auto record = boost::make_shared<VQGameDownloadInfo>();
        record->ID = id;
        record->Type = 1;
        record->State = 2;  // running when the list was written
        record->Completed = 1000 * id;
        record->Total = 100000;
        records.push_back(record);
    }
    return records;
}

// The start turns the running downloads into paused ones (no automatic
// resume), so the list the manager writes differs from the one it read.
TEST_F(ManagerShutdownTest, KillWhileTheDownloadListIsWrittenLeavesTheOldOrTheNewList) {
    const std::wstring listPath = m_folder.PathOf(L"data\\download.vqx");
    const DWORD killDelays[] = {0, 1, 3, 8, 20, 60};
    int newLists = 0;
    for (DWORD delay : killDelays) {
        VQDownloadXmlFile old;
        old.SetRecords(RunningDownloads());
        ASSERT_TRUE(old.Save(listPath));

        VQManagerProcess manager;
        HWND window = StartAndWaitShown(manager);
        ASSERT_NE(nullptr, window) << "delay " << delay << ", exit code " << manager.ExitCode();
        // Windows asks before it ends the session: the manager writes its lists.
        PostMessageW(window, WM_QUERYENDSESSION, 0, 0);
        if (delay) Sleep(delay);  // the kill lands at a different moment of the write each round
        m_folder.Kill(manager);

        VQDownloadXmlFile after;
        ASSERT_TRUE(after.LoadFile(listPath)) << "delay " << delay << ": the list no longer loads";
        ASSERT_EQ(3u, after.GetRecords().size()) << "delay " << delay;
        uint32_t state = after.GetRecords()[0]->State;
        EXPECT_TRUE(state == 2 || state == 4) << "delay " << delay << ": state " << state;
        for (const auto& record : after.GetRecords()) EXPECT_EQ(state, record->State) << "delay " << delay;
        if (state == 4) ++newLists;
        m_folder.KillAll();
    }
    // Let the last round write undisturbed: the new list is what it wrote.
    VQDownloadXmlFile old;
    old.SetRecords(RunningDownloads());
    ASSERT_TRUE(old.Save(listPath));
    VQManagerProcess manager;
    HWND window = StartAndWaitShown(manager);
    ASSERT_NE(nullptr, window);
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, 0, SMTO_BLOCK, 60000, &result);
    EXPECT_EQ(1u, result);
    m_folder.Kill(manager);
    VQDownloadXmlFile after;
    ASSERT_TRUE(after.LoadFile(listPath));
    ASSERT_EQ(3u, after.GetRecords().size());
    EXPECT_EQ(4u, after.GetRecords()[0]->State) << "paused downloads are written as stopped";
    RecordProperty("rounds_with_new_list", newLists);
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
