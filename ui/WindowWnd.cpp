#include "ui/WindowWnd.h"

#include <shlobj.h>

namespace Tessar {

namespace {

const wchar_t kObjectProperty[] = L"VQWndObject";

HINSTANCE ModuleInstance() {
    return ::GetModuleHandleW(nullptr);
}

// Registration that finds the class already there counts as success.
bool Registered(ATOM atom) {
    return atom != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

VQWindowWnd::VQWindowWnd() : m_previousProc(&::DefWindowProcW) {}

VQWindowWnd::~VQWindowWnd() {
    // An object freed while its window lives on must not be reached by the
    // window's later messages (its destruction by its parent, say): the
    // window forgets it and a subclassed window gets its own procedure back.
    if (!m_hwnd || !::IsWindow(m_hwnd)) return;
    if (m_subclassed) Unsubclass();
    if (::GetPropW(m_hwnd, kObjectProperty) == reinterpret_cast<HANDLE>(this)) ::RemovePropW(m_hwnd, kObjectProperty);
    if (::GetWindowLongPtrW(m_hwnd, GWLP_USERDATA) == reinterpret_cast<LONG_PTR>(this))
        ::SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, 0);
}

HWND VQWindowWnd::Create(HWND parent, const wchar_t* name, DWORD style, DWORD exStyle, int x, int y, int cx,
                         int cy) {
    const bool registered = GetSuperClassName() ? RegisterSuperClass() : RegisterWindowClass();
    if (!registered) return nullptr;
    HWND hwnd = ::CreateWindowExW(exStyle, GetWindowClassName(), name, style, x, y, cx, cy, parent, nullptr,
                                  ModuleInstance(), this);
    // WM_NCCREATE stored the handle already; a creation that failed later
    // (WM_CREATE returning -1) has cleared it again through WM_NCDESTROY.
    if (hwnd) m_hwnd = hwnd;
    return hwnd;
}

bool VQWindowWnd::RegisterWindowClass() {
    WNDCLASSW wc = {};
    wc.style = GetClassStyle();
    wc.lpfnWndProc = &VQWindowWnd::WindowProc;
    wc.hInstance = ModuleInstance();
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = GetWindowClassName();
    return Registered(::RegisterClassW(&wc));
}

bool VQWindowWnd::RegisterSuperClass() {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    if (!::GetClassInfoExW(nullptr, GetSuperClassName(), &wc) &&
        !::GetClassInfoExW(ModuleInstance(), GetSuperClassName(), &wc))
        return false;
    m_previousProc = wc.lpfnWndProc;
    wc.lpfnWndProc = &VQWindowWnd::ControlProc;
    wc.hInstance = ModuleInstance();
    wc.lpszClassName = GetWindowClassName();
    return Registered(::RegisterClassExW(&wc));
}

HWND VQWindowWnd::Subclass(HWND hwnd) {
    if (!::IsWindow(hwnd) || m_hwnd) return nullptr;
    if (!::SetPropW(hwnd, kObjectProperty, reinterpret_cast<HANDLE>(this))) return nullptr;
    LONG_PTR previous =
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&VQWindowWnd::ControlProc));
    if (!previous) {
        ::RemovePropW(hwnd, kObjectProperty);
        return nullptr;
    }
    m_previousProc = reinterpret_cast<WNDPROC>(previous);
    m_subclassed = true;
    m_hwnd = hwnd;
    return hwnd;
}

void VQWindowWnd::Unsubclass() {
    if (!::IsWindow(m_hwnd) || !m_subclassed) return;
    ::SetWindowLongPtrW(m_hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_previousProc));
    m_previousProc = &::DefWindowProcW;
    m_subclassed = false;
}

void VQWindowWnd::ShowWindow(bool show, bool takeFocus) {
    if (!::IsWindow(m_hwnd)) return;
    ::ShowWindow(m_hwnd, show ? (takeFocus ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE) : SW_HIDE);
}

