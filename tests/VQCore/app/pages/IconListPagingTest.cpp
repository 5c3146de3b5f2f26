// Icon lists: tiles spread over pages, the page bar's tabs and buttons,
// the add tile, removing tiles, paging and the cell layout.
#include <gtest/gtest.h>

#include "VQCore/app/pages/GameIcon.h"
#include "VQCore/app/pages/IconList.h"
#include "VQCore/app/pages/IconListControl.h"
#include "VQCore/app/pages/IconListPage.h"
#include "tests/VQCore/app/TileTestHost.h"

namespace Tessar {
namespace Test {
namespace {

void Fill(VQIconList& list, int count, uint32_t firstId = 1) {
    for (int i = 0; i < count; ++i) ASSERT_TRUE(list.AddTile(MakeTile(firstId + i, L"游戏", kTileInstalled)));
}

int VisibleTabs(VQIconList& list) {
    int visible = 0;
    VQPageTabCtrl* strip = list.GetPageBar()->GetTabStrip();
    for (int i = 0; i < strip->GetCount(); ++i) visible += strip->GetItemAt(i)->IsVisible() ? 1 : 0;
    return visible;
}

bool TabVisible(VQIconList& list, int page) {
    return list.GetPageBar()->GetTabStrip()->GetItemAt(page - 1)->IsVisible();
}

int ShownPage(VQIconList& list) {
    VQContainer* context = reinterpret_cast<VQContainer*>(list.GetContext());
    int shown = 0;
    for (int i = 0; i < context->GetCount(); ++i)
        if (context->GetItemAt(i)->IsVisible()) shown = shown ? -1 : i + 1;
    return shown;
}

TEST(IconListPaging, TilesFillPagesAndTabs) {
    VQTileTestHost host(IconListMarkup(114, L"singlelist", 4, 10));
    VQIconList* list = host.List(114);
    ASSERT_NE(nullptr, list);
    ASSERT_NE(nullptr, list->GetPageBar());
    const struct {
        int tiles, pages;
        bool buttons;
    } steps[] = {{1, 1, false}, {40, 1, false}, {41, 2, true}, {80, 2, true}, {81, 3, true}};
    int added = 0;
    for (const auto& step : steps) {
        Fill(*list, step.tiles - added, added + 1);
        added = step.tiles;
        EXPECT_EQ(step.pages, list->GetPageCount()) << step.tiles;
        EXPECT_EQ(step.pages, list->GetPageBar()->GetTabCount()) << step.tiles;
        EXPECT_EQ(step.buttons, list->GetPageBar()->GetPreviousButton()->IsVisible()) << step.tiles;
        EXPECT_EQ(step.buttons, list->GetPageBar()->GetNextButton()->IsVisible()) << step.tiles;
    }
    EXPECT_EQ(1, list->GetCurrentPage()) << "the first page shows itself";
    EXPECT_EQ(1, ShownPage(*list));
    EXPECT_EQ(40u, IdsOnPage(*list, 1).size());
    EXPECT_EQ(41u, IdsOnPage(*list, 2)[0]);
    EXPECT_EQ(3, list->PageOfTile(list->GetTiles()[80]));
    EXPECT_EQ(1, list->PageOfTile(list->GetTiles()[39]));
}

TEST(IconListPaging, PagingClampsAndShowsOnePage) {
    VQTileTestHost host(IconListMarkup(114, L"singlelist", 4, 10));
    VQIconList* list = host.List(114);
    Fill(*list, 95);
    const struct {
        const char* name;
        void (VQIconList::*op)();
        int page;
    } steps[] = {{"next", &VQIconList::ShowNextPage, 2},         {"next", &VQIconList::ShowNextPage, 3},
                 {"next past the end", &VQIconList::ShowNextPage, 3}, {"previous", &VQIconList::ShowPreviousPage, 2},
                 {"first", &VQIconList::ShowFirstPage, 1},       {"previous before the start", &VQIconList::ShowPreviousPage, 1},
                 {"last", &VQIconList::ShowLastPage, 3}};
    for (const auto& step : steps) {
        (list->*step.op)();
        EXPECT_EQ(step.page, list->GetCurrentPage()) << step.name;
        EXPECT_EQ(step.page, ShownPage(*list)) << step.name;
    }
    list->ShowPageAt(-5);
    EXPECT_EQ(1, list->GetCurrentPage());
    list->ShowPageAt(99);
    EXPECT_EQ(3, list->GetCurrentPage());
}

TEST(IconListPaging, ClickingATabShowsItsPage) {
    VQTileTestHost host(IconListMarkup(114, L"singlelist", 4, 10));
    VQIconList* list = host.List(114);
    Fill(*list, 95);
    list->GetPageBar()->GetTabStrip()->SelectItem(2);
    EXPECT_EQ(3, list->GetCurrentPage());
    EXPECT_EQ(3, ShownPage(*list));
}

TEST(IconListPaging, TwentyPagesShowNineTabsAtATime) {
    VQTileTestHost host(IconListMarkup(114, L"singlelist", 1, 2));
    VQIconList* list = host.List(114);
    Fill(*list, 40);
    ASSERT_EQ(20, list->GetPageCount());
    EXPECT_EQ(9, VisibleTabs(*list));
    EXPECT_TRUE(TabVisible(*list, 1));
    EXPECT_FALSE(TabVisible(*list, 10));
    list->ShowPageAt(11);  // page 12
    EXPECT_EQ(12, list->GetCurrentPage());
    EXPECT_TRUE(TabVisible(*list, 12));
    EXPECT_EQ(9, VisibleTabs(*list));
    list->ShowPageAt(19);
    EXPECT_TRUE(TabVisible(*list, 20));
    list->ShowFirstPage();
    EXPECT_TRUE(TabVisible(*list, 1));
    EXPECT_EQ(9, VisibleTabs(*list));
}

TEST(IconListPaging, AddTileStaysLast) {
    VQTileTestHost host(IconListMarkup(120, L"installlist", 2, 2));
    VQIconList* list = host.List(120);
    list->AddAddTile();
    ASSERT_TRUE(list->HasAddTile());
    EXPECT_EQ(L"添加游戏", list->GetTiles().back()->GetText());
    EXPECT_EQ(177, list->GetTiles().back()->GetId());
    const struct {
        uint32_t id;
        std::vector<std::vector<uint32_t>> pages;
    } steps[] = {
        {1, {{1, 0}}},
        {2, {{1, 2, 0}}},
        {3, {{1, 2, 3, 0}}},
        {4, {{1, 2, 3, 4}, {0}}},
        {5, {{1, 2, 3, 4}, {5, 0}}},
    };
    for (const auto& step : steps) {
        ASSERT_TRUE(list->AddTile(MakeTile(step.id, L"游戏", kTileInstalled)));
        ASSERT_EQ(static_cast<int>(step.pages.size()), list->GetPageCount()) << step.id;
        for (size_t p = 0; p < step.pages.size(); ++p)
            EXPECT_EQ(step.pages[p], IdsOnPage(*list, static_cast<int>(p) + 1)) << "after " << step.id << " page " << p + 1;
        EXPECT_TRUE(list->GetTiles().back()->IsAddTile()) << step.id;
    }
    EXPECT_FALSE(list->RemoveTile(list->GetTiles().back(), true)) << "the add tile stays";
}

TEST(IconListPaging, RemovingPullsTilesForwardAndDropsEmptyPages) {
    VQTileTestHost host(IconListMarkup(120, L"installlist", 4, 10));
    VQIconList* list = host.List(120);
    Fill(*list, 41);
    ASSERT_EQ(2, list->GetPageCount());
    VQGameIcon* third = list->GetTiles()[2];
    ASSERT_TRUE(list->RemoveTile(third, true));
    EXPECT_EQ(1, list->GetPageCount());
    EXPECT_EQ(1, list->GetPageBar()->GetTabCount());
    EXPECT_FALSE(list->GetPageBar()->GetPreviousButton()->IsVisible());
    EXPECT_FALSE(list->GetPageBar()->GetNextButton()->IsVisible());
    std::vector<uint32_t> page1 = IdsOnPage(*list, 1);
    ASSERT_EQ(40u, page1.size());
    EXPECT_EQ(41u, page1.back()) << "the first tile of page 2 moved onto page 1";
    EXPECT_EQ(4u, page1[2]);
    EXPECT_EQ(1, list->GetCurrentPage()) << "page 1 stays shown";
    EXPECT_EQ(1, ShownPage(*list));
    // The delayed clean-up deletes the tile once the window handles it.
    host.PumpUntil([] { return false; }, 50);
}

TEST(IconListPaging, RemovingTheShownLastPageShowsTheNewLast) {
    VQTileTestHost host(IconListMarkup(119, L"downloadlist", 1, 2));
    VQIconList* list = host.List(119);
    Fill(*list, 3);
    list->ShowLastPage();
    ASSERT_EQ(2, list->GetCurrentPage());
    ASSERT_TRUE(list->RemoveTile(list->GetTiles()[0], true));
    EXPECT_EQ(1, list->GetPageCount());
    EXPECT_EQ(1, list->GetCurrentPage());
    EXPECT_EQ(1, ShownPage(*list));
}

TEST(IconListPaging, RemoveTileOnlyOnInstalledAndDownloads) {
    for (int id : {113, 114, 121, 122}) {
        VQTileTestHost host(IconListMarkup(id, L"list", 4, 10));
        VQIconList* list = host.List(id);
        Fill(*list, 2);
        EXPECT_FALSE(list->RemoveTile(list->GetTiles()[0], true)) << id;
        EXPECT_EQ(2, list->GetTileCount()) << id;
    }
}

TEST(IconListPaging, RemoveAllTilesEmptiesEverything) {
    VQTileTestHost host(IconListMarkup(122, L"searchlist", 4, 10));
    VQIconList* list = host.List(122);
    Fill(*list, 50);
    list->RemoveAllTiles();
    EXPECT_EQ(0, list->GetTileCount());
    EXPECT_EQ(0, list->GetPageCount());
    EXPECT_EQ(0, list->GetCurrentPage());
    EXPECT_EQ(0, list->GetPageBar()->GetTabCount());
    EXPECT_FALSE(list->GetPageBar()->GetNextButton()->IsVisible());
    Fill(*list, 3);
    EXPECT_EQ(1, list->GetPageCount());
    EXPECT_EQ(1, list->GetCurrentPage());
}

TEST(IconListPaging, NonTilesAreRefused) {
    VQTileTestHost host(IconListMarkup(114, L"singlelist", 4, 10));
    VQControl plain;
    EXPECT_FALSE(host.List(114)->AddTile(&plain));
    EXPECT_FALSE(host.List(114)->AddTile(nullptr));
    EXPECT_EQ(0, host.List(114)->GetTileCount());
}

TEST(IconListPaging, CellsFollowTheGridAndHiddenTilesKeepTheirIndex) {
    VQTileTestHost host(IconListMarkup(114, L"singlelist", 4, 3));
    VQIconList* list = host.List(114);
    Fill(*list, 7);
    list->GetTiles()[1]->SetVisible(false);
    host.Paint();
    VQIconListPage* page = list->GetCurrentPageControl();
    ASSERT_NE(nullptr, page);
    const RECT pageRect = page->GetPos();
    // 92 x 97 cells, column spacing -1, line spacing 12, inset 20 on the
    // left. The hidden tile 1 takes no cell, so tile 2 sits in column 1,
    // but the row still breaks after index 2.
    auto at = [&](int column, int row) {
        return RECT{pageRect.left + 20 + 91 * column, pageRect.top + 109 * row, pageRect.left + 20 + 91 * column + 92,
                    pageRect.top + 109 * row + 97};
    };
    const struct {
        int index, cellColumn, cellRow, tileColumn, tileRow;
    } cases[] = {{0, 0, 0, 0, 0}, {2, 2, 0, 1, 0}, {3, 0, 1, 0, 1}, {6, 0, 2, 0, 2}};
    for (const auto& c : cases) {
        const RECT cell = page->GetCellRect(c.index), wantCell = at(c.cellColumn, c.cellRow);
        EXPECT_TRUE(EqualRect(&wantCell, &cell)) << c.index;
        const RECT tile = list->GetTiles()[c.index]->GetPos(), wantTile = at(c.tileColumn, c.tileRow);
        EXPECT_TRUE(EqualRect(&wantTile, &tile)) << "tile " << c.index << " at " << tile.left << "," << tile.top;
    }
    const RECT empty = page->GetCellRect(-1);
    EXPECT_TRUE(IsRectEmpty(&empty));
}

TEST(IconListPaging, RelayoutPutsHiddenTilesOnNoPage) {
    VQTileTestHost host(IconListMarkup(114, L"singlelist", 1, 2));
    VQIconList* list = host.List(114);
    Fill(*list, 5);
    list->GetTiles()[0]->SetVisible(false);
    list->GetTiles()[3]->SetVisible(false);
    list->Relayout();
    EXPECT_EQ(2, list->GetPageCount());
    EXPECT_EQ((std::vector<uint32_t>{2, 3}), IdsOnPage(*list, 1));
    EXPECT_EQ((std::vector<uint32_t>{5}), IdsOnPage(*list, 2));
    EXPECT_EQ(list, list->GetTiles()[0]->GetParent());
    EXPECT_EQ(5, list->GetTileCount());
}

TEST(IconListPaging, HiddenPageStopsItsTimers) {
    VQTileTestHost host(IconListMarkup(119, L"downloadlist", 1, 2));
    VQIconList* list = host.List(119);
    VQGameIcon* first = MakeTile(1, L"甲", kTileDownloading);
    VQGameIcon* third = MakeTile(3, L"丙", kTileWaiting);
    ASSERT_TRUE(list->AddTile(first));
    ASSERT_TRUE(list->AddTile(MakeTile(2, L"乙", kTileInstalled)));
    ASSERT_TRUE(list->AddTile(third));
    EXPECT_TRUE(first->IsStateTimerRunning());
    list->ShowNextPage();
    EXPECT_FALSE(first->IsStateTimerRunning()) << "page 1 is hidden";
    EXPECT_TRUE(third->IsStateTimerRunning());
    list->SetVisible(false);
    EXPECT_FALSE(third->IsStateTimerRunning());
    list->SetVisible(true);
    EXPECT_TRUE(third->IsStateTimerRunning());
}

}  // namespace
}  // namespace Test
}  // namespace Tessar

