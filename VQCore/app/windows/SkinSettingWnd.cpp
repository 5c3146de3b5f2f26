#include "VQCore/app/windows/SkinSettingWnd.h"

#include "VQCore/gamelib/AppPaths.h"
#include "ui/Container.h"
#include "ui/Control.h"
#include "ui/Option.h"
#include "ui/PaintManager.h"
#include "ui/SkinManager.h"

namespace Tessar {

namespace {

enum : int { kCloseId = 100 };

VQContainer* ListOf(const VQPaintManager& manager) {
    VQControl* control = manager.FindControlById(VQSkinSettingWnd::kListId);
    return control ? static_cast<VQContainer*>(control->GetInterface(ControlTypeContainer)) : nullptr;
}

VQOption* OptionOf(VQControl* control) {
    return control ? static_cast<VQOption*>(control->GetInterface(ControlTypeOption)) : nullptr;
}

// The preview lies in the skin's own folder, next to its "MarloxWnd.xml".
std::wstring PreviewPathOf(const VQSkinInfo& skin) {
    const size_t slash = skin.path.find_last_of(L"\\/");
    const std::wstring folder = slash == std::wstring::npos ? GetSkinFolder() : skin.path.substr(0, slash + 1);
    return folder + skin.preview;
}

}  // namespace

VQSkinSettingWnd::VQSkinSettingWnd(HWND owner, std::function<void()> onChosen) : m_onChosen(std::move(onChosen)) {
    CreateDialogWindow(owner, GetWindowTextString(owner), kDialogStyle, WS_EX_DLGMODALFRAME | WS_EX_TOPMOST);
}

void VQSkinSettingWnd::OnLayoutReady() { FillSkinList(); }

void VQSkinSettingWnd::FillSkinList() {
    VQContainer* list = ListOf(m_paintManager);
    if (!list) return;
    VQSkinManager& skins = VQSkinManager::Instance();
    const std::wstring selected = skins.GetSelectedSkin();
    m_filling = true;
    VQOption* checked = nullptr;
    for (const auto& skin : skins.GetSkinList()) {
        if (!skin) continue;
        auto* option = new VQOption();
        option->SetText(skin->name);
        option->SetAttribute(L"bknormalimage", L"file='" + PreviewPathOf(*skin) + L"' dest='0,0,100,65'");
        if (!list->Add(option)) {
            delete option;
            continue;
        }
        if (!selected.empty() && skin->name == selected) checked = option;
    }
    // A selection that is not listed shows the built-in skin as chosen.
    if (!checked && list->GetCount() > 0) checked = OptionOf(list->GetItemAt(0));
    if (checked) checked->Selected(true);
    m_filling = false;
    SIZE size = m_paintManager.GetInitSize();
    if (size.cx > 0 && size.cy > 0)
        ::SetWindowPos(m_hwnd, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void VQSkinSettingWnd::ShowAt(int x, int y) {
    POINT point = {x, y};
    HWND parent = ::GetWindow(m_hwnd, GW_OWNER);
    if (parent) ::ClientToScreen(parent, &point);
    ::SetWindowPos(m_hwnd, nullptr, point.x, point.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT VQSkinSettingWnd::OnKillFocus(UINT, WPARAM, LPARAM, BOOL& handled) {
    ::ShowWindow(m_hwnd, SW_HIDE);
    handled = FALSE;
    return 0;
}

LRESULT VQSkinSettingWnd::OnNcCalcSize(UINT, WPARAM, LPARAM, BOOL& handled) {
    handled = TRUE;
    return 0;
}

LRESULT VQSkinSettingWnd::OnNcPaint(UINT, WPARAM, LPARAM, BOOL& handled) {
    handled = TRUE;
    return 0;
}

void VQSkinSettingWnd::Notify(VQNotifyMsg& msg) {
    if (msg.type == NotifyClick && msg.sender && msg.sender->GetId() == kCloseId) {
        ::ShowWindow(m_hwnd, SW_HIDE);
    } else if (msg.type == NotifySelectionChanged && !m_filling && msg.wParam != 0 && msg.sender &&
               msg.sender->GetParent() == ListOf(m_paintManager)) {
        ApplyChoice(msg.sender);
    }
}

void VQSkinSettingWnd::ApplyChoice(VQControl* option) {
    VQContainer* list = ListOf(m_paintManager);
    // The first item is the built-in skin: an empty name.
    const std::wstring name = list && list->GetItemAt(0) == option ? std::wstring() : option->GetText();
    VQSkinManager::Instance().SetSelectedSkin(name);
    ApplySelectedSkin();
    if (m_onChosen) m_onChosen();
}

std::vector<std::wstring> VQSkinSettingWnd::ItemNames() const {
    std::vector<std::wstring> names;
    if (VQContainer* list = ListOf(m_paintManager))
        for (int i = 0; i < list->GetCount(); ++i) names.push_back(list->GetItemAt(i)->GetText());
    return names;
}

int VQSkinSettingWnd::CheckedIndex() const {
    if (VQContainer* list = ListOf(m_paintManager))
        for (int i = 0; i < list->GetCount(); ++i) {
            VQOption* option = OptionOf(list->GetItemAt(i));
            if (option && option->IsSelected()) return i;
        }
    return -1;
}

bool VQSkinSettingWnd::Choose(int index) {
    VQContainer* list = ListOf(m_paintManager);
    VQOption* option = list && index >= 0 && index < list->GetCount() ? OptionOf(list->GetItemAt(index)) : nullptr;
    if (!option) return false;
    // Choosing the checked skin again stores and reapplies it.
    if (option->IsSelected())
        ApplyChoice(option);
    else
        option->Selected(true);
    return true;
}

}  // namespace Tessar
