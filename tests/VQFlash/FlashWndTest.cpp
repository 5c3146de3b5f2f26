// The Flash player window in this process, around the test control
// registered under the Flash player's class id: the movie is loaded with
// the player's settings, and every tool-bar button's effect is seen by the
// control or the window.

#include "VQFlash/FlashWnd.h"
#include "VQFlash/GameHelpWnd.h"
#include "VQFlash/MuteHook.h"
#include "VQFlash/TooltipWnd.h"

#include "tests/VQFlash/GameWindowTestSupport.h"
#include "tests/support/TempFolder.h"
#include "tests/ui/WindowScreenshot.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>

#include <vector>

#include "ui/Container.h"
#include "ui/PaintManager.h"

namespace Tessar {
namespace {

class FlashWndTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
        ASSERT_TRUE(m_registration.IsValid());
        ASSERT_TRUE(m_folder.WriteFile(L"movie.swf", "FWS"));
        ASSERT_TRUE(m_folder.WriteFile(L"help.txt", "Click the tiles to match them."));
        m_movie = m_folder.PathOf(L"movie.swf");
        SetSoundMuted(false);
    }
    void TearDown() override {
        { Tessar::Test::VQScreenshotOnFailure shot(m_hwnd); }
        if (m_window != nullptr && ::IsWindow(m_hwnd)) {
            ::DestroyWindow(m_hwnd);
        }
        // Drain what the window left (its quit message is skipped).
        Tessar::Test::PumpUntilTrue([] { return true; }, 0);
        SetSoundMuted(false);
        ::OleUninitialize();
    }

    // Opens the player and waits until its movie is loaded.
    void Open(int width = 640, int height = 480, const std::wstring& name = L"Tiles") {
        m_window = new VQFlashWnd(name, m_movie, m_folder.PathOf(L"help.txt"), width, height);
        m_hwnd = m_window->Create(nullptr, L"TovanaFlash\x6E38\x620F", 0x16CF0000, WS_EX_WINDOWEDGE);
        ASSERT_NE(nullptr, m_hwnd);
        ASSERT_TRUE(Tessar::Test::PumpUntilTrue([&] { return m_window->IsLoaded(); })) << Tessar::Test::StandInCallLog();
    }

    VQControl* Find(int id) { return m_window->GetPaintManager().FindControlById(id); }
    bool Shown(int id) { return Find(id) != nullptr && Find(id)->IsVisible(); }
    RECT WindowRect() {
        RECT rc = {};
        ::GetWindowRect(m_hwnd, &rc);
        return rc;
    }
    void Pump() {
        Tessar::Test::PumpUntilTrue([] { return false; }, 50);
    }
    // The mouse rests on the control: the window shows its tooltip.
    void Hover(VQControl* control) {
        VQNotifyMsg hover;
        hover.type = NotifyMouseHover;
        hover.sender = control;
        m_window->Notify(hover);
    }

    Tessar::Test::VQStandInRegistration m_registration{kFlashPlayerClsid};
    VQTempFolder m_folder;
    std::wstring m_movie;
    VQFlashWnd* m_window = nullptr;
    HWND m_hwnd = nullptr;
};

