// Painting and window shape of the paint manager with real windows:
// round-corner regions, resize zones and caption, track sizes, the
// off-screen bitmap, layered windows and the fonts it owns.
#include <gtest/gtest.h>

#include "tests/ui/RoutingTestWindow.h"
#include "tests/ui/WindowInput.h"
#include "tests/ui/WindowScreenshot.h"
#include "ui/Layouts.h"

namespace Tessar {
namespace {

namespace input = Tessar::Test;
using input::PumpUntil;
using input::VQProbeControl;
using input::VQRoutingWindow;

bool InRegion(HWND hwnd, int x, int y) {
    HRGN region = ::CreateRectRgn(0, 0, 0, 0);
    const int kind = ::GetWindowRgn(hwnd, region);
    const bool inside = kind != ERROR && ::PtInRegion(region, x, y);
    ::DeleteObject(region);
    return inside;
}

bool HasRegion(HWND hwnd) {
    HRGN region = ::CreateRectRgn(0, 0, 0, 0);
    const int kind = ::GetWindowRgn(hwnd, region);
    ::DeleteObject(region);
    return kind != ERROR;
}

TEST(Paint, RoundCornersShapeTheWindowRegion) {
    const int w = 200, h = 100;
    struct Case {
        const char* name;
        int cx, cy;
        bool topRound, bottomRound;
    } cases[] = {
        {"6,0 rounds the top only", 6, 0, true, false},
        {"0,6 rounds the bottom only", 0, 6, false, true},
        {"6,6 rounds all four", 6, 6, true, true},
    };
    for (const Case& c : cases) {
        VQRoutingWindow window(nullptr, w, h);
        input::VQScreenshotOnFailure shot(window.GetHWND());
        window.GetPaintManager().SetRoundCorner(c.cx, c.cy);
        ::SendMessageW(window.GetHWND(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(w, h));
        ASSERT_TRUE(HasRegion(window.GetHWND())) << c.name;
        EXPECT_EQ(!c.topRound, InRegion(window.GetHWND(), 0, 0)) << c.name;
        EXPECT_EQ(!c.topRound, InRegion(window.GetHWND(), w - 1, 0)) << c.name;
        EXPECT_EQ(!c.bottomRound, InRegion(window.GetHWND(), 0, h - 1)) << c.name;
        EXPECT_EQ(!c.bottomRound, InRegion(window.GetHWND(), w - 1, h - 1)) << c.name;
        EXPECT_TRUE(InRegion(window.GetHWND(), w / 2, h / 2)) << c.name;
        EXPECT_TRUE(InRegion(window.GetHWND(), 0, h / 2)) << c.name;

        // 0,0 takes the shape away again at the next size change.
        window.GetPaintManager().SetRoundCorner(0, 0);
        ::SendMessageW(window.GetHWND(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(w, h));
        EXPECT_TRUE(InRegion(window.GetHWND(), 0, 0)) << c.name;
        EXPECT_TRUE(InRegion(window.GetHWND(), w - 1, h - 1)) << c.name;
    }
}

TEST(Paint, ResizeZonesAndCaptionAnswerTheHitTest) {
    VQRoutingWindow window(nullptr, 300, 200, WS_EX_TOOLWINDOW, 60, 70);
    input::VQScreenshotOnFailure shot(window.GetHWND());
    VQVerticalLayout* root = new VQVerticalLayout;
    VQControl* title = new VQControl;
    title->SetFixedHeight(30);
    title->SetAttribute(L"caption", L"true");
    VQControl* button = new VQControl;
    button->SetAttribute(L"float", L"true");
    button->SetAttribute(L"pos", L"250,5,280,25");
    root->Add(title);
    root->Add(button);
    root->Add(new VQControl);
    VQPaintManager& manager = window.GetPaintManager();
    RECT sizeBox = {4, 4, 4, 4};
    manager.SetSizeBox(sizeBox, 6);
    RECT caption = {0, 0, 0, 30};
    manager.SetCaptionRect(caption);
    window.Attach(root);

    struct Case {
        const char* name;
        int x, y;  // client
        LRESULT expected;
    } cases[] = {
        {"top-left corner", 1, 1, HTTOPLEFT},
        {"top edge near the left corner", 9, 2, HTTOPLEFT},
        {"top edge", 150, 2, HTTOP},
        {"top-right", 295, 1, HTTOPRIGHT},
        {"left edge", 1, 100, HTLEFT},
        {"left edge near the top", 1, 8, HTTOPLEFT},
        {"right edge", 298, 100, HTRIGHT},
        {"right edge near the bottom", 298, 192, HTBOTTOMRIGHT},
        {"bottom edge", 150, 198, HTBOTTOM},
        {"bottom-left", 2, 198, HTBOTTOMLEFT},
        {"caption control", 100, 15, HTCAPTION},
        {"button on the caption is not the caption", 260, 15, HTCLIENT},
        {"below the caption", 100, 100, HTCLIENT},
    };
    for (const Case& c : cases) {
        POINT screen = {c.x, c.y};
        ::ClientToScreen(window.GetHWND(), &screen);
        const LRESULT hit = ::SendMessageW(window.GetHWND(), WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y));
        EXPECT_EQ(c.expected, hit) << c.name;
    }
}

TEST(Paint, TrackSizesComeFromTheWindowAttributes) {
    VQRoutingWindow window;
    VQPaintManager& manager = window.GetPaintManager();
    manager.SetMinInfo(320, 240);
    manager.SetMaxInfo(800, 0);
    MINMAXINFO info = {};
    info.ptMaxPosition.y = -4;
    ::SendMessageW(window.GetHWND(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(320, info.ptMinTrackSize.x);
    EXPECT_EQ(240, info.ptMinTrackSize.y);
    EXPECT_EQ(800, info.ptMaxTrackSize.x);
    EXPECT_EQ(800, info.ptMaxSize.x);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    ASSERT_TRUE(::GetMonitorInfoW(::MonitorFromWindow(window.GetHWND(), MONITOR_DEFAULTTONEAREST), &monitor));
    EXPECT_EQ(monitor.rcWork.bottom - monitor.rcWork.top + 8, info.ptMaxTrackSize.y);
}

TEST(Paint, PaintingDrawsOnlyTheUpdatedPartThroughTheOffscreenBitmap) {
    VQRoutingWindow window(nullptr, 200, 120);
    input::VQScreenshotOnFailure shot(window.GetHWND());
    VQProbeControl* probe = new VQProbeControl;
    probe->fill = 0xFF2080C0;
    window.Attach(probe);
    ASSERT_FALSE(probe->paints.empty());
    RECT whole = {0, 0, 200, 120};
    EXPECT_TRUE(::EqualRect(&whole, &probe->paints.back())) << "the first paint lays out and draws everything";
    EXPECT_EQ(1, window.Count(NotifyWindowInit, probe));

    probe->paints.clear();
    RECT part = {20, 30, 60, 50};
    ::InvalidateRect(window.GetHWND(), &part, FALSE);
    ::UpdateWindow(window.GetHWND());
    ASSERT_EQ(1u, probe->paints.size());
    EXPECT_TRUE(::EqualRect(&part, &probe->paints[0]));
    EXPECT_EQ(1, window.Count(NotifyWindowInit)) << "window init is sent once";

    // A size change lays the root out again at the next paint.
    ::SetWindowPos(window.GetHWND(), nullptr, 0, 0, 150, 90, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    window.Paint();
    EXPECT_EQ(150, probe->GetWidth());
    EXPECT_EQ(90, probe->GetHeight());
}

TEST(Paint, AskedRepaintsReachTheWindowOnceBetweenPaints) {
    VQRoutingWindow window(nullptr, 200, 120);
    input::VQScreenshotOnFailure shot(window.GetHWND());
    VQProbeControl* probe = new VQProbeControl;
    window.Attach(probe);
    VQPaintManager& manager = window.GetPaintManager();
    const HWND hwnd = window.GetHWND();
    const RECT outer = {20, 30, 60, 50}, inner = {25, 35, 40, 45}, apart = {100, 60, 140, 80};
    auto updateIs = [hwnd](const RECT& expected) {
        RECT update = {};
        return ::GetUpdateRect(hwnd, &update, FALSE) && ::EqualRect(&update, &expected);
    };

    // A part inside one already asked for is not asked again: with the
    // window made valid behind the manager's back, nothing reaches it.
    manager.InvalidateRect(outer);
    EXPECT_TRUE(updateIs(outer));
    ::ValidateRect(hwnd, nullptr);
    manager.InvalidateRect(inner);
    EXPECT_FALSE(::GetUpdateRect(hwnd, nullptr, FALSE));
    // One elsewhere is.
    manager.InvalidateRect(apart);
    EXPECT_TRUE(updateIs(apart));

    // After a paint every ask reaches the window again and is drawn.
    ::UpdateWindow(hwnd);
    probe->paints.clear();
    manager.InvalidateRect(inner);
    ::UpdateWindow(hwnd);
    ASSERT_EQ(1u, probe->paints.size());
    EXPECT_TRUE(::EqualRect(&inner, &probe->paints[0]));

    // So after a paint message that found nothing to draw, and after the
    // whole window was asked for.
    manager.InvalidateRect(outer);
    ::ValidateRect(hwnd, nullptr);
    ::SendMessageW(hwnd, WM_PAINT, 0, 0);
    manager.InvalidateRect(inner);
    EXPECT_TRUE(updateIs(inner));
    manager.InvalidateWindow();
    ::UpdateWindow(hwnd);
    probe->paints.clear();
    manager.InvalidateRect(apart);
    ::UpdateWindow(hwnd);
    ASSERT_EQ(1u, probe->paints.size());
    EXPECT_TRUE(::EqualRect(&apart, &probe->paints[0]));

    // A layered spell in between (its paint validates the window without
    // a WM_PAINT) starts the record afresh too.
    manager.InvalidateWindow();
    ::ValidateRect(hwnd, nullptr);
    manager.SetLayered(true);
    manager.SetLayered(false);
    manager.InvalidateRect(inner);
    EXPECT_TRUE(updateIs(inner));
}

TEST(Paint, LayeredWindowIsPaintedWholeThroughUpdateLayeredWindow) {
    VQRoutingWindow window(nullptr, 160, 90);
    input::VQScreenshotOnFailure shot(window.GetHWND());
    VQPaintManager& manager = window.GetPaintManager();
    manager.SetLayered(true);
    VQProbeControl* probe = new VQProbeControl;
    probe->fill = 0xFF00FF00;
    manager.AttachRootControl(probe);
    manager.AddNotifier(&window);
    ASSERT_TRUE(manager.PaintLayered(255));
    EXPECT_TRUE(::GetWindowLongPtrW(window.GetHWND(), GWL_EXSTYLE) & WS_EX_LAYERED);
    ASSERT_FALSE(probe->paints.empty());
    RECT whole = {0, 0, 160, 90};
    EXPECT_TRUE(::EqualRect(&whole, &probe->paints.back()));
    EXPECT_EQ(1, window.Count(NotifyWindowInit, probe));

    // A control's Invalidate repaints the layered window at once.
    const size_t before = probe->paints.size();
    probe->Invalidate();
    EXPECT_EQ(before + 1, probe->paints.size());
}

TEST(Paint, LayeredPaintOfAnEmptyClientAreaFailsWithoutPainting) {
    VQRoutingWindow window(nullptr, 0, 0);
    VQPaintManager& manager = window.GetPaintManager();
    manager.SetLayered(true);
    VQProbeControl* probe = new VQProbeControl;
    manager.AttachRootControl(probe);
    EXPECT_FALSE(manager.PaintLayered(255));
    EXPECT_TRUE(probe->paints.empty());
}

TEST(Paint, MinimisedWindowGetsNoNewRegion) {
    VQRoutingWindow window(nullptr, 200, 100);
    window.GetPaintManager().SetRoundCorner(8, 8);
    ::ShowWindow(window.GetHWND(), SW_MINIMIZE);
    if (!::IsIconic(window.GetHWND())) GTEST_SKIP() << "this display cannot minimise an unmanaged popup";
    ::SendMessageW(window.GetHWND(), WM_SIZE, SIZE_MINIMIZED, 0);
    EXPECT_FALSE(HasRegion(window.GetHWND()));
}

TEST(Paint, DelayedCleanupFreesControlsAtItsMessage) {
    VQRoutingWindow window;
    VQVerticalLayout* root = new VQVerticalLayout;
    window.Attach(root);
    int deaths = 0;
    VQProbeControl* doomed = new VQProbeControl(&deaths);
    root->Add(doomed);
    DetachControlFromParent(doomed);
    window.GetPaintManager().AddDelayedCleanup(doomed);
    window.GetPaintManager().PostDelayedCleanup();
    EXPECT_EQ(0, deaths);
    EXPECT_TRUE(PumpUntil([&] { return deaths == 1; }));
}

LOGFONTW FontOf(HFONT font) {
    LOGFONTW lf = {};
    ::GetObjectW(font, sizeof(lf), &lf);
    return lf;
}

TEST(Paint, FontsAreCreatedAsAskedAndOwnedOnce) {
    VQRoutingWindow window;
    VQPaintManager& manager = window.GetPaintManager();
    struct Case {
        const char* name;
        bool bold, underline, italic;
        LONG weight;
    } cases[] = {{"regular", false, false, false, FW_NORMAL}, {"bold", true, false, false, FW_BOLD},
                 {"bold italic underlined", true, true, true, FW_BOLD}};
    for (const Case& c : cases) {
        HFONT font = manager.AddFont(L"f", L"Tahoma", 13, c.bold, c.underline, c.italic);
        ASSERT_NE(nullptr, font) << c.name;
        LOGFONTW lf = FontOf(font);
        EXPECT_EQ(c.weight, lf.lfWeight) << c.name;
        EXPECT_EQ(-13, lf.lfHeight) << c.name;
        EXPECT_EQ(c.underline, lf.lfUnderline != 0) << c.name;
        EXPECT_EQ(c.italic, lf.lfItalic != 0) << c.name;
        EXPECT_STREQ(L"Tahoma", lf.lfFaceName) << c.name;
        EXPECT_NE(nullptr, manager.GetFontMetrics(font)) << c.name;
    }

    // The default comes from the "Default" entry and follows it when the
    // entry is replaced; the replaced font is freed, not kept.
    HFONT first = manager.AddFont(L"Default", L"Tahoma", 12, false, false, false);
    EXPECT_EQ(first, manager.GetFont(L""));
    EXPECT_EQ(first, manager.GetFont(L"unknown"));
    HFONT second = manager.AddFont(L"Default", L"Tahoma", 14, false, false, false);
    EXPECT_EQ(second, manager.GetFont(L""));
    EXPECT_EQ(0u, ::GetObjectType(first)) << "the replaced font is deleted";
    EXPECT_EQ(static_cast<DWORD>(OBJ_FONT), ::GetObjectType(second));
}

TEST(Paint, FallbackDefaultFontIsFreedWhenTheLayoutDeclaresOne) {
    HFONT declared = nullptr;
    HFONT fallback = nullptr;
    {
        VQRoutingWindow window;
        VQPaintManager& manager = window.GetPaintManager();
        fallback = manager.GetFont(L"");
        ASSERT_NE(nullptr, fallback);
        EXPECT_EQ(fallback, manager.GetFont(L"")) << "made once";
        declared = manager.AddFont(L"text", L"Tahoma", 12, false, false, false);
        manager.SetDefaultFont(declared);
        EXPECT_EQ(0u, ::GetObjectType(fallback)) << "the fallback is not leaked";
        EXPECT_EQ(declared, manager.GetFont(L""));
        EXPECT_EQ(static_cast<DWORD>(OBJ_FONT), ::GetObjectType(declared));
    }
    EXPECT_EQ(0u, ::GetObjectType(declared)) << "freed once, with its entry";
}

}  // namespace
}  // namespace Tessar
