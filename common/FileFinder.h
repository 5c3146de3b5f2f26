#pragma once
// Folder search: a find iterator and a recursive walker with a callback.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace Tessar {

struct FindFileEntry {
    uint32_t attributes = 0;
    uint64_t creationTime = 0;  // file times
    uint64_t lastAccessTime = 0;
    uint64_t lastWriteTime = 0;
    uint64_t size = 0;
    std::wstring name;

    void Assign(const WIN32_FIND_DATAW& data);
    bool IsFolder() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
    // A link or junction: never walked into.
    bool IsReparsePoint() const { return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }
    // A folder entry named "." or "..".
    bool IsDots() const;
};

class FindFileIterator {
public:
    FindFileIterator() = default;
    ~FindFileIterator() { Close(); }
    FindFileIterator(const FindFileIterator&) = delete;
    FindFileIterator& operator=(const FindFileIterator&) = delete;

    // Closes a search still open and starts a new one.
    bool First(const std::wstring& pattern, FindFileEntry& entry);
    bool Next(FindFileEntry& entry);
    void Close();

private:
    HANDLE m_find = INVALID_HANDLE_VALUE;
};

// Implemented by the walker's user (the disk scan).
class VQFileFinderEnumCallback {
public:
    // Above 0 ends the walk; other values mean nothing.
    virtual int32_t ShouldStop() = 0;
    // Called with each folder as it is entered; non-zero ends the walk.
    virtual int32_t OnDirectory(const std::wstring& folder) = 0;
    // Called with each file's name and folder; non-zero ends the walk.
    virtual int32_t OnFile(const std::wstring& name, const std::wstring& folder) = 0;

protected:
    ~VQFileFinderEnumCallback() = default;
};

class VQFileFinder {
public:
    // patterns: ";"-separated wildcard patterns of folder paths to skip
    // with their subtrees. The callback may be null.
    VQFileFinder(VQFileFinderEnumCallback* callback, const std::wstring& patterns);

    // Files of a folder come before its subfolders, subfolders depth first
    // in the order found. A root that is a file is reported alone. False
    // when the root does not exist or the callback ended the walk.
    bool Enum(const std::wstring& root);

    void SetIgnoreCase(bool ignoreCase) { m_ignoreCase = ignoreCase; }
    void SetRecursive(bool recursive) { m_recursive = recursive; }

private:
    bool WalkFolder(const std::wstring& folder);
    bool IsSkipped(const std::wstring& path) const;

    bool m_ignoreCase = true;
    bool m_recursive = true;
    std::wstring m_patternText;
    std::vector<std::wstring> m_patterns;
    VQFileFinderEnumCallback* m_callback;
};

}  // namespace Tessar
