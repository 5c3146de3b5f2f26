#include "VQCore/app/windows/WebWnd.h"

#include <exdisp.h>

#include "VQCore/app/windows/LoadingPicture.h"
#include "VQCore/app/start/ResourceString.h"
#include "common/ServerAddresses.h"
#include "ui/ActiveX.h"
#include "ui/Control.h"
#include "ui/PaintManager.h"

namespace Tessar {

namespace {

enum : int { kMinimiseId = 100, kCloseId = 101 };
enum : UINT { kTextTitle = 1001 };
const DWORD kWebWindowExStyle = WS_EX_APPWINDOW | WS_EX_DLGMODALFRAME;

// The loading picture in the middle of the page area.
const wchar_t kLoadingPicture[] = L"res='267' restype='PNG' dest='213,154,245,186'";

}  // namespace

std::wstring FeedbackPageAddress() {
    std::wstring home = GetServerAddress(kHomePage);
    if (!home.empty() && home.back() != L'/') home += L'/';
    return home + L"feedback/";
}

VQWebWnd::VQWebWnd(const std::wstring& address) : m_address(address) {
    m_sink = new VQActiveXEventSink(this);
    CreateDialogWindow(nullptr, LoadResourceString(kTextTitle), kAppWindowStyle, kWebWindowExStyle);
}

VQWebWnd::~VQWebWnd() {
    if (m_sink) {
        m_sink->SetCallback(nullptr);  // late browser events go nowhere
        m_sink->Release();
        m_sink = nullptr;
    }
}

void VQWebWnd::OnFinalMessage(HWND) { delete this; }

void VQWebWnd::OnLayoutReady() {
    SetIcon();
    ConnectSink();
}

IWebBrowser2* VQWebWnd::QueryBrowser() {
    VQControl* control = Find(kBrowserId);
    auto* host = control ? static_cast<VQActiveX*>(control->GetInterface(ControlTypeActiveX)) : nullptr;
    IWebBrowser2* browser = nullptr;
    if (!host || FAILED(host->GetControl(IID_IWebBrowser2, reinterpret_cast<void**>(&browser)))) return nullptr;
    return browser;
}

void VQWebWnd::ConnectSink() {
    if (!m_sink || m_sinkConnected) return;
    if (IWebBrowser2* browser = QueryBrowser()) {
        m_sinkConnected = SUCCEEDED(m_sink->Connect(browser));
        browser->Release();
    }
}

LRESULT VQWebWnd::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled) {
    if (m_sink && m_sinkConnected) {
        if (IWebBrowser2* browser = QueryBrowser()) {
            m_sink->Disconnect(browser);
            browser->Release();
        }
        m_sinkConnected = false;
    }
    handled = FALSE;
    return 0;
}

LRESULT VQWebWnd::OnNcCalcSize(UINT, WPARAM, LPARAM, BOOL& handled) {
    handled = TRUE;
    return 0;
}

LRESULT VQWebWnd::OnNcPaint(UINT, WPARAM, LPARAM, BOOL& handled) {
    handled = TRUE;
    return 0;
}

LRESULT VQWebWnd::OnSysCommand(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
    if ((wParam & 0xFFF0) != SC_CLOSE) {
        handled = FALSE;
        return 0;
    }
    ::ShowWindow(m_hwnd, SW_HIDE);
    handled = TRUE;
    return 0;
}

bool VQWebWnd::IsLoading() const {
    VQControl* loading = Find(kLoadingId);
    return loading && loading->IsVisible();
}

bool VQWebWnd::Navigate(const std::wstring& address) {
    m_address = address;
    ConnectSink();
    IWebBrowser2* browser = QueryBrowser();
    // Without a browser (the host could not make one) nothing is shown.
    if (!browser) return false;
    SetControlVisible(kBrowserId, false);
    ShowLoadingPicture(m_paintManager, Find(kLoadingId), kLoadingPicture);
    ::InvalidateRect(m_hwnd, nullptr, FALSE);
    BSTR text = ::SysAllocStringLen(m_address.data(), static_cast<UINT>(m_address.size()));
    VARIANT empty[4];
    for (VARIANT& value : empty) ::VariantInit(&value);
    const HRESULT hr = browser->Navigate(text, &empty[0], &empty[1], &empty[2], &empty[3]);
    ::SysFreeString(text);
    browser->Release();
    return SUCCEEDED(hr);
}

void VQWebWnd::ShowPage() {
    HideLoadingPicture(m_paintManager, Find(kLoadingId));
    SetControlVisible(kBrowserId, true);
    if (m_paintManager.IsLayered())
        m_paintManager.PaintLayered(255);
    else
        ::InvalidateRect(m_hwnd, nullptr, FALSE);
}

void VQWebWnd::OnProgressChange(LONG progress, LONG) {
    if (progress == -1) ShowPage();
}

void VQWebWnd::OnScriptClose() { ::ShowWindow(m_hwnd, SW_HIDE); }

void VQWebWnd::Notify(VQNotifyMsg& msg) {
    const int id = msg.sender ? msg.sender->GetId() : 0;
    switch (msg.type) {
    case NotifyWindowInit: Navigate(m_address); break;
    case NotifyClick:
        if (id == kMinimiseId) ::SendMessageW(m_hwnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        if (id == kCloseId) ::ShowWindow(m_hwnd, SW_HIDE);
        break;
    default: break;
    }
}

}  // namespace Tessar
