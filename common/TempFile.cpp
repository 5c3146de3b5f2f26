#include "common/TempFile.h"

#include "common/FileUtil.h"

#include <windows.h>

namespace Tessar {

bool GetTempFolder(std::wstring& folder) {
    wchar_t shortForm[MAX_PATH + 1];
    DWORD length = ::GetTempPathW(MAX_PATH + 1, shortForm);
    if (length == 0 || length > MAX_PATH - 1)
        return false;
    wchar_t longForm[520];
    DWORD longLength = ::GetLongPathNameW(shortForm, longForm, 520);
    folder = longLength > 0 && longLength < 520 ? longForm : shortForm;
    return true;
}

bool GetWindowsFolder(std::wstring& folder) {
    wchar_t buffer[MAX_PATH + 1];
    UINT length = ::GetWindowsDirectoryW(buffer, MAX_PATH + 1);
    if (length == 0 || length > MAX_PATH - 1)
        return false;
    folder = buffer;
    return true;
}

bool MakeTempFileName(const std::wstring& folder, const std::wstring& prefix, std::wstring& path) {
    wchar_t buffer[MAX_PATH + 1];
    if (::GetTempFileNameW(folder.c_str(), prefix.c_str(), 0, buffer) == 0)
        return false;
    path = buffer;
    return true;
}

TempFileHolder::~TempFileHolder() {
    ReleaseTempFile(*this);
}

bool CreateTempFile(TempFileHolder& holder, std::wstring& path) {
    ReleaseTempFile(holder);
    std::wstring folder;
    bool made = (GetTempFolder(folder) && MakeTempFileName(folder, L"VQ~", path)) ||
                (GetWindowsFolder(folder) && MakeTempFileName(folder, L"VQ~", path));
    if (!made)
        return false;
    holder.owned = true;
    holder.path = path;
    return true;
}

void ReleaseTempFile(TempFileHolder& holder) {
    if (!holder.owned)
        return;
    // A file already moved away or deleted is no longer ours either.
    if (ForceDeleteFile(holder.path) || ::GetLastError() == ERROR_FILE_NOT_FOUND) {
        holder.owned = false;
        holder.path.clear();
    }
}

}  // namespace Tessar
