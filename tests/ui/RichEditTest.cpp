#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/ui/RoutingTestWindow.h"
#include "tests/ui/TestWindow.h"
#include "tests/ui/WindowInput.h"
#include "tests/ui/WindowScreenshot.h"
#include "ui/DialogBuilder.h"
#include "ui/Layouts.h"
#include "ui/PaintManager.h"
#include "ui/RichEdit.h"
#include "ui/ScrollBar.h"
#include "ui/TxtWinHost.h"

namespace Tessar {
namespace {

using Test::VQTestWindow;

class NotifyLog : public INotify {
public:
    void Notify(VQNotifyMsg& msg) override { received.push_back(msg); }
    int Count(int type) const {
        int n = 0;
        for (const auto& msg : received)
            if (msg.type == type) ++n;
        return n;
    }
    std::vector<VQNotifyMsg> received;
};

// Holds the thread's Control key down (as GetKeyState sees it) for a scope.
class ControlKeyDown {
public:
    ControlKeyDown() { Set(0x80); }
    ~ControlKeyDown() { Set(0); }

private:
    static void Set(BYTE value) {
        BYTE keys[256];
        ::GetKeyboardState(keys);
        keys[VK_CONTROL] = value;
        ::SetKeyboardState(keys);
    }
};

// A window with one rich edit filling it, attached and laid out.
class RichEditFixture : public ::testing::Test {
protected:
    void Build(const std::vector<std::pair<std::wstring, std::wstring>>& attributes) {
        root = new VQVerticalLayout;
        edit = new VQRichEdit;
        edit->SetName(L"edit");
        for (const auto& a : attributes) edit->SetAttribute(a.first, a.second);
        root->Add(edit);
        window.Manager().AttachRootControl(root);
        window.Manager().AddNotifier(&log);
        window.Paint();
    }
    void Focus() {
        edit->SetFocus();
        ASSERT_TRUE(edit->IsFocused());
    }
    void PostChars(const std::wstring& text, UINT message = WM_CHAR) {
        for (wchar_t ch : text) ::PostMessageW(window.Handle(), message, ch, 1);
    }
    void PostKey(UINT vk) {
        ::PostMessageW(window.Handle(), WM_KEYDOWN, vk, 1);
        ::PostMessageW(window.Handle(), WM_KEYUP, vk, 0xC0000001);
    }
    // Lets every posted message through.
    void Drain() {
        window.PumpUntil([] { return HIWORD(::GetQueueStatus(QS_POSTMESSAGE | QS_SENDMESSAGE | QS_INPUT)) == 0; });
    }

