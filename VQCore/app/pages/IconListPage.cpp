#include "VQCore/app/pages/IconListPage.h"

#include <algorithm>
#include <new>

#include "VQCore/app/pages/GameIcon.h"
#include "VQCore/app/pages/IconList.h"
#include "ui/PaintManager.h"

namespace Tessar {

namespace {

int g_lastPageId = 1000;

VQIconListPage* AsPage(VQControl* control) {
    return control ? static_cast<VQIconListPage*>(control->GetInterface(ControlTypeIconListPage)) : nullptr;
}

VQGameIcon* AsTile(VQControl* control) {
    return control ? static_cast<VQGameIcon*>(control->GetInterface(ControlTypeGameIcon)) : nullptr;
}

}  // namespace

VQControl* VQIconListContext::GetInterface(int type) {
    if (type == ControlTypeIconListContext || type == ControlTypeContainer || type == ControlTypeControl) return this;
    return nullptr;
}

bool VQIconListContext::IsVisible() const {
    return m_owner ? m_owner->IsVisible() : m_visible;
}

bool VQIconListContext::AddTile(VQGameIcon* tile, bool keepAddTileLast, bool& failed) {
    failed = false;
    const int capacity = m_owner->GetPageCapacity();
    const int n = GetCount();
    VQIconListPage* last = n > 0 ? AsPage(GetItemAt(n - 1)) : nullptr;
    const bool withAddTile = m_owner->HasAddTile() && keepAddTileLast && !tile->IsAddTile();
    if (last && last->GetCount() < capacity) {
        VQControl* tail = last->GetCount() > 0 ? last->GetItemAt(last->GetCount() - 1) : nullptr;
        if (withAddTile && AsTile(tail) && AsTile(tail)->IsAddTile()) last->AddAt(tile, last->GetCount() - 1);
        else last->Add(tile);
        return false;
    }
    VQIconListPage* page = new (std::nothrow) VQIconListPage(m_owner);
    if (!page) {
        failed = true;
        return false;
    }
    page->SetVisible(false);
    if (!Add(page)) {
        delete page;
        failed = true;
        return false;
    }
    VQControl* tail = last && last->GetCount() > 0 ? last->GetItemAt(last->GetCount() - 1) : nullptr;
    if (withAddTile && AsTile(tail) && AsTile(tail)->IsAddTile()) {
        // The add tile moves on to the new page; the tile takes its place.
        VQControl* addTile = tail;
        last->Remove(addTile);
        last->Add(tile);
        page->Add(addTile);
    } else {
        page->Add(tile);
    }
    return true;
}

bool VQIconListContext::RemoveTile(VQGameIcon* tile) {
    int p = -1;
    for (int i = 0; i < GetCount() && p < 0; ++i) {
        VQIconListPage* page = AsPage(GetItemAt(i));
        if (page && page->GetItemIndex(tile) >= 0) p = i;
    }
    if (p < 0) return false;
    AsPage(GetItemAt(p))->Remove(tile);
    for (int q = p + 1; q < GetCount(); ++q) {
        VQIconListPage* from = AsPage(GetItemAt(q));
        VQIconListPage* to = AsPage(GetItemAt(q - 1));
        if (!from || !to || from->GetCount() == 0) continue;
        VQControl* first = from->GetItemAt(0);
        from->Remove(first);
        to->Add(first);
    }
    for (int i = GetCount() - 1; i >= 0; --i) {
        VQIconListPage* page = AsPage(GetItemAt(i));
        if (page && page->GetCount() == 0) {
            Remove(page);
            return true;
        }
    }
    return false;
}

VQIconListPage::VQIconListPage(VQIconList* owner) : m_owner(owner) {
    m_autoDestroy = false;
    m_id = NextPageId();
}

int VQIconListPage::NextPageId() {
    return ++g_lastPageId;
}

VQControl* VQIconListPage::GetInterface(int type) {
    if (type == ControlTypeIconListPage || type == ControlTypeContainer || type == ControlTypeControl) return this;
    return nullptr;
}

RECT VQIconListPage::GetCellRect(int index) const {
    if (index < 0 || !m_owner) return RECT{0, 0, 0, 0};
    const int columns = std::max(1, m_owner->GetColumns());
    const RECT inset = m_owner->GetPageInset();
    const int left = m_itemRect.left + inset.left +
                     (m_owner->GetColumnSpacing() + m_owner->GetItemWidth()) * (index % columns);
    const int top = m_itemRect.top + inset.top + (m_owner->GetLineSpacing() + m_owner->GetItemHeight()) * (index / columns);
    return RECT{left, top, left + m_owner->GetItemWidth(), top + m_owner->GetItemHeight()};
}

void VQIconListPage::SetPos(int left, int top, int right, int bottom) {
    m_itemRect = {left, top, right, bottom};
    m_needUpdate = false;
    if (!m_owner) return;
    const int columns = std::max(1, m_owner->GetColumns());
    const RECT inset = m_owner->GetPageInset();
    const int w = m_owner->GetItemWidth(), h = m_owner->GetItemHeight();
    const int startX = left + inset.left;
    int x = startX, y = top + inset.top;
    for (int index = 0; index < GetCount(); ++index) {
        VQControl* child = m_children[index];
        if (!child->IsVisible()) continue;
        const RECT cell = {x, y, x + w, y + h};
        if (IsFloating(child)) SetFloatPos(child, cell);
        else child->SetPos(cell.left, cell.top, cell.right, cell.bottom);
        if ((index + 1) % columns != 0) {
            x += m_owner->GetColumnSpacing() + w;
        } else {
            x = startX;
            y += m_owner->GetLineSpacing() + h;
        }
    }
}

void VQIconListPage::SetVisible(bool visible) {
    UpdateStateTimers(visible);
    VQContainer::SetVisible(visible);
}

void VQIconListPage::UpdateStateTimers(bool on) {
    for (VQControl* child : m_children) {
        VQGameIcon* tile = AsTile(child);
        if (!tile || (tile->GetState() != kTileWaiting && tile->GetState() != kTileDownloading)) continue;
        if (on) tile->StartStateTimer();
        else tile->StopStateTimer();
    }
}

void VQIconListPage::CopyTilesInto(VQContainer* container) {
    if (!container) return;
    for (VQControl* child : m_children) {
        VQGameIcon* source = AsTile(child);
        if (!source) continue;
        VQGameIcon* copy = new (std::nothrow) VQGameIcon();
        if (!copy) continue;
        copy->CopyFrom(*source);
        copy->SetState(kTileInstalled);
        copy->SetOwnerList(m_owner);
        copy->SetAddTile(source->IsAddTile());
        if (!container->Add(copy)) {
            delete copy;
            continue;
        }
        copy->SetManager(container->GetManager());
        copy->DoInit();
    }
}

}  // namespace Tessar
