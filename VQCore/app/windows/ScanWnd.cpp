#include "VQCore/app/windows/ScanWnd.h"

#include "VQCore/app/start/ControlFactory.h"
#include "VQCore/app/pages/GameIcon.h"
#include "VQCore/app/windows/MessageDlg.h"
#include "VQCore/app/start/ResourceString.h"
#include "common/FormatText.h"
#include "common/PathText.h"
#include "common/TextUtil.h"
#include "ui/Control.h"
#include "ui/Progress.h"

#include <atomic>
#include <mutex>
#include <thread>

namespace Tessar {

namespace {

enum : int {
    kCloseId = 100,
    kMinimiseId = 101,
    kModePanelId = 102,
    kMarkPanelId = 103,
    kFoundPictureId = 104,
    kNothingPictureId = 105,
    kModeGameFoldersId = 106,
    kModeAllDrivesId = 107,
    kModeFolderId = 108,
    kPauseId = 109,
    kMarkGameFoldersId = 110,
    kMarkAllDrivesId = 111,
    kMarkFolderId = 112,
    kScanningPictureId = 113,
    kPausedPictureId = 114,
    kFolderLabelId = 115,
    kProgressId = 116,
    kFilesLabelId = 117,
    kTimeLabelId = 118,
    kFoundLabelId = 119,
    kResumeId = 120,
    kProgressPanelId = 121,
    kHintPanelId = 122,
    kAddGameLinkId = 123,
    kLibraryLinkId = 124,
    kYesId = 130,
    kNoId = 131,
};

enum : UINT {
    kTextGotIt = 1010,
    kTextChooseFolder = 1018,
    kTextNo = 1021,
    kTextTitle = 1160,
    kTextStopTitle = 1163,
    kTextStopQuestion = 1164,
    kTextStopOption = 1165,
};

const UINT_PTR kClockTimer = 0;
const UINT kClockInterval = 1000;

}  // namespace

// What the scan thread reports into: queued under its lock and announced to
// the window, which may be gone (the window handle is cleared first).
struct VQScanWnd::ScanSink : public VQScanGameCallback {
    std::atomic<HWND> window{nullptr};
    VQDatabaseXmlFile* database = nullptr;  // the scanner's catalogue slot: it loads its own when null
    std::mutex lock;                        // guards reports
    std::vector<Report> reports;

