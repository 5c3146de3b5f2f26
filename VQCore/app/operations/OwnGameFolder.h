#pragma once
// The folder an install made for its game, the only folder an uninstall
// may delete. The install folder is often shared (a drive root, a folder
// other programs use, a publisher folder holding several games), so what
// an install created is proven, never guessed: the folders directly in the
// install folder are listed before the install runs, and afterwards the
// one that holds the game and was not there before is the install's own.

#include <set>
#include <string>

namespace Tessar {

class VQInstallFolderSnapshot {
public:
    // Lists the install folder now (a missing folder holds nothing yet).
    explicit VQInstallFolderSnapshot(const std::wstring& installFolder);

    // The folder directly in the install folder that is `gamePath` or holds
    // it, when it exists now and did not exist at the listing; else empty
    // (outside the install folder, directly in it, reached through a link,
    // there before, or the listing failed).
    std::wstring CreatedFolderOf(const std::wstring& gamePath) const;

private:
    std::wstring m_installFolder;
    std::set<std::wstring> m_before;  // lower-case names
    bool m_listed = false;
};

// A folder of its own for one install: "<parent>\<name>", or the first free
// "<name>-2", "<name>-3", ... when that name is taken; created, with the
// parent when missing. Empty when none could be made.
std::wstring MakeOwnFolder(const std::wstring& parent, const std::wstring& name);

}  // namespace Tessar
