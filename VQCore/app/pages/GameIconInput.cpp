// How a game tile reacts to the mouse: the hover tool bar, caption
// rolling, clicks on the picture, timers, and re-ordering the installed
// games by dragging.
#include "VQCore/app/pages/GameIcon.h"

#include <algorithm>

#include "VQCore/app/pages/GameIconToolBar.h"
#include "VQCore/app/pages/IconList.h"
#include "VQCore/app/pages/IconListPage.h"
#include "ui/PaintManager.h"

namespace Tessar {

namespace {

VQGameIconToolBar* ToolBarOf(VQPaintManager* manager) {
    if (!manager) return nullptr;
    VQControl* control = manager->FindControlById(IdTileToolBar);
    return control ? static_cast<VQGameIconToolBar*>(control->GetInterface(ControlTypeGameIconToolBar)) : nullptr;
}

bool PointIn(const RECT& rc, POINT pt) {
    return pt.x >= rc.left && pt.x < rc.right && pt.y >= rc.top && pt.y < rc.bottom;
}

RECT Offset(const RECT& rc, int dx, int dy) {
    return RECT{rc.left + dx, rc.top + dy, rc.right + dx, rc.bottom + dy};
}

// Overlap of at least half the icon each way counts as a hit.
bool Hits(const RECT& dragged, const RECT& target, int w, int h) {
    const LONG ow = std::min(dragged.right, target.right) - std::max(dragged.left, target.left);
    const LONG oh = std::min(dragged.bottom, target.bottom) - std::max(dragged.top, target.top);
    return ow >= w / 2 && oh >= h / 2;
}

}  // namespace

void VQGameIcon::ShowToolBar() {
    VQGameIconToolBar* bar = ToolBarOf(m_manager);
    if (!bar || bar->IsVisible()) return;
    bar->UpdateForTile(this);
    const int y = IsOnQuickStrip() ? m_itemRect.top + 3 : m_itemRect.top + 77;
    const int x = m_itemRect.left + 4;
    const int w = bar->GetFixedWidth(), h = bar->GetFixedHeight();
    bar->SetFixedXY(x, y);
    bar->SetPos(x, y, x + w, y + h);
    bar->SetVisible(true);
    bar->Invalidate();
}

void VQGameIcon::HideToolBar() {
    VQGameIconToolBar* bar = ToolBarOf(m_manager);
    if (!bar || !bar->IsVisible()) return;
    bar->UpdateForTile(bar->GetTile());
    bar->SetVisible(false);
}

void VQGameIcon::StartRolling() {
    if (m_rolling || !m_manager) return;
    m_rolling = true;
    m_rollStep = 1;
    m_manager->SetTimer(this, kRollTimer, 50);
}

void VQGameIcon::StopRolling() {
    if (m_manager) m_manager->KillTimer(this, kRollTimer);
    const bool was = m_rolling || m_rollOffset != 0;
    m_rolling = false;
    m_rollOffset = 0;
    if (was) Invalidate();
}

void VQGameIcon::OnMouseEnter(VQEvent& event) {
    if (m_dragging) return;
    if (!m_addTile) {
        ShowToolBar();
        if (IsEnabled() && PointIn(TextArea(), event.mouse)) StartRolling();
    }
    VQContainer::OnMouseEnter(event);
}

void VQGameIcon::OnMouseLeave(VQEvent& event) {
    HideToolBar();
    StopRolling();
    VQContainer::OnMouseLeave(event);
}

void VQGameIcon::OnLButtonDown(VQEvent& event) {
    const RECT icon = Offset(m_iconRect, m_itemRect.left, m_itemRect.top);
    if (!PointIn(icon, event.mouse)) return;
    m_pressPoint = event.mouse;
    m_lastDragPoint = event.mouse;
    VQContainer::OnLButtonDown(event);
}

void VQGameIcon::OnTimer(VQEvent& event) {
    const int id = static_cast<int>(event.wParam);
    if (id == kRollTimer) {
        m_rollOffset += m_rollStep ? m_rollStep : 1;
        Invalidate();
    } else if (id == kStateTimer) {
        Invalidate();
    } else {
        OnAnimationTimer(static_cast<unsigned>(id));
    }
    if (ShouldForward(EventTimer)) {
        event.forwardedFrom = this;
        m_parent->OnTimer(event);
    }
}

void VQGameIcon::AnimateBit16() {
    static const int kAngles[] = {3, 0, -3, 0};
    m_wobbleAngle = kAngles[m_wobbleCounter % 4];
    ++m_wobbleCounter;
    Invalidate();
}

void VQGameIcon::RemoveWithNotify() {
    NotifyRemoval();
    if (m_ownerList) m_ownerList->RemoveTile(this, true);
}

void VQGameIcon::NotifyRemoval() {
    VQGameIconToolBar* bar = ToolBarOf(m_manager);
    if (bar && bar->GetTile() == this) {
        bar->SetVisible(false);
        bar->UpdateForTile(nullptr);
    }
    if (m_manager) m_manager->SendNotify(this, NotifyTileRemoved, 0, 0);
}

// The drag of a tile on the installed games: a floating copy follows the
// mouse, the tile under it wobbles, the neighbours of an insertion point
// step aside, and the drop is reported to the main window.
class VQGameIconDrag {
public:
    explicit VQGameIconDrag(VQGameIcon& tile) : m_tile(tile) {}

