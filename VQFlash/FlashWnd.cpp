// The player window: creation, notifications, commands, messages and the
// subclass of the Flash control's window.
#include "VQFlash/FlashWnd.h"

#include <shellapi.h>

#include "VQFlash/GameHelpWnd.h"
#include "VQFlash/GameLayouts.h"
#include "VQFlash/MuteHook.h"
#include "VQFlash/TooltipWnd.h"
#include "common/ComPtr.h"
#include "common/PathText.h"
#include "common/ServerAddresses.h"
#include "common/WebAddress.h"
#include "ui/ActiveX.h"
#include "ui/DialogBuilder.h"
#include "ui/SkinManager.h"
#include "VQFlash/DispatchCall.h"

namespace Tessar {

namespace {

// The frame, and the caption height and corner of normal view.
const VQGameFrame kPlayerFrame = {FlashIdFrame, 31, 5};

// The player window whose Flash control is subclassed, and that control's
// own procedure (the subclass procedure has no object of its own).
VQFlashWnd* g_playerWindow = nullptr;
WNDPROC g_oldFlashProc = nullptr;

// The first file of a CF_HDROP in the data object; false when there is none.
bool FirstDroppedFile(IDataObject* data, std::wstring& path) {
    if (data == nullptr) return false;
    FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium = {};
    if (FAILED(data->GetData(&format, &medium))) return false;
    bool found = false;
    if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal != nullptr) {
        HDROP drop = static_cast<HDROP>(::GlobalLock(medium.hGlobal));
        if (drop != nullptr) {
            const UINT length = ::DragQueryFileW(drop, 0, nullptr, 0);
            if (length > 0) {
                path.resize(length + 1);
                ::DragQueryFileW(drop, 0, &path[0], length + 1);
                path.resize(length);
                found = true;
            }
            ::GlobalUnlock(medium.hGlobal);
        }
    }
    ::ReleaseStgMedium(&medium);
    return found;
}

bool HasSwfExtension(const std::wstring& path) {
    return _wcsicmp(GetFileExtension(path).c_str(), L".swf") == 0;
}

}  // namespace

VQFlashWnd::VQFlashWnd(const std::wstring& name, const std::wstring& movie, const std::wstring& help, int width,
                       int height)
    : VQGameWnd(kPlayerFrame), m_gameName(name), m_moviePath(movie), m_helpPath(help), m_width(width),
      m_height(height) {}

VQFlashWnd::~VQFlashWnd() {
    if (g_playerWindow == this) g_playerWindow = nullptr;
}

void VQFlashWnd::OnFinalMessage(HWND hwnd) {
    delete this;
}

VQActiveX* VQFlashWnd::FindPlayerControl() const {
    VQControl* control = m_paintManager.FindControlById(FlashIdPlayer);
    if (control == nullptr) return nullptr;
    return static_cast<VQActiveX*>(control->GetInterface(ControlTypeActiveX));
}

IDispatch* VQFlashWnd::GetPlayer() const {
    VQActiveX* control = FindPlayerControl();
    IDispatch* player = nullptr;
    if (control == nullptr || FAILED(control->GetControl(IID_IDispatch, reinterpret_cast<void**>(&player))))
        return nullptr;
    return player;
}

HWND VQFlashWnd::GetPlayerWindow() const {
    VQActiveX* control = FindPlayerControl();
    if (control == nullptr) return nullptr;
    VQComPtr<IOleWindow> window;
    HWND hwnd = nullptr;
    if (SUCCEEDED(control->GetControl(IID_IOleWindow, window.ReceiveVoid())) && window) window->GetWindow(&hwnd);
    return hwnd;
}

