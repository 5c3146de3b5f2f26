#include "VQCore/app/mainwindow/TrayIcon.h"

#include <shellapi.h>

#include "VQCore/app/mainwindow/MarloxWnd.h"

namespace Tessar {

namespace {

const UINT kTrayIconUid = 1;
const UINT kMainIconId = 128;

struct TrayState {
    HWND window = nullptr;
    bool added = false;
};

TrayState& State() {
    static TrayState state;
    return state;
}

NOTIFYICONDATAW BaseData() {
    NOTIFYICONDATAW data = {};
    data.cbSize = sizeof(data);
    data.hWnd = State().window;
    data.uID = kTrayIconUid;
    return data;
}

// Every text of the icon (tip, balloon, balloon title) keeps at most this
// many characters, whatever room the structure has.
const size_t kTrayTextChars = 64;

void CopyText(wchar_t* target, size_t capacity, const std::wstring& text) {
    size_t count = TrayTextCut(text).size();
    if (count > capacity - 1) count = capacity - 1;
    text.copy(target, count);
    target[count] = L'\0';
}

}  // namespace

std::wstring TrayTextCut(const std::wstring& text) {
    return text.size() > kTrayTextChars ? text.substr(0, kTrayTextChars) : text;
}

bool AddTrayIcon(HWND window, const std::wstring& tip) {
    TrayState& state = State();
    state.window = window;
    NOTIFYICONDATAW data = BaseData();
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kMsgTrayIcon;
    data.hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kMainIconId));
    CopyText(data.szTip, ARRAYSIZE(data.szTip), tip);
    state.added = Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
    return state.added;
}

NOTIFYICONDATAW TrayBalloonData(const std::wstring& text, const std::wstring& title) {
    NOTIFYICONDATAW data = BaseData();
    data.uFlags = NIF_INFO;
    data.dwInfoFlags = NIIF_INFO;
    data.uTimeout = kTrayBalloonTimeoutMs;
    CopyText(data.szInfo, ARRAYSIZE(data.szInfo), text);
    CopyText(data.szInfoTitle, ARRAYSIZE(data.szInfoTitle), title);
    return data;
}

bool ShowTrayBalloon(const std::wstring& text, const std::wstring& title) {
    if (!State().added) return false;
    NOTIFYICONDATAW data = TrayBalloonData(text, title);
    return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

bool SetTrayIconImage(UINT iconId) {
    if (!State().added) return false;
    NOTIFYICONDATAW data = BaseData();
    data.uFlags = NIF_ICON;
    data.hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(iconId));
    return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

void RemoveTrayIcon() {
    TrayState& state = State();
    if (state.window == nullptr) return;
    NOTIFYICONDATAW data = BaseData();
    Shell_NotifyIconW(NIM_DELETE, &data);
    state.added = false;
    state.window = nullptr;
}

bool HasTrayIcon() { return State().window != nullptr; }

}  // namespace Tessar
