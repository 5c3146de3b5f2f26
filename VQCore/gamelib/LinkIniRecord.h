#pragma once
// The files a desktop-shortcut record of link.ini names: section "%05d" of
// the game id, "lnk" the shortcut and "ico" its icon file ("exe" and "arg"
// the game's run program and arguments). link.ini lies in a folder every
// program of the user may write, so what it names is confined before it is
// deleted: only a ".lnk" file directly in the desktop folder and an ".ico"
// file directly in the shared folder's "Icons" folder; anything else it
// names is left alone. The manager's removal of one shortcut and the
// updater's uninstall both delete through here.

#include <string>

namespace Tessar {

class IniFile;

extern const wchar_t kLinkIniShortcutKey[];   // L"lnk"
extern const wchar_t kLinkIniIconKey[];       // L"ico"
extern const wchar_t kLinkIniProgramKey[];    // L"exe"
extern const wchar_t kLinkIniArgumentsKey[];  // L"arg"

// The shared folder followed by "\Icons".
std::wstring GetShortcutIconsFolder(const std::wstring& sharedFolder);

// A ".lnk" file directly in the desktop folder.
bool IsRecordableShortcut(const std::wstring& path, const std::wstring& desktopFolder);
// An ".ico" file directly in the Icons folder, which is no link to
// another place.
bool IsRecordableIcon(const std::wstring& path, const std::wstring& sharedFolder);

// Deletes the section's shortcut and icon file (read-only attribute
// cleared first) when they exist and pass the checks above; missing files
// are skipped. The section itself stays.
void DeleteRecordedShortcutFiles(const IniFile& linkIni, const std::wstring& section,
                                 const std::wstring& desktopFolder, const std::wstring& sharedFolder);

}  // namespace Tessar
