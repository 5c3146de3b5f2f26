// The update check and the release download against the local update
// server (tests/support/servers/update_server.py): its "update" endpoint
// serves update.xml of the server's folder. Every fault the server can
// inject must end the download with false, and a release whose MD5 does not
// match is never reported as downloaded.
#include "VQUpdate/UpdateDownload.h"
#include "VQUpdate/UpdateInfo.h"

#include "common/CodePage.h"
#include "common/FileUtil.h"
#include "common/PathText.h"
#include "common/Md5.h"
#include "common/ServerAddresses.h"
#include "tests/VQUpdate/UpdateTestUtil.h"
#include "tests/support/ReceiveTimeout.h"
#include "tests/support/TempFolder.h"
#include "tests/support/UpdateServer.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace Tessar {
namespace {

const char kReleaseName[] = "release.exe";
const DWORD kTestReceiveTimeoutMs = 1000;

std::string ReleaseBytes() {
    std::string bytes;
    for (int i = 0; i < 20000; ++i)
        bytes += static_cast<char>((i * 7 + i / 251) & 0xFF);
    return bytes;
}

std::string FileElement(const std::string& url, const std::string& md5, const std::string& size,
                        const std::string& name) {
    return "<FILE><DownloadUrl>" + url + "</DownloadUrl><Md5>" + md5 + "</Md5><FileSize>" + size +
           "</FileSize><FileName>" + name + "</FileName></FILE>";
}

class UpdateCheckTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_root = new VQTempFolder;
        s_server = new ::Tessar::Test::VQUpdateServer;
        s_ready = !s_root->Path().empty() && s_root->WriteFile(L"release.exe", ReleaseBytes()) &&
                  s_server->Start(s_root->Path());
    }
    static void TearDownTestSuite() {
        delete s_server;
        s_server = nullptr;
        delete s_root;
        s_root = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(s_ready) << "update server did not start";
        ASSERT_TRUE(m_world.Ready());
        ASSERT_TRUE(SetServerAddress(kUpdateServer, s_server->Url(L"")));
        m_download = m_folder.Path() + L"\\";
    }
    void TearDown() override { LoadServerAddresses(ServerAddressesIniPath()); }

    static bool Serve(const std::string& reply) { return s_root->WriteFile(L"update.xml", reply); }
    static std::string ReleaseUrl(const std::string& fault = std::string()) {
        return "{base}" + (fault.empty() ? std::string() : "/__fault/" + fault) + "/files/release.exe";
    }
    static std::string GoodFile(const std::string& fault = std::string()) {
        return FileElement(ReleaseUrl(fault), "{md5:release.exe}", "{size:release.exe}", kReleaseName);
    }

    static VQTempFolder* s_root;
    static ::Tessar::Test::VQUpdateServer* s_server;
    static bool s_ready;
    ::Tessar::Test::VQUpgradeWorld m_world;  // no version component: 1.7.1.1752
    VQTempFolder m_folder;
    std::wstring m_download;
};

VQTempFolder* UpdateCheckTest::s_root = nullptr;
::Tessar::Test::VQUpdateServer* UpdateCheckTest::s_server = nullptr;
bool UpdateCheckTest::s_ready = false;

