// The main window's message table: input while disabled, the second start's
// game request, paging keys, timers, hot keys, worker reports, drops.

#include "VQCore/app/mainwindow/MarloxWnd.h"

#include <shellapi.h>

#include "VQCore/app/jobs/DataUpdateJobs.h"
#include "VQCore/app/pages/GameIcon.h"
#include "VQCore/app/operations/GameWatchQueue.h"
#include "VQCore/app/pages/IconList.h"
#include "VQCore/app/operations/InstallQueue.h"
#include "VQCore/app/pages/ListSaver.h"
#include "VQCore/app/jobs/OnlineReport.h"
#include "VQCore/app/mainwindow/PostedDownloadEvent.h"
#include "VQCore/app/start/ResourceString.h"
#include "VQCore/app/mainwindow/TrayIcon.h"
#include "VQCore/gamelib/Settings.h"
#include "common/PathText.h"
#include "common/Thread.h"
#include "ui/Control.h"

namespace Tessar {

namespace {

const size_t kCopyDataChars = 259;
const UINT kDayMs = 86400000;
const UINT kRotationMs = 180;
const UINT kSpeedDisplayMs = 1000;
const DWORD kFreshSpeedMs = 2000;
const UINT kTrayRotationIcons[] = {414, 415, 416, 417, 418};

bool IsMouseMessage(UINT message) { return message >= WM_MOUSEFIRST && message <= 0x20D; }
bool IsKeyMessage(UINT message) { return message >= 0x100 && message <= 0x10F; }

// Shown on screen: the control and every container above it visible (a
// list keeps its own flag while its page is hidden).
bool IsShown(const VQControl* control) {
    for (; control != nullptr; control = control->GetParent())
        if (!control->IsVisible()) return false;
    return true;
}

// Control types of the edit controls, where keys belong to the text.
const int kControlTypeEdit = 8;
const int kControlTypeRichEdit = 10;

// A job thread's argument: which job, and the window's stop event, held
// by the job for as long as it runs (the window may go first).
struct JobRun {
    uint32_t jobId;
    VQSharedEvent stopEvent;
    HWND window;
};

void RunJob(void* argument) {
    std::unique_ptr<JobRun> run(static_cast<JobRun*>(argument));
    RunUpdateJob(run->jobId, run->stopEvent ? run->stopEvent->Get() : nullptr, run->window);
}

// The report's retry counter is shared with the window, never borrowed.
struct ReportRun {
    HWND window;
    std::shared_ptr<uint32_t> retries;
};

void RunOnlineReport(void* argument) {
    std::unique_ptr<ReportRun> run(static_cast<ReportRun*>(argument));
    SendOnlineReport(run->window, *run->retries);
}

bool HasExtension(const wchar_t* path, const wchar_t* extension) {
    const wchar_t* dot = wcsrchr(path, L'.');
    const wchar_t* slash = wcsrchr(path, L'\\');
    if (dot == nullptr || (slash != nullptr && slash > dot)) return false;
    return _wcsicmp(dot, extension) == 0;
}

// The first file of a CF_HDROP in the data object; empty when there is none.
std::wstring FirstDroppedFile(IDataObject* data) {
    if (data == nullptr) return std::wstring();
    FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium = {};
    if (FAILED(data->GetData(&format, &medium))) return std::wstring();
    std::wstring path;
    HDROP drop = static_cast<HDROP>(GlobalLock(medium.hGlobal));
    if (drop) {
        wchar_t buffer[MAX_PATH + 1] = {};
        if (DragQueryFileW(drop, 0, buffer, MAX_PATH) > 0) path = buffer;
        GlobalUnlock(medium.hGlobal);
    }
    ReleaseStgMedium(&medium);
    return path;
}

}  // namespace

struct VQPostedPicture {
    uint32_t gameId;
    std::wstring image;
};

// Any thread: nothing here touches a tile.
bool PostGamePicture(HWND window, uint32_t gameId, const std::wstring& image) {
    VQPostedPicture* picture = new (std::nothrow) VQPostedPicture{gameId, image};
    if (picture == nullptr) return false;
    if (window != nullptr && PostMessageW(window, kMsgGamePicture, reinterpret_cast<WPARAM>(picture), 0)) return true;
    delete picture;
    return false;
}

bool VQMarloxWnd::PostIconPicture(uint32_t gameId, const std::wstring& image) {
    return PostGamePicture(m_hwnd, gameId, image);
}

LRESULT VQMarloxWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!m_inputEnabled && (IsMouseMessage(message) || IsKeyMessage(message))) return 0;
    switch (message) {
    case WM_QUERYENDSESSION:
        RewriteDownloadList();
        SaveSettingsIfChanged();
        // The session may end right after the answer: the lists are on disk first.
        GetListSaver().Flush();
        return 1;
    case WM_COPYDATA:
        if (wParam == kCopyDataExecRequest) return OnCopyData(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        break;
    case WM_KEYUP:
        return OnKeyUpMessage(wParam);
    case WM_KEYDOWN:
        if ((wParam == VK_UP || wParam == VK_DOWN) && MoveSearchSelection(static_cast<UINT>(wParam))) return 0;
        break;
    case WM_TIMER:
        if (wParam == kTimerPageFill) {
            OnFillPages();
            return 0;
        }
        if (wParam == kTimerProgress) {
            OnProgressTimer();
            return 0;
        }
        if (wParam >= kTimerDatabaseUpdate && wParam <= kTimerTrayRotation) return OnTimerMessage(wParam);
        break;
    case WM_HOTKEY:
        return OnHotKey(wParam, lParam);
    case kMsgTrayIcon:
        return OnTrayIcon(lParam);
    case kMsgArmTimer:
        SetTimer(m_hwnd, wParam, static_cast<UINT>(lParam), nullptr);
        return 0;
    case kMsgCatalogueNews:
        OnCatalogueNews(wParam);
        return 0;
    case kMsgHotListTiles:
        OnHotListTiles(wParam);
        return 0;
    case kMsgTileCompletion:
        DeliverTileCompletion(&m_paintManager, wParam, lParam);
        return 0;
    case kMsgInstallOutcome:
        DeliverInstallOutcome(&m_paintManager, wParam, lParam);
        return 0;
    case kMsgTileInstallFinished:
        OnTileInstallFinishedMessage(wParam);
        return 0;
    case kMsgCatalogueUpdated:
        OnCatalogueUpdatedMessage(wParam);
        return 0;
    case kMsgTileDownloaded:
        OnTileDownloadedMessage(wParam);
        return 0;
    case kMsgDragEnter:
        return OnDragEnter(wParam);
    case kMsgDragOver:
        return OnDragOver(wParam);
    case kMsgDrop:
        return OnDrop(wParam);
    case kMsgDragLeave:
        return 0;
    case kMsgAddGameFromFile:
        AddGameFromFile(lParam ? reinterpret_cast<const wchar_t*>(lParam) : L"", wParam != 0);
        return 0;
    case kMsgDownloadEvent:
        OnDownloadEvent(wParam);
        return 0;
    case kMsgGameRunReport:
        OnGameRunReport(wParam, lParam);
        return 0;
    case kMsgUninstallFinished:
        OnUninstallFinished(lParam);
        return 0;
    case kMsgListFileNotice:
        ShowListFileNotices();
        return 0;
    case kMsgGamePicture: {
        std::unique_ptr<VQPostedPicture> picture(reinterpret_cast<VQPostedPicture*>(wParam));
        if (picture) RefillIconPages(picture->gameId, picture->image);
        return 0;
    }
    default:
        if (message != 0 && message == GetTaskbarCreatedMessage()) {
            AddTrayIcon(m_hwnd, LoadResourceString(kStringAppTitle));
            return 0;
        }
        break;
    }
    return VQWindowImplBase::HandleMessage(message, wParam, lParam);
}

