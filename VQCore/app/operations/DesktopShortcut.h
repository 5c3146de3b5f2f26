#pragma once
// Desktop shortcuts of installed games. A shortcut starts the manager with
// "-exec_app=" and the game's run id; each one made is recorded in the
// shared folder's link.ini (section "%05d" of the id: "lnk", "ico", "exe",
// "arg"), so the manager and the updater's uninstall can remove the
// shortcut and its icon file later. The icon file is a real .ico in the
// shared folder's "Icons" folder, named by the run id.

#include <cstdint>
#include <string>

namespace Tessar {

class VQGameIcon;

// Where shortcuts, icons and records go; tests give folders of their own.
struct VQShortcutPlaces {
    std::wstring desktopFolder;
    std::wstring sharedFolder;  // link.ini and Icons\ lie here
    std::wstring appPath;       // the manager the shortcut starts
};
VQShortcutPlaces DefaultShortcutPlaces();

// What a shortcut is made from (a tile's fields).
struct VQShortcutGame {
    uint32_t gameId = 0;
    std::wstring name;
    std::wstring iconDescription;  // the tile's image attribute
    std::wstring runProgram;
    std::wstring runArguments;
};
VQShortcutGame ShortcutGameOf(const VQGameIcon& tile);

// The text between the first two single quotes of an image attribute
// ("file='X' ..." gives X); empty when there is none.
std::wstring IconSourceOf(const std::wstring& imageDescription);
// The game's name as a file name: characters a file name cannot hold
// (separators among them) become "_"; never empty.
std::wstring ShortcutFileTitle(const std::wstring& name);

// False at the first failing step; the icon file written before a failing
// shortcut stays. COM is initialised here (apartment-threaded).
bool CreateDesktopShortcut(const VQShortcutGame& game, const VQShortcutPlaces& places);
bool CreateDesktopShortcut(const VQGameIcon* tile);

bool SaveShortcutRecord(const std::wstring& linkIniPath, const std::wstring& shortcutPath, uint32_t gameId,
                        const std::wstring& iconPath, const std::wstring& program, const std::wstring& arguments);
// Deletes the shortcut and icon the section names, then the section. The
// file is user-writable: only a ".lnk" file on the desktop and an ".ico"
// file of the Icons folder are deleted, whatever else the section names
// (VQCore/gamelib/LinkIniRecord.h).
void RemoveShortcutRecord(const VQShortcutPlaces& places, uint32_t gameId);
void RemoveShortcutRecord(uint32_t gameId);
// True when the section's "lnk" names an existing file.
bool HasShortcutRecord(const std::wstring& sharedFolder, uint32_t gameId);
bool HasShortcutRecord(uint32_t gameId);

}  // namespace Tessar
