// Tiles moving after a drop on the installed games page, in a shown window
// of the main layout: the new order at once, each moving tile floating
// from its old cell to its new one under the toolkit's motion timer, the
// count of moving tiles, and every tile in its cell at the end on the
// page it was on.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "VQCore/app/pages/GameIcon.h"
#include "VQCore/app/pages/IconList.h"
#include "VQCore/app/pages/IconListPage.h"
#include "VQCore/app/mainwindow/TileMoves.h"
#include "tests/VQCore/app/MotionTestHost.h"
#include "tests/ui/WindowInput.h"
#include "ui/PaintManager.h"

namespace Tessar {
namespace Test {
namespace {

using Bench::DemoGameName;
using Bench::MakeDemoTile;

TEST(TileMoves, PlanGivesTheNewOrderAndTheCountOfMovingTiles) {
    const struct {
        const char* name;
        int count, from, to;
        bool swap;
        int moved;
        std::vector<int> order;
    } cases[] = {
        {"swap", 5, 0, 4, true, 2, {4, 1, 2, 3, 0}},
        {"move forward", 5, 1, 3, false, 3, {0, 2, 3, 1, 4}},
        {"move back", 5, 3, 0, false, 4, {3, 0, 1, 2, 4}},
        {"next place", 5, 2, 3, false, 2, {0, 1, 3, 2, 4}},
        {"same place", 5, 2, 2, false, 0, {0, 1, 2, 3, 4}},
        {"swap with itself", 5, 2, 2, true, 0, {0, 1, 2, 3, 4}},
        {"target past the end", 5, 1, 5, false, 0, {0, 1, 2, 3, 4}},
        {"negative source", 5, -1, 2, true, 0, {0, 1, 2, 3, 4}},
    };
    for (const auto& c : cases) {
        std::vector<int> order;
        EXPECT_EQ(c.moved, PlanTileMove(c.count, c.from, c.to, c.swap, order)) << c.name;
        EXPECT_EQ(c.order, order) << c.name;
    }
}

std::vector<VQControl*> PageItems(VQIconListPage* page) {
    std::vector<VQControl*> items;
    for (int i = 0; i < page->GetCount(); ++i) items.push_back(page->GetItemAt(i));
    return items;
}

TEST(TileMoves, DroppedTilesFloatToTheirNewCells) {
    VQMotionTestHost host;
    ASSERT_TRUE(host.IsBuilt());
    VQIconList* list = host.List(IdInstalledList);
    ASSERT_NE(nullptr, list);
    for (uint32_t id = 1; id <= 45; ++id) {
        VQGameIcon* tile = MakeDemoTile(id, DemoGameName(id), kTileInstalled);
        ASSERT_TRUE(list->AddTile(tile));
    }
    list->AddAddTile();
    const int capacity = list->GetPageCapacity();
    ASSERT_EQ(2, list->GetPageCount());  // 30 a page: 30 and 15 + the add tile
    host.ShowPage(0);
    host.Show();
    const struct {
        const char* name;
        int page;  // 0-based page the drop happens on
        bool onto;
        int from, target;
        int moving;              // tiles that move
        std::vector<int> front;  // old page indexes of the first places after the drop
    } cases[] = {
        {"onto another tile: the two change places", 0, true, 2, 7, 2, {0, 1, 7, 3, 4, 5, 6, 2}},
        {"between tiles, forward: those between close up", 0, false, 1, 5, 5, {0, 2, 3, 4, 5, 1}},
        {"between tiles, back across a row", 0, false, 12, 3, 10, {0, 1, 2, 12, 3, 4, 5, 6, 7, 8, 9, 10, 11}},
        {"past the end of the last page: before the add tile", 1, false, 0, 99, 15,
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 0, 15}},
        {"onto the add tile: nothing", 1, true, 3, 15, 0, {0, 1, 2, 3}},
    };
    for (const auto& c : cases) {
        list->ShowPageAt(c.page);
        ASSERT_TRUE(PumpUntil([&] { return list->GetCurrentPage() == c.page + 1; }, kMotionTimeout)) << c.name;
        auto* page = static_cast<VQIconListPage*>(list->GetCurrentPageControl());
        ASSERT_NE(nullptr, page) << c.name;
        PumpPending();
        const std::vector<VQControl*> before = PageItems(page);
        std::vector<RECT> cells;
        for (size_t i = 0; i < before.size(); ++i) cells.push_back(page->GetCellRect(static_cast<int>(i)));
        const int endedBefore = host.ended;
        host.ClearSteps();
        VQControl* dragged = before[c.from];
        const RECT draggedFrom = dragged->GetPos();

        // As the page reports a drop.
        host.Manager().SendNotify(page, c.onto ? NotifyTileDroppedOnto : NotifyTileDroppedBetween,
                                  static_cast<WPARAM>(c.from), static_cast<LPARAM>(c.target));
        EXPECT_EQ(c.moving, host.Moves().GetMovingCount()) << c.name;
        // The page and the list take the new order at once.
        const std::vector<VQControl*> after = PageItems(page);
        ASSERT_EQ(before.size(), after.size()) << c.name;
        for (size_t i = 0; i < c.front.size(); ++i)
            EXPECT_EQ(before[c.front[i]], after[i]) << c.name << " place " << i;
        const std::vector<VQGameIcon*>& tiles = list->GetTiles();
        for (size_t i = 0; i < after.size(); ++i)
            EXPECT_EQ(after[i], tiles[c.page * capacity + i]) << c.name << " list place " << i;
        int floating = 0;
        for (size_t i = 0; i < after.size(); ++i) {
            if (!after[i]->IsAbsFloat()) continue;
            ++floating;
            // From where it stood to its new cell.
            EXPECT_EQ(cells[i].left, after[i]->m_motionTargetX) << c.name << " place " << i;
            EXPECT_EQ(cells[i].top, after[i]->m_motionTargetY) << c.name << " place " << i;
        }
        EXPECT_EQ(c.moving, floating) << c.name;
        if (c.moving == 0) continue;

        // On its way the dragged tile is neither where it was nor where it goes.
        const size_t draggedPlace = std::find(after.begin(), after.end(), dragged) - after.begin();
        const RECT draggedTo = cells[draggedPlace];
        const bool seen = host.PumpEachUntil(
            [&] {
                const RECT now = dragged->GetPos();
                return host.Moves().GetMovingCount() > 0 && !SameRect(now, draggedFrom) && !SameRect(now, draggedTo);
            },
            kMotionTimeout);
        EXPECT_TRUE(seen) << c.name << ": the dragged tile was not seen on its way";
        ASSERT_TRUE(PumpUntil([&] { return host.Moves().GetMovingCount() == 0; }, kMotionTimeout)) << c.name;
        EXPECT_EQ(endedBefore + 1, host.ended) << c.name;
        // Every tile in its cell, back in the page's flow; the list still
        // shows the page of the drop; each moving tile sent its last step once.
        EXPECT_TRUE(PumpUntil(
            [&] {
                for (size_t i = 0; i < after.size(); ++i)
                    if (!SameRect(after[i]->GetPos(), cells[i])) return false;
                return true;
            },
            kMotionTimeout))
            << c.name;
        for (size_t i = 0; i < after.size(); ++i) {
            EXPECT_FALSE(after[i]->IsAbsFloat()) << c.name << " place " << i;
            const bool moved = i < c.front.size() && c.front[i] != static_cast<int>(i);
            EXPECT_EQ(moved ? 1 : 0, host.StepsFrom(after[i])) << c.name << " place " << i;
        }
        EXPECT_EQ(c.page + 1, list->GetCurrentPage()) << c.name;
        EXPECT_TRUE(page->IsVisible()) << c.name;
    }
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