LRESULT VQMarloxWnd::OnCopyData(const COPYDATASTRUCT* data) {
    if (data == nullptr) return 0;
    wchar_t text[kCopyDataChars + 1] = {};
    size_t chars = data->cbData / sizeof(wchar_t);
    if (chars > kCopyDataChars) chars = kCopyDataChars;
    if (data->lpData != nullptr && chars > 0) memcpy(text, data->lpData, chars * sizeof(wchar_t));
    if (!RunGameById(static_cast<uint32_t>(data->dwData), text)) {
        ShowWindow(true, true);
        SetForegroundWindow(m_hwnd);
    }
    return 1;
}

VQIconList* VQMarloxWnd::CurrentPageList() const {
    const int order[] = {kInstalledListId, kHotListId,     kSingleListId, kOnlineListId, kWebListId,
                         kFlashListId,     kSearchListId,  kToolListId,   kDownloadListId};
    for (int id : order) {
        VQIconList* list = FindIconList(id);
        if (list && IsShown(list)) return list;
    }
    return nullptr;
}

LRESULT VQMarloxWnd::OnKeyUpMessage(WPARAM key) {
    VQControl* focus = m_paintManager.GetFocus();
    if (focus && (focus->GetInterface(kControlTypeEdit) || focus->GetInterface(kControlTypeRichEdit))) {
        return VQWindowImplBase::HandleMessage(WM_KEYUP, key, 0);
    }
    VQIconList* list = CurrentPageList();
    if (list == nullptr) return 0;
    switch (key) {
    case VK_HOME: list->ShowFirstPage(); break;
    case VK_END: list->ShowLastPage(); break;
    case VK_PRIOR:
    case VK_LEFT: list->ShowPreviousPage(); break;
    case VK_NEXT:
    case VK_RIGHT: list->ShowNextPage(); break;
    default: return 0;
    }
    // The tile under the resting mouse changed: refresh the hover.
    POINT cursor;
    if (GetCursorPos(&cursor) && ScreenToClient(m_hwnd, &cursor))
        SendMessageW(m_hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(cursor.x, cursor.y));
    return 0;
}

