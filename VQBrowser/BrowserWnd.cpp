// The browser window: creation, notifications, commands, messages and the
// browser's events.
#include "VQBrowser/BrowserWnd.h"

#include <cwchar>

#include "VQFlash/DispatchCall.h"
#include "VQFlash/GameHelpWnd.h"
#include "VQFlash/GameLayouts.h"
#include "VQFlash/MuteHook.h"
#include "VQFlash/SpeedClock.h"
#include "common/ComPtr.h"
#include "common/WebAddress.h"
#include "ui/ActiveX.h"
#include "ui/DialogBuilder.h"
#include "ui/SkinManager.h"

namespace Tessar {

namespace {

// The frame, and the caption height and corner of normal view.
const VQGameFrame kBrowserFrame = {BrowserIdFrame, 32, 7};

// The browser window of this process, for the page window's subclass.
HWND g_mainWindow = nullptr;
WNDPROC g_oldIeServerProc = nullptr;
HWND g_ieServer = nullptr;

bool IsBlankAddress(const std::wstring& url) {
    return url.empty() || _wcsicmp(url.c_str(), L"about:blank") == 0;
}

HWND FindIeServer(HWND parent) {
    for (HWND child = ::GetWindow(parent, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
        wchar_t name[64] = {};
        ::GetClassNameW(child, name, 64);
        if (_wcsicmp(name, L"Internet Explorer_Server") == 0) return child;
        if (HWND found = FindIeServer(child)) return found;
    }
    return nullptr;
}

}  // namespace

bool SubclassIeServer(HWND parent) {
    HWND server = FindIeServer(parent);
    if (server == nullptr) return false;
    WNDPROC old = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(server, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&IeServerWndProc)));
    if (g_oldIeServerProc == nullptr) g_oldIeServerProc = old;
    g_ieServer = server;
    return true;
}

LRESULT CALLBACK IeServerWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ERASEBKGND) return 0;
    if (message == WM_KEYDOWN && wParam == VK_ESCAPE && g_mainWindow != nullptr)
        ::PostMessageW(g_mainWindow, WM_KEYDOWN, wParam, lParam);
    if (g_oldIeServerProc == nullptr) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    return ::CallWindowProcW(g_oldIeServerProc, hwnd, message, wParam, lParam);
}

VQBrowserWnd::VQBrowserWnd(const std::wstring& name, const std::wstring& url, const std::wstring& homepage)
    : VQGameWnd(kBrowserFrame), m_gameName(name), m_gameUrl(url), m_homepage(homepage) {}

VQBrowserWnd::~VQBrowserWnd() {
    if (m_eventSink != nullptr) {
        m_eventSink->SetCallback(nullptr);
        m_eventSink->Release();
    }
    if (m_olderEventSink != nullptr) {
        m_olderEventSink->SetCallback(nullptr);
        m_olderEventSink->Release();
    }
    if (m_connectedBrowser != nullptr) m_connectedBrowser->Release();
}

void VQBrowserWnd::OnFinalMessage(HWND hwnd) {
    delete this;
}

VQActiveX* VQBrowserWnd::FindBrowserControl() const {
    VQControl* control = m_paintManager.FindControlById(BrowserIdBrowser);
    if (control == nullptr) return nullptr;
    return static_cast<VQActiveX*>(control->GetInterface(ControlTypeActiveX));
}

IDispatch* VQBrowserWnd::GetBrowser() const {
    VQActiveX* control = FindBrowserControl();
    IDispatch* browser = nullptr;
    if (control == nullptr || FAILED(control->GetControl(IID_IDispatch, reinterpret_cast<void**>(&browser))))
        return nullptr;
    return browser;
}

LRESULT VQBrowserWnd::OnCreate(UINT, WPARAM, LPARAM, BOOL& handled) {
    // Only "MoveLayout" is this window's own tag, and it posts no moves.
    VQDialogBuilderCallbackEx callback(false, false);
    CreateFromLayout(L"#" + std::to_wstring(kBrowserLayoutResource), L"BrowserWnd", MarkupFromResource, L"XML",
                     &callback);
    ConnectBrowser();
    ChangeSkin(kBrowserStyleResource, L"BrowserWnd", std::wstring(), ProgramSkinFolder(), SelectedSkinLayout());
    const int screenW = ::GetSystemMetrics(SM_CXSCREEN);
    const int screenH = ::GetSystemMetrics(SM_CYSCREEN);
    ::SetWindowPos(m_hwnd, nullptr, screenW / 2 - screenW * 3 / 8, screenH / 2 - screenH * 5 / 12, screenW * 3 / 4,
                   screenH * 5 / 6, SWP_NOZORDER | SWP_NOACTIVATE);
    m_fullScreenSize = {screenW + 6, screenH + 55};
    g_mainWindow = m_hwnd;
    if (!m_hotKeyRegistered) {
        m_bossKeyAtom = ::GlobalAddAtomW(kBossKeyAtomName);
        if (m_bossKeyAtom != 0 && ::RegisterHotKey(m_hwnd, m_bossKeyAtom - 0xC000, MOD_CONTROL, 'G'))
            m_hotKeyRegistered = true;
    }
    return 0;
}

