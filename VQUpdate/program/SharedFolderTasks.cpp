#include "VQUpdate/program/SharedFolderTasks.h"

#include "VQCore/gamelib/AppPaths.h"
#include "VQCore/gamelib/LinkIniRecord.h"
#include "common/FileUtil.h"
#include "common/IniFile.h"
#include "common/PathText.h"
#include "common/ShellFolders.h"

#include <windows.h>

#include <vector>

namespace Tessar {

const wchar_t kInstallMarkerName[] = L"stat.vqs";

namespace {

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
    RemoveLinkIniShortcuts(GetSharedDataFolder(), GetDesktopFolder());
}

void RemoveLinkIniShortcuts(const std::wstring& sharedFolder, const std::wstring& desktopFolder) {
    std::wstring linkIniPath = GetLinkIniPath(sharedFolder);
    if (linkIniPath.empty())
        return;
    const IniFile linkIni(linkIniPath);
    std::vector<std::wstring> sections;
    linkIni.ListSections(sections);
    for (const std::wstring& section : sections)
        DeleteRecordedShortcutFiles(linkIni, section, desktopFolder, sharedFolder);
    ClearAndDelete(linkIniPath);
}

}  // namespace Tessar