    VQTestWindow window{320, 120};
    NotifyLog log;
    VQVerticalLayout* root = nullptr;
    VQRichEdit* edit = nullptr;
};

TEST_F(RichEditFixture, CreatesTheTextServicesAtInit) {
    Build({{L"text", L"起始文字"}});
    ASSERT_NE(nullptr, edit->GetHost());
    EXPECT_NE(nullptr, edit->GetHost()->GetTextServices());
    EXPECT_EQ(L"起始文字", edit->GetText());
    RECT client = edit->GetHost()->GetClientRect();
    EXPECT_EQ(320, client.right - client.left);
    EXPECT_EQ(120, client.bottom - client.top);
}

TEST_F(RichEditFixture, TypedCharactersReachTheTextAndNotifyChanges) {
    struct Case {
        const char* name;
        UINT message;
    } cases[] = {{"WM_CHAR", WM_CHAR}, {"WM_IME_CHAR", WM_IME_CHAR}};
    Build({{L"event_change", L"true"}});
    Focus();
    for (const auto& c : cases) {
        edit->SetText(L"");
        log.received.clear();
        const std::wstring typed = L"游戏abc中文";
        PostChars(typed, c.message);
        EXPECT_TRUE(window.PumpUntil([&] { return edit->GetText() == typed; })) << c.name;
        EXPECT_EQ(typed, edit->GetText()) << c.name;
        EXPECT_EQ(typed, edit->GetStoredText()) << c.name;
        EXPECT_EQ(static_cast<int>(typed.size()), log.Count(NotifyTextChanged)) << c.name;
    }
}

TEST_F(RichEditFixture, TextChangesNotifyOnlyWithEventChange) {
    Build({});
    Focus();
    PostChars(L"ab");
    EXPECT_TRUE(window.PumpUntil([&] { return edit->GetText() == L"ab"; }));
    EXPECT_EQ(0, log.Count(NotifyTextChanged));

    edit->SetAttribute(L"event_change", L"true");
    PostChars(L"c");
    EXPECT_TRUE(window.PumpUntil([&] { return edit->GetText() == L"abc"; }));
    EXPECT_EQ(1, log.Count(NotifyTextChanged));
    // Setting the text the control already holds tells nobody.
    edit->SetText(L"abc");
    Drain();
    EXPECT_EQ(1, log.Count(NotifyTextChanged));
}

TEST_F(RichEditFixture, ReachingTheLimitNotifies) {
    Build({{L"limittext", L"4"}});
    Focus();
    PostChars(L"一二三四五六");
    Drain();
    EXPECT_EQ(L"一二三四", edit->GetText());
    // One for each refused character.
    EXPECT_EQ(2, log.Count(NotifyTextLimit));
    // Replacing a selected character at the limit is no refusal.
    CHARRANGE last = {3, 4};
    LRESULT ignored = 0;
    edit->TxSendMessage(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&last), &ignored);
    PostChars(L"末");
    Drain();
    EXPECT_EQ(L"一二三末", edit->GetText());
    EXPECT_EQ(2, log.Count(NotifyTextLimit));
}

TEST_F(RichEditFixture, EnterFollowsTheWantReturnRules) {
    struct Case {
        const char* name;
        const wchar_t* wantReturn;
        const wchar_t* wantCtrlReturn;
        bool control;
        bool notifies;
    } cases[] = {
        {"want return off", L"false", L"true", false, true},
        {"want return on", L"true", L"true", false, false},
        {"ctrl+enter without want ctrl-return", L"true", L"false", true, true},
        {"ctrl+enter with want ctrl-return", L"true", L"true", true, false},
    };
    Build({});
    Focus();
    for (const auto& c : cases) {
        edit->SetAttribute(L"wantreturn", c.wantReturn);
        edit->SetAttribute(L"wantctrlreturn", c.wantCtrlReturn);
        edit->SetText(L"行");
        log.received.clear();
        LRESULT result = 0;
        if (c.control) {
            ControlKeyDown down;
            edit->TxSendMessage(WM_KEYDOWN, VK_RETURN, 1, &result);
        } else {
            edit->TxSendMessage(WM_KEYDOWN, VK_RETURN, 1, &result);
        }
        EXPECT_EQ(c.notifies ? 1 : 0, log.Count(NotifyReturn)) << c.name;
        std::wstring text = edit->GetText();
        EXPECT_EQ(c.notifies, text == L"行") << c.name << ": text length " << text.size();
    }
}

TEST_F(RichEditFixture, PostedEnterWithoutWantReturnInsertsNothing) {
    Build({{L"wantreturn", L"false"}});
    Focus();
    PostChars(L"名");
    PostKey(VK_RETURN);
    ::PostMessageW(window.Handle(), WM_CHAR, L'\r', 1);
    Drain();
    EXPECT_EQ(L"名", edit->GetText());
    EXPECT_EQ(1, log.Count(NotifyReturn));
}

TEST_F(RichEditFixture, LimitAndPasswordReachTheHost) {
    Build({{L"limittext", L"0"}});
    ASSERT_NE(nullptr, edit->GetHost());
    EXPECT_EQ(32767u, edit->GetHost()->GetMaxLength());
    edit->SetAttribute(L"limittext", L"12");
    EXPECT_EQ(12u, edit->GetHost()->GetMaxLength());

    DWORD bits = 0;
    edit->GetHost()->TxGetPropertyBits(TXTBIT_USEPASSWORD, &bits);
    EXPECT_EQ(0u, bits);
    edit->SetAttribute(L"password", L"true");
    EXPECT_TRUE(edit->GetHost()->GetStyle() & ES_PASSWORD);
    edit->GetHost()->TxGetPropertyBits(TXTBIT_USEPASSWORD, &bits);
    EXPECT_EQ(static_cast<DWORD>(TXTBIT_USEPASSWORD), bits);
}

TEST_F(RichEditFixture, ReadOnlyAndDisabledFieldsTakeNoTyping) {
    struct Case {
        const char* name;
        const wchar_t* attribute;
        const wchar_t* value;
    } cases[] = {{"read-only", L"readonly", L"true"}, {"disabled", L"enabled", L"false"}};
    Build({});
    for (const Case& c : cases) {
        edit->SetText(L"原文");
        Focus();
        edit->SetAttribute(c.attribute, c.value);
        PostChars(L"新");
        Drain();
        EXPECT_EQ(L"原文", edit->GetText()) << c.name;
        edit->SetAttribute(c.attribute, c.value == std::wstring(L"true") ? L"false" : L"true");
        Focus();
        PostChars(L"新");
        Drain();
        EXPECT_EQ(L"原文新", edit->GetText()) << c.name;
    }
}

TEST_F(RichEditFixture, ANarrowerFieldWrapsItsTextAgain) {
    Build({});
    edit->SetText(L"一段很长的文字，一段很长的文字，一段很长的文字，一段很长的文字");
    auto lines = [&] {
        LRESULT count = 0;
        edit->TxSendMessage(EM_GETLINECOUNT, 0, 0, &count);
        return static_cast<int>(count);
    };
    window.Paint();
    const int wide = lines();
    edit->SetPos(0, 0, 80, 120);
    window.Paint();
    EXPECT_GT(lines(), wide);
    RECT client = edit->GetHost()->GetClientRect();
    EXPECT_EQ(80, client.right - client.left);
}

TEST_F(RichEditFixture, WheelWithoutControlIsLeftToTheContainer) {
    Build({});
    bool handled = false;
    POINT pt = {10, 10};
    ::ClientToScreen(window.Handle(), &pt);
    edit->MessageFilter(WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(pt.x, pt.y), handled);
    EXPECT_FALSE(handled);
}

TEST_F(RichEditFixture, KeysReachTheTextOnlyWithFocus) {
    struct Case {
        const char* name;
        UINT message;
        wchar_t ch;
    } cases[] = {{"WM_CHAR", WM_CHAR, L'x'}, {"WM_IME_CHAR", WM_IME_CHAR, L'字'}};
    Build({});
    for (const Case& c : cases) {
        edit->SetText(L"");
        window.Manager().SetFocus(nullptr);
        bool handled = false;
        edit->MessageFilter(c.message, c.ch, 1, handled);
        EXPECT_FALSE(handled) << c.name;
        EXPECT_EQ(L"", edit->GetText()) << c.name;
        Focus();
        edit->MessageFilter(c.message, c.ch, 1, handled);
        EXPECT_TRUE(handled) << c.name;
        EXPECT_EQ(std::wstring(1, c.ch), edit->GetText()) << c.name;
    }
}

TEST_F(RichEditFixture, TimersOfTheTextServicesDriveNoAnimation) {
    Build({{L"pos", L"5,6,105,46"}});
    ASSERT_NE(nullptr, edit->GetHost());
    // Timer 1 would be the motion animation's.
    EXPECT_TRUE(edit->GetHost()->TxSetTimer(AnimationMotion, 10));
    EXPECT_TRUE(edit->GetHost()->IsServicesTimer(AnimationMotion));
    VQEvent tick;
    tick.type = EventTimer;
    tick.wParam = AnimationMotion;
    edit->DoEvent(tick);
    EXPECT_EQ(5, edit->GetFixedXY().x);
    EXPECT_EQ(0, log.Count(NotifyAnimationStep));
    // While it runs, the manager refuses a second timer of that id.
    EXPECT_FALSE(window.Manager().SetTimer(edit, AnimationMotion, 10));
    edit->GetHost()->TxKillTimer(AnimationMotion);
    EXPECT_FALSE(edit->GetHost()->IsServicesTimer(AnimationMotion));
    EXPECT_TRUE(window.Manager().SetTimer(edit, AnimationMotion, 10));
    window.Manager().KillTimer(edit, AnimationMotion);
}

TEST_F(RichEditFixture, FreedWhileSelectingReleasesTheMouse) {
    Build({{L"text", L"拖动选择"}});
    ASSERT_NE(nullptr, edit->GetHost());
    edit->GetHost()->TxSetCapture(TRUE);
    EXPECT_TRUE(window.Manager().IsCaptured());
    EXPECT_EQ(window.Handle(), ::GetCapture());
    DetachControlFromParent(edit);
    delete edit;
    edit = nullptr;
    EXPECT_FALSE(window.Manager().IsCaptured());
    EXPECT_EQ(nullptr, ::GetCapture());
}

TEST(RichEdit, HostGoesWithTheControl) {
    long before = VQTxtWinHost::LiveCount();
    {
        VQTestWindow window;
        VQRichEdit* edit = new VQRichEdit;
        window.Manager().AttachRootControl(edit);
        NotifyLog log;
        window.Manager().AddNotifier(&log);
        // A second notifier runs DoInit again; the control keeps one host.
        NotifyLog second;
        window.Manager().AddNotifier(&second);
        EXPECT_EQ(before + 1, VQTxtWinHost::LiveCount());
    }
    EXPECT_EQ(before, VQTxtWinHost::LiveCount());
}

}  // namespace
}  // namespace Tessar

