#pragma once
// The program's own path, environment texts, shell execution, the system's
// name and shutdown.

#include <windows.h>

#include <cstdint>
#include <string>

namespace Tessar {

// Full path of the running executable; empty on failure.
std::wstring GetOwnModulePath();
// Expands %NAME% references; the text unchanged when it has none or on failure.
std::wstring ExpandEnvironmentText(const std::wstring& text);

// ShellExecuteExW with the active window as owner. Empty verb, parameters
// or folder mean none. With process, the started process's handle is
// returned there (null when the shell started none); the caller closes it.
// On failure the system error code goes to error.
bool ShellExecuteTarget(const std::wstring& verb, const std::wstring& file, const std::wstring& parameters,
                        const std::wstring& folder, int showCommand, HANDLE* process = nullptr,
                        DWORD* error = nullptr);

// What the system's name is made of; tests give their own.
struct VQOsVersion {
    uint32_t major = 0;
    uint32_t minor = 0;
    uint32_t platformId = 0;     // VER_PLATFORM_WIN32_NT or _WINDOWS
    uint8_t productType = 0;     // VER_NT_WORKSTATION = 1
    uint16_t architecture = 0;   // PROCESSOR_ARCHITECTURE_AMD64 = 9
    int serverR2 = 0;            // GetSystemMetrics(SM_SERVERR2)
};
bool OsNameFromVersion(const VQOsVersion& version, std::wstring& name);
// "Microsoft Windows 7" and the like; false (and an empty name) when the
// version cannot be read or is not one of the known ones.
bool GetOsName(std::wstring& name, uint32_t* majorVersion = nullptr);

// Hook of the file dialogs: centres the dialog and hides its read-only box.
UINT_PTR CALLBACK FileDialogHook(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Enables a privilege ("SeShutdownPrivilege", ...) in the process token.
bool EnablePrivilege(const wchar_t* name);
// Powers the machine off.
bool ShutdownSystem();

}  // namespace Tessar
