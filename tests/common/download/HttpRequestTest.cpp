// URLs and GET requests of the raw HTTP range downloader.
#include "common/HttpRequest.h"

#include <gtest/gtest.h>

namespace Tessar {
namespace {

TEST(HttpRequest, SplitHttpUrl) {
    struct Case {
        const char* name;
        const wchar_t* url;
        bool ok;
        const wchar_t* host;
        uint16_t port;  // 80 comes from the caller when the URL names none
        const wchar_t* path;
    } cases[] = {
        {"plain", L"http://dl.example.com/games/a.zip", true, L"dl.example.com", 80, L"/games/a.zip"},
        {"port", L"http://127.0.0.1:8080/a/b.bin", true, L"127.0.0.1", 8080, L"/a/b.bin"},
        {"no scheme", L"host/x", true, L"host", 80, L"/x"},
        {"query kept", L"https://h/x?q=1&r=:2", true, L"h", 80, L"/x?q=1&r=:2"},
        {"colon after the slash", L"http://h/a:b", true, L"h", 80, L"/a:b"},
        {"root", L"http://h/", true, L"h", 80, L"/"},
        {"no path", L"http://host", false, L"", 0, L""},
        {"empty host", L"http:///x", false, L"", 0, L""},
        {"empty host with port", L"http://:81/x", false, L"", 0, L""},
        {"port 0", L"http://h:0/x", false, L"", 0, L""},
        {"port not a number", L"http://h:ab/x", false, L"", 0, L""},
        {"port too large", L"http://h:70000/x", false, L"", 0, L""},
        // A URL is written into the request line and the Host header as it
        // stands: nothing that could end either.
        {"CR LF in the path", L"http://h/a.zip\r\nX-Injected: 1", false, L"", 0, L""},
        {"LF alone", L"http://h/a\nb", false, L"", 0, L""},
        {"CR alone", L"http://h/a\rb", false, L"", 0, L""},
        {"CR LF in the host", L"http://h\r\nX: 1/a", false, L"", 0, L""},
        {"blank in the path", L"http://h/a b.zip", false, L"", 0, L""},
        {"blank before the host", L" http://h/a", false, L"", 0, L""},
        {"tab", L"http://h/a\tb", false, L"", 0, L""},
        {"DEL", L"http://h/a\x7F", false, L"", 0, L""},
        {"C1 control", L"http://h/a\x85", false, L"", 0, L""},
        {"escape", L"http://h/\x1B[0m", false, L"", 0, L""},
        {"percent-encoded CR LF is text", L"http://h/a%0D%0A", true, L"h", 80, L"/a%0D%0A"},
        {"Chinese path", L"http://h/\x6E38\x620F.zip", true, L"h", 80, L"/\x6E38\x620F.zip"},
    };
    for (const Case& c : cases) {
        std::wstring host = L"unchanged", path = L"unchanged";
        uint16_t port = 80;
        ASSERT_EQ(c.ok, SplitHttpUrl(c.url, host, port, path)) << c.name;
        if (c.ok) {
            EXPECT_EQ(c.host, host) << c.name;
            EXPECT_EQ(c.port, port) << c.name;
            EXPECT_EQ(c.path, path) << c.name;
        } else {
            EXPECT_EQ(L"unchanged", host) << c.name;
            EXPECT_EQ(80, port) << c.name;
        }
    }
    std::wstring host, path;
    uint16_t port = 80;
    EXPECT_FALSE(SplitHttpUrl(nullptr, host, port, path));
}

TEST(HttpRequest, BuildsTheRequestByteForByte) {
    const std::string common =
        "Accept: */*\r\n"
        "Pragma: no-cache\r\n"
        "Cache-Control: no-cache\r\n"
        "User-Agent:  Mozilla/4.0 (compatible; MSIE 8.0; Windows NT 5.1; march1.0)\r\n";
    std::string request;
    ASSERT_TRUE(BuildHttpGetRequest(L"/a/b.zip", nullptr, request, L"dl.example.com", 80));
    EXPECT_EQ("GET /a/b.zip HTTP/1.1\r\nHost: dl.example.com\r\n" + common +
                  "Referer: http://dl.example.com\r\nConnection: Keep-Alive\r\n\r\n",
              request);

    ASSERT_TRUE(BuildHttpGetRequest(L"/x", L"100-199", request, L"127.0.0.1", 8080));
    EXPECT_EQ("GET /x HTTP/1.1\r\nHost: 127.0.0.1:8080\r\n" + common +
                  "Referer: http://127.0.0.1\r\nConnection: Keep-Alive\r\nRange: bytes=100-199\r\n\r\n",
              request);
}

TEST(HttpRequest, PathGoesOutInTheAnsiCodePage) {
    // The tests run with code page 936.
    std::string request;
    ASSERT_TRUE(BuildHttpGetRequest(L"/\x6E38\x620F.zip", nullptr, request, L"h", 80));
    EXPECT_EQ(0u, request.find("GET /\xD3\xCE\xCF\xB7.zip HTTP/1.1\r\n"));
}

TEST(HttpRequest, RefusesARequestOverTheBlock) {
    std::string request = "kept";
    EXPECT_FALSE(BuildHttpGetRequest(L"/" + std::wstring(4000, L'a'), L"0-1", request, L"h", 80));
    EXPECT_EQ("kept", request);
}

TEST(HttpRequest, RefusesHostPathOrRangeThatCouldEndALine) {
    // Host and path may also come from a resume record on disk.
    struct Case {
        const char* name;
        std::wstring path;
        const wchar_t* range;
        std::wstring host;
    } cases[] = {
        {"CR LF in the path", L"/a\r\nX-Injected: 1", nullptr, L"h"},
        {"blank in the path", L"/a b", nullptr, L"h"},
        {"LF in the host", L"/a", nullptr, L"h\nX: 1"},
        {"blank in the host", L"/a", nullptr, L"h x"},
        {"CR LF in the range", L"/a", L"0-1\r\nX: 1", L"h"},
        {"NUL in the path", std::wstring(L"/a\0b", 4), nullptr, L"h"},
        {"empty host", L"/a", nullptr, L""},
        {"empty path", L"", nullptr, L"h"},
    };
    for (const Case& c : cases) {
        std::string request = "kept";
        EXPECT_FALSE(BuildHttpGetRequest(c.path, c.range, request, c.host, 80)) << c.name;
        EXPECT_EQ("kept", request) << c.name;
    }
}

TEST(HttpRequest, SafeTextIsPrintableWithoutBlanks) {
    EXPECT_TRUE(IsSafeHttpText(L"/x?q=1&r=%20"));
    EXPECT_TRUE(IsSafeHttpText(L""));
    EXPECT_TRUE(IsSafeHttpText(L"/\x6E38\x620F"));
    for (wchar_t c = 0; c <= 0x20; ++c)
        EXPECT_FALSE(IsSafeHttpText(std::wstring(L"/a") + c)) << static_cast<int>(c);
    for (wchar_t c = 0x7F; c <= 0x9F; ++c)
        EXPECT_FALSE(IsSafeHttpText(std::wstring(L"/a") + c)) << static_cast<int>(c);
}

TEST(HttpRequest, RangeTextTakes64BitOffsets) {
    EXPECT_EQ(L"0-9", FormatRangeText(0, 9));
    EXPECT_EQ(L"4294967296-6442450943", FormatRangeText(4294967296ull, 6442450943ull));
}

}  // namespace
}  // namespace Tessar
