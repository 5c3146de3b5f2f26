// A tile under the mouse: the hover tool bar, clicks only on the picture,
// caption rolling, and dragging on the installed games.
#include <gtest/gtest.h>

#include "VQCore/app/pages/GameIcon.h"
#include "VQCore/app/pages/GameIconToolBar.h"
#include "VQCore/app/pages/IconList.h"
#include "VQCore/app/pages/IconListPage.h"
#include "tests/VQCore/app/TileTestHost.h"

namespace Tessar {
namespace Test {
namespace {

VQEvent MouseEvent(int type, POINT pt, VQControl* sender) {
    VQEvent event;
    event.type = type;
    event.mouse = pt;
    event.sender = sender;
    event.timestamp = ::GetTickCount();
    return event;
}

POINT IconCentre(VQGameIcon* tile) {
    const RECT pos = tile->GetPos(), icon = tile->GetIconRect();
    return POINT{pos.left + (icon.left + icon.right) / 2, pos.top + (icon.top + icon.bottom) / 2};
}

struct InstalledPage {
    InstalledPage(int listId = 120)
        : host(IconListMarkup(listId, L"installlist", 2, 5) + ToolBarMarkup()), list(host.List(listId)) {
        for (uint32_t id = 1; id <= 8; ++id) list->AddTile(MakeTile(id, L"游戏", kTileInstalled));
        host.Paint();
    }
    VQGameIcon* Tile(int index) { return list->GetTiles()[index]; }
    const VQNotifyMsg* Note(int type) {
        for (const VQNotifyMsg& note : host.m_notes)
            if (note.type == type) return &note;
        return nullptr;
    }
    // Presses on `from`'s picture and moves the mouse by (dx, dy) in two steps.
    void Drag(VQGameIcon* from, int dx, int dy) {
        const POINT start = IconCentre(from);
        VQEvent down = MouseEvent(EventLButtonDown, start, from);
        from->OnLButtonDown(down);
        VQEvent half = MouseEvent(EventMouseMove, POINT{start.x + dx / 2, start.y + dy / 2}, from);
        from->OnMouseMove(half);
        VQEvent move = MouseEvent(EventMouseMove, POINT{start.x + dx, start.y + dy}, from);
        from->OnMouseMove(move);
        m_end = move.mouse;
    }
    void Drop(VQGameIcon* from) {
        VQEvent up = MouseEvent(EventLButtonUp, m_end, from);
        from->OnLButtonUp(up);
    }
    int PageChildren() { return list->GetCurrentPageControl()->GetCount(); }

