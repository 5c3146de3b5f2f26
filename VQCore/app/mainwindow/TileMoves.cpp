#include "VQCore/app/mainwindow/TileMoves.h"

#include <algorithm>

#include "VQCore/app/pages/GameIcon.h"
#include "VQCore/app/pages/IconList.h"
#include "VQCore/app/pages/IconListPage.h"
#include "ui/Animation.h"
#include "ui/PaintManager.h"

namespace Tessar {

namespace {

VQGameIcon* TileOf(VQControl* control) {
    return control ? static_cast<VQGameIcon*>(control->GetInterface(ControlTypeGameIcon)) : nullptr;
}

}  // namespace

int PlanTileMove(int count, int from, int to, bool swap, std::vector<int>& order) {
    order.resize(count > 0 ? static_cast<size_t>(count) : 0);
    for (int i = 0; i < count; ++i) order[i] = i;
    if (from < 0 || to < 0 || from >= count || to >= count || from == to) return 0;
    if (swap) {
        std::swap(order[from], order[to]);
        return 2;
    }
    if (from < to)
        std::rotate(order.begin() + from, order.begin() + from + 1, order.begin() + to + 1);
    else
        std::rotate(order.begin() + to, order.begin() + from, order.begin() + from + 1);
    return std::abs(to - from) + 1;
}

int VQTileMoves::OnTileDropped(VQIconListPage* page, bool onto, int from, int target) {
    VQIconList* list = page ? page->GetOwner() : nullptr;
    if (!list) return 0;
    FinishAll();
    const int count = page->GetCount();
    VQGameIcon* moving = TileOf(page->GetItemAt(from));
    if (!moving || moving->IsAddTile()) return 0;
    int to = target;
    if (onto) {
        VQGameIcon* other = TileOf(page->GetItemAt(to));
        if (!other || other == moving || other->IsAddTile()) return 0;
    } else {
        to = std::min(target, count - 1);
        VQGameIcon* there = TileOf(page->GetItemAt(to));
        if (!there) return 0;
        if (there->IsAddTile()) {
            if (to == 0) return 0;
            --to;
        }
    }
    std::vector<int> order;
    const int moved = PlanTileMove(count, from, to, onto, order);
    if (moved == 0) return 0;

    // Where the page's tiles sit in the list's vector: the new order goes
    // into the same slots, so the page and the vector keep agreeing.
    std::vector<VQGameIcon*>& tiles = list->GetTiles();
    std::vector<VQGameIcon*> before(count);
    std::vector<size_t> slots;
    for (int i = 0; i < count; ++i) {
        before[i] = TileOf(page->GetItemAt(i));
        const auto it = std::find(tiles.begin(), tiles.end(), before[i]);
        if (!before[i] || it == tiles.end()) return 0;
        slots.push_back(static_cast<size_t>(it - tiles.begin()));
    }
    std::sort(slots.begin(), slots.end());
    for (int i = 0; i < count; ++i) {
        page->SetItemIndex(before[order[i]], i);
        tiles[slots[i]] = before[order[i]];
    }
    // The hover tool bar stood by a tile that is about to move.
    if (VQControl* bar = m_manager.FindControlById(IdTileToolBar)) {
        if (bar->IsVisible()) bar->SetVisible(false);
    }
    for (int i = 0; i < count; ++i)
        if (order[i] != i) Launch(before[order[i]], list, page->GetCellRect(i));
    page->NeedUpdate();
    page->Invalidate();
    return moved;
}

void VQTileMoves::Launch(VQGameIcon* tile, VQIconList* list, const RECT& target) {
    const RECT from = tile->GetPos();
    Mover mover = {tile,
                   list,
                   tile->IsAbsFloat(),
                   tile->GetFixedXY(),
                   tile->GetFixedWidth(),
                   tile->GetFixedHeight()};
    tile->SetAbsFloat(true);
    tile->SetFixedWidth(from.right - from.left);
    tile->SetFixedHeight(from.bottom - from.top);
    tile->SetFixedXY(from.left, from.top);
    tile->m_motionStartX = from.left;
    tile->m_motionStartY = from.top;
    tile->m_motionTargetX = target.left;
    tile->m_motionTargetY = target.top;
    tile->m_motionSteps = kSteps;
    tile->m_motionStep = 0;
    tile->m_motionMode = 0;  // eased: it slows down as it arrives
    if (!m_manager.SetTimer(tile, AnimationMotion, kStepMs)) {
        // No timer (no window): the tile is simply at its place.
        Land(mover);
        return;
    }
    m_movers.push_back(mover);
}

void VQTileMoves::Land(const Mover& mover) {
    VQGameIcon* tile = mover.tile;
    m_manager.KillTimer(tile, AnimationMotion);
    tile->SetAbsFloat(mover.absFloat);
    tile->SetFixedXY(mover.fixedXY.x, mover.fixedXY.y);
    tile->SetFixedWidth(mover.fixedWidth);
    tile->SetFixedHeight(mover.fixedHeight);
    tile->NeedParentUpdate();
    tile->Invalidate();
}

bool VQTileMoves::OnAnimationStep(VQControl* sender) {
    const auto it = std::find_if(m_movers.begin(), m_movers.end(),
                                 [sender](const Mover& mover) { return mover.tile == sender; });
    if (it == m_movers.end()) return false;
    const Mover mover = *it;
    m_movers.erase(it);
    Land(mover);
    return m_movers.empty();
}

bool VQTileMoves::Forget(VQControl* tile) {
    const auto it = std::find_if(m_movers.begin(), m_movers.end(),
                                 [tile](const Mover& mover) { return mover.tile == tile; });
    if (it == m_movers.end()) return false;
    m_manager.KillTimer(it->tile, AnimationMotion);
    m_movers.erase(it);
    return m_movers.empty();
}

bool VQTileMoves::FinishAll() {
    if (m_movers.empty()) return false;
    std::vector<Mover> movers;
    movers.swap(m_movers);
    for (const Mover& mover : movers) {
        // A tile that left its list meanwhile is not touched.
        const std::vector<VQGameIcon*>& tiles = mover.list->GetTiles();
        if (std::find(tiles.begin(), tiles.end(), mover.tile) != tiles.end()) Land(mover);
    }
    return true;
}

}  // namespace Tessar
