#pragma once
// The pop-up list of an open combo: a "VQComboWnd" window with a paint
// manager of its own and a vertical layout with a scroll bar that borrows
// the combo's items (option group 100) while it is open. It closes when it
// loses the focus to another window or an item is chosen, gives every item
// back to the combo's manager, and deletes itself when its window is gone.

#include "ui/Layouts.h"
#include "ui/PaintManager.h"
#include "ui/WindowWnd.h"

namespace Tessar {

class VQCombo;

// The option group the drop-down's items highlight in.
const uint32_t kComboDropDownGroup = 100;

class VQComboWnd : public VQWindowWnd {
public:
    VQComboWnd();
    virtual ~VQComboWnd();

    // Opens the list below the combo and shows it; false when the window
    // cannot be created, and then the object has freed itself.
    bool Init(VQCombo* combo);

    const wchar_t* GetWindowClassName() const override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hwnd) override;

    // The combo is going away while the list is open: the items go back,
    // the window is destroyed at once and nothing touches the combo again.
    void Abandon();

    VQPaintManager& GetManager() { return m_manager; }
    VQVerticalLayout* GetLayout() const { return m_layout; }

private:
    void OnCreate();
    void OnClose();
    // Hands every item back to the combo's manager, out of group 100 and
    // out of this window's layout. Safe to run twice.
    void ReturnItems();
    void OnKeyDown(WPARAM key);
    int HighlightedIndex() const;
    void Highlight(int index);

    VQCombo* m_owner = nullptr;
    VQVerticalLayout* m_layout = nullptr;
    VQPaintManager m_manager;
    int m_openedSelection = -1;
    bool m_itemsReturned = false;
    // Set while Init creates the window: tells Init that the object is gone.
    bool* m_gone = nullptr;
};

}  // namespace Tessar
