#include "tests/ui/ActiveXTestHost.h"

#include "ui/ActiveXCtrl.h"

namespace Tessar {
namespace Test {

namespace {

template <typename T>
T Function(HMODULE module, const char* name) {
    return reinterpret_cast<T>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

}  // namespace

// ---- the DLL ----

std::wstring VQTestControlLibrary::Path() {
    return TestControlDllPath();
}

void VQActiveXLibraryTest::SetUp() {
    ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
    ASSERT_TRUE(m_library.IsLoaded()) << "test control missing: "
                                      << std::string(m_library.Path().begin(), m_library.Path().end());
    m_library.Configure(m_options);
}

void VQActiveXLibraryTest::TearDown() {
    EXPECT_EQ(0, m_library.LiveObjects()) << "objects left alive";
    EXPECT_EQ(0, VQActiveXCtrl::LiveCount()) << "sites left alive";
    m_library.Configure(0);
    ::OleUninitialize();
}

VQTestControlLibrary::VQTestControlLibrary() {
    std::wstring path = Path();
    if (path.empty()) return;
    m_module = ::LoadLibraryW(path.c_str());
    if (!m_module) return;
    m_liveObjects = Function<VQTestControlLiveObjectsProc>(m_module, "VQTestControlLiveObjects");
    m_siteReferences = Function<VQTestControlSiteReferencesProc>(m_module, "VQTestControlSiteReferences");
    m_objectReferences = Function<VQTestControlObjectReferencesProc>(m_module, "VQTestControlObjectReferences");
    m_callLog = Function<VQTestControlCallLogProc>(m_module, "VQTestControlCallLog");
    m_probe = Function<VQTestControlProbeProc>(m_module, "VQTestControlProbe");
    if (m_liveObjects && m_siteReferences && m_objectReferences && m_callLog && m_probe)
        m_configure = Function<VQTestControlConfigureProc>(m_module, "VQTestControlConfigure");
}

VQTestControlLibrary::~VQTestControlLibrary() {
    if (m_configure) m_configure(0);
    // Stays loaded: objects the host made keep running code from it until
    // the process ends, and the host never unloads it either.
}

std::wstring VQTestControlLibrary::CallLog() const {
    wchar_t buffer[4096];
    m_callLog(buffer, 4096);
    return buffer;
}

std::wstring VQTestControlLibrary::Probe(const std::wstring& probe) const {
    wchar_t buffer[1024];
    m_probe(probe.c_str(), buffer, 1024);
    return buffer;
}

// ---- registration ----

VQTestControlRegistration::VQTestControlRegistration() {
    wchar_t text[64] = L"";
    if (FAILED(::CoCreateGuid(&m_clsid)) || ::StringFromGUID2(m_clsid, text, 64) == 0) return;
    m_clsidText = text;
    m_progId = L"Tessar.VQTestControl." + std::to_wstring(::GetCurrentProcessId()) + L"." +
               std::to_wstring(m_clsid.Data1);
    m_registration.reset(new VQClassRegistration(m_clsidText, TestControlDllPath(), m_progId));
    m_valid = m_registration->IsValid();
}

VQTestControlRegistration::~VQTestControlRegistration() {}

// ---- the host window ----

const RECT VQActiveXHost::kControlRect = {20, 30, 120, 90};

VQActiveXHost::VQActiveXHost() : m_window(300, 200) {
    m_root = new VQContainer;
    m_control = new VQActiveX;
    m_control->SetAttribute(L"float", L"true");
    m_control->SetAttribute(L"pos", L"20,30,120,90");
    m_root->Add(m_control);
}

VQActiveXHost::~VQActiveXHost() {
    DisconnectEvents();
    if (m_attached) {
        // The window frees the tree when it goes; free it first, while the
        // window the object lives in still exists.
        DeleteControl();
    } else {
        delete m_root;
    }
}

void VQActiveXHost::Show() {
    m_window.Manager().AddNotifier(this);
    m_window.Manager().AttachRootControl(m_root);
    m_attached = true;
    m_window.Paint();
}

void VQActiveXHost::DeleteControl() {
    DisconnectEvents();
    if (!m_control) return;
    VQActiveX* control = m_control;
    m_control = nullptr;
    m_root->Remove(control);
}

HRESULT VQActiveXHost::ConnectEvents() {
    if (m_sink) return S_FALSE;
    VQActiveXEventSink* sink = new VQActiveXEventSink(&m_events);
    IUnknown* object = nullptr;
    HRESULT hr = m_control ? m_control->GetControl(IID_IUnknown, reinterpret_cast<void**>(&object)) : E_POINTER;
    if (SUCCEEDED(hr)) hr = sink->Connect(object);
    if (object) object->Release();
    if (FAILED(hr)) {
        sink->Release();
        return hr;
    }
    m_sink = sink;
    return hr;
}

void VQActiveXHost::DisconnectEvents() {
    if (!m_sink) return;
    IUnknown* object = nullptr;
    if (m_control && SUCCEEDED(m_control->GetControl(IID_IUnknown, reinterpret_cast<void**>(&object)))) {
        m_sink->Disconnect(object);
        object->Release();
    }
    m_sink->SetCallback(nullptr);
    m_sink->Release();
    m_sink = nullptr;
}

void VQActiveXHost::Notify(VQNotifyMsg& msg) {
    m_notifications.push_back(msg.type);
    if (msg.type == NotifyActiveXCreated && onCreated) onCreated(static_cast<VQActiveX*>(msg.sender));
}

int VQActiveXHost::NotifyCount(int type) const {
    int count = 0;
    for (int t : m_notifications)
        if (t == type) ++count;
    return count;
}

COLORREF WindowPixel(HWND hwnd, int x, int y) {
    HDC dc = ::GetDC(hwnd);
    if (!dc) return CLR_INVALID;
    COLORREF color = ::GetPixel(dc, x, y);
    ::ReleaseDC(hwnd, dc);
    return color;
}

}  // namespace Test
}  // namespace Tessar
