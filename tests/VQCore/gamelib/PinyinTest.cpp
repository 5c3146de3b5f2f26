#include "VQCore/gamelib/Pinyin.h"

#include "common/CodePage.h"

#include <gtest/gtest.h>

#include <string>

namespace Tessar {
namespace {

const UINT kGbk = 936;

std::string Gbk(const std::wstring& text) {
    return WideToCodePage(kGbk, text);
}

// The two bytes of a GB2312 zone-position code.
std::string GbBytes(uint32_t code) {
    std::string bytes;
    bytes += static_cast<char>(code / 100 + 0xA0);
    bytes += static_cast<char>(code % 100 + 0xA0);
    return bytes;
}

TEST(PinyinTest, ZonePositionCodeOfTheBytes) {
    EXPECT_EQ(1601u, GbZonePositionCode(0xB0, 0xA1));
    EXPECT_EQ(8794u, GbZonePositionCode(0xF7, 0xFE));
    // The helper below builds test input the same way.
    const std::string zhong = Gbk(L"中");
    ASSERT_EQ(2u, zhong.size());
    EXPECT_EQ(zhong, GbBytes(GbZonePositionCode(static_cast<unsigned char>(zhong[0]),
                                                static_cast<unsigned char>(zhong[1]))));
}

TEST(PinyinTest, ConvertsWithOptions) {
    const PinyinOptions off = {0, 0, 0, 0};
    const PinyinOptions separator = {1, 0, 0, 0};
    const PinyinOptions initial = {0, 1, 0, 0};
    const PinyinOptions rest = {0, 0, 1, 0};
    const PinyinOptions capitals = {0, 1, 1, 0};
    const PinyinOptions initials = {0, 0, 0, 1};
    const PinyinOptions initialsCapital = {0, 1, 0, 1};
    struct Case {
        const char* name;
        const PinyinOptions* options;
        std::string text;
        std::string expected;
    } cases[] = {
        {"empty", &off, "", ""},
        {"ascii unchanged", &off, "Hello World 2!", "Hello World 2!"},
        {"three syllables", &off, Gbk(L"中国人 2"), "zhongguoren 2"},
        {"null options are all off", nullptr, Gbk(L"中国人"), "zhongguoren"},
        {"separator after ascii", &separator, "AB", "A'B'"},
        {"separator after a character", &separator, Gbk(L"中"), "zhong'"},
        {"capital initial", &initial, Gbk(L"中国人"), "ZhongGuoRen"},
        {"capital rest", &rest, Gbk(L"中"), "zHONG"},
        {"capitals", &capitals, Gbk(L"中国"), "ZHONGGUO"},
        {"initials only", &initials, Gbk(L"中国人"), "zgr"},
        {"initials capital", &initialsCapital, Gbk(L"中国人"), "ZGR"},
        {"full-width letter has no reading", &off, Gbk(L"Ａ"), "?"},
        {"level-2 code without entry", &off, GbBytes(5602), "?"},
        {"level-2 entry", &off, GbBytes(8794), "zha"},
        {"lone lead byte at the end dropped", &off, "ab\xD6", "ab"},
        {"GBK trail byte read as ascii", &off, "\x81\x40", "@"},
        {"low trail byte: lead dropped", &off, "\xA1\x41", "A"},
        {"lead below A1 dropped alone", &off, "\x90" + Gbk(L"中"), "zhong"},
        {"diaeresis letter kept", &off, GbBytes(6744), "l\xA8\xB9"},
        {"diaeresis letter kept in capitals", &capitals, GbBytes(7704), "N\xA8\xB5"},
        {"diaeresis syllable initial", &initials, GbBytes(7704), "n"},
        {"unknown syllable with initials", &initials, GbBytes(5602), "?"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, ConvertToPinyin(c.options, c.text)) << c.name;
}

TEST(PinyinTest, LevelTwoBeforeLevelOne) {
    // A level-2 entry wins; a level-2 code without one falls through to the
    // level-1 rows, which do not reach it, so it gives "?".
    EXPECT_EQ("CHU", PinyinOfCharacter(5601));
    EXPECT_EQ("?", PinyinOfCharacter(5602));
    EXPECT_EQ("ZUO", PinyinOfCharacter(5589));
    EXPECT_EQ("?", PinyinOfCharacter(5590));
    EXPECT_EQ("?", PinyinOfCharacter(5600));
}

TEST(PinyinTest, CodesOutsideTheTable) {
    for (uint32_t code : {0u, 101u, 333u, 1600u, 8795u, 9999u, 100000u})
        EXPECT_EQ("?", PinyinOfCharacter(code)) << code;
}

TEST(PinyinTest, UnusedPositionsBelongToTheRowBefore) {
    // Zone 16 ends at position 94; 1695-1700 fall inside the row that runs
    // on into zone 17.
    for (uint32_t code = 1695; code <= 1700; ++code)
        EXPECT_EQ(PinyinOfCharacter(1694), PinyinOfCharacter(code)) << code;
}

}  // namespace
}  // namespace Tessar