void VQBrowserWnd::ConnectBrowser() {
    VQActiveX* control = FindBrowserControl();
    if (control == nullptr) return;
    if (!control->IsCreated()) control->CreateControl();
    IDispatch* browser = GetBrowser();
    if (browser == nullptr) return;
    if (m_eventSink == nullptr) m_eventSink = new VQActiveXEventSink(this);
    if (m_olderEventSink == nullptr) m_olderEventSink = new VQActiveXEventSink(this, VQBrowserEvents::Older);
    if (m_connectedBrowser == nullptr) {
        // Either interface may be missing; what connects is kept.
        const bool connected = SUCCEEDED(m_eventSink->Connect(browser));
        const bool olderConnected = SUCCEEDED(m_olderEventSink->Connect(browser));
        if (connected || olderConnected) {
            m_connectedBrowser = browser;
            m_connectedBrowser->AddRef();
        }
    }
    browser->Release();
    Navigate(m_gameUrl);
}

bool VQBrowserWnd::Navigate(const std::wstring& url) {
    IDispatch* browser = GetBrowser();
    if (browser == nullptr) return false;
    VARIANT address;
    ::VariantInit(&address);
    address.vt = VT_BSTR;
    address.bstrVal = ::SysAllocStringLen(url.data(), static_cast<UINT>(url.size()));
    const bool ok = CallDispatchMethod(browser, L"Navigate", {address});
    ::VariantClear(&address);
    browser->Release();
    return ok;
}

LRESULT VQBrowserWnd::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled) {
    if (m_eventSink != nullptr) {
        if (m_connectedBrowser != nullptr) m_eventSink->Disconnect(m_connectedBrowser);
        m_eventSink->SetCallback(nullptr);
    }
    if (m_olderEventSink != nullptr) {
        if (m_connectedBrowser != nullptr) m_olderEventSink->Disconnect(m_connectedBrowser);
        m_olderEventSink->SetCallback(nullptr);
    }
    if (m_connectedBrowser != nullptr) {
        m_connectedBrowser->Release();
        m_connectedBrowser = nullptr;
    }
    // A global atom outlives the process; the hot key must not outlive the window.
    if (m_hotKeyRegistered) {
        ::UnregisterHotKey(m_hwnd, m_bossKeyAtom - 0xC000);
        m_hotKeyRegistered = false;
    }
    if (m_bossKeyAtom != 0) {
        ::GlobalDeleteAtom(m_bossKeyAtom);
        m_bossKeyAtom = 0;
    }
    if (g_ieServer != nullptr && ::IsWindow(g_ieServer) && g_oldIeServerProc != nullptr)
        ::SetWindowLongPtrW(g_ieServer, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_oldIeServerProc));
    g_ieServer = nullptr;
    g_oldIeServerProc = nullptr;
    RemoveMuteHook();
    RemoveClockHook();
    if (g_mainWindow == m_hwnd) g_mainWindow = nullptr;
    ::PostQuitMessage(0);
    handled = FALSE;
    return 0;
}

void VQBrowserWnd::InitTitle() {
    if (VQControl* title = m_paintManager.FindControlById(BrowserIdTitle))
        title->SetText(VQSkinManager::Instance().LoadModuleString(kBrowserNamePrefixString) + m_gameName);
    if (m_homepage.empty())
        if (VQControl* button = m_paintManager.FindControlById(BrowserIdHomepage)) button->SetEnabled(false);
}

void VQBrowserWnd::Notify(VQNotifyMsg& msg) {
    const int id = msg.sender != nullptr ? msg.sender->GetId() : 0;
    switch (msg.type) {
    case NotifyWindowInit: InitTitle(); break;
    case NotifyClick: OnCommand(id); break;
    case NotifyLButtonDown:
        if (id == BrowserIdBackground && m_lightsOff) ToggleLights();
        break;
    default: break;
    }
}

