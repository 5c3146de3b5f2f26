#include "ui/SkinResources.h"

#include "ui/SkinManager.h"

namespace Tessar {

// The skin manager's module (the program's own until another is set) and
// the selected skin's folder.
HINSTANCE GetSkinResourceModule() {
    return VQSkinManager::Instance().GetResourceModule();
}

std::wstring GetSkinResourceFolder() {
    return VQSkinManager::Instance().GetResourceFolder();
}

}  // namespace Tessar
