#include "ui/TabCtrl.h"

#include "ui/MarkupValue.h"
#include "ui/PaintManager.h"

namespace Tessar {

VQTabItem::VQTabItem() {}

VQTabItem::~VQTabItem() {
    // The option's destructor leaves the group; the tab control must not
    // keep pointing at an item that is gone.
    if (m_tabCtrl) m_tabCtrl->ForgetItem(this);
}

VQControl* VQTabItem::GetInterface(int type) {
    if (type == ControlTypeTabItem) return this;
    return VQOption::GetInterface(type);
}

void VQTabItem::DoInit() {
    if (!m_icon) {
        struct Part {
            VQControl** slot;
            bool visible;
            const std::wstring* attributes;
        } parts[] = {
            {&m_icon, m_showIcon, &m_iconAttributes},
            {&m_textPart, true, &m_textAttributes},
            {&m_expand, m_showExpand, &m_expandAttributes},
        };
        for (const Part& part : parts) {
            VQControl* control = new VQControl;
            *part.slot = control;
            control->SetVisible(part.visible);
            if (part.slot == &m_textPart) {
                control->SetText(m_text);
                control->m_toolTipDelay = 400;
            }
            // Hover, activation and the wheel reach the item.
            control->SetDispatchBit(EventMouseEnter, true);
            control->SetDispatchBit(EventMouseLeave, true);
            control->SetDispatchBit(DispatchActivate, true);
            control->SetDispatchBit(EventMouseWheel, true);
            if (!part.attributes->empty()) control->ApplyAttributeList(*part.attributes);
            Add(control);
        }
        SetDispatchBit(EventMouseWheel, true);
    }
    VQOption::DoInit();
}

void VQTabItem::SetText(const std::wstring& text) {
    VQOption::SetText(text);
    if (m_textPart) m_textPart->SetText(text);
}

bool VQTabItem::Activate(VQEvent& event) {
    if (event.forwardedFrom && (event.forwardedFrom == m_icon || event.forwardedFrom == m_textPart)) {
        event.forwardedFrom = nullptr;
    } else if (event.forwardedFrom && event.forwardedFrom == m_expand) {
        if (m_manager) m_manager->SendNotify(this, NotifyTabActivate, 0, 0);
        return false;
    }
    return VQOption::Activate(event);
}

void VQTabItem::Selected(bool selected) {
    if (m_group == 0 || m_selected == selected) return;
    m_selected = selected;
    if (selected)
        m_state |= StateSelected;
    else
        m_state &= ~StateSelected;
    if (!m_manager || !selected) {
        Invalidate();
        return;
    }
    if (const std::vector<VQControl*>* group = m_manager->GetOptionGroup(m_group)) {
        std::vector<VQControl*> members = *group;
        for (VQControl* member : members) {
            if (member == this) continue;
            VQOption* option = static_cast<VQOption*>(member->GetInterface(ControlTypeOption));
            if (option) option->Selected(false);
        }
    }
    if (m_tabCtrl) m_tabCtrl->SetSelectedItem(this);
    Invalidate();
}

void VQTabItem::SetPos(int left, int top, int right, int bottom) {
    VQControl::SetPos(left, top, right, bottom);
    ArrangeLine(LineAxis::Horizontal);
}

void VQTabItem::SetAttribute(const std::wstring& name, const std::wstring& value) {
    if (name == L"controlid") {
        m_controlId = _wtoi(value.c_str());
    } else if (name == L"showicon") {
        m_showIcon = ParseMarkupBool(value);
    } else if (name == L"showexpand") {
        m_showExpand = ParseMarkupBool(value);
    } else if (name == L"iconattr") {
        m_iconAttributes = value;
        if (m_icon) m_icon->ApplyAttributeList(value);
    } else if (name == L"textattr") {
        m_textAttributes = value;
        if (m_textPart) m_textPart->ApplyAttributeList(value);
    } else if (name == L"expandattr") {
        m_expandAttributes = value;
        if (m_expand) m_expand->ApplyAttributeList(value);
    } else {
        VQOption::SetAttribute(name, value);
    }
}

}  // namespace Tessar
