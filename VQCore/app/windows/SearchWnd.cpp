#include "VQCore/app/windows/SearchWnd.h"

#include "VQCore/app/start/ResourceString.h"
#include "common/FormatText.h"
#include "ui/Container.h"
#include "ui/Layouts.h"
#include "ui/Option.h"

namespace Tessar {

namespace {

enum : UINT { kTextSearchMore = 1093, kTextPlaceholder = 1078 };
const uint32_t kItemGroup = 1;

// The value of one attribute in an attribute list (name="value" ...).
std::wstring AttributeOf(const std::wstring& list, const std::wstring& name) {
    const std::wstring key = name + L"=\"";
    const size_t start = list.find(key);
    if (start == std::wstring::npos) return std::wstring();
    const size_t end = list.find(L'"', start + key.size());
    return end == std::wstring::npos ? std::wstring() : list.substr(start + key.size(), end - start - key.size());
}

}  // namespace

VQSearchWnd::VQSearchWnd(const VQSearchBox& box) : m_box(box) {
    CreateDialogWindow(nullptr, std::wstring(), kDialogStyle, 0);
}

LRESULT VQSearchWnd::OnCreate(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) {
    const LONG_PTR style = ::GetWindowLongPtrW(m_hwnd, GWL_STYLE);
    ::SetWindowLongPtrW(m_hwnd, GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_CAPTION));
    m_paintManager.Init(m_hwnd);
    // A container that stacks its items.
    VQContainer* root = new VQVerticalLayout();
    m_paintManager.AttachRootControl(root);
    m_paintManager.AddNotifier(this);
    VQPaintManager::AddPreTranslate(&m_paintManager);
    ApplySelectedSkin();
    const std::wstring list = m_paintManager.GetDefaultAttributeList(L"List");
    if (!list.empty()) root->ApplyAttributeList(list);
    m_itemAttributes = m_paintManager.GetDefaultAttributeList(L"Item");
    m_listImage = AttributeOf(list, L"bknormalimage");
    RECT client = {};
    ::GetClientRect(m_hwnd, &client);
    if (!m_listImage.empty())
        root->SetAttribute(L"bknormalimage", m_listImage + FormatString(L" source='0,0,%d,%d'", client.right, client.bottom));
    handled = TRUE;
    return 0;
}

VQOption* VQSearchWnd::ItemAt(int index) const {
    auto* root = static_cast<VQContainer*>(m_paintManager.GetRoot());
    VQControl* item = root ? root->GetItemAt(index) : nullptr;
    return item ? static_cast<VQOption*>(item->GetInterface(ControlTypeOption)) : nullptr;
}

int VQSearchWnd::GetItemCount() const {
    auto* root = static_cast<VQContainer*>(m_paintManager.GetRoot());
    return root ? root->GetCount() : 0;
}

std::wstring VQSearchWnd::GetItemText(int index) const {
    VQOption* item = ItemAt(index);
    return item ? item->GetText() : std::wstring();
}

void VQSearchWnd::AddItem(const std::wstring& text) {
    AppendItem(text);
    Resize();
}

void VQSearchWnd::AppendItem(const std::wstring& text) {
    auto* root = static_cast<VQContainer*>(m_paintManager.GetRoot());
    if (!root) return;
    VQOption* item = new VQOption();
    if (!m_itemAttributes.empty()) item->ApplyAttributeList(m_itemAttributes);
    item->SetNotifyBit(NotifyMouseEnter, true);
    item->SetNotifyBit(NotifyMouseLeave, true);
    item->SetNotifyBit(NotifyLButtonDown, true);
    item->SetNormalTextColor(0x99FFFFFF);
    item->SetSelectedTextColor(0xFFFFFFFF);
    item->SetText(text);
    root->Add(item);
    item->SetGroup(kItemGroup);
}

void VQSearchWnd::AddMoreItem() { AddItem(LoadResourceString(kTextSearchMore)); }

bool VQSearchWnd::SetItems(const std::vector<std::wstring>& names) {
    const std::wstring more = LoadResourceString(kTextSearchMore);
    const int count = GetItemCount();
    bool same = count == static_cast<int>(names.size()) + 1 && GetItemText(count - 1) == more;
    for (int i = 0; same && i < count - 1; ++i) same = GetItemText(i) == names[static_cast<size_t>(i)];
    if (same) {
        // As a new list would: nothing picked.
        const int picked = GetSelectedIndex();
        if (VQOption* item = ItemAt(picked)) item->Selected(false);
        return false;
    }
    ClearItems();
    for (const std::wstring& name : names) AppendItem(name);
    AppendItem(more);
    // One move of the window for the whole list, not one per name.
    Resize();
    return true;
}

