#include "ui/SkinResources.h"

namespace Tessar {

// Until the skin manager is wired in: the program's own module and no folder.
HINSTANCE GetSkinResourceModule() {
    return ::GetModuleHandleW(nullptr);
}

std::wstring GetSkinResourceFolder() {
    return std::wstring();
}

}  // namespace Tessar