namespace Tessar {
namespace Test {
namespace {

TEST(IconListPaging, PreviousAndNextButtonsTurnPages) {
    VQTileTestHost host(IconListMarkup(114, L"singlelist", 1, 2));
    VQIconList* list = host.List(114);
    for (uint32_t id = 1; id <= 5; ++id) ASSERT_TRUE(list->AddTile(MakeTile(id, L"游戏", kTileInstalled)));
    host.Paint();
    VQIconListControl* bar = list->GetPageBar();
    const struct {
        VQControl* button;
        int page;
    } clicks[] = {{bar->GetNextButton(), 2}, {bar->GetNextButton(), 3}, {bar->GetNextButton(), 3},
                  {bar->GetPreviousButton(), 2}};
    for (const auto& click : clicks) {
        host.m_notes.clear();
        const RECT rc = click.button->GetPos();
        VQEvent down;
        down.type = EventLButtonDown;
        down.mouse = POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
        click.button->OnLButtonDown(down);
        VQEvent up = down;
        up.type = EventLButtonUp;
        click.button->OnLButtonUp(up);
        EXPECT_EQ(click.page, list->GetCurrentPage());
        // The selected page tab is told the mouse rests on it (the window shows its page tip).
        bool hover = false;
        for (const VQNotifyMsg& note : host.m_notes)
            hover = hover || (note.type == NotifyMouseHover && note.sender == bar->GetTabStrip()->GetSelectedItem());
        EXPECT_TRUE(hover) << click.page;
    }
}

TEST(IconListPaging, AddTileImagesFollowTheList) {
    VQTileTestHost host(IconListMarkup(120, L"installlist", 2, 5));
    VQIconList* list = host.List(120);
    list->AddAddTile();
    VQGameIcon* add = list->GetTiles().back();
    list->SetAttribute(L"addhotimage", L"res='514' restype='PNG' source='48,0,96,48'");
    EXPECT_EQ(L"res='514' restype='PNG' source='48,0,96,48'", add->m_stateImages[ImageHot]);
    EXPECT_EQ(L"res='514' restype='PNG' source='48,0,96,48'", list->GetAddHotImage());
}

}  // namespace
}  // namespace Test
}  // namespace Tessar

namespace Tessar {
namespace Test {
namespace {

TEST(IconListPaging, OddSkinNumbersStillPage) {
    const struct {
        const wchar_t* rows;
        const wchar_t* columns;
        int pages;  // for 5 tiles
    } cases[] = {{L"0", L"0", 5}, {L"-3", L"2", 3}, {L"100000", L"100000", 1}, {L"abc", L"4", 2}};
    for (const auto& c : cases) {
        VQTileTestHost host(L"<IconList id=\"114\" numberofrow=\"" + std::wstring(c.rows) + L"\" numberofcolumn=\"" +
                            c.columns + L"\" itemwidth=\"-92\" itemheight=\"97\" pageinset=\"x\" />");
        VQIconList* list = host.List(114);
        ASSERT_NE(nullptr, list);
        for (uint32_t id = 1; id <= 5; ++id) ASSERT_TRUE(list->AddTile(MakeTile(id, L"游戏", kTileInstalled)));
        host.Paint();
        EXPECT_EQ(c.pages, list->GetPageCount()) << c.rows << "x" << c.columns;
        EXPECT_GE(list->PageOfTile(list->GetTiles()[4]), 1);
    }
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
