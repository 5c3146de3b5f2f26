// The WinINet getter and the download-information fetch against the local
// update server (tests/support/servers/update_server.py) on 127.0.0.1.
#include <winsock2.h>  // before windows.h, which the headers below include

#include "common/HttpGetter.h"

#include "common/CodePage.h"
#include "common/FormatText.h"
#include "common/KernelHandle.h"
#include "common/Md5.h"
#include "common/NumberText.h"
#include "common/PathText.h"
#include "common/RemoteFileInfo.h"
#include "common/ServerAddresses.h"
#include "tests/support/ReceiveTimeout.h"
#include "tests/support/TempFolder.h"
#include "tests/support/UpdateServer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace Tessar {
namespace {

const uint32_t kDataSize = 10000;  // more than two read blocks

std::string MakeData() {
    std::string data(kDataSize, '\0');
    uint32_t state = 12345;
    for (char& c : data) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>(state >> 24);
    }
    return data;
}

std::vector<std::string> OneRequest(const std::string& target) {
    return std::vector<std::string>{target};
}

// A port on 127.0.0.1 where nothing listens: bound, never listening.
class RefusedPort {
public:
    RefusedPort() {
        WSADATA wsa;
        WSAStartup(MAKEWORD(2, 2), &wsa);
        m_socket = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in addr = {};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int size = sizeof(addr);
        if (bind(m_socket, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0 &&
            getsockname(m_socket, reinterpret_cast<sockaddr*>(&addr), &size) == 0)
            m_port = ntohs(addr.sin_port);
    }
    ~RefusedPort() {
        closesocket(m_socket);
        WSACleanup();
    }
    std::wstring Url(const std::wstring& path) const {
        return L"http://127.0.0.1:" + UIntToString(m_port) + path;
    }
    uint16_t Port() const { return m_port; }

private:
    SOCKET m_socket = INVALID_SOCKET;
    uint16_t m_port = 0;
};

class HttpGetterTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_root = new VQTempFolder;
        s_server = new Tessar::Test::VQUpdateServer;
        const std::string data = MakeData();
        s_ready = !s_root->Path().empty() && s_root->WriteFile(L"data.bin", data) &&
                  s_root->WriteFile(L"small.txt", "hello") &&
                  s_root->WriteFile(L"query_url\\00042.xml",
                                    "<FILE><DownloadUrl>{base}/files/data.bin</DownloadUrl>"
                                    "<Md5>{md5:data.bin}</Md5><FileSize>{size:data.bin}</FileSize>"
                                    "<FileName>data.bin</FileName><DownloadType>1</DownloadType></FILE>") &&
                  s_root->WriteFile(L"query_url\\00043.xml",
                                    "<FILE><DownloadUrl>{base}/files/data.bin</DownloadUrl>"
                                    "<DownloadType>one</DownloadType></FILE>") &&
                  s_root->WriteFile(L"query_url\\default.xml", "<FILE><Md5>{md5:data.bin}</Md5></FILE>") &&
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
        s_server->ClearRequests();
    }
    void TearDown() override { LoadServerAddresses(ServerAddressesIniPath()); }

    static std::wstring Url(const std::wstring& path) { return s_server->Url(path); }
    static std::wstring Fault(const std::wstring& kind, const std::wstring& path) {
        return s_server->Fault(kind, path);
    }

    static VQTempFolder* s_root;
    static Tessar::Test::VQUpdateServer* s_server;
    static bool s_ready;
};

VQTempFolder* HttpGetterTest::s_root = nullptr;
Tessar::Test::VQUpdateServer* HttpGetterTest::s_server = nullptr;
bool HttpGetterTest::s_ready = false;

