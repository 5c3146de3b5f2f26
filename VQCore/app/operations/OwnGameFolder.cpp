#include "VQCore/app/operations/OwnGameFolder.h"

#include <windows.h>

#include "VQCore/download/InstallPaths.h"
#include "common/FileFinder.h"
#include "common/FileUtil.h"
#include "common/FormatText.h"
#include "common/PathText.h"

namespace Tessar {

namespace {

const int kMaxOwnFolderTries = 1000;

std::wstring Lower(const std::wstring& text) {
    return NormalizeText(text, kNormalizeLower);
}

// The path with every part in its long form, as far as it exists; a
// setup's report in short names ("GAME~1") names the same folders.
std::wstring LongPath(const std::wstring& path) {
    const DWORD size = ::GetLongPathNameW(path.c_str(), nullptr, 0);
    if (size == 0) return path;
    std::wstring buffer(size, L'\0');
    const DWORD length = ::GetLongPathNameW(path.c_str(), &buffer[0], size);
    if (length == 0 || length >= size) return path;
    buffer.resize(length);
    return buffer;
}

}  // namespace

VQInstallFolderSnapshot::VQInstallFolderSnapshot(const std::wstring& installFolder)
    : m_installFolder(NormalInstallPath(LongPath(installFolder))) {
    if (m_installFolder.empty()) return;
    const DWORD attributes = ::GetFileAttributesW(m_installFolder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        m_listed = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        return;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return;
    FindFileIterator finder;
    FindFileEntry entry;
    bool found = finder.First(CombinePath(m_installFolder, L"*"), entry);
    if (!found && ::GetLastError() != ERROR_FILE_NOT_FOUND && ::GetLastError() != ERROR_NO_MORE_FILES) return;
    for (; found; found = finder.Next(entry))
        if (!entry.IsDots()) m_before.insert(Lower(entry.name));
    m_listed = true;
}

std::wstring VQInstallFolderSnapshot::CreatedFolderOf(const std::wstring& gamePath) const {
    if (!m_listed) return std::wstring();
    const std::wstring game = NormalInstallPath(LongPath(gamePath));
    if (game.empty() || !IsPathBelow(game, m_installFolder)) return std::wstring();
    // Below the folder: the game's path goes on with a separator (a drive
    // root carries its own).
    const size_t start = m_installFolder.size() + (m_installFolder.back() == L'\\' ? 0 : 1);
    const size_t end = game.find(L'\\', start);
    const std::wstring name = game.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
    if (name.empty() || m_before.count(Lower(name)) != 0) return std::wstring();
    const std::wstring folder = CombinePath(m_installFolder, name);
    // The name the listing saw, whatever form the path came in.
    const std::wstring longForm = LongPath(folder);
    if (m_before.count(Lower(longForm.substr(longForm.find_last_of(L'\\') + 1))) != 0) return std::wstring();
    const DWORD attributes = ::GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
        (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        return std::wstring();
    return folder;
}

std::wstring MakeOwnFolder(const std::wstring& parent, const std::wstring& name) {
    const std::wstring base = NormalInstallPath(parent);
    if (base.empty() || name.empty() || !CreateFolderChain(base)) return std::wstring();
    for (int n = 1; n <= kMaxOwnFolderTries; ++n) {
        const std::wstring folder = CombinePath(base, n == 1 ? name : FormatString(L"%s-%d", name.c_str(), n));
        // Made here and now, or taken: an existing folder is never reused.
        if (::CreateDirectoryW(folder.c_str(), nullptr)) return folder;
        if (::GetLastError() != ERROR_ALREADY_EXISTS) return std::wstring();
    }
    return std::wstring();
}

}  // namespace Tessar
