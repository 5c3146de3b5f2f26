#include "VQCore/app/mainwindow/TabPages.h"

#include <cwchar>

#include "VQCore/app/start/AppControlTypes.h"
#include "ui/PaintManager.h"
#include "ui/TabCtrl.h"

namespace Tessar {

bool ShowSelectedTabPage(VQPaintManager& manager, VQTabCtrl& tabs) {
    // An icon list's page strip shows its own pages (their ids come from a
    // counter that may meet the layout's ids).
    if (tabs.GetInterface(ControlTypePageTabCtrl)) return false;
    VQTabItem* selected = tabs.GetSelectedItem();
    VQControl* shown = nullptr;
    for (int i = 0; i < tabs.GetCount(); ++i) {
        VQTabItem* item = static_cast<VQTabItem*>(tabs.GetItemAt(i)->GetInterface(ControlTypeTabItem));
        if (!item || item->GetControlId() == 0) continue;
        const bool show = item == selected;
        // A companion control (the page's filter, say) named by the item's
        // user data shows and hides with the page.
        const int companionId = _wtoi(item->GetUserData().c_str());
        if (VQControl* companion = companionId ? manager.FindControlById(companionId) : nullptr) {
            if (companion->IsVisible() != show) companion->SetVisible(show);
        }
        VQControl* page = manager.FindControlById(item->GetControlId());
        if (!page) continue;
        if (show) shown = page;
        if (page->IsVisible() != show) page->SetVisible(show);
    }
    if (!shown) return false;
    // The hover tool bar belongs to a tile of the page that went.
    if (VQControl* bar = manager.FindControlById(IdTileToolBar)) {
        if (bar->IsVisible()) bar->SetVisible(false);
    }
    shown->NeedUpdate();
    shown->NeedParentUpdate();
    shown->Invalidate();
    return true;
}

}  // namespace Tessar