void VQMarloxWnd::StartJobThread(UINT_PTR timerId) {
    size_t slot = timerId - kTimerDatabaseUpdate;
    std::unique_ptr<VQThread>& thread = m_jobThreads[slot];
    // A job still running from the last round (a server that does not
    // answer) keeps its round: waiting for it here would freeze the window.
    if (thread && thread->IsRunning()) return;
    // An ended job's thread has only to return: its holder goes without a wait.
    thread.reset();
    if (timerId == kTimerOnlineReport) {
        ReportRun* run = new ReportRun{m_hwnd, m_reportRetries};
        thread.reset(new VQThread(&RunOnlineReport, run));
        if (!thread->Start()) {
            delete run;
            thread.reset();
        }
        return;
    }
    JobRun* run = new JobRun{static_cast<uint32_t>(timerId), m_stopEvent, m_hwnd};
    thread.reset(new VQThread(&RunJob, run));
    if (!thread->Start()) {
        delete run;
        thread.reset();
    }
}

LRESULT VQMarloxWnd::OnTimerMessage(WPARAM id) {
    switch (id) {
    case kTimerDatabaseUpdate:
    case kTimerAdvertUpdate:
    case kTimerHotUpdate:
        KillTimer(m_hwnd, id);
        StartJobThread(id);
        SetTimer(m_hwnd, id, kDayMs, nullptr);
        break;
    case kTimerOnlineReport:
        KillTimer(m_hwnd, id);
        StartJobThread(id);
        break;
    case kTimerSpeedDisplay:
        if (m_showSpeed) UpdateSpeedLabel();
        break;
    case kTimerTrayRotation:
        if (m_trayIconIds.empty()) break;
        m_trayIconIndex = (m_trayIconIndex + 1) % static_cast<int>(m_trayIconIds.size());
        SetTrayIconImage(m_trayIconIds[m_trayIconIndex]);
        break;
    default:
        break;
    }
    return 0;
}

void VQMarloxWnd::StartRotation() {
    m_trayIconIds.assign(std::begin(kTrayRotationIcons), std::end(kTrayRotationIcons));
    m_trayIconIndex = -1;
    SetTimer(m_hwnd, kTimerTrayRotation, kRotationMs, nullptr);
}

void VQMarloxWnd::StopRotation() {
    KillTimer(m_hwnd, kTimerTrayRotation);
    m_trayIconIds.clear();
    m_trayIconIndex = -1;
    SetTrayIconImage(128);
}

LRESULT VQMarloxWnd::OnHotKey(WPARAM wParam, LPARAM lParam) {
    if (LOWORD(lParam) != (MOD_ALT | MOD_CONTROL)) return 0;
    UINT key = HIWORD(lParam);
    if (key == 'H' || key == 'G') {
        if (m_mainHidden) {
            ShowWindow(true, true);
        } else {
            ShowWindow(false, false);
        }
        m_mainHidden = !m_mainHidden;
        // 'G' also hides the running games, or shows them again.
        if (key == 'G') {
            GetRunningGames().ShowGames(!m_gameHidden);
            m_gameHidden = !m_gameHidden;
        }
    } else if (key == 'K') {
        GetRunningGames().KillForegroundGame();
    }
    return 0;
}

LRESULT VQMarloxWnd::OnDragEnter(LPARAM info) {
    VQOleDropInfo* drop = reinterpret_cast<VQOleDropInfo*>(info);
    bool accept = false;
    VQIconList* installed = FindIconList(kInstalledListId);
    if (drop && IsWindowEnabled(m_hwnd) && installed && IsShown(installed)) {
        std::wstring path = FirstDroppedFile(drop->dataObject);
        accept = !path.empty() && (HasExtension(path.c_str(), L".exe") || HasExtension(path.c_str(), L".lnk"));
    }
    if (drop && drop->effect) *drop->effect = accept ? DROPEFFECT_COPY : DROPEFFECT_NONE;
    return 0;
}