    VQIconListPage* Page() const {
        VQControl* parent = m_tile.GetParent();
        return parent ? static_cast<VQIconListPage*>(parent->GetInterface(ControlTypeIconListPage)) : nullptr;
    }

    VQGameIcon* DragImage() const {
        VQIconListPage* page = Page();
        if (!page) return nullptr;
        for (int i = 0; i < page->GetCount(); ++i) {
            VQGameIcon* tile = static_cast<VQGameIcon*>(page->GetItemAt(i)->GetInterface(ControlTypeGameIcon));
            if (tile && tile->IsDragImage()) return tile;
        }
        return nullptr;
    }

    void Start() {
        VQEvent leave;
        leave.type = EventMouseLeave;
        leave.sender = &m_tile;
        m_tile.OnMouseLeave(leave);
        m_tile.m_dragging = true;
        VQIconListPage* page = Page();
        if (!page) return;
        VQGameIcon* image = new (std::nothrow) VQGameIcon();
        if (!image) return;
        image->SetId(IdDragImage);
        image->SetAbsFloat(true);
        image->SetOwnerList(m_tile.m_ownerList);
        image->m_state |= StateHot;
        image->m_dragImage = true;
        const RECT rc = m_tile.GetPos();
        image->SetFixedXY(rc.left, rc.top);
        image->SetFixedWidth(rc.right - rc.left);
        image->SetFixedHeight(rc.bottom - rc.top);
        image->m_iconDescription = m_tile.m_iconDescription;
        image->m_data.gameId = m_tile.m_data.gameId;
        image->m_text = m_tile.m_text;
        image->m_tileState = kTileInstalled;
        if (!page->Add(image)) {
            delete image;
            return;
        }
        image->SetManager(m_tile.m_manager);
        image->DoInit();
        image->SetNotifyBit(NotifyContextMenu, false);
        image->SetPos(rc.left, rc.top, rc.right, rc.bottom);
        image->Invalidate();
    }

    void Move(POINT pt) {
        VQGameIcon* image = DragImage();
        if (image) {
            const int dx = pt.x - m_tile.m_lastDragPoint.x, dy = pt.y - m_tile.m_lastDragPoint.y;
            const RECT rc = Offset(image->GetPos(), dx, dy);
            image->SetFixedXY(rc.left, rc.top);
            image->SetPos(rc.left, rc.top, rc.right, rc.bottom);
            if (VQControl* page = Page()) page->Invalidate();
        }
        m_tile.m_lastDragPoint = pt;
        int hovered = -1, insertion = -1;
        FindTarget(hovered, insertion);
        UpdateFeedback(hovered, insertion);
    }

