// The game-icon tip beside a tile: the tile's page picks its mode, and the
// main window's note that a tile reached the downloaded state (WM_USER+5)
// disables the skin's control 1021 only for the tile the tip shows.
#include <gtest/gtest.h>

#include "VQCore/app/pages/GameIcon.h"
#include "VQCore/app/pages/GameIconTipWnd.h"
#include "VQCore/app/pages/IconList.h"
#include "tests/VQCore/app/TileTestHost.h"
#include "ui/Container.h"

namespace Tessar {
namespace Test {
namespace {

TEST(GameIconTip, ADownloadedTileDisablesControl1021OfItsTip) {
    VQTileTestHost host(IconListMarkup(119, L"downloadlist", 2, 5));
    VQGameIcon* shown = MakeTile(301, L"赛车", kTileDownloading);
    VQGameIcon* other = MakeTile(302, L"足球", kTileDownloading);
    ASSERT_TRUE(host.List(119)->AddTile(shown));
    ASSERT_TRUE(host.List(119)->AddTile(other));
    VQGameIconTipWnd tip(host.Handle(), [](uint32_t) -> uint32_t { return 0; });
    ASSERT_TRUE(::IsWindow(tip.GetHWND()));
    // A skin that has the control.
    auto* card = static_cast<VQContainer*>(tip.Find(112)->GetInterface(ControlTypeContainer));
    ASSERT_NE(nullptr, card);
    VQControl* control = new VQControl();
    control->SetId(VQGameIconTipWnd::kDownloadedControlId);
    ASSERT_TRUE(card->Add(control));
    ASSERT_EQ(control, tip.Find(1021));

    tip.SetTile(shown, POINT{10, 10});
    EXPECT_EQ(kGameTipDownload, tip.GetMode());
    const struct {
        const char* name;
        const VQGameIcon* tile;
        bool enabled;
    } steps[] = {{"nothing", nullptr, true}, {"another tile", other, true}, {"the tile shown", shown, false}};
    for (const auto& step : steps) {
        tip.OnTileDownloaded(step.tile);
        EXPECT_EQ(step.enabled, control->IsEnabled()) << step.name;
    }
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
