// The fading corner tip and the page number tip: the fading as timer steps
// (six seconds at full opacity, held while the mouse is over it), and the
// real windows with their texts, buttons and showing and hiding.
#include <gtest/gtest.h>

#include "VQCore/app/pages/GameIcon.h"
#include "VQCore/app/windows/MessageTipWnd.h"
#include "VQCore/app/windows/PageTipWnd.h"
#include "VQCore/app/windows/TipFader.h"
#include "tests/VQCore/app/DialogTestDriver.h"
#include "tests/ui/WindowInput.h"
#include "ui/Control.h"

namespace Tessar {
namespace Test {
namespace {

// Runs the timer the fader last started until it stops or hands over.
int RunTimer(VQTipFader& fader, unsigned& timer, bool& closed) {
    int ticks = 0;
    for (;;) {
        const VQTipStep step = fader.OnTimer(timer);
        ++ticks;
        if (step.close) closed = true;
        if (step.killTimer == timer || step.close) {
            timer = step.startTimer;
            return ticks;
        }
        if (ticks > 100000) return ticks;
    }
}

TEST(TipFader, FadesInStaysSixSecondsAndFadesOut) {
    VQTipFader fader;
    VQTipStep step = fader.Start();
    EXPECT_EQ(kTipTimerFadeIn, step.startTimer);
    EXPECT_EQ(10u, step.interval);
    unsigned timer = step.startTimer;
    bool closed = false;
    EXPECT_EQ(85, RunTimer(fader, timer, closed)) << "255 in steps of 3";
    EXPECT_EQ(255, fader.Alpha());
    EXPECT_EQ(kTipTimerVisible, timer);
    EXPECT_EQ(6, RunTimer(fader, timer, closed)) << "six seconds";
    EXPECT_EQ(kTipTimerFadeOut, timer);
    EXPECT_EQ(85, RunTimer(fader, timer, closed));
    EXPECT_TRUE(closed);
    EXPECT_EQ(0, fader.Alpha());
}

TEST(TipFader, HoveringAFadingTipBringsItBackAndRestartsTheWait) {
    VQTipFader fader;
    unsigned timer = fader.Start().startTimer;
    bool closed = false;
    RunTimer(fader, timer, closed);  // in
    RunTimer(fader, timer, closed);  // six seconds
    for (int i = 0; i < 40; ++i) fader.OnTimer(kTipTimerFadeOut);
    EXPECT_EQ(255 - 120, fader.Alpha());
    VQTipStep step = fader.OnMouseEnter();
    EXPECT_TRUE(fader.IsHovering());
    EXPECT_EQ(kTipTimerHoverIn, step.startTimer);
    EXPECT_EQ(0u, fader.OnMouseEnter().startTimer) << "once per stay";
    timer = kTipTimerHoverIn;
    EXPECT_EQ(12, RunTimer(fader, timer, closed)) << "+10 a step";
    EXPECT_EQ(255, fader.Alpha());
    step = fader.OnMouseLeave();
    EXPECT_FALSE(fader.IsHovering());
    EXPECT_EQ(kTipTimerVisible, step.startTimer);
    EXPECT_EQ(6, fader.SecondsLeft());
    timer = kTipTimerVisible;
    EXPECT_EQ(6, RunTimer(fader, timer, closed));
    EXPECT_FALSE(closed);
}

TEST(MessageTipWnd, InstallFinishedOffersRegistrationOrRun) {
    const struct {
        const char* name;
        const wchar_t* registerPage;
        const wchar_t* button;
        int registrations;
        int runs;
    } cases[] = {
        {"run", L"", L"运 行", 0, 1},
        {"register", L"http://127.0.0.1/register", L"立即注册", 1, 0},
    };
    for (const auto& c : cases) {
        VQGameIcon tile;
        tile.SetGameId(123);
        tile.Data().registerPage = c.registerPage;
        tile.SetText(L"演示游戏");
        int registrations = 0, runs = 0;
        VQTipActions actions;
        actions.runGame = [&runs](VQGameIcon&) { ++runs; };
        actions.openRegistration = [&registrations](VQGameIcon&) { ++registrations; };
        VQMessageTipWnd tip(kTipInstallFinished, nullptr, 40, 40, actions);
        ASSERT_TRUE(::IsWindow(tip.GetHWND())) << c.name;
        tip.SetTile(&tile);
        EXPECT_EQ(c.button, tip.Find(103)->GetText()) << c.name;
        EXPECT_EQ(L"演示游戏", tip.Find(105)->GetText()) << c.name;
        EXPECT_TRUE(tip.Find(101)->IsVisible()) << c.name;
        EXPECT_FALSE(tip.Find(100)->IsVisible()) << c.name;
        RECT rc = {};
        ::GetWindowRect(tip.GetHWND(), &rc);
        EXPECT_EQ(309, rc.right - rc.left) << c.name;
        tip.ShowTip();
        EXPECT_TRUE(PumpUntil([&] { return tip.Fader().Alpha() == 255; }, 30000)) << c.name;
        KeepScreenshot(tip.GetHWND(), std::wstring(L"MessageTipWnd-") + std::wstring(c.name, c.name + strlen(c.name)));
        EXPECT_TRUE(ClickControl(tip, 103)) << c.name;
        EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(tip.GetHWND()); })) << c.name;
        EXPECT_EQ(c.registrations, registrations) << c.name;
        EXPECT_EQ(c.runs, runs) << c.name;
    }
}

