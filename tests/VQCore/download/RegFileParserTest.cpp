#include "VQCore/download/RegParser.h"

#include "tests/VQCore/download/RegTestUtil.h"
#include "tests/support/TempFolder.h"

#include "tests/support/RegistrySnapshot.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace Tessar {
namespace {

using RegTest::Encoding;

const wchar_t kHeader5[] = L"Windows Registry Editor Version 5.00\r\n";

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

// Parses a UTF-16 text with the version 5.00 header in front.
std::deque<VQRegKey> Parse(const std::wstring& body, bool ansi = false) {
    VQRegParser parser;
    std::wstring text = (ansi ? std::wstring(L"REGEDIT4\r\n") : std::wstring(kHeader5)) + body;
    parser.ParseText(text.c_str(), ansi);
    return parser.Keys();
}

// The message of what parsing the body throws; empty when it does not.
std::string ParseFailure(const std::wstring& body) {
    try {
        Parse(body);
    } catch (const std::exception& error) {
        return error.what();
    }
    return std::string();
}

std::vector<unsigned char> BytesOf(const VQBuffer<unsigned char>& buffer) {
    return std::vector<unsigned char>(buffer.data, buffer.data + buffer.size);
}

TEST(RegFileParserTest, DetectsTheTwoHeadersOnly) {
    struct Case {
        const char* name;
        std::string bytes;
        const char* failure;  // empty: loads
        size_t keys;
    } cases[] = {
        {"REGEDIT4", "REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n", "", 1},
        {"REGEDIT4 with text after it", "REGEDIT4 and more\r\n[HKEY_CURRENT_USER\\A]\r\n", "", 1},
        {"lower-case regedit4", "regedit4\r\n[HKEY_CURRENT_USER\\A]\r\n", "Wrong file format", 0},
        {"version 5.00 with BOM", RegTest::RegFileBytes(L"Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\A]\r\n", Encoding::kUtf16), "", 1},
        {"version 5.00 without BOM",
         RegTest::RegFileBytes(L"Windows Registry Editor Version 5.00\r\n", Encoding::kUtf16).substr(2),
         "Wrong file format", 0},
        {"version 5.00 cut short", RegTest::RegFileBytes(L"Windows Registry Editor", Encoding::kUtf16),
         "Wrong file format", 0},
        {"version 5.00 in ANSI", "Windows Registry Editor Version 5.00\r\n", "Wrong file format", 0},
        {"empty file", "", "Wrong file format", 0},
        {"only the header", "REGEDIT4", "", 0},
    };
    VQTempFolder folder;
    for (const Case& c : cases) {
        ASSERT_TRUE(folder.WriteFile(L"f.reg", c.bytes)) << c.name;
        VQRegParser parser;
        std::string failure;
        try {
            parser.LoadRegFile(folder.PathOf(L"f.reg"));
        } catch (const std::runtime_error& error) {
            failure = error.what();
        }
        EXPECT_EQ(c.failure, failure) << c.name;
        EXPECT_EQ(c.keys, parser.Keys().size()) << c.name;
        if (failure.empty()) {
            int expected = c.bytes[0] == 'R' ? VQRegParser::kFormatAnsi : VQRegParser::kFormatUtf16;
            EXPECT_EQ(expected, parser.DetectRegFileFormat()) << c.name;
        }
    }
}

TEST(RegFileParserTest, MissingFileFailsToLoad) {
    VQTempFolder folder;
    VQRegParser parser;
    try {
        parser.LoadRegFile(folder.PathOf(L"missing.reg"));
        FAIL() << "no exception";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ("Load file failed", error.what());
    }
}

TEST(RegFileParserTest, AnsiFilesAreReadInTheAnsiCodePage) {
    VQTempFolder folder;
    std::wstring text = L"REGEDIT4\r\n[HKEY_CURRENT_USER\\Software\\游戏]\r\n\"名字\"=\"值\"\r\n";
    ASSERT_TRUE(folder.WriteFile(L"f.reg", RegTest::RegFileBytes(text, Encoding::kAnsi936)));
    VQRegParser parser;
    parser.LoadRegFile(folder.PathOf(L"f.reg"));
    ASSERT_EQ(1u, parser.Keys().size());
    EXPECT_EQ(L"Software\\游戏", parser.Keys()[0].path);
    ASSERT_EQ(1u, parser.Keys()[0].values.size());
    EXPECT_EQ(L"名字", parser.Keys()[0].values[0].name);
    EXPECT_EQ(std::wstring(L"值\0", 2), parser.Keys()[0].values[0].text);
}

TEST(RegFileParserTest, TextEndsAtTheFirstNul) {
    VQTempFolder folder;
    std::string bytes = "REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n";
    bytes.push_back('\0');
    bytes += "[HKEY_CURRENT_USER\\B]\r\n";
    ASSERT_TRUE(folder.WriteFile(L"f.reg", bytes));
    VQRegParser parser;
    parser.LoadRegFile(folder.PathOf(L"f.reg"));
    ASSERT_EQ(1u, parser.Keys().size());
    EXPECT_EQ(L"A", parser.Keys()[0].path);
}

TEST(RegFileParserTest, KeyLines) {
    struct Case {
        const wchar_t* line;
        uint32_t root;
        const wchar_t* path;
        uint8_t deleteKey;
    } cases[] = {
        {L"[-HKEY_CURRENT_USER\\Software\\X]", 0x80000001, L"Software\\X", 1},
        {L"[HKEY_LOCAL_MACHINE\\Software\\X\\]", 0x80000002, L"Software\\X", 0},
        {L"[HKEY_USERS\\.DEFAULT]", 0x80000003, L".DEFAULT", 0},
        {L"[HKEY_CURRENT_CONFIG\\a=b]", 0x80000005, L"a=b", 0},
        {L"[hkey_current_user\\Low]", 0x80000001, L"Low", 0},
        {L"  [HKEY_CURRENT_USER\\Blanks]  ", 0x80000001, L"Blanks", 0},
        {L"[HKEY_CURRENT_USER]", 0x80000001, L"", 0},
        // Roots outside the table, short forms and whole-root deletions
        // give keys that are never written.
        {L"[HKEY_CLASSES_ROOT\\.txt]", 0x80000001, L"Software\\Classes\\.txt", 0},
        {L"[-HKEY_CLASSES_ROOT]", kRegNoRoot, L"", 1},
        {L"[HKCU\\Software\\X]", kRegNoRoot, L"", 0},
        {L"[HKEY_CURRENT_USERX\\Software]", kRegNoRoot, L"", 0},
        {L"[-HKEY_CURRENT_USER]", kRegNoRoot, L"", 1},
        {L"[]", kRegNoRoot, L"", 0},
    };
    for (const auto& c : cases) {
        std::deque<VQRegKey> keys = Parse(std::wstring(c.line) + L"\r\n");
        ASSERT_EQ(1u, keys.size()) << Narrow(c.line);
        EXPECT_EQ(c.root, keys[0].root) << Narrow(c.line);
        EXPECT_EQ(c.path, keys[0].path) << Narrow(c.line);
        EXPECT_EQ(c.deleteKey, keys[0].deleteKey) << Narrow(c.line);
        EXPECT_EQ(c.root != kRegNoRoot, keys[0].IsWritable()) << Narrow(c.line);
    }
}

TEST(RegFileParserTest, TheFirstLineIsAlwaysTheHeader) {
    VQRegParser parser;
    parser.ParseText(L"[HKEY_CURRENT_USER\\A]\r\n[HKEY_CURRENT_USER\\B]\r\n", false);
    ASSERT_EQ(1u, parser.Keys().size());
    EXPECT_EQ(L"B", parser.Keys()[0].path);

    VQRegParser single;
    single.ParseText(L"REGEDIT4 [HKEY_CURRENT_USER\\A]", true);
    EXPECT_TRUE(single.Keys().empty());
}

TEST(RegFileParserTest, LineEndingsBlanksAndComments) {
    std::deque<VQRegKey> keys = Parse(
        L"\n"
        L"; \"comment\"=\"with an equals sign\"\r\n"
        L"   # \"hash\"=\"comment\"\n"
        L"[HKEY_CURRENT_USER\\A]\n"
        L"just text\r\n"
        L"  \"indented\" = \"x\"  \r\n"
        L"\"trailing\"=\"y\" ; note\r\n"
        L"\"last\"=\"no line break\"");
    ASSERT_EQ(1u, keys.size());
    ASSERT_EQ(3u, keys[0].values.size());
    EXPECT_EQ(L"indented", keys[0].values[0].name);
    EXPECT_EQ(std::wstring(L"x\0", 2), keys[0].values[0].text);
    EXPECT_EQ(L"trailing", keys[0].values[1].name);
    EXPECT_EQ(L"last", keys[0].values[2].name);
}

TEST(RegFileParserTest, ValueNames) {
    struct Case {
        const wchar_t* name;
        const wchar_t* expected;
    } cases[] = {
        {L"@", L""},
        {L"\"@\"", L"@"},
        {L"\"plain\"", L"plain"},
        {L"\"a\\\\b\"", L"a\\b"},
        {L"\"a\\\"b\"", L"a\"b"},
        {L"\"ends in backslash\\\\\"", L"ends in backslash\\"},
        {L"\"has = sign\"", L"has = sign"},
        {L"unquoted", L"unquoted"},
    };
    for (const Case& c : cases) {
        std::deque<VQRegKey> keys = Parse(L"[HKEY_CURRENT_USER\\A]\r\n" + std::wstring(c.name) + L"=dword:1\r\n");
        ASSERT_EQ(1u, keys[0].values.size()) << Narrow(c.name);
        EXPECT_EQ(c.expected, keys[0].values[0].name) << Narrow(c.name);
    }
}

struct DataCase {
    const char* name;
    std::wstring data;
    uint32_t type;
    std::vector<unsigned char> raw;  // ToRaw of the value
};

TEST(RegFileParserTest, ValueData) {
    const DataCase cases[] = {
        {"string", L"\"text\"", REG_SZ, Utf16Raw(std::wstring(L"text\0", 5))},
        {"empty string", L"\"\"", REG_SZ, Utf16Raw(std::wstring(L"\0", 1))},
        {"escapes", L"\"a\\\\b \\\"q\\\" \\n\"", REG_SZ, Utf16Raw(std::wstring(L"a\\b \"q\" \\n\0", 11))},
        {"string with equals and semicolon", L"\"x=1;y\"", REG_SZ, Utf16Raw(std::wstring(L"x=1;y\0", 6))},
        {"dword", L"dword:0000001f", REG_DWORD, {0x1F, 0, 0, 0}},
        {"dword short", L"dword:1", REG_DWORD, {1, 0, 0, 0}},
        {"dword 0x", L"dword:0xFFFFFFFF", REG_DWORD, {0xFF, 0xFF, 0xFF, 0xFF}},
        {"binary", L"hex:00,01,fe,FF", REG_BINARY, {0, 1, 0xFE, 0xFF}},
        {"binary empty", L"hex:", REG_BINARY, {}},
        {"binary spaces and trailing comma", L"hex: 0a , 0b,", REG_BINARY, {0x0A, 0x0B}},
        {"binary over three lines", L"hex:01,02,\\\r\n  03,04,\\\r\n  05", REG_BINARY, {1, 2, 3, 4, 5}},
        {"binary over lines with LF", L"hex:01,\\\n 02", REG_BINARY, {1, 2}},
        {"expand string", L"hex(2):25,00,41,00,25,00,00,00", REG_EXPAND_SZ, Utf16Raw(std::wstring(L"%A%\0", 4))},
        {"multi string", L"hex(7):61,00,00,00,62,00,00,00,00,00", REG_MULTI_SZ, Utf16Raw(std::wstring(L"a\0b\0\0", 5))},
        {"none", L"hex(0):01,02", REG_NONE, {1, 2}},
        {"none empty", L"hex(0):", REG_NONE, {}},
        {"qword", L"hex(b):01,02,03,04,05,06,07,08", REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 8}},
        {"dword as bytes", L"hex(4):01,02,03,04", REG_DWORD, {1, 2, 3, 4}},
        {"big-endian dword", L"hex(5):01,02,03,04", REG_DWORD_BIG_ENDIAN, {1, 2, 3, 4}},
        {"binary as hex(3)", L"hex(3):aa", REG_BINARY, {0xAA}},
        {"resource list", L"hex(8):09", REG_RESOURCE_LIST, {9}},
    };
    for (const DataCase& c : cases) {
        std::deque<VQRegKey> keys = Parse(L"[HKEY_CURRENT_USER\\A]\r\n\"v\"=" + c.data + L"\r\n");
        ASSERT_EQ(1u, keys[0].values.size()) << c.name;
        const VQRegValue& value = keys[0].values[0];
        EXPECT_EQ(c.type, value.type) << c.name;
        EXPECT_EQ(0, value.deleteMark) << c.name;
        VQBuffer<unsigned char> raw;
        EXPECT_TRUE(value.ToRaw(raw)) << c.name;
        EXPECT_EQ(c.raw, BytesOf(raw)) << c.name;
    }
}

