// The fading corner tip and the page number tip: the fading as timer steps
// (six seconds at full opacity, held while the mouse is over it), and the
// real windows with their texts, buttons and showing and hiding.
#include <gtest/gtest.h>

#include "VQCore/app/GameIcon.h"
#include "VQCore/app/MessageTipWnd.h"
#include "VQCore/app/PageTipWnd.h"
#include "VQCore/app/TipFader.h"
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
