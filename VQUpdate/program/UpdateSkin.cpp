#include "VQUpdate/program/UpdateSkin.h"

#include "VQCore/gamelib/AppFolder.h"
#include "ui/SkinManager.h"

namespace Tessar {

std::wstring UpdateSkinFolder() {
    std::wstring folder = GetAppFolder();
    return folder.empty() ? std::wstring() : folder + L"skin\\";
}

std::wstring SelectedSkinLayoutPath() {
    VQSkinManager& skins = VQSkinManager::Instance();
    std::wstring folder = UpdateSkinFolder();
    if (folder.empty())
        return std::wstring();
    skins.RefreshSkinList(folder);
    std::wstring selected = skins.GetSelectedSkin();
    if (selected.empty())
        return std::wstring();
    for (const auto& skin : skins.GetSkinList()) {
        if (skin && skin->name == selected)
            return skin->path;
    }
    return std::wstring();
}

}  // namespace Tessar
