// The main window's side of the scheduled work and of the tray: the tray
// icon's mouse messages and menu, the tiles a catalogue update or the hot
// list job hands over, the manual update check, and the game-icon tip.

#include "VQCore/app/MarloxWnd.h"

#include <memory>

#include "VQCore/app/DataUpdateJobs.h"
#include "VQCore/app/GameIcon.h"
#include "VQCore/app/GameIconTipWnd.h"
#include "VQCore/app/IconList.h"
#include "VQCore/app/MessageTipWnd.h"
#include "VQCore/app/ProgramUpdateCheck.h"
#include "ui/Control.h"

namespace Tessar {

namespace {

const UINT kTrayMenuId = 141;
const DWORD kFreshSpeedMs = 2000;
// Where the kind pages of VQCatalogueNews::kinds lie, in its order.
const int kNewsListIds[5] = {kSingleListId, kOnlineListId, kFlashListId, kWebListId, kToolListId};

void FreeTiles(VQTileList& tiles) {
    for (VQGameIcon* tile : tiles) delete tile;
    tiles.clear();
}

// Appends the tiles of games the list does not show yet; frees the others.
bool AddNewTiles(VQIconList* list, VQTileList& tiles) {
    bool added = false;
    for (VQGameIcon* tile : tiles) {
        bool present = false;
        if (list)
            for (VQGameIcon* shown : list->GetTiles()) present = present || shown->GetGameId() == tile->GetGameId();
        if (list && !present && list->AddTile(tile)) {
            added = true;
            continue;
        }
        delete tile;
    }
    tiles.clear();
    return added;
}

// Nothing pops up over a full-screen program.
bool IsFullScreenInFront() {
    HWND front = ::GetForegroundWindow();
    RECT rc;
    if (front == nullptr || !::GetWindowRect(front, &rc)) return false;
    return rc.right - rc.left == ::GetSystemMetrics(SM_CXSCREEN) && rc.bottom - rc.top == ::GetSystemMetrics(SM_CYSCREEN);
}

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
    for (int i = 0; i < 5; ++i) AddNewTiles(FindIconList(kNewsListIds[i]), news->kinds[i]);
    if (VQControl* layout = m_paintManager.FindControlByName(L"mainlayout")) layout->Invalidate();
    m_paintManager.InvalidateWindow();
    if (news->total == 0 || IsFullScreenInFront()) return;
    // The new-games tip in the corner of the work area; it closes itself,
    // and the last one is freed when the next comes or the window goes.
    MONITORINFO monitor = {sizeof(monitor)};
    if (!::GetMonitorInfoW(::MonitorFromWindow(m_hwnd, MONITOR_DEFAULTTONEAREST), &monitor)) return;
    delete m_newGamesTip;
    VQMessageTipWnd* tip = m_newGamesTip = new VQMessageTipWnd(kTipNewGames, m_hwnd, monitor.rcWork.left, monitor.rcWork.top);
    RECT size = {0, 0, 0, 0};
    ::GetWindowRect(tip->GetHWND(), &size);
    ::SetWindowPos(tip->GetHWND(), nullptr, monitor.rcWork.right - (size.right - size.left),
                   monitor.rcWork.bottom - (size.bottom - size.top), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    const uint32_t* c = news->counts;
    tip->SetCounts(static_cast<int>(c[0]), static_cast<int>(c[1]), static_cast<int>(c[2]), static_cast<int>(c[3]),
                   static_cast<int>(c[4]));
    tip->ShowTip();
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
