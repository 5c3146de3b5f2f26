// The skinned-window steps that go through the markup builder and the skin
// manager: building a window's layout, applying style descriptions, and
// changing the skin of a window that is open.
#include "ui/PaintManager.h"
#include "ui/WindowImplBase.h"

#include <cwchar>

#include "ui/DialogBuilder.h"
#include "ui/SkinManager.h"

namespace Tessar {

bool VQPaintManager::LoadStyle(const std::wstring& markup, const std::wstring& windowName, int sourceKind) {
    VQDialogBuilder builder;
    return builder.LoadMarkup(this, markup, windowName, sourceKind);
}

bool VQWindowImplBase::CreateFromLayout(const std::wstring& markup, const std::wstring& windowName, int sourceKind,
                                        const std::wstring& resourceType, IBuilderCallback* callback) {
    if (!::IsWindow(m_hwnd)) return false;
    // The skin draws the frame.
    const LONG_PTR style = ::GetWindowLongPtrW(m_hwnd, GWL_STYLE);
    ::SetWindowLongPtrW(m_hwnd, GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_CAPTION));
    m_paintManager.Init(m_hwnd);
    VQDialogBuilder builder;
    VQControl* root = builder.Create(markup, windowName, sourceKind, resourceType, &m_paintManager, callback);
    if (!root) return false;
    m_paintManager.AttachRootControl(root);
    m_paintManager.AddNotifier(this);
    return true;
}

namespace {

// The listed skin whose layout file is `path` (paths compare without
// regard to case, as the file system does), when that file exists.
bool IsInstalledSkinLayout(const std::wstring& path) {
    if (path.empty()) return false;
    for (const auto& skin : VQSkinManager::Instance().GetSkinList())
        if (skin && _wcsicmp(skin->path.c_str(), path.c_str()) == 0)
            return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    return false;
}

// Images are cached by file name: another folder means other pictures
// under the same names, so the caches start again.
void UseResourceFolder(const std::wstring& folder) {
    VQSkinManager& skins = VQSkinManager::Instance();
    const std::wstring before = skins.GetResourceFolder();
    skins.SetResourceFolder(folder);
    if (skins.GetResourceFolder() != before) skins.FreeImageCaches();
}

}  // namespace

void VQWindowImplBase::ChangeSkin(UINT resourceId, const std::wstring& windowName, const std::wstring& extra,
                                  const std::wstring& skinFolder, const std::wstring& skinLayoutPath) {
    (void)extra;
    if (IsInstalledSkinLayout(skinLayoutPath)) {
        UseResourceFolder(skinFolder);
        m_paintManager.LoadStyle(skinLayoutPath, windowName, MarkupFromFile);
    } else {
        UseResourceFolder(std::wstring());
        m_paintManager.LoadStyle(L"#" + std::to_wstring(resourceId), windowName, MarkupFromResource);
    }
    if (!::IsWindow(m_hwnd)) return;
    if (m_paintManager.IsLayered())
        m_paintManager.PaintLayered(255);
    else
        ::InvalidateRect(m_hwnd, nullptr, FALSE);
}

}  // namespace Tessar
