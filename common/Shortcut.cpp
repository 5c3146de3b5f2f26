#include "common/Shortcut.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <vector>

#include "common/ComPtr.h"
#include "common/FileUtil.h"
#include "common/PathText.h"
#include "common/SystemUtil.h"
#include "common/TextUtil.h"

namespace Tessar {

namespace {

const wchar_t kShortcutExtension[] = L".lnk";
const DWORD kShortcutLoadMode = STGM_READ | STGM_SHARE_DENY_READ;  // 0x30
const int kPathChars = 260;
const int kLongTextChars = 1024;

// The extension counts as ".lnk" when one of the two begins the other.
bool HasShortcutExtension(const std::wstring& name) {
    std::wstring extension = GetFileExtension(name);
    return !extension.empty() && PrefixCompareNoCase(extension, kShortcutExtension) == 0;
}

bool CreateLinkObject(VQComPtr<IShellLinkW>& link, VQComPtr<IPersistFile>& file) {
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  link.ReceiveVoid())) ||
        !link)
        return false;
    return SUCCEEDED(link->QueryInterface(IID_IPersistFile, file.ReceiveVoid())) && file;
}

bool LoadLinkObject(const std::wstring& shortcutPath, VQComPtr<IShellLinkW>& link) {
    if (!FileExists(shortcutPath) || !HasShortcutExtension(shortcutPath))
        return false;
    VQComPtr<IPersistFile> file;
    if (!CreateLinkObject(link, file))
        return false;
    return SUCCEEDED(file->Load(shortcutPath.c_str(), kShortcutLoadMode));
}

// Reads one text of the link into a zeroed buffer one character longer
// than the length handed to the call.
template <typename Read>
bool ReadLinkText(int chars, std::wstring& text, Read read) {
    std::vector<wchar_t> buffer(static_cast<size_t>(chars) + 1, L'\0');
    if (FAILED(read(buffer.data(), chars)))
        return false;
    text = buffer.data();
    return true;
}

}  // namespace

bool CreateShortcut(const std::wstring& description, const std::wstring& targetPath,
                    const std::wstring& arguments, const std::wstring& shortcutPath,
                    const std::wstring& iconPath, int32_t iconIndex, const std::wstring& workingFolder) {
    if (targetPath.empty() || shortcutPath.empty())
        return false;
    std::wstring linkFolder = workingFolder.empty() ? GetFullPathFolder(targetPath) : workingFolder;
    if (linkFolder.empty())
        return false;

    std::wstring name = GetFullPathFileName(shortcutPath);
    std::wstring folder = GetFullPathFolder(shortcutPath);
    if (name.empty() || folder.empty())
        return false;
    folder = NormalizeText(folder, kNormalizeNoTrailingSeparator);
    if (!FolderExists(folder))
        CreateFolderChain(folder);
    if (!FolderExists(folder))
        return false;

    // Judged on the name alone: a dot in a folder name says nothing about
    // the file's extension.
    std::wstring linkPath = folder + L'\\' + name;
    if (!HasShortcutExtension(name))
        linkPath += kShortcutExtension;

    VQComPtr<IShellLinkW> link;
    VQComPtr<IPersistFile> file;
    if (!CreateLinkObject(link, file))
        return false;
    link->SetPath(targetPath.c_str());
    link->SetWorkingDirectory(linkFolder.c_str());
    if (!iconPath.empty())
        link->SetIconLocation(iconPath.c_str(), 0);
    else if (iconIndex >= 0)
        link->SetIconLocation(targetPath.c_str(), iconIndex);
    link->SetArguments(arguments.c_str());
    link->SetDescription(description.c_str());

    // Deleted first so that a failed save leaves no old shortcut behind.
    if (FileExists(linkPath))
        ::DeleteFileW(linkPath.c_str());
    return SUCCEEDED(file->Save(linkPath.c_str(), TRUE));
}

bool ReadShortcutTarget(const std::wstring& shortcutPath, std::wstring& targetPath, uint32_t& targetAttributes,
                        std::wstring& workingFolder, std::wstring& arguments) {
    targetPath.clear();
    workingFolder.clear();
    arguments.clear();
    targetAttributes = 0;
    VQComPtr<IShellLinkW> link;
    if (!LoadLinkObject(shortcutPath, link))
        return false;

    WIN32_FIND_DATAW findData = {};
    if (ReadLinkText(kPathChars, targetPath, [&](wchar_t* buffer, int chars) {
            return link->GetPath(buffer, chars, &findData, SLGP_RAWPATH);
        })) {
        targetPath = ExpandEnvironmentText(targetPath);
        targetAttributes = findData.dwFileAttributes;
    }
    if (ReadLinkText(kPathChars, workingFolder,
                     [&](wchar_t* buffer, int chars) { return link->GetWorkingDirectory(buffer, chars); }))
        workingFolder = ExpandEnvironmentText(workingFolder);
    ReadLinkText(kPathChars, arguments,
                 [&](wchar_t* buffer, int chars) { return link->GetArguments(buffer, chars); });
    return !targetPath.empty();
}

bool ReadShortcut(const std::wstring& shortcutPath, ShortcutInfo& info) {
    info.targetPath.clear();
    VQComPtr<IShellLinkW> link;
    if (!LoadLinkObject(shortcutPath, link))
        return false;

    ReadLinkText(kPathChars, info.targetPath, [&](wchar_t* buffer, int chars) {
        return link->GetPath(buffer, chars, nullptr, SLGP_RAWPATH);
    });
    ReadLinkText(kPathChars, info.workingFolder,
                 [&](wchar_t* buffer, int chars) { return link->GetWorkingDirectory(buffer, chars); });
    ReadLinkText(kLongTextChars, info.arguments,
                 [&](wchar_t* buffer, int chars) { return link->GetArguments(buffer, chars); });
    ReadLinkText(kLongTextChars, info.description,
                 [&](wchar_t* buffer, int chars) { return link->GetDescription(buffer, chars); });
    int iconIndex = 0;
    if (ReadLinkText(kPathChars, info.iconPath, [&](wchar_t* buffer, int chars) {
            return link->GetIconLocation(buffer, chars, &iconIndex);
        }))
        info.iconIndex = iconIndex;
    WORD hotKey = 0;
    if (SUCCEEDED(link->GetHotkey(&hotKey)))
        info.hotKey = hotKey;
    int showCommand = 0;
    if (SUCCEEDED(link->GetShowCmd(&showCommand)))
        info.showCommand = showCommand;
    return !info.targetPath.empty();
}

}  // namespace Tessar
