// The hover tool bar: which buttons a tile's state, list and kind show and
// enable, and what a click sends.
#include <gtest/gtest.h>

#include "VQCore/app/pages/GameIcon.h"
#include "VQCore/app/pages/GameIconToolBar.h"
#include "VQCore/app/pages/IconList.h"
#include "tests/VQCore/app/TileTestHost.h"

namespace Tessar {
namespace Test {
namespace {

std::wstring Lists() {
    return IconListMarkup(120, L"installlist", 4, 10) + IconListMarkup(121, L"quicklist", 1, 8) +
           IconListMarkup(119, L"downloadlist", 4, 10) + IconListMarkup(114, L"singlelist", 4, 10) +
           IconListMarkup(116, L"weblist", 4, 10) + ToolBarMarkup();
}

VQGameIconToolBar* Bar(VQTileTestHost& host) {
    return static_cast<VQGameIconToolBar*>(host.Manager().FindControlById(179)->GetInterface(ControlTypeGameIconToolBar));
}

// "0123" style: the indexes of the visible buttons; upper case when enabled.
std::string Shown(VQGameIconToolBar& bar) {
    std::string shown;
    for (int i = 0; i < bar.GetCount(); ++i) {
        VQControl* button = bar.GetItemAt(i);
        if (button->IsVisible()) shown += static_cast<char>((button->IsEnabled() ? 'A' : 'a') + i);
    }
    return shown;
}

TEST(GameIconToolBar, ButtonsByStateListAndKind) {
    VQTileTestHost host(Lists());
    VQGameIconToolBar* bar = Bar(host);
    ASSERT_NE(nullptr, bar);
    ASSERT_EQ(8, bar->GetCount());
    struct Case {
        const char* name;
        int list;
        uint32_t id;
        uint32_t state;
        bool homeAndAdvert;
        std::string shown;
    };
    const Case cases[] = {
        {"catalogue tile", 114, 11, kTileNotInstalled, true, "CDGH"},
        {"catalogue tile without pages", 114, 12, kTileNotInstalled, false, "CDgh"},
        {"installed tile", 120, 13, kTileInstalled, false, "ADEF"},
        {"downloading on the downloads list", 119, 14, kTileDownloading, false, "aBDF"},
        {"paused on the downloads list", 119, 15, kTilePaused, false, "AbDF"},
        {"downloaded on the downloads list", 119, 16, kTileDownloaded, false, "AbDf"},
        {"user-added game", 120, 90001, kTileInstalled, false, "AdEF"},
        {"web game", 116, 70001, kTileNotInstalled, true, "ADGH"},
        {"installed web game", 120, 70002, kTileInstalled, false, "ADeF"},
    };
    for (const Case& c : cases) {
        VQGameIcon* tile = MakeTile(c.id, L"游戏", c.state);
        if (c.homeAndAdvert) {
            tile->Data().homePage = L"http://127.0.0.1/";
            tile->Data().registerPage = L"http://127.0.0.1/reg";
        }
        ASSERT_TRUE(host.List(c.list)->AddTile(tile));
        // Start from every button shown and enabled: "unchanged" rules keep that.
        for (int i = 0; i < bar->GetCount(); ++i) {
            bar->GetItemAt(i)->SetVisible(true);
            bar->GetItemAt(i)->SetEnabled(true);
        }
        bar->UpdateForTile(tile);
        // Unchanged entries (details shown, download enabled) are counted as set here.
        EXPECT_EQ(c.shown, Shown(*bar)) << c.name;
        EXPECT_EQ(tile, bar->GetTile()) << c.name;
    }
}

TEST(GameIconToolBar, RegisterButtonFollowsTheRegistrationPageNotTheAdvert) {
    VQTileTestHost host(Lists());
    const struct {
        const char* name;
        const wchar_t* advert;
        const wchar_t* registerPage;
        bool enabled;
    } cases[] = {
        {"advert only", L"http://127.0.0.1/ad", L"", false},
        {"registration page only", L"", L"http://127.0.0.1/reg", true},
    };
    uint32_t id = 41;
    for (const auto& c : cases) {
        VQGameIcon* tile = MakeTile(id++, L"丙", kTileNotInstalled);
        tile->Data().advert = c.advert;
        tile->Data().registerPage = c.registerPage;
        ASSERT_TRUE(host.List(114)->AddTile(tile));
        Bar(host)->UpdateForTile(tile);
        EXPECT_EQ(c.enabled, Bar(host)->GetItemAt(7)->IsEnabled()) << c.name;
    }
}

TEST(GameIconToolBar, CatalogueTileWithInstalledTwinOffersStart) {
    VQTileTestHost host(Lists());
    ASSERT_TRUE(host.List(120)->AddTile(MakeTile(21, L"甲", kTileInstalled)));
    VQGameIcon* catalogue = MakeTile(21, L"甲", kTileNotInstalled);
    ASSERT_TRUE(host.List(114)->AddTile(catalogue));
    Bar(host)->UpdateForTile(catalogue);
    EXPECT_TRUE(Bar(host)->GetItemAt(0)->IsVisible());
    EXPECT_FALSE(Bar(host)->GetItemAt(2)->IsVisible());
}

TEST(GameIconToolBar, PauseClickNotifiesAndSwapsButtons) {
    VQTileTestHost host(Lists());
    VQGameIconToolBar* bar = Bar(host);
    VQGameIcon* tile = MakeTile(31, L"乙", kTileDownloading);
    ASSERT_TRUE(host.List(119)->AddTile(tile));
    bar->UpdateForTile(tile);
    ASSERT_FALSE(bar->GetItemAt(0)->IsEnabled());
    ASSERT_TRUE(bar->GetItemAt(1)->IsEnabled());
    const struct {
        int index;
        int notification;
        bool startEnabled, pauseEnabled;
    } clicks[] = {{1, 29, true, false}, {0, 28, false, true}};
    for (const auto& click : clicks) {
        host.m_notes.clear();
        VQEvent event;
        event.forwardedFrom = bar->GetItemAt(click.index);
        event.sender = event.forwardedFrom;
        EXPECT_TRUE(bar->Activate(event));
        ASSERT_EQ(1u, host.m_notes.size()) << click.index;
        EXPECT_EQ(click.notification, host.m_notes[0].type);
        EXPECT_EQ(tile, host.m_notes[0].sender);
        EXPECT_EQ(click.startEnabled, bar->GetItemAt(0)->IsEnabled());
        EXPECT_EQ(click.pauseEnabled, bar->GetItemAt(1)->IsEnabled());
    }
    VQEvent none;
    EXPECT_FALSE(bar->Activate(none)) << "no sender";
}

TEST(GameIconToolBar, NotificationsByIndex) {
    const int expected[] = {28, 29, 33, 30, 31, 32, 34, 35};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(expected[i], VQGameIconToolBar::NotificationOf(i)) << i;
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
