// VQWindowWnd and VQWindowImplBase with real windows: registration, both
// window procedures, the handler table, centring and the modal loop.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/CodePage.h"
#include "tests/ui/RoutingTestWindow.h"
#include "tests/ui/WindowInput.h"
#include "tests/ui/WindowScreenshot.h"
#include "ui/Layouts.h"
#include "ui/WindowWnd.h"

namespace Tessar {
namespace {

namespace input = Tessar::Test;
using input::PumpUntil;
using input::VQProbeControl;
using input::VQRoutingWindow;

// A super-class of the native edit control.
class SuperEdit : public VQWindowWnd {
public:
    const wchar_t* GetWindowClassName() const override { return L"VQTestSuperEdit"; }
    const wchar_t* GetSuperClassName() const override { return L"EDIT"; }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        messages.push_back(message);
        return VQWindowWnd::HandleMessage(message, wParam, lParam);
    }
    void OnFinalMessage(HWND hwnd) override { finalWindow = hwnd; }
    std::vector<UINT> messages;
    HWND finalWindow = nullptr;
};

// A plain wrapper used to take over an existing native window.
class Wrapper : public VQWindowWnd {
public:
    const wchar_t* GetWindowClassName() const override { return L"VQTestWrapper"; }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_APP + 7) return 77;
        return VQWindowWnd::HandleMessage(message, wParam, lParam);
    }
    void OnFinalMessage(HWND hwnd) override { finalWindow = hwnd; }
    HWND finalWindow = nullptr;
};

class StyledWindow : public VQWindowWnd {
public:
    const wchar_t* GetWindowClassName() const override { return L"VQTestStyledWindow"; }
    UINT GetClassStyle() const override { return CS_HREDRAW | CS_VREDRAW; }
};

TEST(Window, RegisteringTheSameClassTwiceSucceeds) {
    StyledWindow first, second;
    HWND a = first.Create(nullptr, L"a", WS_POPUP, WS_EX_TOOLWINDOW, 0, 0, 50, 50);
    HWND b = second.Create(nullptr, L"b", WS_POPUP, WS_EX_TOOLWINDOW, 0, 0, 50, 50);
    ASSERT_NE(nullptr, a);
    ASSERT_NE(nullptr, b);
    EXPECT_EQ(a, first.GetHWND());
    EXPECT_EQ(static_cast<ULONG_PTR>(CS_HREDRAW | CS_VREDRAW), ::GetClassLongPtrW(a, GCL_STYLE));
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(&first), ::GetWindowLongPtrW(a, GWLP_USERDATA));
    ::DestroyWindow(a);
    ::DestroyWindow(b);
    EXPECT_EQ(nullptr, first.GetHWND()) << "WM_NCDESTROY forgets the handle";
}

TEST(Window, SuperClassKeepsTheNativeBehaviourAndFindsItsObject) {
    SuperEdit edit;
    HWND hwnd = edit.Create(nullptr, L"", WS_POPUP, WS_EX_TOOLWINDOW, 0, 0, 120, 24);
    ASSERT_NE(nullptr, hwnd);
    EXPECT_EQ(reinterpret_cast<HANDLE>(&edit), ::GetPropW(hwnd, L"VQWndObject"));
    ::SendMessageW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"typed"));
    wchar_t text[32] = {};
    ::GetWindowTextW(hwnd, text, 32);
    EXPECT_STREQ(L"typed", text) << "the edit control's own procedure ran";
    EXPECT_NE(edit.messages.end(), std::find(edit.messages.begin(), edit.messages.end(), UINT(WM_NCCREATE)));
    ::DestroyWindow(hwnd);
    EXPECT_EQ(hwnd, edit.finalWindow);
    EXPECT_EQ(nullptr, edit.GetHWND());
}

TEST(Window, SubclassedNativeWindowIsGivenBackWhenDestroyed) {
    HWND native = ::CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"x", WS_POPUP, 0, 0, 30, 30, nullptr, nullptr,
                                    ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(nullptr, native);
    const LONG_PTR original = ::GetWindowLongPtrW(native, GWLP_WNDPROC);
    Wrapper wrapper;
    ASSERT_EQ(native, wrapper.Subclass(native));
    EXPECT_TRUE(wrapper.IsSubclassed());
    EXPECT_EQ(77, ::SendMessageW(native, WM_APP + 7, 0, 0));
    wrapper.Unsubclass();
    EXPECT_EQ(original, ::GetWindowLongPtrW(native, GWLP_WNDPROC));
    EXPECT_EQ(0, ::SendMessageW(native, WM_APP + 7, 0, 0));

    Wrapper again;
    ASSERT_EQ(native, again.Subclass(native));
    ::DestroyWindow(native);
    EXPECT_EQ(native, again.finalWindow);
    EXPECT_FALSE(again.IsSubclassed());
}

