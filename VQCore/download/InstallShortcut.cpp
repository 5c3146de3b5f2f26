#include "VQCore/download/InstallShortcut.h"

#include "common/Shortcut.h"
#include "common/TextUtil.h"

#include <windows.h>

#include <objbase.h>

namespace Tessar {

const wchar_t kShortcutInstallMark[] = L"Z:\\##install##";

namespace {

// One COM apartment for the duration of a call, when the thread had none.
class VQComScope {
public:
    VQComScope() : m_result(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~VQComScope() {
        if (SUCCEEDED(m_result))
            ::CoUninitialize();
    }
    VQComScope(const VQComScope&) = delete;
    VQComScope& operator=(const VQComScope&) = delete;

private:
    HRESULT m_result;
};

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
