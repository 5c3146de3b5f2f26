#pragma once
// Shell shortcuts (.lnk files) written and read through the shell's link
// object. COM must be initialised on the calling thread.

#include <cstdint>
#include <string>

namespace Tessar {

// Every field of one shortcut, as stored in the link (nothing expanded).
struct ShortcutInfo {
    std::wstring targetPath;
    std::wstring arguments;
    std::wstring description;
    uint16_t hotKey = 0;  // virtual-key code in the low byte, modifiers in the high byte
    std::wstring iconPath;
    int32_t iconIndex = 0;
    int32_t showCommand = 0;
    std::wstring workingFolder;
};

// Saves a shortcut, replacing an existing file. ".lnk" is added to the
// name unless its extension and ".lnk" begin alike (".LNK" and ".lnkx" are
// kept as they are). An empty working folder means the target's folder.
// The icon: the icon path with index 0, else the target with the index;
// an empty icon path with a negative index sets none. The shortcut's
// folder is created when missing.
bool CreateShortcut(const std::wstring& description, const std::wstring& targetPath,
                    const std::wstring& arguments, const std::wstring& shortcutPath,
                    const std::wstring& iconPath, int32_t iconIndex,
                    const std::wstring& workingFolder = std::wstring());

// The target and working folder come back with environment references
// expanded, the arguments as stored. True when a target was read.
bool ReadShortcutTarget(const std::wstring& shortcutPath, std::wstring& targetPath,
                        uint32_t& targetAttributes, std::wstring& workingFolder,
                        std::wstring& arguments);

// True when the target read is not empty; fields whose read failed keep
// what they held (the target is cleared first).
bool ReadShortcut(const std::wstring& shortcutPath, ShortcutInfo& info);

}  // namespace Tessar
