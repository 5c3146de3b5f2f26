#include "common/FileFinder.h"

#include "common/PathText.h"
#include "common/TextUtil.h"

namespace Tessar {

namespace {

uint64_t ToUInt64(const FILETIME& time) {
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

}  // namespace

void FindFileEntry::Assign(const WIN32_FIND_DATAW& data) {
    attributes = data.dwFileAttributes;
    creationTime = ToUInt64(data.ftCreationTime);
    lastAccessTime = ToUInt64(data.ftLastAccessTime);
    lastWriteTime = ToUInt64(data.ftLastWriteTime);
    size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    name = data.cFileName;
}

bool FindFileEntry::IsDots() const {
    return IsFolder() && (name == L"." || name == L"..");
}

bool FindFileIterator::First(const std::wstring& pattern, FindFileEntry& entry) {
    Close();
    WIN32_FIND_DATAW data;
    m_find = ::FindFirstFileW(pattern.c_str(), &data);
    if (m_find == INVALID_HANDLE_VALUE)
        return false;
    entry.Assign(data);
    return true;
}

bool FindFileIterator::Next(FindFileEntry& entry) {
    WIN32_FIND_DATAW data;
    if (m_find == INVALID_HANDLE_VALUE || !::FindNextFileW(m_find, &data))
        return false;
    entry.Assign(data);
    return true;
}

void FindFileIterator::Close() {
    if (m_find != INVALID_HANDLE_VALUE) {
        ::FindClose(m_find);
        m_find = INVALID_HANDLE_VALUE;
    }
}

VQFileFinder::VQFileFinder(VQFileFinderEnumCallback* callback, const std::wstring& patterns)
    : m_patternText(patterns), m_callback(callback) {}

bool VQFileFinder::Enum(const std::wstring& root) {
    std::wstring folder = root;
    if (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/'))
        folder.pop_back();
    // "X:" alone would name the drive's current folder, not its root.
    bool bareDrive = folder.size() == 2 && folder[1] == L':';
    DWORD attributes = ::GetFileAttributesW((bareDrive ? folder + L'\\' : folder).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return false;
    if (!m_patternText.empty())
        SplitAtChar(m_patternText, L';', m_patterns);
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return WalkFolder(folder);

    std::wstring path = NormalizeText(folder, kNormalizeBackslashes);
    std::wstring parent, separator, name;
    SplitFolderAndName(path, parent, separator, name);
    if (m_callback != nullptr && (m_callback->OnFile(name, parent) != 0 || m_callback->ShouldStop() > 0))
        return false;
    return true;
}

bool VQFileFinder::IsSkipped(const std::wstring& path) const {
    for (const std::wstring& pattern : m_patterns) {
        if (WildcardMatch(path.c_str(), pattern.c_str(), m_ignoreCase))
            return true;
    }
    return false;
}

bool VQFileFinder::WalkFolder(const std::wstring& folder) {
    if (m_callback != nullptr && m_callback->OnDirectory(folder) != 0)
        return false;
    std::vector<std::wstring> subfolders;
    FindFileIterator finder;
    FindFileEntry entry;
    for (bool found = finder.First(folder + L"\\*", entry); found; found = finder.Next(entry)) {
        if (entry.IsDots())
            continue;
        if (entry.IsFolder()) {
            std::wstring path = folder + L'\\' + entry.name;
            if (IsSkipped(path))
                continue;
            subfolders.push_back(path);
            if (m_callback != nullptr && m_callback->ShouldStop() > 0)
                return false;
        } else if (m_callback != nullptr &&
                   (m_callback->OnFile(entry.name, folder) != 0 || m_callback->ShouldStop() > 0)) {
            return false;
        }
    }
    finder.Close();
    if (!m_recursive)
        return true;
    for (const std::wstring& subfolder : subfolders) {
        if (!WalkFolder(subfolder))
            return false;
    }
    return true;
}

}  // namespace Tessar
