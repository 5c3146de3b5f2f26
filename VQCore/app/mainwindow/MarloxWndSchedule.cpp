// The main window's side of the scheduled work and of the tray: the tray
// icon's mouse messages and menu, what a catalogue update or the hot list
// job hands over, the manual update check, and the game-icon tip.

#include "VQCore/app/mainwindow/MarloxWnd.h"

#include <memory>

#include "VQCore/app/mainwindow/CatalogueNews.h"
#include "VQCore/app/pages/GameIcon.h"
#include "VQCore/app/pages/GameIconTipWnd.h"
#include "VQCore/app/pages/IconList.h"
#include "VQCore/app/jobs/ProgramUpdateCheck.h"
#include "ui/Control.h"

namespace Tessar {

namespace {

const UINT kTrayMenuId = 141;
const DWORD kFreshSpeedMs = 2000;

}  // namespace

LRESULT VQMarloxWnd::OnTrayIcon(LPARAM mouseMessage) {
    switch (mouseMessage) {
    case WM_LBUTTONDOWN:
        ShowWindow(true, false);
        ::SetForegroundWindow(m_hwnd);
        break;
    case WM_RBUTTONUP: {
        // Not while a modal dialog has the window disabled.
        if (!::IsWindowEnabled(m_hwnd)) break;
        HMENU menu = ::LoadMenuW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kTrayMenuId));
        if (menu == nullptr) break;
        HMENU popup = ::GetSubMenu(menu, 0);
        POINT cursor = {0, 0};
        ::GetCursorPos(&cursor);
        if (popup) {
            ::SetMenuDefaultItem(popup, 0, TRUE);
            ::SetForegroundWindow(m_hwnd);
            ::TrackPopupMenu(popup, TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, m_hwnd, nullptr);
        }
        ::DestroyMenu(menu);
        break;
    }
    default:
        break;
    }
    return 0;
}

void VQMarloxWnd::OnCatalogueNews(WPARAM wParam) {
    std::unique_ptr<VQCatalogueNews> news(reinterpret_cast<VQCatalogueNews*>(wParam));
    if (!news) return;
    ApplyCatalogueNews(m_paintManager, *news);
    if (VQControl* layout = m_paintManager.FindControlByName(L"mainlayout")) layout->Invalidate();
    m_paintManager.InvalidateWindow();
    // The new-games tip, with the five counts (the window's own message).
    if (news->total != 0)
        ::SendMessageW(m_hwnd, kMsgCatalogueUpdated, reinterpret_cast<WPARAM>(news->counts), news->total);
}

void VQMarloxWnd::OnHotListTiles(WPARAM wParam) {
    std::unique_ptr<VQTileList> tiles(reinterpret_cast<VQTileList*>(wParam));
    if (!tiles) return;
    VQIconList* hot = FindIconList(kHotListId);
    if (!AddNewTiles(hot, *tiles)) return;
    hot->Invalidate();
}

void VQMarloxWnd::CheckProgramUpdate() { Tessar::CheckProgramUpdate(); }

void VQMarloxWnd::ShowGameIconTip(VQGameIcon* tile, POINT point) {
    if (tile == nullptr || tile->IsAddTile() || m_menu != nullptr) return;
    if (m_gameTip && m_gameTip->GetTile() == tile && m_gameTip->IsShown()) return;
    if (m_gameTip == nullptr) {
        m_gameTip = new VQGameIconTipWnd(m_hwnd, [this](uint32_t gameId) -> uint32_t {
            auto found = m_speeds.find(gameId);
            if (found == m_speeds.end() || GetTickCount() - found->second.tick >= kFreshSpeedMs) return 0;
            return found->second.bytesPerSecond;
        });
    }
    // Beside the tile, below the mouse.
    const RECT pos = tile->GetPos();
    POINT at = {pos.right, point.y};
    m_gameTip->SetTile(tile, at);
    m_gameTip->Show();
}

void VQMarloxWnd::HideGameIconTip(VQControl* sender, bool removed) {
    if (m_gameTip == nullptr) return;
    if (!removed)
        m_gameTip->Hide();
    else if (static_cast<VQControl*>(m_gameTip->GetTile()) == sender)
        m_gameTip->Forget();
}

}  // namespace Tessar
