// The skinned-window steps that go through the markup builder and the skin
// manager: building a window's layout, applying style descriptions, and
// changing the skin of a window that is open.
#include "ui/PaintManager.h"
#include "ui/WindowImplBase.h"

#include <cwchar>

#if __has_include("ui/SkinManager.h")
#include "ui/SkinManager.h"
#define VQ_HAVE_SKIN_MANAGER 1
#endif

#if __has_include("ui/DialogBuilder.h")
#include "ui/DialogBuilder.h"
#define VQ_HAVE_DIALOG_BUILDER 1
#endif

namespace Tessar {

bool VQPaintManager::LoadStyle(const std::wstring& markup, const std::wstring& windowName, int sourceKind) {
#ifdef VQ_HAVE_DIALOG_BUILDER
    VQDialogBuilder builder;
    return builder.LoadMarkup(this, markup, windowName, sourceKind);
#else
    (void)markup;
    (void)windowName;
    (void)sourceKind;
    return false;
#endif
}

bool VQWindowImplBase::CreateFromLayout(const std::wstring& markup, const std::wstring& windowName, int sourceKind,
                                        const std::wstring& resourceType, IBuilderCallback* callback) {
    if (!::IsWindow(m_hwnd)) return false;
    // The skin draws the frame.
    const LONG_PTR style = ::GetWindowLongPtrW(m_hwnd, GWL_STYLE);
    ::SetWindowLongPtrW(m_hwnd, GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_CAPTION));
    m_paintManager.Init(m_hwnd);
#ifdef VQ_HAVE_DIALOG_BUILDER
    VQDialogBuilder builder;
    VQControl* root = builder.Create(markup, windowName, sourceKind, resourceType, &m_paintManager, callback);
    if (!root) return false;
    m_paintManager.AttachRootControl(root);
    m_paintManager.AddNotifier(this);
    return true;
#else
    (void)markup;
    (void)windowName;
    (void)sourceKind;
    (void)resourceType;
    (void)callback;
    return false;
#endif
}

namespace {

// Markup source kinds of the markup builder.
const int kStyleFromFile = 2;
const int kStyleFromResource = 3;

#ifdef VQ_HAVE_SKIN_MANAGER
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
#endif

}  // namespace

void VQWindowImplBase::ChangeSkin(UINT resourceId, const std::wstring& windowName, const std::wstring& extra,
                                  const std::wstring& skinFolder, const std::wstring& skinLayoutPath) {
    (void)extra;
#ifdef VQ_HAVE_SKIN_MANAGER
    if (IsInstalledSkinLayout(skinLayoutPath)) {
        UseResourceFolder(skinFolder);
        m_paintManager.LoadStyle(skinLayoutPath, windowName, kStyleFromFile);
    } else {
        UseResourceFolder(std::wstring());
        m_paintManager.LoadStyle(L"#" + std::to_wstring(resourceId), windowName, kStyleFromResource);
    }
#else
    (void)skinFolder;
    (void)skinLayoutPath;
    m_paintManager.LoadStyle(L"#" + std::to_wstring(resourceId), windowName, kStyleFromResource);
#endif
    if (!::IsWindow(m_hwnd)) return;
    if (m_paintManager.IsLayered())
        m_paintManager.PaintLayered(255);
    else
        ::InvalidateRect(m_hwnd, nullptr, FALSE);
}

}  // namespace Tessar
