// The main window's pop-up menus: the rules that show, enable and name the
// items of a tile's menu, and the real menus opened from the default skin,
// an item clicked and its command arriving at the owner.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "VQCore/app/start/ResourceString.h"
#include "VQCore/app/mainwindow/TileMenu.h"
#include "VQCore/gamelib/GameTile.h"
#include "tests/VQCore/app/DialogTestDriver.h"
#include "tests/VQCore/app/TileTestHost.h"
#include "VQCore/app/pages/GameIcon.h"
#include "VQCore/app/pages/IconList.h"
#include "tests/ui/WindowInput.h"
#include "ui/Menu.h"
#include "ui/MenuWnd.h"

namespace Tessar {
namespace Test {
namespace {

struct Expect {
    int id;
    bool visible;
    bool enabled;
};

TEST(TileMenu, RulesFollowTheTile) {
    const struct {
        const char* name;
        VQTileMenuFacts facts;
        const char* layout;
        std::vector<Expect> items;
    } cases[] = {
        {"downloading", {119, 1, kTileDownloading}, "IconMenuDownload",
         {{1019, true, false}, {1020, true, true}, {1021, true, true}}},
        {"paused", {119, 1, kTilePaused}, "IconMenuDownload", {{1019, true, true}, {1020, true, false}}},
        {"downloaded", {119, 2, kTileDownloaded}, "IconMenuDownload",
         {{1019, true, true}, {1020, true, false}, {1021, true, false}}},
        {"installed-single", {120, 1, kTileInstalled}, "IconMenuInstalled",
         {{1010, true, true}, {1011, true, true}, {1013, true, true}, {1014, true, true}}},
        {"installed-web", {120, 4, kTileInstalled}, "IconMenuInstalled",
         {{1010, true, true}, {1011, true, false}, {1014, true, false}}},
        {"installed-own-program", {120, 6, kTileInstalled}, "IconMenuInstalled",
         {{1010, true, false}, {1011, true, true}, {1014, true, false}}},
        {"installed-tool", {121, 5, kTileInstalled}, "IconMenuInstalled", {{1013, true, false}, {1014, true, true}}},
        {"library-not-installed", {114, 1, kTileNotInstalled, false, false, true, false}, "IconMenuNoInstall",
         {{1009, false, true}, {1015, true, true}, {1018, true, true}, {1017, true, false}}},
        {"library-installed-twin", {114, 1, kTileNotInstalled, false, true, false, true}, "IconMenuNoInstall",
         {{1009, true, true}, {1015, false, true}, {1018, true, false}, {1017, true, true}}},
        {"library-web-game", {116, 4, kTileNotInstalled}, "IconMenuNoInstall", {{1009, true, true}, {1015, false, true}}},
    };
    for (const auto& c : cases) {
        const VQTileMenuPlan plan = PlanTileMenu(c.facts);
        EXPECT_EQ(c.layout, plan.layout) << c.name;
        for (const Expect& e : c.items) {
            const VQMenuItemPlan* item = plan.Find(e.id);
            ASSERT_NE(nullptr, item) << c.name << " " << e.id;
            EXPECT_EQ(e.visible, item->visible) << c.name << " " << e.id;
            EXPECT_EQ(e.enabled, item->enabled) << c.name << " " << e.id;
        }
    }
}

TEST(TileMenu, TheInstalledTwinIsATileInStateOne) {
    // A catalogue tile of game 7; the installed pages hold a tile of it in
    // the state of the case (the quick strip keeps tools it lost as state 2).
    const struct {
        const char* name;
        int twinList;
        uint32_t twinState;
        bool twin;
        int shown;  // 1009 run or 1015 download
    } cases[] = {
        {"installed game", 120, kTileInstalled, true, 1009},
        {"installed tool on the quick strip", 121, kTileInstalled, true, 1009},
        {"quick strip tool not installed", 121, kTileNotInstalled, false, 1015},
        {"no tile of the game", 0, 0, false, 1015},
    };
    for (const auto& c : cases) {
        VQTileTestHost host(IconListMarkup(114, L"singlelist", 2, 5) + IconListMarkup(120, L"installlist", 2, 5) +
                            IconListMarkup(121, L"quicklist", 1, 8));
        VQGameIcon* tile = MakeTile(7, L"游戏", kTileNotInstalled);
        ASSERT_TRUE(host.List(114)->AddTile(tile)) << c.name;
        if (c.twinList != 0) {
            ASSERT_TRUE(host.List(c.twinList)->AddTile(MakeTile(7, L"游戏", c.twinState))) << c.name;
        }
        const VQTileMenuFacts facts = TileMenuFactsOf(*tile);
        EXPECT_EQ(114, facts.listId) << c.name;
        EXPECT_EQ(c.twin, facts.hasInstalledTwin) << c.name;
        const VQTileMenuPlan plan = PlanTileMenu(facts);
        EXPECT_TRUE(plan.Find(c.shown)->visible) << c.name;
        EXPECT_FALSE(plan.Find(c.shown == 1009 ? 1015 : 1009)->visible) << c.name;
    }
}

TEST(TileMenu, ShortcutItemSaysWhatItWillDo) {
    VQTileMenuFacts facts{120, 1, kTileInstalled};
    EXPECT_EQ(L"创建桌面图标", PlanTileMenu(facts).Find(1012)->text);
    facts.hasShortcut = true;
    EXPECT_EQ(L"删除桌面图标", PlanTileMenu(facts).Find(1012)->text);
}

// A plain window that records the commands it receives.
class CommandSink {
public:
    CommandSink() {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = &CommandSink::Proc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VQTestCommandSink";
        ::RegisterClassW(&wc);
        hwnd = ::CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"Tovana", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 wc.hInstance, nullptr);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~CommandSink() { ::DestroyWindow(hwnd); }
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<CommandSink*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (message == WM_COMMAND && self) self->commands.push_back(static_cast<int>(LOWORD(wParam)));
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
    HWND hwnd = nullptr;
    std::vector<int> commands;
};

bool WaitMenusClosed() {
    VQMenuWnd::CloseMenuWindows(nullptr, CloseAllMenus);
    return PumpUntil([] { return VQMenuWnd::OpenMenus().empty(); });
}

TEST(TileMenu, EveryMenuItemSendsItsCommand) {
    const struct {
        const char* layout;
        std::vector<int> ids;
    } menus[] = {
        {"MoreMenu", {1001, 1000, 1002, 1003, 1004, 1005, 1006}},
        {"IconMenuDownload", {1019, 1020, 1021, 1022, 1023, 1024, 1025}},
        {"IconMenuInstalled", {1009, 1010, 1011, 1012, 1013, 1014}},
        {"IconMenuNoInstall", {1009, 1015, 1010, 1016, 1018, 1017}},
    };
    CommandSink sink;
    for (const auto& m : menus) {
        bool shot = false;
        for (int id : m.ids) {
            ASSERT_TRUE(WaitMenusClosed());
            VQMenuWnd* menu = nullptr;
            ASSERT_NE(nullptr, OpenPopupMenu(sink.hwnd, m.layout, POINT{40, 40}, &menu)) << m.layout;
            PumpPending();
            ASSERT_NE(nullptr, menu) << m.layout;
            VQControl* item = menu->GetPaintManager().FindControlById(id);
            ASSERT_NE(nullptr, item) << m.layout << " " << id;
            ASSERT_TRUE(PumpUntil([&] { return menu && item->GetPos().bottom > item->GetPos().top; }));
            if (!shot) {
                ::UpdateWindow(menu->GetHWND());
                shot = KeepScreenshot(menu->GetHWND(), std::wstring(L"Menu-") +
                                                           std::wstring(m.layout, m.layout + strlen(m.layout)));
            }
            sink.commands.clear();
            PostMouseMove(menu->GetHWND(), CenterOf(item));
            PostClick(menu->GetHWND(), CenterOf(item));
            EXPECT_TRUE(PumpUntil([&] { return !sink.commands.empty(); })) << m.layout << " " << id;
            if (!sink.commands.empty()) {
                EXPECT_EQ(id, sink.commands.front()) << m.layout;
            }
        }
    }
    EXPECT_TRUE(WaitMenusClosed());
}

TEST(TileMenu, PlanAppliesBeforeShowingAndHiddenItemsTakeNoRoom) {
    CommandSink sink;
    ASSERT_TRUE(WaitMenusClosed());
    VQMenuWnd* plain = nullptr;
    ASSERT_NE(nullptr, OpenPopupMenu(sink.hwnd, "IconMenuNoInstall", POINT{40, 40}, &plain));
    RECT full = {};
    ::GetWindowRect(plain->GetHWND(), &full);
    ASSERT_TRUE(WaitMenusClosed());

    const VQTileMenuPlan plan = PlanTileMenu(VQTileMenuFacts{114, 1, kTileNotInstalled});
    VQMenuWnd* menu = nullptr;
    ASSERT_NE(nullptr, OpenPopupMenu(sink.hwnd, plan.layout, POINT{40, 40}, &menu, &plan));
    PumpPending();
    ASSERT_NE(nullptr, menu);
    RECT shown = {};
    ::GetWindowRect(menu->GetHWND(), &shown);
    EXPECT_EQ((full.bottom - full.top) - 28, shown.bottom - shown.top) << "one item of 28 hidden";
    EXPECT_FALSE(menu->GetPaintManager().FindControlById(1009)->IsVisible());
    EXPECT_FALSE(menu->GetPaintManager().FindControlById(1017)->IsEnabled());
    KeepScreenshot(menu->GetHWND(), L"Menu-IconMenuNoInstall-planned");
    EXPECT_TRUE(WaitMenusClosed());
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
