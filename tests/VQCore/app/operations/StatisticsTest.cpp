// The statistics requests: their address and that they reach the server.
#include "VQCore/app/operations/Statistics.h"

#include "common/ServerAddresses.h"
#include "tests/support/TempFolder.h"
#include "tests/support/UpdateServer.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Tessar {
namespace {

// Points the statistics server at a test address and puts it back after.
class StatisticsTest : public ::testing::Test {
protected:
    ~StatisticsTest() override { LoadServerAddresses(ServerAddressesIniPath()); }
};

TEST_F(StatisticsTest, RequestAddressByType) {
    ASSERT_TRUE(SetServerAddress(kStatisticsServer, L"http://127.0.0.1:9/vq"));
    struct Case {
        uint32_t type;
        uint32_t id;
        const wchar_t* extra;
        const wchar_t* url;
    } cases[] = {
        {kStatDownloadComplete, 7, L"&bt=-1.00&speed=3&num=1&limit=-1",
         L"http://127.0.0.1:9/vq/download_complete.php?soft=1.7&id=00007&bt=-1.00&speed=3&num=1&limit=-1"},
        {kStatInstallComplete, 42, L"", L"http://127.0.0.1:9/vq/install_complete.php?soft=1.7&id=00042"},
        {kStatClickRegister, 70001, L"", L"http://127.0.0.1:9/vq/click_register.php?soft=1.7&id=70001"},
        {3, 42, L"", L""},
    };
    for (const Case& c : cases) EXPECT_EQ(c.url, MakeStatisticUrl(c.type, c.id, c.extra)) << c.type;
    EXPECT_FALSE(ReportStatistic(3, 42, L""));
}

TEST_F(StatisticsTest, ReportsReachTheServerAndABackgroundOneToo) {
    VQTempFolder root;
    ::Tessar::Test::VQUpdateServer server;
    ASSERT_TRUE(server.Start(root.Path()));
    ASSERT_TRUE(SetServerAddress(kStatisticsServer, server.Url(L"")));
    EXPECT_TRUE(ReportStatistic(kStatInstallComplete, 42, L""));
    ASSERT_TRUE(ReportStatisticInBackground(kStatDownloadComplete, 43, L"&num=1"));
    std::vector<std::string> requests;
    for (int i = 0; i < 200 && requests.size() < 2; ++i) {
        ::Sleep(25);
        requests = server.Requests();
    }
    ASSERT_EQ(2u, requests.size());
    EXPECT_EQ("/install_complete.php?soft=1.7&id=00042", requests[0]);
    EXPECT_EQ("/download_complete.php?soft=1.7&id=00043&num=1", requests[1]);
}

TEST_F(StatisticsTest, AServerThatIsNotThereIsAFailedReport) {
    ASSERT_TRUE(SetServerAddress(kStatisticsServer, L"http://127.0.0.1:1"));
    EXPECT_FALSE(ReportStatistic(kStatInstallComplete, 42, L""));
}

}  // namespace
}  // namespace Tessar
