#include "VQCore/app/mainwindow/PageSlide.h"

#include "VQCore/app/start/AppControlTypes.h"
#include "VQCore/app/pages/IconList.h"
#include "VQCore/app/pages/IconListPage.h"
#include "VQCore/app/pages/PageFilters.h"
#include "ui/Animation.h"
#include "ui/PaintManager.h"
#include "ui/TabCtrl.h"

namespace Tessar {

namespace {

VQIconList* ListAbove(VQControl* control) {
    for (VQControl* c = control; c; c = c->GetParent())
        if (VQControl* list = c->GetInterface(ControlTypeIconList)) return static_cast<VQIconList*>(list);
    return nullptr;
}

// The page of a list's context that a page tab names.
VQControl* ListPageById(VQIconList* list, int id) {
    VQIconListContext* context = list ? list->GetContext() : nullptr;
    if (!context) return nullptr;
    for (int i = 0; i < context->GetCount(); ++i)
        if (context->GetItemAt(i)->GetId() == id) return context->GetItemAt(i);
    return nullptr;
}

// Where the pages of a container lie: its client area.
RECT PageArea(VQControl* parent) {
    VQContainer* container = parent ? static_cast<VQContainer*>(parent->GetInterface(ControlTypeContainer)) : nullptr;
    return container ? container->GetClientArea() : RECT{0, 0, 0, 0};
}

void DropStandIn(VQControl* standIn) {
    DetachControlFromParent(standIn);
    delete standIn;
}

}  // namespace

bool VQPageSlide::OnPageSelected(VQTabCtrl& tabs, VQPageFilters* filters) {
    VQTabItem* selected = tabs.GetSelectedItem();
    VQTabItem* previous = tabs.GetPreviousItem();
    const bool windowShown = ::IsWindowVisible(m_manager.GetPaintWindow()) != FALSE;
    VQControl* incoming = nullptr;
    VQControl* outgoing = nullptr;
    bool temporary = false;
    int direction = 1;
    if (tabs.GetInterface(ControlTypePageTabCtrl)) {
        // A page tab of an icon list.
        VQIconList* list = ListAbove(&tabs);
        if (!list) return false;
        incoming = list->GetCurrentPageControl();
        bool rebuilt = false;
        if (filters && filters->IsPageSwitching()) {
            filters->SetPageSwitching(false);
            VQIconListPage* snapshot = filters->GetSnapshot();
            // The rebuild took the old pages and their tabs away: no tab was
            // selected before the new first one.
            rebuilt = snapshot && snapshot->GetOwner() == list && previous == nullptr;
        }
        if (rebuilt) {
            if (!windowShown || !incoming || !incoming->IsVisible()) return false;
            outgoing = filters->TakeSnapshot();
            temporary = true;
            if (!list->Add(outgoing)) {
                delete outgoing;
                return false;
            }
        } else if (previous && selected && previous != selected) {
            outgoing = ListPageById(list, previous->GetControlId());
            direction = tabs.GetItemIndex(selected) > tabs.GetItemIndex(previous) ? 1 : -1;
        }
    } else if (previous && selected && previous != selected) {
        // A tab control of the window naming its pages by control id.
        incoming = m_manager.FindControlById(selected->GetControlId());
        outgoing = m_manager.FindControlById(previous->GetControlId());
        direction = tabs.GetItemIndex(selected) > tabs.GetItemIndex(previous) ? 1 : -1;
    }
    const RECT area = incoming ? PageArea(incoming->GetParent()) : RECT{0, 0, 0, 0};
    // Only a page that the change hid goes, only one that it showed comes,
    // and only in a window the user sees.
    const bool slides = windowShown && incoming && outgoing && incoming != outgoing && incoming->IsVisible() &&
                        (temporary || !outgoing->IsVisible()) && area.right > area.left && area.bottom > area.top;
    if (!slides) {
        if (temporary) DropStandIn(outgoing);
        return false;
    }
    return Start(outgoing, temporary, incoming, area, direction, &tabs);
}

bool VQPageSlide::Start(VQControl* outgoing, bool temporary, VQControl* incoming, const RECT& area, int direction,
                        VQTabCtrl* tabs) {
    Finish();
    if (!outgoing || !incoming) return false;
    const int width = area.right - area.left;
    const int step = direction < 0 ? -width : width;
    m_tabs = tabs;
    m_outgoingPageId = outgoing->GetId();
    m_outgoing = Mover();
    m_outgoing.temporary = temporary;
    if (!Launch(m_incoming, incoming, area, area.left + step, area.left)) {
        // No timer (no window): the new page is simply in place.
        Finish();
        m_outgoing = Mover();
        if (temporary) DropStandIn(outgoing);
        return false;
    }
    if (!outgoing->IsVisible()) outgoing->SetVisible(true);
    if (!Launch(m_outgoing, outgoing, area, area.left, area.left - step)) {
        Finish();
        return false;
    }
    // Hit tests skip a disabled page: the one that goes takes no clicks.
    outgoing->SetEnabled(false);
    return true;
}

bool VQPageSlide::Launch(Mover& mover, VQControl* control, const RECT& area, int fromX, int toX) {
    const bool temporary = mover.temporary;
    mover = Mover();
    mover.control = control;
    mover.temporary = temporary;
    mover.absFloat = control->IsAbsFloat();
    mover.floating = control->IsFloat();
    mover.relFloat = control->IsRelFloat();
    mover.enabled = control->IsEnabled();
    mover.fixedXY = control->GetFixedXY();
    mover.fixedWidth = control->GetFixedWidth();
    mover.fixedHeight = control->GetFixedHeight();
    // An absolute float for the time of the slide: out of its parent's flow,
    // placed by its fixed point alone.
    control->SetFloat(false);
    control->SetRelFloat(false);
    control->SetAbsFloat(true);
    control->SetFixedWidth(area.right - area.left);
    control->SetFixedHeight(area.bottom - area.top);
    control->SetFixedXY(fromX, area.top);
    control->m_motionStartX = fromX;
    control->m_motionStartY = area.top;
    control->m_motionTargetX = toX;
    control->m_motionTargetY = area.top;
    control->m_motionSteps = kSteps;
    control->m_motionStep = 0;
    control->m_motionMode = 0;  // eased: the pages slow down as they arrive
    control->NeedParentUpdate();
    control->Invalidate();
    return m_manager.SetTimer(control, AnimationMotion, kStepMs);
}

void VQPageSlide::Land(Mover& mover, bool outgoing) {
    const Mover done = mover;
    mover = Mover();
    VQControl* control = done.control;
    m_manager.KillTimer(control, AnimationMotion);
    if (outgoing && done.temporary) {
        // Freed later: this may run inside the stand-in's own timer event.
        DetachControlFromParent(control);
        m_manager.AddDelayedCleanup(control);
        m_manager.PostDelayedCleanup();
        return;
    }
    control->SetAbsFloat(done.absFloat);
    control->SetFloat(done.floating);
    control->SetRelFloat(done.relFloat);
    control->SetFixedXY(done.fixedXY.x, done.fixedXY.y);
    control->SetFixedWidth(done.fixedWidth);
    control->SetFixedHeight(done.fixedHeight);
    control->SetEnabled(done.enabled);
    if (outgoing) {
        // Hidden again, unless its tab was chosen again meanwhile.
        VQTabItem* selected = m_tabs ? m_tabs->GetSelectedItem() : nullptr;
        const bool keep = selected && selected->GetControlId() == m_outgoingPageId;
        if (control->IsVisible() != keep) control->SetVisible(keep);
    }
    control->NeedParentUpdate();
    control->Invalidate();
}

bool VQPageSlide::OnAnimationStep(VQControl* sender) {
    if (!sender || !IsRunning()) return false;
    if (sender == m_incoming.control)
        Land(m_incoming, false);
    else if (sender == m_outgoing.control)
        Land(m_outgoing, true);
    else
        return false;
    return !IsRunning();
}

bool VQPageSlide::Finish() {
    if (!IsRunning()) return false;
    // A page that went away meanwhile (its list was rebuilt) is forgotten.
    if (m_incoming.control) {
        if (IsInTree(m_incoming.control))
            Land(m_incoming, false);
        else
            m_incoming = Mover();
    }
    if (m_outgoing.control) {
        if (IsInTree(m_outgoing.control))
            Land(m_outgoing, true);
        else
            m_outgoing = Mover();
    }
    return true;
}

bool VQPageSlide::IsInTree(const VQControl* control) const {
    struct Match {
        static VQControl* Proc(VQControl* candidate, void* data) { return candidate == data ? candidate : nullptr; }
    };
    VQControl* root = m_manager.GetRoot();
    return root && root->FindControl(&Match::Proc, const_cast<VQControl*>(control), FindMeFirst) != nullptr;
}

}  // namespace Tessar