LRESULT VQFlashWnd::OnCreate(UINT, WPARAM, LPARAM, BOOL& handled) {
    VQDialogBuilderCallbackEx callback;
    CreateFromLayout(L"#" + std::to_wstring(kFlashLayoutResource), L"FlashWnd", MarkupFromResource, L"XML",
                     &callback);
    ChangeSkin(kFlashStyleResource, L"FlashWnd", std::wstring(), ProgramSkinFolder(), SelectedSkinLayout());
    const SIZE size = FlashWindowSize(m_width, m_height);
    const int x = (::GetSystemMetrics(SM_CXSCREEN) - size.cx) / 2;
    const int y = (::GetSystemMetrics(SM_CYSCREEN) - size.cy) / 2;
    ::SetWindowPos(m_hwnd, nullptr, x, y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    if (!m_dropRegistered) {
        m_dropTarget.SetWindow(m_hwnd);
        m_dropRegistered = SUCCEEDED(::RegisterDragDrop(m_hwnd, &m_dropTarget));
    }
    return 0;
}

LRESULT VQFlashWnd::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled) {
    if (m_dropRegistered) {
        ::RevokeDragDrop(m_hwnd);
        m_dropRegistered = false;
    }
    if (m_subclassedPlayer != nullptr && ::IsWindow(m_subclassedPlayer) && g_oldFlashProc != nullptr)
        ::SetWindowLongPtrW(m_subclassedPlayer, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_oldFlashProc));
    m_subclassedPlayer = nullptr;
    g_oldFlashProc = nullptr;
    RemoveMuteHook();
    if (g_playerWindow == this) g_playerWindow = nullptr;
    // The panels are owned windows: they go with this one.
    if (m_helpWnd && ::IsWindow(m_helpWnd->GetHWND())) ::DestroyWindow(m_helpWnd->GetHWND());
    if (m_tooltipWnd && ::IsWindow(m_tooltipWnd->GetHWND())) ::DestroyWindow(m_tooltipWnd->GetHWND());
    ::PostQuitMessage(0);
    handled = FALSE;
    return 0;
}

LRESULT VQFlashWnd::OnNcActivate(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
    if (::IsIconic(m_hwnd)) {
        handled = FALSE;
        return 0;
    }
    return wParam == 0 ? TRUE : FALSE;
}

LRESULT VQFlashWnd::OnSysCommand(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
    if ((wParam & 0xFFF0) == SC_MAXIMIZE) LeaveScreenModes();
    handled = FALSE;
    return 0;
}

LRESULT VQFlashWnd::OnSize(UINT, WPARAM, LPARAM, BOOL& handled) {
    ShowMaximizeButtons();
    LayoutHelp(false);
    handled = FALSE;
    return 0;
}

LRESULT VQFlashWnd::OnKeyDown(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
    if (wParam == VK_ESCAPE) LeaveScreenModes();
    handled = FALSE;
    return 0;
}

LRESULT VQFlashWnd::OnSetFocus(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) {
    ::DefWindowProcW(m_hwnd, message, wParam, lParam);
    if (HWND player = GetPlayerWindow()) ::SetFocus(player);
    return 0;
}

void VQFlashWnd::SubclassPlayer() {
    if (m_subclassedPlayer != nullptr) return;
    HWND player = GetPlayerWindow();
    if (player == nullptr) return;
    g_playerWindow = this;
    g_oldFlashProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(player, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&VQFlashWnd::FlashWndProc)));
    m_subclassedPlayer = player;
}

LRESULT CALLBACK VQFlashWnd::FlashWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    VQFlashWnd* window = g_playerWindow;
    if (message == WM_KEYDOWN && wParam == VK_ESCAPE && window != nullptr) window->LeaveScreenModes();
    if (window != nullptr && window->m_paused && message != WM_PAINT && message != WM_SIZE)
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    if (g_oldFlashProc == nullptr) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    return ::CallWindowProcW(g_oldFlashProc, hwnd, message, wParam, lParam);
}

void VQFlashWnd::Notify(VQNotifyMsg& msg) {
    VQControl* sender = msg.sender;
    const int id = sender != nullptr ? sender->GetId() : 0;
    switch (msg.type) {
    case NotifyWindowInit:
        if (!m_gameName.empty())
            if (VQControl* title = m_paintManager.FindControlById(FlashIdTitle))
                title->SetText(L"  \x2014  " + m_gameName);
        ::InvalidateRect(m_hwnd, nullptr, FALSE);
        if (m_loaded) SubclassPlayer();
        break;
    case NotifyClick:
        OnCommand(id);
        break;
    case NotifyMouseHover:
        if (sender != nullptr && sender->IsCustomToolTip()) {
            if (!m_tooltipWnd) m_tooltipWnd.reset(new VQTooltipWnd());
            if (m_tooltipWnd->CreateFor(m_hwnd)) m_tooltipWnd->ShowFor(sender);
        }
        break;
    case NotifyMouseLeave:
        if (m_tooltipWnd) m_tooltipWnd->Hide();
        break;
    case NotifyLButtonDown:
        if (id == FlashIdBackground && m_lightsOff) ToggleLights();
        break;
    case NotifyActiveXCreated:
        if (id == FlashIdPlayer) {
            g_playerWindow = this;
            LoadMovie();
        }
        break;
    default:
        break;
    }
}