TEST_F(FlashWndTest, MovieIsLoadedWithThePlayerSettingsInAWindowOfItsSize) {
    Open();
    const std::wstring log = Tessar::Test::StandInCallLog();
    for (const std::wstring& call : {L"movie=" + m_movie, std::wstring(L"ScaleMode=0"), std::wstring(L"AlignMode=0"),
                                     std::wstring(L"Quality2=High"), std::wstring(L"Scale=exactFit"),
                                     std::wstring(L"AllowNetworking=internal"), std::wstring(L"Loop="),
                                     std::wstring(L"Menu=")})
        EXPECT_NE(std::wstring::npos, log.find(call)) << std::string(call.begin(), call.end());
    const RECT rc = WindowRect();
    EXPECT_EQ(650, rc.right - rc.left);
    EXPECT_EQ(561, rc.bottom - rc.top);
    ASSERT_TRUE(Tessar::Test::PumpUntilTrue([&] { return Find(FlashIdTitle)->GetText() == L"  \x2014  Tiles"; }));
    EXPECT_NE(nullptr, m_window->GetPlayerWindow());
    // Evidence for a person to look at: the player as it opens.
    ::RedrawWindow(m_hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Pump();
    EXPECT_TRUE(Tessar::Test::SaveWindowPng(m_hwnd, Tessar::Test::ScreenshotFolder() + L"\\FlashWnd.png"));
}

TEST_F(FlashWndTest, PauseDisablesThePlayerAndMutesUntilResumed) {
    Open();
    m_window->OnCommand(FlashIdPause);
    EXPECT_TRUE(m_window->IsPaused());
    EXPECT_TRUE(Shown(FlashIdStart));
    EXPECT_FALSE(Shown(FlashIdPause));
    EXPECT_TRUE(IsSoundMuted()) << "the pause muted the sound";
    EXPECT_FALSE(::IsWindowEnabled(m_window->GetPlayerWindow()));
    m_window->OnCommand(FlashIdMute);  // no effect while paused
    EXPECT_TRUE(IsSoundMuted());
    m_window->OnCommand(FlashIdStart);
    EXPECT_FALSE(m_window->IsPaused());
    EXPECT_FALSE(IsSoundMuted());
    EXPECT_TRUE(::IsWindowEnabled(m_window->GetPlayerWindow()));
}

TEST_F(FlashWndTest, MuteSetsTheProcessFlagAndSilencesWaveBuffers) {
    Open();
    m_window->OnCommand(FlashIdMute);
    EXPECT_TRUE(IsSoundMuted());
    EXPECT_TRUE(Shown(FlashIdSoundOn));
    EXPECT_FALSE(Shown(FlashIdMute));
    ASSERT_NE(nullptr, GetMuteHook());
    std::vector<char> samples(32, 0x33);
    WAVEHDR header = {};
    header.lpData = samples.data();
    header.dwBufferLength = static_cast<DWORD>(samples.size());
    MutedWaveOutWrite(reinterpret_cast<HWAVEOUT>(static_cast<ULONG_PTR>(0x7357)), &header, sizeof(header));
    for (char sample : samples) ASSERT_EQ(0, sample);

    // A pause while muted leaves the sound muted when resumed.
    m_window->OnCommand(FlashIdPause);
    m_window->OnCommand(FlashIdStart);
    EXPECT_TRUE(IsSoundMuted());
    m_window->OnCommand(FlashIdSoundOn);
    EXPECT_FALSE(IsSoundMuted());
    EXPECT_TRUE(Shown(FlashIdMute));
}

TEST_F(FlashWndTest, ReplayUnloadsAndLoadsTheMovieAgain) {
    Open();
    m_window->OnCommand(FlashIdPause);
    m_window->OnCommand(FlashIdReplay);
    EXPECT_FALSE(m_window->IsPaused());
    EXPECT_TRUE(m_window->IsLoaded());
    const std::wstring log = Tessar::Test::StandInCallLog();
    const size_t unload = log.find(L"movie=http://");
    ASSERT_NE(std::wstring::npos, unload) << std::string(log.begin(), log.end());
    EXPECT_NE(std::wstring::npos, log.find(L"movie=" + m_movie, unload));
}

TEST_F(FlashWndTest, LightsOffShowsTheBlackScreenAndTheFrameCanBeDraggedWithTheHelpFollowing) {
    Open();
    const RECT before = WindowRect();
    m_window->OnCommand(FlashIdHelp);
    ASSERT_NE(nullptr, m_window->GetHelpWindow());
    m_window->OnCommand(FlashIdLightsOff);
    ASSERT_TRUE(m_window->IsLightsOff());
    EXPECT_TRUE(Shown(FlashIdLightsOn));
    const RECT screen = WindowRect();
    EXPECT_EQ(0, screen.left);
    EXPECT_EQ(0, screen.top);
    EXPECT_EQ(::GetSystemMetrics(SM_CXSCREEN), screen.right);
    EXPECT_EQ(::GetSystemMetrics(SM_CYSCREEN), screen.bottom);
    VQControl* frame = Find(FlashIdFrame);
    EXPECT_TRUE(frame->IsFloat());
    ASSERT_TRUE(Tessar::Test::PumpUntilTrue([&] { return frame->GetPos().left == before.left; }));
    EXPECT_EQ(before.top, frame->GetPos().top);

    RECT helpBefore = {};
    ::GetWindowRect(m_window->GetHelpWindow()->GetHWND(), &helpBefore);
    // Drag the frame by its caption bar's edge.
    const POINT grab = {before.left + 2, before.top + 2};
    ::PostMessageW(m_hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(grab.x, grab.y));
    ::PostMessageW(m_hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(grab.x, grab.y));
    ::PostMessageW(m_hwnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(grab.x + 30, grab.y + 20));
    ::PostMessageW(m_hwnd, WM_LBUTTONUP, 0, MAKELPARAM(grab.x + 30, grab.y + 20));
    ASSERT_TRUE(Tessar::Test::PumpUntilTrue([&] { return frame->GetPos().left == before.left + 30; }))
        << frame->GetPos().left;
    EXPECT_EQ(before.top + 20, frame->GetPos().top);
    ASSERT_TRUE(Tessar::Test::PumpUntilTrue([&] {
        RECT help = {};
        ::GetWindowRect(m_window->GetHelpWindow()->GetHWND(), &help);
        return help.left == helpBefore.left + 30 && help.top == helpBefore.top + 20;
    })) << "the help panel follows the frame";

    // A click on the black background turns the lights on, at the frame's place.
    ::PostMessageW(m_hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(2, screen.bottom - 3));
    ::PostMessageW(m_hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, screen.bottom - 3));
    ::PostMessageW(m_hwnd, WM_LBUTTONUP, 0, MAKELPARAM(2, screen.bottom - 3));
    ASSERT_TRUE(Tessar::Test::PumpUntilTrue([&] { return !m_window->IsLightsOff(); }));
    const RECT after = WindowRect();
    EXPECT_EQ(before.left + 30, after.left);
    EXPECT_EQ(before.top + 20, after.top);
    EXPECT_EQ(before.right - before.left, after.right - after.left);
    EXPECT_FALSE(frame->IsFloat());
    EXPECT_TRUE(Shown(FlashIdLightsOff));
}

