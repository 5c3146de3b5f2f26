#include "VQUpdate/program/SharedFolderTasks.h"

#include "VQCore/gamelib/AppPaths.h"
#include "common/FileUtil.h"
#include "common/PathText.h"

#include <windows.h>

#include <vector>

namespace Tessar {

const wchar_t kInstallMarkerName[] = L"stat.vqs";

namespace {

const DWORD kSectionNamesLength = 2048;
const DWORD kValueLength = 260;
const wchar_t* const kLinkIniFileKeys[] = {L"lnk", L"ico"};

bool ClearAndDelete(const std::wstring& path) {
    return SetFileAttributesW(path.c_str(), 0) && DeleteFileW(path.c_str());
}

}  // namespace

bool WriteInstallMarker(const std::wstring& sharedFolder) {
    if (sharedFolder.empty())
        return false;
    if (!FolderExists(sharedFolder) && !CreateFolderChain(sharedFolder))
        return false;
    std::wstring marker = CombinePath(sharedFolder, kInstallMarkerName);
    HANDLE file = CreateFileW(marker.c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

void RemoveLinkIniShortcuts() {
    RemoveLinkIniShortcuts(GetLinkIniPath());
}

void RemoveLinkIniShortcuts(const std::wstring& linkIniPath) {
    if (linkIniPath.empty())
        return;
    std::vector<wchar_t> names(kSectionNamesLength, L'\0');
    DWORD length = GetPrivateProfileSectionNamesW(names.data(), kSectionNamesLength, linkIniPath.c_str());
    for (const wchar_t* section = names.data(); length > 0 && *section != L'\0'; section += wcslen(section) + 1) {
        if (section >= names.data() + length)
            break;
        for (const wchar_t* key : kLinkIniFileKeys) {
            wchar_t value[kValueLength] = {};
            GetPrivateProfileStringW(section, key, L"", value, kValueLength, linkIniPath.c_str());
            if (value[0] != L'\0' && FileExists(value))
                ClearAndDelete(value);
        }
    }
    ClearAndDelete(linkIniPath);
}

}  // namespace Tessar
