#include "VQCore/app/pages/GameIconToolBar.h"

#include "VQCore/app/pages/GameIcon.h"
#include "VQCore/gamelib/GameId.h"
#include "ui/PaintManager.h"

namespace Tessar {

VQControl* VQGameIconToolBar::GetInterface(int type) {
    if (type == ControlTypeGameIconToolBar || type == ControlTypeContainer || type == ControlTypeControl) return this;
    return nullptr;
}

int VQGameIconToolBar::NotificationOf(int index) {
    static const int kNotifications[kButtonCount] = {NotifyTileStart,   NotifyTilePause,         NotifyTileDownload,
                                                     NotifyTileDetails, NotifyTileInstallFolder, NotifyTileDelete,
                                                     NotifyTileHomePage, NotifyTileRegisterPage};
    return index >= 0 && index < kButtonCount ? kNotifications[index] : 0;
}

void VQGameIconToolBar::UpdateForTile(VQGameIcon* tile) {
    m_tile = tile;
    if (!tile) return;  // detached: the buttons stay as they were
    const int state = tile->GetState();
    const bool downloads = tile->GetOwnerListId() == IdDownloadList;
    const int kind = GameKindOf(tile);
    const bool web = kind == kWebGameKind;
    const bool twin = FindInstalledTwin(tile) != nullptr;
    const bool downloadable = state == kTileNotInstalled && !twin && !downloads && !web;
    const bool stoppedOnDownloads = state == kTilePaused || state == kTileNotInstalled || state == kTileDownloaded;

    struct Rule {
        int show;    // 1 shown, 0 hidden, -1 unchanged
        int enable;  // the same for enabled
    };
    const Rule rules[kButtonCount] = {
        {!downloadable, downloads ? stoppedOnDownloads : 1},
        {downloads, !stoppedOnDownloads},
        {downloadable, -1},
        {-1, kind != kCustomGameKind},
        {state == kTileInstalled, kind != kWebGameKind},
        {!(state == kTileNotInstalled && !downloads), state != kTileDownloaded},
        {state == kTileNotInstalled && !downloads, !tile->Data().homePage.empty()},
        // Registration goes to the game's registration page: without one, nothing to open.
        {state == kTileNotInstalled && !downloads, !tile->Data().registerPage.empty()},
    };
    for (int i = 0; i < kButtonCount && i < GetCount(); ++i) {
        VQControl* button = GetItemAt(i);
        if (rules[i].show >= 0 && button->IsVisible() != (rules[i].show != 0)) button->SetVisible(rules[i].show != 0);
        if (rules[i].enable >= 0) button->SetEnabled(rules[i].enable != 0);
    }
    NeedUpdate();
    Invalidate();
}

void VQGameIconToolBar::OnMouseEnter(VQEvent& event) {
    if (m_tile) {
        VQEvent forwarded = event;
        forwarded.sender = this;
        m_tile->OnMouseEnter(forwarded);
    }
}

void VQGameIconToolBar::OnMouseLeave(VQEvent& event) {
    if (!m_tile) return;
    // Still over the tile: the bar keeps showing.
    const RECT rc = m_tile->GetPos();
    const POINT pt = event.mouse;
    if (pt.x >= rc.left && pt.x < rc.right && pt.y >= rc.top && pt.y < rc.bottom) return;
    VQEvent forwarded = event;
    forwarded.sender = this;
    m_tile->OnMouseLeave(forwarded);
}

bool VQGameIconToolBar::Activate(VQEvent& event) {
    VQControl* button = event.forwardedFrom ? event.forwardedFrom : event.sender;
    if (!button || button == this) return false;
    const int index = GetItemIndex(button);
    if (index < 0 || !m_manager) return true;
    m_manager->SendNotify(m_tile, NotificationOf(index), 0, 0);
    if (m_tile && m_tile->GetOwnerListId() == IdDownloadList && GetCount() >= 2) {
        if (index == 0) {
            GetItemAt(0)->SetEnabled(false);
            GetItemAt(1)->SetEnabled(true);
        } else if (index == 1) {
            GetItemAt(1)->SetEnabled(false);
            GetItemAt(0)->SetEnabled(true);
        }
    }
    return true;
}

}  // namespace Tessar
