#pragma once
// What a game folder must be before the manager deletes it, and the rules
// for one installed tile gathered from the main window's pages: strictly
// below the install folder, no system or user folder nor one above them
// (the 32- and 64-bit program folders included), not the manager's own
// folder nor above it, and holding nothing of another installed game or of
// a download.

#include <string>
#include <vector>

namespace Tessar {

class VQGameIcon;

struct VQGameFolderRules {
    // The folder lies strictly below it (the InstallDir the installs use).
    std::wstring installFolder;
    // Never deleted, nor any folder holding it (the manager's own folder).
    std::wstring protectedFolder;
    // Never a folder holding one of these: the other installed games'
    // programs and folders, the downloads' files, the download folder.
    std::vector<std::wstring> keptPaths;
};

// A game folder the manager may delete: absolute, existing, no drive root,
// strictly below the rules' install folder (no link on the way), not the
// protected folder nor a folder above it, not a system or user folder nor
// one above them, holding none of the kept paths, and holding the game's
// file (its program, or a Flash game's config.ini) when one is named.
bool IsDeletableGameFolder(const std::wstring& folder, const std::wstring& gameFile, const VQGameFolderRules& rules);

// The rules for removing `tile`: what every other installed tile (another
// game, or another installation of it) runs and where it lies, and what the
// download tiles have downloaded. The install, protected and download
// folders are the caller's.
VQGameFolderRules GameFolderRulesFor(const VQGameIcon& tile, const std::vector<const VQGameIcon*>& installed,
                                     const std::vector<const VQGameIcon*>& downloads);

}  // namespace Tessar