namespace Tessar {
namespace {

TEST_F(RichEditFixture, LongTextShowsTheScrollBarAndScrolls) {
    Build({{L"vscrollbar", L"true"}, {L"autovscroll", L"true"}});
    std::wstring text;
    for (int i = 0; i < 40; ++i) text += L"第" + std::to_wstring(i) + L"行\r";
    edit->SetText(text);
    window.Paint();
    VQScrollbar* bar = edit->GetVerticalScrollBar();
    ASSERT_NE(nullptr, bar);
    EXPECT_TRUE(bar->IsVisible());
    EXPECT_GT(bar->GetScrollRange(), 0);

    auto firstLine = [&] {
        LRESULT line = 0;
        edit->TxSendMessage(EM_GETFIRSTVISIBLELINE, 0, 0, &line);
        return static_cast<int>(line);
    };
    edit->HomeUp();
    EXPECT_EQ(0, firstLine());
    EXPECT_EQ(0, bar->GetScrollPos());
    // A wheel turn down (wParam 1) goes through the container's handling.
    VQEvent wheel;
    wheel.type = EventMouseWheel;
    wheel.wParam = 1;
    edit->DoEvent(wheel);
    EXPECT_GT(firstLine(), 0);
    EXPECT_GT(bar->GetScrollPos(), 0);
    // Dragging the thumb sets the owner's position.
    SIZE end = {0, bar->GetScrollRange()};
    edit->SetScrollPos(end);
    EXPECT_EQ(bar->GetScrollRange(), bar->GetScrollPos());
    EXPECT_GT(firstLine(), 20);
    edit->PageUp();
    EXPECT_LT(bar->GetScrollPos(), bar->GetScrollRange());
}

}  // namespace
}  // namespace Tessar

