#include "common/ServerAddresses.h"

#include "common/FileUtil.h"
#include "common/SystemUtil.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace Tessar {
namespace {

class ServerAddressesTest : public ::testing::Test {
protected:
    // The table is process-wide: every test leaves it as the program starts.
    void TearDown() override { LoadServerAddresses(ServerAddressesIniPath()); }
};

TEST_F(ServerAddressesTest, BuiltInValuesArePlaceholdersThatNeverResolve) {
    EXPECT_EQ(0u, LoadServerAddresses(L""));
    std::set<std::wstring> keys;
    for (uint32_t i = 0; i < kServerAddressCount; ++i) {
        VQServerAddress which = static_cast<VQServerAddress>(i);
        ASSERT_NE(nullptr, ServerAddressKey(which)) << i;
        EXPECT_TRUE(keys.insert(ServerAddressKey(which)).second) << "duplicate key " << i;
        std::wstring value = GetServerAddress(which);
        EXPECT_EQ(DefaultServerAddress(which), value) << i;
        EXPECT_EQ(0u, value.find(L"http://")) << i;
        EXPECT_NE(std::wstring::npos, value.find(L".invalid")) << i;
    }
    EXPECT_EQ(nullptr, ServerAddressKey(kServerAddressCount));
    EXPECT_EQ(L"", GetServerAddress(kServerAddressCount));
    EXPECT_FALSE(SetServerAddress(kServerAddressCount, L"http://127.0.0.1/"));
}

TEST_F(ServerAddressesTest, IniFileOverridesOnlyValidWebAddresses) {
    VQTempFolder folder;
    ASSERT_FALSE(folder.Path().empty());
    ASSERT_TRUE(folder.WriteFile(kServersIniName,
                                 "[Servers]\r\n"
                                 "UpdateServer=http://127.0.0.1:8080/vq\r\n"
                                 "StatisticsServer=ftp://stat.example.test\r\n"
                                 "DetailsServer=\r\n"
                                 "HomePage=  HTTPS://www.example.test/  \r\n"
                                 "HelpPage=help.example.test\r\n"
                                 "[Other]\r\n"
                                 "RuntimeHelpPage=http://elsewhere.example.test/\r\n"));
    EXPECT_EQ(2u, LoadServerAddresses(folder.PathOf(kServersIniName)));

    EXPECT_EQ(L"http://127.0.0.1:8080/vq", GetServerAddress(kUpdateServer));
    EXPECT_EQ(L"HTTPS://www.example.test/", GetServerAddress(kHomePage));
    for (VQServerAddress kept : {kStatisticsServer, kDetailsServer, kHelpPage, kRuntimeHelpPage})
        EXPECT_EQ(DefaultServerAddress(kept), GetServerAddress(kept)) << ServerAddressKey(kept);
}

TEST_F(ServerAddressesTest, LoadingAgainStartsFromTheBuiltInValues) {
    VQTempFolder folder;
    ASSERT_TRUE(folder.WriteFile(L"a.ini", "[Servers]\r\nStatisticsServer=http://127.0.0.1:9/\r\n"));
    ASSERT_TRUE(SetServerAddress(kUpdateServer, L"http://127.0.0.1:1/"));
    EXPECT_EQ(1u, LoadServerAddresses(folder.PathOf(L"a.ini")));
    EXPECT_EQ(DefaultServerAddress(kUpdateServer), GetServerAddress(kUpdateServer));
    EXPECT_EQ(L"http://127.0.0.1:9/", GetServerAddress(kStatisticsServer));
    EXPECT_EQ(0u, LoadServerAddresses(folder.PathOf(L"missing.ini")));
    EXPECT_EQ(DefaultServerAddress(kStatisticsServer), GetServerAddress(kStatisticsServer));
}

TEST_F(ServerAddressesTest, SetTakesOnlyWebAddresses) {
    EXPECT_TRUE(SetServerAddress(kHelpPage, L"https://help.example.test/faq"));
    EXPECT_EQ(L"https://help.example.test/faq", GetServerAddress(kHelpPage));
    for (const wchar_t* bad : {L"", L"http://", L"file:///C:/x", L"javascript:alert(1)", L"127.0.0.1"}) {
        EXPECT_FALSE(SetServerAddress(kHelpPage, bad)) << testing::PrintToString(bad);
        EXPECT_EQ(L"https://help.example.test/faq", GetServerAddress(kHelpPage));
    }
}

TEST_F(ServerAddressesTest, IniFileLivesBesideTheProgram) {
    std::wstring path = ServerAddressesIniPath();
    EXPECT_EQ(GetFullPathFolder(GetOwnModulePath()) + L"servers.ini", path);
}

TEST_F(ServerAddressesTest, EndpointsJoinTheirServerWithOneSlash) {
    ASSERT_TRUE(SetServerAddress(kUpdateServer, L"http://127.0.0.1:8080/vq/"));
    ASSERT_TRUE(SetServerAddress(kStatisticsServer, L"http://127.0.0.1:8081"));
    struct Case {
        VQEndpoint endpoint;
        const wchar_t* url;
    };
    const Case cases[] = {
        {kUpdateDatabaseEndpoint, L"http://127.0.0.1:8080/vq/update_database.php"},
        {kUpdateAdvertEndpoint, L"http://127.0.0.1:8080/vq/update_advert.php"},
        {kUpdateHotEndpoint, L"http://127.0.0.1:8080/vq/update_hot.php"},
        {kUpdateIconEndpoint, L"http://127.0.0.1:8080/vq/update_icon.php"},
        {kQueryUrlEndpoint, L"http://127.0.0.1:8080/vq/query_url.php"},
        {kDownloadCompleteEndpoint, L"http://127.0.0.1:8081/download_complete.php"},
        {kInstallCompleteEndpoint, L"http://127.0.0.1:8081/install_complete.php"},
        {kClickRegisterEndpoint, L"http://127.0.0.1:8081/click_register.php"},
        {kOnlineStatEndpoint, L"http://127.0.0.1:8081/online_stat.php"},
        {kUpdaterStatEndpoint, L"http://127.0.0.1:8081/stat.php"},
        {kUpdaterUpdateEndpoint, L"http://127.0.0.1:8080/vq/update"},
    };
    ASSERT_EQ(static_cast<size_t>(kEndpointCount), sizeof(cases) / sizeof(cases[0]));
    for (const Case& c : cases) {
        EXPECT_EQ(c.url, GetEndpointUrl(c.endpoint)) << EndpointPath(c.endpoint);
        EXPECT_EQ(std::wstring(c.url) + L"?soft=1.7", MakeSoftRequest(c.endpoint)) << EndpointPath(c.endpoint);
    }
    EXPECT_EQ(L"", GetEndpointUrl(kEndpointCount));
    EXPECT_EQ(L"", MakeSoftRequest(kEndpointCount));
    EXPECT_EQ(nullptr, EndpointPath(kEndpointCount));
}

}  // namespace
}  // namespace Tessar