TEST_F(FlashWndTest, FullScreenAndBackRestoresTheWindowAndEscapeLeavesIt) {
    Open();
    const RECT before = WindowRect();
    m_window->OnCommand(FlashIdFullScreen);
    ASSERT_TRUE(m_window->IsFullScreen());
    EXPECT_TRUE(Shown(FlashIdLeaveFullScreen));
    EXPECT_FALSE(Shown(FlashIdCaptionBar));
    RECT rc = WindowRect();
    EXPECT_EQ(::GetSystemMetrics(SM_CXSCREEN), rc.right - rc.left);
    EXPECT_EQ(::GetSystemMetrics(SM_CYSCREEN), rc.bottom - rc.top);
    EXPECT_NE(0, ::GetWindowLongPtrW(m_hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST);

    // Zoom out shrinks the movie inside the screen; zoom in grows it again.
    VQContainer* box = static_cast<VQContainer*>(Find(FlashIdPlayerBox));
    ASSERT_TRUE(Tessar::Test::PumpUntilTrue([&] { return Find(FlashIdPlayer)->GetWidth() > 1024; }));
    m_window->Zoom(false);
    const RECT inset = box->GetInset();
    EXPECT_GT(inset.left, 1);
    EXPECT_EQ(inset.left, inset.right);
    EXPECT_EQ(inset.top, inset.bottom);

    m_window->OnCommand(FlashIdLeaveFullScreen);
    EXPECT_FALSE(m_window->IsFullScreen());
    EXPECT_TRUE(Shown(FlashIdCaptionBar));
    EXPECT_EQ(1, box->GetInset().left);
    rc = WindowRect();
    EXPECT_EQ(before.left, rc.left);
    EXPECT_EQ(before.top, rc.top);
    EXPECT_EQ(before.right, rc.right);
    EXPECT_EQ(0, ::GetWindowLongPtrW(m_hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST);

    m_window->OnCommand(FlashIdFullScreen);
    ::PostMessageW(m_hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(Tessar::Test::PumpUntilTrue([&] { return !m_window->IsFullScreen(); }));
}

TEST_F(FlashWndTest, ZoomInAndOutStepThroughTheWindowSizes) {
    Open(890, 569);  // a 900 x 650 window
    RECT rc = WindowRect();
    ASSERT_EQ(900, rc.right - rc.left);
    const POINT centre = {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    m_window->OnCommand(FlashIdZoomIn);
    rc = WindowRect();
    EXPECT_EQ(1024, rc.right - rc.left);
    EXPECT_EQ(768, rc.bottom - rc.top);
    EXPECT_NEAR(centre.x, (rc.left + rc.right) / 2, 1);
    m_window->OnCommand(FlashIdZoomOut);
    rc = WindowRect();
    EXPECT_EQ(800, rc.right - rc.left);
    EXPECT_EQ(600, rc.bottom - rc.top);
}

TEST_F(FlashWndTest, HelpPanelSlidesInAndOut) {
    Open();
    m_window->OnCommand(FlashIdHelp);
    VQGameHelpWnd* help = m_window->GetHelpWindow();
    ASSERT_NE(nullptr, help);
    ASSERT_TRUE(::IsWindowVisible(help->GetHWND()));
    // One line of text: font height + 4 + 18.
    const HFONT font = help->GetPaintManager().GetFont(L"Default");
    HDC dc = ::GetDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, font);
    TEXTMETRICW metrics = {};
    ::GetTextMetricsW(dc, &metrics);
    ::SelectObject(dc, old);
    ::ReleaseDC(nullptr, dc);
    EXPECT_EQ(metrics.tmHeight + 4 + 18, help->GetFullHeight());
    ASSERT_TRUE(Tessar::Test::PumpUntilTrue([&] { return help->GetVisibleHeight() == help->GetFullHeight(); }));
    EXPECT_FALSE(help->IsTimerRunning());
    // The panel lies above the tool bar, inside the window.
    RECT panel = {};
    RECT window = WindowRect();
    ::GetWindowRect(help->GetHWND(), &panel);
    EXPECT_EQ(window.left + 5, panel.left);
    EXPECT_EQ(window.right - window.left - 10, panel.right - panel.left);
    EXPECT_LT(panel.bottom, window.bottom);

    m_window->OnCommand(FlashIdHelp);
    ASSERT_TRUE(Tessar::Test::PumpUntilTrue([&] { return !::IsWindowVisible(help->GetHWND()); }));
    EXPECT_EQ(0, help->GetVisibleHeight());

    // A second click while sliding reverses the slide from where it is.
    m_window->OnCommand(FlashIdHelp);
    ASSERT_TRUE(Tessar::Test::PumpUntilTrue([&] { return help->GetVisibleHeight() >= 10; }));
    m_window->OnCommand(FlashIdHelp);
    EXPECT_FALSE(help->IsSlidingIn());
    ASSERT_TRUE(Tessar::Test::PumpUntilTrue([&] { return !::IsWindowVisible(help->GetHWND()); }));
}

TEST_F(FlashWndTest, TooltipShowsAboveItsButtonAndHidesOnLeave) {
    Open();
    VQControl* button = Find(FlashIdZoomIn);
    ASSERT_TRUE(button->IsCustomToolTip());
    ASSERT_TRUE(Tessar::Test::PumpUntilTrue([&] { return button->GetPos().right > 0; }));
    Hover(button);
    VQTooltipWnd* tip = m_window->GetTooltipWindow();
    ASSERT_NE(nullptr, tip);
    ASSERT_TRUE(::IsWindowVisible(tip->GetHWND()));
    EXPECT_EQ(std::wstring(L"\x653E\x5927"), tip->GetPaintManager().FindControlById(300)->GetText());
    RECT tipRect = {};
    ::GetWindowRect(tip->GetHWND(), &tipRect);
    POINT buttonTop = {button->GetPos().left, button->GetPos().top};
    ::ClientToScreen(m_hwnd, &buttonTop);
    EXPECT_EQ(buttonTop.y - 32, tipRect.top);
    EXPECT_EQ(30, tipRect.bottom - tipRect.top);
    EXPECT_EQ(tip->MeasureWidth(L"\x653E\x5927"), tipRect.right - tipRect.left);
    // The arrow floats 22 pixels below the top, centred, over the text's last row.
    const RECT arrow = tip->GetPaintManager().FindControlById(301)->GetPos();
    EXPECT_EQ(22, arrow.top);
    EXPECT_EQ(30, arrow.bottom);
    EXPECT_EQ(23, arrow.right - arrow.left);
    EXPECT_NEAR((tipRect.right - tipRect.left) / 2, (arrow.left + arrow.right) / 2, 1);
    EXPECT_EQ(23, tip->GetPaintManager().FindControlById(300)->GetPos().bottom);
    VQNotifyMsg leave;
    leave.type = NotifyMouseLeave;
    leave.sender = button;
    m_window->Notify(leave);
    EXPECT_FALSE(::IsWindowVisible(tip->GetHWND()));
}

// A skin may give the help text and the tooltip text fonts of their own:
// the panel's height and the tooltip's width follow the labels' fonts.
TEST_F(FlashWndTest, HelpAndTooltipTextsAreMeasuredInTheirLabelsFonts) {
    Open();
    m_window->OnCommand(FlashIdHelp);
    VQGameHelpWnd* help = m_window->GetHelpWindow();
    ASSERT_NE(nullptr, help);
    Hover(Find(FlashIdZoomIn));
    VQTooltipWnd* tip = m_window->GetTooltipWindow();
    ASSERT_NE(nullptr, tip);
    const std::wstring text = L"\x653E\x5927";
    const struct {
        const char* name;
        VQPaintManager* manager;
        int labelId;
    } cases[] = {{"help text 401", &help->GetPaintManager(), 401}, {"tooltip text 300", &tip->GetPaintManager(), 300}};
    for (const auto& c : cases) {
        HFONT big = c.manager->AddFont(L"big", L"Microsoft YaHei", 28, true, false, false);
        ASSERT_NE(nullptr, big) << c.name;
        VQControl* label = c.manager->FindControlById(c.labelId);
        ASSERT_NE(nullptr, label) << c.name;
        label->m_fonts[TextNormal] = L"big";
        HDC dc = ::GetDC(nullptr);
        HGDIOBJ old = ::SelectObject(dc, big);
        TEXTMETRICW metrics = {};
        ::GetTextMetricsW(dc, &metrics);
        RECT one = {0, 0, 0, 0};
        ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &one, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
        ::SelectObject(dc, old);
        ::ReleaseDC(nullptr, dc);
        if (c.labelId == 401) {
            // One line in the big font: its height + 4 + 18.
            EXPECT_EQ(metrics.tmHeight + 4 + 18, help->Measure(text, 2000)) << c.name;
        } else {
            EXPECT_EQ(one.right - one.left + 15, tip->MeasureWidth(text)) << c.name;
        }
        label->m_fonts[TextNormal].clear();
    }
}

TEST_F(FlashWndTest, SkinReloadAndCloseEndTheWindowCleanly) {
    Open();
    m_window->OnCommand(FlashIdHelp);
    // The skin overlay is applied again to both windows.
    Find(FlashIdHelp)->SetToolTip(L"changed");
    VQControl* helpClose = m_window->GetHelpWindow()->GetPaintManager().FindControlById(402);
    helpClose->SetToolTip(L"changed");
    EXPECT_EQ(0, ::SendMessageW(m_hwnd, WM_USER + 1, 0, 0));
    EXPECT_EQ(std::wstring(L"\x6E38\x620F\x73A9\x6CD5"), Find(FlashIdHelp)->GetToolTip());
    EXPECT_EQ(std::wstring(L"\x5173\x95ED"), helpClose->GetToolTip());
    EXPECT_TRUE(::IsWindow(m_hwnd));
    m_window->OnCommand(FlashIdMute);
    ASSERT_NE(nullptr, GetMuteHook());
    m_window->OnCommand(FlashIdClose);
    ASSERT_TRUE(Tessar::Test::PumpUntilTrue([&] { return !::IsWindow(m_hwnd); }));
    m_window = nullptr;
    EXPECT_EQ(nullptr, GetMuteHook()) << "the mute hook goes with the window";
}

TEST_F(FlashWndTest, ButtonsThatNeedAMovieDoNothingWithoutOne) {
    m_movie.clear();
    m_window = new VQFlashWnd(L"", L"", L"", 0, 0);
    m_hwnd = m_window->Create(nullptr, L"TovanaFlash", 0x16CF0000, WS_EX_WINDOWEDGE);
    ASSERT_NE(nullptr, m_hwnd);
    Pump();
    const RECT rc = WindowRect();
    EXPECT_EQ(800, rc.right - rc.left);
    EXPECT_EQ(600, rc.bottom - rc.top);
    for (int id : {FlashIdPause, FlashIdMute, FlashIdLightsOff, FlashIdFullScreen, FlashIdHelp, FlashIdReplay}) {
        m_window->OnCommand(id);
        EXPECT_FALSE(m_window->IsPaused() || m_window->IsLightsOff() || m_window->IsFullScreen()) << id;
    }
    EXPECT_FALSE(IsSoundMuted());
    EXPECT_EQ(nullptr, m_window->GetHelpWindow());
}

}  // namespace
}  // namespace Tessar
