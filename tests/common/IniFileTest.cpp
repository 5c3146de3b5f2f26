#include "common/IniFile.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "common/CodePage.h"
#include "common/NumberText.h"
#include "tests/support/TempFolder.h"

namespace Tessar {
namespace {

class IniFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(temp.Path().empty()); }

    // INI files of older programs are ANSI (GBK) text.
    std::wstring WriteIni(const std::wstring& name, const std::wstring& text) {
        EXPECT_TRUE(temp.WriteFile(name, WideToCodePage(936, text)));
        return temp.PathOf(name);
    }

    VQTempFolder temp;
};

TEST_F(IniFileTest, ListsSectionsInFileOrder) {
    IniFile ini(WriteIni(L"sections.ini", L"[main]\r\na=1\r\n[\x5B89\x88C5]\r\n[report]\r\nresult=1\r\n"));
    std::vector<std::wstring> names = {L"left over"};
    ASSERT_EQ(3u, ini.ListSections(names));
    EXPECT_EQ((std::vector<std::wstring>{L"main", L"\x5B89\x88C5", L"report"}), names);
}

TEST_F(IniFileTest, FileWithoutSectionsListsNone) {
    struct Case {
        const wchar_t* name;
        std::wstring path;
    } cases[] = {
        {L"empty file", WriteIni(L"empty.ini", L"")},
        {L"lines before any section", WriteIni(L"loose.ini", L"a=1\r\nb=2\r\n")},
        {L"missing file", temp.PathOf(L"missing.ini")},
    };
    for (const Case& c : cases) {
        std::vector<std::wstring> names = {L"left over"};
        EXPECT_EQ(0u, IniFile(c.path).ListSections(names)) << c.name;
        EXPECT_TRUE(names.empty()) << c.name;
    }
}

TEST_F(IniFileTest, SectionLinesSplitAtTheirFirstEquals) {
    IniFile ini(WriteIni(L"lines.ini", L"[s]\r\nkey=value\r\nnoequals\r\ntwo=a=b\r\nempty=\r\n"
                                       L"\x540D\x79F0=\x6E38\x620F\r\n[other]\r\nx=y\r\n"));
    struct Line {
        const wchar_t* key;
        const wchar_t* value;
    } expected[] = {
        {L"key", L"value"}, {L"noequals", L"noequals"}, {L"two", L"a=b"},
        {L"empty", L""},    {L"\x540D\x79F0", L"\x6E38\x620F"},
    };
    std::vector<std::wstring> keys = {L"left over"};
    std::vector<std::wstring> values;
    ASSERT_EQ(5u, ini.ReadSection(L"s", keys, values));
    ASSERT_EQ(5u, values.size());
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(expected[i].key, keys[i]) << i;
        EXPECT_EQ(expected[i].value, values[i]) << i;
    }
}

TEST_F(IniFileTest, MissingSectionReadsNothing) {
    IniFile ini(WriteIni(L"one.ini", L"[s]\r\na=1\r\n"));
    std::vector<std::wstring> keys = {L"left over"};
    std::vector<std::wstring> values = {L"left over"};
    EXPECT_EQ(0u, ini.ReadSection(L"absent", keys, values));
    EXPECT_TRUE(keys.empty());
    EXPECT_TRUE(values.empty());
}

// Beyond the first buffer sizes (2,048 characters of names, 6,000 of a
// section) nothing may be lost; lines longer than 260 characters stay whole.
TEST_F(IniFileTest, LargeFilesAreReadWhole) {
    std::wstring text;
    const uint32_t sectionCount = 300;
    for (uint32_t i = 0; i < sectionCount; ++i)
        text += L"[section-number-" + UIntToString(i) + L"]\r\nk=v\r\n";
    const uint32_t lineCount = 400;
    const std::wstring longValue(300, L'x');
    text += L"[big]\r\n";
    for (uint32_t i = 0; i < lineCount; ++i)
        text += L"key" + UIntToString(i) + L"=" + longValue + L"\r\n";
    IniFile ini(WriteIni(L"large.ini", text));

    std::vector<std::wstring> names;
    ASSERT_EQ(sectionCount + 1, ini.ListSections(names));
    EXPECT_EQ(L"section-number-299", names[sectionCount - 1]);
    EXPECT_EQ(L"big", names.back());

    std::vector<std::wstring> keys;
    std::vector<std::wstring> values;
    ASSERT_EQ(lineCount, ini.ReadSection(L"big", keys, values));
    EXPECT_EQ(L"key399", keys.back());
    EXPECT_EQ(longValue, values.back());
    EXPECT_EQ(longValue, ini.ReadString(L"big", L"key0"));
}

TEST_F(IniFileTest, ValuesAreWrittenReadAndDeleted) {
    IniFile ini(temp.PathOf(L"values.ini"));
    EXPECT_EQ(L"fallback", ini.ReadString(L"install", L"dir", L"fallback"));
    ASSERT_TRUE(ini.WriteString(L"install", L"dir", L"C:\\\x6E38\x620F\\game"));
    ASSERT_TRUE(ini.WriteString(L"install", L"other", L"1"));
    ASSERT_TRUE(ini.WriteString(L"report", L"result", L"1"));
    EXPECT_EQ(L"C:\\\x6E38\x620F\\game", ini.ReadString(L"install", L"dir"));

    ASSERT_TRUE(ini.DeleteKey(L"install", L"dir"));
    EXPECT_EQ(L"", ini.ReadString(L"install", L"dir"));
    EXPECT_EQ(L"1", ini.ReadString(L"install", L"other"));

    ASSERT_TRUE(ini.DeleteSection(L"install"));
    std::vector<std::wstring> names;
    ASSERT_EQ(1u, ini.ListSections(names));
    EXPECT_EQ(L"report", names[0]);
}

}  // namespace
}  // namespace Tessar
