#include "VQCore/app/start/ResourceString.h"

#include "ui/SkinManager.h"

namespace Tessar {

std::wstring LoadResourceString(UINT id) {
    // With a zero length LoadStringW hands out a pointer into the resource.
    const wchar_t* text = nullptr;
    int length = LoadStringW(VQSkinManager::Instance().GetResourceModule(), id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || text == nullptr) return std::wstring();
    return std::wstring(text, static_cast<size_t>(length));
}

}  // namespace Tessar
