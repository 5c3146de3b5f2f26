// The default skin's main window layout with filled pages, painted into a
// memory bitmap: the controls the window needs exist, tiles paint their
// badges and progress, and a screenshot of every page is kept for people.
#include <gtest/gtest.h>

#include "VQCore/app/pages/GameIcon.h"
#include "VQCore/app/pages/IconList.h"
#include "VQCore/app/pages/IconListControl.h"
#include "bench/MainLayoutHost.h"
#include "VQCore/app/pages/GameIconToolBar.h"
#include "VQCore/app/mainwindow/TabPages.h"
#include "ui/TabCtrl.h"
#include <cstdlib>
#include "common/FormatText.h"

namespace Tessar {
namespace Test {
namespace {

using Bench::DemoGameName;
using Bench::MakeDemoTile;
using Bench::VQMainLayoutHost;

// Screenshots of the pages go beside the test program, for people to look at.
std::wstring ScreenshotPath(const wchar_t* name) {
    wchar_t module[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::wstring folder(module);
    folder = folder.substr(0, folder.find_last_of(L"\\/") + 1) + L"app-screenshots";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    return folder + L"\\" + name + L".png";
}

void Fill(VQMainLayoutHost& host, int listId, uint32_t firstId, int count, uint32_t state) {
    VQIconList* list = host.List(listId);
    ASSERT_NE(nullptr, list) << listId;
    for (int i = 0; i < count; ++i)
        ASSERT_TRUE(list->AddTile(MakeDemoTile(firstId + i, DemoGameName(firstId + i), state)));
}

bool IsOrange(uint32_t argb) {
    const int r = (argb >> 16) & 0xFF, g = (argb >> 8) & 0xFF, b = argb & 0xFF;
    return r > 0xD0 && g > 0x60 && g < 0xC0 && b < 0x70;
}

bool IsGreen(uint32_t argb) {
    const int r = (argb >> 16) & 0xFF, g = (argb >> 8) & 0xFF, b = argb & 0xFF;
    return g > 0x90 && r < 0x70 && b > 0x40 && b < 0x90;
}

TEST(MainLayout, HasTheControlsTheWindowUses) {
    VQMainLayoutHost host;
    ASSERT_TRUE(host.IsBuilt());
    const int ids[] = {100, 101, 102, 103, 104, 105, 108, 113, 114, 115, 116, 117, 118, 119, 120, 121, 122,
                       150, 169, 170, 171, 172, 173, 175, 176, 178, 179, 142, 149};
    for (int id : ids) EXPECT_NE(nullptr, host.Manager().FindControlById(id)) << id;
    for (int id = 113; id <= 122; ++id) EXPECT_NE(nullptr, host.List(id)) << id;
    const wchar_t* names[] = {kInstalledListName, kQuickListName,     kDownloadListName, kToolListName,
                              kHotListName,       kSingleGameListName, kOnlineGameListName, kFlashGameListName,
                              kWebGameListName,   kSearchListName};
    for (const wchar_t* name : names) EXPECT_NE(nullptr, host.Manager().FindControlByName(name));
    EXPECT_EQ(L"Tovana游戏", TileString(1000));
}

TEST(MainLayout, TabsShowTheirPages) {
    VQMainLayoutHost host;
    ASSERT_TRUE(host.IsBuilt());
    const struct {
        int main, library;
        int shown;
        int hidden;
    } cases[] = {{1, 0, 201, 200}, {2, 1, 211, 210}, {2, 4, 214, 211}, {4, 0, 204, 202}, {0, 0, 200, 204}};
    for (const auto& c : cases) {
        host.ShowPage(c.main, c.library);
        EXPECT_TRUE(host.Manager().FindControlById(c.shown)->IsVisible()) << c.shown;
        EXPECT_FALSE(host.Manager().FindControlById(c.hidden)->IsVisible()) << c.hidden;
    }
    // Each library page brings its own filter.
    const struct {
        int library;
        bool single, flash, search;
    } filters[] = {{0, true, false, false}, {1, false, false, false}, {2, false, true, false}, {4, false, false, true}};
    for (const auto& f : filters) {
        host.ShowPage(2, f.library);
        EXPECT_EQ(f.single, host.Manager().FindControlById(172)->IsVisible()) << f.library;
        EXPECT_EQ(f.flash, host.Manager().FindControlById(173)->IsVisible()) << f.library;
        EXPECT_EQ(f.search, host.Manager().FindControlById(178)->IsVisible()) << f.library;
    }
}

TEST(MainLayout, TilesPaintBadgesAndProgress) {
    VQMainLayoutHost host;
    ASSERT_TRUE(host.IsBuilt());
    host.ShowPage(4);
    VQIconList* downloads = host.List(IdDownloadList);
    ASSERT_NE(nullptr, downloads);
    struct Case {
        const char* name;
        int64_t completed, total;
        int fill;  // expected fill width in pixels
    };
    const Case cases[] = {{"half", 50, 100, 21}, {"a sliver widens to 6", 3, 42, 6}, {"full", 100, 100, 42},
                          {"no total", 0, 0, 0}};
    std::vector<VQGameIcon*> tiles;
    for (const Case& c : cases) {
        VQGameIcon* tile = MakeDemoTile(static_cast<uint32_t>(100 + tiles.size()), L"下载中", kTileDownloading);
        tile->Data().completedBytes = c.completed;
        tile->Data().totalBytes = c.total;
        ASSERT_TRUE(downloads->AddTile(tile));
        tiles.push_back(tile);
    }
    host.Layout();
    host.PaintToMemory();
    for (size_t i = 0; i < tiles.size(); ++i) {
        const Case& c = cases[i];
        const RECT pos = tiles[i]->GetPos();
        const RECT icon = tiles[i]->GetIconRect();
        const int y = pos.top + icon.top + 41;
        const int x0 = pos.left + icon.left + 3;
        int orange = 0;
        for (int x = x0; x < x0 + 42; ++x) orange += IsOrange(host.PixelAt(x, y)) ? 1 : 0;
        EXPECT_NEAR(c.fill, orange, 1) << c.name;
    }
    host.SavePng(ScreenshotPath(L"progress"));
}

TEST(MainLayout, NeverStartedBadgeGoesAfterTheFirstStart) {
    VQMainLayoutHost host;
    ASSERT_TRUE(host.IsBuilt());
    host.ShowPage(0);
    VQGameIcon* tile = MakeDemoTile(7, L"仙剑奇缘", kTileInstalled);
    tile->Data().installTime = 1700000000;
    ASSERT_TRUE(host.List(IdInstalledList)->AddTile(tile));
    host.Layout();
    host.PaintToMemory();
    const RECT pos = tile->GetPos();
    const RECT badge = tile->GetBadgeRect();
    // A point on the badge's green ring.
    const int x = pos.left + badge.left + 4, y = pos.top + badge.top + 12;
    EXPECT_TRUE(IsGreen(host.PixelAt(x, y))) << std::hex << host.PixelAt(x, y);
    tile->RecordRun(1700000500);
    host.PaintToMemory();
    EXPECT_FALSE(IsGreen(host.PixelAt(x, y))) << std::hex << host.PixelAt(x, y);
}

// The caption of a tile on the shelf lies on a soft dark halo, which darkens
// the ground around the letters; the quick strip's captions have none.
TEST(MainLayout, CaptionsOnTheShelfHaveAHaloAndTheQuickStripsNone) {
    const struct {
        const char* name;
        int listId;
        bool halo;
    } cases[] = {{"installed games", IdInstalledList, true}, {"quick strip", IdQuickList, false}};
    for (const auto& c : cases) {
        VQMainLayoutHost host;
        ASSERT_TRUE(host.IsBuilt());
        host.ShowPage(0);
        VQGameIcon* tile = MakeDemoTile(7, L"仙剑奇缘", kTileInstalled);
        ASSERT_TRUE(host.List(c.listId)->AddTile(tile)) << c.name;
        host.Layout();
        auto capture = [&host, tile] {
            host.PaintToMemory();
            const RECT pos = tile->GetPos();
            std::vector<uint32_t> pixels;
            for (int y = pos.top; y < pos.bottom; ++y)
                for (int x = pos.left; x < pos.right; ++x) pixels.push_back(host.PixelAt(x, y));
            return pixels;
        };
        const std::vector<uint32_t> named = capture();
        tile->SetText(L"");
        const std::vector<uint32_t> bare = capture();
        ASSERT_EQ(named.size(), bare.size()) << c.name;
        auto light = [](uint32_t argb) { return ((argb >> 16) & 0xFF) + ((argb >> 8) & 0xFF) + (argb & 0xFF); };
        size_t darker = 0, lighter = 0;
        for (size_t i = 0; i < named.size(); ++i) {
            darker += light(named[i]) + 30 < light(bare[i]) ? 1 : 0;
            lighter += light(named[i]) > light(bare[i]) + 30 ? 1 : 0;
        }
        EXPECT_GT(lighter, 20u) << c.name << ": no caption was drawn";
        if (c.halo)
            EXPECT_GT(darker, 20u) << c.name;
        else
            EXPECT_EQ(0u, darker) << c.name;
    }
}

TEST(MainLayout, ScreenshotsOfThePages) {
    VQMainLayoutHost host;
    ASSERT_TRUE(host.IsBuilt());
    Fill(host, IdInstalledList, 1, 17, kTileInstalled);
    host.List(IdInstalledList)->AddAddTile();
    Fill(host, IdQuickList, 40001, 8, kTileInstalled);
    Fill(host, IdHotList, 20001, 52, kTileNotInstalled);
    Fill(host, IdSingleGameList, 101, 95, kTileNotInstalled);
    Fill(host, IdToolList, 40101, 12, kTileNotInstalled);
    const uint32_t states[] = {kTileWaiting, kTileDownloading, kTilePaused, kTileDownloaded, kTileNotInstalled};
    for (int i = 0; i < 5; ++i) {
        VQGameIcon* tile = MakeDemoTile(300 + i, DemoGameName(300 + i), states[i]);
        tile->Data().totalBytes = 1000;
        tile->Data().completedBytes = 180 * (i + 1);
        tile->Data().downloadStep = 2;
        ASSERT_TRUE(host.List(IdDownloadList)->AddTile(tile));
    }
    const struct {
        const wchar_t* name;
        int main, library;
    } pages[] = {{L"installed", 0, 0}, {L"hot", 1, 0}, {L"library", 2, 0}, {L"tools", 3, 0}, {L"downloads", 4, 0}};
    for (const auto& page : pages) {
        host.ShowPage(page.main, page.library);
        host.Layout();
        host.PaintToMemory();
        EXPECT_TRUE(host.SavePng(ScreenshotPath(page.name)));
    }
    // The page bar of the library's 95 games: three pages, dots and arrows.
    VQIconList* single = host.List(IdSingleGameList);
    EXPECT_EQ(3, single->GetPageCount());
    EXPECT_TRUE(single->GetPageBar()->GetNextButton()->IsVisible());
}

// The build folder as Wine sees it (Z: is the Unix root).
std::wstring BuildFolder() {
    const char* unix = std::getenv("VQ_BINARY_DIR");
    if (!unix) return std::wstring();
    std::wstring path = L"Z:";
    for (const char* p = unix; *p; ++p) path += *p == '/' ? L'\\' : static_cast<wchar_t>(*p);
    return path;
}

TEST(MainLayout, HoverDarkSkinAndEmptySearchScreenshots) {
    VQMainLayoutHost host;
    ASSERT_TRUE(host.IsBuilt());
    Fill(host, IdHotList, 20001, 30, kTileNotInstalled);
    host.ShowPage(1);
    host.Layout();
    VQGameIcon* tile = host.List(IdHotList)->GetTiles()[12];
    tile->Data().homePage = L"http://127.0.0.1/";
    tile->Data().advert = L"http://127.0.0.1/reg";
    VQEvent enter;
    enter.type = EventMouseEnter;
    enter.sender = tile;
    enter.mouse = POINT{tile->GetPos().left + 46, tile->GetPos().top + 30};
    tile->OnMouseEnter(enter);
    tile->m_state |= StateHot;
    VQControl* bar = host.Manager().FindControlById(IdTileToolBar);
    ASSERT_TRUE(bar->IsVisible());
    host.Layout();
    host.PaintToMemory();
    EXPECT_TRUE(host.SavePng(ScreenshotPath(L"hover")));
    // The tool bar sits over the card's foot: its ground is darker than the shelf.
    const RECT barRect = bar->GetPos();
    EXPECT_EQ(tile->GetPos().top + 77, barRect.top);

    // The search page with nothing found shows its message.
    VQIconList* results = host.List(IdSearchList);
    results->SetText(TileString(StrNothingFound));
    host.ShowPage(2, 4);
    host.Layout();
    host.PaintToMemory();
    EXPECT_TRUE(host.SavePng(ScreenshotPath(L"search-empty")));

    // The dark skin restyles the same window.
    const std::wstring folder = BuildFolder();
    if (folder.empty()) GTEST_SKIP() << "VQ_BINARY_DIR is not set";
    ASSERT_TRUE(host.Manager().LoadStyle(folder + L"\\skin\\folders\\dark\\MarloxWnd.xml", L"MarloxWnd",
                                         MarkupFromFile));
    host.ShowPage(1);
    host.Layout();
    host.PaintToMemory();
    EXPECT_FALSE(bar->IsVisible()) << "a page switch takes the tool bar away with its tile";
    EXPECT_EQ(0xFF1E2228u, host.PixelAt(480, 600)) << "the shelf turns dark";
    EXPECT_TRUE(host.SavePng(ScreenshotPath(L"hot-dark")));
    const uint32_t band = host.PixelAt(300, 10);
    EXPECT_EQ(0xFF15181Du, band) << std::hex << band;
    // The game library's kinds on the dark bar: the chosen one underlined,
    // the others' names light enough to read.
    host.ShowPage(2, 1);
    host.Layout();
    host.PaintToMemory();
    EXPECT_TRUE(host.SavePng(ScreenshotPath(L"library-dark")));
    const int kindLeft = 16, kindWidth = 88, kindTop = 79, underlineY = 107;
    EXPECT_EQ(0xFF2D7FF9u, host.PixelAt(kindLeft + kindWidth + kindWidth / 2, underlineY)) << "网络游戏 chosen";
    EXPECT_NE(0xFF2D7FF9u, host.PixelAt(kindLeft + kindWidth / 2, underlineY));
    int light = 0;
    for (int y = kindTop; y < underlineY - 2; ++y)
        for (int x = kindLeft; x < kindLeft + kindWidth; ++x) {
            const uint32_t c = host.PixelAt(x, y);
            if (((c >> 16) & 0xFF) > 0xB0 && ((c >> 8) & 0xFF) > 0xB0 && (c & 0xFF) > 0xB0) ++light;
        }
    EXPECT_GT(light, 20) << "单机游戏 cannot be read on the dark bar";
}

}  // namespace
}  // namespace Test
}  // namespace Tessar

namespace Tessar {
namespace Test {
namespace {

TEST(MainLayout, PageStripsLeaveTheWindowsPagesAlone) {
    Bench::VQMainLayoutHost host;
    ASSERT_TRUE(host.IsBuilt());
    VQIconList* hot = host.List(IdHotList);
    for (uint32_t i = 0; i < 45; ++i) ASSERT_TRUE(hot->AddTile(Bench::MakeDemoTile(20001 + i, L"游戏", kTileNotInstalled)));
    host.ShowPage(1);
    VQTabCtrl* strip = hot->GetPageBar()->GetTabStrip();
    strip->SelectItem(1);
    EXPECT_FALSE(ShowSelectedTabPage(host.Manager(), *strip));
    EXPECT_EQ(2, hot->GetCurrentPage());
    EXPECT_TRUE(host.Manager().FindControlById(201)->IsVisible());
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