TEST(RegFileParserTest, TypedFieldsOfParsedValues) {
    std::deque<VQRegKey> keys = Parse(
        L"[HKEY_CURRENT_USER\\A]\r\n"
        L"\"q\"=hex(b):01,00,00,00,00,00,00,80\r\n"
        L"\"m\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n"
        L"\"d\"=dword:12345678\r\n");
    ASSERT_EQ(3u, keys[0].values.size());
    EXPECT_EQ(0x8000000000000001ull, keys[0].values[0].number64);
    EXPECT_EQ((std::vector<std::wstring>{L"a", L"b"}), keys[0].values[1].strings);
    EXPECT_EQ(std::wstring(L"a\0b\0\0", 5), keys[0].values[1].text);
    EXPECT_EQ(0x12345678u, keys[0].values[2].number);
}

TEST(RegFileParserTest, ContinuedListEqualsTheOneLineForm) {
    std::deque<VQRegKey> keys = Parse(
        L"[HKEY_CURRENT_USER\\A]\r\n"
        L"\"one\"=hex:01,02,03,04,05,06\r\n"
        L"\"three\"=hex:01,02,\\\r\n"
        L"  03,04,\\\r\n"
        L"  05,06\r\n"
        L"\"after\"=dword:2\r\n");
    ASSERT_EQ(3u, keys[0].values.size());
    VQBuffer<unsigned char> one, three;
    keys[0].values[0].ToRaw(one);
    keys[0].values[1].ToRaw(three);
    EXPECT_EQ(BytesOf(one), BytesOf(three));
    EXPECT_EQ(L"after", keys[0].values[2].name);
}

