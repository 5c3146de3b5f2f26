#include "VQCore/gamelib/QueryData.h"

#include "common/CodePage.h"
#include "common/PathText.h"
#include "common/ScrambledXmlFile.h"
#include "common/XmlElement.h"
#include "tests/support/TempFolder.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace Tessar {
namespace {

struct Field {
    const char* name;
    std::wstring text;
};

// One catalogue record: its fields in the order given.
using Record = std::vector<Field>;

Record Game(int id, const std::wstring& name, int publish = 1) {
    return {{"ID", std::to_wstring(id)}, {"GameName", name}, {"Publish", std::to_wstring(publish)}};
}

bool WriteCatalogue(const std::wstring& path, const std::vector<Record>& records) {
    TiXmlDocument document;
    TiXmlElement* database = AddElement(&document, L"DATABASE");
    for (const Record& record : records) {
        TiXmlElement* game = AddElement(database, L"GAME");
        for (const Field& field : record) {
            TiXmlElement* element = AddElement(game, MakeWideString(field.name));
            AddElementText(element, field.text);
        }
    }
    return SaveScrambledXmlFile(document, path);
}

std::vector<VQSearchSourceGame> Games(const std::vector<std::pair<int, std::wstring>>& list) {
    std::vector<VQSearchSourceGame> games;
    for (const auto& g : list)
        games.push_back({g.first, g.second, true});
    return games;
}

std::vector<uint32_t> AllIds(const std::wstring& index) {
    VQQueryData query;
    std::vector<uint32_t> ids;
    EXPECT_TRUE(query.SearchIds(index, L"", ids));
    std::sort(ids.begin(), ids.end());
    return ids;
}

std::vector<int32_t> IdsOf(const std::vector<VQSearchResult>& results) {
    std::vector<int32_t> ids;
    for (const VQSearchResult& r : results)
        ids.push_back(r.id);
    return ids;
}

// The stored spelling of one game, read straight from the index file.
std::string StoredSpell(const std::wstring& index, int id) {
    SqliteConnection connection = {};
    if (!SqliteOpen(connection, WideToUtf8(index).c_str()))
        return "<no index>";
    SqliteResult result = {};
    const std::string statement = "select spell from GAME_NAME_SPELL where id = " + std::to_string(id) + ";";
    std::string spell = "<no row>";
    if (SqliteQuery(connection, statement.c_str(), result) == 1 && SqliteResultText(result, 1, 0))
        spell = SqliteResultText(result, 1, 0);
    SqliteFreeResult(result);
    SqliteRelease(connection);
    return spell;
}

class QueryDataTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(temp.Path().empty());
        catalogue = temp.PathOf(L"database.vqx");
        index = temp.PathOf(L"search.vqs");
    }
    VQTempFolder temp;
    std::wstring catalogue;
    std::wstring index;
};

TEST_F(QueryDataTest, BuildsFromTheCatalogueFile) {
    const std::vector<Record> records = {
        Game(1, L"中国人 2"),
        Game(2, L"仙剑奇侠传", 0),                 // not published
        Game(40001, L"游戏工具"),                  // a game tool
        Game(49999, L"工具二"),
        Game(50001, L"小游戏"),                    // Flash game: kept
        Game(123456, L"不知道"),                    // outside every band: kept
        {{"GameName", L"倒序"}, {"Publish", L"1"}, {"ID", L"7"}},  // any order
        {{"ID", L"8"}, {"GameName", L"缺少发布"}},                 // no Publish
        {{"ID", L"9"}, {"Other", L"x"}, {"Publish", L"2"}, {"GameName", L"多余字段"}},
    };
    ASSERT_TRUE(WriteCatalogue(catalogue, records));
    {
        VQQueryData builder;
        ASSERT_TRUE(builder.RebuildIndex(index, catalogue));
        EXPECT_EQ(catalogue, builder.GetPath());
        EXPECT_EQ(nullptr, builder.GetDocument());
    }
    EXPECT_EQ((std::vector<uint32_t>{1, 7, 9, 50001, 123456}), AllIds(index));
    EXPECT_EQ("zhongguoren 2", StoredSpell(index, 1));

    VQQueryData query;
    std::vector<VQSearchResult> results;
    ASSERT_TRUE(query.Search(index, L"中国", results));
    ASSERT_EQ(1u, results.size());
    EXPECT_EQ(1, results[0].id);
    EXPECT_EQ(L"中国人 2", results[0].name);
}

