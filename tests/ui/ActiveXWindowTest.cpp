// The ActiveX control in a skinned window built from markup, as the game
// windows use it: the window loads the object when it is created, hears its
// events, and the message loop offers keys to the in-place active object.
#include <gtest/gtest.h>

#include <exdispid.h>
#include <ole2.h>

#include <string>

#include "tests/ui/ActiveXTestHost.h"
#include "tests/ui/RoutingTestWindow.h"
#include "tests/ui/WindowInput.h"
#include "tests/ui/WindowScreenshot.h"
#include "ui/ActiveXCtrl.h"
#include "ui/DialogBuilder.h"

namespace Tessar {
namespace {

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

using Test::VQHeardEvents;
using Test::VQTestControlLibrary;

const COLORREF kControlColor = RGB(0x20, 0x80, 0xE0);

// A player window: on "object created" it connects its event sink and
// loads a movie, as the Flash window does.
class VQPlayerWindow : public Tessar::Test::VQRoutingWindow {
public:
    VQPlayerWindow() : Tessar::Test::VQRoutingWindow(nullptr, 300, 200) {}
    ~VQPlayerWindow() override { Disconnect(); }

    void Notify(VQNotifyMsg& msg) override {
        Tessar::Test::VQRoutingWindow::Notify(msg);
        if (msg.type != NotifyActiveXCreated) return;
        player = static_cast<VQActiveX*>(msg.sender->GetInterface(ControlTypeActiveX));
        if (!player) return;
        IDispatch* object = nullptr;
        if (FAILED(player->GetControl(IID_IDispatch, reinterpret_cast<void**>(&object)))) return;
        m_sink = new VQActiveXEventSink(&heard);
        connected = m_sink->Connect(object);
        Put(object, L"Movie", L"Z:\\games\\50001\\game.swf");
        object->Release();
    }

    void Disconnect() {
        if (!m_sink) return;
        IUnknown* object = nullptr;
        if (player && SUCCEEDED(player->GetControl(IID_IUnknown, reinterpret_cast<void**>(&object)))) {
            m_sink->Disconnect(object);
            object->Release();
        }
        m_sink->SetCallback(nullptr);
        m_sink->Release();
        m_sink = nullptr;
    }

    VQActiveX* player = nullptr;
    HRESULT connected = E_FAIL;
    VQHeardEvents heard;

private:
    static void Put(IDispatch* object, const wchar_t* member, const wchar_t* text) {
        LPOLESTR name = const_cast<LPOLESTR>(member);
        DISPID id = 0;
        if (FAILED(object->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id))) return;
        VARIANT value;
        value.vt = VT_BSTR;
        value.bstrVal = ::SysAllocString(text);
        DISPID named = DISPID_PROPERTYPUT;
        DISPPARAMS params = {&value, &named, 1, 1};
        object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr, nullptr);
        ::VariantClear(&value);
    }

    VQActiveXEventSink* m_sink = nullptr;
};

class ActiveXWindowTest : public Test::VQActiveXLibraryTest {
protected:
    void TearDown() override {
        EXPECT_EQ(0, m_library.SiteReferences());
        VQActiveXLibraryTest::TearDown();
    }

    // The layout of a player window with the control at 20,30-120,90.
    static std::wstring Markup(bool windowless) {
        return L"<Window size=\"300,200\"><Container name=\"root\">"
               L"<ActiveX name=\"player\" float=\"true\" pos=\"20,30,120,90\" modulename=\"" +
               VQTestControlLibrary::Path() + L"\" clsid=\"" VQ_TEST_CONTROL_CLSID_TEXT L"\" windowless=\"" +
               (windowless ? L"true" : L"false") + L"\" delaycreate=\"false\"/></Container></Window>";
    }
};

