// The browser event sink on its own: names, the events it forwards to the
// window's callback and what it answers, and connecting to an object.
#include <gtest/gtest.h>

#include <exdisp.h>
#include <exdispid.h>
#include <olectl.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/ui/ActiveXTestHost.h"
#include "ui/ActiveXCtrl.h"
#include "ui/ActiveXEventSink.h"

namespace Tessar {
namespace {

using Test::VQActiveXHost;
using Test::VQHeardEvents;
using Test::VQTestControlLibrary;

VARIANT Long(LONG value) {
    VARIANT v;
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}

TEST(ActiveXEventSinkTest, KnowsOnlyTheCloseMember) {
    VQActiveXEventSink* sink = new VQActiveXEventSink(nullptr);
    struct Case {
        const char* name;
        std::vector<const wchar_t*> names;
        HRESULT hr;
        DISPID id;
    } cases[] = {
        {"CB_Close", {L"CB_Close"}, S_OK, 1},
        {"CB_Close with a named argument", {L"CB_Close", L"reason"}, S_OK, 1},
        {"other letter case", {L"cb_close"}, DISP_E_UNKNOWNNAME, DISPID_UNKNOWN},
        {"another member", {L"Navigate", L"CB_Close"}, DISP_E_UNKNOWNNAME, DISPID_UNKNOWN},
    };
    for (const Case& c : cases) {
        std::vector<LPOLESTR> names;
        for (const wchar_t* name : c.names) names.push_back(const_cast<LPOLESTR>(name));
        std::vector<DISPID> ids(names.size(), 42);
        EXPECT_EQ(c.hr, sink->GetIDsOfNames(IID_NULL, names.data(), static_cast<UINT>(names.size()), 0, ids.data()))
            << c.name;
        for (DISPID id : ids) EXPECT_EQ(c.id, id) << c.name;
    }
    UINT count = 0;
    EXPECT_EQ(E_NOTIMPL, sink->GetTypeInfoCount(&count));
    EXPECT_EQ(0u, sink->Release());
}

TEST(ActiveXEventSinkTest, AnswersAsTheBrowsersEventInterfaces) {
    VQActiveXEventSink* sink = new VQActiveXEventSink(nullptr);
    const IID* known[] = {&IID_IUnknown, &IID_IDispatch, &DIID_DWebBrowserEvents2, &DIID_DWebBrowserEvents};
    for (const IID* iid : known) {
        IUnknown* part = nullptr;
        ASSERT_EQ(S_OK, sink->QueryInterface(*iid, reinterpret_cast<void**>(&part)));
        part->Release();
    }
    IUnknown* none = nullptr;
    EXPECT_EQ(E_NOINTERFACE, sink->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&none)));
    EXPECT_EQ(0u, sink->Release());
}

TEST(ActiveXEventSinkTest, ForwardsEventsToTheWindowsCallback) {
    IDispatch* newWindow = nullptr;
    VARIANT_BOOL cancel = VARIANT_FALSE;
    BSTR context = ::SysAllocString(L"http://127.0.0.1/from.html");
    BSTR url = ::SysAllocString(L"http://127.0.0.1/to.html");
    struct Case {
        const char* name;
        DISPID id;
        WORD flags;
        std::vector<VARIANT> args;  // last argument first, as callers pass them
        std::function<bool(const VQHeardEvents&)> heard;
    };
    VARIANT byRefWindow;
    byRefWindow.vt = VT_BYREF | VT_DISPATCH;
    byRefWindow.ppdispVal = &newWindow;
    VARIANT byRefCancel;
    byRefCancel.vt = VT_BYREF | VT_BOOL;
    byRefCancel.pboolVal = &cancel;
    VARIANT enable;
    enable.vt = VT_BOOL;
    enable.boolVal = VARIANT_TRUE;
    VARIANT contextArg;
    contextArg.vt = VT_BSTR;
    contextArg.bstrVal = context;
    VARIANT urlArg;
    urlArg.vt = VT_BSTR;
    urlArg.bstrVal = url;
    std::vector<Case> cases = {
        {"progress", DISPID_PROGRESSCHANGE, DISPATCH_METHOD, {Long(200), Long(-1)},
         [](const VQHeardEvents& e) {
             return e.progress_.size() == 1 && e.progress_[0].first == -1 && e.progress_[0].second == 200;
         }},
        {"progress as a property read is ignored", DISPID_PROGRESSCHANGE, DISPATCH_PROPERTYGET, {Long(1), Long(2)},
         [](const VQHeardEvents& e) { return e.progress_.empty(); }},
        {"command state", DISPID_COMMANDSTATECHANGE, DISPATCH_METHOD, {enable, Long(2)},
         [](const VQHeardEvents& e) {
             return e.commands.size() == 1 && e.commands[0].first == 2 && e.commands[0].second == VARIANT_TRUE;
         }},
        {"new window", DISPID_NEWWINDOW, DISPATCH_METHOD, {Long(8), Long(7)},
         [](const VQHeardEvents& e) {
             return e.newWindows.size() == 1 && e.newWindows[0].first == 7 && e.newWindows[0].second == 8;
         }},
        {"new window 2 can be cancelled", DISPID_NEWWINDOW2, DISPATCH_METHOD, {byRefCancel, byRefWindow},
         [&](const VQHeardEvents& e) { return e.newWindow2 == 1 && cancel == VARIANT_TRUE; }},
        {"new window 3 with its address", DISPID_NEWWINDOW3, DISPATCH_METHOD,
         {urlArg, contextArg, Long(6), byRefCancel, byRefWindow},
         [&](const VQHeardEvents& e) {
             return e.newWindow3 == 1 && e.lastUrl == L"http://127.0.0.1/to.html" && cancel == VARIANT_TRUE;
         }},
        {"too few arguments are read as none", DISPID_NEWWINDOW3, DISPATCH_METHOD, {Long(1)},
         [](const VQHeardEvents& e) { return e.newWindow3 == 1 && e.lastUrl.empty(); }},
        {"other events go nowhere", DISPID_DOCUMENTCOMPLETE, DISPATCH_METHOD, {Long(1), Long(2)},
         [](const VQHeardEvents& e) {
             return e.progress_.empty() && e.commands.empty() && e.newWindows.empty() && e.newWindow2 == 0 &&
                    e.newWindow3 == 0 && e.scriptCloses == 0;
         }},
    };
    for (Case& c : cases) {
        cancel = VARIANT_FALSE;
        VQHeardEvents heard;
        VQActiveXEventSink* sink = new VQActiveXEventSink(&heard);
        DISPPARAMS params = {c.args.data(), nullptr, static_cast<UINT>(c.args.size()), 0};
        // Every event but the close member answers E_NOTIMPL, also after a call.
        EXPECT_EQ(E_NOTIMPL, sink->Invoke(c.id, IID_NULL, 0, c.flags, &params, nullptr, nullptr, nullptr)) << c.name;
        EXPECT_TRUE(c.heard(heard)) << c.name;
        EXPECT_EQ(0u, sink->Release());
    }
    ::SysFreeString(context);
    ::SysFreeString(url);
}

