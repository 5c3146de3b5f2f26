// The control factory's tags, the skin chooser's grid, and the tab top's
// three pieces and its following of the main tabs.
#include <gtest/gtest.h>

#include <memory>

#include "VQCore/app/start/ControlFactory.h"
#include "VQCore/app/windows/SkinContainer.h"
#include "VQCore/app/mainwindow/TabTop.h"
#include "tests/VQCore/app/TileTestHost.h"
#include "ui/TabCtrl.h"

namespace Tessar {
namespace Test {
namespace {

TEST(ControlFactory, MakesTheApplicationTags) {
    VQDialogBuilderCallbackEx factory;
    const struct {
        const wchar_t* tag;
        int type;
    } cases[] = {{L"TabTop", 1}, {L"IconList", 25}, {L"SkinContainer", 20}, {L"GameIconToolBar", 18}, {L"GameIcon", 17}};
    for (const auto& c : cases) {
        std::unique_ptr<VQControl> control(factory.CreateControl(c.tag));
        ASSERT_NE(nullptr, control) << c.type;
        EXPECT_EQ(c.type, control->GetControlType());
    }
    for (const wchar_t* tag : {L"gameicon", L"GameIconX", L"Game", L"", L"Button"})
        EXPECT_EQ(nullptr, factory.CreateControl(tag));
    EXPECT_EQ(nullptr, factory.CreateControl(nullptr));
    std::unique_ptr<IGameTile> tile = MakeGameTile();
    ASSERT_NE(nullptr, tile);
    tile->SetState(2);
}

TEST(SkinContainer, ThreeColumnsAndContentHeight) {
    for (int items : {7, 6, 1}) {
        VQSkinContainer grid;
        grid.SetAttribute(L"itemwidth", L"120");
        grid.SetAttribute(L"itemheight", L"86");
        grid.SetAttribute(L"rowspacing", L"15");
        grid.SetAttribute(L"columnspacing", L"10");
        grid.SetAttribute(L"item", L"tooltip=\"皮肤\"");
        for (int i = 0; i < items; ++i) grid.Add(new VQControl());
        grid.SetPos(0, 0, 400, 600);
        const int rows = (items + 2) / 3;
        EXPECT_EQ(rows * 86 + (rows - 1) * 15, grid.GetContentHeight()) << items;
        const RECT fourth = items > 3 ? grid.GetItemAt(3)->GetPos() : RECT{};
        if (items > 3) {
            EXPECT_EQ(0, fourth.left);
            EXPECT_EQ(101, fourth.top);
        }
        if (items > 1) {
            EXPECT_EQ(130, grid.GetItemAt(1)->GetPos().left);
        }
        EXPECT_EQ(L"皮肤", grid.GetItemAt(0)->GetToolTip());
        EXPECT_TRUE(grid.GetItemAt(0)->TestDispatchBit(EventMouseWheel));
    }
}

TEST(TabTop, PiecesFollowTheSelection) {
    VQTabTop top;
    top.SetAttribute(L"itemwidth", L"96");
    top.SetAttribute(L"itemchildpadding", L"0");
    top.SetAttribute(L"imagecorner", L"20,20,932,6,4");
    top.SetAttribute(L"normalimage", L"res='600' restype='PNG'");
    top.SetPos(0, 0, 952, 10);
    std::wstring pieces[3];
    top.BuildPieces(pieces);
    EXPECT_EQ(L"res='600' restype='PNG' source='0,0,20,10' dest='0,0,0,10' corner='19,0,0,0'", pieces[0]);
    EXPECT_EQ(L"res='600' restype='PNG' source='0,6,40,10' dest='0,6,96,10' corner='19,0,0,0'", pieces[1])
        << "the first item uses the left-corner notch";
    EXPECT_EQ(L"res='600' restype='PNG' source='932,0,952,10' dest='96,0,952,10' corner='0,0,19,0'", pieces[2]);
    top.SetSelectedIndex(2);
    top.BuildPieces(pieces);
    EXPECT_EQ(L"res='600' restype='PNG' source='20,6,40,10' dest='192,6,288,10'", pieces[1]);
    EXPECT_EQ(L"res='600' restype='PNG' source='932,0,952,10' dest='288,0,952,10' corner='0,0,19,0'", pieces[2]);
}

TEST(TabTop, TheStripFollowsTheMainTabsSelection) {
    const std::wstring tabs =
        L"<TabCtrl id=\"105\" name=\"maintab\" group=\"1\" height=\"36\"><TabItem text=\"a\" width=\"96\" />"
        L"<TabItem text=\"b\" width=\"96\" /><TabItem text=\"c\" width=\"96\" /></TabCtrl>";
    const struct {
        const char* name;
        const wchar_t* strip;
        bool followed;
    } cases[] = {
        {"a strip", L"<TabTop name=\"tabtop\" itemwidth=\"96\" height=\"6\" />", true},
        {"no strip", L"", false},
        {"another control of that name", L"<Control name=\"tabtop\" height=\"6\" />", false},
    };
    for (const auto& c : cases) {
        VQTileTestHost host(tabs + c.strip);
        auto* tabCtrl = static_cast<VQTabCtrl*>(host.Manager().FindControlById(105)->GetInterface(ControlTypeTab));
        ASSERT_NE(nullptr, tabCtrl) << c.name;
        for (int index : {2, 0, 1}) {
            tabCtrl->SelectItem(index);
            EXPECT_EQ(c.followed, FollowSelectedTab(host.Manager(), L"tabtop", *tabCtrl)) << c.name;
            auto* strip = dynamic_cast<VQTabTop*>(host.Manager().FindControlByName(L"tabtop"));
            if (c.followed) {
                ASSERT_NE(nullptr, strip) << c.name;
                EXPECT_EQ(index, strip->GetSelectedIndex()) << c.name;
            }
        }
    }
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
