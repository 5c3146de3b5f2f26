// The main window's life: creation, the settings it applies, exit and the
// orderly shutdown.

#include "VQCore/app/mainwindow/MarloxWnd.h"

#include <ole2.h>

#include "VQCore/app/start/App.h"
#include "VQCore/gamelib/GameTile.h"  // before ControlFactory.h, which uses it
#include "VQCore/app/start/ControlFactory.h"
#include "VQCore/app/mainwindow/Confirmations.h"
#include "VQCore/app/operations/DownloadTasks.h"
#include "VQCore/app/operations/GameWatchQueue.h"
#include "VQCore/app/pages/IconList.h"
#include "VQCore/app/operations/InstallQueue.h"
#include "VQCore/app/pages/ListSaver.h"
#include "VQCore/app/windows/MessageDlg.h"
#include "VQCore/app/pages/PageFilters.h"
#include "VQCore/app/mainwindow/PageSlide.h"
#include "VQCore/app/start/StartupPages.h"
#include "VQCore/app/mainwindow/TileMoves.h"
#include "VQCore/app/start/ResourceString.h"
#include "VQCore/app/pages/GameIconTipWnd.h"
#include "VQCore/app/windows/MessageTipWnd.h"
#include "VQCore/app/mainwindow/TrayIcon.h"
#include "VQCore/download/BTManager.h"
#include "VQCore/download/DownloadQueue.h"
#include "VQCore/gamelib/AppPaths.h"
#include "VQCore/gamelib/Settings.h"
#include "common/FileUtil.h"
#include "common/PathText.h"
#include "common/Singleton.h"
#include "common/SystemUtil.h"
#include "common/Thread.h"
#include "ui/Control.h"
#include "ui/DialogBuilder.h"
#include "ui/SkinManager.h"
#include "ui/TabCtrl.h"

namespace Tessar {

namespace {

VQMarloxWnd* g_mainWindow = nullptr;
UINT g_taskbarCreated = 0;

const int kWindowWidth = 960;
const int kWindowHeight = 660;
const UINT kLayoutResource = 226;
const UINT kStyleResource = 331;
const wchar_t kLayoutName[] = L"MarloxWnd";
const uint32_t kRunningDownloadLimit = 3;
// How long moving the download folder waits for a peer-to-peer start.
const uint32_t kPeerToPeerStartWaitMs = 10000;

struct HotKeyDef {
    const wchar_t* setting;
    const wchar_t* atomName;
    UINT key;
};
const HotKeyDef kHotKeys[kHotKeyCount] = {
    {L"HideMainWnd", L"ZelmorVQ-Hide", 'H'},
    {L"HideRunGame", L"ZelmorVQ-HideGame", 'G'},
    {L"ForceKillGame", L"ZelmorVQ-KillGame", 'K'},
};

// The layout file of the selected skin when it is a listed one; empty (the
// built-in style) otherwise. A damaged skin file is the builder's to refuse:
// the window then keeps the built-in style.
std::wstring SelectedSkinLayoutPath() {
    VQSkinManager& skins = VQSkinManager::Instance();
    std::wstring selected = skins.GetSelectedSkin();
    if (selected.empty()) return std::wstring();
    for (const auto& skin : skins.GetSkinList())
        if (skin && skin->name == selected) return skin->path;
    return std::wstring();
}

}  // namespace

VQMarloxWnd* GetMainWindow() { return g_mainWindow; }

UINT GetTaskbarCreatedMessage() { return g_taskbarCreated; }

VQMarloxWnd::VQMarloxWnd() {
    if (g_taskbarCreated == 0) g_taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    VQSettings& settings = VQSettings::Instance();
    m_openEffect = settings.GetBool(L"OpenEffect");
    m_showSpeed = false;  // ApplySpeedDisplay turns it on with the download page
    g_mainWindow = this;
}

VQMarloxWnd::~VQMarloxWnd() {
    if (VQApp* app = GetApp()) {
        RemoveTrayIcon();
        app->StopBackgroundJobs();
        app->EndOle();
    }
    for (HANDLE thread : m_extraThreads) CloseHandle(thread);
    if (g_mainWindow == this) g_mainWindow = nullptr;
}

LRESULT VQMarloxWnd::OnCreate(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) {
    SetIcon();
    LONG_PTR style = GetWindowLongPtrW(m_hwnd, GWL_STYLE);
    SetWindowLongPtrW(m_hwnd, GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_CAPTION));