TEST(RegFileParserTest, AnsiFilesReadStringBytesInTheAnsiCodePage) {
    std::wstring hex = RegTest::HexOfText(std::wstring(L"%游戏%\0", 5), Encoding::kAnsi936);
    std::deque<VQRegKey> keys = Parse(L"[HKEY_CURRENT_USER\\A]\r\n\"e\"=hex(2):" + hex + L"\r\n", true);
    ASSERT_EQ(1u, keys[0].values.size());
    EXPECT_EQ(static_cast<uint32_t>(REG_EXPAND_SZ), keys[0].values[0].type);
    EXPECT_EQ(std::wstring(L"%游戏%\0", 5), keys[0].values[0].text);
}

TEST(RegFileParserTest, DeleteMarks) {
    std::deque<VQRegKey> keys = Parse(L"[HKEY_CURRENT_USER\\A]\r\n\"gone\"=-\r\n@=-\r\n\"spaced\" = - ; why\r\n");
    ASSERT_EQ(3u, keys[0].values.size());
    for (const VQRegValue& value : keys[0].values)
        EXPECT_EQ(1, value.deleteMark) << Narrow(value.name);
    EXPECT_EQ(L"", keys[0].values[1].name);
}

TEST(RegFileParserTest, UnknownDataFormsAreSkipped) {
    std::deque<VQRegKey> keys = Parse(
        L"[HKEY_CURRENT_USER\\A]\r\n"
        L"\"word\"=abc\r\n"
        L"\"upper\"=HEX:01\r\n"
        L"\"empty\"=\r\n"
        L"\"kept\"=dword:1\r\n");
    ASSERT_EQ(1u, keys[0].values.size());
    EXPECT_EQ(L"kept", keys[0].values[0].name);
}

