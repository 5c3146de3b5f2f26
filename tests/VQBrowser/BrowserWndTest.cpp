// The web-game browser window in this process, around the test control
// registered under the browser's class id: navigation, back and refresh,
// new-window links, the screenshot, the speed switch against an injected
// real clock, the boss key, lights off, full screen and the skin reload.

#include "VQBrowser/BrowserWnd.h"
#include "VQFlash/MuteHook.h"
#include "VQFlash/SpeedClock.h"

#include "tests/VQFlash/GameWindowTestSupport.h"
#include "tests/support/TempFolder.h"
#include "tests/ui/WindowScreenshot.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>

#include "VQFlash/DispatchCall.h"
#include "ui/Control.h"
#include "ui/PaintManager.h"

namespace Tessar {
namespace {

const wchar_t kGameUrl[] = L"http://127.0.0.1/games/tiles/index.html";

std::atomic<DWORD> g_realNow{0};
DWORD WINAPI InjectedClock() {
    return g_realNow.load();
}

std::wstring g_snapshotPath;
int g_prompts = 0;
bool AnswerSnapshotPath(HWND owner, const std::wstring& defaultName, std::wstring& path) {
    ++g_prompts;
    // The default name is a fresh GUID.
    if (defaultName.size() != 38 || defaultName.front() != L'{' || defaultName.back() != L'}') return false;
    path = g_snapshotPath;
    return true;
}

class BrowserWndTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
        ASSERT_TRUE(m_registration.IsValid());
        SetSoundMuted(false);
        g_realNow = 1000000;
        SetClockSource(&InjectedClock);
        SetSnapshotPathPrompt(&AnswerSnapshotPath);
        g_prompts = 0;
    }
    void TearDown() override {
        { Tessar::Test::VQScreenshotOnFailure shot(m_hwnd); }
        if (::IsWindow(m_hwnd)) ::DestroyWindow(m_hwnd);
        Tessar::Test::PumpUntilTrue([] { return true; }, 0);
        SetSnapshotPathPrompt(nullptr);
        SetClockSource(nullptr);
        SetSoundMuted(false);
        ::OleUninitialize();
    }

    void Open(const std::wstring& homepage = L"http://127.0.0.1/games/tiles/") {
        m_window = new VQBrowserWnd(L"Tiles", kGameUrl, homepage);
        m_hwnd = m_window->Create(nullptr, L"Tovana\x7F51\x9875\x6E38\x620F", 0x16CF0000, 0);
        ASSERT_NE(nullptr, m_hwnd);
        ::ShowWindow(m_hwnd, SW_SHOWNOACTIVATE);
        ASSERT_TRUE(Tessar::Test::PumpUntilTrue([&] { return Log().find(std::wstring(L"navigate=") + kGameUrl) != std::wstring::npos; }))
            << Narrow(Log());
    }
    static std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }
    std::wstring Log() { return Tessar::Test::StandInCallLog(); }
    VQControl* Find(int id) { return m_window->GetPaintManager().FindControlById(id); }
    bool Shown(int id) { return Find(id) != nullptr && Find(id)->IsVisible(); }
    RECT WindowRect() {
        RECT rc = {};
        ::GetWindowRect(m_hwnd, &rc);
        return rc;
    }
    // Asks the stand-in control to do something only a page would do.
    bool CallControl(const wchar_t* name, std::vector<VARIANT> arguments) {
        IDispatch* browser = m_window->GetBrowser();
        if (browser == nullptr) return false;
        const bool ok = CallDispatchMethod(browser, name, arguments);
        browser->Release();
        return ok;
    }

    Tessar::Test::VQStandInRegistration m_registration{kWebBrowserClsid};
    VQTempFolder m_folder;
    VQBrowserWnd* m_window = nullptr;
    HWND m_hwnd = nullptr;
};

VARIANT Long(LONG value) {
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}

VARIANT Bool(bool value) {
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_BOOL;
    v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}

