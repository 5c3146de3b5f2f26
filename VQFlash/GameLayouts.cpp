#include "VQFlash/GameLayouts.h"

#include <cwchar>

#include "ui/PaintManager.h"

namespace Tessar {

VQLightLayout::~VQLightLayout() {}

void VQLightLayout::OnLButtonDown(VQEvent& event) {
    if (VQPaintManager* manager = GetManager()) manager->SendNotify(this, NotifyLButtonDown);
    if (VQControl* parent = GetParent()) {
        event.forwardedFrom = this;
        parent->OnLButtonDown(event);
    }
}

void VQMoveLayout::OnLButtonDown(VQEvent& event) {
    m_lastPoint = event.mouse;
    m_dragFlags |= kDragging;
}

void VQMoveLayout::OnMouseMove(VQEvent& event) {
    // Only a floating frame (the lights-off view) is placed by its offsets.
    if (!IsDragging() || !IsFloat()) return;
    const int dx = event.mouse.x - m_lastPoint.x;
    const int dy = event.mouse.y - m_lastPoint.y;
    m_lastPoint = event.mouse;
    if (dx == 0 && dy == 0) return;
    const POINT fixed = GetFixedXY();
    SetFixedXY(fixed.x + dx, fixed.y + dy);
    NeedParentUpdate();
    if (m_postMoved && GetManager() != nullptr && GetManager()->GetPaintWindow() != nullptr)
        ::PostMessageW(GetManager()->GetPaintWindow(), WM_VQ_FRAME_MOVED, 0, 0);
}

void VQMoveLayout::OnLButtonUp(VQEvent& event) {
    m_dragFlags &= ~kDragging;
}

VQControl* VQDialogBuilderCallbackEx::CreateControl(const wchar_t* tag) {
    if (tag == nullptr) return nullptr;
    if (std::wcscmp(tag, L"MoveLayout") == 0) return new VQMoveLayout(m_postMoved);
    if (m_lightLayout && std::wcscmp(tag, L"LightLayout") == 0) return new VQLightLayout();
    return nullptr;
}

}  // namespace Tessar
