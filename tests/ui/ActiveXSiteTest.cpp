// What the site answers a hosted object: the test control calls into it
// (document host, command target, control site, container, windowless
// site, frame) and the answers are compared; then the site's parts on their
// own: without an owner, the frame and the enumerator.
#include <gtest/gtest.h>

#include <ole2.h>

#include <string>

#include "tests/ui/ActiveXTestHost.h"
#include "ui/ActiveXCtrl.h"
#include "ui/ActiveXEnum.h"
#include "ui/ActiveXFrameWnd.h"
#include "ui/PaintManager.h"

namespace Tessar {
namespace {

using Test::VQActiveXHost;
using Test::VQHeardEvents;
using Test::VQTestControlLibrary;

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

class ActiveXSiteTest : public Test::VQActiveXLibraryTest {
protected:
    void Create(VQActiveXHost& host, DWORD options) {
        m_library.Configure(options);
        host.Set(L"modulename", VQTestControlLibrary::Path());
        host.Set(L"clsid", VQ_TEST_CONTROL_CLSID_TEXT);
        host.Show();
        ASSERT_NE(nullptr, host.Control()->GetSite());
        ASSERT_TRUE(host.Control()->GetSite()->IsInPlaceActive());
    }
};

struct ProbeCase {
    const char* name;
    DWORD options;
    // Attributes of the control, name="value" pairs.
    const wchar_t* attributes;
    const wchar_t* probe;
    const wchar_t* answer;
};

const ProbeCase kProbeCases[] = {
    {"no ambient properties", TestOptionWindowless, L"", L"ambient", L"hr=80004002"},
    {"host info by default", TestOptionWindowless, L"", L"hostinfo", L"hr=00000000 flags=00000000"},
    {"no 3-D border, no scroll bars", TestOptionWindowless, L"enable3dborder=\"false\" enablescrollbar=\"false\"",
     L"hostinfo", L"hr=00000000 flags=0000000C"},
    {"no 3-D border only", TestOptionWindowless, L"enable3dborder=\"false\"", L"hostinfo",
     L"hr=00000000 flags=00000004"},
    {"page's own context menu", TestOptionWindowless, L"", L"contextmenu", L"hr=80004001"},
    {"no context menu", TestOptionWindowless, L"enablecontextmenu=\"false\"", L"contextmenu", L"hr=00000000"},
    {"no external object", TestOptionWindowless, L"", L"external", L"hr=80004001"},
    {"script errors keep scripts running", TestOptionWindowless, L"", L"scripterror",
     L"hr=00000000 vt=11 bool=-1 query=80040104"},
    {"other command of the group", TestOptionWindowless, L"", L"othercommand",
     L"hr=80040100 vt=0 bool=0 query=80040104"},
    {"standard group unknown", TestOptionWindowless, L"", L"othergroup", L"hr=80040104 vt=0 bool=0 query=80040104"},
    {"extended control is the object", TestOptionWindowless, L"", L"extended", L"hr=00000000 same=1"},
    {"container lists the object once", TestOptionWindowless, L"", L"enum",
     L"first=00000000 same=1 second=00000001 again=00000000"},
    {"window context", TestOptionWindowless, L"", L"windowcontext",
     L"hr=00000000,00000000 frame=1 document=0 accel=1 sameaccel=1 entries=1 framewindow=1 border=800401A1"},
    {"windowless object's window", TestOptionWindowless, L"", L"window", L"hr=00000000 class=VQUiTestWindow"},
    {"windowed object's window", 0, L"", L"window", L"hr=00000000 class=VQActiveXWnd"},
    {"mouse capture", TestOptionWindowless, L"", L"capture", L"00000001,00000000,00000000,00000001"},
    {"focus", TestOptionWindowless, L"", L"focus", L"00000000,00000000"},
    {"device context with background", TestOptionWindowless, L"", L"dc", L"00000000,00000000,80004003"},
    {"device context of a windowed object", 0, L"", L"dc", L"00000000,00000000,80004003"},
    {"invalidation", TestOptionWindowless, L"", L"invalidate", L"00000000"},
    {"default window procedure", TestOptionWindowless, L"", L"defmessage", L"00000000,0"},
    {"site holder", TestOptionWindowless, L"", L"siteholder", L"80004005,00000000 same=1"},
    {"object shown", TestOptionWindowless, L"", L"showobject", L"hr=00000000"},
    {"client site", TestOptionWindowless, L"", L"clientsite", L"save=80004001 moniker=80004001 null=1"},
};

TEST_F(ActiveXSiteTest, SiteAnswersTheObjectsCalls) {
    for (const ProbeCase& c : kProbeCases) {
        SCOPED_TRACE(c.name);
        VQActiveXHost host;
        host.Control()->ApplyAttributeList(c.attributes);
        Create(host, c.options);
        EXPECT_EQ(Narrow(c.answer), Narrow(m_library.Probe(c.probe)));
    }
}

TEST_F(ActiveXSiteTest, FocusAskedByAWindowlessObjectMovesTheToolkitFocus) {
    VQActiveXHost host;
    Create(host, TestOptionWindowless);
    EXPECT_FALSE(host.Control()->IsFocused());
    m_library.Probe(L"focus");
    EXPECT_TRUE(host.Control()->IsFocused());
    EXPECT_TRUE(host.Control()->GetSite()->HasFocus());
}

TEST_F(ActiveXSiteTest, PagesExternalObjectIsTheOnesTheWindowSet) {
    VQActiveXHost host;
    Create(host, TestOptionWindowless);
    VQHeardEvents heard;
    VQActiveXEventSink* external = new VQActiveXEventSink(&heard);
    host.Control()->SetExternal(external);
    EXPECT_EQ("hr=00000000 id=1 idhr=00000000 call=00000000 vt=11 bool=-1", Narrow(m_library.Probe(L"external")));
    EXPECT_EQ(1, heard.scriptCloses);
    host.Control()->SetExternal(nullptr);
    EXPECT_EQ(0u, external->Release()) << "the control kept a reference";
}

TEST_F(ActiveXSiteTest, WindowlessObjectGetsMessagesOnlyInsideItsAreaAndWithFocus) {
    VQActiveXHost host;
    Create(host, TestOptionWindowless);
    HWND window = host.Window().Handle();
    auto send = [&](UINT message, int x, int y, bool screen) {
        POINT pt = {x, y};
        if (screen) ::ClientToScreen(window, &pt);
        return ::SendMessageW(window, message, message == WM_MOUSEWHEEL ? MAKEWPARAM(0, WHEEL_DELTA) : 0,
                              MAKELPARAM(pt.x, pt.y));
    };
    struct Case {
        const char* name;
        UINT message;
        int x, y;
        bool screen;
        bool focus;
        const wchar_t* entry;
        bool reaches;
    } cases[] = {
        {"wheel outside", WM_MOUSEWHEEL, 5, 5, true, false, L"wheel", false},
        {"wheel inside, screen point", WM_MOUSEWHEEL, 70, 60, true, false, L"wheel", true},
        {"key without focus", WM_KEYDOWN, 0, 0, false, false, L"key", false},
        {"key with focus", WM_KEYDOWN, 0, 0, false, true, L"key", true},
        {"click while hidden", WM_LBUTTONDOWN, 70, 60, false, false, L"click", false},
        {"key while hidden", WM_KEYDOWN, 0, 0, false, false, L"key", false},
        {"click when shown again", WM_LBUTTONDOWN, 70, 60, false, false, L"click", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.focus) host.Control()->SetFocus();
        host.Control()->SetVisible(std::string(c.name).find("hidden") == std::string::npos);
        size_t before = m_library.CallLog().size();
        send(c.message, c.x, c.y, c.screen);
        std::wstring added = m_library.CallLog().substr(before);
        EXPECT_EQ(c.reaches, added.find(c.entry) != std::wstring::npos) << Narrow(added);
    }
}

// ---- the parts on their own ----

// Counts its own references.
class CountedObject : public IUnknown {
public:
    STDMETHOD(QueryInterface)(REFIID iid, void** out) override {
        if (iid != IID_IUnknown) return E_NOINTERFACE;
        *out = this;
        AddRef();
        return S_OK;
    }
    STDMETHOD_(ULONG, AddRef)() override { return ++count; }
    STDMETHOD_(ULONG, Release)() override { return --count; }
    ULONG count = 1;
};

TEST_F(ActiveXSiteTest, SiteWithoutOwnerAnswersUnexpected) {
    VQActiveX owner;
    VQActiveXCtrl* site = new VQActiveXCtrl(&owner);
    site->ClearOwner();
    HWND window = nullptr;
    HDC dc = nullptr;
    IDispatch* dispatch = nullptr;
    IEnumUnknown* list = nullptr;
    LRESULT result = 0;
    struct Case {
        const char* name;
        HRESULT hr;
        HRESULT expected;
    } cases[] = {
        {"ShowObject", site->ShowObject(), E_UNEXPECTED},
        {"GetWindow", site->GetWindow(&window), E_UNEXPECTED},
        {"GetCapture", site->GetCapture(), E_UNEXPECTED},
        {"SetCapture", site->SetCapture(TRUE), E_UNEXPECTED},
        {"GetFocus", site->GetFocus(), E_UNEXPECTED},
        {"SetFocus", site->SetFocus(TRUE), E_UNEXPECTED},
        {"GetDC", site->GetDC(nullptr, 0, &dc), E_UNEXPECTED},
        {"ReleaseDC", site->ReleaseDC(nullptr), E_UNEXPECTED},
        {"InvalidateRect", site->InvalidateRect(nullptr, FALSE), E_UNEXPECTED},
        {"InvalidateRgn", site->InvalidateRgn(nullptr, FALSE), E_UNEXPECTED},
        {"OnDefWindowMessage", site->OnDefWindowMessage(WM_NULL, 0, 0, &result), E_UNEXPECTED},
        {"GetExtendedControl", site->GetExtendedControl(&dispatch), E_UNEXPECTED},
        {"EnumObjects", site->EnumObjects(0, &list), E_UNEXPECTED},
        {"OnInPlaceActivate", site->OnInPlaceActivate(), E_UNEXPECTED},
        {"GetExternal", site->GetExternal(&dispatch), E_NOTIMPL},
        {"GetSite without holder", site->GetSite(IID_IUnknown, reinterpret_cast<void**>(&dispatch)), E_FAIL},
        {"ScrollRect", site->ScrollRect(1, 1, nullptr, nullptr), S_OK},
        {"LockContainer", site->LockContainer(TRUE), S_OK},
    };
    for (const Case& c : cases) EXPECT_EQ(c.expected, c.hr) << c.name;
    EXPECT_TRUE(site->IsContainerLocked());
    EXPECT_EQ(nullptr, window);
    EXPECT_EQ(nullptr, dispatch);
    EXPECT_EQ(nullptr, list);
    EXPECT_EQ(0u, site->Release());
}

TEST_F(ActiveXSiteTest, SitePartsShareOneIdentityAndOneCount) {
    VQActiveX owner;
    VQActiveXCtrl* site = new VQActiveXCtrl(&owner);
    const IID* iids[] = {&IID_IUnknown,        &IID_IOleClientSite,   &IID_IOleInPlaceSiteWindowless,
                         &IID_IOleInPlaceSiteEx, &IID_IOleInPlaceSite,  &IID_IOleWindow,
                         &IID_IOleControlSite, &IID_IOleContainer,    &IID_IObjectWithSite,
                         &IID_IOleCommandTarget, &IID_IDocHostUIHandler};
    IUnknown* identity = nullptr;
    ASSERT_EQ(S_OK, site->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)));
    for (const IID* iid : iids) {
        IUnknown* part = nullptr;
        ASSERT_EQ(S_OK, site->QueryInterface(*iid, reinterpret_cast<void**>(&part)));
        IUnknown* back = nullptr;
        ASSERT_EQ(S_OK, part->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&back)));
        EXPECT_EQ(identity, back);
        back->Release();
        part->Release();
    }
    IUnknown* none = reinterpret_cast<IUnknown*>(site);
    EXPECT_EQ(E_NOINTERFACE, site->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&none)));
    EXPECT_EQ(nullptr, none);
    identity->Release();
    EXPECT_EQ(1, VQActiveXCtrl::LiveCount());
    site->ClearOwner();
    EXPECT_EQ(0u, site->Release());
    EXPECT_EQ(0, VQActiveXCtrl::LiveCount());
}