TEST_F(BrowserWndTest, NavigatesToTheGameAndNamesItInTheTitle) {
    Open();
    ASSERT_TRUE(Tessar::Test::PumpUntilTrue([&] { return Find(BrowserIdTitle)->GetText() == L" - Tiles"; }));
    EXPECT_TRUE(Find(BrowserIdHomepage)->IsEnabled());
    EXPECT_FALSE(Find(BrowserIdBack)->IsEnabled()) << "nothing to go back to yet";
    const RECT rc = WindowRect();
    const int screenW = ::GetSystemMetrics(SM_CXSCREEN);
    const int screenH = ::GetSystemMetrics(SM_CYSCREEN);
    EXPECT_EQ(screenW * 3 / 4, rc.right - rc.left);
    EXPECT_EQ(screenH * 5 / 6, rc.bottom - rc.top);
    // Evidence for a person to look at: the browser as it opens.
    ::RedrawWindow(m_hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Tessar::Test::PumpUntilTrue([] { return false; }, 50);
    EXPECT_TRUE(Tessar::Test::SaveWindowPng(m_hwnd, Tessar::Test::ScreenshotFolder() + L"\\BrowserWnd.png"));
}

TEST_F(BrowserWndTest, WithoutAHomePageTheSiteButtonIsDisabled) {
    Open(L"");
    ASSERT_TRUE(Tessar::Test::PumpUntilTrue([&] { return !Find(BrowserIdHomepage)->IsEnabled(); }));
}

TEST_F(BrowserWndTest, TheSiteButtonOpensNothingButAWebAddress) {
    // A home page from the catalogue that names a program (here a script
    // that leaves a mark when it runs) is not handed to the shell.
    const std::wstring mark = m_folder.PathOf(L"ran.txt");
    ASSERT_TRUE(m_folder.WriteFile(L"site.cmd", "@echo ran> \"" + Narrow(mark) + "\"\r\n"));
    Open(m_folder.PathOf(L"site.cmd"));
    ASSERT_TRUE(Find(BrowserIdHomepage)->IsEnabled());
    m_window->OnCommand(BrowserIdHomepage);
    Tessar::Test::PumpUntilTrue([&] { return ::GetFileAttributesW(mark.c_str()) != INVALID_FILE_ATTRIBUTES; }, 5000);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(mark.c_str())) << "the site button ran the script";
}

TEST_F(BrowserWndTest, BackFollowsTheBrowsersCommandStateAndRefreshReloads) {
    Open();
    // CommandStateChange(CSC_NAVIGATEBACK, true) as the page history grows.
    ASSERT_TRUE(CallControl(L"FireEvent", {Long(105), Long(CSC_NAVIGATEBACK), Bool(true)}));
    ASSERT_TRUE(Tessar::Test::PumpUntilTrue([&] { return Find(BrowserIdBack)->IsEnabled(); }));
    m_window->OnCommand(BrowserIdBack);
    m_window->OnCommand(BrowserIdRefresh);
    const std::wstring log = Log();
    const size_t back = log.find(L"back");
    ASSERT_NE(std::wstring::npos, back) << Narrow(log);
    EXPECT_NE(std::wstring::npos, log.find(L"refresh", back));
    ASSERT_TRUE(CallControl(L"FireEvent", {Long(105), Long(CSC_NAVIGATEBACK), Bool(false)}));
    ASSERT_TRUE(Tessar::Test::PumpUntilTrue([&] { return !Find(BrowserIdBack)->IsEnabled(); }));
}

TEST_F(BrowserWndTest, NewWindowLinksOpenInThisWindow) {
    Open();
    ASSERT_TRUE(CallControl(L"FireNewWindow", {}) == false);  // needs its address
    VARIANT url;
    ::VariantInit(&url);
    url.vt = VT_BSTR;
    url.bstrVal = ::SysAllocString(L"http://127.0.0.1/games/tiles/level2.html");
    ASSERT_TRUE(CallControl(L"FireNewWindow", {url}));
    ::VariantClear(&url);
    const std::wstring log = Log();
    EXPECT_NE(std::wstring::npos, log.find(L"navigate=http://127.0.0.1/games/tiles/level2.html")) << Narrow(log);
    EXPECT_NE(std::wstring::npos, log.find(L"newwindow=http://127.0.0.1/games/tiles/level2.html cancel=-1"));

    // A blank new window is only cancelled.
    url.vt = VT_BSTR;
    url.bstrVal = ::SysAllocString(L"about:blank");
    ASSERT_TRUE(CallControl(L"FireNewWindow", {url}));
    ::VariantClear(&url);
    EXPECT_EQ(std::wstring::npos, Log().find(L"navigate=about:blank"));
}