TEST(HttpReadStepTest, CounterStartsAtZeroAndAFailedReadAddsNothing) {
    DWORD before = GetTickCount();
    VQTransferCounter counter(1234);
    EXPECT_EQ(1234u, counter.expectedLength);
    EXPECT_EQ(0u, counter.bytesRead);
    EXPECT_EQ(counter.startTick, counter.lastTick);
    EXPECT_LE(counter.startTick - before, 1000u);
    unsigned char block[16];
    EXPECT_EQ(-1, ReadInternetFileTimed(nullptr, block, sizeof(block), counter));
    EXPECT_EQ(0u, counter.bytesRead);
    EXPECT_EQ(-1, ReadHttpChunk(nullptr, sizeof(block), counter, block)) << "the same read by its other name";
    EXPECT_EQ(0u, counter.bytesRead);

    HINTERNET none = nullptr;
    CloseInternetHandle(none);
    EXPECT_EQ(nullptr, none);
    HINTERNET session = InternetOpenW(nullptr, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    ASSERT_NE(nullptr, session);
    CloseInternetHandle(session);
    EXPECT_EQ(nullptr, session);
}

TEST_F(HttpGetterTest, MemoryGetGivesTheWholeBodyFollowedByAZero) {
    VQBuffer<unsigned char> buffer;
    uint32_t length = 0;
    ASSERT_TRUE(HttpGetToMemory(Url(L"/files/data.bin"), buffer, length));
    const std::string data = MakeData();
    ASSERT_EQ(kDataSize, length);
    ASSERT_EQ(kDataSize + 1, buffer.size);
    EXPECT_EQ(0, std::memcmp(data.data(), buffer.data, kDataSize));
    EXPECT_EQ(0, buffer.data[kDataSize]);
    EXPECT_EQ(OneRequest("/files/data.bin"), s_server->Requests());
}

TEST_F(HttpGetterTest, MemoryGetFailsOnEveryBrokenReplyAndFreesTheBuffer) {
    RefusedPort refused;
    ASSERT_NE(0, refused.Port());
    const std::wstring data = L"/files/data.bin";
    struct Case {
        const char* name;
        std::wstring url;
    };
    const Case cases[] = {
        {"404", Url(L"/files/missing.bin")},
        {"status 404", Fault(L"status-404", data)},
        {"status 500", Fault(L"status-500", data)},
        {"status 204", Fault(L"status-204", data)},
        {"no Content-Length", Fault(L"nolength", data)},
        {"Content-Length 0", Fault(L"zerolength", data)},
        {"Content-Length not a number", Fault(L"length-12abc", data)},
        {"Content-Length beyond 32 bits", Fault(L"length-4294967296", data)},
        {"Content-Length beyond the memory limit", Fault(L"length-" + UIntToString(kHttpMaxMemoryReply + 1), data)},
        {"body cut short", Fault(L"short", data)},
        {"connection closed", Fault(L"close", data)},
        {"connection refused", refused.Url(data)},
        {"empty URL", L""},
        {"not a URL", L"data.bin"},
    };
    for (const Case& c : cases) {
        VQBuffer<unsigned char> buffer(8);
        uint32_t length = 77;
        EXPECT_FALSE(HttpGetToMemory(c.url, buffer, length)) << c.name;
        EXPECT_EQ(0u, buffer.size) << c.name;
        EXPECT_EQ(nullptr, buffer.data) << c.name;
        EXPECT_EQ(77u, length) << c.name;
    }
}

TEST_F(HttpGetterTest, FileGetWritesTheBodyMakingMissingFoldersAndReplacing) {
    VQTempFolder folder;
    std::wstring target = folder.PathOf(L"a\\b\\c\\data.bin");
    ASSERT_TRUE(HttpGetToFile(Url(L"/files/data.bin"), target, nullptr, 0));
    EXPECT_EQ(MakeData(), folder.ReadFile(L"a\\b\\c\\data.bin"));
    // A longer file already there is replaced, not overwritten in part.
    ASSERT_TRUE(HttpGetToFile(Url(L"/files/small.txt"), target, nullptr, 5));
    EXPECT_EQ("hello", folder.ReadFile(L"a\\b\\c\\data.bin"));
}

TEST_F(HttpGetterTest, FileGetWithAnotherExpectedLengthFailsBeforeMakingTheFile) {
    VQTempFolder folder;
    EXPECT_FALSE(HttpGetToFile(Url(L"/files/data.bin"), folder.PathOf(L"sub\\x.bin"), nullptr, kDataSize - 1));
    EXPECT_FALSE(PathExists(folder.PathOf(L"sub")));
    EXPECT_TRUE(HttpGetToFile(Url(L"/files/data.bin"), folder.PathOf(L"sub\\x.bin"), nullptr, kDataSize));
    EXPECT_EQ(MakeData(), folder.ReadFile(L"sub\\x.bin"));
}

TEST_F(HttpGetterTest, FileGetFailuresAndWhatTheyLeaveOnDisk) {
    RefusedPort refused;
    const std::wstring data = L"/files/data.bin";
    struct Case {
        const char* name;
        std::wstring url;
        bool fileLeft;
        size_t leftSize;
    };
    const Case cases[] = {
        {"404", Url(L"/files/missing.bin"), false, 0},
        {"status 500", Fault(L"status-500", data), false, 0},
        {"no Content-Length", Fault(L"nolength", data), false, 0},
        {"Content-Length 0", Fault(L"zerolength", data), false, 0},
        {"Content-Length not a number", Fault(L"length-1e4", data), false, 0},
        {"connection closed", Fault(L"close", data), false, 0},
        {"connection refused", refused.Url(data), false, 0},
        // The part that came stays: the download code resumes or deletes it.
        {"body cut short", Fault(L"short", data), true, kDataSize / 2},
    };
    for (const Case& c : cases) {
        VQTempFolder folder;
        std::wstring target = folder.PathOf(L"x.bin");
        EXPECT_FALSE(HttpGetToFile(c.url, target, nullptr, 0)) << c.name;
        EXPECT_EQ(c.fileLeft, FileExists(target)) << c.name;
        if (c.fileLeft) {
            EXPECT_EQ(c.leftSize, folder.ReadFile(L"x.bin").size()) << c.name;
        }
    }
    VQTempFolder folder;
    EXPECT_FALSE(HttpGetToFile(Url(data), L"", nullptr, 0));
}

TEST_F(HttpGetterTest, SetStopEventEndsTheTransferWithFalse) {
    VQTempFolder folder;
    VQKernelHandle stop(CreateEventW(nullptr, TRUE, TRUE, nullptr));
    ASSERT_TRUE(stop.IsValid());
    EXPECT_FALSE(HttpGetToFile(Url(L"/files/data.bin"), folder.PathOf(L"x.bin"), stop.Get(), 0));
    EXPECT_EQ("", folder.ReadFile(L"x.bin"));
    ResetEvent(stop.Get());
    EXPECT_TRUE(HttpGetToFile(Url(L"/files/data.bin"), folder.PathOf(L"x.bin"), stop.Get(), 0));
    EXPECT_EQ(MakeData(), folder.ReadFile(L"x.bin"));
}

TEST_F(HttpGetterTest, StalledServerFailsAfterTheReceiveTimeout) {
    Tessar::Test::VQReceiveTimeout shortTimeout(1000);
    const std::wstring data = L"/files/data.bin";
    struct Case {
        const char* name;
        std::wstring url;
    };
    const Case cases[] = {
        {"stall in the body", Fault(L"stall-8000", data)},
        {"stall before the reply", Fault(L"stallhead-8000", data)},
    };
    for (const Case& c : cases) {
        VQBuffer<unsigned char> buffer;
        uint32_t length = 0;
        DWORD start = GetTickCount();
        EXPECT_FALSE(HttpGetToMemory(c.url, buffer, length)) << c.name;
        EXPECT_LT(GetTickCount() - start, 6000u) << c.name;

        VQTempFolder folder;
        start = GetTickCount();
        EXPECT_FALSE(HttpGetToFile(c.url, folder.PathOf(L"x.bin"), nullptr, 0)) << c.name;
        EXPECT_LT(GetTickCount() - start, 6000u) << c.name;
    }
}

TEST_F(HttpGetterTest, PauseShorterThanTheTimeoutIsWaitedOut) {
    Tessar::Test::VQReceiveTimeout timeout(4000);
    VQBuffer<unsigned char> buffer;
    uint32_t length = 0;
    ASSERT_TRUE(HttpGetToMemory(Fault(L"stall-500", L"/files/data.bin"), buffer, length));
    EXPECT_EQ(kDataSize, length);
    EXPECT_EQ(0, std::memcmp(MakeData().data(), buffer.data, kDataSize));
}

TEST_F(HttpGetterTest, RepeatedGetsAreNeverAnsweredFromACache) {
    ASSERT_TRUE(s_root->WriteFile(L"changing.txt", "first"));
    VQBuffer<unsigned char> buffer;
    uint32_t length = 0;
    ASSERT_TRUE(HttpGetToMemory(Url(L"/files/changing.txt"), buffer, length));
    EXPECT_EQ("first", std::string(reinterpret_cast<char*>(buffer.data), length));
    ASSERT_TRUE(s_root->WriteFile(L"changing.txt", "second!"));
    ASSERT_TRUE(HttpGetToMemory(Url(L"/files/changing.txt"), buffer, length));
    EXPECT_EQ("second!", std::string(reinterpret_cast<char*>(buffer.data), length));
    VQTempFolder folder;
    ASSERT_TRUE(s_root->WriteFile(L"changing.txt", "third"));
    ASSERT_TRUE(HttpGetToFile(Url(L"/files/changing.txt"), folder.PathOf(L"c.txt"), nullptr, 0));
    EXPECT_EQ("third", folder.ReadFile(L"c.txt"));
    EXPECT_EQ(3u, s_server->Requests().size());
}

TEST_F(HttpGetterTest, PingSendsTheRequestAndNeverWaitsForTheBody) {
    std::string url = WideToNarrow(Url(L"/online_stat.php?mac=00e04c680001&diskid=WD-123&ver=1.7"));
    EXPECT_TRUE(HttpPing(url));
    EXPECT_EQ(OneRequest("/online_stat.php?mac=00e04c680001&diskid=WD-123&ver=1.7"), s_server->Requests());

    // The reply's body would take 10 s; the ping is done once the headers came.
    DWORD start = GetTickCount();
    EXPECT_TRUE(HttpPing(WideToNarrow(Fault(L"stall-10000", L"/files/data.bin"))));
    EXPECT_LT(GetTickCount() - start, 5000u);

    RefusedPort refused;
    EXPECT_FALSE(HttpPing(WideToNarrow(refused.Url(L"/online_stat.php"))));
    EXPECT_FALSE(HttpPing(""));
}

TEST_F(HttpGetterTest, RedirectsAreFollowedAFewTimesButNeverWithoutEnd) {
    const std::wstring small = L"/files/small.txt";
    struct Case {
        const char* name;
        std::wstring url;
        bool got;
        size_t requests;
    };
    const Case cases[] = {
        {"none", Url(small), true, 1},
        {"two", Fault(L"redirect-2", small), true, 3},
        {"as many as are followed", Fault(L"redirect-" + UIntToString(kHttpMaxRedirects), small), true,
         kHttpMaxRedirects + 1},
        {"one too many", Fault(L"redirect-" + UIntToString(kHttpMaxRedirects + 1), small), false,
         kHttpMaxRedirects + 1},
        {"to itself", Fault(L"redirect-self", small), false, kHttpMaxRedirects + 1},
    };
    for (const Case& c : cases) {
        s_server->ClearRequests();
        VQBuffer<unsigned char> buffer;
        uint32_t length = 0;
        EXPECT_EQ(c.got, HttpGetToMemory(c.url, buffer, length)) << c.name;
        if (c.got) {
            EXPECT_EQ("hello", std::string(reinterpret_cast<char*>(buffer.data), length)) << c.name;
        }
        EXPECT_EQ(c.requests, s_server->Requests().size()) << c.name;

        s_server->ClearRequests();
        VQTempFolder folder;
        EXPECT_EQ(c.got, HttpGetToFile(c.url, folder.PathOf(L"got.txt"), nullptr, 0)) << c.name;
        EXPECT_EQ(c.requests, s_server->Requests().size()) << c.name;

        // A ping is answered by the first reply, whatever it says.
        s_server->ClearRequests();
        EXPECT_TRUE(HttpPing(WideToNarrow(c.url))) << c.name;
        EXPECT_EQ(1u, s_server->Requests().size()) << c.name;
    }
}

TEST_F(HttpGetterTest, UrlsWithControlCharactersOrBlanksAreNeverSent) {
    // A server's URL with a line break would otherwise add headers or a
    // second request of its own; WinINet writes the object as it stands.
    const std::wstring urls[] = {
        Url(L"/files/small.txt\r\nX-Injected: 1"),
        Url(L"/files/small.txt\nX-Injected: 1"),
        Url(L"/files/small.txt HTTP/1.0\r\n\r\nGET /files/data.bin"),
        Url(L"/files/small.txt\t"),
        Url(L"/files/small.txt\x7F"),
    };
    VQTempFolder folder;
    for (const std::wstring& url : urls) {
        VQBuffer<unsigned char> buffer;
        uint32_t length = 0;
        EXPECT_FALSE(HttpGetToMemory(url, buffer, length)) << WideToUtf8(url);
        EXPECT_FALSE(HttpGetToFile(url, folder.PathOf(L"got.txt"), nullptr, 0)) << WideToUtf8(url);
        EXPECT_FALSE(HttpPing(WideToNarrow(url))) << WideToUtf8(url);
        EXPECT_FALSE(FileExists(folder.PathOf(L"got.txt"))) << WideToUtf8(url);
    }
    EXPECT_TRUE(s_server->Requests().empty());
    // Percent-encoded, the same characters are plain text of the path.
    VQBuffer<unsigned char> buffer;
    uint32_t length = 0;
    EXPECT_FALSE(HttpGetToMemory(Url(L"/files/small.txt%0D%0AX"), buffer, length));
    EXPECT_EQ(1u, s_server->Requests().size());
}

TEST_F(HttpGetterTest, StatisticsRequestsReachTheirEndpoints) {
    ASSERT_TRUE(SetServerAddress(kStatisticsServer, Url(L"/stat")));
    struct Case {
        VQEndpoint endpoint;
        const char* target;
    };
    const Case cases[] = {
        {kDownloadCompleteEndpoint, "/stat/download_complete.php?soft=1.7&id=00042&bt=-1.00&speed=12&num=1&limit=-1"},
        {kInstallCompleteEndpoint, "/stat/install_complete.php?soft=1.7&id=00042"},
        {kClickRegisterEndpoint, "/stat/click_register.php?soft=1.7&id=00042"},
    };
    for (const Case& c : cases) {
        s_server->ClearRequests();
        std::wstring url = FormatString(L"%s%05d", (MakeSoftRequest(c.endpoint) + L"&id=").c_str(), 42);
        if (c.endpoint == kDownloadCompleteEndpoint)
            url += L"&bt=-1.00&speed=12&num=1&limit=-1";
        EXPECT_TRUE(HttpPing(WideToNarrow(url))) << c.target;
        EXPECT_EQ(OneRequest(c.target), s_server->Requests()) << c.target;
    }
}

TEST_F(HttpGetterTest, DownloadInformationFromTheQueryEndpoint) {
    ASSERT_TRUE(SetServerAddress(kUpdateServer, Url(L"/vq")));
    std::wstring query = FormatString(L"%s%05d", (MakeSoftRequest(kQueryUrlEndpoint) + L"&id=").c_str(), 42);
    VQRemoteFileInfo info;
    ASSERT_TRUE(FetchDownloadInfo(query, info));
    EXPECT_EQ(OneRequest("/vq/query_url.php?soft=1.7&id=00042"), s_server->Requests());
    const std::string data = MakeData();
    EXPECT_EQ(Url(L"/files/data.bin"), info.downloadUrl);
    EXPECT_EQ(Md5OfBuffer(data.data(), static_cast<int32_t>(data.size())), info.md5);
    EXPECT_EQ(UIntToString(kDataSize), info.fileSize);
    EXPECT_EQ(L"data.bin", info.fileName);
    EXPECT_EQ(1u, info.downloadType);

    // The file it names arrives whole and matches its MD5 ...
    VQTempFolder folder;
    std::wstring target = CombinePath(folder.Path(), info.fileName);
    ASSERT_TRUE(HttpGetToFile(info.downloadUrl, target, nullptr, static_cast<uint32_t>(StringToUInt64(info.fileSize))));
    EXPECT_EQ(info.md5, Md5OfFile(target));
    // ... and a damaged copy of the same length is caught only by that MD5.
    ASSERT_TRUE(HttpGetToFile(Fault(L"corrupt", L"/files/data.bin"), target, nullptr, kDataSize));
    EXPECT_NE(info.md5, Md5OfFile(target));
}

TEST_F(HttpGetterTest, DownloadInformationFailures) {
    ASSERT_TRUE(SetServerAddress(kUpdateServer, Url(L"")));
    struct Case {
        const char* name;
        std::wstring url;
    };
    const std::wstring endpoint = MakeSoftRequest(kQueryUrlEndpoint);
    const Case cases[] = {
        {"reply without DownloadUrl", endpoint + L"&id=00007"},
        {"status 404", Fault(L"status-404", L"/query_url.php?soft=1.7&id=00042")},
        {"body cut short", Fault(L"short", L"/query_url.php?soft=1.7&id=00042")},
        {"request without soft", Url(L"/query_url.php?id=00042")},
    };
    for (const Case& c : cases) {
        VQRemoteFileInfo info;
        info.downloadUrl = L"stale";
        EXPECT_FALSE(FetchDownloadInfo(c.url, info)) << c.name;
        EXPECT_EQ(L"", info.downloadUrl) << c.name;
    }
    // A DownloadType that is a word reads as 0 (HTTP); the reply stands.
    VQRemoteFileInfo info;
    ASSERT_TRUE(FetchDownloadInfo(endpoint + L"&id=00043", info));
    EXPECT_EQ(0u, info.downloadType);
    EXPECT_FALSE(info.downloadUrl.empty());
}

}  // namespace
}  // namespace Tessar