    VQDialogBuilderCallbackEx factory;
    CreateFromLayout(L"#226", kLayoutName, MarkupFromResource, L"XML", &factory);
    VQPaintManager::AddPreTranslate(&m_paintManager);
    m_filters.reset(new VQPageFilters(&m_paintManager));
    m_filters->SetSearchPopupHider([this] { HideSearchWindow(); });
    m_pageSlide.reset(new VQPageSlide(m_paintManager));
    m_tileMoves.reset(new VQTileMoves(m_paintManager));
    // The game library opens on its first kind, marked as the chosen one.
    if (VQControl* library = m_paintManager.FindControlById(IdLibraryTab)) {
        auto* kinds = static_cast<VQTabCtrl*>(library->GetInterface(ControlTypeTab));
        if (kinds && !kinds->GetSelectedItem()) kinds->SelectItem(0);
    }

    ApplySettings();
    ChangeSkin(kStyleResource, kLayoutName, L"XML", GetSkinFolder(), SelectedSkinLayoutPath());

    SetWindowPos(m_hwnd, nullptr, 0, 0, kWindowWidth, kWindowHeight, SWP_NOMOVE | SWP_NOZORDER);
    CenterWindow();

    if (!m_dropRegistered) {
        m_dropTarget.SetWindow(m_hwnd);
        m_dropRegistered = SUCCEEDED(RegisterDragDrop(m_hwnd, &m_dropTarget));
    }
    m_stopEvent = MakeSharedEvent(true);
    m_downloadQueue.reset(new VQDownloadQueue(this, kRunningDownloadLimit));
    ApplySpeedLimit();
    handled = TRUE;
    return 0;
}

void VQMarloxWnd::ApplySettings() {
    VQSettings& settings = VQSettings::Instance();
    m_openEffect = settings.GetBool(L"OpenEffect");
    for (int which = 0; which < kHotKeyCount; ++which) {
        if (settings.GetBool(kHotKeys[which].setting) && !m_hotKeyRegistered[which]) SwitchHotKey(which, true);
    }
    ShowPage(kPageHot);
    if (VQIconList* installed = FindIconList(kInstalledListId)) installed->Relayout();
}

bool VQMarloxWnd::SwitchHotKey(int which, bool on) {
    if (which < 0 || which >= kHotKeyCount) return false;
    if (on == m_hotKeyRegistered[which]) return false;
    ATOM atom = GlobalAddAtomW(kHotKeys[which].atomName);
    int id = static_cast<int>(atom) - 0xC000;
    bool ok;
    if (on) {
        ok = RegisterHotKey(m_hwnd, id, MOD_ALT | MOD_CONTROL, kHotKeys[which].key) != FALSE;
    } else {
        ok = UnregisterHotKey(m_hwnd, id) != FALSE;
        if (ok) GlobalDeleteAtom(atom);
    }
    if (ok) m_hotKeyRegistered[which] = on;
    return ok;
}

void VQMarloxWnd::ApplySpeedLimit() {
    if (!m_downloadQueue) return;
    VQSettings& settings = VQSettings::Instance();
    uint32_t limit = 0;
    if (settings.GetBool(L"SpeedLimit")) {
        int32_t maxSpeed = static_cast<int32_t>(settings.GetInt(L"MaxSpeed"));
        limit = maxSpeed < 0 ? 0 : static_cast<uint32_t>(maxSpeed);
    }
    m_downloadQueue->SetSpeedLimit(limit);
    m_downloadQueue->ShareSpeedLimit();
}

void VQMarloxWnd::MoveDownloadFolder() {
    VQBTManager& manager = VQSingleton<VQBTManager>::Instance();
    // A session still starting is waited for (bounded: this is the UI thread).
    if (manager.WaitForSession(kPeerToPeerStartWaitMs) == nullptr) return;
    manager.MoveSeedsFile(GetDownloadFolder());
}

LRESULT VQMarloxWnd::OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) {
    if ((wParam & 0xFFF0) != SC_CLOSE) {
        handled = FALSE;
        return 0;
    }
    if (VQSettings::Instance().GetInt(L"CloseAction") == 1)
        Exit();
    else
        ShowWindow(false, false);
    handled = TRUE;
    return 0;
}

