// The runtime environment window: construction, the detection thread, the
// rows of a check, the clicks and stopping. Downloads and installs are in
// EnvironmentWndDownloads.cpp.

#include "VQCore/app/environment/EnvironmentWnd.h"

#include <objbase.h>

#include <cwctype>
#include <new>

#include "VQCore/app/windows/ChangeDirDlg.h"
#include "VQCore/app/environment/DiskSpaceText.h"
#include "VQCore/app/environment/EnvironmentElement.h"
#include "VQCore/app/pages/GameIcon.h"
#include "VQCore/app/windows/MessageDlg.h"
#include "VQCore/app/start/ResourceString.h"
#include "VQCore/app/environment/RoomyDrives.h"
#include "VQCore/app/environment/RuntimeDetection.h"
#include "VQCore/download/DownloadQueue.h"
#include "VQCore/download/DownloadTask.h"
#include "VQCore/gamelib/Settings.h"
#include "common/FormatText.h"
#include "common/OsDescription.h"
#include "common/ServerAddresses.h"
#include "common/Thread.h"
#include "common/WebAddress.h"
#include "ui/Container.h"
#include "ui/PaintManager.h"

namespace Tessar {

namespace {

enum : UINT { kTextTitle = 1162, kTextStopTitle = 1174, kTextStopQuestion = 1175 };

const DWORD kWindowExStyle = WS_EX_APPWINDOW | WS_EX_DLGMODALFRAME;
const int kHardwareRowIds[] = {VQEnvironmentWnd::kCpuRowId, VQEnvironmentWnd::kMemoryRowId,
                               VQEnvironmentWnd::kVideoRowId, VQEnvironmentWnd::kDiskRowId,
                               VQEnvironmentWnd::kOsRowId};

// The processor name as the row shows it: without the runs of three blanks
// some brand strings carry, "NONE" when there is none.
std::wstring ProcessorRowText(const std::wstring& name) {
    if (name.empty()) return L"NONE";
    std::wstring text = name;
    for (size_t at = text.find(L"   "); at != std::wstring::npos; at = text.find(L"   ", at)) text.erase(at, 3);
    return text;
}

void ReadThisMachine(VQMachineFacts& facts) {
    OsVersionFacts os = {};
    ReadOsVersionFacts(os);
    DescribeOs(os, facts.hardware);
    facts.osMajor = os.version.dwMajorVersion;
    facts.osMinor = os.version.dwMinorVersion;
    MEMORYSTATUSEX memory = {};
    memory.dwLength = sizeof(memory);
    if (::GlobalMemoryStatusEx(&memory)) facts.totalPhysicalBytes = memory.ullTotalPhys;
    QueryWmiProcessor(facts.hardware);
    QueryWmiVideo(facts.hardware);
}

struct DetectionJob {
    HWND window = nullptr;
    bool readMachine = false;
    VQEnvironmentSources sources;
    std::unique_ptr<VQEnvironmentFindings> findings;
};

// The detection thread: reads, then hands everything over by message.
void DetectThreadMain(void* argument) {
    std::unique_ptr<DetectionJob> job(static_cast<DetectionJob*>(argument));
    // WMI and the DirectX diagnostics are COM objects.
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (job->readMachine && job->sources.readMachine) {
        job->sources.readMachine(job->findings->machine);
        job->findings->machineRead = true;
    }
    DetectRuntimeState(job->findings->runtimes, job->sources.detect);
    if (SUCCEEDED(com)) ::CoUninitialize();
    VQEnvironmentFindings* findings = job->findings.release();
    if (!::PostMessageW(job->window, VQEnvironmentWnd::kMsgDetected, 0, reinterpret_cast<LPARAM>(findings)))
        delete findings;
}

}  // namespace

VQGameRequirements RequirementsOf(const VQGameIcon& tile) {
    const VQGameIconData& data = tile.Data();
    VQGameRequirements game;
    game.gameId = tile.GetGameId();
    game.name = tile.GetCaption();
    game.kind = GameKindOf(&tile);
    game.size = data.size;
    game.installSize = data.installSize;
    game.cpuClass = data.cpuClass;
    game.cpuSpeed = data.cpuSpeed;
    game.memoryMB = data.memory;
    game.videoMB = data.video;
    game.os = data.os;
    game.depend = data.depend;
    return game;
}

VQEnvironmentSources SystemEnvironmentSources() {
    VQEnvironmentSources sources;
    sources.readMachine = &ReadThisMachine;
    return sources;
}

VQEnvironmentWnd::VQEnvironmentWnd(HWND owner, const VQEnvironmentSources& sources) : m_sources(sources) {
    m_stopEvent = MakeSharedEvent(true);
    // Own download queue: one runtime at a time, no speed limit.
    m_queue.reset(new VQDownloadQueue(this, 1, 0));
    CreateDialogWindow(owner, LoadResourceString(kTextTitle), kAppWindowStyle, kWindowExStyle);
}

VQEnvironmentWnd::~VQEnvironmentWnd() {
    StopWork();
    m_queue.reset();
    // What the workers posted and nobody read any more.
    if (m_hwnd) {
        MSG message;
        while (::PeekMessageW(&message, m_hwnd, kMsgDetected, kMsgDownloadEvent, PM_REMOVE))
            HandleMessage(message.message, message.wParam, message.lParam);
    }
}

bool VQEnvironmentWnd::IsWorking() const {
    return (m_installThread && m_installThread->IsRunning()) || (m_queue && m_queue->HasActive());
}

VQEnvironmentElement* VQEnvironmentWnd::HardwareRow(int id) const {
    VQControl* control = Find(id);
    return control ? static_cast<VQEnvironmentElement*>(control->GetInterface(ControlTypeEnvironmentElement))
                   : nullptr;
}

VQEnvironmentElement* VQEnvironmentWnd::RuntimeRowAt(size_t index) const {
    return index < m_elements.size() ? m_elements[index] : nullptr;
}

bool VQEnvironmentWnd::IsInstallOfferShown() const {
    VQControl* group = Find(kInstallGroupId);
    return group && group->IsVisible();
}

bool VQEnvironmentWnd::CheckGame(const VQGameRequirements& game) {
    if (!ConfirmStop()) return false;
    StopWork();
    m_game = game;
    // A fresh event: a thread of the last check that is still ending keeps
    // the old one, set.
    m_stopEvent = MakeSharedEvent(true);
    ResetRows();
    const std::wstring caption = LoadResourceString(kTextTitle) + L" - " + game.name;
    SetControlText(kCaptionId, caption);
    if (m_hwnd) ::SetWindowTextW(m_hwnd, caption.c_str());
    StartDetection();
    return true;
}

void VQEnvironmentWnd::StartDetection() {
    auto* job = new (std::nothrow) DetectionJob;
    if (!job) return;
    job->window = m_hwnd;
    job->readMachine = !m_hardwareRead;
    job->sources = m_sources;
    job->findings.reset(new VQEnvironmentFindings);
    job->findings->serial = ++m_checkSerial;
    // No result of the DirectX detection keeps what was known before.
    job->findings->runtimes = m_runtimes;
    m_detectThread.reset(new VQThread(&DetectThreadMain, job));
    if (!m_detectThread->Start()) {
        delete job;
        m_detectThread.reset();
        return;
    }
    m_detecting = true;
}

void VQEnvironmentWnd::OnDetected(std::unique_ptr<VQEnvironmentFindings> findings) {
    if (!findings || findings->serial != m_checkSerial) return;  // of a check given up since
    WaitForThread(m_detectThread);
    m_detecting = false;
    if (findings->machineRead) {
        m_machine = findings->machine;
        m_hardwareRead = true;
    }
    m_runtimes = findings->runtimes;
    UpdateDiskText();
    FillRows();
}

void VQEnvironmentWnd::WaitForThread(std::unique_ptr<VQThread>& thread) {
    if (!thread) return;
    thread->WaitUpTo(kStopWaitMs);
    thread.reset();
}

void VQEnvironmentWnd::ResetRows() {
    for (int id : kHardwareRowIds)
        if (VQEnvironmentElement* row = HardwareRow(id)) {
            row->SetNameText(std::wstring());
            row->SetState(kRowNone);
        }
    VQControl* list = Find(kRuntimeListId);
    auto* container = list ? static_cast<VQContainer*>(list->GetInterface(ControlTypeContainer)) : nullptr;
    if (container) container->RemoveAll();
    m_elements.clear();
    m_tasks.clear();
    m_rows.Clear();
    SetControlVisible(kInstallGroupId, false);
    // No verdict until the new check has one.
    m_badgeSatisfied = m_badgeShown = false;
    if (VQControl* badge = Find(kBadgeId)) badge->SetAttribute(L"bknormalimage", std::wstring());
}

void VQEnvironmentWnd::UpdateDiskText() {
    const VQDiskSpace disk = ReadDiskSpace(GetSettingString(L"CacheDir"), GetSettingString(L"InstallDir"));
    m_foldersKnown = disk.foldersKnown;
    m_downloadLetter = disk.downloadLetter;
    m_installLetter = disk.installLetter;
    m_downloadFree = disk.downloadFree;
    m_installFree = disk.installFree;
    m_diskText = disk.text;
}

// The disk row: room on the current drives, else on others (state 6).
bool VQEnvironmentWnd::DiskRowState(uint32_t& state) {
    m_otherDownloadDrive = m_otherInstallDrive = false;
    if (!m_foldersKnown) {
        state = kRowNotSatisfied;
        return false;
    }
    const bool sameDrive = std::towupper(m_downloadLetter) == std::towupper(m_installLetter);
    if (IsDiskSatisfied(sameDrive, m_downloadFree, m_installFree, m_game.size, m_game.installSize)) {
        state = kRowSatisfied;
        return true;
    }
    VQRoomyDrivesRequest request;
    request.downloadLetter = m_downloadLetter;
    request.installLetter = m_installLetter;
    request.downloadFree = m_downloadFree;
    request.installFree = m_installFree;
    request.size = m_game.size;
    request.installSize = m_game.installSize;
    request.drives = ListFixedDriveRooms();
    const VQRoomyDrives found = FindRoomyDrives(request);
    m_otherDownloadDrive = found.found && found.otherDownloadDrive;
    m_otherDownloadLetter = found.downloadLetter;
    m_otherInstallDrive = found.found && found.otherInstallDrive;
    m_otherInstallLetter = found.installLetter;
    state = found.found ? kRowOtherDriveHasRoom : kRowNotSatisfied;
    return false;
}

void VQEnvironmentWnd::FillRows() {
    bool hardwareOk = true;
    auto fill = [&](int id, const std::wstring& text, bool satisfied) {
        VQEnvironmentElement* row = HardwareRow(id);
        if (!row) return;
        row->SetNameText(text);
        row->SetState(satisfied ? kRowSatisfied : kRowNotSatisfied);
        if (!satisfied) hardwareOk = false;
    };
    const HardwareReport& hardware = m_machine.hardware;
    fill(kCpuRowId, ProcessorRowText(hardware.GetProcessorName()),
         IsCpuSatisfied(hardware.processor.familyCode, hardware.processor.totalClock, hardware.processor.count,
                        m_game.cpuClass, m_game.cpuSpeed));
    fill(kMemoryRowId, MemoryText(m_machine.totalPhysicalBytes),
         IsMemorySatisfied(m_machine.totalPhysicalBytes, m_game.memoryMB));
    fill(kVideoRowId, hardware.GetVideoName(), IsVideoSatisfied(hardware.GetLargestVideoMemoryMB(), m_game.videoMB));
    fill(kOsRowId, hardware.GetOsText(),
         IsOsSatisfied(m_game.os, hardware.osCode, m_machine.osMajor, m_machine.osMinor));
    if (VQEnvironmentElement* disk = HardwareRow(kDiskRowId)) {
        uint32_t state = kRowNotSatisfied;
        DiskRowState(state);
        disk->SetNameText(m_diskText);
        disk->SetState(state);
        if (state != kRowSatisfied) hardwareOk = false;
    }

    FillRuntimeRows();
    const bool runtimesOk = m_rows.AllInstalled();
    ShowBadge(hardwareOk && runtimesOk);
    SetControlVisible(kInstallGroupId, !runtimesOk);
    m_paintManager.NeedUpdate();
    if (m_hwnd) ::InvalidateRect(m_hwnd, nullptr, FALSE);
}

void VQEnvironmentWnd::FillRuntimeRows() {
    VQControl* list = Find(kRuntimeListId);
    auto* container = list ? static_cast<VQContainer*>(list->GetInterface(ControlTypeContainer)) : nullptr;
    m_rows.Fill(m_game.kind, m_game.depend, m_runtimes);
    m_elements.clear();
    m_tasks.clear();
    const std::wstring rowLook = m_paintManager.GetDefaultAttributeList(L"EnvironmentRow");
    for (const VQRuntimeRow& model : m_rows.Rows()) {
        auto* row = new (std::nothrow) VQEnvironmentElement();
        if (!row) continue;
        row->SetManager(&m_paintManager);
        if (!rowLook.empty()) row->ApplyAttributeList(rowLook);
        if (!container || !container->Add(row)) {
            delete row;
            row = nullptr;
        } else {
            row->DoInit();
            row->SetPackageId(model.runtime->packageId);
            row->SetNameText(model.runtime->name);
            row->SetState(model.state);
        }
        m_elements.push_back(row);
        m_tasks.push_back(nullptr);
    }
}

void VQEnvironmentWnd::ShowBadge(bool satisfied) {
    m_badgeSatisfied = satisfied;
    m_badgeShown = true;
    VQControl* badge = Find(kBadgeId);
    if (!badge) return;
    const std::wstring look = m_paintManager.GetDefaultAttributeList(satisfied ? L"EnvironmentBadgeOk"
                                                                               : L"EnvironmentBadgeBad");
    if (!look.empty()) badge->ApplyAttributeList(look);
    badge->Invalidate();
}

void VQEnvironmentWnd::CheckAllSatisfied() {
    for (int id : kHardwareRowIds) {
        VQEnvironmentElement* row = HardwareRow(id);
        if (!row || row->GetState() != kRowSatisfied) return;
    }
    if (!m_rows.AllInstalled()) return;
    ShowBadge(true);
}

void VQEnvironmentWnd::SetRowState(size_t index, uint32_t state) {
    if (index >= m_rows.Rows().size()) return;
    m_rows.Rows()[index].state = state;
    if (index < m_elements.size() && m_elements[index]) m_elements[index]->SetState(state);
}

bool VQEnvironmentWnd::ConfirmStop() {
    if (!IsWorking()) return true;
    VQMessageDlg ask(m_hwnd, kMessageAsk, LoadResourceString(kTextStopTitle), LoadResourceString(kTextStopQuestion));
    ask.ShowModal();
    return ask.GetResult() == kDialogOk;
}

void VQEnvironmentWnd::StopWork() {
    if (m_stopEvent) ::SetEvent(m_stopEvent->Get());
    // The detection does not look at the event (WMI and the DirectX
    // diagnostics take their time); the install does. Neither is waited
    // for without limit: each holds what it works on.
    const VQWaitBudget budget(kStopWaitMs);
    for (std::unique_ptr<VQThread>* thread : {&m_detectThread, &m_installThread}) {
        if (*thread) (*thread)->WaitUpTo(budget.Left());
        thread->reset();
    }
    if (m_queue) m_queue->RemoveAll();
    for (VQDownloadTask*& task : m_tasks) task = nullptr;
    if (m_hwnd) ::KillTimer(m_hwnd, kProgressTimer);
    m_detecting = false;
    // A detection result still on its way belongs to no check now.
    ++m_checkSerial;
}

void VQEnvironmentWnd::RequestHide() {
    if (!ConfirmStop()) return;
    ShowWindow(false, false);
    StopWork();
}

LRESULT VQEnvironmentWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case kMsgDetected:
        OnDetected(std::unique_ptr<VQEnvironmentFindings>(reinterpret_cast<VQEnvironmentFindings*>(lParam)));
        return 0;
    case kMsgDownloadEvent:
        OnDownloadEvent(std::unique_ptr<PostedEvent>(reinterpret_cast<PostedEvent*>(lParam)));
        return 0;
    case kWmRuntimeInstalled:
        OnInstalled(static_cast<uint32_t>(wParam), static_cast<int>(lParam));
        return 0;
    default: return VQDialogWindow::HandleMessage(message, wParam, lParam);
    }
}