TEST(Window, CenterWindowKeepsTheWindowInsideTheWorkArea) {
    RECT work;
    ASSERT_TRUE(::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
    const int workWidth = work.right - work.left;
    struct Case {
        const char* name;
        RECT owner;  // empty: no owner
        int width, height;
        int expectedX, expectedY;
    } cases[] = {
        {"over the owner", {100, 100, 500, 400}, 200, 100, 200, 200},
        {"no owner: the work area",
         {0, 0, 0, 0}, 200, 100, (work.left + work.right) / 2 - 100, (work.top + work.bottom) / 2 - 50},
        {"past the right edge", {work.right - 100, 50, work.right + 100, 250}, 300, 100, work.right - 300, 100},
        {"wider than the work area", {0, 0, 0, 0}, workWidth + 200, 100, work.left,
         (work.top + work.bottom) / 2 - 50},
    };
    for (const Case& c : cases) {
        HWND owner = nullptr;
        StyledWindow ownerWindow;
        if (!::IsRectEmpty(&c.owner))
            owner = ownerWindow.Create(nullptr, L"owner", WS_POPUP, WS_EX_TOOLWINDOW, c.owner.left, c.owner.top,
                                       c.owner.right - c.owner.left, c.owner.bottom - c.owner.top);
        StyledWindow window;
        ASSERT_NE(nullptr, window.Create(owner, L"centred", WS_POPUP, WS_EX_TOOLWINDOW, 0, 0, c.width, c.height))
            << c.name;
        window.CenterWindow();
        RECT rc;
        ::GetWindowRect(window.GetHWND(), &rc);
        EXPECT_EQ(c.expectedX, rc.left) << c.name;
        EXPECT_EQ(c.expectedY, rc.top) << c.name;
        ::DestroyWindow(window.GetHWND());
        if (owner) ::DestroyWindow(owner);
    }
}

// The handler table: a handler that marks the message handled keeps it from
// the paint manager; one that passes it on lets the controls see it.
class CountingWindow : public VQRoutingWindow {
public:
    LRESULT OnLButtonDown(UINT, WPARAM, LPARAM, BOOL& handled) override {
        ++downs;
        handled = swallowDown ? TRUE : FALSE;
        return 0;
    }
    LRESULT OnNcHitTest(UINT, WPARAM, LPARAM, BOOL& handled) override {
        handled = TRUE;
        return HTCAPTION;
    }
    int downs = 0;
    bool swallowDown = false;
};

TEST(Window, HandlersThatPassMessagesOnReachTheControls) {
    CountingWindow window;
    input::VQScreenshotOnFailure shot(window.GetHWND());
    VQProbeControl* probe = new VQProbeControl;
    window.Attach(probe);
    struct Case {
        const char* name;
        bool swallow;
        int expectedEvents;
    } cases[] = {{"passed on", false, 1}, {"handled by the window", true, 0}};
    for (const Case& c : cases) {
        window.swallowDown = c.swallow;
        const int before = probe->Count(EventLButtonDown);
        const int downs = window.downs;
        ::SendMessageW(window.GetHWND(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
        ::SendMessageW(window.GetHWND(), WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
        EXPECT_EQ(downs + 1, window.downs) << c.name;
        EXPECT_EQ(before + c.expectedEvents, probe->Count(EventLButtonDown)) << c.name;
    }
    EXPECT_EQ(HTCAPTION, ::SendMessageW(window.GetHWND(), WM_NCHITTEST, 0, 0));
}

class CreateFails : public VQWindowImplBase {
public:
    const wchar_t* GetWindowClassName() const override { return L"VQTestCreateFails"; }
    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL& handled) override {
        handled = TRUE;
        return -1;
    }
};

TEST(Window, InitTwiceKeepsOnePlaceInThePreTranslationList) {
    const size_t before = VQPaintManager::GetPreTranslateCount();
    {
        VQRoutingWindow window;  // its OnCreate calls Init
        EXPECT_EQ(before + 1, VQPaintManager::GetPreTranslateCount());
        window.GetPaintManager().Init(window.GetHWND());
        EXPECT_EQ(before + 1, VQPaintManager::GetPreTranslateCount());
    }
    EXPECT_EQ(before, VQPaintManager::GetPreTranslateCount());
}

TEST(Window, CreateReturnsNullWhenTheWindowRefusesToBeMade) {
    CreateFails window;
    EXPECT_EQ(nullptr, window.Create(nullptr, L"no", WS_POPUP, WS_EX_TOOLWINDOW, 0, 0, 10, 10));
    EXPECT_EQ(nullptr, window.GetHWND());
}

TEST(Window, ModalLoopDisablesTheOwnerAndGivesItBackBeforeTheWindowGoes) {
    VQRoutingWindow owner;
    input::VQScreenshotOnFailure shot(owner.GetHWND());
    ASSERT_TRUE(::IsWindowEnabled(owner.GetHWND()));
    VQRoutingWindow dialog(owner.GetHWND(), 200, 100);
    ASSERT_EQ(owner.GetHWND(), ::GetWindow(dialog.GetHWND(), GW_OWNER));
    int ownerEnabledInLoop = -1;
    int ownerEnabledAtDestroy = -1;
    dialog.onTestMessage = [&](UINT) {
        ownerEnabledInLoop = ::IsWindowEnabled(owner.GetHWND()) ? 1 : 0;
        dialog.Close();
    };
    dialog.onDestroy = [&] { ownerEnabledAtDestroy = ::IsWindowEnabled(owner.GetHWND()) ? 1 : 0; };
    ::PostMessageW(dialog.GetHWND(), WM_APP + 100, 0, 0);
    EXPECT_TRUE(dialog.ShowModal());
    EXPECT_EQ(0, ownerEnabledInLoop);
    EXPECT_EQ(1, ownerEnabledAtDestroy) << "enabled before the window disappears";
    EXPECT_FALSE(::IsWindow(dialog.GetHWND()));
    EXPECT_TRUE(::IsWindowEnabled(owner.GetHWND()));
    EXPECT_FALSE(dialog.ShowModal()) << "no window, no loop";
}

TEST(Window, QuitDuringTheModalLoopEndsItAndReachesTheOuterLoop) {
    VQRoutingWindow owner;
    VQRoutingWindow dialog(owner.GetHWND(), 200, 100);
    dialog.onTestMessage = [&](UINT) { ::PostQuitMessage(42); };
    ::PostMessageW(dialog.GetHWND(), WM_APP + 100, 0, 0);
    EXPECT_TRUE(dialog.ShowModal());
    EXPECT_TRUE(::IsWindow(dialog.GetHWND())) << "the quit ended the loop, not the window";
    EXPECT_TRUE(::IsWindowEnabled(owner.GetHWND()));
    MSG msg;
    ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(42u, msg.wParam);
}

// A window whose end would free what a question's caller still uses (the
// manager's main window): under a running modal loop it ends the loops and
// closes once they have returned.
class WaitingForQuestions : public VQRoutingWindow {
public:
    WaitingForQuestions() : VQRoutingWindow(nullptr, 300, 200) {}
    LRESULT OnClose(UINT, WPARAM, LPARAM, BOOL& handled) override {
        handled = FALSE;
        if (!IsModalLoopRunning()) return 0;
        CloseAfterModalLoops(m_hwnd);
        EndModalLoops();
        handled = TRUE;
        return 0;
    }
};

TEST(Window, AWindowClosedDuringAQuestionOfAWindowItOwnsGoesOnlyAfterTheQuestionReturned) {
    WaitingForQuestions main;
    // A window of the main window's (the runtime window) asks its question.
    VQRoutingWindow owned(main.GetHWND(), 250, 150, WS_EX_TOOLWINDOW, 60, 60);
    VQRoutingWindow question(owned.GetHWND(), 200, 100, WS_EX_TOOLWINDOW, 80, 80);
    std::vector<std::string> order;
    main.onDestroy = [&] { order.push_back("main window gone"); };
    bool runningInside = false;
    question.onTestMessage = [&](UINT) {
        runningInside = VQWindowWnd::IsModalLoopRunning();
        // Another program (the updater) closes the main window.
        ::PostMessageW(main.GetHWND(), WM_CLOSE, 0, 0);
    };
    ::PostMessageW(question.GetHWND(), WM_APP + 100, 0, 0);
    EXPECT_FALSE(VQWindowWnd::IsModalLoopRunning());
    EXPECT_TRUE(question.ShowModal());
    order.push_back("question returned");
    EXPECT_TRUE(runningInside);
    EXPECT_FALSE(VQWindowWnd::IsModalLoopRunning());
    EXPECT_FALSE(::IsWindow(question.GetHWND())) << "the question was not ended";
    EXPECT_TRUE(::IsWindow(main.GetHWND())) << "the main window went under the question";
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(main.GetHWND()); }, 5000)) << "the close did not follow";
    const std::vector<std::string> expected = {"question returned", "main window gone"};
    EXPECT_EQ(expected, order);
}

