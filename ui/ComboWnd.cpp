#include "ui/ComboWnd.h"

#include "ui/Combo.h"
#include "ui/ScrollBar.h"

namespace Tessar {

VQComboWnd::VQComboWnd() {}

VQComboWnd::~VQComboWnd() {}

const wchar_t* VQComboWnd::GetWindowClassName() const {
    return L"VQComboWnd";
}

bool VQComboWnd::Init(VQCombo* combo) {
    m_owner = combo;
    m_openedSelection = combo->GetCurSel();
    VQPaintManager* comboManager = combo->GetManager();
    HWND parent = comboManager ? comboManager->GetPaintWindow() : nullptr;
    RECT rc = combo->GetPos();
    SIZE box = combo->GetDropBoxSize();
    if (box.cx != 0) rc.right = rc.left + box.cx;
    long long height = box.cy;
    if (height == 0)
        for (VQComboElement* item : combo->GetItems()) height += item->GetFixedHeight();
    if (height > 0x7FFF) height = 0x7FFF;
    RECT window = {rc.left, rc.bottom, rc.right, rc.bottom + static_cast<LONG>(height)};
    ::MapWindowPoints(parent, HWND_DESKTOP, reinterpret_cast<POINT*>(&window), 2);
    bool gone = false;
    m_gone = &gone;
    HWND created = Create(parent, L"", WS_POPUP, WS_EX_TOOLWINDOW, window.left, window.top,
                          window.right - window.left, window.bottom - window.top);
    if (gone) return false;
    m_gone = nullptr;
    if (!created) {
        ReturnItems();
        m_owner = nullptr;
        delete this;
        return false;
    }
    HWND top = m_hwnd;
    while (HWND up = ::GetParent(top)) top = up;
    ::ShowWindow(m_hwnd, SW_SHOW);
    // The owner's caption stays active while the list has the focus.
    ::SendMessageW(top, WM_NCACTIVATE, TRUE, 0);
    return true;
}

void VQComboWnd::OnCreate() {
    SIZE corner = m_owner->GetDropBoxRoundCorner();
    m_manager.SetRoundCorner(corner.cx, corner.cy);
    m_manager.Init(m_hwnd);
    m_layout = new VQVerticalLayout;
    // The items stay the combo's.
    m_layout->SetAutoDestroy(false);
    m_layout->SetManager(&m_manager);
    m_layout->EnableScrollBar(true, false);
    const std::wstring& dropBox = m_owner->GetDropBoxAttributes();
    if (!dropBox.empty()) m_layout->ApplyAttributeList(dropBox);
    VQPaintManager* comboManager = m_owner->GetManager();
    std::wstring barStyle = comboManager ? comboManager->GetDefaultAttributeList(L"ComboScrollBar") : std::wstring();
    if (!barStyle.empty() && m_layout->GetVerticalScrollBar())
        m_layout->GetVerticalScrollBar()->ApplyAttributeList(barStyle);

    int lastSelected = -1;
    const std::vector<VQComboElement*>& items = m_owner->GetItems();
    for (size_t i = 0; i < items.size(); ++i) {
        VQComboElement* item = items[i];
        // Out of the group of the manager it belonged to, before it gets ours.
        if (item->GetGroup() != kComboDropDownGroup) item->SetGroup(0);
        m_layout->Add(item);
        item->SetGroup(kComboDropDownGroup);
        if (item->IsSelected()) lastSelected = static_cast<int>(i);
    }
    m_manager.AttachRootControl(m_layout);
    if (lastSelected < 0 && !items.empty()) {
        int index = m_owner->GetCurSel();
        if (index < 0 || index >= static_cast<int>(items.size())) index = 0;
        items[index]->Selected(true);
    }
}

int VQComboWnd::HighlightedIndex() const {
    if (!m_owner) return -1;
    const std::vector<VQComboElement*>& items = m_owner->GetItems();
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i]->IsSelected()) return static_cast<int>(i);
    return -1;
}

void VQComboWnd::Highlight(int index) {
    if (VQComboElement* item = m_owner ? m_owner->GetComboItem(index) : nullptr) item->Selected(true);
}

void VQComboWnd::OnKeyDown(WPARAM key) {
    if (!m_owner || m_owner->GetItemCount() == 0) return;
    const int current = HighlightedIndex();
    const int last = m_owner->GetItemCount() - 1;
    switch (key) {
    case VK_PRIOR:
    case VK_UP:
        if (current > 0) Highlight(current - 1);
        break;
    case VK_NEXT:
    case VK_DOWN:
        if (current < last) Highlight(current + 1);
        break;
    case VK_HOME: Highlight(0); break;
    case VK_END: Highlight(last); break;
    case VK_F4:
        if (VQComboElement* item = m_owner->GetComboItem(current)) {
            VQEvent event;
            item->Activate(event);
        }
        break;
    default: break;
    }
}

void VQComboWnd::ReturnItems() {
    if (m_itemsReturned || !m_owner) return;
    m_itemsReturned = true;
    VQPaintManager* comboManager = m_owner->GetManager();
    if (m_layout) m_layout->RemoveAll();
    for (VQComboElement* item : m_owner->GetItems()) {
        m_manager.ReapControl(item);
        if (item->GetGroup() != 0) item->SetGroup(0);
        item->SetManager(comboManager);
        // The layout goes with this window.
        item->SetParent(nullptr);
    }
}

void VQComboWnd::OnClose() {
    ReturnItems();
}

void VQComboWnd::Abandon() {
    ReturnItems();
    m_owner = nullptr;
    if (m_hwnd)
        ::DestroyWindow(m_hwnd);  // OnFinalMessage deletes the object
    else
        delete this;
}

LRESULT VQComboWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        OnCreate();
        return 0;
    case WM_KILLFOCUS:
        if (reinterpret_cast<HWND>(wParam) != m_hwnd) ::PostMessageW(m_hwnd, WM_CLOSE, 0, 0);
        break;
    case WM_CLOSE:
        OnClose();
        break;
    case WM_KEYDOWN:
        if (wParam >= VK_PRIOR && wParam <= VK_F4) OnKeyDown(wParam);
        break;
    default:
        break;
    }
    LRESULT result = 0;
    if (m_manager.MessageHandler(message, wParam, lParam, result)) return result;
    return VQWindowWnd::HandleMessage(message, wParam, lParam);
}

void VQComboWnd::OnFinalMessage(HWND) {
    ReturnItems();
    if (m_owner) {
        VQCombo* combo = m_owner;
        m_owner = nullptr;
        combo->DropDownClosed(this);
    }
    if (m_gone) *m_gone = true;
    delete this;
}

}  // namespace Tessar