LRESULT VQEnvironmentWnd::OnNcCalcSize(UINT, WPARAM, LPARAM, BOOL& handled) {
    handled = TRUE;
    return 0;
}

LRESULT VQEnvironmentWnd::OnNcPaint(UINT, WPARAM, LPARAM, BOOL& handled) {
    handled = TRUE;
    return 0;
}

LRESULT VQEnvironmentWnd::OnSysCommand(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
    if ((wParam & 0xFFF0) != SC_CLOSE) {
        handled = FALSE;
        return 0;
    }
    RequestHide();
    handled = TRUE;
    return 0;
}

LRESULT VQEnvironmentWnd::OnClose(UINT, WPARAM, LPARAM, BOOL& handled) {
    StopWork();
    handled = FALSE;  // the default close goes on
    return 0;
}

LRESULT VQEnvironmentWnd::OnTimer(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
    if (wParam != kProgressTimer) {
        handled = FALSE;
        return 0;
    }
    ShowProgress();
    handled = TRUE;
    return 0;
}

void VQEnvironmentWnd::ChangeSkin(UINT resourceId, const std::wstring& windowName, const std::wstring& extra,
                                  const std::wstring& skinFolder, const std::wstring& skinLayoutPath) {
    if (m_openChangeDir && ::IsWindow(m_openChangeDir->GetHWND()))
        ::PostMessageW(m_openChangeDir->GetHWND(), kMsgReapplySkin, 0, 0);
    VQDialogWindow::ChangeSkin(resourceId, windowName, extra, skinFolder, skinLayoutPath);
    // The rows build their children in code: they take the new looks here.
    for (int id : kHardwareRowIds)
        if (VQEnvironmentElement* row = HardwareRow(id)) row->ApplyLook();
    const std::wstring rowLook = m_paintManager.GetDefaultAttributeList(L"EnvironmentRow");
    for (VQEnvironmentElement* row : m_elements)
        if (row) {
            if (!rowLook.empty()) row->ApplyAttributeList(rowLook);
            row->ApplyLook();
        }
    if (m_badgeShown) ShowBadge(m_badgeSatisfied);
}