// What the button acts on is looked up again when it is clicked: the tile
// the tip was given, its replacement (a tool's tile on the quick strip when
// the finished one was detached), or nothing, and then the tip stays.
TEST(MessageTipWnd, TheButtonActsOnTheTileFoundWhenClicked) {
    VQGameIcon given, replacement;
    given.SetGameId(40003);
    given.SetText(L"工具");
    replacement.SetGameId(40003);
    replacement.Data().registerPage = L"http://127.0.0.1/register";
    const struct {
        const char* name;
        VQGameIcon* found;
        bool closes;
        int runs;
        int registrations;
    } cases[] = {
        {"still on its page", &given, true, 1, 0},
        {"replaced on the quick strip", &replacement, true, 0, 1},
        {"gone", nullptr, false, 0, 0},
    };
    for (const auto& c : cases) {
        int runs = 0, registrations = 0;
        uint32_t askedFor = 0;
        uint32_t askedId = 0;
        VQTipActions actions;
        actions.findTile = [&](uint32_t serial, uint32_t gameId) {
            askedFor = serial;
            askedId = gameId;
            return c.found;
        };
        actions.runGame = [&](VQGameIcon& tile) { runs += &tile == c.found ? 1 : 100; };
        actions.openRegistration = [&](VQGameIcon& tile) { registrations += &tile == c.found ? 1 : 100; };
        VQMessageTipWnd tip(kTipInstallFinished, nullptr, 40, 40, actions);
        tip.SetTile(&given);
        tip.ShowTip();
        ASSERT_TRUE(PumpUntil([&] { return ControlCenter(tip, 103).x >= 0; })) << c.name;
        EXPECT_TRUE(ClickControl(tip, 103)) << c.name;
        EXPECT_EQ(c.closes, PumpUntil([&] { return !::IsWindow(tip.GetHWND()); }, c.closes ? 10000 : 1000)) << c.name;
        EXPECT_EQ(given.GetSerial(), askedFor) << c.name;
        EXPECT_EQ(40003u, askedId) << c.name;
        EXPECT_EQ(c.runs, runs) << c.name;
        EXPECT_EQ(c.registrations, registrations) << c.name;
    }
}

// A tip comes up without taking the activation from the window in front.
TEST(MessageTipWnd, ATipDoesNotTakeTheActivation) {
    for (int mode : {kTipInstallFinished, kTipNewGames}) {
        HWND front = ::CreateWindowExW(0, L"STATIC", L"front", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 300, 200,
                                       nullptr, nullptr, nullptr, nullptr);
        ::SetForegroundWindow(front);
        ASSERT_TRUE(PumpUntil([front] { return ::GetForegroundWindow() == front; })) << mode;
        VQMessageTipWnd tip(mode, front, 500, 400);
        tip.ShowTip();
        PumpUntil([] { return false; }, 500);  // painted and fading in
        EXPECT_TRUE(::IsWindowVisible(tip.GetHWND())) << mode;
        EXPECT_EQ(front, ::GetForegroundWindow()) << mode;
        ::DestroyWindow(front);
    }
}