TEST_F(QueryDataTest, ReadsTheCatalogueRecords) {
    TiXmlDocument document;
    document.Parse(
        "<MD5>x</MD5><DATABASE>"
        "<A><ID>5</ID><Publish>1</Publish><GameName>abc</GameName></A>"
        "<B><ID>6</ID><ID>60</ID><GameName>two ids</GameName></B>"
        "<C><ID><X/></ID><GameName>bad id</GameName><Publish>1</Publish></C>"
        "<D><GameName>late</GameName><Publish>0</Publish><ID>11</ID><ID>12</ID></D>"
        "</DATABASE>");
    ASSERT_FALSE(document.Error());
    std::vector<VQSearchSourceGame> games;
    ReadCatalogueGames(&document, games);
    ASSERT_EQ(3u, games.size());
    EXPECT_EQ(5, games[0].id);
    EXPECT_EQ(L"abc", games[0].name);
    EXPECT_TRUE(games[0].published);
    // Three readable fields end a record, whichever they are.
    EXPECT_EQ(60, games[1].id);
    EXPECT_FALSE(games[1].published);
    EXPECT_EQ(11, games[2].id);
    EXPECT_FALSE(games[2].published);
}

TEST_F(QueryDataTest, MissingCatalogueLeavesTheIndex) {
    ASSERT_TRUE(temp.WriteFile(L"search.vqs", "old index"));
    VQQueryData builder;
    EXPECT_FALSE(builder.RebuildIndex(index, temp.PathOf(L"missing.vqx")));
    EXPECT_EQ("old index", temp.ReadFile(L"search.vqs"));
}

TEST_F(QueryDataTest, FailedBuildLeavesNoIndexBehind) {
    // An unreadable catalogue: the index file made for the build is removed
    // so that the next search builds it again instead of finding nothing.
    ASSERT_TRUE(temp.WriteFile(L"database.vqx", "not a scrambled file"));
    ASSERT_TRUE(temp.WriteFile(L"search.vqs", "old index"));
    VQQueryData builder;
    EXPECT_FALSE(builder.RebuildIndex(index, catalogue));
    EXPECT_FALSE(FileExists(index));
}

TEST_F(QueryDataTest, ReplacesAReadOnlyIndex) {
    ASSERT_TRUE(temp.WriteFile(L"search.vqs", "old index"));
    ASSERT_TRUE(SetFileAttributesW(index.c_str(), FILE_ATTRIBUTE_READONLY));
    VQQueryData builder;
    ASSERT_TRUE(builder.RebuildIndexFromGames(index, Games({{3, L"three"}})));
    EXPECT_EQ((std::vector<uint32_t>{3}), AllIds(index));
}

// A living search object holds neither the file nor a lock: the data
// update can delete the index and a rebuild can replace it, and the object
// then searches the new one.
TEST_F(QueryDataTest, ASearchObjectNeverKeepsTheIndexFromBeingReplacedOrDeleted) {
    VQQueryData builder;
    ASSERT_TRUE(builder.RebuildIndexFromGames(index, Games({{3, L"three"}})));
    VQQueryData query;
    std::vector<VQSearchResult> results;
    ASSERT_TRUE(query.Search(index, L"three", results));
    ASSERT_EQ((std::vector<int32_t>{3}), IdsOf(results));

    VQQueryData other;
    ASSERT_TRUE(other.RebuildIndexFromGames(index, Games({{4, L"four"}, {5, L"five"}})));
    results.clear();
    ASSERT_TRUE(query.Search(index, L"", results));
    EXPECT_EQ((std::vector<int32_t>{4, 5}), IdsOf(results));

    EXPECT_TRUE(DeleteFileW(index.c_str())) << GetLastError();
    EXPECT_FALSE(FileExists(index));
    results.clear();
    EXPECT_FALSE(query.Search(index, L"", results));
}

// Another connection that holds the file open keeps it: the rebuild fails
// and leaves the old index as it was.
TEST_F(QueryDataTest, AnIndexHeldOpenElsewhereIsNotReplaced) {
    VQQueryData builder;
    ASSERT_TRUE(builder.RebuildIndexFromGames(index, Games({{3, L"three"}})));
    SqliteConnection holder = {};
    ASSERT_TRUE(SqliteOpen(holder, WideToUtf8(index).c_str()));
    VQQueryData other;
    EXPECT_FALSE(other.RebuildIndexFromGames(index, Games({{4, L"four"}})));
    SqliteRelease(holder);
    EXPECT_EQ((std::vector<uint32_t>{3}), AllIds(index));
}

TEST_F(QueryDataTest, NeverFillsAnIndexTwice) {
    VQQueryData builder;
    ASSERT_TRUE(builder.RebuildIndexFromGames(index, Games({{3, L"three"}})));
    EXPECT_FALSE(WriteSearchIndex(index, Games({{4, L"four"}})));
    EXPECT_EQ((std::vector<uint32_t>{3}), AllIds(index));
}