void VQFlashWnd::OnCommand(int id) {
    switch (id) {
    case FlashIdClose: ::PostMessageW(m_hwnd, WM_CLOSE, 0, 0); break;
    case FlashIdMinimize: ::SendMessageW(m_hwnd, WM_SYSCOMMAND, SC_MINIMIZE, 0); break;
    case FlashIdHelp: ShowHelp(); break;
    case FlashIdLeaveFullScreen:
    case FlashIdFullScreen: ToggleFullScreen(); break;
    case FlashIdLightsOff:
    case FlashIdLightsOn: ToggleLights(); break;
    case FlashIdReplay: Replay(); break;
    case FlashIdSoundOn:
    case FlashIdMute: ToggleMute(); break;
    case FlashIdStart:
    case FlashIdPause: TogglePause(); break;
    case FlashIdMaximize: ::SendMessageW(m_hwnd, WM_SYSCOMMAND, SC_MAXIMIZE, 0); break;
    case FlashIdRestore: ::SendMessageW(m_hwnd, WM_SYSCOMMAND, SC_RESTORE, 0); break;
    case FlashIdZoomIn: Zoom(true); break;
    case FlashIdZoomOut: Zoom(false); break;
    case FlashIdLogo: {
        // The product's home page of the installation's server table (servers.ini).
        OpenWebAddress(GetServerAddress(kHomePage), m_hwnd);
        break;
    }
    default: break;
    }
}

LRESULT VQFlashWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MOVE: {
        const LRESULT result = VQGameWnd::HandleMessage(message, wParam, lParam);
        LayoutHelp(false);
        return result;
    }
    case WM_USER + 1:
        if (m_helpWnd && ::IsWindow(m_helpWnd->GetHWND())) m_helpWnd->ApplySkin();
        ChangeSkin(kFlashStyleResource, L"FlashWnd", std::wstring(), ProgramSkinFolder(), SelectedSkinLayout());
        return 0;
    case WM_VQ_FRAME_MOVED:
        LayoutHelp(true);
        return 0;
    case WM_VQ_DRAGENTER:
    case WM_VQ_DRAGOVER:
    case WM_VQ_DROP:
    case WM_VQ_DRAGLEAVE:
        return OnDrop(message, wParam, lParam);
    default:
        return VQGameWnd::HandleMessage(message, wParam, lParam);
    }
}

LRESULT VQFlashWnd::OnDrop(UINT message, WPARAM wParam, LPARAM lParam) {
    VQOleDropInfo* info = reinterpret_cast<VQOleDropInfo*>(wParam);
    auto setEffect = [info](DWORD effect) {
        if (info != nullptr && info->effect != nullptr) *info->effect = effect;
    };
    std::wstring path;
    switch (message) {
    case WM_VQ_DRAGENTER:
        if (info != nullptr && ::IsWindowEnabled(m_hwnd) && FirstDroppedFile(info->dataObject, path) &&
            HasSwfExtension(path)) {
            setEffect(DROPEFFECT_COPY);
        } else {
            setEffect(DROPEFFECT_NONE);
        }
        return S_OK;
    case WM_VQ_DRAGOVER:
        setEffect(DROPEFFECT_COPY);
        return S_OK;
    case WM_VQ_DROP:
        if (info == nullptr || !FirstDroppedFile(info->dataObject, path) || !FileExists(path)) {
            setEffect(DROPEFFECT_NONE);
            return S_OK;
        }
        if (VQControl* title = m_paintManager.FindControlById(FlashIdTitle)) title->SetText(std::wstring());
        m_gameName.clear();
        m_moviePath = path;
        ResumeIfPaused();
        if (IDispatch* player = GetPlayer()) {
            PutDispatchText(player, L"Movie", L"http://");
            player->Release();
        }
        m_loaded = false;
        LoadMovie();
        if (m_loaded) SubclassPlayer();
        setEffect(DROPEFFECT_COPY);
        return S_OK;
    default:
        return S_OK;
    }
}

}  // namespace Tessar