TEST_F(ActiveXSiteTest, FrameKeepsTheActiveObjectAndTheSiteUntilItsLastRelease) {
    VQActiveX owner;
    VQActiveXCtrl* site = new VQActiveXCtrl(&owner);
    VQActiveXFrameWnd* frame = new VQActiveXFrameWnd(site);
    CountedObject first, second;
    EXPECT_EQ(S_OK, frame->SetActiveObject(reinterpret_cast<IOleInPlaceActiveObject*>(&first), nullptr));
    EXPECT_EQ(2u, first.count);
    EXPECT_EQ(S_OK, frame->SetActiveObject(reinterpret_cast<IOleInPlaceActiveObject*>(&second), nullptr));
    EXPECT_EQ(1u, first.count);
    EXPECT_EQ(2u, second.count);
    HWND window = reinterpret_cast<HWND>(1);
    EXPECT_EQ(S_OK, frame->GetWindow(&window)) << "owner present";
    EXPECT_EQ(nullptr, window) << "the owner has no window yet";
    EXPECT_EQ(INPLACE_E_NOTOOLSPACE, frame->RequestBorderSpace(nullptr));
    EXPECT_EQ(S_FALSE, frame->TranslateAccelerator(nullptr, 0));
    IOleInPlaceUIWindow* ui = nullptr;
    EXPECT_EQ(S_OK, frame->QueryInterface(IID_IOleInPlaceUIWindow, reinterpret_cast<void**>(&ui)));
    ui->Release();

    // The control goes first: the frame still answers, without touching it.
    site->ClearOwner();
    EXPECT_EQ(1u, site->Release()) << "the frame holds the site";
    EXPECT_EQ(E_UNEXPECTED, frame->GetWindow(&window));
    EXPECT_EQ(0u, frame->Release());
    EXPECT_EQ(1u, second.count);
    EXPECT_EQ(0, VQActiveXCtrl::LiveCount());
}