TEST_F(QueryDataTest, AnIdMetTwiceKeepsTheFirstGame) {
    VQQueryData builder;
    ASSERT_TRUE(builder.RebuildIndexFromGames(index, Games({{3, L"first"}, {3, L"second"}, {4, L"four"}})));
    VQQueryData query;
    std::vector<VQSearchResult> results;
    ASSERT_TRUE(query.Search(index, L"", results));
    ASSERT_EQ(2u, results.size());
    EXPECT_EQ(L"first", results[0].name);
}

TEST_F(QueryDataTest, IndexWithoutTheTableFailsSearches) {
    ASSERT_TRUE(temp.WriteFile(L"search.vqs", ""));
    VQQueryData query;
    std::vector<VQSearchResult> results;
    std::vector<uint32_t> ids;
    EXPECT_FALSE(query.Search(index, L"a", results));
    EXPECT_FALSE(query.SearchIds(index, L"a", ids));
    EXPECT_TRUE(results.empty());
    EXPECT_TRUE(ids.empty());
}

TEST_F(QueryDataTest, MissingIndexFailsSearches) {
    VQQueryData query;
    std::vector<VQSearchResult> results;
    EXPECT_FALSE(query.Search(index, L"a", results));
    EXPECT_EQ(nullptr, query.GetConnection().handle);
}