void VQEnvironmentWnd::Notify(VQNotifyMsg& msg) {
    if (msg.type == NotifyClick && msg.sender) OnClick(msg.sender);
}

void VQEnvironmentWnd::OnClick(VQControl* sender) {
    switch (sender->GetId()) {
    case kMinimiseId: ::SendMessageW(m_hwnd, WM_SYSCOMMAND, SC_MINIMIZE, 0); return;
    case kCloseId: RequestHide(); return;
    case kInstallButtonId: InstallMissing(); return;
    case kHelpLinkId: OpenWebAddress(GetServerAddress(kRuntimeHelpPage), ::GetActiveWindow(), L"Open"); return;
    default: break;
    }
    VQControl* parent = sender->GetParent();
    auto* row = parent ? static_cast<VQEnvironmentElement*>(parent->GetInterface(ControlTypeEnvironmentElement))
                       : nullptr;
    if (row) OnRowButton(row, sender);
}

void VQEnvironmentWnd::OnRowButton(VQEnvironmentElement* row, VQControl* sender) {
    const VQEnvironmentButton button = row->ButtonOf(sender);
    if (button == VQEnvironmentButton::kChangeDir) {
        ChangeFolders();
        return;
    }
    size_t index = 0;
    while (index < m_elements.size() && m_elements[index] != row) ++index;
    if (index == m_elements.size()) return;
    VQDownloadTask* task = TaskOf(index);
    switch (button) {
    case VQEnvironmentButton::kContinue:
        m_rows.Rows()[index].paused = false;
        if (task) m_queue->StartNext(task);
        break;
    case VQEnvironmentButton::kPause:
        m_rows.Rows()[index].paused = true;
        if (task) task->Stop();
        break;
    case VQEnvironmentButton::kCancel:
        // The row is missing again and the download goes: a cancelled
        // download left running would hold the queue's only place.
        SetRowState(index, kRowNotSatisfied);
        if (task) m_queue->Remove(task, false);
        m_tasks[index] = nullptr;
        SetControlVisible(kInstallGroupId, true);
        ::KillTimer(m_hwnd, kProgressTimer);
        break;
    default: break;
    }
}

