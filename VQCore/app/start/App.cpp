#include "VQCore/app/start/App.h"

#include <ole2.h>

#include <future>

#include "VQCore/app/jobs/BackgroundJobs.h"
#include "VQCore/app/jobs/DataUpdateJobs.h"
#include "VQCore/app/operations/DownloadCacheCheck.h"
#include "VQCore/app/pages/GameIcon.h"
#include "VQCore/app/pages/IconList.h"
#include "VQCore/app/mainwindow/MarloxWnd.h"
#include "VQCore/app/start/HotPagePictures.h"
#include "VQCore/app/start/PeerToPeerStart.h"
#include "VQCore/app/start/ResourceString.h"
#include "VQCore/app/start/StartupChecks.h"
#include "VQCore/app/start/StartupPages.h"
#include "VQCore/app/mainwindow/TrayIcon.h"
#include "VQCore/app/jobs/UpdateSchedule.h"
#include "VQCore/download/DownloadCache.h"
#include "VQCore/gamelib/AppPaths.h"
#include "VQCore/gamelib/DatabaseXmlFile.h"
#include "VQCore/gamelib/GameId.h"
#include "VQCore/gamelib/OldInstallImport.h"
#include "VQCore/gamelib/Settings.h"
#include "VQUpdate/UpgradeMarkers.h"
#include "VQUpdate/UpgradeRun.h"
#include "common/PathText.h"
#include "common/ServerAddresses.h"
#include "ui/SkinManager.h"

