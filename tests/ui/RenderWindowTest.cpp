// The paint steps in a real window under the virtual display: a tree of
// controls with skin pictures, colours, text and borders is painted by the
// window's paint manager, and the client area is read back.
#include <gtest/gtest.h>

#include "tests/ui/RenderCanvas.h"
#include "tests/ui/RoutingTestWindow.h"
#include "tests/ui/WindowScreenshot.h"
#include "ui/Layouts.h"

namespace Tessar {
namespace {

using Test::SkinFixture;
using Test::VQRenderCanvas;
using Test::VQRoutingWindow;

// The client area as the display shows it.
void ReadClient(HWND hwnd, VQRenderCanvas& canvas) {
    HDC windowDC = ::GetDC(hwnd);
    ::BitBlt(canvas.DC(), 0, 0, canvas.Width(), canvas.Height(), windowDC, 0, 0, SRCCOPY);
    ::ReleaseDC(hwnd, windowDC);
}

TEST(RenderWindowTest, ControlsPaintTheirPicturesColoursAndBordersIntoTheWindow) {
    const int width = 200, height = 120;
    // Topmost, so that a window of another test program running beside
    // this one cannot cover the pixels read back.
    VQRoutingWindow window(nullptr, width, height, WS_EX_TOOLWINDOW | WS_EX_TOPMOST, 520, 60);
    Tessar::Test::VQScreenshotOnFailure shot(window.GetHWND());
    VQVerticalLayout* root = new VQVerticalLayout;
    root->ApplyAttributeList(L"bknormalimage=\"file='" + SkinFixture(L"nine.png") + L"' corner='4,4,4,4'\"");
    VQControl* button = new VQControl;
    button->ApplyAttributeList(L"height=\"24\" padding=\"20,20,0,0\" width=\"60\" bknormalimage=\"file='" +
                               SkinFixture(L"button.png") + L"' source='0,0,60,24' corner='4,4,4,4'\"");
    VQControl* panel = new VQControl;
    panel->ApplyAttributeList(
        L"height=\"40\" padding=\"20,10,0,0\" width=\"100\" normalbkcolor=\"#FF204060\" disabledbkcolor=\"#FF808080\" "
        L"bordercolor=\"#FFFFFF00\" bordersize=\"2\"");
    root->Add(button);
    root->Add(panel);
    window.Attach(root);
    ::UpdateWindow(window.GetHWND());

    VQRenderCanvas client(width, height, 0);
    ReadClient(window.GetHWND(), client);
    const RECT b = button->GetPos(), p = panel->GetPos();
    struct Case {
        const char* name;
        int x, y;
        uint32_t expected;
    } cases[] = {
        {"window corner cell", 1, 1, 0xFF0000},
        {"window centre cell", 150, 100, 0x00FFFF},
        {"window bottom-right cell", width - 2, height - 2, 0x000080},
        {"button body", b.left + 30, b.top + 12, 0x3B6EA5},
        {"button frame", b.left, b.top, 0x1E3A5C},
        {"panel colour", p.left + 50, p.top + 20, 0x204060},
        {"panel border", p.left, p.top + 20, 0xFFFF00},
        {"panel border, second pixel", p.left + 1, p.top + 20, 0xFFFF00},
    };
    for (const Case& c : cases) EXPECT_EQ(c.expected, client.Rgb(c.x, c.y)) << c.name;

    // Disabling repaints the panel in its disabled colour.
    panel->SetEnabled(false);
    ::UpdateWindow(window.GetHWND());
    ReadClient(window.GetHWND(), client);
    EXPECT_EQ(0x808080u, client.Rgb(p.left + 50, p.top + 20));
    EXPECT_EQ(0xFFFF00u, client.Rgb(p.left, p.top + 20)) << "the border stays";
}

}  // namespace
}  // namespace Tessar
