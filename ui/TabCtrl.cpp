#include "ui/TabCtrl.h"

#include "ui/MarkupValue.h"
#include "ui/PaintManager.h"

namespace Tessar {

namespace {

VQTabItem* AsTabItem(VQControl* control) {
    return control ? static_cast<VQTabItem*>(control->GetInterface(ControlTypeTabItem)) : nullptr;
}

}  // namespace

VQTabCtrl::VQTabCtrl() {}

VQTabCtrl::~VQTabCtrl() {
    m_selected = nullptr;
    m_previous = nullptr;
    for (VQControl* child : m_children)
        if (VQTabItem* item = AsTabItem(child)) item->SetTabCtrl(nullptr);
}

VQControl* VQTabCtrl::GetInterface(int type) {
    if (type == ControlTypeTab) return this;
    return VQContainer::GetInterface(type);
}

bool VQTabCtrl::Add(VQControl* control) {
    return AddItem(control, -1);
}

bool VQTabCtrl::AddAt(VQControl* control, int index) {
    return AddItem(control, index);
}

bool VQTabCtrl::AddItem(VQControl* control, int index) {
    VQTabItem* item = AsTabItem(control);
    if (!item) return false;
    item->SetTabCtrl(this);
    bool added = index < 0 ? VQContainer::Add(control) : VQContainer::AddAt(control, index);
    if (!added) return false;
    item->SetGroup(m_group);
    if (!m_itemAttributes.empty()) item->ApplyAttributeList(m_itemAttributes);
    NeedParentUpdate();
    InvalidatePage();
    return true;
}

void VQTabCtrl::ForgetItem(VQControl* control) {
    if (control == m_selected) m_selected = nullptr;
    if (control == m_previous) m_previous = nullptr;
}

bool VQTabCtrl::Remove(VQControl* control) {
    if (GetItemIndex(control) < 0) return false;
    ForgetItem(control);
    if (VQTabItem* item = AsTabItem(control)) item->SetTabCtrl(nullptr);
    return VQContainer::Remove(control);
}

bool VQTabCtrl::RemoveAt(int index) {
    VQControl* control = GetItemAt(index);
    return control ? Remove(control) : false;
}

void VQTabCtrl::RemoveAll() {
    m_selected = nullptr;
    m_previous = nullptr;
    for (VQControl* child : m_children)
        if (VQTabItem* item = AsTabItem(child)) item->SetTabCtrl(nullptr);
    VQContainer::RemoveAll();
}

bool VQTabCtrl::IsVisible() const {
    return !m_children.empty() && m_visible;
}

void VQTabCtrl::SetPos(int left, int top, int right, int bottom) {
    VQControl::SetPos(left, top, right, bottom);
    ArrangeLine(m_vertical ? LineAxis::Vertical : LineAxis::Horizontal);
}

void VQTabCtrl::SetAttribute(const std::wstring& name, const std::wstring& value) {
    if (name == L"group")
        SetGroup(static_cast<uint32_t>(_wtoi(value.c_str())));
    else if (name == L"item")
        SetItemAttributes(value);
    else if (name == L"vertical")
        m_vertical = ParseMarkupBool(value);
    else
        VQContainer::SetAttribute(name, value);
}

void VQTabCtrl::InvalidatePage() {
    if (m_selected && m_manager) {
        if (VQControl* page = m_manager->FindControlById(m_selected->GetControlId())) page->Invalidate();
    }
    Invalidate();
}

void VQTabCtrl::SetSelectedItem(VQTabItem* item) {
    m_previous = m_selected;
    m_selected = item;
    if (m_previous) m_previous->m_format &= ~FormatTopmost;
    if (m_selected) m_selected->m_format |= FormatTopmost;
    if (m_manager) m_manager->SendNotify(this, NotifySelectionChanged, 0, 0);
}

int VQTabCtrl::SelectItem(int index) {
    VQTabItem* item = AsTabItem(GetItemAt(index));
    if (!item) return -1;
    item->Selected(true);
    return index;
}

void VQTabCtrl::SetGroup(uint32_t group) {
    m_group = group;
    for (VQControl* child : m_children) {
        VQTabItem* item = AsTabItem(child);
        if (!item || item->GetGroup() == group) continue;
        item->SetGroup(group);
        item->Selected(item->IsSelected());
    }
}

void VQTabCtrl::SetItemAttributes(const std::wstring& list) {
    m_itemAttributes = list;
    for (VQControl* child : m_children) child->ApplyAttributeList(list);
}

}  // namespace Tessar