    void FindTarget(int& hovered, int& insertion) const {
        hovered = insertion = -1;
        VQIconListPage* page = Page();
        VQGameIcon* image = DragImage();
        VQIconList* list = m_tile.m_ownerList;
        if (!page || !image || !list) return;
        const RECT& ic = m_tile.m_iconRect;
        const int w = ic.right - ic.left, h = ic.bottom - ic.top;
        const RECT dragged = Offset(ic, image->GetPos().left, image->GetPos().top);
        const int self = page->GetItemIndex(&m_tile);
        const int columns = std::max(1, list->GetColumns());
        const RECT listRect = list->GetPos();
        for (int i = 0; i < page->GetCount(); ++i) {
            VQControl* item = page->GetItemAt(i);
            VQGameIcon* other = static_cast<VQGameIcon*>(item->GetInterface(ControlTypeGameIcon));
            if (!other || other == &m_tile || other == image || !other->IsVisible()) continue;
            const RECT cell = page->GetCellRect(i);
            const RECT box = Offset(ic, cell.left, cell.top);
            const bool firstColumn = i % columns == 0;
            RECT gap = {firstColumn ? listRect.left : box.left - 43, box.top, box.left, box.bottom};
            if (!(i > 0 && page->GetItemAt(i - 1) == &m_tile) && Hits(dragged, gap, w, h)) {
                insertion = self < i ? i - 1 : i;
                return;
            }
            if (!other->IsAddTile() && Hits(dragged, box, w, h)) {
                hovered = i;
                return;
            }
            if (i % columns == columns - 1 && !other->IsAddTile()) {
                RECT right = {box.right, box.top, listRect.right, box.bottom};
                if (Hits(dragged, right, w, h)) {
                    insertion = self < i ? i : i + 1;
                    return;
                }
            }
        }
    }

    void RestoreShifted() {
        VQIconListPage* page = Page();
        for (VQControl** shifted : {&m_tile.m_shiftedLeft, &m_tile.m_shiftedRight}) {
            if (*shifted && page) {
                const int index = page->GetItemIndex(*shifted);
                if (index >= 0) {
                    const RECT cell = page->GetCellRect(index);
                    (*shifted)->SetPos(cell.left, cell.top, cell.right, cell.bottom);
                }
            }
            *shifted = nullptr;
        }
    }

    void UpdateFeedback(int hovered, int insertion) {
        VQIconListPage* page = Page();
        if (!page) return;
        if (hovered != m_tile.m_hoveredIndex) {
            if (m_tile.m_hoveredIndex >= 0 && m_tile.m_hoveredIndex < page->GetCount()) {
                VQControl* old = page->GetItemAt(m_tile.m_hoveredIndex);
                if (VQGameIcon* tile = static_cast<VQGameIcon*>(old->GetInterface(ControlTypeGameIcon))) {
                    if (m_tile.m_manager) m_tile.m_manager->KillTimer(tile, VQGameIcon::kWobbleTimer);
                    tile->m_wobbleAngle = 0;
                    tile->Invalidate();
                }
            }
            if (hovered >= 0) {
                VQControl* now = page->GetItemAt(hovered);
                if (VQGameIcon* tile = static_cast<VQGameIcon*>(now->GetInterface(ControlTypeGameIcon))) {
                    tile->m_wobbleCounter = 0;
                    if (m_tile.m_manager) m_tile.m_manager->SetTimer(tile, VQGameIcon::kWobbleTimer, 40);
                }
            }
            m_tile.m_hoveredIndex = hovered;
        }
        if (insertion != m_tile.m_insertionIndex) {
            RestoreShifted();
            if (insertion >= 0) {
                // The neighbours either side of the insertion point, skipping
                // the dragged tile itself, which leaves its place.
                // The insertion index counts without the dragged tile; the
                // gap on the page lies before page index `after`.
                const int self = page->GetItemIndex(&m_tile);
                int after = self <= insertion ? insertion + 1 : insertion;
                int before = after - 1;
                if (before == self) --before;
                if (after == self) ++after;
                if (before >= 0 && before < page->GetCount()) {
                    const RECT cell = page->GetCellRect(before);
                    m_tile.m_shiftedLeft = page->GetItemAt(before);
                    m_tile.m_shiftedLeft->SetPos(cell.left - 2, cell.top, cell.right - 2, cell.bottom);
                }
                if (after >= 0 && after < page->GetCount() && page->GetItemAt(after) != DragImage()) {
                    const RECT cell = page->GetCellRect(after);
                    m_tile.m_shiftedRight = page->GetItemAt(after);
                    m_tile.m_shiftedRight->SetPos(cell.left + 2, cell.top, cell.right + 2, cell.bottom);
                }
            }
            m_tile.m_insertionIndex = insertion;
            page->Invalidate();
        }
    }