TEST_F(ActiveXWindowTest, PlayerFromMarkupIsLoadedDrawnAndHeardByItsWindow) {
    struct Case {
        const char* name;
        DWORD options;
        bool windowless;
    } cases[] = {
        {"windowless", TestOptionWindowless, true},
        {"windowed", 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_library.Configure(c.options);
        {
            VQPlayerWindow window;
            Tessar::Test::VQScreenshotOnFailure screenshot(window.GetHWND());
            VQDialogBuilder builder;
            VQControl* root = builder.Create(Markup(c.windowless), L"", 1, L"", &window.GetPaintManager());
            ASSERT_NE(nullptr, root);
            // Created while the markup was read ("delaycreate" false), and
            // reported once the window listens.
            ASSERT_EQ(1, m_library.LiveObjects());
            window.Attach(root);
            ASSERT_NE(nullptr, window.GetPaintManager().FindControlByName(L"player"));
            VQActiveX* player =
                static_cast<VQActiveX*>(window.GetPaintManager().FindControlByName(L"player")->GetInterface(14));
            ASSERT_NE(nullptr, player);
            ASSERT_NE(nullptr, player->GetSite());
            EXPECT_TRUE(player->GetSite()->IsInPlaceActive());
            EXPECT_EQ(c.windowless, player->GetSite()->IsWindowless());
            if (!window.player) {
                // The object came before the window listened: load it now.
                VQNotifyMsg msg;
                msg.type = NotifyActiveXCreated;
                msg.sender = player;
                window.Notify(msg);
            }
            ASSERT_EQ(S_OK, window.connected);
            EXPECT_NE(std::wstring::npos, m_library.CallLog().find(L"movie=Z:\\games\\50001\\game.swf"));

            if (player->GetNativeWindow()) ::UpdateWindow(::GetWindow(player->GetNativeWindow(), GW_CHILD));
            window.Paint();
            EXPECT_EQ(kControlColor, Tessar::Test::WindowPixel(window.GetHWND(), 70, 60));
            EXPECT_NE(kControlColor, Tessar::Test::WindowPixel(window.GetHWND(), 150, 150));

            HWND target = c.windowless ? window.GetHWND() : ::GetWindow(player->GetNativeWindow(), GW_CHILD);
            POINT at = c.windowless ? POINT{70, 60} : POINT{50, 30};
            Tessar::Test::PostClick(target, at);
            ASSERT_TRUE(Tessar::Test::PumpUntil([&] { return !window.heard.progress_.empty(); }, 20000));
            EXPECT_EQ(1, window.heard.progress_[0].first);
            window.Disconnect();
        }
        EXPECT_EQ(0, m_library.LiveObjects());
        EXPECT_EQ(0, VQActiveXCtrl::LiveCount());
    }
}

TEST_F(ActiveXWindowTest, WindowThatGoesFirstStillFreesItsObject) {
    struct Case {
        const char* name;
        DWORD options;
        bool windowless;
    } cases[] = {
        {"windowless", TestOptionWindowless, true},
        {"windowed", 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_library.Configure(c.options);
        VQPlayerWindow* window = new VQPlayerWindow;
        VQDialogBuilder builder;
        VQControl* root = builder.Create(Markup(c.windowless), L"", 1, L"", &window->GetPaintManager());
        ASSERT_NE(nullptr, root);
        window->Attach(root);
        ASSERT_EQ(1, m_library.LiveObjects());
        // The native window is destroyed while the tree still holds the
        // control; the tree goes with the window object afterwards.
        ::DestroyWindow(window->GetHWND());
        Tessar::Test::PumpPending();
        delete window;
        EXPECT_EQ(0, m_library.LiveObjects());
        EXPECT_EQ(0, m_library.SiteReferences());
        EXPECT_EQ(0, VQActiveXCtrl::LiveCount());
    }
}

TEST_F(ActiveXWindowTest, KeysTypedIntoAWindowedObjectReachItsAcceleratorsFirst) {
    m_library.Configure(0);
    VQPlayerWindow window;
    Tessar::Test::VQScreenshotOnFailure screenshot(window.GetHWND());
    VQDialogBuilder builder;
    VQControl* root = builder.Create(Markup(false), L"", 1, L"", &window.GetPaintManager());
    ASSERT_NE(nullptr, root);
    window.Attach(root);
    VQActiveX* player =
        static_cast<VQActiveX*>(window.GetPaintManager().FindControlByName(L"player")->GetInterface(14));
    ASSERT_NE(nullptr, player);
    ASSERT_NE(nullptr, player->GetNativeWindow());
    EXPECT_EQ(player, window.GetPaintManager().FindControlByWindow(player->GetNativeWindow()));
    HWND own = ::GetWindow(player->GetNativeWindow(), GW_CHILD);
    ASSERT_NE(nullptr, own);
    EXPECT_EQ(player, window.GetPaintManager().FindControlByWindow(own));

    player->SetFocus();
    ::SetFocus(own);
    if (::GetFocus() != own) GTEST_SKIP() << "the display gives no focus to the test window";
    EXPECT_EQ(player, window.GetPaintManager().GetFocus());
    // Test programs running side by side on one display may take the focus
    // away for a moment: the key is typed again, with the focus back, until
    // it arrives.
    DWORD lastKey = 0;
    const bool arrived = Tessar::Test::PumpUntil(
        [&] {
            if (m_library.CallLog().find(L"accel=80") != std::wstring::npos) return true;
            if (lastKey == 0 || ::GetTickCount() - lastKey > 1000) {
                if (::GetFocus() != own) ::SetFocus(own);
                Tessar::Test::PostKeyDown(own, 'P');
                lastKey = ::GetTickCount();
            }
            return false;
        },
        20000);
    EXPECT_TRUE(arrived) << Narrow(m_library.CallLog());
}

}  // namespace
}  // namespace Tessar