TEST(Window, WithoutAModalLoopTheWaitingCloseComesAtOnce) {
    WaitingForQuestions main;
    ::PostMessageW(main.GetHWND(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(main.GetHWND()); }, 5000));
}

}  // namespace
}  // namespace Tessar

namespace Tessar {
namespace {

// Counts what reaches it; the window outlives the object in the test.
class Listener : public VQWindowWnd {
public:
    explicit Listener(int* calls) : m_calls(calls) {}
    const wchar_t* GetWindowClassName() const override { return L"VQTestListener"; }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        ++*m_calls;
        return VQWindowWnd::HandleMessage(message, wParam, lParam);
    }

private:
    int* m_calls;
};

TEST(Window, AnObjectFreedBeforeItsWindowIsNoLongerReached) {
    int calls = 0;
    HWND hwnd = nullptr;
    {
        Listener listener(&calls);
        hwnd = listener.Create(nullptr, L"", WS_POPUP, WS_EX_TOOLWINDOW, 0, 0, 20, 20);
        ASSERT_NE(nullptr, hwnd);
    }
    const int before = calls;
    ::SendMessageW(hwnd, WM_APP + 3, 0, 0);
    EXPECT_TRUE(::DestroyWindow(hwnd));
    EXPECT_EQ(before, calls);
}

}  // namespace
}  // namespace Tessar

