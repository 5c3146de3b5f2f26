#include "VQCore/download/PackageSafety.h"

#include "common/FileHandle.h"
#include "common/FileUtil.h"
#include "common/PathText.h"

#include <vector>

namespace Tessar {

bool IsSafeEntryName(const std::wstring& name) {
    if (name.empty() || name == L"." || name == L"..")
        return false;
    if (name.find_first_of(L"\\/:") != std::wstring::npos)
        return false;
    wchar_t last = name[name.size() - 1];
    if (last == L'.' || last == L' ')
        return false;
    std::wstring found;
    return FindInvalidPathChars(name, found) && FindReservedNames(name, found);
}

bool IsSafeRelativePath(const std::wstring& path) {
    std::vector<std::wstring> parts;
    SplitPathParts(path, parts);
    if (parts.empty())
        return false;
    for (const std::wstring& part : parts) {
        if (!IsSafeEntryName(part))
            return false;
    }
    return true;
}

DWORD PackageAttributes(uint32_t stored) {
    // FILE_ATTRIBUTE_NORMAL is valid only alone.
    DWORD attributes = stored & kPackageAttributeMask & ~static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL);
    return attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL;
}

bool FinishExtractedFile(HANDLE& output, const std::wstring& path, bool written, const FILETIME& creation,
                         const FILETIME& access, const FILETIME& write) {
    if (written)
        SetFileHandleTime(output, &creation, &access, &write);
    if (!CloseFileHandleChecked(output))
        written = false;
    if (!written)
        DeleteFileClearReadOnly(path);
    return written;
}

bool ReadFileExactly(HANDLE file, void* buffer, uint32_t count) {
    unsigned char* at = static_cast<unsigned char*>(buffer);
    while (count > 0) {
        uint32_t read = 0;
        if (!ReadFileHandle(file, at, count, &read) || read > count)
            return false;
        at += read;
        count -= read;
    }
    return true;
}

}  // namespace Tessar
