// The start-up's background fetches against an update server on 127.0.0.1
// that keeps them waiting: the window never waits for a fetch that still
// runs, and the stop waits a bounded time.
#include <gtest/gtest.h>

#include <string>

#include "VQCore/app/jobs/BackgroundJobs.h"
#include "VQCore/gamelib/AppFolder.h"
#include "common/ServerAddresses.h"
#include "tests/support/TempFolder.h"
#include "tests/support/UpdateServer.h"

namespace Tessar {
namespace Test {
namespace {

// The server answers every request only after this long.
const DWORD kStallMs = 25000;

bool HasRequest(const VQUpdateServer& server, const char* endpoint) {
    for (const std::string& line : server.Requests())
        if (line.find(endpoint) != std::string::npos) return true;
    return false;
}

bool WaitForRequest(const VQUpdateServer& server, const char* endpoint) {
    for (int i = 0; i < 400; ++i) {
        if (HasRequest(server, endpoint)) return true;
        ::Sleep(50);
    }
    return false;
}

class BackgroundJobs : public ::testing::Test {
protected:
    void SetUp() override {
        SetAppFolderOverride(m_program.Path());
        ASSERT_TRUE(m_server.Start(m_root.Path()));
        ASSERT_TRUE(SetServerAddress(kUpdateServer, m_server.Fault(L"stallhead-" + std::to_wstring(kStallMs), L"")));
    }
    void TearDown() override {
        m_server.Stop();
        LoadServerAddresses(ServerAddressesIniPath());
        SetAppFolderOverride(L"");
    }

    VQTempFolder m_program;
    VQTempFolder m_root;
    VQUpdateServer m_server;
};

TEST_F(BackgroundJobs, AFetchThatStillRunsIsNeitherWaitedForNorStartedTwice) {
    VQBackgroundJobs jobs;
    jobs.SetIconWorkFolder(m_root.PathOf(L"work"));
    ASSERT_TRUE(jobs.StartIconDownload(1, {7, 8}, nullptr));
    ASSERT_TRUE(WaitForRequest(m_server, "update_icon.php")) << "the picture fetch did not ask the server";

    DWORD before = ::GetTickCount();
    EXPECT_FALSE(jobs.StartIconDownload(1, {9}, nullptr)) << "a second fetch of the same kind started";
    EXPECT_LT(::GetTickCount() - before, 2000u) << "the second request waited for the first fetch";

    // The stop waits a bounded time, far less than the server keeps the job.
    before = ::GetTickCount();
    jobs.Stop();
    EXPECT_LT(::GetTickCount() - before, VQBackgroundJobs::kStopWaitMs + 3000);
    EXPECT_FALSE(jobs.StartIconDownload(1, {9}, nullptr)) << "nothing starts after the stop";
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
