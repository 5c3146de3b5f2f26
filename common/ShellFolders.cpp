#include "common/ShellFolders.h"

#include <windows.h>
#include <shlobj.h>

namespace Tessar {

namespace {

const wchar_t kQuickLaunchPath[] = L"\\Microsoft\\Internet Explorer\\Quick Launch";

std::wstring SpecialFolder(int csidl) {
    wchar_t buffer[MAX_PATH + 1] = {};
    if (!::SHGetSpecialFolderPathW(nullptr, buffer, csidl, FALSE))
        return std::wstring();
    return buffer;
}

std::wstring QuickLaunchBelow(int csidl) {
    std::wstring folder = SpecialFolder(csidl);
    return folder.empty() ? folder : folder + kQuickLaunchPath;
}

}  // namespace

std::wstring GetDesktopFolder() { return SpecialFolder(CSIDL_DESKTOPDIRECTORY); }
std::wstring GetCommonDesktopFolder() { return SpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY); }
std::wstring GetAppDataFolder() { return SpecialFolder(CSIDL_APPDATA); }
std::wstring GetQuickLaunchFolder() { return QuickLaunchBelow(CSIDL_APPDATA); }
std::wstring GetCommonQuickLaunchFolder() { return QuickLaunchBelow(CSIDL_COMMON_APPDATA); }
std::wstring GetProgramsMenuFolder() { return SpecialFolder(CSIDL_PROGRAMS); }
std::wstring GetCommonProgramsMenuFolder() { return SpecialFolder(CSIDL_COMMON_PROGRAMS); }
std::wstring GetCookiesFolder() { return SpecialFolder(CSIDL_COOKIES); }
std::wstring GetRecentFolder() { return SpecialFolder(CSIDL_RECENT); }
std::wstring GetFavoritesFolder() { return SpecialFolder(CSIDL_FAVORITES); }

std::wstring GetLocalSettingsFolder() {
    std::wstring folder = SpecialFolder(CSIDL_LOCAL_APPDATA);
    size_t pos = folder.rfind(L'\\');
    return pos == std::wstring::npos ? folder : folder.substr(0, pos);
}

}  // namespace Tessar
