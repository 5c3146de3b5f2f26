// The search-results page, the page filters, the sort of the installed
// games and the page-switch snapshot.
#include <gtest/gtest.h>

#include <algorithm>

#include "VQCore/app/pages/GameIcon.h"
#include "VQCore/app/pages/IconList.h"
#include "VQCore/app/pages/IconListPage.h"
#include "VQCore/app/pages/PageFilters.h"
#include "bench/CatalogueGenerator.h"
#include "VQCore/gamelib/AppFolder.h"
#include "VQCore/gamelib/AppPaths.h"
#include "tests/VQCore/app/TileTestHost.h"
#include "tests/support/TempFolder.h"
#include "ui/Combo.h"

namespace Tessar {
namespace Test {
namespace {

VQGameRecord Game(uint32_t id, const wchar_t* name, uint8_t type = 1) {
    VQGameRecord record;
    record.ID = id;
    record.GameName = name;
    record.Publish = 1;
    record.Type = type;
    record.Home = L"http://127.0.0.1/";
    return record;
}

std::vector<uint32_t> VisibleIds(VQIconList& list) {
    std::vector<uint32_t> ids;
    for (int page = 1; page <= list.GetPageCount(); ++page)
        for (uint32_t id : IdsOnPage(list, page)) ids.push_back(id);
    return ids;
}

std::wstring SearchMarkup() {
    return L"<Label id=\"175\" height=\"24\" />" + IconListMarkup(122, L"searchlist", 2, 5) +
           IconListMarkup(120, L"installlist", 2, 5) + L"<Combo id=\"178\" height=\"24\"><ComboElement text=\"全部游戏\" />"
           L"<ComboElement text=\"单机游戏\" /><ComboElement text=\"网络游戏\" /></Combo>";
}

class SearchResults : public ::testing::Test {
protected:
    void SetUp() override {
        const std::vector<VQGameRecord> games = {
            Game(11, L"星际争霸"), Game(12, L"星际远征"), Game(20001, L"魔兽世界"), Game(13, L"仙剑奇侠传"),
            Game(50001, L"星空小鸟", 2)};
        ASSERT_TRUE(Bench::WriteSyntheticCatalogue(games, L"1", m_temp.PathOf(L"database.vqx"), nullptr));
    }
    VQTempFolder m_temp;
};

TEST_F(SearchResults, ChineseAndPinyinFindTheirGames) {
    VQTileTestHost host(SearchMarkup());
    ASSERT_TRUE(host.List(120)->AddTile(MakeTile(12, L"星际远征", kTileInstalled)));
    VQPageFilters filters(&host.Manager());
    filters.SetDataPaths(m_temp.PathOf(L"database.vqx"), m_temp.PathOf(L"search.vqs"));
    VQControl* box = host.Manager().FindControlById(175);
    struct Case {
        const wchar_t* text;
        std::vector<uint32_t> ids;
    };
    const Case cases[] = {
        {L"星际", {11, 12}},
        {L"xingji", {11, 12}},
        {L"XingJi", {11, 12}},
        {L"xingjiyuan", {12}},
        {L"魔兽", {20001}},
        {L"星", {11, 12, 50001}},
    };
    for (const Case& c : cases) {
        box->SetText(c.text);
        filters.ShowSearchResults();
        std::vector<uint32_t> ids = VisibleIds(*host.List(122));
        std::sort(ids.begin(), ids.end());
        EXPECT_EQ(c.ids, ids) << "case " << (&c - cases);
        EXPECT_TRUE(host.List(122)->GetText().empty());
        EXPECT_EQ(c.ids.empty() ? 0 : 1, host.List(122)->GetCurrentPage());
    }
    // The installed copy shows as installed on the results.
    box->SetText(L"星际远征");
    filters.ShowSearchResults();
    ASSERT_EQ(1, host.List(122)->GetTileCount());
    EXPECT_EQ(kTileInstalled, static_cast<uint32_t>(host.List(122)->GetTiles()[0]->GetState()));
}

TEST_F(SearchResults, EmptyPlaceholderAndNoMatch) {
    VQTileTestHost host(SearchMarkup());
    VQPageFilters filters(&host.Manager());
    filters.SetDataPaths(m_temp.PathOf(L"database.vqx"), m_temp.PathOf(L"search.vqs"));
    VQControl* box = host.Manager().FindControlById(175);
    VQIconList* results = host.List(122);
    box->SetText(L"仙剑");
    filters.ShowSearchResults();
    ASSERT_EQ(1, results->GetTileCount());

    box->SetText(L"");
    filters.ShowSearchResults();
    EXPECT_EQ(L"请输入游戏名称搜索", box->GetText()) << "the placeholder comes back";
    EXPECT_EQ(1, results->GetTileCount()) << "the results stay";

    filters.ShowSearchResults();
    EXPECT_EQ(1, results->GetTileCount()) << "searching the placeholder does nothing";

    box->SetText(L"不存在的游戏");
    filters.ShowSearchResults();
    EXPECT_EQ(0, results->GetTileCount());
    EXPECT_EQ(L"抱歉！没有找到相关的结果，请尝试其他的关键词。", results->GetText());
}

TEST_F(SearchResults, FailingCatalogueLeavesTheResults) {
    VQTileTestHost host(SearchMarkup());
    VQPageFilters filters(&host.Manager());
    filters.SetDataPaths(m_temp.PathOf(L"database.vqx"), m_temp.PathOf(L"search.vqs"));
    host.Manager().FindControlById(175)->SetText(L"星际");
    filters.ShowSearchResults();
    ASSERT_EQ(2, host.List(122)->GetTileCount());
    filters.SetDataPaths(m_temp.PathOf(L"missing.vqx"), m_temp.PathOf(L"search.vqs"));
    filters.ShowSearchResults();
    EXPECT_EQ(2, host.List(122)->GetTileCount());
}

// Restores the program folder when the test ends, passed or not.
struct AppFolderScope {
    explicit AppFolderScope(const std::wstring& folder) { SetAppFolderOverride(folder); }
    ~AppFolderScope() { SetAppFolderOverride(L""); }
};

TEST_F(SearchResults, ChangedCatalogueAndNewPicturesAreSeen) {
    AppFolderScope appFolder(m_temp.Path());
    m_temp.MakeFolder(L"pic");
    VQTileTestHost host(SearchMarkup());
    VQPageFilters filters(&host.Manager());
    filters.SetDataPaths(m_temp.PathOf(L"database.vqx"), m_temp.PathOf(L"search.vqs"));
    host.Manager().FindControlById(175)->SetText(L"仙剑");
    filters.ShowSearchResults();
    ASSERT_EQ(1, host.List(122)->GetTileCount());
    EXPECT_EQ(L"res='248' restype='PNG'", host.List(122)->GetTiles()[0]->GetIconDescription());

    // A newer catalogue (same id, a longer name) and the game's picture arrive.
    ASSERT_TRUE(Bench::WriteSyntheticCatalogue({Game(13, L"仙剑奇侠传三")}, L"2", m_temp.PathOf(L"database.vqx"), nullptr));
    ASSERT_TRUE(m_temp.WriteFile(L"pic\\00013.vqp", "picture"));
    filters.ShowSearchResults();
    ASSERT_EQ(1, host.List(122)->GetTileCount());
    EXPECT_EQ(L"仙剑奇侠传三", host.List(122)->GetTiles()[0]->GetText());
    EXPECT_EQ(L"file='" + GetGameIconPath(13) + L"' encrypt='true'", host.List(122)->GetTiles()[0]->GetIconDescription());
}

TEST_F(SearchResults, ARebuiltIndexIsSearched) {
    VQTileTestHost host(SearchMarkup());
    VQPageFilters filters(&host.Manager());
    filters.SetDataPaths(m_temp.PathOf(L"database.vqx"), m_temp.PathOf(L"search.vqs"));
    VQControl* box = host.Manager().FindControlById(175);
    box->SetText(L"龙");
    filters.ShowSearchResults();
    EXPECT_EQ(0, host.List(122)->GetTileCount());
    // A data update brings a new game and replaces the index.
    ASSERT_TRUE(Bench::WriteSyntheticCatalogue({Game(14, L"龙之谷"), Game(11, L"星际争霸")}, L"3",
                                               m_temp.PathOf(L"database.vqx"), nullptr));
    ASSERT_TRUE(DeleteFileW(m_temp.PathOf(L"search.vqs").c_str()));
    filters.ShowSearchResults();
    ASSERT_EQ(1, host.List(122)->GetTileCount());
    EXPECT_EQ(L"龙之谷", host.List(122)->GetTiles()[0]->GetText());
}

std::wstring FilterMarkup() {
    return IconListMarkup(114, L"singlelist", 1, 2) + IconListMarkup(113, L"hotlist", 1, 2) +
           IconListMarkup(120, L"installlist", 2, 5) +
           L"<Combo id=\"172\" height=\"24\"><ComboElement text=\"全部游戏\" /><ComboElement text=\"即时战略\" />"
           L"<ComboElement text=\"角色扮演\" /><ComboElement text=\"动作冒险\" /></Combo>"
           L"<Combo id=\"171\" height=\"24\"><ComboElement text=\"全部游戏\" /><ComboElement text=\"单机游戏\" />"
           L"<ComboElement text=\"网络游戏\" /><ComboElement text=\"flash游戏\" /><ComboElement text=\"网页游戏\" /></Combo>"
           L"<Combo id=\"170\" height=\"24\"><ComboElement text=\"默认排序\" /><ComboElement text=\"最近玩过\" />"
           L"<ComboElement text=\"最多次数\" /><ComboElement text=\"最近安装\" /><ComboElement text=\"游戏类型\" /></Combo>";
}

void Select(VQTileTestHost& host, VQPageFilters& filters, int comboId, int index) {
    VQCombo* combo = static_cast<VQCombo*>(host.Manager().FindControlById(comboId)->GetInterface(ControlTypeCombo));
    ASSERT_NE(nullptr, combo);
    combo->SelectItem(index);
    VQNotifyMsg msg;
    msg.type = NotifyItemSelect;
    msg.sender = combo;
    msg.wParam = index;
    filters.OnPageFilterSelected(msg);
}

// Many results: the first page at once, the rest slice by slice; a new
// search drops what the last one had left, and the kind filter sees every
// result.
TEST_F(SearchResults, ResultsBeyondTheFirstPageComeInSlices) {
    std::vector<VQGameRecord> games;
    // Five online games (their kind comes from the id) and twenty single ones.
    for (uint32_t i = 0; i < 25; ++i) games.push_back(Game(i < 5 ? 20001 + i : 100 + i, (L"星际" + std::to_wstring(i)).c_str()));
    ASSERT_TRUE(Bench::WriteSyntheticCatalogue(games, L"4", m_temp.PathOf(L"database.vqx"), nullptr));
    VQTileTestHost host(SearchMarkup());
    VQPageFilters filters(&host.Manager());
    filters.SetDataPaths(m_temp.PathOf(L"database.vqx"), m_temp.PathOf(L"search.vqs"));
    VQControl* box = host.Manager().FindControlById(175);
    VQIconList* results = host.List(122);

    box->SetText(L"星际");
    filters.ShowSearchResults();
    EXPECT_EQ(10, results->GetTileCount()) << "one page of 2 x 5";
    EXPECT_EQ(1, results->GetCurrentPage());
    EXPECT_TRUE(filters.HasPendingResults());
    size_t steps = 0;
    while (filters.FillNextSearchSlice()) ++steps;
    EXPECT_EQ(25, results->GetTileCount());
    EXPECT_FALSE(filters.HasPendingResults());
    EXPECT_EQ(0u, steps) << "15 results fit one slice";
    std::vector<uint32_t> ids = VisibleIds(*results);
    std::sort(ids.begin(), ids.end());
    ASSERT_EQ(25u, ids.size());
    EXPECT_EQ(105u, ids.front());
    EXPECT_EQ(20005u, ids.back());

    // A new search leaves nothing of the old one waiting.
    filters.ShowSearchResults();
    EXPECT_EQ(10, results->GetTileCount());
    box->SetText(L"星际1");
    filters.ShowSearchResults();
    EXPECT_EQ(10, results->GetTileCount());
    EXPECT_FALSE(filters.FillNextSearchSlice()) << "星际1 and 星际10 to 星际19: one left for the slice";
    EXPECT_EQ(11, results->GetTileCount());

    // The kind filter completes the results first: the five online games.
    box->SetText(L"星际");
    filters.ShowSearchResults();
    ASSERT_TRUE(filters.HasPendingResults());
    Select(host, filters, 178, 2);
    EXPECT_FALSE(filters.HasPendingResults());
    EXPECT_EQ(25, results->GetTileCount());
    ids = VisibleIds(*results);
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ((std::vector<uint32_t>{20001, 20002, 20003, 20004, 20005}), ids);
}


TEST(PageFilters, CategoryFilterHidesOtherGenres) {
    VQTileTestHost host(FilterMarkup());
    VQIconList* list = host.List(114);
    const uint32_t categories[] = {1, 2, 1, 3, 1};
    for (uint32_t i = 0; i < 5; ++i) {
        VQGameIcon* tile = MakeTile(i + 1, L"游戏", kTileNotInstalled);
        tile->Data().category = categories[i];
        ASSERT_TRUE(list->AddTile(tile));
    }
    VQPageFilters filters(&host.Manager());
    struct Step {
        int index;
        std::vector<uint32_t> ids;
        int pages;
    };
    const Step steps[] = {{1, {1, 3, 5}, 2}, {2, {2}, 1}, {0, {1, 2, 3, 4, 5}, 3}, {3, {4}, 1}};
    for (const Step& step : steps) {
        Select(host, filters, 172, step.index);
        EXPECT_EQ(step.ids, VisibleIds(*list)) << step.index;
        EXPECT_EQ(step.pages, list->GetPageCount()) << step.index;
        EXPECT_EQ(1, list->GetCurrentPage()) << step.index;
        EXPECT_TRUE(filters.IsPageSwitching());
        ASSERT_NE(nullptr, filters.GetSnapshot());
        EXPECT_EQ(174, filters.GetSnapshot()->GetId());
    }
    EXPECT_EQ(L"动作冒险", host.Manager().FindControlById(172)->GetText());
}

TEST(PageFilters, EmptyFilterHandsTheTabsToTheWindow) {
    VQTileTestHost host(FilterMarkup());
    VQIconList* list = host.List(113);
    ASSERT_TRUE(list->AddTile(MakeTile(5, L"单机", kTileNotInstalled)));
    ASSERT_TRUE(list->AddTile(MakeTile(20005, L"网游", kTileNotInstalled)));
    VQPageFilters filters(&host.Manager());
    int emptyCalls = 0;
    filters.SetEmptyPageHandler([&](VQTabCtrl*) { ++emptyCalls; });
    Select(host, filters, 171, 2);
    EXPECT_EQ(std::vector<uint32_t>{20005}, VisibleIds(*list));
    EXPECT_EQ(0, emptyCalls);
    Select(host, filters, 171, 4);
    EXPECT_TRUE(VisibleIds(*list).empty());
    EXPECT_EQ(1, emptyCalls);
}

TEST(PageFilters, SortModesOrderTheInstalledGames) {
    VQTileTestHost host(FilterMarkup());
    VQIconList* list = host.List(120);
    struct Game {
        uint32_t id;
        int64_t installTime, lastRun;
        uint32_t runs;
    };
    const Game games[] = {{20001, 300, 10, 5}, {3, 100, 30, 1}, {50001, 200, 20, 9}, {90001, 400, 5, 0}, {0, 50, 1, 2}};
    for (const Game& g : games) {
        VQGameIcon* tile = MakeTile(g.id, L"游戏", kTileInstalled);
        tile->Data().installTime = g.installTime;
        tile->Data().lastRunTime = g.lastRun;
        tile->Data().runCount = g.runs;
        ASSERT_TRUE(list->AddTile(tile));
    }
    VQPageFilters filters(&host.Manager());
    const struct {
        int mode;
        std::vector<uint32_t> order;
    } cases[] = {{0, {0, 3, 50001, 20001, 90001}},
                 {1, {3, 50001, 20001, 90001, 0}},
                 {2, {50001, 20001, 0, 3, 90001}},
                 {3, {90001, 20001, 50001, 3, 0}},
                 {4, {0, 3, 20001, 50001, 90001}}};
    for (const auto& c : cases) {
        Select(host, filters, 170, c.mode);
        EXPECT_EQ(c.mode, g_tileSortMode);
        EXPECT_EQ(c.order, VisibleIds(*list)) << "mode " << c.mode;
        ASSERT_NE(nullptr, filters.GetSnapshot());
        EXPECT_FALSE(filters.GetSnapshot()->IsAbsFloat()) << "sorting keeps the snapshot in the flow";
    }
}

TEST(PageFilters, ComparatorModes) {
    VQGameIcon a, b;
    a.Data().runCount = 3;
    b.Data().runCount = 3;
    g_tileSortMode = 2;
    EXPECT_FALSE(CompareTilesForSort(&a, &b)) << "equal counts are not before each other";
    g_tileSortMode = -1;
    EXPECT_TRUE(CompareTilesForSort(&a, &b));
    g_tileSortMode = 9;
    EXPECT_FALSE(CompareTilesForSort(&a, &b));
}

TEST(PageFilters, SnapshotCopiesTheCurrentPage) {
    VQTileTestHost host(FilterMarkup());
    VQIconList* list = host.List(114);
    for (uint32_t id = 1; id <= 3; ++id) ASSERT_TRUE(list->AddTile(MakeTile(id, L"游戏", kTileNotInstalled)));
    list->ShowNextPage();
    host.Paint();
    VQPageFilters filters(&host.Manager());
    filters.SnapshotCurrentPage(list, false);
    VQIconListPage* snapshot = filters.GetSnapshot();
    ASSERT_NE(nullptr, snapshot);
    EXPECT_FALSE(snapshot->IsEnabled());
    ASSERT_EQ(1, snapshot->GetCount());
    VQGameIcon* copy = static_cast<VQGameIcon*>(snapshot->GetItemAt(0)->GetInterface(ControlTypeGameIcon));
    EXPECT_EQ(3u, copy->GetGameId());
    EXPECT_EQ(kTileInstalled, static_cast<uint32_t>(copy->GetState()));
    EXPECT_TRUE(snapshot->IsAbsFloat());
    const RECT page = list->GetCurrentPageControl()->GetPos();
    EXPECT_EQ(page.left, snapshot->GetFixedXY().x);
    EXPECT_EQ(page.right - page.left, snapshot->GetFixedWidth());
    // An empty list still gives a snapshot page, with no tiles.
    VQIconList* empty = host.List(113);
    filters.SnapshotCurrentPage(empty, true);
    ASSERT_NE(nullptr, filters.GetSnapshot());
    EXPECT_EQ(0, filters.GetSnapshot()->GetCount());
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