void VQSearchWnd::ClearItems() {
    if (auto* root = static_cast<VQContainer*>(m_paintManager.GetRoot())) root->RemoveAll();
}

void VQSearchWnd::Resize() {
    auto* root = static_cast<VQContainer*>(m_paintManager.GetRoot());
    if (!root) return;
    const int count = root->GetCount();
    const int padding = root->GetChildPadding();
    const RECT inset = root->GetInset();
    const int height = count * (kItemHeight + padding) - padding + inset.top + inset.bottom;
    if (!m_listImage.empty())
        root->SetAttribute(L"bknormalimage", m_listImage + FormatString(L" source='0,0,%d,%d'", kWidth, height));
    ::SetWindowPos(m_hwnd, nullptr, 0, 0, kWidth, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int VQSearchWnd::GetSelectedIndex() const {
    for (int i = 0; i < GetItemCount(); ++i)
        if (VQOption* item = ItemAt(i))
            if (item->IsSelected()) return i;
    return -1;
}

void VQSearchWnd::Select(int index) {
    const int current = GetSelectedIndex();
    if (current >= 0 && current != index)
        if (VQOption* item = ItemAt(current)) item->Selected(false);
    if (VQOption* item = ItemAt(index))
        if (!item->IsSelected()) item->Selected(true);
}

LRESULT VQSearchWnd::OnKeyDown(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) {
    const int count = GetItemCount();
    const int current = GetSelectedIndex();
    switch (wParam) {
    case VK_DOWN:
        if (count > 0) Select(current < 0 || current + 1 >= count ? 0 : current + 1);
        if (m_box.passKey) m_box.passKey(VK_DOWN);
        return 0;
    case VK_UP:
        if (count > 0) Select(current <= 0 ? count - 1 : current - 1);
        if (m_box.passKey) m_box.passKey(VK_UP);
        return 0;
    case VK_RETURN:
        if (current >= 0) Choose(current, false);
        return 0;
    default:
        handled = FALSE;
        return 0;
    }
}

LRESULT VQSearchWnd::OnKillFocus(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) {
    ::ShowWindow(m_hwnd, SW_HIDE);
    handled = FALSE;
    return 0;
}

void VQSearchWnd::Notify(VQNotifyMsg& msg) {
    if (!msg.sender) return;
    int index = -1;
    for (int i = 0; i < GetItemCount(); ++i)
        if (ItemAt(i) == msg.sender) index = i;
    if (index < 0) return;
    switch (msg.type) {
    case NotifyMouseEnter: Select(index); break;
    case NotifyMouseLeave:
        if (VQOption* item = ItemAt(index)) item->Selected(false);
        break;
    case NotifyLButtonDown: Choose(index, true); break;
    default: break;
    }
}

void VQSearchWnd::Choose(int index, bool byMouse) {
    const int count = GetItemCount();
    if (index < 0 || index >= count) return;
    const std::wstring boxText = m_box.getText ? m_box.getText() : std::wstring();
    if (index == count - 1) {
        // The search-more entry searches what was typed, never the placeholder.
        if (!boxText.empty() && boxText != LoadResourceString(kTextPlaceholder) && m_box.runSearch)
            m_box.runSearch(boxText);
        return;
    }
    const std::wstring text = GetItemText(index);
    ::ShowWindow(m_hwnd, SW_HIDE);
    if (byMouse) {
        ::EnableWindow(m_hwnd, FALSE);
        m_choosing = true;
        if (m_box.setText) m_box.setText(text);
        if (m_box.runSearch) m_box.runSearch(text);
        ::EnableWindow(m_hwnd, TRUE);
    } else if (_wcsicmp(text.c_str(), boxText.c_str()) != 0) {
        m_choosing = true;
        if (m_box.setText) m_box.setText(text);
        if (m_box.runSearch) m_box.runSearch(text);
    }
}

bool VQSearchWnd::TakeChoosingFlag() {
    const bool was = m_choosing;
    m_choosing = false;
    return was;
}

}  // namespace Tessar