namespace Tessar {

const wchar_t kInstanceEventName[] = L"ZelmorTessarine";

namespace {

VQApp* g_app = nullptr;

// The data-update mode gives its jobs this long before asking them to stop.
const DWORD kDataUpdateWait = 5000;
// Scan window modes of the start-up.
const int kScanScheduled = 1;
const int kScanFirstRun = 2;

}  // namespace

VQApp* GetApp() { return g_app; }

VQApp::VQApp() : m_jobs(new VQBackgroundJobs) { g_app = this; }

VQApp::~VQApp() {
    if (m_instanceEvent) CloseHandle(m_instanceEvent);
    if (g_app == this) g_app = nullptr;
}

void VQApp::StopBackgroundJobs() {
    if (m_jobs) m_jobs->Stop();
    m_jobs.reset();
}

void VQApp::Shutdown() {
    if (HasTrayIcon()) RemoveTrayIcon();
    StopBackgroundJobs();
    EndOle();
}

void VQApp::EndOle() {
    if (!m_oleActive) return;
    m_oleActive = false;
    OleUninitialize();
}

bool VQApp::RunDataUpdateMode() {
    RunDataUpdateJobs(kDataUpdateWait);
    return false;
}

bool VQApp::HandOverToRunningInstance() {
    m_instanceEvent = CreateEventW(nullptr, FALSE, FALSE, kInstanceEventName);
    DWORD error = GetLastError();
    if (error != ERROR_ALREADY_EXISTS) return false;
    HWND window = FindWindowW(L"VQMarloxWnd", LoadResourceString(kStringAppTitle).c_str());
    if (window == nullptr) return true;
    if (m_commandLine.flags & kStartExecApp) {
        const std::wstring& arguments = m_commandLine.exec.arguments;
        COPYDATASTRUCT data = {};
        data.dwData = m_commandLine.exec.gameId;
        data.cbData = static_cast<DWORD>(arguments.size() * sizeof(wchar_t));
        data.lpData = const_cast<wchar_t*>(arguments.c_str());
        // Bounded, so a hung first instance cannot hang this start too.
        DWORD_PTR result = 0;
        SendMessageTimeoutW(window, WM_COPYDATA, kCopyDataExecRequest, reinterpret_cast<LPARAM>(&data),
                            SMTO_ABORTIFHUNG, 30000, &result);
        return true;
    }
    if (!IsWindowVisible(window)) ::ShowWindow(window, SW_SHOWNORMAL);
    SetForegroundWindow(window);
    SwitchToThisWindow(window, TRUE);
    return true;
}

bool VQApp::CreateMainWindow() {
    m_window = new (std::nothrow) VQMarloxWnd;
    if (m_window == nullptr) return false;
    HWND hwnd = m_window->Create(nullptr, LoadResourceString(kStringAppTitle).c_str(), 0x06CA0000, WS_EX_WINDOWEDGE);
    if (hwnd == nullptr || m_window->GetHWND() == nullptr) {
        // A window whose creation failed after it was made has freed itself
        // (its destructor clears the main-window pointer); one that was
        // never made has not.
        if (Tessar::GetMainWindow() == m_window) delete m_window;
        m_window = nullptr;
        return false;
    }
    return true;
}

bool VQApp::OpenDatabaseAndFillPages() {
    const uint32_t flags = m_commandLine.flags;
    const bool shown = !(flags & kStartBackground) && !(flags & kStartExecApp);
    // While the catalogue is still being read, the window shows with its
    // skin (a hidden start only decodes its pictures and lays it out), so
    // that its first paint is off the path to the cards; the pictures of
    // the hot page's first tiles are decoded too.
    if (m_catalogueLoad.valid()) {
        if (shown) {
            m_window->ShowWindow(true, true);
            UpdateWindow(m_window->GetHWND());
        } else {
            m_window->GetPaintManager().PaintUnseen();
        }
        PreloadHotPagePictures(*m_window);
    }
    VQLoadedCatalogue catalogue = TakeCatalogue();
    std::unique_ptr<VQDatabaseXmlFile> database = std::move(catalogue.file);
    if (!catalogue.loaded) {
        // The repair says what it does in balloons over the icon.
        AddAppTrayIcon();
        if (!DownloadDatabaseWithRetry(*database)) return false;
    }
    std::unique_ptr<VQStartupPageFill> fill(new VQStartupPageFill(*m_window, std::move(database)));
    fill->FillFirstPages(m_jobs.get());
    m_window->BeginPageFill(std::move(fill));
    ScheduleJobTimers();
    if (shown) {
        if (!IsWindowVisible(m_window->GetHWND())) m_window->ShowWindow(true, true);
        // The cards painted now: what follows is not needed for the first page.
        UpdateWindow(m_window->GetHWND());
    }
    // The shell takes tens of milliseconds to add the icon: after the
    // first paint.
    AddAppTrayIcon();
    StartPeerToPeer();
    if (flags & kStartExecApp) {
        if (!m_window->RunGameById(m_commandLine.exec.gameId, m_commandLine.exec.arguments))
            m_window->ShowWindow(true, true);
    }
    return true;
}

void VQApp::StartScheduledUpdate() {
    if (m_upgradePending || !CheckScheduledUpdate((m_commandLine.flags & kStartBackground) != 0, NowSeconds())) return;
    ShowTrayBalloon(LoadResourceString(kStringCheckingUpdate), LoadResourceString(kStringAppTitle));
    WriteRestartMarker(L"", L"", m_commandLine.firstArgument);
}

void VQApp::AddAppTrayIcon() {
    if (!HasTrayIcon()) AddTrayIcon(m_window->GetHWND(), LoadResourceString(kStringAppTitle));
}

void VQApp::StartIconFetch(const std::vector<uint32_t>& missingIds) {
    uint32_t mask = ComputeIconFetchMask(missingIds, m_firstRun);
    if (mask != 0 && m_jobs && m_window) m_jobs->StartIconDownload(mask, missingIds, m_window->GetHWND());
}

void VQApp::StartCatalogueLoad() {
    try {
        m_catalogueLoad = std::async(std::launch::async, [] {
            VQLoadedCatalogue catalogue;
            catalogue.file.reset(new VQDatabaseXmlFile(GetDatabasePath()));
            catalogue.loaded = catalogue.file->Load();
            return catalogue;
        });
    } catch (...) {
        // No thread for it: the start-up reads the catalogue itself.
    }
}

VQLoadedCatalogue VQApp::TakeCatalogue() {
    if (m_catalogueLoad.valid()) return m_catalogueLoad.get();
    VQLoadedCatalogue catalogue;
    catalogue.file.reset(new VQDatabaseXmlFile(GetDatabasePath()));
    catalogue.loaded = catalogue.file->Load();
    return catalogue;
}

void VQApp::ScheduleJobTimers() {
    // A day after each job's last run (soon when that day has passed), and
    // the online report once a local day.
    HWND hwnd = m_window->GetHWND();
    ScheduleDataUpdates(hwnd);
    ScheduleOnlineReport(hwnd);
}

void VQApp::CheckDownloadCache() {
    // The quick strip's games count as installed ones; the download page's
    // keep what they still need. Without the download list the page may
    // lack some of them: no clean-up this time.
    if (m_window->IsDownloadListUnread()) return;
    VQTileList lists[3];
    const int ids[3] = {kInstalledListId, kQuickListId, kDownloadListId};
    for (int i = 0; i < 3; ++i)
        if (VQIconList* list = m_window->FindIconList(ids[i])) lists[i] = list->GetTiles();
    StartDownloadCacheCheck(GetDownloadCache(), lists[0], lists[1], lists[2]);
}

bool VQApp::Init(HINSTANCE instance) {
    if (!m_commandLineSet) m_commandLine = ParseProcessCommandLine();
    // The catalogue is read while everything else starts, the display and
    // COM included; the start-up takes it where it needs it (the old
    // import touches no catalogue). A data update replaces the file, so
    // that mode reads none.
    if (!(m_commandLine.flags & kStartUpdateData)) StartCatalogueLoad();
    if (FAILED(OleInitialize(nullptr))) return false;
    m_oleActive = true;
    VQSkinManager::Instance().SetResourceModule(instance);
    VQSkinManager::Instance().RefreshSkinList(GetSkinFolder());

    if (m_commandLine.flags & kStartUpdateData) return RunDataUpdateMode();

    // The running instance comes first: a second start must never hand a
    // pending upgrade over while the first one still runs from the folder.
    if (HandOverToRunningInstance()) return false;

    VQPendingUpgrade upgrade = StartPendingUpgrade(m_commandLine.firstArgument);
    if (upgrade == kPendingUpgradeStarted) return false;
    m_upgradePending = upgrade == kPendingUpgradeNotStarted;

    m_firstRun = ImportOnFirstStart();
    VQSettings::Instance().Load();

    if (!CreateMainWindow()) return false;

    if (!OpenDatabaseAndFillPages()) {
        // The program's own update is still looked for when it is due.
        StartScheduledUpdate();
        // The window goes with the failed start; its shutdown saves nothing
        // because the pages were never filled.
        if (m_window && IsWindow(m_window->GetHWND())) DestroyWindow(m_window->GetHWND());
        // Its shutdown posted the quit message that no loop will read.
        MSG quit;
        PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
        m_window = nullptr;
        return false;
    }

    StartScheduledUpdate();
    CheckDownloadCache();
    if (IsScheduledImportDue(NowSeconds())) m_window->ShowScanWindow(kScanScheduled);
    if (m_firstRun && !FileExists(GetInstallListPath()) && !FileExists(GetConfigPath())) {
        m_window->ShowScanWindow(kScanFirstRun);
        ReportFirstInstall();
    }
    return true;
}

}  // namespace Tessar
