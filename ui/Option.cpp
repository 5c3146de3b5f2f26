#include "ui/Option.h"

#include "ui/PaintManager.h"

namespace Tessar {

VQOption::VQOption() {}

VQOption::~VQOption() {
    if (m_group != 0 && m_manager) m_manager->RemoveOptionGroup(m_group, this);
}

VQControl* VQOption::GetInterface(int type) {
    if (type == ControlTypeOption) return this;
    return VQButton::GetInterface(type);
}

bool VQOption::Activate(VQEvent& event) {
    if (!VQButton::Activate(event)) return false;
    if (m_group != 0)
        Selected(true);
    else
        Selected(!m_selected);
    return true;
}

void VQOption::Selected(bool selected) {
    if (m_selected == selected) return;
    m_selected = selected;
    if (selected)
        m_state |= StateSelected;
    else
        m_state &= ~StateSelected;
    if (m_manager) {
        if (m_group == 0) {
            m_manager->SendNotify(this, NotifySelectionChanged, selected ? 1 : 0, 0);
        } else if (selected) {
            const std::vector<VQControl*>* group = m_manager->GetOptionGroup(m_group);
            if (!group) return;
            // A copy: deselecting may change the group's list.
            std::vector<VQControl*> members = *group;
            for (VQControl* member : members) {
                if (member == this) continue;
                VQOption* option = static_cast<VQOption*>(member->GetInterface(ControlTypeOption));
                if (option) option->Selected(false);
            }
            m_manager->SendNotify(this, NotifySelectionChanged, 1, 0);
        }
    }
    Invalidate();
}

void VQOption::SetGroup(uint32_t group) {
    if (m_group == group) return;
    if (m_group != 0 && m_manager) m_manager->RemoveOptionGroup(m_group, this);
    m_group = group;
    if (m_group != 0 && m_manager) m_manager->AddOptionGroup(m_group, this);
}

void VQOption::PaintBkImage(HDC hdc) {
    m_state &= ~StatePushed;
    if (m_selected && !m_bkImages[ImageSelected].empty()) {
        if (DrawImage(hdc, m_bkImages[ImageSelected])) return;
        m_bkImages[ImageSelected].clear();
    }
    VQButton::PaintBkImage(hdc);
}

void VQOption::SetAttribute(const std::wstring& name, const std::wstring& value) {
    if (name == L"group")
        SetGroup(static_cast<uint32_t>(_wtoi(value.c_str())));
    else if (name == L"selected")
        Selected(value == L"true");
    else
        VQButton::SetAttribute(name, value);
}

}  // namespace Tessar
