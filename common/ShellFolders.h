#pragma once
// The shell's special folders; each is empty when the shell cannot give it.
// None is created.

#include <string>

namespace Tessar {

std::wstring GetDesktopFolder();
std::wstring GetCommonDesktopFolder();
std::wstring GetAppDataFolder();
// Application data followed by "\Microsoft\Internet Explorer\Quick Launch".
std::wstring GetQuickLaunchFolder();
std::wstring GetCommonQuickLaunchFolder();
std::wstring GetProgramsMenuFolder();
std::wstring GetCommonProgramsMenuFolder();
// Parent of the local application-data folder.
std::wstring GetLocalSettingsFolder();
std::wstring GetCookiesFolder();
std::wstring GetRecentFolder();
std::wstring GetFavoritesFolder();

}  // namespace Tessar
