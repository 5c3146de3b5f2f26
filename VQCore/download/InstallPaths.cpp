#include "VQCore/download/InstallPaths.h"

#include "VQCore/download/UninstallRecord.h"
#include "common/FileFinder.h"
#include "common/FileUtil.h"
#include "common/PathText.h"
#include "common/TextUtil.h"

#include <windows.h>

namespace Tessar {

namespace {

bool IsLink(const std::wstring& path) {
    DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// Compares normalised paths.
bool SameText(const std::wstring& a, const std::wstring& b) {
    return a.size() == b.size() && CompareNoCase(a, b, a.size()) == 0;
}

void RemoveLinkEntry(const std::wstring& path) {
    if (!::DeleteFileW(path.c_str()))
        ::RemoveDirectoryW(path.c_str());
}

}  // namespace

std::wstring NormalInstallPath(const std::wstring& path) {
    if (!IsAbsolutePath(path))
        return std::wstring();
    std::wstring full;
    size_t namePos = 0;
    if (!GetFullPath(path, full, namePos))
        return std::wstring();
    ReplaceChar(full, L'/', L'\\');
    // A drive root keeps its backslash; nothing else does.
    while (full.size() > 3 && full[full.size() - 1] == L'\\')
        full.erase(full.size() - 1);
    return full;
}

bool IsSamePath(const std::wstring& a, const std::wstring& b) {
    std::wstring left = NormalInstallPath(a);
    return !left.empty() && SameText(left, NormalInstallPath(b));
}

bool IsPathBelow(const std::wstring& path, const std::wstring& folder) {
    std::wstring inner = NormalInstallPath(path);
    std::wstring outer = NormalInstallPath(folder);
    if (inner.empty() || outer.empty())
        return false;
    if (outer[outer.size() - 1] != L'\\')
        outer += L'\\';
    if (inner.size() <= outer.size() || !SameText(inner.substr(0, outer.size()), outer))
        return false;
    // A link below the folder could send the rest of the path anywhere.
    for (size_t at = inner.find(L'\\', outer.size()); at != std::wstring::npos; at = inner.find(L'\\', at + 1)) {
        if (IsLink(inner.substr(0, at)))
            return false;
    }
    return true;
}

bool IsPathAtOrBelow(const std::wstring& path, const std::wstring& folder) {
    return IsSamePath(path, folder) || IsPathBelow(path, folder);
}

void DeleteInstallTree(const std::wstring& path) {
    std::wstring target = path;
    TrimRightChars(target, kPathSeparators);
    if (target.empty())
        return;
    DWORD attributes = ::GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        RemoveLinkEntry(target);
        return;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        ForceDeleteFile(target);
        return;
    }
    FindFileIterator finder;
    FindFileEntry entry;
    for (bool found = finder.First(target + L"\\*", entry); found; found = finder.Next(entry)) {
        if (entry.IsDots())
            continue;
        std::wstring child = target + L'\\' + entry.name;
        if (entry.IsFolder() && !entry.IsReparsePoint() && FileExists(CombinePath(child, kUninstallRecordName)))
            continue;  // another game's folder
        DeleteInstallTree(child);
    }
    finder.Close();
    ::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::RemoveDirectoryW(target.c_str());
}

void RemoveSharedEntry(const std::wstring& path) {
    std::wstring target = path;
    TrimRightChars(target, kPathSeparators);
    DWORD attributes = ::GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        RemoveLinkEntry(target);
    else if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        ::RemoveDirectoryW(target.c_str());
    else
        ForceDeleteFile(target);
}

}  // namespace Tessar