TEST_F(BrowserWndTest, OlderNewWindowEventIsProcessedAndOpensHere) {
    Open();
    // NewWindow(URL, Flags, TargetFrameName, PostData, Headers, Processed)
    // of DWebBrowserEvents.
    VARIANT_BOOL processed = VARIANT_FALSE;
    VARIANT url, flags, target, post, headers, done;
    for (VARIANT* v : {&url, &flags, &target, &post, &headers, &done}) ::VariantInit(v);
    url.vt = VT_BSTR;
    url.bstrVal = ::SysAllocString(L"http://127.0.0.1/games/tiles/old.html");
    flags = Long(0);
    target.vt = VT_BSTR;
    target.bstrVal = ::SysAllocString(L"_blank");
    headers.vt = VT_BSTR;
    headers.bstrVal = ::SysAllocString(L"");
    done.vt = VT_BYREF | VT_BOOL;
    done.pboolVal = &processed;
    ASSERT_TRUE(CallControl(L"FireOldEvent", {Long(107), url, flags, target, post, headers, done}));
    for (VARIANT* v : {&url, &target, &headers}) ::VariantClear(v);
    EXPECT_EQ(VARIANT_TRUE, processed);
    EXPECT_NE(std::wstring::npos, Log().find(L"navigate=http://127.0.0.1/games/tiles/old.html")) << Narrow(Log());
}

TEST_F(BrowserWndTest, ScreenshotGoesToANewBmpFile) {
    Open();
    g_snapshotPath = m_folder.PathOf(L"shots\\..\\shot.bmp");
    ASSERT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(g_snapshotPath.c_str()));
    ASSERT_TRUE(Tessar::Test::PumpUntilTrue([&] { return Find(BrowserIdBrowser)->GetPos().right > 0; }));
    const RECT pos = Find(BrowserIdBrowser)->GetPos();
    m_window->OnCommand(BrowserIdSnapshot);
    EXPECT_EQ(1, g_prompts);
    const std::string bytes = m_folder.ReadFile(L"shot.bmp");
    ASSERT_GE(bytes.size(), 54u);
    EXPECT_EQ('B', bytes[0]);
    EXPECT_EQ('M', bytes[1]);
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    memcpy(&file, bytes.data(), sizeof(file));
    memcpy(&info, bytes.data() + sizeof(file), sizeof(info));
    const LONG width = pos.right - pos.left;
    const LONG height = pos.bottom - pos.top;
    EXPECT_EQ(width, info.biWidth) << "the stand-in has no HTML page: its own size";
    EXPECT_EQ(height, info.biHeight);
    EXPECT_EQ(24, info.biBitCount);
    const DWORD row = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    EXPECT_EQ(54u, file.bfOffBits);
    EXPECT_EQ(54 + row * height, file.bfSize);
    EXPECT_EQ(file.bfSize, bytes.size());
    // The control is back at its place.
    const RECT after = Find(BrowserIdBrowser)->GetPos();
    EXPECT_EQ(pos.right, after.right);
    EXPECT_EQ(pos.bottom, after.bottom);
}

TEST_F(BrowserWndTest, SpeedSwitchCyclesAndTheHookedClockRunsAtEachRate) {
    Open();
    EXPECT_TRUE(Shown(BrowserIdSpeed2));
    struct Step {
        const char* name;
        int button;
        int speed;
        int shownNext;
        DWORD perThousand;
    };
    const Step steps[] = {
        {"faster", BrowserIdSpeed2, 2, BrowserIdSpeed3, 2000},
        {"fastest", BrowserIdSpeed3, 3, BrowserIdSpeed1, 2500},
        {"real time again", BrowserIdSpeed1, 1, BrowserIdSpeed2, 1000},
        {"faster once more", BrowserIdSpeed2, 2, BrowserIdSpeed3, 2000},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        m_window->OnCommand(step.button);
        EXPECT_EQ(step.speed, m_window->GetSpeed());
        EXPECT_TRUE(Shown(step.shownNext));
        EXPECT_FALSE(Shown(step.button));
        ASSERT_NE(nullptr, GetClockHook());
        const DWORD before = SpeedTimeGetTime();
        g_realNow += 1000;
        EXPECT_EQ(step.perThousand, SpeedTimeGetTime() - before);
    }
    ::DestroyWindow(m_hwnd);
    EXPECT_EQ(nullptr, GetClockHook()) << "the clock hook goes with the window";
}

