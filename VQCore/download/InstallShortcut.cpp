#include "VQCore/download/InstallShortcut.h"

#include "common/ComScope.h"
#include "common/Shortcut.h"
#include "common/TextUtil.h"

#include <windows.h>

namespace Tessar {

const wchar_t kShortcutInstallMark[] = L"Z:\\##install##";

namespace {

bool PointIntoFolder(std::wstring& field, const std::wstring& installFolder) {
    if (!StartsWith(field, kShortcutInstallMark))
        return false;
    ReplaceAll(field, kShortcutInstallMark, installFolder);
    return true;
}

}  // namespace

bool FixInstalledShortcut(const std::wstring& shortcutPath, const std::wstring& installFolder) {
    VQComScope com;
    ShortcutInfo info;
    if (!ReadShortcut(shortcutPath, info))
        return false;
    bool changed = PointIntoFolder(info.targetPath, installFolder);
    changed = PointIntoFolder(info.workingFolder, installFolder) || changed;
    changed = PointIntoFolder(info.iconPath, installFolder) || changed;
    if (!changed)
        return true;
    return CreateShortcut(info.description, info.targetPath, info.arguments, shortcutPath, info.iconPath,
                          info.iconIndex, info.workingFolder);
}

}  // namespace Tessar
