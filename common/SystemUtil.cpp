#include "common/SystemUtil.h"

#include "common/KernelHandle.h"

#include <shellapi.h>

#include <vector>

namespace Tessar {

std::wstring GetOwnModulePath() {
    wchar_t buffer[MAX_PATH];
    DWORD length = ::GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    if (length == 0)
        return std::wstring();
    if (length < MAX_PATH)
        return std::wstring(buffer, length);
    // Cut to the buffer: grow until the whole path fits.
    for (DWORD size = MAX_PATH * 2; size <= 32768 * 2; size *= 2) {
        std::vector<wchar_t> large(size);
        length = ::GetModuleFileNameW(nullptr, large.data(), size);
        if (length == 0)
            return std::wstring();
        if (length < size)
            return std::wstring(large.data(), length);
    }
    return std::wstring();
}

std::wstring ExpandEnvironmentText(const std::wstring& text) {
    if (text.find(L'%') == std::wstring::npos)
        return text;
    DWORD length = ::ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
    if (length == 0)
        return text;
    std::vector<wchar_t> buffer(length);
    DWORD written = ::ExpandEnvironmentStringsW(text.c_str(), buffer.data(), length);
    if (written == 0 || written > length)
        return text;
    return buffer.data();
}

bool ShellExecuteTarget(const std::wstring& verb, const std::wstring& file, const std::wstring& parameters,
                        const std::wstring& folder, int showCommand, HANDLE* process, DWORD* error) {
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    // The library shows no messages: failures go back to the caller.
    info.fMask = SEE_MASK_FLAG_NO_UI | (process != nullptr ? SEE_MASK_NOCLOSEPROCESS : 0);
    info.hwnd = ::GetActiveWindow();
    info.lpVerb = verb.empty() ? nullptr : verb.c_str();
    info.lpFile = file.c_str();
    info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
    info.lpDirectory = folder.empty() ? nullptr : folder.c_str();
    info.nShow = showCommand;
    if (process != nullptr)
        *process = nullptr;
    if (!::ShellExecuteExW(&info)) {
        if (error != nullptr)
            *error = ::GetLastError();
        return false;
    }
    if (process != nullptr)
        *process = info.hProcess;
    return true;
}

bool OsNameFromVersion(const VQOsVersion& version, std::wstring& name) {
    bool workstation = version.productType == VER_NT_WORKSTATION;
    const wchar_t* found = nullptr;
    if (version.major == 6 && version.minor == 1)
        found = workstation ? L"Microsoft Windows 7" : L"Microsoft Windows Server 2008 R2";
    else if (version.major == 6 && version.minor == 0)
        found = workstation ? L"Microsoft Windows Vista" : L"Microsoft Windows Server 2008";
    else if (version.major == 5 && version.minor == 2) {
        if (workstation && version.architecture == PROCESSOR_ARCHITECTURE_AMD64)
            found = L"Microsoft Windows XP Professional x64 Edition";
        else
            found = version.serverR2 == 0 ? L"Microsoft Windows Server 2003" : L"Microsoft Windows Server 2003 R2";
    } else if (version.major == 5 && version.minor == 1)
        found = L"Microsoft Windows XP";
    else if (version.major == 5 && version.minor == 0)
        found = L"Microsoft Windows 2000";
    else if (version.major == 4 && version.minor == 0) {
        if (version.platformId == VER_PLATFORM_WIN32_NT)
            found = L"Microsoft Windows NT 4.0";
        else if (version.platformId == VER_PLATFORM_WIN32_WINDOWS)
            found = L"Microsoft Windows 95";
    } else if (version.major == 4 && version.minor == 10)
        found = L"Microsoft Windows 98";
    else if (version.major == 4 && version.minor == 90)
        found = L"Microsoft Windows Me";
    name = found != nullptr ? found : L"";
    return found != nullptr;
}

bool GetOsName(std::wstring& name, uint32_t* majorVersion) {
    name.clear();
    OSVERSIONINFOEXW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    if (!::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info)))
        return false;
    SYSTEM_INFO system = {};
    ::GetNativeSystemInfo(&system);
    VQOsVersion version;
    version.major = info.dwMajorVersion;
    version.minor = info.dwMinorVersion;
    version.platformId = info.dwPlatformId;
    version.productType = info.wProductType;
    version.architecture = system.wProcessorArchitecture;
    version.serverR2 = ::GetSystemMetrics(SM_SERVERR2);
    if (majorVersion != nullptr)
        *majorVersion = info.dwMajorVersion;
    return OsNameFromVersion(version, name);
}

UINT_PTR CALLBACK FileDialogHook(HWND dialog, UINT message, WPARAM, LPARAM) {
    if (message != WM_INITDIALOG)
        return 0;
    // Explorer-style dialogs call the hook on a child; the frame is its root.
    HWND frame = ::GetAncestor(dialog, GA_ROOT);
    if (frame == nullptr)
        frame = dialog;
    RECT area;
    HWND owner = ::GetWindow(frame, GW_OWNER);
    if (owner == nullptr || !::GetWindowRect(owner, &area))
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    RECT rect;
    if (::GetWindowRect(frame, &rect)) {
        int width = rect.right - rect.left;
        int height = rect.bottom - rect.top;
        int x = area.left + ((area.right - area.left) - width) / 2;
        int y = area.top + ((area.bottom - area.top) - height) / 2;
        ::SetWindowPos(frame, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    const int kReadOnlyBox = 1040;
    if (HWND box = ::GetDlgItem(frame, kReadOnlyBox))
        ::ShowWindow(box, SW_HIDE);
    if (HWND box = ::GetDlgItem(dialog, kReadOnlyBox))
        ::ShowWindow(box, SW_HIDE);
    return 0;
}

bool EnablePrivilege(const wchar_t* name) {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
        return false;
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    bool enabled = ::LookupPrivilegeValueW(nullptr, name, &privileges.Privileges[0].Luid) &&
                   ::AdjustTokenPrivileges(token, FALSE, &privileges, sizeof(privileges), nullptr, nullptr) &&
                   ::GetLastError() == ERROR_SUCCESS;  // not ERROR_NOT_ALL_ASSIGNED
    CloseKernelHandle(token);
    return enabled;
}

bool ShutdownSystem() {
    return EnablePrivilege(SE_SHUTDOWN_NAME) && ::ExitWindowsEx(EWX_SHUTDOWN | EWX_POWEROFF, 0);
}

}  // namespace Tessar