    VQTileTestHost host;
    VQIconList* list;
    POINT m_end = {0, 0};
};

TEST(TileInput, DropOntoATile) {
    InstalledPage page;
    VQGameIcon* first = page.Tile(0);
    const int step = page.Tile(1)->GetPos().left - first->GetPos().left;
    page.Drag(first, 2 * step, 0);
    ASSERT_TRUE(first->IsDragging());
    EXPECT_EQ(9, page.PageChildren()) << "the floating copy joined the page";
    EXPECT_EQ(2, first->GetHoveredIndex());
    EXPECT_EQ(-1, first->GetInsertionIndex());
    page.host.m_notes.clear();
    page.Drop(first);
    EXPECT_FALSE(first->IsDragging());
    EXPECT_EQ(8, page.PageChildren()) << "the floating copy is gone";
    const VQNotifyMsg* note = page.Note(NotifyTileDroppedOnto);
    ASSERT_NE(nullptr, note);
    EXPECT_EQ(page.list->GetCurrentPageControl(), note->sender);
    EXPECT_EQ(0u, note->wParam);
    EXPECT_EQ(2, note->lParam);
    EXPECT_EQ(nullptr, page.Note(NotifyTileDroppedBetween));
}

TEST(TileInput, DropBetweenTiles) {
    InstalledPage page;
    VQGameIcon* first = page.Tile(0);
    const int step = page.Tile(1)->GetPos().left - first->GetPos().left;
    // The dragged picture's left edge just left of tile 3's picture: the gap before tile 3.
    page.Drag(first, 3 * step - 43, 0);
    EXPECT_EQ(2, first->GetInsertionIndex());
    EXPECT_EQ(-1, first->GetHoveredIndex());
    // The neighbours of the insertion point step aside by two pixels.
    const RECT cell2 = page.list->GetCurrentPageControl()->GetCellRect(2);
    EXPECT_EQ(cell2.left - 2, page.Tile(2)->GetPos().left);
    page.host.m_notes.clear();
    page.Drop(first);
    const VQNotifyMsg* note = page.Note(NotifyTileDroppedBetween);
    ASSERT_NE(nullptr, note);
    EXPECT_EQ(0u, note->wParam);
    EXPECT_EQ(2, note->lParam);
    EXPECT_EQ(cell2.left, page.Tile(2)->GetPos().left) << "back in its cell";
}

TEST(TileInput, DropOnNothingSendsNothing) {
    InstalledPage page;
    VQGameIcon* first = page.Tile(0);
    page.Drag(first, 0, 400);
    page.host.m_notes.clear();
    page.Drop(first);
    EXPECT_EQ(nullptr, page.Note(NotifyTileDroppedOnto));
    EXPECT_EQ(nullptr, page.Note(NotifyTileDroppedBetween));
}

TEST(TileInput, NoDragOutsideTheInstalledGames) {
    InstalledPage page(114);
    VQGameIcon* first = page.Tile(0);
    const int step = page.Tile(1)->GetPos().left - first->GetPos().left;
    page.Drag(first, 2 * step, 0);
    EXPECT_FALSE(first->IsDragging());
    EXPECT_EQ(8, page.PageChildren());
}

TEST(TileInput, ClickOnlyOnThePicture) {
    InstalledPage page;
    VQGameIcon* tile = page.Tile(1);
    const RECT pos = tile->GetPos();
    const struct {
        const char* name;
        POINT pt;
        bool click;
    } cases[] = {{"picture", IconCentre(tile), true}, {"caption", POINT{pos.left + 46, pos.top + 70}, false},
                 {"corner", POINT{pos.left + 2, pos.top + 2}, false}};
    for (const auto& c : cases) {
        page.host.m_notes.clear();
        VQEvent down = MouseEvent(EventLButtonDown, c.pt, tile);
        tile->OnLButtonDown(down);
        EXPECT_EQ(c.click, (tile->m_state & StatePushed) != 0) << c.name;
        VQEvent up = MouseEvent(EventLButtonUp, c.pt, tile);
        tile->OnLButtonUp(up);
        const VQNotifyMsg* click = page.Note(NotifyClick);
        EXPECT_EQ(c.click, click != nullptr) << c.name;
        if (click) {
            EXPECT_EQ(tile, click->sender);
        }
        EXPECT_EQ(0u, tile->m_state & (StatePushed | StatePressed)) << c.name;
    }
}

TEST(TileInput, HoverShowsTheToolBarAndLeavingHidesIt) {
    VQTileTestHost host(IconListMarkup(114, L"singlelist", 2, 5) + ToolBarMarkup());
    VQIconList* list = host.List(114);
    VQGameIcon* tile = MakeTile(5, L"一个名字很长很长很长的游戏", kTileNotInstalled);
    ASSERT_TRUE(list->AddTile(tile));
    host.Paint();
    VQGameIconToolBar* bar =
        static_cast<VQGameIconToolBar*>(host.Manager().FindControlById(179)->GetInterface(ControlTypeGameIconToolBar));
    const RECT pos = tile->GetPos();
    VQEvent enter = MouseEvent(EventMouseEnter, POINT{pos.left + 46, pos.top + 70}, tile);
    tile->OnMouseEnter(enter);
    EXPECT_TRUE(bar->IsVisible());
    EXPECT_EQ(tile, bar->GetTile());
    EXPECT_EQ(pos.left + 4, bar->GetPos().left);
    EXPECT_EQ(pos.top + 77, bar->GetPos().top);
    EXPECT_TRUE(tile->IsRolling()) << "the mouse is over the caption";
    host.Paint();
    ASSERT_TRUE(host.PumpUntil([&] { return tile->GetRollOffset() >= 2; }));
    VQEvent leave = MouseEvent(EventMouseLeave, POINT{pos.left - 20, pos.top}, tile);
    tile->OnMouseLeave(leave);
    EXPECT_FALSE(bar->IsVisible());
    EXPECT_FALSE(tile->IsRolling());
    EXPECT_EQ(0, tile->GetRollOffset());
}

TEST(TileInput, RemoveWithNotifyHidesTheBarAndRemoves) {
    InstalledPage page;
    VQGameIcon* tile = page.Tile(3);
    VQGameIconToolBar* bar = static_cast<VQGameIconToolBar*>(
        page.host.Manager().FindControlById(179)->GetInterface(ControlTypeGameIconToolBar));
    bar->UpdateForTile(tile);
    bar->SetVisible(true);
    page.host.m_notes.clear();
    tile->RemoveWithNotify();
    EXPECT_FALSE(bar->IsVisible());
    ASSERT_NE(nullptr, page.Note(NotifyTileRemoved));
    EXPECT_EQ(7, page.list->GetTileCount());
    page.host.PumpUntil([] { return false; }, 50);
}

}  // namespace
}  // namespace Test
}  // namespace Tessar