namespace Tessar {
namespace {

// Answers the folder picker from a thread timer, as a user would: the
// dialog is found among this thread's windows, a folder may be selected,
// then OK or Cancel is pressed.
struct PickerScript {
    static PickerScript* current;
    const wchar_t* select = nullptr;
    int button = IDCANCEL;
    bool answered = false;

    static BOOL CALLBACK FindDialog(HWND hwnd, LPARAM found) {
        wchar_t name[16] = {};
        ::GetClassNameW(hwnd, name, 16);
        if (std::wstring(name) == L"#32770" && ::IsWindowVisible(hwnd)) {
            *reinterpret_cast<HWND*>(found) = hwnd;
            return FALSE;
        }
        return TRUE;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD) {
        PickerScript* script = current;
        if (!script || script->answered) return;
        HWND dialog = nullptr;
        ::EnumThreadWindows(::GetCurrentThreadId(), &FindDialog, reinterpret_cast<LPARAM>(&dialog));
        if (!dialog) return;
        script->answered = true;
        ::KillTimer(nullptr, id);
        if (script->select)
            ::SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(script->select));
        ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(script->button, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(dialog, script->button)));
    }
};
PickerScript* PickerScript::current = nullptr;

TEST(Window, FolderPickerReturnsTheChosenFolderOrNothingWhenCancelled) {
    VQRoutingWindow owner;
    wchar_t windows[MAX_PATH] = {};
    ASSERT_NE(0u, ::GetWindowsDirectoryW(windows, MAX_PATH));
    struct Case {
        const char* name;
        int button;
        bool expected;
        std::wstring path;
    } cases[] = {{"cancelled", IDCANCEL, false, L"unchanged"}, {"chosen", IDOK, true, windows}};
    for (const Case& c : cases) {
        PickerScript script;
        script.select = windows;
        script.button = c.button;
        PickerScript::current = &script;
        UINT_PTR timer = ::SetTimer(nullptr, 0, 50, &PickerScript::Tick);
        std::wstring path = L"unchanged";
        const bool chosen = owner.BrowseForFolder(L"选择文件夹", path);
        ::KillTimer(nullptr, timer);
        PickerScript::current = nullptr;
        ASSERT_TRUE(script.answered) << c.name;
        EXPECT_EQ(c.expected, chosen) << c.name;
        EXPECT_EQ(0, _wcsicmp(c.path.c_str(), path.c_str())) << c.name << ": " << WideToNarrow(path);
    }
}

}  // namespace
}  // namespace Tessar
