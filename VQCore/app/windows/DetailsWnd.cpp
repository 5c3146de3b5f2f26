#include "VQCore/app/windows/DetailsWnd.h"

#include <exdisp.h>

#include <cstdlib>
#include <ctime>

#include "VQCore/app/windows/LoadingPicture.h"
#include "VQCore/app/start/ResourceString.h"
#include "common/ServerAddresses.h"
#include "common/FormatText.h"
#include "ui/ActiveX.h"
#include "ui/Control.h"
#include "ui/TabCtrl.h"

namespace Tessar {

namespace {

enum : int { kMinimiseId = 101, kCloseId = 102, kBrowserId = 103, kTabsId = 104, kLoadingId = 106 };
enum : UINT { kTextTitle = 1161 };
const wchar_t* const kSectionWords[4] = {L"introduction", L"pic", L"raider", L"comment"};
// The loading picture in the middle of the page area.
const wchar_t kLoadingPicture[] = L"res='267' restype='PNG' dest='380,225,412,258'";

VQTabCtrl* TabsOf(VQDialogWindow& window) {
    VQControl* control = window.Find(kTabsId);
    return control ? static_cast<VQTabCtrl*>(control->GetInterface(ControlTypeTab)) : nullptr;
}

}  // namespace

std::wstring DetailsAddress(const std::wstring& base, int tab, uint32_t gameId, int random) {
    if (tab < 0 || tab > 3) return std::wstring();
    return FormatString(L"%s/%s/%05u.html?%d", base.c_str(), kSectionWords[tab], gameId, random);
}

VQDetailsWnd::VQDetailsWnd() {
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    CreateDialogWindow(nullptr, LoadResourceString(kTextTitle), kAppWindowStyle, WS_EX_APPWINDOW | WS_EX_DLGMODALFRAME);
    m_sink = new VQActiveXEventSink(this);
}

VQDetailsWnd::~VQDetailsWnd() {
    if (m_sink) {
        m_sink->SetCallback(nullptr);  // late browser events go nowhere
        m_sink->Release();
        m_sink = nullptr;
    }
}

LRESULT VQDetailsWnd::OnDestroy(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) {
    VQControl* control = Find(kBrowserId);
    auto* host = control ? static_cast<VQActiveX*>(control->GetInterface(ControlTypeActiveX)) : nullptr;
    if (m_sink && m_sinkConnected && host) {
        IUnknown* browser = nullptr;
        if (SUCCEEDED(host->GetControl(IID_IUnknown, reinterpret_cast<void**>(&browser))) && browser) {
            m_sink->Disconnect(browser);
            browser->Release();
        }
        m_sinkConnected = false;
    }
    handled = FALSE;
    return 0;
}

bool VQDetailsWnd::IsLoading() const {
    VQControl* loading = Find(kLoadingId);
    return loading && loading->IsVisible();
}

bool VQDetailsWnd::IsSectionShown(int index) const {
    return index >= 0 && index < 4 && (m_sections[index] & 1) != 0;
}

void VQDetailsWnd::ShowGame(uint32_t gameId, const std::string& status) {
    m_gameId = gameId;
    for (int i = 0; i < 4; ++i) m_sections[i] = i < static_cast<int>(status.size()) ? status[i] : '0';
    if (VQTabCtrl* tabs = TabsOf(*this)) {
        for (int i = 0; i < 4; ++i)
            if (VQControl* item = tabs->GetItemAt(i)) item->SetVisible(IsSectionShown(i));
        tabs->SelectItem(0);
    }
    ShowTab(0);
}

bool VQDetailsWnd::ShowTab(int index) {
    if (!IsSectionShown(index)) return false;
    m_lastAddress = DetailsAddress(GetServerAddress(kDetailsServer), index, m_gameId, std::rand());
    VQControl* control = Find(kBrowserId);
    auto* host = control ? static_cast<VQActiveX*>(control->GetInterface(ControlTypeActiveX)) : nullptr;
    if (!host) return false;
    IWebBrowser2* browser = nullptr;
    // A host without the web browser shows nothing for the tab.
    if (FAILED(host->GetControl(IID_IWebBrowser2, reinterpret_cast<void**>(&browser))) || !browser) return false;
    if (m_sink && !m_sinkConnected) m_sinkConnected = SUCCEEDED(m_sink->Connect(browser));
    control->SetVisible(false);
    ShowLoadingPicture(m_paintManager, Find(kLoadingId), kLoadingPicture);
    BSTR address = ::SysAllocStringLen(m_lastAddress.data(), static_cast<UINT>(m_lastAddress.size()));
    const HRESULT hr = browser->Navigate(address, nullptr, nullptr, nullptr, nullptr);
    ::SysFreeString(address);
    browser->Release();
    return SUCCEEDED(hr);
}

void VQDetailsWnd::OnProgressChange(LONG progress, LONG) {
    if (progress != -1) return;
    HideLoadingPicture(m_paintManager, Find(kLoadingId));
    SetControlVisible(kBrowserId, true);
    ::InvalidateRect(m_hwnd, nullptr, FALSE);
}

LRESULT VQDetailsWnd::OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) {
    if ((wParam & 0xFFF0) != SC_CLOSE) {
        handled = FALSE;
        return 0;
    }
    ::ShowWindow(m_hwnd, SW_HIDE);
    return 0;
}

void VQDetailsWnd::Notify(VQNotifyMsg& msg) {
    const int id = msg.sender ? msg.sender->GetId() : 0;
    switch (msg.type) {
    case NotifyWindowInit:
        if (VQTabCtrl* tabs = TabsOf(*this)) tabs->SelectItem(0);
        break;
    case NotifyClick:
        if (id == kMinimiseId) ::SendMessageW(m_hwnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        if (id == kCloseId) ::ShowWindow(m_hwnd, SW_HIDE);
        break;
    case NotifySelectionChanged:
        if (id == kTabsId) {
            VQTabCtrl* tabs = TabsOf(*this);
            const VQControl* selected = tabs ? static_cast<const VQControl*>(tabs->GetSelectedItem()) : nullptr;
            for (int i = 0; tabs && i < tabs->GetCount(); ++i)
                if (tabs->GetItemAt(i) == selected) ShowTab(i);
        }
        break;
    default: break;
    }
}

}  // namespace Tessar