TEST(RegFileParserTest, BrokenTextThrows) {
    struct Case {
        const char* name;
        std::wstring body;
        const char* failure;
    } cases[] = {
        {"value before any key", L"\"a\"=\"b\"\r\n[HKEY_CURRENT_USER\\A]\r\n", "Keys list is empty"},
        {"string continued with a backslash", L"[HKEY_CURRENT_USER\\A]\r\n\"a\"=\"b\\\r\n c\"\r\n",
         "Value data not found for founded value name"},
        {"unterminated string", L"[HKEY_CURRENT_USER\\A]\r\n\"a\"=\"b\r\n", "Parsing failed."},
        {"text after the string", L"[HKEY_CURRENT_USER\\A]\r\n\"a\"=\"b\"c\r\n", "Parsing failed."},
        {"string ending in an escaped quote", L"[HKEY_CURRENT_USER\\A]\r\n\"a\"=\"b\\\"\r\n", "Parsing failed."},
        {"bad hex digit", L"[HKEY_CURRENT_USER\\A]\r\n\"a\"=hex:01,zz\r\n", "Parsing failed."},
        {"three-digit byte", L"[HKEY_CURRENT_USER\\A]\r\n\"a\"=hex:100\r\n", "Parsing failed."},
        {"empty item", L"[HKEY_CURRENT_USER\\A]\r\n\"a\"=hex:01,,02\r\n", "Parsing failed."},
        {"stray backslash", L"[HKEY_CURRENT_USER\\A]\r\n\"a\"=hex:01,\\02\r\n", "Parsing failed."},
        {"dword without digits", L"[HKEY_CURRENT_USER\\A]\r\n\"a\"=dword:\r\n", "Parsing failed."},
        {"dword of nine digits", L"[HKEY_CURRENT_USER\\A]\r\n\"a\"=dword:123456789\r\n", "Parsing failed."},
        {"dword with junk", L"[HKEY_CURRENT_USER\\A]\r\n\"a\"=dword:12xy\r\n", "Parsing failed."},
        {"hex(b) of seven bytes", L"[HKEY_CURRENT_USER\\A]\r\n\"a\"=hex(b):01,02,03,04,05,06,07\r\n",
         "Parsing failed."},
        {"hex(4) of three bytes", L"[HKEY_CURRENT_USER\\A]\r\n\"a\"=hex(4):01,02,03\r\n", "Parsing failed."},
        {"hex(2) of odd length", L"[HKEY_CURRENT_USER\\A]\r\n\"a\"=hex(2):41\r\n", "Parsing failed."},
        {"type 255", L"[HKEY_CURRENT_USER\\A]\r\n\"a\"=hex(ff):01\r\n", "Parsing failed."},
        {"type without digits", L"[HKEY_CURRENT_USER\\A]\r\n\"a\"=hex():01\r\n", "Parsing failed."},
        {"unclosed type", L"[HKEY_CURRENT_USER\\A]\r\n\"a\"=hex(2:01\r\n", "Parsing failed."},
        {"unclosed key line", L"[HKEY_CURRENT_USER\\A\r\n\"a\"=dword:1\r\n", "Parsing failed."},
        {"continued list into a key line", L"[HKEY_CURRENT_USER\\A]\r\n\"a\"=hex:01,\\\r\n[HKEY_CURRENT_USER\\B]\r\n",
         "Parsing failed."},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.failure, ParseFailure(c.body)) << c.name;
}

