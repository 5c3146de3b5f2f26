// The ActiveX host with the test control: creation by module name, class id
// and program id, windowless and windowed activation, drawing, events, and
// references going back to zero when the control is released.
#include <gtest/gtest.h>

#include <ole2.h>

#include "tests/ui/ActiveXTestHost.h"
#include "ui/ActiveXCtrl.h"
#include "ui/PaintManager.h"

namespace Tessar {
namespace {

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

using Test::VQActiveXHost;
using Test::VQTestControlLibrary;
using Test::VQTestControlRegistration;
using Test::WindowPixel;

const COLORREF kControlColor = RGB(0x20, 0x80, 0xE0);

class ActiveXTest : public Test::VQActiveXLibraryTest {
protected:
    // A host whose control loads the test control from its module.
    void UseModule(VQActiveXHost& host) {
        host.Set(L"modulename", VQTestControlLibrary::Path());
        host.Set(L"clsid", VQ_TEST_CONTROL_CLSID_TEXT);
    }

    bool LogHas(const std::wstring& entry) const {
        std::wstring log = L";" + m_library.CallLog() + L";";
        return log.find(L";" + entry + L";") != std::wstring::npos;
    }
};

TEST_F(ActiveXTest, WindowlessObjectIsCreatedFromItsModuleActivatedAndDrawn) {
    m_library.Configure(TestOptionWindowless);
    VQActiveXHost host;
    UseModule(host);
    EXPECT_FALSE(host.Control()->IsCreated()) << "creation waits for the first layout";
    host.Show();

    VQActiveX* control = host.Control();
    ASSERT_TRUE(control->IsCreated());
    ASSERT_NE(nullptr, control->GetSite());
    EXPECT_TRUE(control->GetSite()->IsInPlaceActive());
    EXPECT_TRUE(control->GetSite()->IsWindowless());
    EXPECT_EQ(host.Window().Handle(), control->GetHostWindow());
    EXPECT_EQ(nullptr, control->GetNativeWindow());
    EXPECT_EQ(1, host.NotifyCount(NotifyActiveXCreated));
    EXPECT_TRUE(LogHas(L"host=VQActiveX"));
    EXPECT_TRUE(LogHas(L"initnew"));
    EXPECT_TRUE(LogHas(L"active=windowless"));
    EXPECT_EQ(1, m_library.LiveObjects());

    host.Window().Paint();
    EXPECT_EQ(kControlColor, WindowPixel(host.Window().Handle(), 70, 60));
    EXPECT_EQ(kControlColor, WindowPixel(host.Window().Handle(), 20, 30));
    EXPECT_EQ(kControlColor, WindowPixel(host.Window().Handle(), 119, 89));
    EXPECT_NE(kControlColor, WindowPixel(host.Window().Handle(), 120, 90)) << "drawn past its rectangle";
    EXPECT_NE(kControlColor, WindowPixel(host.Window().Handle(), 5, 5));
}

TEST_F(ActiveXTest, WindowlessObjectDrawsOnlyThePartBeingPainted) {
    m_library.Configure(TestOptionWindowless);
    VQActiveXHost host;
    UseModule(host);
    host.Show();
    HDC screen = ::GetDC(nullptr);
    HDC dc = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, 200, 150);
    ::ReleaseDC(nullptr, screen);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    RECT all = {0, 0, 200, 150};
    ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    // The control lies at 20,30-120,90; paint only 60,30-120,90.
    host.Control()->DoPaint(dc, RECT{60, 0, 200, 150});
    EXPECT_EQ(kControlColor, ::GetPixel(dc, 70, 60));
    EXPECT_EQ(kControlColor, ::GetPixel(dc, 119, 89));
    EXPECT_EQ(RGB(255, 255, 255), ::GetPixel(dc, 30, 60)) << "drawn outside the painted part";
    EXPECT_EQ(RGB(255, 255, 255), ::GetPixel(dc, 59, 60));
    EXPECT_EQ(RGB(255, 255, 255), ::GetPixel(dc, 130, 60));
    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
}

TEST_F(ActiveXTest, WindowedObjectLivesInAChildWindowSizedToTheControl) {
    VQActiveXHost host;
    UseModule(host);
    host.Show();

    VQActiveX* control = host.Control();
    ASSERT_NE(nullptr, control->GetSite());
    EXPECT_TRUE(control->GetSite()->IsInPlaceActive());
    EXPECT_FALSE(control->GetSite()->IsWindowless());
    HWND child = control->GetNativeWindow();
    ASSERT_NE(nullptr, child);
    EXPECT_EQ(child, control->GetHostWindow());
    EXPECT_EQ(host.Window().Handle(), ::GetParent(child));
    wchar_t name[64] = L"";
    ::GetClassNameW(child, name, 64);
    EXPECT_STREQ(L"VQActiveXWnd", name);
    ::GetWindowTextW(child, name, 64);
    EXPECT_STREQ(L"VQActiveX", name);
    RECT rc;
    ::GetWindowRect(child, &rc);
    ::MapWindowPoints(nullptr, host.Window().Handle(), reinterpret_cast<POINT*>(&rc), 2);
    EXPECT_EQ(VQActiveXHost::kControlRect.left, rc.left);
    EXPECT_EQ(VQActiveXHost::kControlRect.top, rc.top);
    EXPECT_EQ(VQActiveXHost::kControlRect.right, rc.right);
    EXPECT_EQ(VQActiveXHost::kControlRect.bottom, rc.bottom);
    EXPECT_TRUE(LogHas(L"active=windowed"));

    // The object's own window fills the child and paints itself.
    HWND own = ::GetWindow(child, GW_CHILD);
    ASSERT_NE(nullptr, own);
    RECT ownRect;
    ::GetClientRect(own, &ownRect);
    EXPECT_EQ(100, ownRect.right);
    EXPECT_EQ(60, ownRect.bottom);
    ::UpdateWindow(own);
    EXPECT_EQ(kControlColor, WindowPixel(own, 50, 30));
    EXPECT_EQ(kControlColor, WindowPixel(host.Window().Handle(), 70, 60));

    control->SetVisible(false);
    EXPECT_FALSE(::IsWindowVisible(child));
    control->SetVisible(true);
    EXPECT_TRUE(::IsWindowVisible(child));
}

TEST_F(ActiveXTest, MovingTheControlMovesAndSizesTheObject) {
    HDC screen = ::GetDC(nullptr);
    const int dpiX = ::GetDeviceCaps(screen, LOGPIXELSX);
    const int dpiY = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    struct Case {
        const char* name;
        DWORD options;
        RECT objectRect;  // where the object is told it lives
    } cases[] = {
        {"windowless", TestOptionWindowless, {40, 50, 200, 150}},
        {"windowed", 0, {0, 0, 160, 100}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_library.Configure(c.options);
        VQActiveXHost host;
        UseModule(host);
        host.Show();
        VQActiveX* control = host.Control();
        control->SetPos(40, 50, 200, 150);

        IOleObject* object = nullptr;
        ASSERT_EQ(S_OK, control->GetControl(IID_IOleObject, reinterpret_cast<void**>(&object)));
        SIZEL extent = {};
        EXPECT_EQ(S_OK, object->GetExtent(DVASPECT_CONTENT, &extent));
        EXPECT_EQ(::MulDiv(2540, 160, dpiX), extent.cx);
        EXPECT_EQ(::MulDiv(2540, 100, dpiY), extent.cy);
        object->Release();

        IViewObjectEx* view = nullptr;
        ASSERT_EQ(S_OK, control->GetControl(IID_IViewObjectEx, reinterpret_cast<void**>(&view)));
        RECTL placed = {};
        EXPECT_EQ(S_OK, view->GetRect(DVASPECT_CONTENT, &placed));
        EXPECT_EQ(c.objectRect.left, placed.left);
        EXPECT_EQ(c.objectRect.top, placed.top);
        EXPECT_EQ(c.objectRect.right, placed.right);
        EXPECT_EQ(c.objectRect.bottom, placed.bottom);
        view->Release();

        if (HWND child = control->GetNativeWindow()) {
            RECT rc;
            ::GetWindowRect(child, &rc);
            ::MapWindowPoints(nullptr, host.Window().Handle(), reinterpret_cast<POINT*>(&rc), 2);
            EXPECT_EQ(40, rc.left);
            EXPECT_EQ(50, rc.top);
            EXPECT_EQ(200, rc.right);
            EXPECT_EQ(150, rc.bottom);
        }
        // A rectangle turned inside out is raised to an empty one.
        control->SetPos(40, 50, 10, 20);
        EXPECT_EQ(40, control->GetPos().right);
        EXPECT_EQ(50, control->GetPos().bottom);
    }
}

TEST_F(ActiveXTest, WindowedObjectsChildWindowUiActivatesItOnFocus) {
    VQActiveXHost host;
    UseModule(host);
    host.Show();
    HWND child = host.Control()->GetNativeWindow();
    ASSERT_NE(nullptr, child);
    VQActiveXCtrl* site = host.Control()->GetSite();
    EXPECT_FALSE(site->IsUIActive());
    // The object paints its own window: the background is left alone.
    HDC dc = ::GetDC(child);
    EXPECT_EQ(1, ::SendMessageW(child, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0));
    ::ReleaseDC(child, dc);
    ::SendMessageW(child, WM_SETFOCUS, 0, 0);
    EXPECT_TRUE(site->HasFocus());
    EXPECT_TRUE(site->IsUIActive()) << "focus UI-activates the object";
    ::SendMessageW(child, WM_KILLFOCUS, 0, 0);
    EXPECT_FALSE(site->HasFocus());
}

TEST_F(ActiveXTest, ObjectIsCreatedThroughComByClassIdOrProgramId) {
    VQTestControlRegistration registration;
    ASSERT_TRUE(registration.IsValid());
    struct Case {
        const char* name;
        std::wstring module;
        std::wstring clsid;
    } cases[] = {
        {"class id", L"", registration.ClsidText()},
        {"program id", L"", registration.ProgId()},
        {"module that cannot be loaded", L"NoSuchTestControl.dll", registration.ClsidText()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_library.Configure(TestOptionWindowless);
        {
            VQActiveXHost host;
            host.Set(L"modulename", c.module);
            host.Set(L"clsid", c.clsid);
            host.Show();
            EXPECT_EQ(registration.Clsid(), host.Control()->GetClsid());
            ASSERT_NE(nullptr, host.Control()->GetSite());
            EXPECT_TRUE(host.Control()->GetSite()->IsInPlaceActive());
            EXPECT_EQ(1, m_library.LiveObjects());
            host.Window().Paint();
            EXPECT_EQ(kControlColor, WindowPixel(host.Window().Handle(), 70, 60));
        }
        EXPECT_EQ(0, m_library.LiveObjects());
        EXPECT_EQ(0, VQActiveXCtrl::LiveCount());
    }
}

TEST_F(ActiveXTest, RegistrationIsGoneWithItsHolder) {
    std::wstring progId;
    CLSID registered = {};
    {
        VQTestControlRegistration registration;
        ASSERT_TRUE(registration.IsValid());
        progId = registration.ProgId();
        CLSID found = {};
        EXPECT_EQ(S_OK, ::CLSIDFromProgID(progId.c_str(), &found));
        EXPECT_EQ(registration.Clsid(), found);
        registered = found;
    }
    CLSID found = {};
    EXPECT_NE(S_OK, ::CLSIDFromProgID(progId.c_str(), &found));
    IUnknown* object = nullptr;
    EXPECT_EQ(REGDB_E_CLASSNOTREG,
              ::CoCreateInstance(registered, nullptr, CLSCTX_ALL, IID_IUnknown, reinterpret_cast<void**>(&object)));
}

TEST_F(ActiveXTest, ReleasingTheControlBringsEveryCountBackToZero) {
    struct Case {
        const char* name;
        DWORD options;
    } cases[] = {
        {"windowless", TestOptionWindowless},
        {"windowed", 0},
        {"client site first", TestOptionWindowless | TestOptionSetClientSiteFirst},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_library.Configure(c.options);
        VQActiveXHost host;
        UseModule(host);
        host.Show();
        ASSERT_EQ(1, m_library.LiveObjects());
        EXPECT_GT(m_library.SiteReferences(), 0);
        // Calls that hand out references of their own: frames, enumerators,
        // the extended control, the site holder.
        m_library.Probe(L"windowcontext");
        m_library.Probe(L"enum");
        m_library.Probe(L"extended");
        m_library.Probe(L"siteholder");
        EXPECT_EQ(1, VQActiveXCtrl::LiveCount());

        // Releasing keeps the control; it can be created again.
        host.Control()->ReleaseControl();
        EXPECT_EQ(0, m_library.LiveObjects());
        EXPECT_EQ(0, m_library.SiteReferences());
        EXPECT_EQ(0, VQActiveXCtrl::LiveCount());
        EXPECT_EQ(nullptr, host.Control()->GetSite());
        EXPECT_EQ(nullptr, host.Control()->GetNativeWindow());
        EXPECT_EQ(nullptr, host.Control()->GetHostWindow());

        ASSERT_TRUE(host.Control()->CreateControl());
        EXPECT_EQ(1, m_library.LiveObjects());
        host.DeleteControl();
        EXPECT_EQ(0, m_library.LiveObjects());
        EXPECT_EQ(0, m_library.SiteReferences());
        EXPECT_EQ(0, VQActiveXCtrl::LiveCount());
    }
}

TEST_F(ActiveXTest, ClickOnAWindowlessObjectReachesItAndItsEventReachesTheWindow) {
    m_library.Configure(TestOptionWindowless);
    VQActiveXHost host;
    UseModule(host);
    host.Show();
    ASSERT_EQ(S_OK, host.ConnectEvents());

    HWND window = host.Window().Handle();
    // Outside the object's rectangle: the object does not see it.
    ::PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    ::PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    ::PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(70, 60));
    ::PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(70, 60));
    ASSERT_TRUE(host.Window().PumpUntil([&] { return !host.Events().progress_.empty(); }, 20000));
    ASSERT_EQ(1u, host.Events().progress_.size());
    EXPECT_EQ(1, host.Events().progress_[0].first);
    EXPECT_EQ(100, host.Events().progress_[0].second);
    // Activation places the object (rects), the layout places it again,
    // then only the click inside reached it.
    EXPECT_EQ(L"initnew;host=VQActiveX;rects;active=windowless;rects;click", m_library.CallLog());
}

TEST_F(ActiveXTest, ClickOnAWindowedObjectFiresItsEventToTheWindow) {
    VQActiveXHost host;
    UseModule(host);
    host.Show();
    ASSERT_EQ(S_OK, host.ConnectEvents());
    HWND child = host.Control()->GetNativeWindow();
    ASSERT_NE(nullptr, child);
    HWND own = ::GetWindow(child, GW_CHILD);
    ASSERT_NE(nullptr, own);
    ::PostMessageW(own, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    ASSERT_TRUE(host.Window().PumpUntil([&] { return !host.Events().progress_.empty(); }, 20000));
    EXPECT_EQ(1, host.Events().progress_[0].first);
}

TEST_F(ActiveXTest, WindowlessObjectThatAskedForAWindowFirstLeavesNoChildWindow) {
    m_library.Configure(TestOptionWindowless | TestOptionAskWindowFirst);
    VQActiveXHost host;
    UseModule(host);
    host.Show();
    ASSERT_NE(nullptr, host.Control()->GetSite());
    EXPECT_TRUE(host.Control()->GetSite()->IsWindowless());
    EXPECT_EQ(nullptr, host.Control()->GetNativeWindow());
    EXPECT_EQ(host.Window().Handle(), host.Control()->GetHostWindow());
    EXPECT_EQ(nullptr, ::FindWindowExW(host.Window().Handle(), nullptr, L"VQActiveXWnd", nullptr));
    host.Window().Paint();
    EXPECT_EQ(kControlColor, WindowPixel(host.Window().Handle(), 70, 60));
}

TEST_F(ActiveXTest, InvisibleAtRuntimeObjectIsReportedButNotActivated) {
    m_library.Configure(TestOptionWindowless | TestOptionInvisibleAtRuntime);
    VQActiveXHost host;
    UseModule(host);
    host.Show();
    EXPECT_EQ(1, host.NotifyCount(NotifyActiveXCreated));
    ASSERT_NE(nullptr, host.Control()->GetSite());
    EXPECT_FALSE(host.Control()->GetSite()->IsInPlaceActive());
    EXPECT_FALSE(LogHas(L"active=windowless"));
    EXPECT_EQ(1, m_library.LiveObjects());
}

TEST_F(ActiveXTest, FailedInitialisationEndsCreation) {
    m_library.Configure(TestOptionWindowless | TestOptionFailInitNew);
    VQActiveXHost host;
    UseModule(host);
    host.Show();
    EXPECT_TRUE(host.Control()->IsCreated()) << "creation was attempted";
    EXPECT_EQ(0, host.NotifyCount(NotifyActiveXCreated));
    ASSERT_NE(nullptr, host.Control()->GetSite());
    EXPECT_FALSE(host.Control()->GetSite()->IsInPlaceActive());
    host.DeleteControl();
    EXPECT_EQ(0, m_library.LiveObjects());
}

TEST_F(ActiveXTest, OwnerLoadsTheObjectWhenItIsCreated) {
    m_library.Configure(TestOptionWindowless);
    VQActiveXHost host;
    UseModule(host);
    host.onCreated = [](VQActiveX* control) {
        IDispatch* dispatch = nullptr;
        ASSERT_EQ(S_OK, control->GetControl(IID_IDispatch, reinterpret_cast<void**>(&dispatch)));
        LPOLESTR name = const_cast<LPOLESTR>(L"Navigate");
        DISPID id = 0;
        ASSERT_EQ(S_OK, dispatch->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id));
        VARIANT url;
        url.vt = VT_BSTR;
        url.bstrVal = ::SysAllocString(L"http://127.0.0.1/game.html");
        DISPPARAMS params = {&url, nullptr, 1, 0};
        EXPECT_EQ(S_OK, dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr,
                                         nullptr, nullptr));
        ::VariantClear(&url);
        dispatch->Release();
    };
    host.Show();
    // Loaded after the site was set up and before activation.
    EXPECT_EQ(0u, m_library.CallLog().find(L"initnew;host=VQActiveX;navigate=http://127.0.0.1/game.html;rects;active="))
        << Narrow(m_library.CallLog());
}

TEST_F(ActiveXTest, ReplacingTheObjectWhileItIsCreatedLeavesOnlyTheNewOne) {
    m_library.Configure(TestOptionWindowless);
    VQActiveXHost host;
    UseModule(host);
    int created = 0;
    host.onCreated = [&](VQActiveX* control) {
        if (++created == 1) control->CreateControl();
    };
    host.Show();
    EXPECT_EQ(2, created);
    EXPECT_EQ(1, m_library.LiveObjects());
    ASSERT_NE(nullptr, host.Control()->GetSite());
    EXPECT_TRUE(host.Control()->GetSite()->IsInPlaceActive());
}

}  // namespace
}  // namespace Tessar