namespace Tessar {
namespace {

// Counts the pixels of `rc` that are not black after the edit paints into
// a black 32-bit bitmap.
int LitPixels(VQRichEdit* edit, const RECT& rc, uint32_t mask = 0xFFFFFF) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = rc.right;
    info.bmiHeader.biHeight = -rc.bottom;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = ::CreateCompatibleDC(nullptr);
    HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    edit->DoPaint(dc, rc);
    ::GdiFlush();
    int lit = 0;
    const uint32_t* pixels = static_cast<const uint32_t*>(bits);
    for (int i = 0; i < rc.right * rc.bottom; ++i)
        if (pixels[i] & mask) ++lit;
    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    return lit;
}

TEST_F(RichEditFixture, DrawsItsTextInTheStateColour) {
    Build({{L"normaltextcolor", L"#FFFFFFFF"}});
    window.Manager().SetFocus(nullptr);
    const RECT rc = {0, 0, 320, 120};
    EXPECT_EQ(0, LitPixels(edit, rc));
    edit->SetText(L"画出来的中文");
    EXPECT_GT(LitPixels(edit, rc), 20);
    // Focused, without a selected colour of its own: still the normal colour.
    edit->SetFocus();
    ASSERT_TRUE(edit->IsFocused());
    EXPECT_GT(LitPixels(edit, rc, 0x00FF00), 20);
    // With one, the selected colour (pure red: no green left).
    edit->SetAttribute(L"selectedtextcolor", L"#FFFF0000");
    window.Manager().SetFocus(nullptr);
    edit->SetFocus();
    EXPECT_GT(LitPixels(edit, rc, 0xFF0000), 20);
    EXPECT_EQ(0, LitPixels(edit, rc, 0x00FF00));
}

TEST_F(RichEditFixture, PasswordHidesTheText) {
    Build({{L"normaltextcolor", L"#FFFFFFFF"}, {L"text", L"密码文字"}});
    window.Manager().SetFocus(nullptr);
    const RECT rc = {0, 0, 320, 120};
    int plain = LitPixels(edit, rc);
    edit->SetAttribute(L"password", L"true");
    int hidden = LitPixels(edit, rc);
    EXPECT_NE(plain, hidden);
    EXPECT_EQ(L"密码文字", edit->GetText());
    // And shows it again when the password style goes.
    edit->SetAttribute(L"password", L"false");
    EXPECT_EQ(plain, LitPixels(edit, rc));
}

}  // namespace
}  // namespace Tessar

