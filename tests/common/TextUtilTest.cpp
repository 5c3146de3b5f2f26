#include "common/TextUtil.h"

#include <gtest/gtest.h>

namespace Tessar {
namespace {

int Sign(int value) {
    return value < 0 ? -1 : (value > 0 ? 1 : 0);
}

TEST(TextUtilTest, Comparisons) {
    struct Case {
        const wchar_t* a;
        const wchar_t* b;
        int prefix;     // PrefixCompareNoCase
        size_t n;
        int limited;    // CompareNoCase(a, b, n)
    } cases[] = {
        {L"Setup", L"SETUP", 0, 10, 0},
        {L"setup", L"SETUP.EXE", 0, 10, -1},
        {L"", L"anything", 0, 3, -1},
        {L"abc", L"abd", -1, 2, 0},
        {L"abd", L"ABC", 1, 3, 1},
        {L"Ärger", L"äRGER", 0, 5, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.prefix, Sign(PrefixCompareNoCase(c.a, c.b))) << c.a << " / " << c.b;
        EXPECT_EQ(c.limited, Sign(CompareNoCase(c.a, c.b, c.n))) << c.a << " / " << c.b;
    }
    EXPECT_TRUE(StartsWith(L"-exec_app=00001", L"-exec_app"));
    EXPECT_FALSE(StartsWith(L"-EXEC_APP", L"-exec_app"));
    EXPECT_FALSE(StartsWith(L"-exec", L"-exec_app"));
}

TEST(TextUtilTest, ReplacingAndTrimming) {
    std::wstring text = L"aaa";
    ReplaceAll(text, L"a", L"aa");  // scans on after what it put in
    EXPECT_EQ(L"aaaaaa", text);
    text = L"%ROOT%\\%ROOT%";
    ReplaceAll(text, L"%ROOT%", L"C:");
    EXPECT_EQ(L"C:\\C:", text);
    ReplaceAll(text, L"", L"x");
    EXPECT_EQ(L"C:\\C:", text);
    ReplaceChar(text, L':', L'_');
    EXPECT_EQ(L"C_\\C_", text);

    text = L" \t\r\nname \n";
    TrimLeftChars(text, kWhiteSpace);
    EXPECT_EQ(L"name \n", text);
    TrimRightChars(text, kWhiteSpace);
    EXPECT_EQ(L"name", text);
    text = L"   ";
    TrimRightChars(text, L" ");
    EXPECT_EQ(L"", text);
}

TEST(TextUtilTest, CaseChangesInPlace) {
    std::wstring text = L"Game Ärger 游戏 ω";
    MakeUpper(text);
    EXPECT_EQ(L"GAME ÄRGER 游戏 Ω", text);
    MakeLower(text);
    EXPECT_EQ(L"game ärger 游戏 ω", text);
}

TEST(TextUtilTest, Cutting) {
    struct Case {
        const wchar_t* text;
        int n;
        const wchar_t* left;
        const wchar_t* right;
    } cases[] = {
        {L"abcdef", 2, L"ab", L"ef"},
        {L"abcdef", -1, L"", L""},
        {L"abcdef", 0, L"", L""},
        {L"abc", 10, L"abc", L"abc"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.left, LeftText(c.text, c.n)) << c.text << " " << c.n;
        EXPECT_EQ(c.right, RightText(c.text, c.n)) << c.text << " " << c.n;
    }
    EXPECT_EQ(L"cd", SafeSubstring(L"abcdef", 2, 2));
    EXPECT_EQ(L"ef", SafeSubstring(L"abcdef", 4, 100));
    EXPECT_EQ(L"", SafeSubstring(L"abcdef", -1, 2));
    EXPECT_EQ(L"", SafeSubstring(L"abcdef", 6, 1));
    EXPECT_EQ(L"", SafeSubstring(L"abcdef", 1, -1));
}

TEST(TextUtilTest, TakeToken) {
    std::wstring text = L"run;C:\\a.exe;-x";
    EXPECT_EQ(L"run", TakeToken(text, L";"));
    EXPECT_EQ(L"C:\\a.exe;-x", text);
    EXPECT_EQ(L"C:\\a.exe", TakeToken(text, L";"));
    EXPECT_EQ(L"-x", TakeToken(text, L";"));
    EXPECT_EQ(L"", text);
    EXPECT_EQ(L"", TakeToken(text, L";"));
    text = L"a::b";
    EXPECT_EQ(L"", TakeToken(text, L""));
    EXPECT_EQ(L"a::b", text);
    EXPECT_EQ(L"a", TakeToken(text, L"::"));
    EXPECT_EQ(L"b", text);
}

TEST(TextUtilTest, StripQuotes) {
    EXPECT_EQ(L"a b", StripQuotes(L"\"a b\""));
    EXPECT_EQ(L"", StripQuotes(L"\"\""));
    EXPECT_EQ(L"\"", StripQuotes(L"\""));
    EXPECT_EQ(L"\"a", StripQuotes(L"\"a"));
}

TEST(TextUtilTest, WildcardMatch) {
    struct Case {
        const wchar_t* text;
        const wchar_t* pattern;
        bool ignoreCase;
        bool expected;
    } cases[] = {
        {L"C:\\Windows\\System32", L"*\\windows*", true, true},
        {L"C:\\Windows\\System32", L"*\\windows*", false, false},
        {L"setup.exe", L"*.exe", false, true},
        {L"setup.exe", L"s?tup.*", false, true},
        {L"setup.exe", L"s?tup", false, false},
        {L"", L"*", false, true},
        {L"", L"", false, true},
        {L"a", L"", false, false},
        {L"abc", L"abc***", false, true},
        {L"aaaaaaaaaaaaaaaaaaaaaaaaaaaaab", L"*a*a*a*a*a*a*a*a*a*a*c", false, false},
        {L"mississippi", L"m*iss*ppi", false, true},
        {L"游戏目录", L"*目录", false, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, WildcardMatch(c.text, c.pattern, c.ignoreCase)) << c.text << " ~ " << c.pattern;
    EXPECT_FALSE(WildcardMatch(nullptr, L"*", false));
    EXPECT_FALSE(WildcardMatch(L"a", nullptr, false));
}

TEST(TextUtilTest, SplitAtChar) {
    struct Case {
        const wchar_t* text;
        std::vector<std::wstring> expected;
    } cases[] = {
        {L";a;;b;", {L"", L"a", L"", L"b"}},
        {L"a", {L"a"}},
        {L"", {}},
        {L";", {L""}},
        {L"x;y", {L"x", L"y"}},
    };
    for (const Case& c : cases) {
        std::vector<std::wstring> parts{L"left over"};
        SplitAtChar(c.text, L';', parts);
        EXPECT_EQ(c.expected, parts) << c.text;
    }
}

TEST(TextUtilTest, SplitCommandLine) {
    struct Case {
        const wchar_t* text;
        std::vector<std::wstring> expected;
    } cases[] = {
        {L"a \"b c\" d", {L"a", L"\"b c\"", L"d"}},
        {L"  -x   -y  ", {L"-x", L"-y"}},
        {L"\"C:\\Program Files\\a.exe\" -background", {L"\"C:\\Program Files\\a.exe\"", L"-background"}},
        {L"\"say \\\"hi\\\" now\" x", {L"\"say \\\"hi\\\" now\"", L"x"}},
        {L"ab\"c d\"", {L"ab\"c", L"d\""}},
        {L"\"unterminated arg", {L"\"unterminated arg"}},
        {L"\"\" x", {L"\"\"", L"x"}},
        {L"", {}},
    };
    for (const Case& c : cases) {
        std::vector<std::wstring> args{L"left over"};
        SplitCommandLine(c.text, args);
        EXPECT_EQ(c.expected, args) << c.text;
    }
}

}  // namespace
}  // namespace Tessar