// A sink made for the older DWebBrowserEvents hears only its NewWindow: it
// marks the event processed (with or without a window to tell) and passes
// the address on; the events the newer interface also has are not heard
// twice.
TEST(ActiveXEventSinkTest, OlderInterfaceSinkHearsOnlyNewWindowAndMarksItProcessed) {
    VARIANT_BOOL processed = VARIANT_FALSE;
    BSTR url = ::SysAllocString(L"http://127.0.0.1/old.html");
    VARIANT urlArg;
    urlArg.vt = VT_BSTR;
    urlArg.bstrVal = url;
    VARIANT done;
    done.vt = VT_BYREF | VT_BOOL;
    done.pboolVal = &processed;
    VARIANT empty;
    ::VariantInit(&empty);
    VARIANT enable;
    enable.vt = VT_BOOL;
    enable.boolVal = VARIANT_TRUE;
    struct Case {
        const char* name;
        bool withWindow;
        DISPID id;
        std::vector<VARIANT> args;  // last argument first, as callers pass them
        VARIANT_BOOL processed;
        std::vector<std::wstring> heard;
    };
    const std::vector<std::wstring> none;
    const std::vector<Case> cases = {
        {"new window", true, DISPID_NEWWINDOW, {done, empty, empty, empty, Long(0), urlArg}, VARIANT_TRUE,
         {L"http://127.0.0.1/old.html"}},
        {"no window to tell", false, DISPID_NEWWINDOW, {done, empty, empty, empty, Long(0), urlArg}, VARIANT_TRUE,
         none},
        {"without Processed", true, DISPID_NEWWINDOW, {urlArg}, VARIANT_FALSE, {L"http://127.0.0.1/old.html"}},
        {"address not a text", true, DISPID_NEWWINDOW, {done, empty, empty, empty, Long(0), Long(7)}, VARIANT_TRUE,
         none},
        {"command state", true, DISPID_COMMANDSTATECHANGE, {enable, Long(2)}, VARIANT_FALSE, none},
        {"progress", true, DISPID_PROGRESSCHANGE, {Long(200), Long(-1)}, VARIANT_FALSE, none},
    };
    for (Case c : cases) {
        processed = VARIANT_FALSE;
        VQHeardEvents heard;
        VQActiveXEventSink* sink = new VQActiveXEventSink(c.withWindow ? &heard : nullptr, VQBrowserEvents::Older);
        DISPPARAMS params = {c.args.data(), nullptr, static_cast<UINT>(c.args.size()), 0};
        EXPECT_EQ(S_OK, sink->Invoke(c.id, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr))
            << c.name;
        EXPECT_EQ(c.processed, processed) << c.name;
        EXPECT_EQ(c.heard, heard.olderNewWindows) << c.name;
        EXPECT_TRUE(heard.commands.empty() && heard.progress_.empty() && heard.newWindows.empty()) << c.name;
        EXPECT_EQ(0u, sink->Release());
    }
    ::SysFreeString(url);
}

