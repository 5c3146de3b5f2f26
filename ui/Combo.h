#pragma once
// A drop-down list. Its items are VQComboElement options that the combo
// keeps in a list of its own (they are not its children) and shows, when
// opened, in a "VQComboWnd" pop-up below the combo. Choosing an item
// notifies 19 with the new and the old index.

#include <string>
#include <vector>

#include "ui/Container.h"
#include "ui/Option.h"

namespace Tessar {

class VQCombo;
class VQComboWnd;

class VQComboElement : public VQOption {
public:
    VQComboElement();

    int GetControlType() const override { return ControlTypeComboElement; }
    VQControl* GetInterface(int type) override;
    // Chooses this item in the owner combo (which closes the drop-down).
    bool Activate(VQEvent& event) override;
    // Hovering highlights.
    void OnMouseMove(VQEvent& event) override;

    VQCombo* GetOwnerCombo() const { return m_owner; }
    void SetOwnerCombo(VQCombo* combo) { m_owner = combo; }

private:
    VQCombo* m_owner = nullptr;
};

class VQCombo : public VQContainer {
public:
    VQCombo();
    // Deletes the items while auto destroy is set; closes an open drop-down.
    ~VQCombo() override;

    int GetControlType() const override { return ControlTypeCombo; }
    VQControl* GetInterface(int type) override;
    // Combo elements join the item list; other controls are ordinary children.
    bool Add(VQControl* control) override;
    bool AddAt(VQControl* control, int index) override;
    // Also the items' manager while the combo is closed.
    void SetManager(VQPaintManager* manager) override;
    void DoInit() override;
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;
    // Opens the drop-down and notifies 18.
    bool Activate(VQEvent& event) override;
    void OnLButtonDown(VQEvent& event) override;
    void OnLButtonUp(VQEvent& event) override;
    void OnKeyDown(VQEvent& event) override;

    // True when the selection is (or already was) that index; an index
    // past the end means the last item.
    bool SelectItem(int index);
    int GetCurSel() const { return m_selected; }
    int GetItemCount() const { return static_cast<int>(m_items.size()); }
    VQComboElement* GetComboItem(int index) const;
    const std::vector<VQComboElement*>& GetItems() const { return m_items; }
    const std::wstring& GetDropBoxAttributes() const { return m_dropBoxAttributes; }
    SIZE GetDropBoxSize() const { return m_dropBoxSize; }
    SIZE GetDropBoxRoundCorner() const { return m_dropBoxRoundCorner; }
    VQComboWnd* GetDropDown() const { return m_dropDown; }
    // Called by the drop-down when its window is gone.
    void DropDownClosed(VQComboWnd* window);

private:
    bool AddItemAt(VQComboElement* item, int index);

    std::wstring m_dropBoxAttributes;
    VQComboWnd* m_dropDown = nullptr;
    int m_selected = -1;
    SIZE m_dropBoxSize = {0, 0};
    SIZE m_dropBoxRoundCorner = {0, 0};
    std::vector<VQComboElement*> m_items;
};

}  // namespace Tessar
