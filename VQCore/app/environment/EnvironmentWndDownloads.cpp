// The runtime environment window's downloads and installs: one missing
// runtime after the other through the window's own queue, then the install
// thread; every report arrives here by message on the UI thread.

#include "VQCore/app/environment/EnvironmentWnd.h"

#include <new>

#include "VQCore/app/operations/DownloadTasks.h"
#include "VQCore/app/environment/EnvironmentElement.h"
#include "VQCore/app/environment/RuntimeInstall.h"
#include "VQCore/download/DownloadQueue.h"
#include "VQCore/download/DownloadTask.h"
#include "common/Thread.h"

namespace Tessar {

void VQEnvironmentWnd::OnDownloadMessage(uint32_t code, const VQDownloadMessageInfo* info) {
    if (!info || !m_hwnd) return;
    auto* event = new (std::nothrow) PostedEvent;
    if (!event) return;
    event->code = code;
    event->taskId = info->taskId;
    event->value = info->value;
    if ((code == kDownloadEventRecordPath || code == kDownloadEventSetupPath) && info->value != 0)
        event->text = MessageText(*info);
    if (!::PostMessageW(m_hwnd, kMsgDownloadEvent, 0, reinterpret_cast<LPARAM>(event))) delete event;
}

size_t VQEnvironmentWnd::IndexOfPackage(uint32_t packageId) const {
    const std::vector<VQRuntimeRow>& rows = m_rows.Rows();
    for (size_t i = 0; i < rows.size(); ++i)
        if (rows[i].runtime && rows[i].runtime->packageId == packageId) return i;
    return rows.size();
}

VQDownloadTask* VQEnvironmentWnd::TaskOf(size_t index) const {
    return index < m_tasks.size() ? m_tasks[index] : nullptr;
}

bool VQEnvironmentWnd::InstallMissing() {
    SetControlVisible(kInstallGroupId, false);
    if (!StartNextDownload()) return false;
    ::SetTimer(m_hwnd, kProgressTimer, 1000, nullptr);
    return true;
}

bool VQEnvironmentWnd::StartNextDownload() {
    for (;;) {
        VQRuntimeRow* row = m_rows.StartNextDownload();
        if (!row) {
            ::KillTimer(m_hwnd, kProgressTimer);
            return false;
        }
        const size_t index = IndexOfPackage(row->runtime->packageId);
        SetRowState(index, kRowDownloading);
        VQDownloadTask* task = MakeDownloadTask(row->runtime->packageId, kHttpTaskKind);
        if (task && m_queue->Add(task)) {
            m_tasks[index] = task;
            m_queue->StartNext(task);
            return true;
        }
        if (task) task->Release();
        // No task could be made: this runtime fails, the next one goes on.
        SetRowState(index, kRowFailed);
    }
}

void VQEnvironmentWnd::OnDownloadEvent(std::unique_ptr<PostedEvent> event) {
    if (!event) return;
    const size_t index = IndexOfPackage(event->taskId);
    // A task taken away (cancel, a new check) may still have reports on
    // their way: they belong to no row now.
    if (index >= m_rows.Rows().size() || !TaskOf(index)) return;
    VQRuntimeRow& row = m_rows.Rows()[index];
    switch (event->code) {
    case kDownloadEventRecordPath: row.recordPath = event->text; break;
    case kDownloadEventSetupPath: row.filePath = event->text; break;
    case kDownloadEventTotalSize: row.totalBytes = event->value; break;
    case kDownloadEventBytesDone: row.downloadedBytes = event->value; break;
    case kDownloadEventState:
        if (event->value == kTaskFailed) SetRowState(index, kRowFailed);
        break;
    case kDownloadEventEnd: OnDownloadEnded(index, static_cast<uint32_t>(event->value)); break;
    case kDownloadEventOtherTransport: ReplaceTask(index, static_cast<uint32_t>(event->value)); break;
    default: break;
    }
}

void VQEnvironmentWnd::OnDownloadEnded(size_t index, uint32_t endCode) {
    VQDownloadTask* task = TaskOf(index);
    const bool peerToPeer = task && task->GetKind() == kBTTaskKind;
    switch (DecideDownloadEnd(peerToPeer, endCode, task ? task->GetFailureCount() : 0)) {
    case VQDownloadEndStep::kInstall: StartInstall(); break;
    case VQDownloadEndStep::kNothing: break;
    case VQDownloadEndStep::kRetry:
        SetRowState(index, kRowDownloading);
        m_queue->StartNext(task);
        break;
    case VQDownloadEndStep::kNext:
        // A failure that came without its state report still fails the row.
        if (m_rows.Rows()[index].state == kRowDownloading) SetRowState(index, kRowFailed);
        StartNextDownload();
        break;
    }
}

// The server named the other transport: a task of that kind takes over
// (and releases the old one before it begins).
void VQEnvironmentWnd::ReplaceTask(size_t index, uint32_t kind) {
    VQDownloadTask* old = TaskOf(index);
    VQDownloadTask* task = MakeDownloadTask(m_rows.Rows()[index].runtime->packageId, kind);
    if (!old || !task) {
        if (task) task->Release();
        return;
    }
    old->SetRemoveFiles(true);
    m_queue->Remove(old, true);
    task->SetReplacedTask(old);
    if (!m_queue->Add(task)) {
        task->Release();
        m_tasks[index] = nullptr;
        return;
    }
    m_tasks[index] = task;
    m_queue->StartNext(task);
}

void VQEnvironmentWnd::StartInstall() {
    VQRuntimeRow* row = m_rows.FirstInState(kRowDownloading);
    if (!row) {
        // Nothing waits for its install (the row was cancelled meanwhile).
        if (::WaitForSingleObject(StopEvent(), 0) == WAIT_TIMEOUT) StartNextDownload();
        return;
    }
    const size_t index = IndexOfPackage(row->runtime->packageId);
    SetRowState(index, kRowInstalling);
    WaitForThread(m_installThread);
    VQRuntimeInstallJob job;
    job.packageId = row->runtime->packageId;
    job.filePath = row->filePath;
    job.installFolder = CurrentRuntimeInstallFolder();
    job.stopEvent = m_stopEvent;
    job.window = m_hwnd;
    m_installThread = StartRuntimeInstallThread(job);
    if (!m_installThread) OnInstalled(job.packageId, static_cast<int>(VQRuntimeInstallResult::kFailed));
}

void VQEnvironmentWnd::OnInstalled(uint32_t packageId, int result) {
    // The thread has posted its last word; it is ending.
    WaitForThread(m_installThread);
    const size_t index = IndexOfPackage(packageId);
    if (index < m_rows.Rows().size() && m_rows.Rows()[index].state == kRowInstalling) {
        if (result == static_cast<int>(VQRuntimeInstallResult::kInstalled)) {
            SetRowState(index, kRowSatisfied);
            CheckAllSatisfied();
        } else {
            SetRowState(index, kRowFailed);
        }
    }
    if (::WaitForSingleObject(StopEvent(), 0) == WAIT_TIMEOUT) StartNextDownload();
}

void VQEnvironmentWnd::ShowProgress() {
    const VQRuntimeRow* row = m_rows.FirstInState(kRowDownloading);
    if (!row || row->totalBytes == 0) return;
    VQEnvironmentElement* element = RuntimeRowAt(IndexOfPackage(row->runtime->packageId));
    if (element) element->SetProgress(static_cast<double>(row->downloadedBytes) / row->totalBytes);
}

}  // namespace Tessar
