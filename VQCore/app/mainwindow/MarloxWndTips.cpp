// The main window's corner tips: "install finished" for a game the install
// queue finished (WM_USER+2), the counts of newly published games after a
// catalogue update (WM_USER+3), stacked above the open ones in the work
// area's corner and never over a full-screen program; and the game-icon
// tip's note of a tile that reached the downloaded state (WM_USER+5).

#include "VQCore/app/mainwindow/MarloxWnd.h"

#include "VQCore/app/windows/AboutDlg.h"
#include "VQCore/app/pages/GameIcon.h"
#include "VQCore/app/pages/GameIconTipWnd.h"
#include "VQCore/app/windows/MessageTipWnd.h"
#include "VQCore/app/operations/Statistics.h"
#include "common/ServerAddresses.h"
#include "common/WebAddress.h"

namespace Tessar {

namespace {

// Nothing pops up over a full-screen program.
bool IsFullScreenInFront() {
    HWND front = ::GetForegroundWindow();
    RECT rc;
    if (front == nullptr || !::GetWindowRect(front, &rc)) return false;
    return rc.right - rc.left == ::GetSystemMetrics(SM_CXSCREEN) && rc.bottom - rc.top == ::GetSystemMetrics(SM_CYSCREEN);
}

}  // namespace

VQMessageTipWnd* VQMarloxWnd::OpenTip(int mode, const VQTipActions& actions) {
    if (IsFullScreenInFront()) return nullptr;
    MONITORINFO monitor = {sizeof(monitor)};
    if (!::GetMonitorInfoW(::MonitorFromWindow(m_hwnd, MONITOR_DEFAULTTONEAREST), &monitor)) return nullptr;
    // Tips that faded out and closed go; the open ones keep their places.
    std::vector<RECT> open;
    for (auto it = m_tips.begin(); it != m_tips.end();) {
        HWND tip = (*it)->GetHWND();
        RECT rc;
        if (tip == nullptr || !::IsWindow(tip)) {
            delete *it;
            it = m_tips.erase(it);
            continue;
        }
        if (::IsWindowVisible(tip) && ::GetWindowRect(tip, &rc)) open.push_back(rc);
        ++it;
    }
    VQMessageTipWnd* tip = new VQMessageTipWnd(mode, m_hwnd, monitor.rcWork.left, monitor.rcWork.top, actions);
    if (!::IsWindow(tip->GetHWND())) {
        delete tip;
        return nullptr;
    }
    RECT size = {0, 0, 0, 0};
    ::GetWindowRect(tip->GetHWND(), &size);
    const POINT at = StackedTipPosition(monitor.rcWork, SIZE{size.right - size.left, size.bottom - size.top}, open);
    ::SetWindowPos(tip->GetHWND(), nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    m_tips.push_back(tip);
    return tip;
}

void VQMarloxWnd::CloseTips() {
    for (VQMessageTipWnd* tip : m_tips) delete tip;  // takes its window with it
    m_tips.clear();
}

void VQMarloxWnd::OnTileInstallFinishedMessage(WPARAM serial) {
    VQGameIcon* tile = FindTileBySerial(static_cast<uint32_t>(serial));
    if (tile == nullptr) return;
    VQTipActions actions;
    actions.findTile = [this](uint32_t serial, uint32_t gameId) { return FindTipTile(serial, gameId); };
    // Only a game without a registration page is run from the tip, so the
    // run asks nothing first.
    actions.runGame = [this](VQGameIcon& game) { RunInstalledTile(&game); };
    actions.openRegistration = [this](VQGameIcon& game) { OpenRegistrationFromTip(game); };
    VQMessageTipWnd* tip = OpenTip(kTipInstallFinished, actions);
    if (tip == nullptr) return;
    tip->SetTile(tile);
    tip->ShowTip();
}

void VQMarloxWnd::OnCatalogueUpdatedMessage(WPARAM counts) {
    const uint32_t* c = reinterpret_cast<const uint32_t*>(counts);
    if (c == nullptr) return;
    VQMessageTipWnd* tip = OpenTip(kTipNewGames, VQTipActions());
    if (tip == nullptr) return;
    tip->SetCounts(static_cast<int>(c[0]), static_cast<int>(c[1]), static_cast<int>(c[2]), static_cast<int>(c[3]),
                   static_cast<int>(c[4]));
    tip->ShowTip();
}

void VQMarloxWnd::OnTileDownloadedMessage(WPARAM tile) {
    if (m_gameTip) m_gameTip->OnTileDownloaded(reinterpret_cast<const VQGameIcon*>(tile));
}

VQGameIcon* VQMarloxWnd::FindTipTile(uint32_t serial, uint32_t gameId) const {
    VQGameIcon* live = FindTileBySerial(serial);
    if (live != nullptr && live->GetGameId() == gameId) return live;
    // A tool whose install went to its tile on the quick strip.
    return FindTileById(kQuickListId, gameId);
}

void VQMarloxWnd::OpenRegistrationFromTip(VQGameIcon& tile) {
    VQGameIconData& data = tile.Data();
    // The page comes from the catalogue: only a web address is opened.
    OpenWebAddress(data.registerPage, m_hwnd);
    data.registered = 1;
    ReportStatisticInBackground(kStatClickRegister, tile.GetGameId(), std::wstring());
    RefreshInstalledPages();
}

}  // namespace Tessar