// The tips stand in the work area's bottom right corner, each new one above
// those open there.
TEST(MessageTipWnd, NewTipsStackAboveTheOpenOnes) {
    const RECT work = {0, 0, 1024, 738};
    const RECT first = {715, 580, 1024, 738};
    const RECT second = {715, 422, 1024, 580};
    const struct {
        const char* name;
        SIZE size;
        std::vector<RECT> open;
        POINT at;
    } cases[] = {
        {"none open", {309, 158}, {}, {715, 580}},
        {"one open", {309, 158}, {first}, {715, 422}},
        {"two open", {309, 158}, {first, second}, {715, 264}},
        {"two open, listed the other way", {309, 158}, {second, first}, {715, 264}},
        {"a narrower tip", {260, 110}, {first}, {764, 470}},
        {"one elsewhere", {309, 158}, {RECT{0, 580, 309, 738}}, {715, 580}},
        {"the column full", {309, 158}, {RECT{715, 100, 1024, 738}}, {715, 0}},
    };
    for (const auto& c : cases) {
        const POINT at = StackedTipPosition(work, c.size, c.open);
        EXPECT_EQ(c.at.x, at.x) << c.name;
        EXPECT_EQ(c.at.y, at.y) << c.name;
    }
}

TEST(MessageTipWnd, NewGamesShowTheirCounts) {
    VQMessageTipWnd tip(kTipNewGames, nullptr, 40, 40);
    tip.SetCounts(3, 2, 1, 4, 5);
    EXPECT_EQ(L"15", tip.Find(106)->GetText());
    const wchar_t* counts[] = {L"3", L"2", L"1", L"4", L"5"};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(counts[i], tip.Find(107 + i)->GetText()) << i;
    EXPECT_EQ(L"知道了", tip.Find(103)->GetText());
    EXPECT_TRUE(tip.Find(100)->IsVisible());
    RECT rc = {};
    ::GetWindowRect(tip.GetHWND(), &rc);
    EXPECT_EQ(260, rc.right - rc.left);
    EXPECT_EQ(110, rc.bottom - rc.top);
    tip.ShowTip();
    ASSERT_TRUE(PumpUntil([&] { return ControlCenter(tip, 103).x >= 0; }));
    // The mouse over the tip holds it.
    PostMouseMove(tip.GetHWND(), POINT{20, 20});
    EXPECT_TRUE(PumpUntil([&] { return tip.Fader().IsHovering(); }));
    EXPECT_TRUE(PumpUntil([&] { return tip.Fader().Alpha() == 255; }, 30000));
    KeepScreenshot(tip.GetHWND(), L"MessageTipWnd-new-games");
    EXPECT_TRUE(ClickControl(tip, 103));
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(tip.GetHWND()); }));
}

TEST(PageTipWnd, ShowsItsTextAndHidesByMessageOrTimer) {
    VQPageTipWnd tip(nullptr);
    ASSERT_TRUE(::IsWindow(tip.GetHWND()));
    EXPECT_EQ(19, tip.SetText(L"3"));
    EXPECT_EQ(L"3", tip.Find(100)->GetText());
    tip.MoveTo(100, 80);
    RECT rc = {};
    ::GetWindowRect(tip.GetHWND(), &rc);
    EXPECT_EQ(100, rc.left);
    EXPECT_EQ(80, rc.top);
    EXPECT_EQ(19, rc.right - rc.left);
    EXPECT_EQ(23, rc.bottom - rc.top);
    ::SendMessageW(tip.GetHWND(), VQPageTipWnd::kMsgShowTip, 1, 0);
    EXPECT_TRUE(::IsWindowVisible(tip.GetHWND()));
    ::SendMessageW(tip.GetHWND(), VQPageTipWnd::kMsgShowTip, 0, 0);
    EXPECT_FALSE(::IsWindowVisible(tip.GetHWND()));
    tip.ShowFor(50);
    EXPECT_TRUE(::IsWindowVisible(tip.GetHWND()));
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindowVisible(tip.GetHWND()); }, 30000));
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
