#include "tests/support/HostFolderLink.h"

#include "common/CodePage.h"
#include "common/PathText.h"

#include <windows.h>

namespace Tessar {

bool MakeHostFolderLink(const std::wstring& target, const std::wstring& link) {
    typedef char*(CDECL * UnixNameFunction)(const wchar_t*);
    UnixNameFunction unixName = reinterpret_cast<UnixNameFunction>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (unixName == nullptr)
        return false;
    char* targetName = unixName(target.c_str());
    char* linkFolder = unixName(GetLastPathPart(link).c_str());
    if (targetName == nullptr || linkFolder == nullptr)
        return false;
    std::wstring command = L"Z:\\bin\\ln -s \"" + Utf8ToWide(targetName) + L"\" \"" + Utf8ToWide(linkFolder) +
                           L"/" + GetFileName(link) + L"\"";
    ::HeapFree(::GetProcessHeap(), 0, targetName);
    ::HeapFree(::GetProcessHeap(), 0, linkFolder);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    // Wine gives a host program no process handle and leaves the thread
    // handle field as it found it on its stack: that value is no handle of
    // ours to close.
    if (process.hProcess != nullptr) {
        ::CloseHandle(process.hProcess);
        ::CloseHandle(process.hThread);
    }
    // Wine cannot wait for a host program, so the link is awaited instead.
    for (int i = 0; i < 500; ++i) {
        DWORD attributes = ::GetFileAttributesW(link.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            return true;
        ::Sleep(20);
    }
    return false;
}

}  // namespace Tessar