LRESULT VQMarloxWnd::OnDragOver(LPARAM info) {
    VQOleDropInfo* drop = reinterpret_cast<VQOleDropInfo*>(info);
    if (drop == nullptr || drop->effect == nullptr) return 0;
    VQIconList* installed = FindIconList(kInstalledListId);
    POINT point = {drop->x, drop->y};
    ScreenToClient(m_hwnd, &point);
    bool inside = false;
    if (installed && IsShown(installed)) {
        RECT rc = installed->GetPos();
        inside = PtInRect(&rc, point) != FALSE;
    }
    *drop->effect = inside ? DROPEFFECT_COPY : DROPEFFECT_NONE;
    return 0;
}

LRESULT VQMarloxWnd::OnDrop(LPARAM info) {
    VQOleDropInfo* drop = reinterpret_cast<VQOleDropInfo*>(info);
    if (drop == nullptr) return 0;
    std::wstring path = FirstDroppedFile(drop->dataObject);
    if (path.empty()) return 0;
    m_dropPath = path;
    PostMessageW(m_hwnd, kMsgAddGameFromFile, 0, reinterpret_cast<LPARAM>(m_dropPath.c_str()));
    return 0;
}

void VQMarloxWnd::ApplySpeedDisplay(bool show) {
    if (show == m_showSpeed) return;
    VQIconList* downloads = FindIconList(kDownloadListId);
    if (show) {
        if (downloads == nullptr || !IsShown(downloads)) return;
        SetTimer(m_hwnd, kTimerSpeedDisplay, kSpeedDisplayMs, nullptr);
    } else {
        KillTimer(m_hwnd, kTimerSpeedDisplay);
    }
    m_showSpeed = show;
    VQControl* label = m_paintManager.FindControlById(kSpeedLabelId);
    if (label == nullptr) return;
    if (!show) {
        label->SetVisible(false);
    } else if (!label->IsVisible()) {
        label->SetText(FormatSizeText(0) + L"/S");
        label->SetVisible(true);
    }
    label->Invalidate();
}

void VQMarloxWnd::UpdateSpeedLabel() {
    VQIconList* downloads = FindIconList(kDownloadListId);
    VQControl* label = m_paintManager.FindControlById(kSpeedLabelId);
    if (downloads == nullptr || label == nullptr) return;
    uint64_t total = 0;
    DWORD now = GetTickCount();
    for (VQGameIcon* tile : downloads->GetTiles()) {
        if (tile->GetState() != kTileDownloading) continue;
        auto found = m_speeds.find(tile->GetGameId());
        if (found != m_speeds.end() && now - found->second.tick < kFreshSpeedMs) total += found->second.bytesPerSecond;
    }
    label->SetText(FormatSizeText(static_cast<int64_t>(total)) + L"/S");
    label->Invalidate();
}

// Called on the task's thread: nothing here touches a tile.
void VQMarloxWnd::OnDownloadMessage(uint32_t code, const VQDownloadMessageInfo* info) {
    if (info == nullptr || m_hwnd == nullptr) return;
    const uint32_t taskId = info->taskId;
    if (code == kDownloadEventBytesDone) {
        // Counts come with every block: the tile takes the newest when the
        // one message on its way arrives.
        if (m_progress.Offer(taskId, info->value, GetTickCount())) PostDownloadEvent(code, taskId, 0, std::wstring());
        return;
    }
    // A count held back goes first, so the tile ends on the task's last one.
    if (m_progress.TakeWaiting(taskId)) PostDownloadEvent(kDownloadEventBytesDone, taskId, 0, std::wstring());
    const bool withText = (code == 0 || code == 2) && info->value != 0;
    PostDownloadEvent(code, taskId, info->value, withText ? std::wstring(MessageText(*info)) : std::wstring());
}

// Any thread.
void VQMarloxWnd::PostDownloadEvent(uint32_t code, uint32_t taskId, uint64_t value, const std::wstring& text) {
    VQPostedDownloadEvent* event = new (std::nothrow) VQPostedDownloadEvent;
    if (event != nullptr) {
        event->code = code;
        event->taskId = taskId;
        event->value = value;
        event->text = text;
        if (PostMessageW(m_hwnd, kMsgDownloadEvent, reinterpret_cast<WPARAM>(event), 0)) return;
        delete event;
    }
    // No count on its way after all: the next one is posted again.
    uint64_t dropped = 0;
    if (code == kDownloadEventBytesDone) m_progress.Take(taskId, dropped);
}

}  // namespace Tessar
