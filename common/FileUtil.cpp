#include "common/FileUtil.h"

#include "common/FileFinder.h"
#include "common/FileHandle.h"
#include "common/NumberText.h"
#include "common/PathText.h"
#include "common/TextUtil.h"

namespace Tessar {

namespace {

// The process may not stand in a folder that is being removed.
void LeaveFolder(const std::wstring& folder) {
    std::wstring current = NormalizeText(GetCurrentFolder(), kNormalizeTrailingBackslash | kNormalizeBackslashes);
    std::wstring doomed = NormalizeText(folder, kNormalizeTrailingBackslash | kNormalizeBackslashes);
    if (current.empty() || current.size() != doomed.size() || CompareNoCase(current, doomed, doomed.size()) != 0)
        return;
    std::wstring parent = GetTrimmedLastPathPart(doomed);
    if (!parent.empty())
        ::SetCurrentDirectoryW(parent.c_str());
}

void ClearReadOnly(const std::wstring& path) {
    DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        ::SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
}

// Removes a folder link itself. Wine's RemoveDirectoryW on a host symlink
// removes an empty target instead, so deleting the entry comes first.
void RemoveLink(const std::wstring& path) {
    if (!::DeleteFileW(path.c_str()) && ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES)
        ::RemoveDirectoryW(path.c_str());
}

uint64_t DeleteFolderContents(const std::wstring& folder) {
    uint64_t deleted = 0;
    FindFileIterator finder;
    FindFileEntry entry;
    for (bool found = finder.First(folder + L"\\*.*", entry); found; found = finder.Next(entry)) {
        if (entry.IsDots())
            continue;
        std::wstring path = folder + L'\\' + entry.name;
        if (entry.IsFolder() && entry.IsReparsePoint()) {
            RemoveLink(path);
        } else if (entry.IsFolder()) {
            deleted += DeleteFolderContents(path);
        } else if (ForceDeleteFile(path)) {
            ++deleted;
        }
    }
    finder.Close();
    LeaveFolder(folder);
    ClearReadOnly(folder);
    ::RemoveDirectoryW(folder.c_str());
    return deleted;
}

}  // namespace

bool SetFileTimeByPath(const std::wstring& path, const FILETIME* creation, const FILETIME* access,
                       const FILETIME* write) {
    // Attribute rights only, so read-only files and folders work too.
    HANDLE handle = ::CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    bool done = SetFileHandleTime(handle, creation, access, write);
    CloseFileHandle(handle);
    return done;
}

bool RenameFile(const std::wstring& from, const std::wstring& to) {
    return ::MoveFileW(from.c_str(), to.c_str()) != FALSE;
}

bool MoveFileReplace(const std::wstring& source, const std::wstring& target) {
    if (::MoveFileExW(source.c_str(), target.c_str(),
                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH))
        return true;
    if (!PathExists(target))
        return false;
    std::wstring aside;
    if (!MakeUniqueName(target, aside) || !RenameFile(target, aside))
        return false;
    if (RenameFile(source, target)) {
        ForceDeleteFile(aside);
        return true;
    }
    RenameFile(aside, target);
    return false;
}

bool CreateFolder(const std::wstring& path) {
    return ::CreateDirectoryW(path.c_str(), nullptr) != FALSE;
}

bool ForceDeleteFile(const std::wstring& path) {
    ClearReadOnly(path);
    return ::DeleteFileW(path.c_str()) != FALSE;
}

bool DeleteFileClearReadOnly(const std::wstring& path) {
    bool cleared = ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL) != FALSE;
    return ::DeleteFileW(path.c_str()) && cleared;
}

void DeleteFolderIfExists(const std::wstring& path) {
    if (PathExists(path))
        DeleteFolderTree(path);
}

uint64_t DeleteFolderTree(const std::wstring& path) {
    std::wstring folder = path;
    TrimRightChars(folder, kPathSeparators);
    // An empty text or a bare drive would name a whole drive.
    if (folder.empty() || (folder.size() == 2 && folder[1] == L':'))
        return 0;
    DWORD attributes = ::GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return 0;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        return ForceDeleteFile(folder) ? 1 : 0;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        RemoveLink(folder);
        return 0;
    }
    return DeleteFolderContents(folder);
}

bool CopyFileNoReplace(const std::wstring& source, const std::wstring& target) {
    return ::CopyFileW(source.c_str(), target.c_str(), TRUE) != FALSE;
}

bool CreateFolderChain(const std::wstring& path) {
    for (size_t pos = path.find_first_of(kPathSeparators); pos != std::wstring::npos;
         pos = path.find_first_of(kPathSeparators, pos + 1)) {
        std::wstring head = path.substr(0, pos);
        if (!head.empty() && !PathExists(head))
            CreateFolder(head);
    }
    if (!PathExists(path) && !CreateFolder(path))
        return false;
    return FolderExists(path);
}

bool GetFullPath(const std::wstring& path, std::wstring& full, size_t& namePos) {
    wchar_t buffer[520];
    wchar_t* name = nullptr;
    DWORD length = ::GetFullPathNameW(path.c_str(), 520, buffer, &name);
    if (length == 0 || length >= 520)
        return false;
    full.assign(buffer, length);
    namePos = name != nullptr ? static_cast<size_t>(name - buffer) : full.size();
    return true;
}

std::wstring GetFullPathFileName(const std::wstring& path) {
    std::wstring full;
    size_t namePos = 0;
    return GetFullPath(path, full, namePos) ? full.substr(namePos) : std::wstring();
}

std::wstring GetFullPathFolder(const std::wstring& path) {
    std::wstring full;
    size_t namePos = 0;
    return GetFullPath(path, full, namePos) ? full.substr(0, namePos) : std::wstring();
}

std::wstring GetCurrentFolder() {
    wchar_t buffer[520];
    DWORD length = ::GetCurrentDirectoryW(520, buffer);
    return length > 0 && length < 520 ? std::wstring(buffer, length) : std::wstring();
}

bool MakeUniqueName(const std::wstring& path, std::wstring& unique) {
    if (!PathExists(path)) {
        unique = path;
        return true;
    }
    std::wstring name = GetFileName(path);
    std::wstring folder = path.substr(0, path.size() - name.size());
    std::wstring title = GetFileTitle(name);
    std::wstring extension = GetFileExtension(name);
    for (uint32_t number = 1; number <= 0x100000; ++number) {
        std::wstring candidate = folder + title + L'(' + UIntToString(number) + L')' + extension;
        if (!PathExists(candidate)) {
            unique = candidate;
            return true;
        }
    }
    return false;
}

bool TruncateFile(const std::wstring& path, uint64_t length) {
    HANDLE handle = INVALID_HANDLE_VALUE;
    if (!OpenFileHandle(handle, path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL))
        return false;
    bool done = SeekFileHandle(handle, static_cast<int64_t>(length), FILE_BEGIN) && ::SetEndOfFile(handle);
    CloseFileHandle(handle);
    return done;
}

bool FlushFileToDisk(const std::wstring& path) {
    // Flushing needs write access, which a read-only file refuses: the
    // attribute is put back afterwards.
    DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return false;
    bool readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    if (readOnly && !::SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY))
        return false;
    HANDLE handle = INVALID_HANDLE_VALUE;
    bool flushed = OpenFileHandle(handle, path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL) &&
                   ::FlushFileBuffers(handle) != FALSE;
    flushed = CloseFileHandleChecked(handle) && flushed;
    if (readOnly && !::SetFileAttributesW(path.c_str(), attributes))
        return false;
    return flushed;
}

}  // namespace Tessar
