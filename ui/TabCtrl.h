#pragma once
// A container of tab items in a row (or a column) that keeps track of the
// selected one. Each tab item is an option of the tab control's group and
// names the page it stands for by a control id; the pages are ordinary
// controls of the window, found through the manager's id map.

#include <cstdint>
#include <string>

#include "ui/Container.h"
#include "ui/Option.h"

namespace Tessar {

class VQTabItem;

class VQTabCtrl : public VQContainer {
public:
    VQTabCtrl();
    // The items outlive no tab control: they forget it first.
    ~VQTabCtrl() override;

    int GetControlType() const override { return ControlTypeTab; }
    VQControl* GetInterface(int type) override;
    // Only tab items are accepted.
    bool Add(VQControl* control) override;
    bool AddAt(VQControl* control, int index) override;
    bool Remove(VQControl* control) override;
    bool RemoveAt(int index) override;
    void RemoveAll() override;
    // A tab control without items is invisible.
    bool IsVisible() const override;
    void SetPos(int left, int top, int right, int bottom) override;
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;

    // Invalidates the selected item's page and the tab control.
    virtual void InvalidatePage();
    // Called by a tab item that became selected: moves "topmost" to it and notifies 13.
    virtual void SetSelectedItem(VQTabItem* item);

    // The index, or -1 when there is no item there.
    int SelectItem(int index);
    void SetGroup(uint32_t group);
    uint32_t GetGroup() const { return m_group; }
    void SetItemAttributes(const std::wstring& list);
    VQTabItem* GetSelectedItem() const { return m_selected; }
    VQTabItem* GetPreviousItem() const { return m_previous; }
    bool IsVertical() const { return m_vertical; }
    // Drops the selected or previous item pointer to a control that goes.
    void ForgetItem(VQControl* control);

private:
    bool AddItem(VQControl* control, int index);

    bool m_vertical = false;
    std::wstring m_itemAttributes;
    VQTabItem* m_selected = nullptr;
    VQTabItem* m_previous = nullptr;
    uint32_t m_group = 0;
};

class VQTabItem : public VQOption {
public:
    VQTabItem();
    ~VQTabItem() override;

    int GetControlType() const override { return ControlTypeTabItem; }
    VQControl* GetInterface(int type) override;
    // Builds the icon, text and expand parts.
    void DoInit() override;
    void SetText(const std::wstring& text) override;
    // Activation from the expand part notifies 21 and selects nothing.
    bool Activate(VQEvent& event) override;
    void Selected(bool selected) override;
    void SetPos(int left, int top, int right, int bottom) override;
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;

    VQTabCtrl* GetTabCtrl() const { return m_tabCtrl; }
    void SetTabCtrl(VQTabCtrl* tab) { m_tabCtrl = tab; }
    int GetControlId() const { return m_controlId; }
    VQControl* GetIconPart() const { return m_icon; }
    VQControl* GetTextPart() const { return m_textPart; }
    VQControl* GetExpandPart() const { return m_expand; }

private:
    VQControl* m_icon = nullptr;
    VQControl* m_textPart = nullptr;
    VQControl* m_expand = nullptr;
    bool m_showIcon = false;
    bool m_showExpand = false;
    std::wstring m_iconAttributes;
    std::wstring m_textAttributes;
    std::wstring m_expandAttributes;
    VQTabCtrl* m_tabCtrl = nullptr;
    int m_controlId = 0;
};

}  // namespace Tessar
