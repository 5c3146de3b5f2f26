#pragma once
// One installed game, as the installed list file keeps it between runs.
// Shared (boost::shared_ptr) between the list file and the page loading.

#include <cstdint>
#include <string>

namespace Tessar {

struct VQGameInstalledInfo {
    uint32_t ID = 0;
    std::wstring Name;
    // The program that starts the game, its arguments and working folder.
    std::wstring FullPath;
    std::wstring RunArg;
    std::wstring WorkingDir;
    // The folder the game was installed into.
    std::wstring SetupDir;
    int64_t SetupTime = 0;    // time_t of the install
    int64_t LastRunTime = 0;  // time_t of the last start
    uint32_t RunCount = 0;
    // 1 once the game's registration has been reported, else 0.
    uint32_t Registered = 0;
    // Digest of the uninstall record the game's install wrote into
    // SetupDir; the uninstall trusts that record only with it. Empty for
    // games installed otherwise and in lists written before it was kept.
    std::wstring UninstallDigest;
    // The folder the game's install created (it did not exist before the
    // install ran): the only folder an uninstall may delete. Empty for games
    // whose install created none, found by the scan, added by the user, or
    // listed before it was kept: their files are never deleted.
    std::wstring CreatedDir;
};

}  // namespace Tessar