    void Queue(Report report) {
        {
            std::lock_guard<std::mutex> hold(lock);
            reports.push_back(std::move(report));
        }
        if (HWND target = window.load()) ::PostMessageW(target, kMsgScanReport, 0, 0);
    }
    std::vector<Report> Take() {
        std::vector<Report> taken;
        std::lock_guard<std::mutex> hold(lock);
        taken.swap(reports);
        return taken;
    }
    void OnFileCount(uint32_t filesSeen) override { Queue(Report{0, filesSeen}); }
    void OnProgress(uint32_t percent) override { Queue(Report{1, percent}); }
    void OnGameFound(std::unique_ptr<IGameTile> tile, bool iconMissing) override {
        Report report{2, iconMissing ? 1u : 0u};
        report.tile = std::move(tile);
        Queue(std::move(report));
    }
    void OnDirectory(const std::wstring& folder) override {
        Report report{3};
        report.text = folder;
        Queue(std::move(report));
    }
    void OnFinished() override { Queue(Report{4}); }
};

VQScanWnd::VQScanWnd(const VQScanHost& host, int initialMode)
    : m_host(host), m_initialMode(initialMode), m_sink(std::make_shared<ScanSink>()) {
    CreateDialogWindow(nullptr, LoadResourceString(kTextTitle), kAppWindowStyle, WS_EX_APPWINDOW | WS_EX_DLGMODALFRAME);
    m_sink->window = m_hwnd;
    if (m_initialMode != 0) StartScan(m_initialMode, std::wstring());
}

VQScanWnd::~VQScanWnd() {
    StopScanner();
    m_sink->window = nullptr;
    m_sink->Take();
}

void VQScanWnd::StopScanner() {
    if (!m_scanner) return;
    m_scanner->Stop();
    if (m_scanner->WaitUpTo(kStopWaitMs)) return;
    // Still busy: it ends on a thread of its own, which frees it then.
    struct Leftover {
        std::unique_ptr<VQScanGame> scanner;
        std::shared_ptr<ScanSink> sink;
    };
    auto* leftover = new Leftover{std::move(m_scanner), m_sink};
    std::thread([leftover] {
        leftover->scanner->Wait();
        delete leftover;
    }).detach();
}

void VQScanWnd::ShowWindow(bool show, bool takeFocus) {
    m_shown = true;
    VQDialogWindow::ShowWindow(show, takeFocus);
}

void VQScanWnd::SetLabel(int id, const std::wstring& text) { SetControlText(id, text); }

bool VQScanWnd::StartScan(int mode, const std::wstring& folder) {
    if (m_scanning) return false;
    m_scanning = true;
    if (VQControl* modes = Find(kModePanelId)) modes->SetVisible(false);
    SetControlVisible(kMarkPanelId, true);
    SetControlVisible(kPauseId, true);
    SetLabel(kFilesLabelId, L"0");
    SetLabel(kFoundLabelId, L"0");
    SetLabel(kTimeLabelId, L"00:00:00");
    SetControlVisible(kMarkGameFoldersId, mode == 1 || mode == 2);
    SetControlVisible(kMarkAllDrivesId, mode == 3);
    SetControlVisible(kMarkFolderId, mode == 4);
    m_paintManager.NeedUpdate();
    ::InvalidateRect(m_hwnd, nullptr, FALSE);
    m_hours = m_minutes = m_seconds = 0;
    ::SetTimer(m_hwnd, kClockTimer, kClockInterval, nullptr);
    if (!m_scanner) m_scanner.reset(new VQScanGame(&m_sink->database, &MakeGameTile));
    if (!m_scanner->Start(static_cast<uint32_t>(mode), m_sink.get(), folder)) {
        // Nothing runs: the window shows the empty result rather than a scan that never ends.
        Finish();
        return false;
    }
    if (m_host.setTrayRotation) m_host.setTrayRotation(true);
    return true;
}

void VQScanWnd::Pause() {
    if (!m_scanning || m_paused) return;
    m_paused = true;
    if (m_scanner) m_scanner->Pause();
    ::KillTimer(m_hwnd, kClockTimer);
    SetControlVisible(kScanningPictureId, false);
    SetControlVisible(kFolderLabelId, false);
    SetControlVisible(kPausedPictureId, true);
    SetControlVisible(kPauseId, false);
    SetControlVisible(kResumeId, true);
    if (m_host.setTrayRotation) m_host.setTrayRotation(false);
}

void VQScanWnd::Resume() {
    if (!m_paused) return;
    m_paused = false;
    if (m_scanner) m_scanner->Resume();
    ::SetTimer(m_hwnd, kClockTimer, kClockInterval, nullptr);
    SetControlVisible(kScanningPictureId, true);
    SetControlVisible(kFolderLabelId, true);
    SetControlVisible(kPausedPictureId, false);
    SetControlVisible(kPauseId, true);
    SetControlVisible(kResumeId, false);
    if (m_host.setTrayRotation) m_host.setTrayRotation(true);
}

void VQScanWnd::RequestClose() {
    if (!m_scanning) {
        Close();
        return;
    }
    const bool pausedHere = !m_paused;
    Pause();
    VQMessageDlg ask(m_hwnd, kMessageAskWithOption, LoadResourceString(kTextStopTitle),
                     LoadResourceString(kTextStopQuestion));
    ask.SetOptionText(LoadResourceString(kTextStopOption));
    ask.SetOptionSelected(true);
    m_question = &ask;
    ask.ShowModal();
    m_question = nullptr;
    if (m_released) {
        // The owner went while the question was open: nothing is imported,
        // the scan ends and the window frees itself once it is closed.
        m_host = VQScanHost();
        StopScanner();
        m_scanning = false;
        Close();
        return;
    }
    if (!::IsWindow(m_hwnd)) return;
    if (ask.GetResult() == kDialogOk) {
        StopScanner();
        ApplyReports();
        if (ask.IsRemembered()) ImportFound(true);
        m_found.clear();
        m_scanning = false;
        Close();
    } else if (pausedHere) {
        Resume();
    }
}

void VQScanWnd::Release() {
    if (!m_question) {
        delete this;
        return;
    }
    // Deleting now would pull the window from under the question's modal
    // loop and the click that asked it: the question is answered "no" and
    // RequestClose finishes the job.
    m_released = true;
    ::PostMessageW(m_question->GetHWND(), WM_CLOSE, 0, 0);
}

void VQScanWnd::OnFinalMessage(HWND hwnd) {
    if (m_released && !m_question) delete this;
}

std::wstring VQScanWnd::ElapsedText() const { return FormatString(L"%02d:%02d:%02d", m_hours, m_minutes, m_seconds); }

void VQScanWnd::Tick() {
    if (++m_seconds == 60) {
        m_seconds = 0;
        if (++m_minutes == 60) {
            m_minutes = 0;
            ++m_hours;
        }
    }
    SetLabel(kTimeLabelId, ElapsedText());
}

LRESULT VQScanWnd::OnTimer(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) {
    if (wParam != kClockTimer) {
        handled = FALSE;
        return 0;
    }
    Tick();
    return 0;
}

LRESULT VQScanWnd::OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) {
    if ((wParam & 0xFFF0) != SC_CLOSE) {
        handled = FALSE;
        return 0;
    }
    RequestClose();
    return 0;
}

