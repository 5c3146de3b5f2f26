#include "VQCore/app/operations/GameFolderRules.h"

#include <windows.h>

#include <shlobj.h>

#include "VQCore/app/pages/GameIcon.h"
#include "VQCore/download/InstallPaths.h"
#include "VQCore/gamelib/GameId.h"
#include "common/FileUtil.h"
#include "common/PathText.h"

namespace Tessar {

namespace {

// Lower case, backslashes, no trailing separator, full path; empty when it
// cannot be made full.
std::wstring ComparablePath(const std::wstring& path) {
    if (path.empty()) return std::wstring();
    std::wstring full;
    size_t namePos = 0;
    if (!GetFullPath(NormalizeText(path, kNormalizeBackslashes | kNormalizeUnquote), full, namePos))
        return std::wstring();
    full = NormalizeText(full, kNormalizeLower | kNormalizeNoTrailingSeparator);
    return full;
}

// `inner` is `outer` or lies below it.
bool IsSameOrBelow(const std::wstring& inner, const std::wstring& outer) {
    if (inner.empty() || outer.empty()) return false;
    if (inner.size() < outer.size() || inner.compare(0, outer.size(), outer) != 0) return false;
    return inner.size() == outer.size() || inner[outer.size()] == L'\\';
}

std::wstring SpecialFolder(int csidl) {
    wchar_t buffer[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathW(nullptr, buffer, csidl, FALSE)) return std::wstring();
    return buffer;
}

// Folders no game folder may be, nor hold.
std::vector<std::wstring> GuardedFolders() {
    std::vector<std::wstring> folders;
    const int kinds[] = {
        CSIDL_WINDOWS,          CSIDL_SYSTEM,          CSIDL_SYSTEMX86,
        CSIDL_PROGRAM_FILES,    CSIDL_PROGRAM_FILESX86, CSIDL_PROGRAM_FILES_COMMON,
        CSIDL_PROGRAM_FILES_COMMONX86,
        CSIDL_PROFILE,          CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_DESKTOPDIRECTORY,
        CSIDL_PERSONAL,         CSIDL_COMMON_DOCUMENTS, CSIDL_MYPICTURES,
        CSIDL_MYMUSIC,          CSIDL_MYVIDEO,         CSIDL_APPDATA,
        CSIDL_LOCAL_APPDATA,    CSIDL_COMMON_APPDATA,  CSIDL_PROGRAMS,
        CSIDL_COMMON_PROGRAMS,  CSIDL_STARTMENU,       CSIDL_COMMON_STARTMENU,
        CSIDL_STARTUP,          CSIDL_COMMON_STARTUP,  CSIDL_FONTS,
    };
    for (int kind : kinds) folders.push_back(SpecialFolder(kind));
    // The same folders as the environment names them (a 64-bit program's
    // "Program Files" and the 32-bit one beside it).
    const wchar_t* const variables[] = {L"ProgramFiles", L"ProgramFiles(x86)", L"ProgramW6432",
                                        L"CommonProgramFiles", L"CommonProgramFiles(x86)", L"SystemRoot",
                                        L"USERPROFILE", L"PUBLIC", L"ALLUSERSPROFILE"};
    for (const wchar_t* variable : variables) {
        wchar_t value[MAX_PATH + 1] = {};
        const DWORD length = GetEnvironmentVariableW(variable, value, MAX_PATH + 1);
        if (length > 0 && length <= MAX_PATH) folders.push_back(value);
    }
    wchar_t temp[MAX_PATH + 1] = {};
    if (GetTempPathW(MAX_PATH + 1, temp)) folders.push_back(temp);
    return folders;
}

bool IsSameInstallation(const VQGameIcon& a, const VQGameIcon& b) {
    const VQGameIconData& x = a.Data();
    const VQGameIconData& y = b.Data();
    return a.GetGameId() == b.GetGameId() && x.runProgram == y.runProgram && x.runArguments == y.runArguments;
}

void Keep(std::vector<std::wstring>& kept, const std::wstring& path) {
    if (!path.empty() && IsAbsolutePath(path)) kept.push_back(path);
}

}  // namespace

bool IsDeletableGameFolder(const std::wstring& folder, const std::wstring& gameFile, const VQGameFolderRules& rules) {
    if (!IsAbsolutePath(folder) || !FolderExists(folder) || IsDriveRoot(folder)) return false;
    const std::wstring target = ComparablePath(folder);
    if (target.empty()) return false;
    // "X:" and "\\server\share" and the like: at least one folder below a root.
    std::vector<std::wstring> parts;
    SplitPathParts(target, parts);
    if (parts.size() < 2 || (target.compare(0, 2, L"\\\\") == 0 && parts.size() < 5)) return false;
    // Strictly below the install folder, with no link on the way.
    if (rules.installFolder.empty() || !IsPathBelow(folder, rules.installFolder)) return false;
    std::vector<std::wstring> guarded = GuardedFolders();
    guarded.push_back(rules.protectedFolder);
    guarded.insert(guarded.end(), rules.keptPaths.begin(), rules.keptPaths.end());
    for (const std::wstring& other : guarded) {
        const std::wstring comparable = ComparablePath(other);
        if (!comparable.empty() && IsSameOrBelow(comparable, target)) return false;
    }
    if (!gameFile.empty() && !IsSameOrBelow(ComparablePath(gameFile), target)) return false;
    return true;
}

VQGameFolderRules GameFolderRulesFor(const VQGameIcon& tile, const std::vector<const VQGameIcon*>& installed,
                                     const std::vector<const VQGameIcon*>& downloads) {
    VQGameFolderRules rules;
    for (const VQGameIcon* other : installed) {
        if (other == nullptr || other == &tile || other->GetState() != kTileInstalled) continue;
        // The quick strip's copy of this very game is no other game.
        if (IsSameInstallation(*other, tile)) continue;
        const VQGameIconData& data = other->Data();
        Keep(rules.keptPaths, data.runProgram);
        Keep(rules.keptPaths, data.setupFolder);
        Keep(rules.keptPaths, data.createdFolder);
        Keep(rules.keptPaths, data.workingFolder);
        // A Flash game's program is the player; its game is its config.ini.
        if (IsFlashGameId(other->GetGameId())) Keep(rules.keptPaths, data.runArguments);
    }
    for (const VQGameIcon* download : downloads) {
        if (download == nullptr) continue;
        Keep(rules.keptPaths, download->Data().setupPath);
        Keep(rules.keptPaths, download->Data().logPath);
    }
    return rules;
}

}  // namespace Tessar
