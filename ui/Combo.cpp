#include "ui/Combo.h"

#include <cwchar>

#include "ui/ComboWnd.h"
#include "ui/PaintManager.h"

namespace Tessar {

namespace {

VQComboElement* AsComboElement(VQControl* control) {
    return control ? static_cast<VQComboElement*>(control->GetInterface(ControlTypeComboElement)) : nullptr;
}

// Two numbers with any single separator: "120,200", "120x200".
SIZE ParseTwoNumbers(const std::wstring& value) {
    wchar_t* end = nullptr;
    SIZE size = {0, 0};
    size.cx = static_cast<LONG>(wcstol(value.c_str(), &end, 10));
    if (end && *end) size.cy = static_cast<LONG>(wcstol(end + 1, nullptr, 10));
    return size;
}

}  // namespace

VQComboElement::VQComboElement() {
    SetFlag(FlagTabStop, true);
}

VQControl* VQComboElement::GetInterface(int type) {
    if (type == ControlTypeComboElement) return this;
    return VQOption::GetInterface(type);
}

bool VQComboElement::Activate(VQEvent& event) {
    VQContainer* list = m_parent ? static_cast<VQContainer*>(m_parent->GetInterface(ControlTypeContainer)) : nullptr;
    if (m_owner && list) m_owner->SelectItem(list->GetItemIndex(this));
    OnMouseLeave(event);
    return true;
}

void VQComboElement::OnMouseMove(VQEvent& event) {
    if (!m_selected) Selected(true);
    VQOption::OnMouseMove(event);
}

VQCombo::VQCombo() {}

VQCombo::~VQCombo() {
    if (m_dropDown) {
        VQComboWnd* dropDown = m_dropDown;
        m_dropDown = nullptr;
        dropDown->Abandon();
    }
    std::vector<VQComboElement*> items;
    items.swap(m_items);
    if (m_autoDestroy)
        for (VQComboElement* item : items) delete item;
    else
        for (VQComboElement* item : items) item->SetOwnerCombo(nullptr);
}

VQControl* VQCombo::GetInterface(int type) {
    if (type == ControlTypeCombo) return this;
    return VQContainer::GetInterface(type);
}

bool VQCombo::Add(VQControl* control) {
    VQComboElement* item = AsComboElement(control);
    return item ? AddItemAt(item, GetItemCount()) : VQContainer::Add(control);
}

bool VQCombo::AddAt(VQControl* control, int index) {
    VQComboElement* item = AsComboElement(control);
    return item ? AddItemAt(item, index) : VQContainer::AddAt(control, index);
}

bool VQCombo::AddItemAt(VQComboElement* item, int index) {
    item->SetOwnerCombo(this);
    if (m_manager && !item->GetManager()) item->SetManager(m_manager);
    if (index < 0) index = 0;
    if (index > GetItemCount()) index = GetItemCount();
    m_items.insert(m_items.begin() + index, item);
    return true;
}

void VQCombo::SetManager(VQPaintManager* manager) {
    VQContainer::SetManager(manager);
    // Items of a closed combo belong to the combo's window.
    if (!m_dropDown)
        for (VQComboElement* item : m_items) item->SetManager(manager);
}

VQComboElement* VQCombo::GetComboItem(int index) const {
    if (index < 0 || index >= GetItemCount()) return nullptr;
    return m_items[index];
}

void VQCombo::DoInit() {
    SelectItem(0);
    VQContainer::DoInit();
}

bool VQCombo::SelectItem(int index) {
    if (m_dropDown) m_dropDown->Close();
    if (index == m_selected) return true;
    if (index < 0 || m_items.empty()) return false;
    if (index >= GetItemCount()) index = GetItemCount() - 1;
    VQComboElement* item = m_items[index];
    if (!item->IsVisible() || !item->IsEnabled()) return false;
    int old = m_selected;
    m_selected = index;
    if (m_dropDown) item->SetFocus();
    Invalidate();
    if (m_manager) m_manager->SendNotify(this, NotifyItemSelect, static_cast<WPARAM>(index), static_cast<LPARAM>(old));
    return true;
}

bool VQCombo::Activate(VQEvent& event) {
    if (!VQContainer::Activate(event)) return false;
    if (!m_dropDown) {
        m_dropDown = new VQComboWnd;
        if (!m_dropDown->Init(this)) {
            m_dropDown = nullptr;  // freed by the failed Init
            return true;
        }
        if (m_manager) m_manager->SendNotify(this, NotifyDropDown, 0, 0);
        Invalidate();
    }
    return true;
}

void VQCombo::DropDownClosed(VQComboWnd* window) {
    if (m_dropDown != window) return;
    m_dropDown = nullptr;
    m_state &= ~StatePushed;
    Invalidate();
}

void VQCombo::OnLButtonDown(VQEvent& event) {
    if (PointInItem(event.mouse) && IsEnabled()) {
        m_state |= StatePushed;
        Invalidate();
        Activate(event);
    }
    if (m_manager && TestNotifyBit(NotifyLButtonDown)) m_manager->SendNotify(this, NotifyLButtonDown, 0, 0);
    if (ShouldForward(EventLButtonDown)) {
        event.sender = this;
        event.forwardedFrom = this;
        m_parent->OnLButtonDown(event);
    }
}

void VQCombo::OnLButtonUp(VQEvent& event) {
    if (m_manager && TestNotifyBit(NotifyLButtonUp))
        m_manager->SendNotify(this, NotifyLButtonUp, event.wParam, event.lParam);
    if (ShouldForward(EventLButtonUp)) {
        event.forwardedFrom = this;
        m_parent->OnLButtonUp(event);
    }
}

void VQCombo::OnKeyDown(VQEvent& event) {
    switch (event.keyChar) {
    case VK_PRIOR:
    case VK_UP: SelectItem(m_selected - 1); break;
    case VK_NEXT:
    case VK_DOWN: SelectItem(m_selected + 1); break;
    case VK_HOME: SelectItem(0); break;
    case VK_END: SelectItem(GetItemCount()); break;
    case VK_F4: Activate(event); break;
    default: VQContainer::OnKeyDown(event); break;
    }
}

void VQCombo::SetAttribute(const std::wstring& name, const std::wstring& value) {
    if (name == L"dropbox")
        m_dropBoxAttributes = value;
    else if (name == L"dropboxsize")
        m_dropBoxSize = ParseTwoNumbers(value);
    else if (name == L"dropboxroundcorner")
        m_dropBoxRoundCorner = ParseTwoNumbers(value);
    else
        VQContainer::SetAttribute(name, value);
}

}  // namespace Tessar