TEST_F(BrowserWndTest, BossKeyHidesAndTheHotKeyBringsItBack) {
    Open();
    ASSERT_TRUE(m_window->IsHotKeyRegistered());
    const ATOM atom = m_window->GetBossKeyAtom();
    ASSERT_NE(0, atom);
    EXPECT_EQ(atom, ::GlobalFindAtomW(kBossKeyAtomName));
    m_window->OnCommand(BrowserIdBossKey);
    EXPECT_FALSE(::IsWindowVisible(m_hwnd));
    EXPECT_TRUE(m_window->IsHiddenByBossKey());
    const LPARAM ctrlG = MAKELPARAM(MOD_CONTROL, 'G');
    ::SendMessageW(m_hwnd, WM_HOTKEY, atom - 0xC000, ctrlG);
    EXPECT_TRUE(::IsWindowVisible(m_hwnd)) << "one key press brings it back";
    ::SendMessageW(m_hwnd, WM_HOTKEY, atom - 0xC000, ctrlG);
    EXPECT_FALSE(::IsWindowVisible(m_hwnd));
    ::SendMessageW(m_hwnd, WM_HOTKEY, atom - 0xC000, ctrlG);
    EXPECT_TRUE(::IsWindowVisible(m_hwnd));

    ::DestroyWindow(m_hwnd);
    EXPECT_EQ(0, ::GlobalFindAtomW(kBossKeyAtomName)) << "the atom does not outlive the window";
    // The hot key is free again.
    HWND other = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, other);
    EXPECT_TRUE(::RegisterHotKey(other, atom - 0xC000, MOD_CONTROL, 'G'));
    ::UnregisterHotKey(other, atom - 0xC000);
    ::DestroyWindow(other);
}

TEST_F(BrowserWndTest, LightsOffAndFullScreenExcludeEachOtherAndComeBack) {
    Open();
    const RECT before = WindowRect();
    m_window->OnCommand(BrowserIdLightsOff);
    ASSERT_TRUE(m_window->IsLightsOff());
    EXPECT_TRUE(Shown(BrowserIdLightsOn));
    RECT rc = WindowRect();
    EXPECT_EQ(::GetSystemMetrics(SM_CXSCREEN), rc.right - rc.left);
    EXPECT_TRUE(Find(BrowserIdFrame)->IsFloat());

    m_window->OnCommand(BrowserIdFullScreen);  // leaves lights-off first
    EXPECT_FALSE(m_window->IsLightsOff());
    ASSERT_TRUE(m_window->IsFullScreen());
    rc = WindowRect();
    EXPECT_EQ(-3, rc.left);
    EXPECT_EQ(-32, rc.top);
    EXPECT_EQ(::GetSystemMetrics(SM_CXSCREEN) + 6, rc.right - rc.left);
    EXPECT_EQ(::GetSystemMetrics(SM_CYSCREEN) + 55, rc.bottom - rc.top);
    EXPECT_EQ(0, ::SendMessageW(m_hwnd, WM_SYSCOMMAND, SC_MOVE, 0)) << "no moving while full screen";
    ::PostMessageW(m_hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(Tessar::Test::PumpUntilTrue([&] { return !m_window->IsFullScreen(); }));
    rc = WindowRect();
    EXPECT_EQ(before.left, rc.left);
    EXPECT_EQ(before.top, rc.top);
    EXPECT_EQ(before.right, rc.right);
    EXPECT_EQ(before.bottom, rc.bottom);
}

TEST_F(BrowserWndTest, MuteAndSkinReload) {
    Open();
    m_window->OnCommand(BrowserIdMute);
    EXPECT_TRUE(IsSoundMuted());
    EXPECT_TRUE(Shown(BrowserIdSoundOn));
    EXPECT_NE(nullptr, GetMuteHook());
    m_window->OnCommand(BrowserIdSoundOn);
    EXPECT_FALSE(IsSoundMuted());
    Find(BrowserIdBossKey)->SetToolTip(L"changed");
    EXPECT_EQ(0, ::SendMessageW(m_hwnd, WM_USER + 1, 0, 0));
    EXPECT_EQ(std::wstring(L"\x9690\x85CF\x7A97\x53E3"), Find(BrowserIdBossKey)->GetToolTip())
        << "the skin overlay is applied again";
    EXPECT_TRUE(::IsWindow(m_hwnd));
    m_window->OnCommand(BrowserIdClose);
    ASSERT_TRUE(Tessar::Test::PumpUntilTrue([&] { return !::IsWindow(m_hwnd); }));
    EXPECT_EQ(nullptr, GetMuteHook());
}

}  // namespace
}  // namespace Tessar
