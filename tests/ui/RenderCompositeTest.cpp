// Image layers blended as one composed picture: the same pixels as the
// layers drawn one by one, nothing drawn when they cannot be composed, and
// a composite that goes with the pictures it was made of.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/support/TempFolder.h"
#include "tests/ui/RenderCanvas.h"
#include "ui/RenderEngine.h"
#include "ui/SkinManager.h"

namespace Tessar {
namespace {

using Test::ReadWholeFile;
using Test::SkinFixture;
using Test::VQRenderCanvas;

std::wstring File(const std::wstring& path) {
    return L"file='" + path + L"'";
}

// An opaque pattern under the layers, so that a wrong alpha shows.
void PaintBackground(VQRenderCanvas& canvas) {
    const RECT all = {0, 0, canvas.Width(), canvas.Height()};
    ASSERT_TRUE(VQRenderEngine::DrawImageString(canvas.DC(), all, all, File(SkinFixture(L"nine.png")).c_str()));
}

bool DrawComposed(VQRenderCanvas& canvas, const RECT& item, const RECT& box, const std::wstring* layers, size_t count) {
    const RECT paint = {0, 0, canvas.Width(), canvas.Height()};
    return VQRenderEngine::DrawComposedImages(canvas.DC(), item, paint, box, layers, count);
}

int LargestChannelDifference(uint32_t a, uint32_t b) {
    int largest = 0;
    for (int shift = 0; shift < 24; shift += 8)
        largest = std::max(largest, std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)));
    return largest;
}

TEST(RenderCompositeTest, ComposedLayersLookLikeTheLayersDrawnOneByOne) {
    const RECT item = {6, 4, 66, 54};
    const RECT box = {10, 4, 50, 44};
    const std::wstring layers[] = {File(SkinFixture(L"nine-alpha.png")) + L" corner='4,4,4,4' dest='4,0,44,40'",
                                   File(SkinFixture(L"logo.png")) + L" dest='12,8,36,32'"};
    VQRenderCanvas separate(72, 60), composed(72, 60);
    PaintBackground(separate);
    PaintBackground(composed);
    const RECT paint = {0, 0, 72, 60};
    for (const std::wstring& layer : layers)
        ASSERT_TRUE(VQRenderEngine::DrawImageString(separate.DC(), item, paint, layer.c_str()));
    // Twice: made, then taken from the cache.
    for (int pass = 0; pass < 2; ++pass) {
        ASSERT_TRUE(DrawComposed(composed, item, box, layers, 2)) << pass;
        int largest = 0, changed = 0;
        VQRenderCanvas background(72, 60);
        PaintBackground(background);
        for (int y = 0; y < 60; ++y) {
            for (int x = 0; x < 72; ++x) {
                largest = std::max(largest, LargestChannelDifference(separate.Rgb(x, y), composed.Rgb(x, y)));
                if (composed.Rgb(x, y) != background.Rgb(x, y)) ++changed;
            }
        }
        // Blending is associative; only the rounding of each step differs.
        EXPECT_LE(largest, 1) << pass;
        EXPECT_GT(changed, 40 * 40 / 2) << "the layers were drawn";
        PaintBackground(composed);
    }
}

TEST(RenderCompositeTest, APartialRepaintDrawsItsPartAsAWholeRepaintDoes) {
    // The picture is opaque inside the frame: that part is copied, the
    // frame around it blended; a repaint of a part crossing both draws that
    // part as a whole repaint does.
    const RECT item = {6, 4, 66, 54};
    const RECT box = {10, 4, 50, 44};
    const std::wstring layers[] = {File(SkinFixture(L"nine-alpha.png")) + L" corner='4,4,4,4' dest='4,0,44,40'",
                                   File(SkinFixture(L"logo.png")) + L" dest='12,8,36,32'"};
    const RECT all = {0, 0, 72, 60};
    const RECT paint = {20, 6, 40, 30};
    VQRenderCanvas separate(72, 60), composed(72, 60), background(72, 60);
    PaintBackground(separate);
    PaintBackground(composed);
    PaintBackground(background);
    for (const std::wstring& layer : layers)
        ASSERT_TRUE(VQRenderEngine::DrawImageString(separate.DC(), item, all, layer.c_str()));
    ASSERT_TRUE(VQRenderEngine::DrawComposedImages(composed.DC(), item, paint, box, layers, 2));
    int largest = 0;
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 72; ++x) {
            // Outside the part the canvas's clip, not the engine, keeps
            // pixels unchanged: only the part is compared.
            const POINT at = {x, y};
            if (::PtInRect(&paint, at))
                largest = std::max(largest, LargestChannelDifference(separate.Rgb(x, y), composed.Rgb(x, y)));
        }
    }
    EXPECT_LE(largest, 1);
    EXPECT_NE(background.Rgb(30, 20), composed.Rgb(30, 20)) << "the picture's middle was drawn";
}

TEST(RenderCompositeTest, LayersThatCannotBeComposedDrawNothing) {
    const RECT item = {0, 0, 16, 16};
    const std::wstring alpha = File(SkinFixture(L"nine-alpha.png"));
    struct Case {
        const char* name;
        std::wstring top;
    } cases[] = {
        {"an opaque bitmap copies its alpha byte as it is", File(SkinFixture(L"solid.bmp"))},
        {"a picture that is not there", File(SkinFixture(L"no-such-picture.png"))},
    };
    for (const Case& c : cases) {
        const std::wstring layers[] = {alpha, c.top};
        // Asked again: the failure is kept, and still nothing is drawn.
        for (int pass = 0; pass < 2; ++pass) {
            VQRenderCanvas canvas(16, 16, 0xFF102030);
            EXPECT_FALSE(DrawComposed(canvas, item, item, layers, 2)) << c.name;
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x) ASSERT_EQ(0x102030u, canvas.Rgb(x, y)) << c.name << " " << x << "," << y;
        }
    }
}

TEST(RenderCompositeTest, APictureFreedTakesItsCompositeAlong) {
    VQTempFolder folder;
    ASSERT_TRUE(folder.WriteFile(L"picture.png", ReadWholeFile(SkinFixture(L"nine-alpha.png"))));
    const std::wstring layers[] = {File(folder.PathOf(L"picture.png"))};
    const RECT item = {0, 0, 12, 12};
    VQRenderCanvas before(12, 12);
    ASSERT_TRUE(DrawComposed(before, item, item, layers, 1));
    EXPECT_EQ((0xFFu * 0x80 / 255) << 16, before.Rgb(1, 1)) << "the half-transparent red cell over black";

    // A skin change frees the pictures; the file now holds another one.
    VQSkinManager::Instance().FreeImageCaches();
    ASSERT_TRUE(folder.WriteFile(L"picture.png", ReadWholeFile(SkinFixture(L"logo.png"))));
    VQRenderCanvas after(12, 12);
    ASSERT_TRUE(DrawComposed(after, item, item, layers, 1));
    EXPECT_EQ(0xE0A020u, after.Rgb(1, 1)) << "the new picture's first checker cell";
}

}  // namespace
}  // namespace Tessar
