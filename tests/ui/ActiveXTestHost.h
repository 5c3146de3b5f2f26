#pragma once
// What the ActiveX host tests share: the test control DLL's functions, the
// fixture around a test that uses it, its registration under a class id in
// the prefix's machine-wide classes, and a window holding one VQActiveX in
// a container that records notifications and hears the object's browser
// events.

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/programs/activex/TestControlApi.h"
#include "tests/support/ClassRegistration.h"
#include "tests/ui/TestWindow.h"
#include "ui/ActiveX.h"
#include "ui/ActiveXEventSink.h"
#include "ui/BuiltInMarkup.h"
#include "ui/Container.h"

namespace Tessar {
namespace Test {

// The test control DLL, loaded by its build path (the same module COM and
// the host load).
class VQTestControlLibrary {
public:
    VQTestControlLibrary();
    ~VQTestControlLibrary();
    bool IsLoaded() const { return m_configure != nullptr; }
    static std::wstring Path();

    void Configure(DWORD options) const { m_configure(options); }
    LONG LiveObjects() const { return m_liveObjects(); }
    LONG SiteReferences() const { return m_siteReferences(); }
    LONG ObjectReferences() const { return m_objectReferences(); }
    std::wstring CallLog() const;
    std::wstring Probe(const std::wstring& probe) const;

private:
    HMODULE m_module = nullptr;
    VQTestControlConfigureProc m_configure = nullptr;
    VQTestControlLiveObjectsProc m_liveObjects = nullptr;
    VQTestControlSiteReferencesProc m_siteReferences = nullptr;
    VQTestControlObjectReferencesProc m_objectReferences = nullptr;
    VQTestControlCallLogProc m_callLog = nullptr;
    VQTestControlProbeProc m_probe = nullptr;
};

// A test with OLE and the test control library, whose control options are
// set before each test; afterwards no object of the control and no site is
// left alive, and the options are back at 0.
class VQActiveXLibraryTest : public ::testing::Test {
protected:
    explicit VQActiveXLibraryTest(DWORD options = 0) : m_options(options) {}
    void SetUp() override;
    void TearDown() override;

    VQTestControlLibrary m_library;

private:
    DWORD m_options;
};

// Registers the test control as an in-process server under a class id and
// program id of its own, made fresh for each registration so that test
// programs sharing the prefix never meet, in HKEY_LOCAL_MACHINE\Software\Classes
// (where Wine's classes root reads it); removed again on destruction.
class VQTestControlRegistration {
public:
    VQTestControlRegistration();
    ~VQTestControlRegistration();
    bool IsValid() const { return m_valid; }
    CLSID Clsid() const { return m_clsid; }
    const std::wstring& ClsidText() const { return m_clsidText; }
    const std::wstring& ProgId() const { return m_progId; }

private:
    CLSID m_clsid = {};
    std::wstring m_clsidText;
    std::wstring m_progId;
    std::unique_ptr<VQClassRegistration> m_registration;
    bool m_valid = false;
};

// Browser events the window heard.
struct VQHeardEvents : public VQActiveXDispatch {
    void OnProgressChange(LONG progress, LONG maximum) override { progress_.push_back({progress, maximum}); }
    void OnCommandStateChange(LONG command, VARIANT_BOOL enable) override { commands.push_back({command, enable}); }
    void OnNewWindow(LONG first, LONG second) override { newWindows.push_back({first, second}); }
    void OnNewWindow2(IDispatch** newWindow, VARIANT_BOOL* cancel) override {
        ++newWindow2;
        if (cancel) *cancel = VARIANT_TRUE;
    }
    void OnNewWindow3(IDispatch** newWindow, VARIANT_BOOL* cancel, DWORD flags, BSTR context, BSTR url) override {
        ++newWindow3;
        lastUrl = url ? url : L"";
        if (cancel) *cancel = VARIANT_TRUE;
    }
    void OnScriptClose() override { ++scriptCloses; }
    void OnOlderNewWindow(const std::wstring& url) override { olderNewWindows.push_back(url); }

    std::vector<std::pair<LONG, LONG>> progress_;
    std::vector<std::pair<LONG, LONG>> commands;
    std::vector<std::pair<LONG, LONG>> newWindows;
    int newWindow2 = 0;
    int newWindow3 = 0;
    int scriptCloses = 0;
    std::wstring lastUrl;
    std::vector<std::wstring> olderNewWindows;
};

// A test window with a container root holding one floating VQActiveX at
// kControlRect; it records notifications and can connect an event sink.
class VQActiveXHost : public INotify {
public:
    static const RECT kControlRect;

    VQActiveXHost();
    ~VQActiveXHost() override;

    // Applies the attribute to the control (before it is laid out) as the
    // program's own layout does: "clsid" and "modulename" are taken.
    void Set(const wchar_t* name, const std::wstring& value) {
        VQBuiltInMarkupScope builtIn(m_control);
        m_control->SetAttribute(name, value);
    }
    // Attaches the tree and lets the window paint once (lays the control out).
    void Show();
    // Takes the control out of the tree and deletes it.
    void DeleteControl();
    // Connects an event sink of this window to the object.
    HRESULT ConnectEvents();
    void DisconnectEvents();

    void Notify(VQNotifyMsg& msg) override;
    int NotifyCount(int type) const;

    VQTestWindow& Window() { return m_window; }
    VQActiveX* Control() const { return m_control; }
    VQHeardEvents& Events() { return m_events; }
    // Runs inside notification 17 (object created), before activation.
    std::function<void(VQActiveX*)> onCreated;

private:
    VQTestWindow m_window;
    VQContainer* m_root = nullptr;
    VQActiveX* m_control = nullptr;
    bool m_attached = false;
    std::vector<int> m_notifications;
    VQHeardEvents m_events;
    VQActiveXEventSink* m_sink = nullptr;
};

// The colour of a pixel of a window's client area as drawn on screen.
COLORREF WindowPixel(HWND hwnd, int x, int y);

}  // namespace Test
}  // namespace Tessar
