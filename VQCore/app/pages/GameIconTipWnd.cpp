#include "VQCore/app/pages/GameIconTipWnd.h"

#include "VQCore/app/pages/GameIcon.h"
#include "VQCore/app/pages/GameIconTipText.h"
#include "VQCore/app/mainwindow/MarloxWnd.h"
#include "ui/Control.h"

namespace Tessar {

namespace {

enum : int {
    kTitleId = 100,
    kNameId = 101,
    kDetailNameId = 102,
    kSizeId = 103,
    kCategoryId = 104,
    kSynopsisId = 105,
    kDownloadNameId = 106,
    kTotalId = 107,
    kDoneId = 108,
    kSpeedId = 109,
    kDetailsPanelId = 110,
    kDownloadPanelId = 111,
};

const UINT_PTR kProgressTimer = 0;
const UINT kProgressMs = 500;
const UINT kShowFlags = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE;

}  // namespace

VQGameIconTipWnd::VQGameIconTipWnd(HWND owner, std::function<uint32_t(uint32_t gameId)> speedOf)
    : m_owner(owner), m_speedOf(std::move(speedOf)) {
    CreateDialogWindow(owner, std::wstring(), kDialogStyle, WS_EX_NOACTIVATE | WS_EX_DLGMODALFRAME);
}

void VQGameIconTipWnd::SetTile(VQGameIcon* tile, POINT point) {
    if (tile == nullptr || m_hwnd == nullptr) return;
    if (m_mode == kGameTipDownload) ::KillTimer(m_hwnd, kProgressTimer);
    m_tile = tile;
    const std::wstring name = tile->GetText();
    const int listId = tile->GetOwnerListId();
    m_mode = listId == kDownloadListId ? kGameTipDownload : kGameTipDetails;
    SetControlText(kTitleId, name);
    SetControlText(kNameId, name);
    SetControlVisible(kDetailsPanelId, m_mode == kGameTipDetails);
    SetControlVisible(kDownloadPanelId, m_mode == kGameTipDownload);
    int width = kDetailsWidth, height = kDetailsHeight;
    if (m_mode == kGameTipDownload) {
        SetControlText(kDownloadNameId, name);
        SetControlText(kTotalId, FormatSizeText(tile->Data().totalBytes));
        RefreshProgress();
        width = kDownloadWidth;
        height = kDownloadHeight;
    } else {
        SetControlText(kDetailNameId, name);
        SetControlText(kSizeId, FormatSizeText(static_cast<int64_t>(tile->Data().size)));
        SetControlText(kCategoryId, TipCategoryText(listId, tile->GetGameId(), tile->Data().category));
        SetControlText(kSynopsisId, tile->GetSynopsis());
    }
    ::SetWindowPos(m_hwnd, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    MoveTo(point);
    if (m_paintManager.IsLayered())
        m_paintManager.PaintLayered(255);
    else
        ::InvalidateRect(m_hwnd, nullptr, FALSE);
}

void VQGameIconTipWnd::Show() {
    if (m_hwnd == nullptr) return;
    if (m_mode == kGameTipDownload) ::SetTimer(m_hwnd, kProgressTimer, kProgressMs, nullptr);
    ::SetWindowPos(m_hwnd, nullptr, 0, 0, 0, 0, kShowFlags | SWP_SHOWWINDOW);
}

void VQGameIconTipWnd::Hide() {
    if (m_hwnd == nullptr) return;
    if (m_mode == kGameTipDownload) ::KillTimer(m_hwnd, kProgressTimer);
    ::SetWindowPos(m_hwnd, nullptr, 0, 0, 0, 0, kShowFlags | SWP_HIDEWINDOW);
}

void VQGameIconTipWnd::Forget() {
    Hide();
    m_tile = nullptr;
}

void VQGameIconTipWnd::OnTileDownloaded(const VQGameIcon* tile) {
    if (tile == nullptr || tile != m_tile) return;
    if (VQControl* control = Find(kDownloadedControlId)) control->SetEnabled(false);
}

void VQGameIconTipWnd::MoveTo(POINT point) {
    ::ClientToScreen(m_owner, &point);
    ::SetWindowPos(m_hwnd, nullptr, point.x, point.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void VQGameIconTipWnd::RefreshProgress() {
    if (m_tile == nullptr) return;
    SetControlText(kDoneId, FormatSizeText(m_tile->Data().completedBytes));
    const uint32_t speed = m_speedOf ? m_speedOf(m_tile->GetGameId()) : 0;
    SetControlText(kSpeedId, FormatSizeText(static_cast<int64_t>(speed)) + L"/S");
}

LRESULT VQGameIconTipWnd::OnTimer(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) {
    if (wParam != kProgressTimer || m_mode != kGameTipDownload) {
        handled = FALSE;
        return 0;
    }
    RefreshProgress();
    if (m_paintManager.IsLayered())
        m_paintManager.PaintLayered(255);
    else
        ::InvalidateRect(m_hwnd, nullptr, FALSE);
    return 0;
}

}  // namespace Tessar
