#pragma once
// What "-install" and "-uninstall" leave in, or take out of, the shared data
// folder (application data + "Zelmor").

#include <string>

namespace Tessar {

extern const wchar_t kInstallMarkerName[];  // L"stat.vqs"

// Creates the folder when missing and an empty "stat.vqs" in it: the
// install report was sent. False when the folder is unknown or the file
// cannot be made.
bool WriteInstallMarker(const std::wstring& sharedFolder);

// Deletes the shortcut ("lnk") and icon ("ico") file of every section of
// the shared folder's link.ini that names an existing file, then link.ini
// itself. link.ini is anyone's to write: only a ".lnk" file directly on the
// desktop and an ".ico" file directly in the shared folder's Icons folder
// are deleted (VQCore/gamelib/LinkIniRecord.h).
void RemoveLinkIniShortcuts();
void RemoveLinkIniShortcuts(const std::wstring& sharedFolder, const std::wstring& desktopFolder);

}  // namespace Tessar
