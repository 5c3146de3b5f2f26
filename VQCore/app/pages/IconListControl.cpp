#include "VQCore/app/pages/IconListControl.h"

#include <algorithm>
#include <atomic>
#include <new>

#include "VQCore/app/pages/IconList.h"
#include "VQCore/app/pages/IconListPage.h"
#include "common/FormatText.h"
#include "ui/PaintManager.h"

namespace Tessar {

namespace {

// Each page strip is an option group of its own.
std::atomic<uint32_t> g_nextTabGroup{0x7A000};

VQControl* MakeButton(const RECT& padding, const std::wstring* images) {
    VQControl* button = new (std::nothrow) VQControl();
    if (!button) return nullptr;
    button->SetVisible(false);
    button->SetFixedWidth(20);
    button->SetFixedHeight(20);
    button->SetPadding(padding.left, padding.top, padding.right, padding.bottom);
    button->m_stateImages[ImageNormal] = images[0];
    button->m_stateImages[ImageHot] = images[1];
    button->m_stateImages[ImagePushed] = images[2];
    button->SetDispatchBit(DispatchActivate, true);
    return button;
}

}  // namespace

VQControl* VQIconListControl::GetInterface(int type) {
    if (type == ControlTypeIconListControl || type == ControlTypeContainer || type == ControlTypeControl) return this;
    return nullptr;
}

void VQIconListControl::SetAttribute(const std::wstring& name, const std::wstring& value) {
    static const wchar_t* const kNames[6] = {L"prevnormalimage", L"prevhotimage", L"prevpushedimage",
                                             L"nextnormalimage", L"nexthotimage", L"nextpushedimage"};
    for (int i = 0; i < 6; ++i) {
        if (name == kNames[i]) {
            (i < 3 ? m_prevImages[i] : m_nextImages[i - 3]) = value;
            return;
        }
    }
    VQContainer::SetAttribute(name, value);
}

void VQIconListControl::DoInit() {
    if (!m_tabStrip) {
        m_layoutType = LayoutHorizontal;
        if (VQControl* spacer = new (std::nothrow) VQControl()) Add(spacer);
        m_previous = MakeButton(RECT{0, 1, 9, 2}, m_prevImages);
        if (m_previous) Add(m_previous);
        m_tabStrip = new (std::nothrow) VQPageTabCtrl(this);
        if (m_tabStrip) {
            m_tabStrip->SetGroup(g_nextTabGroup++);
            m_tabStrip->SetItemAttributes(m_owner->GetTabItemAttributes());
            m_tabStrip->ApplyAttributeList(m_owner->GetTabCtrlAttributes());
            Add(m_tabStrip);
        }
        m_next = MakeButton(RECT{9, 1, 0, 2}, m_nextImages);
        if (m_next) Add(m_next);
        if (VQControl* spacer = new (std::nothrow) VQControl()) Add(spacer);
    }
    VQContainer::DoInit();
}

bool VQIconListControl::Activate(VQEvent& event) {
    VQControl* from = event.forwardedFrom;
    if (from && from == m_previous) m_owner->ShowPreviousPage();
    else if (from && from == m_next) m_owner->ShowNextPage();
    if (from && (from == m_previous || from == m_next) && m_tabStrip) {
        if (VQTabItem* selected = m_tabStrip->GetSelectedItem()) {
            // As if the mouse rested on the tab: the window shows its page tip.
            VQEvent hover;
            hover.type = EventMouseHover;
            hover.sender = selected;
            hover.wParam = 1;
            hover.mouse = event.mouse;
            selected->OnMouseHover(hover);
        }
    }
    return VQContainer::Activate(event);
}

void VQIconListControl::UpdateButtons(int threshold) {
    const bool show = m_tabCount >= threshold;
    if (m_previous && m_previous->IsVisible() != show) m_previous->SetVisible(show);
    if (m_next && m_next->IsVisible() != show) m_next->SetVisible(show);
}

void VQIconListControl::AddPageTab(int pageId) {
    if (!m_tabStrip) return;
    VQTabItem* item = new (std::nothrow) VQTabItem();
    if (!item) return;
    ++m_tabCount;
    item->SetAttribute(L"controlid", FormatString(L"%d", pageId));
    item->SetToolTip(FormatString(L"%d", m_tabCount));
    item->m_hasBeenHover = true;
    item->SetNotifyBit(NotifyMouseHover, true);
    item->SetNotifyBit(NotifyMouseLeave, true);
    item->m_toolTipDelay = 200;
    if (!m_tabStrip->Add(item)) {
        --m_tabCount;
        delete item;
        return;
    }
    const int position = m_tabCount;
    if (position <= m_group * 4 || position > m_group * 4 + kVisibleTabs) item->SetVisible(false);
    UpdateButtons(2);
    NeedUpdate();
}

void VQIconListControl::RemovePageTab() {
    if (!m_tabStrip || m_tabCount <= 0) return;
    --m_tabCount;
    if (m_tabStrip->GetCount() > 0) m_tabStrip->RemoveAt(m_tabStrip->GetCount() - 1);
    UpdateButtons(2);
    NeedUpdate();
}

void VQIconListControl::ResetTabs() {
    m_tabCount = 0;
    m_group = 0;
    if (m_tabStrip) m_tabStrip->RemoveAll();
    UpdateButtons(1 << 30);
}

void VQIconListControl::ScrollTabsTo(int n) {
    if (!m_tabStrip) return;
    if (n == 1 && m_group == 0) return;
    if (m_group * 4 + 1 < n && n < m_group * 4 + kVisibleTabs) return;
    for (int i = m_group * 4; i < m_group * 4 + kVisibleTabs && i < m_tabStrip->GetCount(); ++i)
        m_tabStrip->GetItemAt(i)->SetVisible(false);
    m_group = std::max(0, (n - 1) / 4 - 1);
    for (int i = m_group * 4; i < m_group * 4 + kVisibleTabs && i < m_tabStrip->GetCount(); ++i)
        m_tabStrip->GetItemAt(i)->SetVisible(true);
    NeedUpdate();
    Invalidate();
}

VQControl* VQPageTabCtrl::GetInterface(int type) {
    if (type == ControlTypePageTabCtrl) return this;
    return VQTabCtrl::GetInterface(type);
}

SIZE VQPageTabCtrl::GetFixedSize(int, int) {
    int width = 0;
    for (VQControl* child : m_children)
        if (child->IsVisible()) width += child->GetFixedWidth();
    return SIZE{width, 0};
}

void VQPageTabCtrl::SetSelectedItem(VQTabItem* item) {
    const int index = GetItemIndex(item);
    if (index >= 0 && m_owner) {
        m_owner->ScrollTabsTo(index + 1);
        VQIconList* list = m_owner->GetOwner();
        VQIconListContext* context = list->GetContext();
        if (context) {
            for (int i = 0; i < context->GetCount(); ++i) {
                VQControl* page = context->GetItemAt(i);
                const bool show = page->GetId() == item->GetControlId();
                if (page->IsVisible() != show) page->SetVisible(show);
            }
        }
        list->SetCurrentPage(index + 1);
        list->NeedUpdate();
        list->Invalidate();
    }
    VQTabCtrl::SetSelectedItem(item);
}

}  // namespace Tessar
