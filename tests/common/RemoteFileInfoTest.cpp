#include "common/RemoteFileInfo.h"

#include <gtest/gtest.h>

#include <string>

namespace Tessar {
namespace {

bool Parse(const std::string& text, VQRemoteFileInfo& info) {
    return ParseDownloadInfo(reinterpret_cast<const unsigned char*>(text.data()), static_cast<uint32_t>(text.size()),
                             info);
}

void ExpectDefaults(const VQRemoteFileInfo& info, const std::string& name) {
    EXPECT_EQ(1u, info.downloadType) << name;
    EXPECT_EQ(1u, info.increment) << name;
    EXPECT_EQ(L"", info.downloadUrl) << name;
    EXPECT_EQ(L"", info.spareUrl) << name;
    EXPECT_EQ(L"", info.md5) << name;
    EXPECT_EQ(L"", info.fileSize) << name;
    EXPECT_EQ(L"", info.fileName) << name;
    EXPECT_EQ(L"", info.torrentUrl) << name;
}

TEST(RemoteFileInfoTest, DefaultsAreHttpAndIncrement) {
    VQRemoteFileInfo info;
    ExpectDefaults(info, "constructed");
}

TEST(RemoteFileInfoTest, ReadsEveryFieldInAnyOrder) {
    VQRemoteFileInfo info;
    ASSERT_TRUE(Parse("<FILE>"
                      "<TorrentUrl>http://t.example.test/g.torrent</TorrentUrl>"
                      "<FileName>game.vqz</FileName>"
                      "<Increment>0</Increment>"
                      "<Md5>0123456789abcdef0123456789ABCDEF</Md5>"
                      "<SpareUrl>http://spare.example.test/g.vqz</SpareUrl>"
                      "<FileSize>123456789012</FileSize>"
                      "<DownloadType>2</DownloadType>"
                      "<DownloadUrl>http://dl.example.test/g.vqz?a=1&amp;b=2</DownloadUrl>"
                      "</FILE>",
                      info));
    EXPECT_EQ(2u, info.downloadType);
    EXPECT_EQ(L"http://dl.example.test/g.vqz?a=1&b=2", info.downloadUrl);
    EXPECT_EQ(L"http://spare.example.test/g.vqz", info.spareUrl);
    EXPECT_EQ(L"0123456789abcdef0123456789ABCDEF", info.md5);
    EXPECT_EQ(L"123456789012", info.fileSize);
    EXPECT_EQ(L"game.vqz", info.fileName);
    EXPECT_EQ(0u, info.increment);
    EXPECT_EQ(L"http://t.example.test/g.torrent", info.torrentUrl);
}

TEST(RemoteFileInfoTest, DownloadUrlAloneKeepsTheDefaults) {
    VQRemoteFileInfo info;
    ASSERT_TRUE(Parse("<?xml version=\"1.0\"?>\n<FILE>\n  <DownloadUrl>None</DownloadUrl>\n</FILE>\n", info));
    EXPECT_EQ(L"None", info.downloadUrl);
    info.downloadUrl.clear();
    ExpectDefaults(info, "DownloadUrl alone");
}

// DownloadType and Increment are read from their leading digits; no odd
// number fails a reply that has its DownloadUrl. FileSize stays text.
TEST(RemoteFileInfoTest, NumbersAreReadFromTheirLeadingDigits) {
    struct Case {
        const char* name;
        const char* child;  // added after a DownloadUrl
        uint32_t downloadType;
        uint8_t increment;
        const wchar_t* fileSize;
    };
    const Case cases[] = {
        {"increment 1", "<Increment>1</Increment>", 1, 1, L""},
        {"increment 0", "<Increment>0</Increment>", 1, 0, L""},
        {"increment 2", "<Increment>2</Increment>", 1, 0, L""},
        {"increment 01", "<Increment>01</Increment>", 1, 1, L""},
        {"increment 1 and text", "<Increment>1;</Increment>", 1, 1, L""},
        {"increment word", "<Increment>yes</Increment>", 1, 0, L""},
        {"increment negative", "<Increment>-1</Increment>", 1, 0, L""},
        {"increment 2^32+1", "<Increment>4294967297</Increment>", 1, 0, L""},
        {"type 2", "<DownloadType>2</DownloadType>", 2, 1, L""},
        {"type largest", "<DownloadType>4294967295</DownloadType>", 4294967295u, 1, L""},
        {"type 2^32+2 stops at the largest", "<DownloadType>4294967298</DownloadType>", 4294967295u, 1, L""},
        {"type trailing text", "<DownloadType>2abc</DownloadType>", 2, 1, L""},
        {"type word", "<DownloadType>bt</DownloadType>", 0, 1, L""},
        {"type blank", "<DownloadType> </DownloadType>", 1, 1, L""},
        {"size negative", "<FileSize>-1024</FileSize>", 1, 1, L"-1024"},
        {"size largest", "<FileSize>18446744073709551615</FileSize>", 1, 1, L"18446744073709551615"},
        {"size too big", "<FileSize>18446744073709551616</FileSize>", 1, 1, L"18446744073709551616"},
        {"size with unit", "<FileSize>12MB</FileSize>", 1, 1, L"12MB"},
    };
    for (const Case& c : cases) {
        VQRemoteFileInfo info;
        std::string text = std::string("<FILE><DownloadUrl>http://h/f</DownloadUrl>") + c.child + "</FILE>";
        EXPECT_TRUE(Parse(text, info)) << c.name;
        EXPECT_EQ(L"http://h/f", info.downloadUrl) << c.name;
        EXPECT_EQ(c.downloadType, info.downloadType) << c.name;
        EXPECT_EQ(c.increment, info.increment) << c.name;
        EXPECT_EQ(c.fileSize, info.fileSize) << c.name;
    }
}

TEST(RemoteFileInfoTest, RefusesRepliesWithoutAUsableFileElement) {
    struct Case {
        const char* name;
        const char* text;
    };
    const Case cases[] = {
        {"empty", ""},
        {"not xml", "Service Unavailable"},
        {"no FILE", "<REPLY><DownloadUrl>http://h/f</DownloadUrl></REPLY>"},
        {"FILE nested", "<REPLY><FILE><DownloadUrl>http://h/f</DownloadUrl></FILE></REPLY>"},
        {"lower-case FILE", "<file><DownloadUrl>http://h/f</DownloadUrl></file>"},
        {"no DownloadUrl", "<FILE><Md5>00</Md5><FileName>f</FileName></FILE>"},
        {"empty DownloadUrl", "<FILE><DownloadUrl></DownloadUrl></FILE>"},
        {"lower-case DownloadUrl", "<FILE><downloadurl>http://h/f</downloadurl></FILE>"},
        {"DownloadUrl holds an element", "<FILE><DownloadUrl><a>http://h/f</a></DownloadUrl></FILE>"},
        {"cut short", "<FILE><DownloadUrl>http://h/f</DownloadUrl><Md5>00"},
    };
    for (const Case& c : cases) {
        VQRemoteFileInfo info;
        info.fileName = L"left over";
        EXPECT_FALSE(Parse(c.text, info)) << c.name;
        ExpectDefaults(info, c.name);
    }
    VQRemoteFileInfo info;
    EXPECT_FALSE(ParseDownloadInfo(nullptr, 10, info));
}

TEST(RemoteFileInfoTest, LaterChildrenWinAndEmptyOrUnknownOnesAreIgnored) {
    VQRemoteFileInfo info;
    ASSERT_TRUE(Parse("<FILE>"
                      "<DownloadUrl>http://first/f</DownloadUrl>"
                      "<Md5/>"
                      "<FileName></FileName>"
                      "<Comment>anything</Comment>"
                      "<DownloadType>2</DownloadType>"
                      "<DownloadUrl>http://second/f</DownloadUrl>"
                      "<DownloadUrl/>"
                      "<DownloadType>3</DownloadType>"
                      "</FILE>",
                      info));
    EXPECT_EQ(L"http://second/f", info.downloadUrl);
    EXPECT_EQ(3u, info.downloadType);
    EXPECT_EQ(L"", info.md5);
    EXPECT_EQ(L"", info.fileName);
}

TEST(RemoteFileInfoTest, ReadsOnlyTheGivenLengthUpToAZeroByte) {
    std::string text = "<FILE><DownloadUrl>http://h/f</DownloadUrl></FILE>";
    std::string withTail = text + std::string(1, '\0') + "<garbage";
    VQRemoteFileInfo info;
    EXPECT_TRUE(ParseDownloadInfo(reinterpret_cast<const unsigned char*>(withTail.data()),
                                  static_cast<uint32_t>(withTail.size()), info));
    EXPECT_EQ(L"http://h/f", info.downloadUrl);
    // Without its closing tags the document is cut and refused.
    EXPECT_FALSE(ParseDownloadInfo(reinterpret_cast<const unsigned char*>(text.data()),
                                   static_cast<uint32_t>(text.size() - 7), info));
}

TEST(RemoteFileInfoTest, FileNamesInTheSystemCodePageOrDeclaredUtf8) {
    // "游戏.vqz" in GBK (code page 936, as the tests run) and in UTF-8.
    const std::string gbk = "\xD3\xCE\xCF\xB7.vqz";
    const std::string utf8 = "\xE6\xB8\xB8\xE6\x88\x8F.vqz";
    const std::wstring wide = L"\x6E38\x620F.vqz";
    struct Case {
        const char* name;
        std::string text;
    };
    const Case cases[] = {
        {"no declaration", "<FILE><DownloadUrl>http://h/f</DownloadUrl><FileName>" + gbk + "</FileName></FILE>"},
        {"declared GBK", "<?xml version=\"1.0\" encoding=\"GBK\"?><FILE><DownloadUrl>http://h/f</DownloadUrl>"
                         "<FileName>" + gbk + "</FileName></FILE>"},
        {"declared UTF-8", "<?xml version=\"1.0\" encoding=\"utf-8\"?><FILE><DownloadUrl>http://h/f</DownloadUrl>"
                           "<FileName>" + utf8 + "</FileName></FILE>"},
        {"byte-order mark", "\xEF\xBB\xBF<FILE><DownloadUrl>http://h/f</DownloadUrl><FileName>" + utf8 +
                                "</FileName></FILE>"},
    };
    for (const Case& c : cases) {
        VQRemoteFileInfo info;
        ASSERT_TRUE(Parse(c.text, info)) << c.name;
        EXPECT_EQ(wide, info.fileName) << c.name;
    }
}

}  // namespace
}  // namespace Tessar
