// The reply head checks of the range downloader.
#include "common/HttpReply.h"

#include <gtest/gtest.h>

#include <cstring>

namespace Tessar {
namespace {

VQHttpReplyHead Parse(const std::string& text) {
    VQHttpReplyHead head;
    EXPECT_TRUE(ParseHttpReplyHead(text.data(), text.size(), head)) << text;
    return head;
}

TEST(HttpReply, StatusLine) {
    struct Case {
        const char* text;
        bool ok;
        uint32_t status;
    } cases[] = {
        {"HTTP/1.1 206 Partial Content\r\n\r\n", true, 206},
        {"HTTP/1.0 404 Not Found\r\n\r\n", true, 404},
        {"HTTP/1.1 200\r\n\r\n", true, 200},
        {"HTTP/1.1 2000 OK\r\n\r\n", false, 0},
        {"HTTP/1.1 20 OK\r\n\r\n", false, 0},
        {"ICY 200 OK\r\n\r\n", false, 0},
        {"", false, 0},
    };
    for (const Case& c : cases) {
        VQHttpReplyHead head;
        EXPECT_EQ(c.ok, ParseHttpReplyHead(c.text, strlen(c.text), head)) << c.text;
        if (c.ok) {
            EXPECT_EQ(c.status, head.status) << c.text;
        }
    }
}

TEST(HttpReply, FieldNamesMatchWithoutRegardToCase) {
    VQHttpReplyHead head = Parse(
        "HTTP/1.1 200 OK\r\ncontent-length:  42 \r\nCONTENT-RANGE: bytes 0-1/2\r\nX-Empty:\r\nno colon\r\n\r\n");
    ASSERT_NE(nullptr, head.Find("Content-Length"));
    EXPECT_EQ("42", *head.Find("Content-Length"));
    ASSERT_NE(nullptr, head.Find("content-range"));
    EXPECT_EQ("bytes 0-1/2", *head.Find("content-range"));
    ASSERT_NE(nullptr, head.Find("x-empty"));
    EXPECT_EQ("", *head.Find("x-empty"));
    EXPECT_EQ(nullptr, head.Find("Content-Type"));
    EXPECT_EQ(nullptr, head.Find("Content-Lengt"));
}

TEST(HttpReply, HeadEnd) {
    const char text[] = "HTTP/1.1 200 OK\r\nA: b\r\n\r\nbody";
    EXPECT_EQ(strlen(text) - 4, FindReplyHeadEnd(text, strlen(text)));
    EXPECT_EQ(std::string::npos, FindReplyHeadEnd(text, strlen(text) - 6));
}

TEST(HttpReply, DecimalNumbers) {
    struct Case {
        const char* text;
        bool ok;
        uint64_t value;
    } cases[] = {
        {"0", true, 0},
        {"6442450944", true, 6442450944ull},
        {"18446744073709551615", true, UINT64_MAX},
        {"18446744073709551616", false, 0},
        {"", false, 0},
        {"-1", false, 0},
        {"12a", false, 0},
        {" 12", false, 0},
    };
    for (const Case& c : cases) {
        uint64_t value = 7;
        EXPECT_EQ(c.ok, ParseDecimalUInt64(c.text, value)) << c.text;
        EXPECT_EQ(c.ok ? c.value : 7, value) << c.text;
    }
}

TEST(HttpReply, ContentRange) {
    struct Case {
        const char* text;
        bool ok;
        uint64_t first, last;
        bool totalKnown;
        uint64_t total;
    } cases[] = {
        {"bytes 0-9/10", true, 0, 9, true, 10},
        {"Bytes 4294967296-6442450943/6442450944", true, 4294967296ull, 6442450943ull, true, 6442450944ull},
        {"bytes 5-5/*", true, 5, 5, false, 0},
        {"bytes 9-0/10", false, 0, 0, false, 0},
        {"bytes 0-10/10", false, 0, 0, false, 0},
        {"bytes */10", false, 0, 0, false, 0},
        {"items 0-9/10", false, 0, 0, false, 0},
        {"bytes 0-9", false, 0, 0, false, 0},
    };
    for (const Case& c : cases) {
        VQContentRange range;
        ASSERT_EQ(c.ok, ParseContentRange(c.text, range)) << c.text;
        if (!c.ok)
            continue;
        EXPECT_EQ(c.first, range.first) << c.text;
        EXPECT_EQ(c.last, range.last) << c.text;
        EXPECT_EQ(c.totalKnown, range.totalKnown) << c.text;
        EXPECT_EQ(c.total, range.total) << c.text;
    }
}

TEST(HttpReply, ARangeReplyMustCarryExactlyTheAskedBytes) {
    // Asked: bytes 100-199 of a 1,000-byte file.
    struct Case {
        const char* name;
        const char* head;
        bool matches;
    } cases[] = {
        {"exact", "HTTP/1.1 206 Partial Content\r\nContent-Range: bytes 100-199/1000\r\nContent-Length: 100\r\n\r\n",
         true},
        {"no length", "HTTP/1.1 206 Partial Content\r\ncontent-range: bytes 100-199/1000\r\n\r\n", true},
        {"unknown total", "HTTP/1.1 206 Partial Content\r\nContent-Range: bytes 100-199/*\r\n\r\n", true},
        {"whole file", "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n", false},
        {"error page", "HTTP/1.1 500 Internal Server Error\r\nContent-Length: 20\r\n\r\n", false},
        {"206 without range", "HTTP/1.1 206 Partial Content\r\nContent-Length: 100\r\n\r\n", false},
        {"other start", "HTTP/1.1 206 Partial Content\r\nContent-Range: bytes 0-99/1000\r\n\r\n", false},
        {"shorter", "HTTP/1.1 206 Partial Content\r\nContent-Range: bytes 100-149/1000\r\n\r\n", false},
        {"other total", "HTTP/1.1 206 Partial Content\r\nContent-Range: bytes 100-199/2000\r\n\r\n", false},
        {"other length",
         "HTTP/1.1 206 Partial Content\r\nContent-Range: bytes 100-199/1000\r\nContent-Length: 1000\r\n\r\n", false},
        {"chunked",
         "HTTP/1.1 206 Partial Content\r\nContent-Range: bytes 100-199/1000\r\nTransfer-Encoding: chunked\r\n\r\n",
         false},
    };
    for (const Case& c : cases) {
        VQHttpReplyHead head = Parse(c.head);
        EXPECT_EQ(c.matches, IsMatchingRangeReply(head, 100, 100, 1000)) << c.name;
    }
}

TEST(HttpReply, ARangeReplyMustBeTheBytesAsTheyStandInEveryField) {
    // Asked: bytes 100-199 of a 1,000-byte file. Fields repeated further
    // down count as much as the first; chunk framing and compressed bodies
    // are not the file's bytes.
    const char* const kRange = "HTTP/1.1 206 Partial Content\r\nContent-Range: bytes 100-199/1000\r\n";
    struct Case {
        const char* name;
        const char* fields;
        bool matches;
    } cases[] = {
        {"identity", "Transfer-Encoding: identity\r\n", true},
        {"identity in capitals, both fields", "TRANSFER-ENCODING: IDENTITY\r\ncontent-encoding: Identity\r\n", true},
        {"identity listed twice", "Transfer-Encoding: identity , identity\r\n", true},
        {"identity then chunked", "Transfer-Encoding: identity\r\nTransfer-Encoding: chunked\r\n", false},
        {"chunked in a list", "Transfer-Encoding: identity, chunked\r\n", false},
        {"empty transfer coding", "Transfer-Encoding:\r\n", false},
        {"gzip", "Content-Encoding: gzip\r\n", false},
        {"gzip in capitals", "CONTENT-ENCODING: GZIP\r\nContent-Length: 100\r\n", false},
        {"deflate", "Content-Encoding: deflate\r\n", false},
        {"br after identity", "Content-Encoding: identity\r\nContent-Encoding: br\r\n", false},
        {"gzip in a list", "Content-Encoding: identity,gzip\r\n", false},
        {"empty content coding", "Content-Encoding: \r\n", false},
        {"second length differs", "Content-Length: 100\r\nContent-Length: 120\r\n", false},
        {"second length the same", "Content-Length: 100\r\nContent-Length: 100\r\n", true},
        {"second range differs", "Content-Range: bytes 0-99/1000\r\n", false},
        {"second range the same", "Content-Range: bytes 100-199/1000\r\n", true},
    };
    for (const Case& c : cases) {
        VQHttpReplyHead head = Parse(std::string(kRange) + c.fields + "\r\n");
        EXPECT_EQ(c.matches, IsMatchingRangeReply(head, 100, 100, 1000)) << c.name;
    }
}

}  // namespace
}  // namespace Tessar