namespace Tessar {
namespace Test {
namespace {

TEST(TileInput, DeletedTileLeavesTheToolBar) {
    VQTileTestHost host(IconListMarkup(122, L"searchlist", 2, 5) + ToolBarMarkup());
    VQIconList* list = host.List(122);
    VQGameIcon* tile = MakeTile(9, L"结果", kTileNotInstalled);
    ASSERT_TRUE(list->AddTile(tile));
    host.Paint();
    VQGameIconToolBar* bar =
        static_cast<VQGameIconToolBar*>(host.Manager().FindControlById(179)->GetInterface(ControlTypeGameIconToolBar));
    VQEvent enter = MouseEvent(EventMouseEnter, IconCentre(tile), tile);
    tile->OnMouseEnter(enter);
    ASSERT_EQ(tile, bar->GetTile());
    list->RemoveAllTiles();  // a new search replaces the results under the mouse
    EXPECT_EQ(nullptr, bar->GetTile());
    EXPECT_FALSE(bar->IsVisible());
}

TEST(TileInput, WobbleStepsThroughItsAngles) {
    VQGameIcon tile;
    const int expected[] = {3, 0, -3, 0, 3};
    for (int angle : expected) {
        tile.AnimateBit16();
        EXPECT_EQ(angle, tile.GetWobbleAngle());
    }
}

}  // namespace
}  // namespace Test
}  // namespace Tessar

namespace Tessar {
namespace Test {
namespace {

TEST(TileInput, BlinkRunsTenFramesAndRestoresThePicture) {
    VQTileTestHost host(IconListMarkup(119, L"downloadlist", 2, 5));
    VQGameIcon* tile = MakeTile(11, L"闪烁", kTileWaiting);
    ASSERT_TRUE(host.List(119)->AddTile(tile));
    host.Paint();
    const std::wstring normal = tile->m_stateImages[ImageNormal];
    ASSERT_FALSE(normal.empty());
    tile->StartBlinkAnimation();
    std::vector<std::wstring> frames;
    ASSERT_TRUE(host.PumpUntil([&] {
        const std::wstring& now = tile->m_stateImages[ImageNormal];
        if (now != normal && (frames.empty() || frames.back() != now)) frames.push_back(now);
        return tile->m_frameStepCount > 10;
    }));
    EXPECT_EQ(normal, tile->m_stateImages[ImageNormal]) << "the frame picture returns";
    // From frame 0, then frames 1 and 2 of the strip in turn.
    ASSERT_GE(frames.size(), 4u);
    EXPECT_NE(std::wstring::npos, frames[0].find(L"source='0,0,62,62'"));
    EXPECT_NE(std::wstring::npos, frames[1].find(L"source='62,0,124,62'"));
    EXPECT_NE(std::wstring::npos, frames[2].find(L"source='124,0,186,62'"));
    EXPECT_NE(std::wstring::npos, frames[3].find(L"source='62,0,124,62'"));
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