TEST(RegFileParserTest, ContinuedListEndsAtAnEmptyLine) {
    std::deque<VQRegKey> keys = Parse(L"[HKEY_CURRENT_USER\\A]\r\n\"a\"=hex:01,\\\r\n\r\n\"b\"=dword:1\r\n");
    ASSERT_EQ(2u, keys[0].values.size());
    EXPECT_EQ(1u, keys[0].values[0].bytes.size);
}

// Any text either parses or throws one of the parse errors; nothing reads
// outside the text. Lines are drawn from pieces of real and broken files.
TEST(RegFileParserTest, ArbitraryTextNeverBreaksTheParser) {
    const wchar_t* pieces[] = {
        L"[HKEY_CURRENT_USER\\A]", L"[-HKEY_CURRENT_USER\\B", L"\"", L"\"a\"", L"=", L"@", L"\\", L"\\\\",
        L"hex:", L"hex(", L"hex(2):", L"hex(b):", L"dword:", L"01", L",", L"zz", L"ffff", L"-", L";", L"#",
        L" ", L"\r\n", L"\n", L"\r", L"[", L"]", L"\"x\"=\"", L"=hex:01,\\", L"\"=\"",
    };
    uint32_t seed = 12345;
    auto next = [&seed]() {
        seed = seed * 1103515245u + 12345u;
        return seed >> 16;
    };
    int parsed = 0, refused = 0;
    for (int round = 0; round < 3000; ++round) {
        std::wstring text = kHeader5;
        int count = 1 + next() % 30;
        for (int i = 0; i < count; ++i)
            text += pieces[next() % (sizeof(pieces) / sizeof(pieces[0]))];
        // Exact-size copy so that a read past the end meets no terminator.
        std::vector<wchar_t> exact(text.begin(), text.end());
        exact.push_back(L'\0');
        VQRegParser parser;
        try {
            parser.ParseText(exact.data(), round % 2 == 0);
            ++parsed;
        } catch (const VQRegParseError& error) {
            std::string what = error.what();
            EXPECT_TRUE(what == "Parsing failed." || what == "Keys list is empty" ||
                        what == "Value data not found for founded value name")
                << what;
            ++refused;
        }
    }
    EXPECT_GT(parsed, 0);
    EXPECT_GT(refused, 0);
}

}  // namespace
}  // namespace Tessar