TEST_F(QueryDataTest, SearchOrderAndLimits) {
    // 15 games whose names begin with 仙, then games that match otherwise.
    std::vector<std::pair<int, std::wstring>> list;
    for (int i = 1; i <= 15; ++i)
        list.push_back({i, L"仙剑" + std::to_wstring(i)});
    list.push_back({20, L"Xian Online"});   // spelling begins with xian
    list.push_back({21, L"古仙"});          // holds 仙
    VQQueryData builder;
    ASSERT_TRUE(builder.RebuildIndexFromGames(index, Games(list)));

    struct Case {
        const char* name;
        std::wstring text;
        std::vector<VQSearchResult> before;
        std::vector<int32_t> expected;
    } cases[] = {
        {"name prefix: the first ten", L"仙", {}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
        {"listed entries count", L"仙", {{99, L"x"}, {98, L"y"}}, {99, 98, 1, 2, 3, 4, 5, 6, 7, 8}},
        {"a listed game is not repeated", L"仙", {{2, L"x"}}, {2, 1, 3, 4, 5, 6, 7, 8, 9, 10}},
        {"empty text: first ten", L"", {}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
        {"pinyin prefix, any case", L"XIANJIAN1", {}, {1, 10, 11, 12, 13, 14, 15}},
        {"name prefix before substring", L"古", {}, {21}},
        {"prefix then substring", L"仙剑1", {}, {1, 10, 11, 12, 13, 14, 15}},
        {"spelling prefix then name substring", L"gux", {}, {21}},
        {"substring of the spelling", L"ANJIAN2", {}, {2}},
        {"no match", L"无此游戏", {}, {}},
    };
    for (const Case& c : cases) {
        VQQueryData query;
        std::vector<VQSearchResult> results = c.before;
        ASSERT_TRUE(query.Search(index, c.text, results)) << c.name;
        EXPECT_EQ(c.expected, IdsOf(results)) << c.name;
    }

    VQQueryData query;
    std::vector<uint32_t> ids;
    ASSERT_TRUE(query.SearchIds(index, L"仙", ids));
    EXPECT_EQ((std::vector<uint32_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 21}), ids);
    // Name prefix (ASCII case ignored), then spelling prefix, then
    // substrings; each id once, after those already listed.
    ids.assign({7});
    ASSERT_TRUE(query.SearchIds(index, L"xian", ids));
    EXPECT_EQ((std::vector<uint32_t>{7, 20, 1, 2, 3, 4, 5, 6, 8, 9, 10, 11, 12, 13, 14, 15, 21}), ids);
}

TEST_F(QueryDataTest, MatchesByNameAndGivesItOnceAtItsFirstPlace) {
    VQQueryData builder;
    ASSERT_TRUE(builder.RebuildIndexFromGames(index, Games({{1, L"大富翁"}, {2, L"富翁大亨"}, {3, L"超级大富翁"}})));
    VQQueryData query;
    std::vector<VQSearchResult> results;
    ASSERT_TRUE(query.Search(index, L"大富", results));
    EXPECT_EQ((std::vector<int32_t>{1, 3}), IdsOf(results));
    results.clear();
    ASSERT_TRUE(query.Search(index, L"dafu", results));
    EXPECT_EQ((std::vector<int32_t>{1, 3}), IdsOf(results));
    results.clear();
    ASSERT_TRUE(query.Search(index, L"fuweng", results));
    EXPECT_EQ((std::vector<int32_t>{2, 1, 3}), IdsOf(results));
}

TEST_F(QueryDataTest, KeepsTheConnectionForTheSameIndex) {
    const std::wstring other = temp.PathOf(L"other.vqs");
    VQQueryData builder;
    ASSERT_TRUE(builder.RebuildIndexFromGames(index, Games({{1, L"one"}})));
    ASSERT_TRUE(builder.RebuildIndexFromGames(other, Games({{2, L"one too"}})));

    VQQueryData query;
    std::vector<VQSearchResult> results;
    ASSERT_TRUE(query.Search(index, L"one", results));
    sqlite3* first = query.GetConnection().handle;
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(index, query.GetOpenIndexPath());
    EXPECT_EQ(WideToUtf8(index), std::string(query.GetConnection().path));

    ASSERT_TRUE(query.Search(index, L"one", results));
    EXPECT_EQ(first, query.GetConnection().handle);

    results.clear();
    ASSERT_TRUE(query.Search(other, L"one", results));
    EXPECT_EQ(other, query.GetOpenIndexPath());
    EXPECT_EQ(WideToUtf8(other), std::string(query.GetConnection().path));
    EXPECT_EQ((std::vector<int32_t>{2}), IdsOf(results));
}

// Names and search texts reach SQL only as values: quotes, wildcards and
// SQL fragments are matched as text and never change a statement.
TEST_F(QueryDataTest, TextNeverChangesAStatement) {
    const std::wstring longName(300, L'长');
    const std::vector<std::pair<int, std::wstring>> list = {
        {1, L"O'Brien's Game"},
        {2, L"100% Fun"},
        {3, L"a_b"},
        {4, L"x'); drop table GAME_NAME_SPELL; --"},
        {5, L"Robert\"; delete from GAME_NAME_SPELL; --"},
        {6, L"back\\slash"},
        {7, L"plain"},
        {8, longName},
        {9, L"游戏😀"},
    };
    VQQueryData builder;
    ASSERT_TRUE(builder.RebuildIndexFromGames(index, Games(list)));
    ASSERT_EQ((std::vector<uint32_t>{1, 2, 3, 4, 5, 6, 7, 8, 9}), AllIds(index));
    // ASCII stays as it is in the spelling, quotes included.
    EXPECT_EQ("O'Brien's Game", StoredSpell(index, 1));

    struct Case {
        const char* name;
        std::wstring text;
        std::vector<int32_t> expected;
    } cases[] = {
        {"quote", L"'", {1, 4}},
        {"quoted prefix", L"O'Brien", {1}},
        {"percent is text", L"%", {2}},
        {"underscore is text", L"_", {3, 4, 5}},  // 4 and 5 name the table
        {"backslash is text", L"\\", {6}},
        {"double quote", L"\"", {5}},
        {"statement end", L"'; drop table GAME_NAME_SPELL; --", {}},
        {"fragment that is a name", L"x'); drop", {4}},
        {"union", L"' union select 1, 'x', 'y' --", {}},
        {"long name by prefix", std::wstring(200, L'长'), {8}},
        {"outside the code page", L"游戏😀", {9}},
    };
    for (const Case& c : cases) {
        VQQueryData query;
        std::vector<VQSearchResult> results;
        ASSERT_TRUE(query.Search(index, c.text, results)) << c.name;
        EXPECT_EQ(c.expected, IdsOf(results)) << c.name;
        std::vector<uint32_t> ids;
        ASSERT_TRUE(query.SearchIds(index, c.text, ids)) << c.name;
        EXPECT_EQ(c.expected.size(), ids.size()) << c.name;
    }
    // Nothing was dropped or deleted along the way.
    EXPECT_EQ((std::vector<uint32_t>{1, 2, 3, 4, 5, 6, 7, 8, 9}), AllIds(index));
    VQQueryData query;
    std::vector<VQSearchResult> results;
    ASSERT_TRUE(query.Search(index, std::wstring(200, L'长'), results));
    ASSERT_EQ(1u, results.size());
    EXPECT_EQ(longName, results[0].name);
}

TEST(EscapeLikePatternTest, EscapesWildcardsAndTheEscape) {
    EXPECT_EQ("", EscapeLikePattern(""));
    EXPECT_EQ("abc", EscapeLikePattern("abc"));
    EXPECT_EQ("\\%a\\_b\\\\c'", EscapeLikePattern("%a_b\\c'"));
}

TEST(SpellGameNameTest, SpellsInUtf8) {
    struct Case {
        std::wstring name;
        std::string expected;
    } cases[] = {
        {L"", ""},
        {L"Plain Name", "Plain Name"},
        {L"中国人 2", "zhongguoren 2"},
        {L"闾", "l\xC3\xBC"},  // the GB2312 letter \u00fc, as UTF-8
        {L"全角Ａ", "quanjiao?"},
        {L"a\u00e9b", "a?b"},  // outside the code page: no reading
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, SpellGameName(c.name)) << WideToUtf8(c.name);
}

}  // namespace
}  // namespace Tessar