LRESULT VQScanWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kMsgScanReport) {
        ApplyReports();
        return 0;
    }
    return VQDialogWindow::HandleMessage(message, wParam, lParam);
}

void VQScanWnd::Notify(VQNotifyMsg& msg) {
    if (msg.type != NotifyClick || !msg.sender) return;
    switch (msg.sender->GetId()) {
    case kCloseId:
    case kNoId: RequestClose(); break;
    case kMinimiseId: ::SendMessageW(m_hwnd, WM_SYSCOMMAND, SC_MINIMIZE, 0); break;
    case kModeGameFoldersId: StartScan(kScanGameFolders, std::wstring()); break;
    case kModeAllDrivesId: StartScan(kScanAllDrives, std::wstring()); break;
    case kModeFolderId: {
        std::wstring folder;
        if (BrowseForFolder(LoadResourceString(kTextChooseFolder), folder) && !folder.empty())
            StartScan(kScanStartPath, folder);
        break;
    }
    case kPauseId: Pause(); break;
    case kResumeId: Resume(); break;
    case kAddGameLinkId:
        Close();
        if (m_host.addGameByHand) m_host.addGameByHand();
        break;
    case kLibraryLinkId:
        if (m_host.showGameLibrary) m_host.showGameLibrary();
        Close();
        break;
    case kYesId:
        ImportFound(true);
        Close();
        break;
    default: break;
    }
}

// --- UI thread. ---

void VQScanWnd::ApplyReports() {
    std::vector<Report> reports = m_sink->Take();
    bool finished = false;
    for (Report& report : reports) {
        switch (report.kind) {
        case 0: SetLabel(kFilesLabelId, FormatString(L"%u", report.value)); break;
        case 1:
            if (VQControl* control = Find(kProgressId)) {
                if (auto* bar = static_cast<VQProgress*>(control->GetInterface(ControlTypeProgress)))
                    bar->SetValue(static_cast<int>(report.value));
            }
            break;
        case 2: AddFound(std::move(report.tile), report.value != 0); break;
        case 3: SetLabel(kFolderLabelId, report.text); break;
        case 4: finished = true; break;
        default: break;
        }
    }
    if (finished && m_scanning) Finish();
}

void VQScanWnd::AddFound(std::unique_ptr<IGameTile> tile, bool iconMissing) {
    auto* icon = dynamic_cast<VQGameIcon*>(tile.get());
    if (!icon) return;
    if (m_host.isAlreadyListed && m_host.isAlreadyListed(*tile)) return;
    const VQGameIconData& data = icon->Data();
    for (const auto& found : m_found) {
        const VQGameIconData& other = static_cast<VQGameIcon*>(found.get())->Data();
        if (_wcsicmp(other.runProgram.c_str(), data.runProgram.c_str()) == 0 &&
            PrefixCompareNoCase(other.runArguments, data.runArguments) == 0)
            return;
    }
    if (iconMissing) m_iconIds.push_back(icon->GetGameId());
    m_found.push_back(std::move(tile));
    SetLabel(kFoundLabelId, FormatString(L"%u", static_cast<unsigned>(m_found.size())));
}

void VQScanWnd::Finish() {
    ::KillTimer(m_hwnd, kClockTimer);
    SetControlVisible(kProgressPanelId, false);
    SetControlVisible(kPauseId, false);
    SetControlVisible(kResumeId, false);
    if (m_found.empty()) {
        SetControlVisible(kNothingPictureId, true);
        SetControlVisible(kHintPanelId, true);
        SetControlText(kNoId, LoadResourceString(kTextGotIt));
    } else {
        SetControlVisible(kFoundPictureId, true);
        SetControlVisible(kYesId, true);
        SetControlText(kNoId, LoadResourceString(kTextNo));
    }
    ::InvalidateRect(m_hwnd, nullptr, FALSE);
    if (m_host.setTrayRotation) m_host.setTrayRotation(false);
    m_scanning = false;
    m_paused = false;
    // Automatic scans are never shown: what they found goes in at once.
    if (!m_shown) {
        ImportFound(false);
        Close();
    }
}

void VQScanWnd::ImportFound(bool show) {
    if (m_host.importFound && !m_found.empty()) m_host.importFound(m_found, m_iconIds, show);
    m_found.clear();
    m_iconIds.clear();
}

}  // namespace Tessar
