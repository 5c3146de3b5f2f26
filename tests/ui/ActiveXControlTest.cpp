// The control's own rules: its type, markup attributes, when a class id
// creates the object, and objects that cannot be made.
#include <gtest/gtest.h>

#include <exdisp.h>
#include <ole2.h>

#include <string>

#include "tests/ui/ActiveXTestHost.h"
#include "tests/ui/WindowInput.h"
#include "ui/ActiveXCtrl.h"
#include "ui/PaintManager.h"

namespace Tessar {
namespace {

using Test::VQActiveXHost;
using Test::VQTestControlLibrary;

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// An attribute of the program's own layout.
void SetBuiltIn(VQActiveX& control, const wchar_t* name, const std::wstring& value) {
    VQBuiltInMarkupScope builtIn(&control);
    control.SetAttribute(name, value);
}

const wchar_t kBrowserClsid[] = L"{8856F961-340A-11D0-A96B-00C04FD705A2}";
const wchar_t kFlashClsid[] = L"{D27CDB6E-AE6D-11CF-96B8-444553540000}";

class ActiveXControlTest : public Test::VQActiveXLibraryTest {
protected:
    ActiveXControlTest() : VQActiveXLibraryTest(TestOptionWindowless) {}
};

TEST_F(ActiveXControlTest, AnswersForActiveXAndControlTypesOnly) {
    VQActiveX control;
    EXPECT_EQ(14, control.GetControlType());
    EXPECT_EQ(&control, control.GetInterface(ControlTypeActiveX));
    EXPECT_EQ(&control, control.GetInterface(ControlTypeControl));
    EXPECT_EQ(nullptr, control.GetInterface(ControlTypeContainer));
    EXPECT_EQ(nullptr, control.GetInterface(ControlTypeLabel));
}

TEST_F(ActiveXControlTest, GivesNoObjectBeforeItExists) {
    VQActiveX control;
    EXPECT_EQ(E_POINTER, control.GetControl(IID_IUnknown, nullptr));
    IUnknown* object = reinterpret_cast<IUnknown*>(&control);
    EXPECT_EQ(E_PENDING, control.GetControl(IID_IUnknown, reinterpret_cast<void**>(&object)));
    EXPECT_EQ(nullptr, object);
}

TEST_F(ActiveXControlTest, BrowserAttributesAreTrueOnlyForTrue) {
    struct Case {
        const wchar_t* name;
        const wchar_t* value;
        bool expected;
    } cases[] = {
        {L"enable3dborder", L"false", false}, {L"enable3dborder", L"True", false},
        {L"enable3dborder", L"true", true},   {L"enablescrollbar", L"false", false},
        {L"enablescrollbar", L"true", true},  {L"enablecontextmenu", L"0", false},
        {L"enablecontextmenu", L"true", true}, {L"windowless", L"true", true},
        {L"windowless", L"yes", false},
    };
    for (const Case& c : cases) {
        VQActiveX control;
        EXPECT_TRUE(control.IsEnable3dBorder() && control.IsEnableScrollBar() && control.IsEnableContextMenu());
        EXPECT_FALSE(control.IsWindowless());
        control.SetAttribute(c.name, c.value);
        bool value = std::wstring(c.name) == L"enable3dborder"    ? control.IsEnable3dBorder()
                     : std::wstring(c.name) == L"enablescrollbar" ? control.IsEnableScrollBar()
                     : std::wstring(c.name) == L"enablecontextmenu" ? control.IsEnableContextMenu()
                                                                    : control.IsWindowless();
        EXPECT_EQ(c.expected, value) << std::string(c.name, c.name + wcslen(c.name));
    }
    VQActiveX control;
    SetBuiltIn(control, L"modulename", L"Player.dll");
    EXPECT_EQ(L"Player.dll", control.GetModuleName());
    control.SetAttribute(L"name", L"player");
    EXPECT_EQ(L"player", control.GetName()) << "other names reach the control base";
}

TEST_F(ActiveXControlTest, ClassIdCreatesAtOnceOnlyWithoutDelayAndOnlyWhenItChanges) {
    VQActiveXHost host;
    VQActiveX* control = host.Control();
    // As the markup builder does: the manager first, then the attributes.
    control->SetManager(&host.Window().Manager());
    SetBuiltIn(*control, L"modulename", VQTestControlLibrary::Path());
    SetBuiltIn(*control, L"clsid", VQ_TEST_CONTROL_CLSID_TEXT);
    EXPECT_EQ(kTestControlClsid, control->GetClsid());
    EXPECT_FALSE(control->IsCreated()) << "delayed by default";
    EXPECT_EQ(0, m_library.LiveObjects());

    control->SetAttribute(L"delaycreate", L"false");
    EXPECT_TRUE(control->IsCreated());
    ASSERT_EQ(1, m_library.LiveObjects());
    IOleObject* first = control->GetOleObject();
    ASSERT_NE(nullptr, first);
    EXPECT_TRUE(control->GetSite()->IsInPlaceActive());

    SetBuiltIn(*control, L"clsid", L"{5c0f6d2a-7b1e-4e8c-a3d9-61b2f4e7c9a5}");
    EXPECT_EQ(first, control->GetOleObject()) << "the same class id in other letters made a new object";
    control->SetDelayCreate(false);
    EXPECT_EQ(first, control->GetOleObject());

    // A program id nobody registered reads as no class: the old object goes,
    // and COM makes nothing for it.
    SetBuiltIn(*control, L"modulename", L"");
    SetBuiltIn(*control, L"clsid", L"Tessar.NoSuchProgram");
    EXPECT_EQ(GUID_NULL, control->GetClsid());
    EXPECT_TRUE(control->IsCreated());
    EXPECT_EQ(nullptr, control->GetOleObject());
    EXPECT_EQ(0, m_library.LiveObjects());
    EXPECT_EQ(0, VQActiveXCtrl::LiveCount());

    host.Show();
    EXPECT_EQ(nullptr, control->GetOleObject()) << "laid out without a new attempt";
}

TEST_F(ActiveXControlTest, CodeChoosingAttributesComeOnlyFromTheProgramsOwnMarkup) {
    // Outside the builder's scope for this very control (a skin's style, a
    // class default, a kept attribute list, another control's scope) the
    // class id and the module name stay as they are.
    VQActiveX control;
    VQActiveX other;
    SetBuiltIn(control, L"clsid", VQ_TEST_CONTROL_CLSID_TEXT);
    control.SetAttribute(L"modulename", VQTestControlLibrary::Path());
    control.SetAttribute(L"clsid", kFlashClsid);
    {
        VQBuiltInMarkupScope otherControl(&other);
        control.SetAttribute(L"modulename", L"Other.dll");
        control.SetAttribute(L"clsid", kBrowserClsid);
    }
    control.ApplyAttributeList(std::wstring(L"modulename=\"Player.dll\" clsid=\"") + kBrowserClsid + L"\"");
    EXPECT_EQ(L"", control.GetModuleName());
    EXPECT_EQ(kTestControlClsid, control.GetClsid());
    EXPECT_FALSE(control.IsCreated());
    // The other attributes are a skin's to set.
    control.SetAttribute(L"enablecontextmenu", L"false");
    EXPECT_FALSE(control.IsEnableContextMenu());
}

TEST_F(ActiveXControlTest, TurningDelayOffWithoutAClassIdCreatesNothing) {
    VQActiveX control;
    control.SetDelayCreate(false);
    EXPECT_FALSE(control.IsDelayCreate());
    EXPECT_FALSE(control.IsCreated());
    control.SetDelayCreate(true);
    EXPECT_TRUE(control.IsDelayCreate());
    EXPECT_FALSE(control.IsCreated());
}

TEST_F(ActiveXControlTest, PlayersAndBrowsersWithoutTheirEnginesFailCleanly) {
    struct Case {
        const char* name;
        const wchar_t* clsid;
        // Wine's own browser control makes the object and its window; the
        // page engine it lacks is only needed once a page loads, which no
        // test asks for.
        bool objectMayExist;
    } cases[] = {
        {"Flash player, not registered in the test prefix", kFlashClsid, false},
        {"web browser without its page engine", kBrowserClsid, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        VQActiveXHost host;
        host.Set(L"enable3dborder", L"false");
        host.Set(L"enablecontextmenu", L"false");
        host.Set(L"clsid", c.clsid);
        host.Show();
        host.Window().Paint();
        VQActiveX* control = host.Control();
        EXPECT_TRUE(control->IsCreated());
        if (control->GetOleObject()) {
            EXPECT_TRUE(c.objectMayExist);
            ASSERT_NE(nullptr, control->GetSite());
            EXPECT_TRUE(control->GetSite()->IsInPlaceActive());
            EXPECT_EQ(1, host.NotifyCount(NotifyActiveXCreated));
        } else {
            EXPECT_EQ(nullptr, control->GetSite());
            EXPECT_EQ(nullptr, control->GetNativeWindow());
            EXPECT_EQ(0, host.NotifyCount(NotifyActiveXCreated));
            IUnknown* object = nullptr;
            EXPECT_EQ(E_PENDING, control->GetControl(IID_IUnknown, reinterpret_cast<void**>(&object)));
        }
        host.DeleteControl();
        EXPECT_EQ(0, VQActiveXCtrl::LiveCount());
    }
}

TEST_F(ActiveXControlTest, TestControlStandsInForTheBrowserThroughItsModule) {
    VQActiveXHost host;
    host.Set(L"modulename", VQTestControlLibrary::Path());
    host.Set(L"clsid", kBrowserClsid);
    host.Show();
    IWebBrowser2* browser = nullptr;
    ASSERT_EQ(S_OK, host.Control()->GetControl(IID_IWebBrowser2, reinterpret_cast<void**>(&browser)));
    BSTR url = ::SysAllocString(L"http://127.0.0.1/game/index.html");
    VARIANT empty;
    ::VariantInit(&empty);
    EXPECT_EQ(S_OK, browser->Navigate(url, &empty, &empty, &empty, &empty));
    ::SysFreeString(url);
    EXPECT_EQ(S_OK, browser->GoBack());
    EXPECT_EQ(S_OK, browser->Refresh());
    READYSTATE state = READYSTATE_UNINITIALIZED;
    EXPECT_EQ(S_OK, browser->get_ReadyState(&state));
    EXPECT_EQ(READYSTATE_COMPLETE, state);
    BSTR location = nullptr;
    EXPECT_EQ(S_OK, browser->get_LocationURL(&location));
    EXPECT_STREQ(L"http://127.0.0.1/game/index.html", location);
    ::SysFreeString(location);
    IUnknown* identity = nullptr;
    ASSERT_EQ(S_OK, browser->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)));
    EXPECT_EQ(static_cast<IUnknown*>(host.Control()->GetOleObject()), identity);
    identity->Release();
    browser->Release();
    const std::wstring log = m_library.CallLog();
    EXPECT_NE(std::wstring::npos, log.find(L"navigate=http://127.0.0.1/game/index.html;back;refresh")) << Narrow(log);
}

TEST_F(ActiveXControlTest, BrowserWithoutItsEngineTakesAPageThatNeverCompletes) {
    VQActiveXHost host;
    host.Set(L"enablescrollbar", L"false");
    host.Set(L"clsid", kBrowserClsid);
    host.Show();
    IWebBrowser2* browser = nullptr;
    if (FAILED(host.Control()->GetControl(IID_IWebBrowser2, reinterpret_cast<void**>(&browser))) || !browser)
        GTEST_SKIP() << "no browser control in this prefix";
    // The window's event sink connects to the real browser as to the test control.
    ASSERT_EQ(S_OK, host.ConnectEvents());
    VARIANT empty;
    ::VariantInit(&empty);
    BSTR url = ::SysAllocString(L"about:blank");
    HRESULT navigated = browser->Navigate(url, &empty, &empty, &empty, &empty);
    ::SysFreeString(url);
    Tessar::Test::PumpPending();
    READYSTATE state = READYSTATE_UNINITIALIZED;
    browser->get_ReadyState(&state);
    browser->Release();
    if (SUCCEEDED(navigated) && state == READYSTATE_COMPLETE) GTEST_SKIP() << "this prefix has a page engine";
    EXPECT_NE(READYSTATE_COMPLETE, state);
    for (const auto& progress : host.Events().progress_) EXPECT_NE(-1, progress.first) << "a page completed";
    host.DeleteControl();
    EXPECT_EQ(0, VQActiveXCtrl::LiveCount());
}

}  // namespace
}  // namespace Tessar
