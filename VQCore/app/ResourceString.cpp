#include "VQCore/app/ResourceString.h"

#include "ui/SkinResources.h"

namespace Tessar {

std::wstring LoadResourceString(UINT id) {
    // With a zero length LoadStringW hands out a pointer into the resource.
    const wchar_t* text = nullptr;
    int length = LoadStringW(GetSkinResourceModule(), id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || text == nullptr) return std::wstring();
    return std::wstring(text, static_cast<size_t>(length));
}

}  // namespace Tessar
