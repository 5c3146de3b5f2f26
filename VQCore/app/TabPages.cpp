#include "VQCore/app/TabPages.h"

#include <cwchar>

#include "ui/PaintManager.h"
#include "ui/TabCtrl.h"

namespace Tessar {

bool ShowSelectedTabPage(VQPaintManager& manager, VQTabCtrl& tabs) {
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
    shown->NeedUpdate();
    shown->NeedParentUpdate();
    shown->Invalidate();
    return true;
}

}  // namespace Tessar
