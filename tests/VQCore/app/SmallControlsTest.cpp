// The control factory's tags, the skin chooser's grid and the tab top's
// three pieces.
#include <gtest/gtest.h>

#include <memory>

#include "VQCore/app/ControlFactory.h"
#include "VQCore/app/SkinContainer.h"
#include "VQCore/app/TabTop.h"

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

}  // namespace
}  // namespace Test
}  // namespace Tessar
