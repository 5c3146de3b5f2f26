#include "common/CodePage.h"

#include <gtest/gtest.h>

#include <cstring>

namespace Tessar {
namespace {

// What Windows itself makes of a text, the reference for our UTF-8.
std::string SystemUtf8(const std::wstring& text) {
    int count = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                      nullptr);
    std::string bytes(static_cast<size_t>(count), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &bytes[0], count, nullptr, nullptr);
    return bytes;
}

TEST(CodePageTest, TestsRunOnTheChineseCodePage) {
    EXPECT_EQ(936u, ::GetACP());
}

TEST(CodePageTest, GbkTextRoundTrips) {
    const std::wstring chinese = L"游戏管理器 Tovana游戏 单机/网游 C:\\游戏\\魔兽争霸.exe";
    std::string narrow = WideToNarrow(chinese);
    // GBK writes each Chinese character in two bytes, 游 as D3 CE.
    size_t wide = 0;
    for (wchar_t c : chinese)
        wide += c >= 0x80 ? 1 : 0;
    EXPECT_EQ(chinese.size() + wide, narrow.size());
    EXPECT_EQ(0, std::memcmp(narrow.data(), "\xD3\xCE\xCF\xB7", 4));
    EXPECT_EQ(chinese, NarrowToWide(narrow.c_str()));
    EXPECT_EQ(chinese, NarrowStringToWide(narrow));
    EXPECT_EQ(chinese, CodePageToWide(936, narrow.data(), narrow.size()));
    EXPECT_EQ(narrow, WideToCodePage(936, chinese));
    EXPECT_EQ(L"游", NarrowToWideEx(narrow.data(), 2));
}

// ASCII widens without the system; the result must be the system's.
TEST(CodePageTest, AsciiAndMixedTextsWidenAsTheSystemDoes) {
    const std::string texts[] = {
        "http://www.example.com/a?b=1&c=2", std::string("with\0zero", 9), "x", "~\x7F",
        WideToNarrow(L"ascii then 游戏"), WideToNarrow(L"游戏 then ascii"),
        std::string("\xD3\xCE\xD3", 3),  // a lead byte without its trail byte
    };
    for (const std::string& text : texts) {
        SCOPED_TRACE(text);
        const std::wstring expected = CodePageToWide(CP_ACP, text.data(), text.size());
        EXPECT_EQ(expected, NarrowToWideEx(text.data(), text.size()));
        EXPECT_EQ(expected, NarrowStringToWide(text));
    }
    EXPECT_EQ(L"with", NarrowToWide("with\0zero"));
}

TEST(CodePageTest, UnrepresentableCharactersBecomeTheDefault) {
    // Hangul and Thai have no place in GBK.
    EXPECT_EQ("a_b_", WideToNarrow(L"a\xD55C" L"b\x0E01"));
    EXPECT_EQ("a?b?", WideToNarrowEx(L"a\xD55C" L"b\x0E01", '?'));
    EXPECT_EQ("\xD3\xCE_", WideToNarrow(L"游\xD55C"));
}

TEST(CodePageTest, EmptyAndNullTexts) {
    EXPECT_EQ(L"", NarrowToWide(nullptr));
    EXPECT_EQ(L"", NarrowToWide(""));
    EXPECT_EQ(L"", NarrowToWideEx(nullptr, 4));
    EXPECT_EQ("", WideToNarrow(L""));
    EXPECT_EQ(L"", CopyWideString(nullptr));
    EXPECT_EQ(L"copy", CopyWideString(L"copy"));
}

TEST(CodePageTest, Utf8EncodeByRange) {
    struct Case {
        uint32_t codePoint;
        int bytes;
    } cases[] = {
        {0x41, 1}, {0x7F, 1}, {0x80, 2}, {0x7FF, 2}, {0x800, 3}, {0x6E38, 3}, {0xFFFE, 3}, {0xFFFF, 3},
        {0x10000, 4}, {0x1F600, 4}, {0x10FFFF, 4},
    };
    for (const Case& c : cases) {
        char out[4] = {};
        ASSERT_EQ(c.bytes, Utf8Encode(c.codePoint, out)) << std::hex << c.codePoint;
        const unsigned char* pos = reinterpret_cast<const unsigned char*>(out);
        size_t remaining = static_cast<size_t>(c.bytes);
        EXPECT_EQ(c.codePoint, Utf8Decode(pos, remaining)) << std::hex << c.codePoint;
        EXPECT_EQ(0u, remaining);
    }
    char out[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(-1, Utf8Encode(0x110000, out));
    EXPECT_EQ('x', out[0]);
}

TEST(CodePageTest, Utf8MatchesWindowsForWholeTexts) {
    const std::wstring texts[] = {
        L"plain ascii",
        L"游戏 Ärger ω",
        L"emoji \xD83D\xDE00 and \xD801\xDC37",  // U+1F600, U+10437
        L"\xFFFF\xFFFE end",
        L"",
    };
    for (const std::wstring& text : texts) {
        std::string bytes;
        ASSERT_TRUE(WideToUtf8(text.data(), text.size(), bytes));
        EXPECT_EQ(SystemUtf8(text), bytes);
        std::wstring back;
        EXPECT_TRUE(Utf8ToWide(bytes.data(), bytes.size(), back));
        EXPECT_EQ(text, back);
        EXPECT_EQ(text, Utf8ToWide(WideToUtf8(text)));
    }
}

TEST(CodePageTest, LoneSurrogatesAreEncodedAsTheyStand) {
    std::string bytes;
    const wchar_t lone[] = {0xD800, L'a', 0xDC00};
    ASSERT_TRUE(WideToUtf8(lone, 3, bytes));
    EXPECT_EQ("\xED\xA0\x80" "a" "\xED\xB0\x80", bytes);
    std::wstring back;
    EXPECT_TRUE(Utf8ToWide(bytes.data(), bytes.size(), back));
    EXPECT_EQ(std::wstring(lone, 3), back);
}

TEST(CodePageTest, Utf8DecodingOfBrokenInput) {
    struct Case {
        const char* bytes;
        size_t length;
        bool result;
        std::wstring text;
    } cases[] = {
        {"ab\xE6", 3, true, L"ab"},              // first byte of a 3-byte sequence dropped
        {"ab\xE6\xB8", 4, true, L"ab"},
        {"ab\x80" "cd", 5, false, L"ab"},        // a follower without a lead
        {"ab\xF8" "cd", 5, false, L"ab"},        // no such lead byte
        {"ab\xE6" "A", 4, false, L"ab"},         // a lead that the end cuts short, but not a follower
        {"\xF4\x90\x80\x80", 4, false, L""},     // beyond U+10FFFF
        {"", 0, true, L""},
    };
    for (const Case& c : cases) {
        std::wstring text = L"left over";
        EXPECT_EQ(c.result, Utf8ToWide(c.bytes, c.length, text)) << c.length << " bytes";
        EXPECT_EQ(c.text, text);
    }
    std::wstring text;
    EXPECT_FALSE(Utf8ToWide(nullptr, 3, text));
    std::string bytes;
    EXPECT_FALSE(WideToUtf8(nullptr, 3, bytes));

    const unsigned char partial[] = {0xE6, 0xB8};
    const unsigned char* pos = partial;
    size_t remaining = 2;
    EXPECT_EQ(kUtf8Incomplete, Utf8Decode(pos, remaining));
    EXPECT_EQ(partial, pos);
    EXPECT_EQ(2u, remaining);
}

}  // namespace
}  // namespace Tessar
