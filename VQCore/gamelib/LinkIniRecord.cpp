#include "VQCore/gamelib/LinkIniRecord.h"

#include "common/FileUtil.h"
#include "common/IniFile.h"
#include "common/PathText.h"
#include "common/TextUtil.h"

#include <windows.h>

namespace Tessar {

const wchar_t kLinkIniShortcutKey[] = L"lnk";
const wchar_t kLinkIniIconKey[] = L"ico";
const wchar_t kLinkIniProgramKey[] = L"exe";
const wchar_t kLinkIniArgumentsKey[] = L"arg";

namespace {

const wchar_t kIconsFolderName[] = L"Icons";
const wchar_t kShortcutExtension[] = L".lnk";
const wchar_t kIconExtension[] = L".ico";

// An absolute path whose name ends with the extension and whose folder is
// exactly the given one: no "." or ".." part, no stream name, no other
// folder in between.
bool IsFileDirectlyIn(const std::wstring& path, const std::wstring& folder, const std::wstring& extension) {
    if (folder.empty() || !IsAbsolutePath(path))
        return false;
    std::wstring parent, separator, name;
    SplitFolderAndName(NormalizeText(path, kNormalizeBackslashes), parent, separator, name);
    if (separator.empty() || name.size() <= extension.size() || name.find(L':') != std::wstring::npos)
        return false;
    if (CompareNoCase(name.substr(name.size() - extension.size()), extension, extension.size()) != 0)
        return false;
    std::wstring have = NormalizeText(parent, kNormalizeLower | kNormalizeNoTrailingSeparator);
    std::wstring want = NormalizeText(folder, kNormalizeLower | kNormalizeBackslashes | kNormalizeNoTrailingSeparator);
    std::vector<std::wstring> parts;
    SplitPathParts(have, parts);
    for (const std::wstring& part : parts) {
        if (part == L"." || part == L"..")
            return false;
    }
    return !have.empty() && have == want;
}

bool IsLinkToElsewhere(const std::wstring& folder) {
    DWORD attributes = GetFileAttributesW(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

}  // namespace

std::wstring GetShortcutIconsFolder(const std::wstring& sharedFolder) {
    if (sharedFolder.empty())
        return std::wstring();
    return NormalizeText(sharedFolder, kNormalizeNoTrailingSeparator) + L"\\" + kIconsFolderName;
}

bool IsRecordableShortcut(const std::wstring& path, const std::wstring& desktopFolder) {
    return IsFileDirectlyIn(path, desktopFolder, kShortcutExtension);
}

bool IsRecordableIcon(const std::wstring& path, const std::wstring& sharedFolder) {
    std::wstring icons = GetShortcutIconsFolder(sharedFolder);
    return IsFileDirectlyIn(path, icons, kIconExtension) && !IsLinkToElsewhere(icons);
}

void DeleteRecordedShortcutFiles(const IniFile& linkIni, const std::wstring& section,
                                 const std::wstring& desktopFolder, const std::wstring& sharedFolder) {
    std::wstring shortcut = linkIni.ReadString(section, kLinkIniShortcutKey);
    if (IsRecordableShortcut(shortcut, desktopFolder) && FileExists(shortcut))
        DeleteFileClearReadOnly(shortcut);
    std::wstring icon = linkIni.ReadString(section, kLinkIniIconKey);
    if (IsRecordableIcon(icon, sharedFolder) && FileExists(icon))
        DeleteFileClearReadOnly(icon);
}

}  // namespace Tessar