    void Drop(POINT pt) {
        UpdateFeedback(-1, -1);
        VQGameIcon* image = DragImage();
        if (image) image->SetVisible(false);
        int hovered = -1, insertion = -1;
        if (!(pt.x == -1 && pt.y == -1)) FindTarget(hovered, insertion);
        VQIconListPage* page = Page();
        if (image && page) {
            page->Remove(image);
            delete image;
        }
        m_tile.m_state &= ~(StatePushed | StatePressed);
        m_tile.m_dragging = false;
        m_tile.m_hoveredIndex = m_tile.m_insertionIndex = -1;
        if (!page || !m_tile.m_manager) return;
        const WPARAM index = static_cast<WPARAM>(page->GetItemIndex(&m_tile));
        if (hovered >= 0) m_tile.m_manager->SendNotify(page, NotifyTileDroppedOnto, index, hovered);
        else if (insertion >= 0) m_tile.m_manager->SendNotify(page, NotifyTileDroppedBetween, index, insertion);
        page->Invalidate();
    }

private:
    VQGameIcon& m_tile;
};

void VQGameIcon::OnMouseMove(VQEvent& event) {
    const bool moved = event.mouse.x != m_pressPoint.x || event.mouse.y != m_pressPoint.y;
    if (IsEnabled() && GetOwnerListId() == IdInstalledList && (m_state & StatePressed) && !m_addTile && moved) {
        VQGameIconDrag drag(*this);
        if (!m_dragging) drag.Start();
        drag.Move(event.mouse);
        return;
    }
    if (PointIn(TextArea(), event.mouse)) {
        if (!m_addTile && IsEnabled()) StartRolling();
    } else if (m_rolling) {
        StopRolling();
    }
    VQContainer::OnMouseMove(event);
}

void VQGameIcon::DropDrag(VQEvent& event) {
    VQGameIconDrag(*this).Drop(event.mouse);
}

void VQGameIcon::OnLButtonUp(VQEvent& event) {
    if (m_dragging) {
        DropDrag(event);
        return;
    }
    if (m_state & StatePressed) {
        m_state &= ~(StatePushed | StatePressed);
        Invalidate();
        const RECT icon = Offset(m_iconRect, m_itemRect.left, m_itemRect.top);
        if (PointIn(icon, event.mouse) && !event.forwardedFrom) Activate(event);
    }
    if (TestNotifyBit(NotifyLButtonUp) && m_manager)
        m_manager->SendNotify(this, NotifyLButtonUp, event.wParam, event.lParam);
    if (ShouldForward(EventLButtonUp)) {
        event.forwardedFrom = this;
        m_parent->OnLButtonUp(event);
    }
}

}  // namespace Tessar
