#include "VQCore/download/SourceFolder.h"

#include "common/PathText.h"

#include <algorithm>

namespace Tessar {

bool ListFolderSorted(const std::wstring& folder, std::vector<FindFileEntry>& entries) {
    entries.clear();
    FindFileIterator finder;
    FindFileEntry entry;
    if (!finder.First(CombinePath(folder, L"*"), entry))
        return false;
    do {
        if (!entry.IsDots())
            entries.push_back(entry);
    } while (finder.Next(entry));
    std::sort(entries.begin(), entries.end(),
              [](const FindFileEntry& a, const FindFileEntry& b) { return a.name < b.name; });
    return true;
}

FILETIME ToFileTime(uint64_t value) {
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(value);
    time.dwHighDateTime = static_cast<DWORD>(value >> 32);
    return time;
}

}  // namespace Tessar