TEST_F(UpdateCheckTest, ComparesTheServersVersionWithTheInstalledOne) {
    struct Case {
        const char* version;
        uint8_t upToDate;
        const wchar_t* remoteText;
    };
    const Case cases[] = {
        {"1.7.2.0", 0, L"1.7.2.0"},
        {"1.6.9.9999", 1, L"1.6.9.9999"},
        {"1.7.1.1752", 1, L"1.7.1.1752"},
        {"2.0", 0, L"2.0.0.0"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(Serve(std::string("<VERSION>") + c.version + "</VERSION>" + GoodFile()));
        VQUpdateInfo info(m_download);
        info.upToDate = 7;
        std::wstring local;
        std::wstring remote;
        ASSERT_TRUE(CheckForUpdate(info, local, remote)) << c.version;
        EXPECT_EQ(c.upToDate, info.upToDate) << c.version;
        EXPECT_EQ(L"1.7.1.1752", local) << c.version;
        EXPECT_EQ(c.remoteText, remote) << c.version;
        EXPECT_EQ(Md5OfBuffer(ReleaseBytes().data(), static_cast<int32_t>(ReleaseBytes().size())), info.md5);
        EXPECT_EQ(static_cast<int32_t>(ReleaseBytes().size()), info.fileSize);
        EXPECT_EQ(L"release.exe", info.fileName);
    }
    std::vector<std::string> requests = s_server->Requests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ("/update", requests.back());  // no query
}

TEST_F(UpdateCheckTest, AReplyWithoutVersionOrServerFailsTheCheck) {
    const char* replies[] = {"<FILE/>", "<VERSION></VERSION>", "<VERSION>1.7.2.0", "not xml <<"};
    for (const char* reply : replies) {
        ASSERT_TRUE(Serve(reply));
        VQUpdateInfo info(m_download);
        std::wstring local;
        std::wstring remote;
        EXPECT_FALSE(CheckForUpdate(info, local, remote)) << reply;
        EXPECT_EQ(1, info.upToDate) << reply;
    }
    ASSERT_TRUE(DeleteFileW(s_root->PathOf(L"update.xml").c_str()));  // 404
    VQUpdateInfo info(m_download);
    std::wstring local;
    std::wstring remote;
    EXPECT_FALSE(CheckForUpdate(info, local, remote));
    std::string reply;
    EXPECT_FALSE(FetchUpdateInfo(reply));
}

TEST(UpdateInfoParseTest, FileChildrenFillTheRecordInAnyOrder) {
    VQUpdateInfo info(L"C:\\t\\");
    VQVersion remote;
    ASSERT_TRUE(ParseUpdateInfo("<VERSION>3.1.4.1</VERSION><FILE><FileName>a.exe</FileName><Other>x</Other>"
                                "<Md5>abc</Md5><FileSize></FileSize><DownloadUrl>http://h/a</DownloadUrl>"
                                "<FileSize>12abc</FileSize><Md5>def</Md5></FILE>",
                                remote, info));
    EXPECT_EQ(L"3.1.4.1", FormatVersion(remote));
    EXPECT_EQ(L"a.exe", info.fileName);
    EXPECT_EQ(L"def", info.md5);  // the last one wins
    EXPECT_EQ(12, info.fileSize);
    EXPECT_EQ(L"http://h/a", info.downloadUrl);

    VQUpdateInfo bare(L"C:\\t\\");
    EXPECT_TRUE(ParseUpdateInfo("<VERSION>3.1.4.1</VERSION>", remote, bare));
    EXPECT_TRUE(bare.downloadUrl.empty());
}

TEST_F(UpdateCheckTest, DownloadsTheReleaseAndChecksItsMd5) {
    ASSERT_TRUE(Serve("<VERSION>1.8.0.0</VERSION>" + GoodFile()));
    VQUpdateInfo info(m_download);
    std::wstring local;
    std::wstring remote;
    ASSERT_TRUE(CheckForUpdate(info, local, remote));
    ASSERT_TRUE(DownloadUpdateFile(nullptr, info));
    EXPECT_EQ(m_download + L"release.exe", info.fileName);
    EXPECT_EQ(ReleaseBytes(), ::Tessar::Test::ReadBytes(info.fileName));
    ASSERT_EQ(1u, info.downloadedFiles.size());
    EXPECT_EQ(info.fileName, info.downloadedFiles[0]);
    ASSERT_TRUE(info.progress);
    EXPECT_EQ(ReleaseBytes().size(), info.progress->bytesRead);
    EXPECT_EQ(ReleaseBytes().size(), info.progress->expectedLength);

    // A second download with the same progress record counts again from 0.
    info.fileName = L"release.exe";
    info.downloadedFiles.clear();
    ASSERT_TRUE(DownloadUpdateFile(nullptr, info));
    EXPECT_EQ(ReleaseBytes(), ::Tessar::Test::ReadBytes(info.fileName));
}

TEST_F(UpdateCheckTest, EveryServerFaultFailsTheDownload) {
    ::Tessar::Test::VQReceiveTimeout timeout(kTestReceiveTimeoutMs);
    const char* faults[] = {"status-404", "status-500", "nolength", "zerolength", "length-12abc", "length-5",
                            "short", "close", "corrupt", "stall-4000", "stallhead-4000"};
    for (const char* fault : faults) {
        ASSERT_TRUE(Serve("<VERSION>1.8.0.0</VERSION>" + GoodFile(fault)));
        VQUpdateInfo info(m_download);
        std::wstring local;
        std::wstring remote;
        ASSERT_TRUE(CheckForUpdate(info, local, remote)) << fault;
        EXPECT_FALSE(DownloadUpdateFile(nullptr, info)) << fault;
        EXPECT_TRUE(info.downloadedFiles.empty()) << fault;
    }
}

TEST_F(UpdateCheckTest, AWrongMissingOrCutMd5FailsTheDownload) {
    const char* md5s[] = {"0123456789ABCDEF0123456789ABCDEF", "", "{md5:release.exe}X"};
    for (const char* md5 : md5s) {
        ASSERT_TRUE(Serve("<VERSION>1.8.0.0</VERSION>" +
                          FileElement(ReleaseUrl(), md5, "{size:release.exe}", kReleaseName)));
        VQUpdateInfo info(m_download);
        std::wstring local;
        std::wstring remote;
        ASSERT_TRUE(CheckForUpdate(info, local, remote)) << md5;
        EXPECT_FALSE(DownloadUpdateFile(nullptr, info)) << md5;
        EXPECT_TRUE(info.downloadedFiles.empty()) << md5;
    }
    // The comparison ignores case.
    std::string lower = WideToNarrow(Md5OfBuffer(ReleaseBytes().data(), static_cast<int32_t>(ReleaseBytes().size())));
    for (char& c : lower)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    ASSERT_TRUE(Serve("<VERSION>1.8.0.0</VERSION>" + FileElement(ReleaseUrl(), lower, "0", kReleaseName)));
    VQUpdateInfo info(m_download);
    std::wstring local;
    std::wstring remote;
    ASSERT_TRUE(CheckForUpdate(info, local, remote));
    EXPECT_TRUE(DownloadUpdateFile(nullptr, info));  // FileSize 0 takes any length
}

TEST_F(UpdateCheckTest, ASizeOtherThanTheServersFailsBeforeAnyFileIsMade) {
    ASSERT_TRUE(Serve("<VERSION>1.8.0.0</VERSION>" +
                      FileElement(ReleaseUrl(), "{md5:release.exe}", "12345", kReleaseName)));
    VQUpdateInfo info(m_download);
    std::wstring local;
    std::wstring remote;
    ASSERT_TRUE(CheckForUpdate(info, local, remote));
    EXPECT_FALSE(DownloadUpdateFile(nullptr, info));
    EXPECT_FALSE(FileExists(m_download + L"release.exe"));
}

TEST_F(UpdateCheckTest, AFileNameThatLeavesTheTemporaryFolderIsRefused) {
    const char* names[] = {"..\\escape.exe", "sub\\release.exe", "../escape.exe", "C:escape.exe", "", ".."};
    for (const char* name : names) {
        ASSERT_TRUE(Serve("<VERSION>1.8.0.0</VERSION>" +
                          FileElement(ReleaseUrl(), "{md5:release.exe}", "0", name)));
        VQUpdateInfo info(m_download);
        std::wstring local;
        std::wstring remote;
        ASSERT_TRUE(CheckForUpdate(info, local, remote)) << name;
        EXPECT_FALSE(DownloadUpdateFile(nullptr, info)) << name;
    }
    EXPECT_FALSE(FileExists(m_folder.Path() + L"\\..\\escape.exe"));
}

TEST_F(UpdateCheckTest, ASetCancelEventStopsTheDownload) {
    ASSERT_TRUE(Serve("<VERSION>1.8.0.0</VERSION>" + GoodFile()));
    VQUpdateInfo info(m_download);
    std::wstring local;
    std::wstring remote;
    ASSERT_TRUE(CheckForUpdate(info, local, remote));
    HANDLE cancel = CreateEventW(nullptr, TRUE, TRUE, nullptr);
    ASSERT_NE(nullptr, cancel);
    EXPECT_FALSE(DownloadUpdateFile(cancel, info));
    CloseHandle(cancel);
    EXPECT_TRUE(info.downloadedFiles.empty());
}

}  // namespace
}  // namespace Tessar