TEST(ActiveXEventSinkTest, CloseMemberClosesOnCallAndReadsAsTrue) {
    VQHeardEvents heard;
    VQActiveXEventSink* sink = new VQActiveXEventSink(&heard);
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    VARIANT result;
    ::VariantInit(&result);
    EXPECT_EQ(S_OK, sink->Invoke(1, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr));
    EXPECT_EQ(VT_BOOL, result.vt);
    EXPECT_EQ(VARIANT_TRUE, result.boolVal) << "VT_BOOL true is -1";
    EXPECT_EQ(0, heard.scriptCloses);
    EXPECT_EQ(S_OK, sink->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr));
    EXPECT_EQ(1, heard.scriptCloses);
    // A window that went away clears the callback; late calls go nowhere.
    sink->SetCallback(nullptr);
    EXPECT_EQ(S_OK, sink->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr));
    EXPECT_EQ(E_NOTIMPL, sink->Invoke(DISPID_PROGRESSCHANGE, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr,
                                      nullptr));
    EXPECT_EQ(1, heard.scriptCloses);
    EXPECT_EQ(0u, sink->Release());
}

class ActiveXEventSinkObjectTest : public Test::VQActiveXLibraryTest {
protected:
    ActiveXEventSinkObjectTest() : VQActiveXLibraryTest(TestOptionWindowless) {}
};

TEST_F(ActiveXEventSinkObjectTest, ConnectsToTheObjectAndHearsEventsUntilDisconnected) {
    VQActiveXHost host;
    host.Set(L"modulename", VQTestControlLibrary::Path());
    host.Set(L"clsid", VQ_TEST_CONTROL_CLSID_TEXT);
    host.Show();
    IDispatch* object = nullptr;
    ASSERT_EQ(S_OK, host.Control()->GetControl(IID_IDispatch, reinterpret_cast<void**>(&object)));
    VQHeardEvents heard;
    VQActiveXEventSink* sink = new VQActiveXEventSink(&heard);
    ASSERT_EQ(S_OK, sink->Connect(object));
    EXPECT_NE(0u, sink->GetCookie());

    auto fire = [&](LONG dispid, LONG first, LONG second) {
        VARIANT args[3] = {Long(second), Long(first), Long(dispid)};
        DISPPARAMS params = {args, nullptr, 3, 0};
        return object->Invoke(TestDispFireEvent, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    };
    ASSERT_EQ(S_OK, fire(DISPID_PROGRESSCHANGE, -1, 100));
    ASSERT_EQ(1u, heard.progress_.size());
    EXPECT_EQ(-1, heard.progress_[0].first);
    EXPECT_EQ(100, heard.progress_[0].second);
    ASSERT_EQ(S_OK, fire(DISPID_COMMANDSTATECHANGE, 2, 1));
    ASSERT_EQ(1u, heard.commands.size());
    EXPECT_EQ(2, heard.commands[0].first);
    EXPECT_EQ(VARIANT_TRUE, heard.commands[0].second);

    // A link to a new window: the window hears both requests and cancels.
    LPOLESTR name = const_cast<LPOLESTR>(L"FireNewWindow");
    DISPID newWindowId = 0;
    ASSERT_EQ(S_OK, object->GetIDsOfNames(IID_NULL, &name, 1, 0, &newWindowId));
    VARIANT url;
    url.vt = VT_BSTR;
    url.bstrVal = ::SysAllocString(L"http://127.0.0.1/new.html");
    DISPPARAMS urlParams = {&url, nullptr, 1, 0};
    ASSERT_EQ(S_OK, object->Invoke(newWindowId, IID_NULL, 0, DISPATCH_METHOD, &urlParams, nullptr, nullptr, nullptr));
    ::VariantClear(&url);
    EXPECT_EQ(1, heard.newWindow3);
    EXPECT_EQ(L"http://127.0.0.1/new.html", heard.lastUrl);
    EXPECT_EQ(1, heard.newWindow2);
    EXPECT_NE(std::wstring::npos, m_library.CallLog().find(L"newwindow=http://127.0.0.1/new.html cancel=-1"));

    EXPECT_EQ(S_OK, sink->Disconnect(object));
    EXPECT_EQ(0u, sink->GetCookie());
    ASSERT_EQ(S_OK, fire(DISPID_PROGRESSCHANGE, 5, 100));
    EXPECT_EQ(1u, heard.progress_.size()) << "heard after disconnecting";
    EXPECT_EQ(CONNECT_E_NOCONNECTION, sink->Disconnect(object)) << "the object's answer for a dead cookie";
    EXPECT_EQ(0u, sink->Release());
    object->Release();
}

TEST_F(ActiveXEventSinkObjectTest, ConnectingToAnObjectWithoutEventsFails) {
    VQActiveX control;
    VQActiveXEventSink* sink = new VQActiveXEventSink(nullptr);
    EXPECT_EQ(E_POINTER, sink->Connect(nullptr));
    // The sink itself has no connection points.
    EXPECT_EQ(E_NOINTERFACE, sink->Connect(static_cast<IDispatch*>(sink)));
    EXPECT_EQ(0u, sink->Release());
}

}  // namespace
}  // namespace Tessar
