#include "VQCore/app/mainwindow/TileMenu.h"

#include "VQCore/app/windows/DialogWindow.h"
#include "VQCore/app/pages/GameIcon.h"
#include "VQCore/app/start/ResourceString.h"
#include "VQCore/gamelib/AppPaths.h"
#include "VQCore/gamelib/GameId.h"
#include "VQCore/gamelib/GameTile.h"
#include "ui/DialogBuilder.h"
#include "ui/Menu.h"
#include "ui/MenuWnd.h"
#include "ui/SkinManager.h"

namespace Tessar {

namespace {

const int kDownloadListId = 119;
const int kInstalledListId = 120;
const int kToolsListId = 121;
const int kLayoutResource = 226;
const int kStyleResource = 331;
const UINT kCreateShortcutText = 1107;
const UINT kRemoveShortcutText = 1108;

VQMenuItemPlan Item(int id, bool visible = true, bool enabled = true) { return VQMenuItemPlan{id, visible, enabled, {}}; }

void PlanDownloadMenu(const VQTileMenuFacts& facts, VQTileMenuPlan& plan) {
    plan.layout = "IconMenuDownload";
    const bool stopped = facts.state == kTileNotInstalled || facts.state == kTilePaused ||
                         facts.state == kTileDownloaded;
    plan.items.push_back(Item(kCmdStartTask, true, stopped));
    plan.items.push_back(Item(kCmdPauseTask, true, !stopped));
    plan.items.push_back(Item(kCmdDeleteTask, true, facts.state != kTileDownloaded));
    for (int id : {kCmdStartAll, kCmdPauseAll, kCmdDeleteAll, kCmdDownloadSettings}) plan.items.push_back(Item(id));
}

void PlanInstalledMenu(const VQTileMenuFacts& facts, VQTileMenuPlan& plan) {
    plan.layout = "IconMenuInstalled";
    const bool web = facts.kind == kWebGameKind, custom = facts.kind == kCustomGameKind;
    plan.items.push_back(Item(kCmdRunGame));
    plan.items.push_back(Item(kCmdGameDetails, true, !custom));
    plan.items.push_back(Item(kCmdInstallFolder, true, !web));
    VQMenuItemPlan shortcut = Item(kCmdDesktopShortcut);
    shortcut.text = LoadResourceString(facts.hasShortcut ? kRemoveShortcutText : kCreateShortcutText);
    plan.items.push_back(shortcut);
    plan.items.push_back(Item(kCmdDeleteIcon, true, facts.listId != kToolsListId));
    plan.items.push_back(Item(kCmdUninstall, true, !web && !custom));
}

void PlanOtherMenu(const VQTileMenuFacts& facts, VQTileMenuPlan& plan) {
    plan.layout = "IconMenuNoInstall";
    const bool offerDownload = !facts.hasInstalledTwin && facts.kind != kWebGameKind;
    plan.items.push_back(Item(kCmdRunGame, !offerDownload));
    plan.items.push_back(Item(kCmdDownloadGame, offerDownload));
    plan.items.push_back(Item(kCmdGameDetails));
    plan.items.push_back(Item(kCmdRuntimeCheck));
    plan.items.push_back(Item(kCmdOfficialSite, true, facts.hasOfficialSite));
    plan.items.push_back(Item(kCmdRegister, true, facts.hasRegistrationPage));
}

}  // namespace

const VQMenuItemPlan* VQTileMenuPlan::Find(int id) const {
    for (const VQMenuItemPlan& item : items)
        if (item.id == id) return &item;
    return nullptr;
}

VQTileMenuFacts TileMenuFactsOf(const VQGameIcon& tile) {
    VQTileMenuFacts facts;
    facts.listId = tile.GetOwnerListId();
    facts.kind = GameKindOf(&tile);
    facts.state = tile.GetState();
    facts.hasShortcut = tile.Data().operationFlag2 != 0;
    facts.hasInstalledTwin = FindInstalledTwin(&tile) != nullptr;
    facts.hasOfficialSite = !tile.Data().homePage.empty();
    facts.hasRegistrationPage = !tile.Data().registerPage.empty();
    return facts;
}

VQTileMenuPlan PlanTileMenu(const VQTileMenuFacts& facts) {
    VQTileMenuPlan plan;
    if (facts.listId == kDownloadListId)
        PlanDownloadMenu(facts, plan);
    else if (facts.listId == kInstalledListId || facts.listId == kToolsListId)
        PlanInstalledMenu(facts, plan);
    else
        PlanOtherMenu(facts, plan);
    return plan;
}

VQMenuWnd* OpenPopupMenu(HWND owner, const std::string& layout, POINT screen, VQMenuWnd** slot,
                         const VQTileMenuPlan* plan) {
    VQMenuWnd* menu = new VQMenuWnd(owner);
    if (slot) *slot = menu;
    VQMenuWnd** target = slot ? slot : &menu;
    // On failure the menu frees itself and clears the slot.
    if (!menu->Init(target, nullptr, kLayoutResource, layout, MarkupFromResource, L"xml", kStyleResource,
                    GetSkinFolder(), VQSkinManager::Instance().GetSelectedSkin(), screen.x, screen.y))
        return nullptr;
    if (plan) ApplyMenuPlan(menu, *plan);
    menu->ShowWindow(true, true);
    return menu;
}

void ApplyMenuPlan(VQMenuWnd* menu, const VQTileMenuPlan& plan) {
    if (!menu) return;
    VQPaintManager& manager = menu->GetPaintManager();
    for (const VQMenuItemPlan& item : plan.items) {
        VQControl* control = manager.FindControlById(item.id);
        if (!control) continue;
        control->SetVisible(item.visible);
        control->SetEnabled(item.enabled);
        if (!item.text.empty()) control->SetText(item.text);
    }
    // Hidden items take no room: the window shrinks to what is left.
    if (VQMenu* root = menu->GetRoot()) {
        RECT rc = {};
        ::GetWindowRect(menu->GetHWND(), &rc);
        const SIZE size = root->EstimateSize(rc.right - rc.left, 4096);
        if (size.cy > 0)
            ::SetWindowPos(menu->GetHWND(), nullptr, 0, 0, rc.right - rc.left, size.cy,
                           SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    manager.NeedUpdate();
}

}  // namespace Tessar