LRESULT VQMarloxWnd::OnClose(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) {
    // A question of this window or of one of its windows (the runtime
    // window's, a dialog's) has its modal loop on the stack, under code that
    // still uses them: ending the window now would free them under it.
    if (IsModalLoopRunning()) {
        CloseAfterModalLoops(m_hwnd);
        EndModalLoops();
        handled = TRUE;
        return 0;
    }
    handled = FALSE;
    return 0;
}

bool VQMarloxWnd::ConfirmExit() {
    return Tessar::ConfirmExit(m_hwnd, m_downloadQueue && m_downloadQueue->HasActive());
}

void VQMarloxWnd::Exit() {
    if (!ConfirmExit()) return;
    Close();
}

void VQMarloxWnd::AddExtraThread(HANDLE thread) {
    if (thread) m_extraThreads.push_back(thread);
}

void VQMarloxWnd::SaveSettingsIfChanged() {
    VQSettings& settings = VQSettings::Instance();
    if (!settings.IsDirty()) return;
    settings.Save();
    settings.ApplyAutoRun();
}

// Every worker was told to stop by the stop event; the workers that still
// do not end within the limit (all of them together) are left behind
// rather than hanging the exit.
void VQMarloxWnd::StopWorkers() {
    if (m_stopEvent) SetEvent(m_stopEvent->Get());
    const VQWaitBudget budget(kWorkerStopWait);
    for (HANDLE thread : m_extraThreads) {
        WaitForSingleObject(thread, budget.Left());
        CloseHandle(thread);
    }
    m_extraThreads.clear();
    for (auto& job : m_jobThreads) {
        if (job) job->WaitUpTo(budget.Left());
        job.reset();
    }
}

LRESULT VQMarloxWnd::OnDestroy(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) {
    CloseScanWindow();
    CloseWebWindow();
    delete m_gameTip;
    m_gameTip = nullptr;
    CloseTips();
    CloseEnvironmentWindow();
    StopWorkers();
    // An install in progress is cancelled; a running setup program is left alone.
    GetInstallQueue().Stop();
    for (UINT_PTR id = kTimerDatabaseUpdate; id <= kTimerProgress; ++id) KillTimer(m_hwnd, id);
    RewriteDownloadList();
    // Every list handed to the saver is on the disk before the window goes.
    GetListSaver().Flush();
    // Bounded: a game start in progress is given up.
    GetRunningGames().Clear();
    if (m_downloadQueue) {
        m_downloadQueue->RemoveAll();
        m_downloadQueue.reset();
    }
    VQSingleton<VQBTManager>::Instance().Shutdown();
    SaveSettingsIfChanged();
    if (m_dropRegistered) {
        RevokeDragDrop(m_hwnd);
        m_dropRegistered = false;
    }
    // The user agreed to turn the computer off after the last install.
    if (m_powerOffAfterInstall) ShutdownSystem();
    PostQuitMessage(0);
    handled = FALSE;
    return 0;
}

void VQMarloxWnd::OnFinalMessage(HWND hwnd) { delete this; }

// The skin draws the whole window: no non-client area.
LRESULT VQMarloxWnd::OnNcCalcSize(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) {
    handled = TRUE;
    return 0;
}

LRESULT VQMarloxWnd::OnNcPaint(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) {
    handled = TRUE;
    return 0;
}

// A skin folder on disk is the user's: a layout file that does not apply
// (damaged or hostile) leaves the window with the built-in style.
void VQMarloxWnd::ChangeSkin(UINT resourceId, const std::wstring& windowName, const std::wstring& extra,
                             const std::wstring& skinFolder, const std::wstring& skinLayoutPath) {
    std::wstring layout = skinLayoutPath;
    std::wstring folder = skinFolder;
    if (!layout.empty()) {
        if (m_paintManager.LoadStyle(layout, windowName, MarkupFromFile))
            folder = layout.substr(0, layout.find_last_of(L"\\/") + 1);
        else
            layout.clear();
    }
    VQWindowImplBase::ChangeSkin(resourceId, windowName, extra, folder, layout);
    PassSkinChangeOn();
}

}  // namespace Tessar
