#include "VQCore/app/windows/DialogWindow.h"

#include "VQCore/app/start/ControlFactory.h"
#include "VQCore/gamelib/AppPaths.h"
#include "ui/Control.h"
#include "ui/DialogBuilder.h"
#include "ui/SkinManager.h"

namespace Tessar {

namespace {

const UINT kStyleResource = 331;

}  // namespace

std::wstring SelectedSkinLayoutFile() {
    VQSkinManager& skins = VQSkinManager::Instance();
    const std::wstring selected = skins.GetSelectedSkin();
    if (selected.empty()) return std::wstring();
    for (const auto& skin : skins.GetSkinList())
        if (skin && skin->name == selected) return skin->path;
    return std::wstring();
}

std::wstring GetWindowTextString(HWND hwnd) {
    if (!hwnd || !::IsWindow(hwnd)) return std::wstring();
    const int length = ::GetWindowTextLengthW(hwnd);
    if (length <= 0) return std::wstring();
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(hwnd, &text[0], length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

VQDialogWindow::~VQDialogWindow() {
    // A stack dialog whose window outlives it (its caller returned early)
    // takes the window with it, so no later message reaches a freed object.
    if (m_hwnd && ::IsWindow(m_hwnd)) {
        HWND window = m_hwnd;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        m_hwnd = nullptr;
        ::DestroyWindow(window);
    }
}

bool VQDialogWindow::CreateDialogWindow(HWND owner, const std::wstring& title, DWORD style, DWORD exStyle) {
    return Create(owner, title.c_str(), style, exStyle) != nullptr;
}

std::wstring VQDialogWindow::GetLayoutName() const {
    std::wstring name = GetWindowClassName();
    if (name.compare(0, 2, L"VQ") == 0) name.erase(0, 2);
    return name;
}

LRESULT VQDialogWindow::OnCreate(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) {
    VQDialogBuilderCallbackEx factory;
    const std::wstring layout = GetLayoutName();
    CreateFromLayout(L"#226", layout, MarkupFromResource, L"XML", &factory);
    VQPaintManager::AddPreTranslate(&m_paintManager);
    ApplySelectedSkin();
    SIZE size = m_paintManager.GetInitSize();
    const SIZE minimum = m_paintManager.GetMinInfo();
    if (minimum.cx > 0 && minimum.cy > 0) size = minimum;
    if (size.cx > 0 && size.cy > 0)
        ::SetWindowPos(m_hwnd, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    CenterWindow();
    OnLayoutReady();
    handled = TRUE;
    return 0;
}

LRESULT VQDialogWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kMsgReapplySkin) {
        ApplySelectedSkin();
        return 0;
    }
    return VQWindowImplBase::HandleMessage(message, wParam, lParam);
}

void VQDialogWindow::ApplySelectedSkin() {
    ChangeSkin(kStyleResource, GetLayoutName(), L"XML", GetSkinFolder(), SelectedSkinLayoutFile());
}

VQControl* VQDialogWindow::Find(int id) const { return m_paintManager.FindControlById(id); }

void VQDialogWindow::SetControlText(int id, const std::wstring& text) {
    if (VQControl* control = Find(id)) control->SetText(text);
}

void VQDialogWindow::SetControlVisible(int id, bool visible) {
    if (VQControl* control = Find(id)) control->SetVisible(visible);
}

void VQDialogWindow::EndWithResult(int result) {
    m_result = result;
    if (m_hwnd) ::PostMessageW(m_hwnd, WM_CLOSE, 0, 0);
}

bool VQDialogWindow::HandleStandardClick(int id) {
    switch (id) {
        case 100:
        case 131:
            EndWithResult(kDialogCancel);
            return true;
        case 130:
            EndWithResult(kDialogOk);
            return true;
        default:
            return false;
    }
}

}  // namespace Tessar
