// The main window's notification routing: one table from notification
// type to handler; each handler looks at the sender (a tile, a tab item,
// the search box, a page) and does what that control asked for.

#include "VQCore/app/mainwindow/MarloxWnd.h"

#include "VQCore/app/mainwindow/Confirmations.h"
#include "VQCore/app/pages/GameIcon.h"
#include "VQCore/app/pages/IconList.h"
#include "VQCore/app/pages/IconListPage.h"
#include "VQCore/app/operations/InstallQueue.h"
#include "VQCore/app/mainwindow/PageSlide.h"
#include "VQCore/app/windows/PageTipWnd.h"
#include "VQCore/app/windows/SearchWnd.h"
#include "VQCore/app/mainwindow/TileMoves.h"
#include "VQCore/gamelib/GameId.h"
#include "VQCore/gamelib/Settings.h"
#include "ui/Control.h"
#include "ui/TabCtrl.h"

namespace Tessar {

namespace {

const int kControlTypeTab = 12;
const int kControlTypeTabItem = 13;
// How long the page tip stays once the mouse rests on a page button.
const UINT kPageTipMs = 1000;

VQGameIcon* TileOf(VQControl* control) {
    return control ? static_cast<VQGameIcon*>(control->GetInterface(ControlTypeGameIcon)) : nullptr;
}

}  // namespace

void VQMarloxWnd::Notify(VQNotifyMsg& msg) {
    using Handler = void (VQMarloxWnd::*)(VQNotifyMsg&);
    struct Route {
        int type;
        Handler handler;
    };
    static const Route kRoutes[] = {
        {NotifyClick, &VQMarloxWnd::OnClickNotify},
        {NotifyMouseHover, &VQMarloxWnd::OnHoverNotify},
        {NotifyMouseLeave, &VQMarloxWnd::OnLeaveNotify},
        {NotifySetFocus, &VQMarloxWnd::OnSearchBoxNotify},
        {NotifyKillFocus, &VQMarloxWnd::OnSearchBoxNotify},
        {NotifyReturn, &VQMarloxWnd::OnSearchBoxNotify},
        {NotifyTextChanged, &VQMarloxWnd::OnSearchBoxNotify},
        {NotifySelectionChanged, &VQMarloxWnd::OnSelectionNotify},
        {NotifyItemSelect, &VQMarloxWnd::OnPageFilterSelected},
        {NotifyTabActivate, &VQMarloxWnd::OnTabItemActivated},
        {NotifyContextMenu, &VQMarloxWnd::OnContextMenuNotify},
        {NotifyTileStart, &VQMarloxWnd::OnTileNotify},
        {NotifyTilePause, &VQMarloxWnd::OnTileNotify},
        {NotifyTileDetails, &VQMarloxWnd::OnTileNotify},
        {NotifyTileInstallFolder, &VQMarloxWnd::OnTileNotify},
        {NotifyTileDelete, &VQMarloxWnd::OnTileNotify},
        {NotifyTileDownload, &VQMarloxWnd::OnTileNotify},
        {NotifyTileHomePage, &VQMarloxWnd::OnTileNotify},
        {NotifyTileRegisterPage, &VQMarloxWnd::OnTileNotify},
        {NotifyGameStarted, &VQMarloxWnd::OnGameStartedNotify},
        {NotifyGameStartFailed, &VQMarloxWnd::OnGameBrokenNotify},
        {NotifyTileDroppedBetween, &VQMarloxWnd::OnTileDropped},
        {NotifyTileDroppedOnto, &VQMarloxWnd::OnTileDropped},
        {NotifyAnimationStep, &VQMarloxWnd::OnAnimationStepNotify},
        {NotifyTileRemoved, &VQMarloxWnd::OnTileRemovedNotify},
        {NotifyInstallFinished, &VQMarloxWnd::OnInstallFinishedNotify},
        {NotifyLastInstallDone, &VQMarloxWnd::OnLastInstallDoneNotify},
    };
    // A download's end event has no sender control.
    if (msg.type == NotifyDownloadError) {
        OnDownloadErrorNotify(static_cast<uint32_t>(msg.wParam), static_cast<uint32_t>(msg.lParam));
        return;
    }
    if (msg.sender == nullptr) return;
    for (const Route& route : kRoutes) {
        if (route.type != msg.type) continue;
        (this->*route.handler)(msg);
        return;
    }
}

void VQMarloxWnd::OnClickNotify(VQNotifyMsg& msg) {
    if (VQGameIcon* tile = TileOf(msg.sender)) {
        // The tile that adds games asks for a program; any other does its action.
        if (tile->IsAddTile())
            ShowAddTileAction();
        else
            OnTileAction(tile);
        return;
    }
    const int id = msg.sender->GetId();
    if (id == IdSearchButton) {
        ShowSearchResults();
        return;
    }
    OnTitleButtonClick(id);
}

// A tile: its tip beside the mouse. A page button of an icon list: its
// number in the page tip above it.
void VQMarloxWnd::OnHoverNotify(VQNotifyMsg& msg) {
    if (VQGameIcon* tile = TileOf(msg.sender)) {
        ShowGameIconTip(tile, msg.mouse);
        return;
    }
    VQControl* item = msg.sender->GetInterface(kControlTypeTabItem);
    // Only the numbered page buttons of an icon list: the window's own tab
    // bars (pages, game library) have no number to show.
    VQControl* bar = item ? item->GetParent() : nullptr;
    if (!bar || !bar->GetInterface(ControlTypePageTabCtrl)) return;
    if (!m_pageTip) m_pageTip = new VQPageTipWnd(m_hwnd);
    if (!::IsWindow(m_pageTip->GetHWND())) return;
    const int width = m_pageTip->SetText(item->GetText());
    const RECT pos = item->GetPos();
    m_pageTip->MoveTo((pos.left + pos.right - width) / 2, pos.top - VQPageTipWnd::kHeight);
    m_pageTip->ShowFor(kPageTipMs);
}

void VQMarloxWnd::OnLeaveNotify(VQNotifyMsg& msg) {
    if (TileOf(msg.sender)) HideGameIconTip(msg.sender, false);
}

void VQMarloxWnd::OnContextMenuNotify(VQNotifyMsg& msg) {
    HideGameIconTip(msg.sender, false);
    OnTileNotify(msg);
}

void VQMarloxWnd::OnInstallFinishedNotify(VQNotifyMsg& msg) { OnInstallFinished(TileOf(msg.sender)); }

void VQMarloxWnd::OnLastInstallDoneNotify(VQNotifyMsg& msg) { OnLastInstallDone(); }

bool VQMarloxWnd::IsPageTipShown() const { return m_pageTip && ::IsWindowVisible(m_pageTip->GetHWND()); }

void VQMarloxWnd::OnSearchBoxNotify(VQNotifyMsg& msg) {
    if (msg.sender->GetId() != IdSearchBox) return;
    switch (msg.type) {
    case NotifyReturn:
        // A name picked with the arrow keys is chosen as the drop-down's Enter does.
        if (!ChooseSearchSelection()) ShowSearchResults();
        break;
    case NotifyTextChanged: OnSearchTextChanged(); break;
    case NotifySetFocus:
    case NotifyKillFocus: OnSearchBoxFocus(msg.type == NotifySetFocus); break;
    default: break;
    }
}

// A tab control chose a page: its page shows (sliding in, with the
// opening effect on); the download page brings the speed display.
void VQMarloxWnd::OnSelectionNotify(VQNotifyMsg& msg) {
    VQTabCtrl* tabs = static_cast<VQTabCtrl*>(msg.sender->GetInterface(kControlTypeTab));
    if (!tabs) return;
    SwitchPage(tabs);
    if (m_openEffect && m_pageSlide) m_pageSlide->OnPageSelected(*tabs, m_filters.get());
    if (msg.sender->GetId() == kPageTabId) {
        const bool downloads = static_cast<VQControl*>(tabs->GetSelectedItem()) == tabs->GetItemAt(kPageDownloads);
        ApplySpeedDisplay(downloads && VQSettings::Instance().GetBool(L"ShowSpeed"));
    }
    // A page of an icon list changed only that list's area, which its page
    // strip invalidated already (and the slide, step by step): the rest of
    // the window is not painted again for it.
    if (tabs->GetInterface(ControlTypePageTabCtrl)) return;
    m_paintManager.InvalidateWindow();
}

// The close mark of a game library tab: the tab goes away; when it was the
// selected one, the one selected before it (or the first) takes over.
void VQMarloxWnd::OnTabItemActivated(VQNotifyMsg& msg) {
    VQControl* item = msg.sender->GetInterface(kControlTypeTabItem);
    VQControl* parent = item ? item->GetParent() : nullptr;
    VQTabCtrl* tabs = parent ? static_cast<VQTabCtrl*>(parent->GetInterface(kControlTypeTab)) : nullptr;
    if (!tabs || parent->GetId() != IdLibraryTab) return;
    const bool wasSelected = static_cast<VQControl*>(tabs->GetSelectedItem()) == item;
    item->SetVisible(false);
    if (wasSelected) {
        VQControl* previous = tabs->GetPreviousItem();
        const int index = previous && previous != item && previous->IsVisible() ? tabs->GetItemIndex(previous) : 0;
        tabs->SelectItem(index < 0 ? 0 : index);
        SwitchPage(tabs);
    }
    parent->NeedUpdate();
}

void VQMarloxWnd::OnGameStartedNotify(VQNotifyMsg& msg) {
    VQSettings& settings = VQSettings::Instance();
    if (settings.GetBool(L"RunGameMin")) {
        if (settings.GetInt(L"CloseAction") == 1)
            ::SendMessageW(m_hwnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        else
            ShowWindow(false, false);
    }
    RefreshInstalledPages();
}

// A game that would not start: the window comes forward with the tile in
// view, blinking, and offers to download it again (unless the user said not to ask).
void VQMarloxWnd::OnGameBrokenNotify(VQNotifyMsg& msg) {
    VQGameIcon* tile = TileOf(msg.sender);
    if (!tile) return;
    ShowWindow(true, true);
    ::SetForegroundWindow(m_hwnd);
    const int listId = tile->GetOwnerListId();
    const uint32_t serial = tile->GetSerial();
    if (GameKindOf(tile) != kCustomGameKind && listId == kInstalledListId) {
        ShowPage(kPageInstalled);
        if (VQIconList* list = tile->GetOwnerList()) {
            const int page = list->PageOfTile(tile);  // 1-based
            if (page >= 1) list->ShowPageAt(page - 1);
        }
        tile->StartBlinkAnimation();
    }
    VQSettings& settings = VQSettings::Instance();
    bool again = true;
    if (settings.GetBool(L"RepairGameTip")) {
        const VQConfirmation answer = AskRepairGame(m_hwnd);
        again = answer.proceed;
        if (again && answer.withData) settings.SetBool(L"RepairGameTip", false);
        // The question let the window work on: the tile is looked up again.
        tile = FindTileBySerial(serial);
        if (tile && tile->GetOwnerListId() != listId) tile = nullptr;
    }
    if (tile && again && GameKindOf(tile) != kCustomGameKind) DownloadTile(tile);
    if (tile && listId == kQuickListId) {
        tile->SetState(kTileNotInstalled);
        tile->Invalidate();
    }
    RefreshInstalledPages();
}

// A tile dragged on its page: dropped onto another tile the two change
// places; dropped between tiles it moves there and the tiles in between
// close up. The tiles float to their new places; the new order is what
// the installed list keeps once they are there.
void VQMarloxWnd::OnTileDropped(VQNotifyMsg& msg) {
    auto* page = static_cast<VQIconListPage*>(msg.sender->GetInterface(ControlTypeIconListPage));
    if (!page || !m_tileMoves) return;
    const int moved = m_tileMoves->OnTileDropped(page, msg.type == NotifyTileDroppedOnto, static_cast<int>(msg.wParam),
                                                 static_cast<int>(msg.lParam));
    // Without a timer the tiles are in their places at once.
    if (moved > 0 && m_tileMoves->GetMovingCount() == 0) RefreshInstalledPages();
}

// The last step of a motion (notification 20): a page of the slide or a
// moving tile arrived. After the last of them the installed lists are
// written again and the window repaints.
void VQMarloxWnd::OnAnimationStepNotify(VQNotifyMsg& msg) {
    const bool ended = (m_pageSlide && m_pageSlide->OnAnimationStep(msg.sender)) ||
                       (m_tileMoves && m_tileMoves->OnAnimationStep(msg.sender));
    if (!ended) return;
    RefreshInstalledPages();
    m_paintManager.InvalidateWindow();
}

void VQMarloxWnd::OnTileRemovedNotify(VQNotifyMsg& msg) {
    HideGameIconTip(msg.sender, true);
    if (msg.sender->GetId() == IdSearchBox && m_searchWindow && ::IsWindow(m_searchWindow->GetHWND()))
        ::SendMessageW(m_searchWindow->GetHWND(), WM_KILLFOCUS, 0, 0);
    if (VQGameIcon* tile = TileOf(msg.sender))
        if (tile->GetSerial() == m_contextSerial) m_contextSerial = 0;
    // A queued install of the tile goes with it.
    GetInstallQueue().Forget(TileOf(msg.sender));
    if (m_tileMoves && m_tileMoves->Forget(msg.sender)) RefreshInstalledPages();
}

}  // namespace Tessar
