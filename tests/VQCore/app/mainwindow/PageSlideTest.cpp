// The page slide of the main window (OpenEffect) in a shown window of the
// main layout: the page that goes and the page that comes move side by
// side under the toolkit's timers, end where the layout puts a page, and a
// rebuilt list's snapshot slides out and is freed by the delayed clean-up.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "VQCore/app/pages/GameIcon.h"
#include "VQCore/app/pages/IconList.h"
#include "VQCore/app/pages/IconListPage.h"
#include "tests/VQCore/app/MotionTestHost.h"
#include "tests/ui/WindowInput.h"
#include "ui/Combo.h"
#include "ui/PaintManager.h"
#include "ui/TabCtrl.h"

namespace Tessar {
namespace Test {
namespace {

using Bench::DemoGameName;
using Bench::MakeDemoTile;

void Fill(VQMotionTestHost& host, int listId, uint32_t firstId, int count) {
    VQIconList* list = host.List(listId);
    ASSERT_NE(nullptr, list) << listId;
    for (int i = 0; i < count; ++i)
        ASSERT_TRUE(list->AddTile(MakeDemoTile(firstId + i, DemoGameName(firstId + i), kTileNotInstalled)));
}

int Width(const RECT& rc) { return rc.right - rc.left; }

// Watches one slide from its start to its end: the pages start side by
// side, are seen on their way with the same gap, and end in the area.
void WatchSlide(VQMotionTestHost& host, VQControl* outgoing, VQControl* incoming, const RECT& area, int direction,
                const char* name) {
    const int width = Width(area);
    ASSERT_TRUE(host.Slide().IsRunning()) << name;
    EXPECT_EQ(outgoing, host.Slide().GetOutgoing()) << name;
    EXPECT_EQ(incoming, host.Slide().GetIncoming()) << name;
    // At the start the new page waits beside the area, on its tab's side.
    EXPECT_TRUE(outgoing->IsVisible() && incoming->IsVisible()) << name;
    EXPECT_TRUE(incoming->IsAbsFloat() && outgoing->IsAbsFloat()) << name;
    EXPECT_EQ(area.left + direction * width, incoming->GetFixedXY().x) << name;
    EXPECT_EQ(area.left, outgoing->GetFixedXY().x) << name;
    // On the way: laid out between the ends, the old page one page width
    // beside the new one.
    RECT seenIn = {}, seenOut = {};
    const bool seen = host.PumpEachUntil(
        [&] {
            seenIn = incoming->GetPos();
            seenOut = outgoing->GetPos();
            // A step was taken and the layout has placed both pages since.
            return host.Slide().IsRunning() && incoming->m_motionStep > 0 &&
                   seenIn.left == incoming->GetFixedXY().x && seenOut.left == outgoing->GetFixedXY().x &&
                   seenIn.left != area.left;
        },
        kMotionTimeout);
    EXPECT_TRUE(seen) << name << ": no step of the slide was seen";
    if (seen) {
        EXPECT_EQ(direction * width, seenIn.left - seenOut.left) << name;
        // A click on the page that goes reaches nothing of it.
        const POINT onOutgoing = {std::max(seenOut.left, area.left) + 5, (seenOut.top + seenOut.bottom) / 2};
        for (VQControl* hit = host.Manager().FindControlAt(onOutgoing.x, onOutgoing.y); hit; hit = hit->GetParent())
            EXPECT_NE(outgoing, hit) << name << ": the page that goes takes a click";
        EXPECT_EQ(width, Width(seenIn)) << name;
        EXPECT_EQ(width, Width(seenOut)) << name;
        EXPECT_EQ(area.top, seenIn.top) << name;
        EXPECT_EQ(area.top, seenOut.top) << name;
        EXPECT_GT(direction * (seenIn.left - area.left), 0) << name;
    }
    ASSERT_TRUE(PumpUntil([&] { return !host.Slide().IsRunning(); }, kMotionTimeout)) << name;
    // At the end: the new page back in its parent's flow over the area, the
    // old one hidden and out of the float; one last step from each.
    EXPECT_FALSE(incoming->IsAbsFloat()) << name;
    EXPECT_FALSE(outgoing->IsAbsFloat()) << name;
    EXPECT_FALSE(outgoing->IsVisible()) << name;
    EXPECT_TRUE(outgoing->IsEnabled()) << name;
    EXPECT_TRUE(incoming->IsVisible()) << name;
    EXPECT_TRUE(PumpUntil([&] { return SameRect(incoming->GetPos(), area); }, kMotionTimeout)) << name;
    EXPECT_EQ(1, host.StepsFrom(incoming)) << name;
    EXPECT_EQ(1, host.StepsFrom(outgoing)) << name;
}

TEST(PageSlide, MainTabsSlideTheOldPageOutAndTheNewOneIn) {
    VQMotionTestHost host;
    ASSERT_TRUE(host.IsBuilt());
    Fill(host, IdInstalledList, 1, 12);
    Fill(host, IdHotList, 20001, 30);
    host.ShowPage(0);
    host.Show();
    VQTabCtrl* tabs = host.Tabs(IdMainTab);
    ASSERT_NE(nullptr, tabs);
    const RECT area = host.AreaOf(host.Manager().FindControlByName(L"pages"));
    ASSERT_GT(Width(area), 0);
    host.slideOn = true;
    const int pages[] = {200, 201, 202, 203, 204};
    const struct {
        const char* name;
        int from, to;
        int direction;  // 1: the new page comes from the right
    } cases[] = {{"to the right-hand tab", 0, 1, 1}, {"two tabs on", 1, 3, 1}, {"back to the first", 3, 0, -1}};
    for (const auto& c : cases) {
        ASSERT_EQ(c.from, tabs->GetItemIndex(tabs->GetSelectedItem())) << c.name;
        host.ClearSteps();
        tabs->SelectItem(c.to);
        WatchSlide(host, host.Find(pages[c.from]), host.Find(pages[c.to]), area, c.direction, c.name);
    }
    EXPECT_EQ(3, host.ended);
}

TEST(PageSlide, NothingSlidesWithTheEffectOffOrTheWindowHidden) {
    VQMotionTestHost host;
    ASSERT_TRUE(host.IsBuilt());
    host.ShowPage(0);
    VQTabCtrl* tabs = host.Tabs(IdMainTab);
    // Hidden window, effect on: the page changes at once.
    host.slideOn = true;
    tabs->SelectItem(1);
    EXPECT_FALSE(host.Slide().IsRunning());
    EXPECT_TRUE(host.Find(201)->IsVisible());
    EXPECT_FALSE(host.Find(200)->IsVisible());
    // Shown window, effect off.
    host.Show();
    host.slideOn = false;
    tabs->SelectItem(2);
    EXPECT_FALSE(host.Slide().IsRunning());
    EXPECT_FALSE(host.Find(202)->IsAbsFloat());
    EXPECT_FALSE(host.Find(201)->IsVisible());
}

TEST(PageSlide, AnIconListsPagesSlideOnAPageTurn) {
    VQMotionTestHost host;
    ASSERT_TRUE(host.IsBuilt());
    Fill(host, IdHotList, 20001, 95);  // 40 a page: three pages
    host.ShowPage(1);
    host.Show();
    VQIconList* list = host.List(IdHotList);
    ASSERT_EQ(3, list->GetPageCount());
    const RECT area = host.AreaOf(list->GetContext());
    ASSERT_GT(Width(area), 0);
    host.slideOn = true;
    const struct {
        const char* name;
        int to;  // 0-based page
        int direction;
    } cases[] = {{"next page", 1, 1}, {"last page", 2, 1}, {"back to the first", 0, -1}};
    for (const auto& c : cases) {
        VQControl* outgoing = list->GetCurrentPageControl();
        host.ClearSteps();
        list->ShowPageAt(c.to);
        VQControl* incoming = list->GetCurrentPageControl();
        ASSERT_NE(outgoing, incoming) << c.name;
        WatchSlide(host, outgoing, incoming, area, c.direction, c.name);
        EXPECT_EQ(c.to + 1, list->GetCurrentPage()) << c.name;
    }
}

TEST(PageSlide, ARebuiltListsSnapshotSlidesOutAndGoesToTheDelayedCleanUp) {
    VQMotionTestHost host;
    ASSERT_TRUE(host.IsBuilt());
    // Single-player games (ids 1-19999) and online games (20001-39999).
    Fill(host, IdHotList, 1, 30);
    Fill(host, IdHotList, 20001, 30);
    host.ShowPage(1);
    host.Show();
    VQIconList* list = host.List(IdHotList);
    const RECT area = host.AreaOf(list->GetContext());
    VQControl* control = host.Find(IdHotFilterCombo);
    VQCombo* combo = control ? static_cast<VQCombo*>(control->GetInterface(ControlTypeCombo)) : nullptr;
    ASSERT_NE(nullptr, combo);
    host.slideOn = true;
    VQControl* standIn = nullptr;
    bool detachedAtEnd = false, cleanUpPosted = false, stillKnownAtEnd = false;
    host.onEnded = [&] {
        detachedAtEnd = standIn && list->GetItemIndex(standIn) < 0;
        stillKnownAtEnd = standIn && host.Find(IdSnapshotPage) == standIn;
        MSG pending;
        cleanUpPosted = ::PeekMessageW(&pending, host.Handle(), WM_VQ_DELAYED_CLEANUP, WM_VQ_DELAYED_CLEANUP,
                                       PM_NOREMOVE) != FALSE;
    };
    // "网络游戏": the first page of online games comes in, the copy of the
    // old first page (single-player games) goes out.
    combo->SelectItem(2);
    standIn = host.Find(IdSnapshotPage);
    ASSERT_NE(nullptr, standIn);
    EXPECT_EQ(list, standIn->GetParent());
    EXPECT_EQ(40, static_cast<VQContainer*>(standIn->GetInterface(ControlTypeContainer))->GetCount());
    EXPECT_EQ(nullptr, host.Filters().GetSnapshot());
    EXPECT_FALSE(host.Filters().IsPageSwitching());
    VQControl* incoming = list->GetCurrentPageControl();
    ASSERT_NE(nullptr, incoming);
    EXPECT_EQ(standIn, host.Slide().GetOutgoing());
    EXPECT_EQ(incoming, host.Slide().GetIncoming());
    EXPECT_EQ(area.left + Width(area), incoming->GetFixedXY().x);
    EXPECT_EQ(area.left, standIn->GetFixedXY().x);
    bool seen = host.PumpEachUntil(
        [&] {
            const RECT out = standIn->GetPos(), in = incoming->GetPos();
            return host.Slide().IsRunning() && standIn->m_motionStep > 0 && out.left == standIn->GetFixedXY().x &&
                   in.left == incoming->GetFixedXY().x && out.left < area.left;
        },
        kMotionTimeout);
    EXPECT_TRUE(seen) << "the snapshot was not seen on its way out";
    if (seen) {
        EXPECT_EQ(Width(area), incoming->GetPos().left - standIn->GetPos().left);
    }
    ASSERT_TRUE(PumpUntil([&] { return host.ended == 1; }, kMotionTimeout));
    EXPECT_TRUE(detachedAtEnd);
    EXPECT_TRUE(stillKnownAtEnd) << "freed at once instead of by the delayed clean-up";
    EXPECT_TRUE(cleanUpPosted);
    // The clean-up message frees it (a freed control leaves the id map).
    EXPECT_TRUE(PumpUntil([&] { return host.Find(IdSnapshotPage) == nullptr; }, kMotionTimeout));
    EXPECT_EQ(2, list->GetCount());  // the pages and the page bar
    EXPECT_FALSE(incoming->IsAbsFloat());
    EXPECT_TRUE(PumpUntil([&] { return SameRect(incoming->GetPos(), area); }, kMotionTimeout));
    // Every tile now on the page is an online game.
    auto* page = static_cast<VQIconListPage*>(incoming->GetInterface(ControlTypeIconListPage));
    ASSERT_NE(nullptr, page);
    for (int i = 0; i < page->GetCount(); ++i)
        EXPECT_EQ(2, GameKindOf(static_cast<VQGameIcon*>(page->GetItemAt(i)->GetInterface(ControlTypeGameIcon))));
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
