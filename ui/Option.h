#pragma once
// A button with a selected state: on its own it toggles (a check box), in
// a numbered option group of the paint manager it is one of a set of
// which only one is selected (radio buttons). The selected state is
// mirrored in state bit 2.

#include <cstdint>

#include "ui/Button.h"

namespace Tessar {

class VQOption : public VQButton {
public:
    VQOption();
    // A grouped option leaves its manager's group.
    ~VQOption() override;

    int GetControlType() const override { return ControlTypeOption; }
    VQControl* GetInterface(int type) override;
    // Selects a grouped option, toggles an ungrouped one.
    bool Activate(VQEvent& event) override;
    void PaintBkImage(HDC hdc) override;
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;

    // Notifies 13: an ungrouped option with the new state, a grouped one
    // only when it becomes selected (the other members are deselected).
    virtual void Selected(bool selected);

    bool IsSelected() const { return m_selected; }
    uint32_t GetGroup() const { return m_group; }
    // Moves the option between the manager's groups; 0 = no group. An
    // option without a manager is not registered.
    void SetGroup(uint32_t group);

protected:
    bool m_selected = false;
    uint32_t m_group = 0;
};

}  // namespace Tessar