namespace Tessar {
namespace {

// A skinned window built from markup: the click focuses the field through
// the filter chain, posted keys and IME characters type into it, and the
// window hears Enter and the changes.
TEST(RichEditWindow, ClickTypeAndEnterInASkinnedWindow) {
    Tessar::Test::VQRoutingWindow window(nullptr, 300, 80);
    Tessar::Test::VQScreenshotOnFailure screenshot(window.GetHWND());
    const wchar_t* markup =
        L"<Window><VerticalLayout inset=\"10,10,10,10\">"
        L"<RichEdit name=\"search\" height=\"30\" wantreturn=\"false\" event_change=\"true\" limittext=\"20\" "
        L"multiline=\"false\" normaltextcolor=\"#FF202020\" />"
        L"<Control />"
        L"</VerticalLayout></Window>";
    VQDialogBuilder builder;
    VQControl* root = builder.Create(markup, L"", MarkupFromMemory, L"", &window.GetPaintManager());
    ASSERT_NE(nullptr, root);
    window.Attach(root);
    window.GetPaintManager().SetFocus(nullptr);
    VQRichEdit* edit =
        static_cast<VQRichEdit*>(window.GetPaintManager().FindControlByName(L"search")->GetInterface(ControlTypeRichEdit));
    ASSERT_NE(nullptr, edit);
    ASSERT_NE(nullptr, edit->GetHost());
    EXPECT_FALSE(edit->GetStyle() & ES_MULTILINE);
    EXPECT_FALSE(edit->IsFocused());

    Tessar::Test::PostClick(window.GetHWND(), Tessar::Test::CenterOf(edit));
    Tessar::Test::PumpPending();
    EXPECT_TRUE(edit->IsFocused());
    EXPECT_FALSE(window.GetPaintManager().IsCaptured());
    EXPECT_FALSE(edit->GetHost()->IsCaptured());

    for (wchar_t ch : std::wstring(L"仙剑")) ::PostMessageW(window.GetHWND(), WM_IME_CHAR, ch, 1);
    for (wchar_t ch : std::wstring(L"3")) ::PostMessageW(window.GetHWND(), WM_CHAR, ch, 1);
    EXPECT_TRUE(Tessar::Test::PumpUntil([&] { return edit->GetText() == L"仙剑3"; }));
    EXPECT_EQ(3, window.Count(NotifyTextChanged, edit));
    Tessar::Test::PostKeyDown(window.GetHWND(), VK_RETURN);
    ::PostMessageW(window.GetHWND(), WM_CHAR, L'\r', 1);
    Tessar::Test::PumpPending();
    EXPECT_EQ(1, window.Count(NotifyReturn, edit));
    EXPECT_EQ(L"仙剑3", edit->GetText());
}

}  // namespace
}  // namespace Tessar