TEST_F(ActiveXSiteTest, EnumeratorListsItsObjectOnceAfterEachReset) {
    CountedObject object;
    VQActiveXEnum* list = new VQActiveXEnum(&object);
    EXPECT_EQ(2u, object.count);
    IUnknown* items[2] = {};
    ULONG fetched = 9;
    EXPECT_EQ(S_OK, list->Next(1, items, &fetched));
    EXPECT_EQ(1u, fetched);
    EXPECT_EQ(&object, items[0]);
    items[0]->Release();
    EXPECT_EQ(S_FALSE, list->Next(1, items, &fetched));
    EXPECT_EQ(0u, fetched);
    EXPECT_EQ(S_OK, list->Reset());
    EXPECT_EQ(S_OK, list->Skip(1));
    EXPECT_EQ(S_FALSE, list->Next(1, items, &fetched));
    EXPECT_EQ(S_OK, list->Reset());
    EXPECT_EQ(S_FALSE, list->Next(2, items, &fetched)) << "asked for two, one given";
    EXPECT_EQ(1u, fetched);
    items[0]->Release();
    IEnumUnknown* copy = reinterpret_cast<IEnumUnknown*>(list);
    EXPECT_EQ(E_NOTIMPL, list->Clone(&copy));
    EXPECT_EQ(nullptr, copy);
    EXPECT_EQ(0u, list->Release());
    EXPECT_EQ(1u, object.count);
}

}  // namespace
}  // namespace Tessar