void VQBrowserWnd::OnCommand(int id) {
    switch (id) {
    case BrowserIdClose: ::PostMessageW(m_hwnd, WM_CLOSE, 0, 0); break;
    case BrowserIdMinimize: ::SendMessageW(m_hwnd, WM_SYSCOMMAND, SC_MINIMIZE, 0); break;
    case BrowserIdHomepage: OpenHomepage(); break;
    case BrowserIdLeaveFullScreen:
    case BrowserIdFullScreen: ToggleFullScreen(); break;
    case BrowserIdLightsOff:
    case BrowserIdLightsOn: ToggleLights(); break;
    case BrowserIdSnapshot: SaveSnapshot(); break;
    case BrowserIdSoundOn:
    case BrowserIdMute: ToggleMute(); break;
    case BrowserIdBack: GoBack(); break;
    case BrowserIdRefresh: Refresh(); break;
    case BrowserIdMaximize: ::SendMessageW(m_hwnd, WM_SYSCOMMAND, SC_MAXIMIZE, 0); break;
    case BrowserIdRestore: ::SendMessageW(m_hwnd, WM_SYSCOMMAND, SC_RESTORE, 0); break;
    case BrowserIdBossKey:
        if (!m_hiddenByBossKey) ToggleBossKey();
        break;
    case BrowserIdSpeed2: SetSpeed(2); break;
    case BrowserIdSpeed3: SetSpeed(3); break;
    case BrowserIdSpeed1: SetSpeed(1); break;
    default: break;
    }
}

void VQBrowserWnd::OpenHomepage() {
    // The home page comes from the catalogue: a web address or nothing.
    OpenWebAddress(m_homepage, m_hwnd);
}

void VQBrowserWnd::GoBack() {
    if (IDispatch* browser = GetBrowser()) {
        CallDispatchMethod(browser, L"GoBack");
        browser->Release();
    }
}

void VQBrowserWnd::Refresh() {
    if (IDispatch* browser = GetBrowser()) {
        CallDispatchMethod(browser, L"Refresh");
        browser->Release();
    }
}

void VQBrowserWnd::OnNewWindow3(IDispatch** newWindow, VARIANT_BOOL* cancel, DWORD flags, BSTR context, BSTR url) {
    const std::wstring address = url != nullptr ? std::wstring(url, ::SysStringLen(url)) : std::wstring();
    if (!IsBlankAddress(address)) Navigate(address);
    if (cancel != nullptr) *cancel = VARIANT_TRUE;
}

void VQBrowserWnd::OnNewWindow2(IDispatch** newWindow, VARIANT_BOOL* cancel) {
    if (newWindow != nullptr && *newWindow != nullptr) {
        VARIANT document;
        if (GetDispatchProperty(*newWindow, L"Document", &document) && document.vt == VT_DISPATCH &&
            document.pdispVal != nullptr) {
            VARIANT location;
            if (GetDispatchProperty(document.pdispVal, L"URL", &location) && location.vt == VT_BSTR &&
                location.bstrVal != nullptr) {
                const std::wstring address(location.bstrVal, ::SysStringLen(location.bstrVal));
                if (!IsBlankAddress(address)) Navigate(address);
            }
            ::VariantClear(&location);
        }
        ::VariantClear(&document);
    }
    if (cancel != nullptr) *cancel = VARIANT_TRUE;
}

void VQBrowserWnd::OnOlderNewWindow(const std::wstring& url) {
    if (!IsBlankAddress(url)) Navigate(url);
}

void VQBrowserWnd::OnCommandStateChange(LONG command, VARIANT_BOOL enable) {
    if (command != CSC_NAVIGATEBACK) return;
    if (VQControl* back = m_paintManager.FindControlById(BrowserIdBack)) back->SetEnabled(enable != VARIANT_FALSE);
}

LRESULT VQBrowserWnd::OnSize(UINT, WPARAM, LPARAM, BOOL& handled) {
    if (!m_ieServerSubclassed) m_ieServerSubclassed = SubclassIeServer(m_hwnd);
    ShowMaximizeButtons();
    handled = FALSE;
    return 0;
}

LRESULT VQBrowserWnd::OnKeyDown(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
    if (wParam == VK_ESCAPE) LeaveScreenModes();
    handled = FALSE;
    return 0;
}

LRESULT VQBrowserWnd::OnSysCommand(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
    const WPARAM command = wParam & 0xFFF0;
    if (m_fullScreen && command == SC_MOVE) return 0;
    if (command == SC_MAXIMIZE) LeaveScreenModes();
    handled = FALSE;
    return 0;
}

LRESULT VQBrowserWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_HOTKEY:
        if (LOWORD(lParam) == MOD_CONTROL && HIWORD(lParam) == 'G') ToggleBossKey();
        return 0;
    case WM_USER + 1:
        ChangeSkin(kBrowserStyleResource, L"BrowserWnd", std::wstring(), ProgramSkinFolder(), SelectedSkinLayout());
        return 0;
    default:
        return VQGameWnd::HandleMessage(message, wParam, lParam);
    }
}

}  // namespace Tessar