void VQWindowWnd::Close() {
    if (::IsWindow(m_hwnd)) ::PostMessageW(m_hwnd, WM_CLOSE, 0, 0);
}

LRESULT VQWindowWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::CallWindowProcW(m_previousProc, m_hwnd, message, wParam, lParam);
}

void VQWindowWnd::CenterWindow(HWND alternateOwner) {
    if (!::IsWindow(m_hwnd)) return;
    RECT window;
    ::GetWindowRect(m_hwnd, &window);
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    HWND owner = ::GetWindow(m_hwnd, GW_OWNER);
    if (alternateOwner) owner = alternateOwner;
    RECT work;
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT reference = work;
    if (owner && !::IsIconic(owner)) ::GetWindowRect(owner, &reference);
    int x = (reference.left + reference.right) / 2 - width / 2;
    int y = (reference.top + reference.bottom) / 2 - height / 2;
    if (x + width > work.right) x = work.right - width;
    if (x < work.left) x = work.left;
    if (y + height > work.bottom) y = work.bottom - height;
    if (y < work.top) y = work.top;
    ::SetWindowPos(m_hwnd, nullptr, x, y, -1, -1, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void VQWindowWnd::SetIcon() {
    if (!::IsWindow(m_hwnd)) return;
    HINSTANCE module = ModuleInstance();
    HANDLE big = ::LoadImageW(module, MAKEINTRESOURCEW(128), IMAGE_ICON, ::GetSystemMetrics(SM_CXICON),
                              ::GetSystemMetrics(SM_CYICON), LR_DEFAULTCOLOR);
    ::SendMessageW(m_hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    HANDLE small = ::LoadImageW(module, MAKEINTRESOURCEW(128), IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR);
    ::SendMessageW(m_hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
}

bool VQWindowWnd::BrowseForFolder(const std::wstring& title, std::wstring& path) {
    wchar_t displayName[MAX_PATH] = {};
    BROWSEINFOW info = {};
    info.hwndOwner = m_hwnd;
    info.pszDisplayName = displayName;
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    LPITEMIDLIST list = nullptr;
    {
        VQModalScope modal(m_hwnd);
        list = ::SHBrowseForFolderW(&info);
    }
    if (!list) return false;
    wchar_t folder[MAX_PATH] = {};
    const bool ok = ::SHGetPathFromIDListW(list, folder) != FALSE;
    ::CoTaskMemFree(list);
    if (!ok) return false;
    path = folder;
    return true;
}

// Both procedures: the object arrives with WM_NCCREATE and is kept in the
// window's user data (plain classes) or in a window property (super-classes
// and subclassed controls, whose user data belongs to the control).
LRESULT VQWindowWnd::Route(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, bool inProperty) {
    VQWindowWnd* self = nullptr;
    if (message == WM_NCCREATE) {
        self = static_cast<VQWindowWnd*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        if (self) {
            self->m_hwnd = hwnd;
            if (inProperty)
                ::SetPropW(hwnd, kObjectProperty, reinterpret_cast<HANDLE>(self));
            else
                ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
    } else {
        self = inProperty ? reinterpret_cast<VQWindowWnd*>(::GetPropW(hwnd, kObjectProperty))
                          : reinterpret_cast<VQWindowWnd*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (message == WM_NCDESTROY && self) {
            LRESULT result = ::CallWindowProcW(self->m_previousProc, hwnd, message, wParam, lParam);
            if (inProperty)
                ::RemovePropW(hwnd, kObjectProperty);
            else
                ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            if (self->m_subclassed) self->Unsubclass();
            self->m_hwnd = nullptr;
            self->OnFinalMessage(hwnd);
            return result;
        }
    }
    if (self) return self->HandleMessage(message, wParam, lParam);
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK VQWindowWnd::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return Route(hwnd, message, wParam, lParam, false);
}

LRESULT CALLBACK VQWindowWnd::ControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return Route(hwnd, message, wParam, lParam, true);
}

}  // namespace Tessar