void VQEnvironmentWnd::ChangeFolders() {
    VQSettings& settings = VQSettings::Instance();
    const std::wstring download = m_otherDownloadDrive
                                      ? FormatString(L"%c:\\%s", m_otherDownloadLetter, kDefaultDownloadFolder)
                                      : settings.GetString(L"CacheDir");
    const std::wstring install = m_otherInstallDrive
                                     ? FormatString(L"%c:\\%s", m_otherInstallLetter, kDefaultInstallFolder)
                                     : settings.GetString(L"InstallDir");
    VQChangeDirDlg dialog(m_hwnd, download, install, m_game.size + kDownloadReserveBytes, m_game.installSize);
    m_openChangeDir = &dialog;
    dialog.ShowModal();
    m_openChangeDir = nullptr;
    if (dialog.GetResult() != kDialogOk || !::IsWindow(m_hwnd)) return;
    settings.SetString(L"CacheDir", dialog.GetDownloadFolder());
    settings.SetString(L"InstallDir", dialog.GetInstallFolder());
    UpdateDiskText();
    VQEnvironmentElement* disk = HardwareRow(kDiskRowId);
    if (!disk) return;
    disk->SetNameText(m_diskText);
    uint32_t state = kRowSatisfied;
    if (!dialog.IsDownloadSpaceOk() || !dialog.IsInstallSpaceOk()) DiskRowState(state);
    disk->SetState(state);
    if (state == kRowSatisfied) CheckAllSatisfied();
}

}  // namespace Tessar
