#include "VQCore/gamelib/PinyinTable.h"

#include "VQCore/gamelib/Pinyin.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

namespace Tessar {
namespace {

const char kLuDiaeresis[] = "L\xA8\xB9";
const char kNuDiaeresis[] = "N\xA8\xB5";

// The standard Mandarin syllables the table spells, but KUAI.
const char* const kListedSyllables[] = {
    "A", "AI", "AN", "ANG", "AO", "BA", "BAI", "BAN", "BANG", "BAO", "BEI", "BEN", "BENG", "BI",
    "BIAN", "BIAO", "BIE", "BIN", "BING", "BO", "BU", "CA", "CAI", "CAN", "CANG", "CAO", "CE", "CEN",
    "CENG", "CHA", "CHAI", "CHAN", "CHANG", "CHAO", "CHE", "CHEN", "CHENG", "CHI", "CHONG", "CHOU",
    "CHU", "CHUAI", "CHUAN", "CHUANG", "CHUI", "CHUN", "CHUO", "CI", "CONG", "COU", "CU", "CUAN",
    "CUI", "CUN", "CUO", "DA", "DAI", "DAN", "DANG", "DAO", "DE", "DENG", "DI", "DIA", "DIAN",
    "DIAO", "DIE", "DING", "DIU", "DONG", "DOU", "DU", "DUAN", "DUI", "DUN", "DUO", "E", "EN", "ER",
    "FA", "FAN", "FANG", "FEI", "FEN", "FENG", "FO", "FOU", "FU", "GA", "GAI", "GAN", "GANG", "GAO",
    "GE", "GEI", "GEN", "GENG", "GONG", "GOU", "GU", "GUA", "GUAI", "GUAN", "GUANG", "GUI", "GUN",
    "GUO", "HA", "HAI", "HAN", "HANG", "HAO", "HE", "HEI", "HEN", "HENG", "HONG", "HOU", "HU", "HUA",
    "HUAI", "HUAN", "HUANG", "HUI", "HUN", "HUO", "JI", "JIA", "JIAN", "JIANG", "JIAO", "JIE", "JIN",
    "JING", "JIONG", "JIU", "JU", "JUAN", "JUE", "JUN", "KA", "KAI", "KAN", "KANG", "KAO", "KE",
    "KEN", "KENG", "KONG", "KOU", "KU", "KUA", "KUAN", "KUANG", "KUI", "KUN", "KUO", "LA", "LAI",
    "LAN", "LANG", "LAO", "LE", "LEI", "LENG", "LI", "LIA", "LIAN", "LIANG", "LIAO", "LIE", "LIN",
    "LING", "LIU", "LONG", "LOU", "LU", "LUAN", "LUE", "LUN", "LUO", "M", "MA", "MAI", "MAN", "MANG",
    "MAO", "ME", "MEI", "MEN", "MENG", "MI", "MIAN", "MIAO", "MIE", "MIN", "MING", "MIU", "MO",
    "MOU", "MU", "N", "NA", "NAI", "NAN", "NANG", "NAO", "NE", "NEI", "NEN", "NENG", "NI", "NIAN",
    "NIANG", "NIAO", "NIE", "NIN", "NING", "NIU", "NONG", "NOU", "NU", "NUAN", "NUE", "NUO", "O",
    "OU", "PA", "PAI", "PAN", "PANG", "PAO", "PEI", "PEN", "PENG", "PI", "PIAN", "PIAO", "PIE",
    "PIN", "PING", "PO", "POU", "PU", "QI", "QIA", "QIAN", "QIANG", "QIAO", "QIE", "QIN", "QING",
    "QIONG", "QIU", "QU", "QUAN", "QUE", "QUN", "RAN", "RANG", "RAO", "RE", "REN", "RENG", "RI",
    "RONG", "ROU", "RU", "RUAN", "RUI", "RUN", "RUO", "SA", "SAI", "SAN", "SANG", "SAO", "SE", "SEN",
    "SENG", "SHA", "SHAI", "SHAN", "SHANG", "SHAO", "SHE", "SHEN", "SHENG", "SHI", "SHOU", "SHU",
    "SHUA", "SHUAI", "SHUAN", "SHUANG", "SHUI", "SHUN", "SHUO", "SI", "SONG", "SOU", "SU", "SUAN",
    "SUI", "SUN", "SUO", "TA", "TAI", "TAN", "TANG", "TAO", "TE", "TENG", "TI", "TIAN", "TIAO",
    "TIE", "TING", "TONG", "TOU", "TU", "TUAN", "TUI", "TUN", "TUO", "WA", "WAI", "WAN", "WANG",
    "WEI", "WEN", "WENG", "WO", "WU", "XI", "XIA", "XIAN", "XIANG", "XIAO", "XIE", "XIN", "XING",
    "XIONG", "XIU", "XU", "XUAN", "XUE", "XUN", "YA", "YAN", "YANG", "YAO", "YE", "YI", "YIN",
    "YING", "YO", "YONG", "YOU", "YU", "YUAN", "YUE", "YUN", "ZA", "ZAI", "ZAN", "ZANG", "ZAO", "ZE",
    "ZEI", "ZEN", "ZENG", "ZHA", "ZHAI", "ZHAN", "ZHANG", "ZHAO", "ZHE", "ZHEN", "ZHENG", "ZHI",
    "ZHONG", "ZHOU", "ZHU", "ZHUA", "ZHUAI", "ZHUAN", "ZHUANG", "ZHUI", "ZHUN", "ZHUO", "ZI", "ZONG",
    "ZOU", "ZU", "ZUAN", "ZUI", "ZUN", "ZUO",
};

std::set<std::string> LevelOneSyllables() {
    std::set<std::string> found;
    for (size_t i = 0; i < kPinyinLevel1RangeCount; ++i)
        found.insert(kPinyinLevel1Ranges[i].syllable);
    return found;
}

std::set<std::string> LevelTwoSyllables(size_t* entries) {
    std::set<std::string> found;
    size_t count = 0;
    for (uint32_t code = kPinyinLevel2First; code <= kPinyinLevel2Last; ++code) {
        const char* syllable = kPinyinLevel2Syllables[code - kPinyinLevel2First];
        if (!syllable)
            continue;
        ++count;
        found.insert(syllable);
    }
    if (entries)
        *entries = count;
    return found;
}

TEST(PinyinTableTest, LevelOneRowsJoinUpInPinyinOrder) {
    ASSERT_GT(kPinyinLevel1RangeCount, 0u);
    EXPECT_EQ(kPinyinLevel1First, kPinyinLevel1Ranges[0].first);
    EXPECT_EQ(kPinyinLevel1Last, kPinyinLevel1Ranges[kPinyinLevel1RangeCount - 1].last);
    for (size_t i = 0; i < kPinyinLevel1RangeCount; ++i) {
        const VQPinyinRange& row = kPinyinLevel1Ranges[i];
        EXPECT_LE(row.first, row.last) << row.syllable;
        if (i == 0)
            continue;
        const VQPinyinRange& before = kPinyinLevel1Ranges[i - 1];
        EXPECT_EQ(before.last + 1, row.first) << before.syllable << " " << row.syllable;
        // Strictly ascending: one row per syllable.
        EXPECT_LT(strcmp(before.syllable, row.syllable), 0) << before.syllable << " " << row.syllable;
    }
}

TEST(PinyinTableTest, TellingLevelOneRows) {
    struct Row {
        uint32_t first;
        uint32_t last;
        const char* syllable;
    } rows[] = {
        {1601, 1602, "A"},    {1603, 1615, "AI"},   {1616, 1624, "AN"},  {1625, 1627, "ANG"},
        {1628, 1636, "AO"},   {1637, 1654, "BA"},   {2287, 2287, "EN"},  {2288, 2301, "ER"},
        {5576, 5579, "ZUI"},  {5580, 5581, "ZUN"},  {5582, 5589, "ZUO"},
    };
    for (const Row& row : rows) {
        bool found = false;
        for (size_t i = 0; i < kPinyinLevel1RangeCount; ++i) {
            if (strcmp(kPinyinLevel1Ranges[i].syllable, row.syllable) != 0)
                continue;
            found = true;
            EXPECT_EQ(row.first, kPinyinLevel1Ranges[i].first) << row.syllable;
            EXPECT_EQ(row.last, kPinyinLevel1Ranges[i].last) << row.syllable;
        }
        EXPECT_TRUE(found) << row.syllable;
        EXPECT_EQ(row.syllable, PinyinOfCharacter(row.first)) << row.syllable;
        EXPECT_EQ(row.syllable, PinyinOfCharacter(row.last)) << row.syllable;
        EXPECT_EQ(row.syllable, PinyinOfCharacter((row.first + row.last) / 2)) << row.syllable;
    }
    EXPECT_STREQ("ZUO", kPinyinLevel1Ranges[kPinyinLevel1RangeCount - 1].syllable);
}

TEST(PinyinTableTest, TellingLevelTwoEntries) {
    struct Entry {
        uint32_t code;
        const char* syllable;  // null: no entry
    } entries[] = {
        {5601, "CHU"}, {5602, nullptr}, {5603, "WU"}, {5634, "MI"}, {6328, "M"},
        {6437, "N"},   {8793, "HAN"},   {8794, "ZHA"},
    };
    for (const Entry& e : entries) {
        const char* syllable = kPinyinLevel2Syllables[e.code - kPinyinLevel2First];
        if (e.syllable) {
            ASSERT_NE(nullptr, syllable) << e.code;
            EXPECT_STREQ(e.syllable, syllable) << e.code;
            EXPECT_EQ(e.syllable, PinyinOfCharacter(e.code)) << e.code;
        } else {
            EXPECT_EQ(nullptr, syllable) << e.code;
            EXPECT_EQ("?", PinyinOfCharacter(e.code)) << e.code;
        }
    }
}

TEST(PinyinTableTest, UnusedLevelTwoPositionsHaveNoEntry) {
    for (uint32_t zone = 56; zone <= 86; ++zone) {
        for (uint32_t position = 95; position <= 100; ++position) {
            const uint32_t code = zone * 100 + position;
            EXPECT_EQ(nullptr, kPinyinLevel2Syllables[code - kPinyinLevel2First]) << code;
        }
    }
}

TEST(PinyinTableTest, SyllableInventory) {
    size_t entries = 0;
    const std::set<std::string> levelOne = LevelOneSyllables();
    const std::set<std::string> levelTwo = LevelTwoSyllables(&entries);
    std::set<std::string> all = levelOne;
    all.insert(levelTwo.begin(), levelTwo.end());

    std::set<std::string> expected(std::begin(kListedSyllables), std::end(kListedSyllables));
    ASSERT_EQ(399u, expected.size());
    expected.insert("KUAI");
    expected.insert(kLuDiaeresis);
    expected.insert(kNuDiaeresis);
    EXPECT_EQ(402u, all.size());
    EXPECT_EQ(expected, all);

    // Only level-2 characters read these. Unihan reads two level-1
    // characters (2433-2434) as ga, so GA has a level-1 row too.
    std::set<std::string> onlyTwo;
    for (const std::string& s : levelTwo) {
        if (!levelOne.count(s))
            onlyTwo.insert(s);
    }
    EXPECT_EQ((std::set<std::string>{"CEN", "DIA", "M", "N", "NOU", kLuDiaeresis, kNuDiaeresis}), onlyTwo);
    EXPECT_EQ(levelOne.size(), kPinyinLevel1RangeCount);
    EXPECT_EQ("GA", PinyinOfCharacter(2433));

    // Level-1 readings use LU, NU, LUE and NUE, never the letters with
    // diaeresis.
    for (const char* s : {"LU", "NU", "LUE", "NUE"})
        EXPECT_TRUE(levelOne.count(s)) << s;
    EXPECT_FALSE(levelOne.count(kLuDiaeresis));
    EXPECT_FALSE(levelOne.count(kNuDiaeresis));

    // Unihan reads more level-2 characters than the 2,825 of the table the
    // program first shipped with; the generator pins this count.
    EXPECT_EQ(2993u, entries);
}

}  // namespace
}  // namespace Tessar
