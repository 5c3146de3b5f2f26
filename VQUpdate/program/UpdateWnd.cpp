#include "VQUpdate/program/UpdateWnd.h"

#include "VQUpdate/Version.h"
#include "VQUpdate/program/UpdateApp.h"
#include "VQUpdate/program/UpdateResources.h"
#include "VQUpdate/program/UpdateSkin.h"
#include "common/TextUtil.h"
#include "ui/DialogBuilder.h"
#include "ui/Progress.h"
#include "ui/SkinManager.h"

#include <cstdio>

namespace Tessar {

const wchar_t kUpdateWindowClass[] = L"VQUpdateWnd";
const wchar_t kUpdateLayoutName[] = L"UpdateWnd";

namespace {

const wchar_t kXmlResourceType[] = L"XML";
const int kWindowWidth = 390;
const int kWindowHeight = 266;

std::wstring LoadText(UINT id) {
    return VQSkinManager::Instance().LoadModuleString(id);
}

}  // namespace

VQUpdateWnd::VQUpdateWnd() : m_tempFolder(new VQUpdateTempFolder), m_info(new VQUpdateInfo(std::wstring())) {
    m_cancelEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
}

VQUpdateWnd::~VQUpdateWnd() {
    m_info.reset();
    m_tempFolder.reset();  // deletes the download folder
    if (m_cancelEvent != nullptr)
        CloseHandle(m_cancelEvent);
    m_worker.reset();
}

void VQUpdateWnd::ApplySkin() {
    // The built-in style first, so that a skin whose file has no overlay
    // for this window still leaves it fully styled; then the skin's own.
    ChangeSkin(VQ_UPDATE_STYLE_RESOURCE, kUpdateLayoutName, kXmlResourceType, std::wstring(), std::wstring());
    std::wstring skinLayout = SelectedSkinLayoutPath();
    if (!skinLayout.empty())
        ChangeSkin(VQ_UPDATE_STYLE_RESOURCE, kUpdateLayoutName, kXmlResourceType, UpdateSkinFolder(), skinLayout);
}

LRESULT VQUpdateWnd::OnCreate(UINT, WPARAM, LPARAM, BOOL& handled) {
    handled = TRUE;
    // Without its layout the window is blank, but the check still runs (a
    // hidden run must end by itself in any case).
    if (CreateFromLayout(L"#" + std::to_wstring(VQ_UPDATE_LAYOUT_RESOURCE), kUpdateLayoutName, MarkupFromResource,
                         kXmlResourceType, nullptr))
        ApplySkin();
    int x = GetSystemMetrics(SM_CXSCREEN) / 2 - kWindowWidth / 2;
    int y = GetSystemMetrics(SM_CYSCREEN) / 2 - kWindowHeight / 2;
    SetWindowPos(m_hwnd, nullptr, x, y, kWindowWidth, kWindowHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    m_workerTarget = m_hwnd;
    m_worker = std::shared_ptr<VQThread>(new VQThread(&UpdateWorker, this), &DeleteThreadHolder);
    m_worker->Start();
    return 0;
}

LRESULT VQUpdateWnd::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled) {
    handled = FALSE;
    KillTimer(m_hwnd, kProgressTimerId);
    // The download stops at its next piece; whatever the worker still uses
    // must outlive it.
    if (m_cancelEvent != nullptr)
        SetEvent(m_cancelEvent);
    if (m_worker) {
        m_worker->WaitBriefly();
        m_workerAlive = m_worker->IsRunning();
    }
    PostQuitMessage(0);
    return 0;
}

void VQUpdateWnd::OnFinalMessage(HWND) {
    if (!m_workerAlive)
        delete this;
}

LRESULT VQUpdateWnd::OnNcCalcSize(UINT, WPARAM, LPARAM, BOOL& handled) {
    handled = TRUE;
    return 0;
}

LRESULT VQUpdateWnd::OnNcPaint(UINT, WPARAM, LPARAM, BOOL& handled) {
    handled = TRUE;
    return 0;
}

LRESULT VQUpdateWnd::OnTimer(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
    handled = FALSE;
    if (wParam != kProgressTimerId || !m_info)
        return 0;
    int value = 0;
    const VQDownloadProgress* progress = m_info->progress.get();
    if (progress != nullptr && m_info->fileSize > 0)
        value = static_cast<int>(static_cast<double>(progress->bytesRead) / m_info->fileSize * 100.0);
    if (auto* bar = dynamic_cast<VQProgress*>(m_paintManager.FindControlById(kUpdateProgress))) {
        bar->SetValue(value);
        bar->Invalidate();
    }
    if (value >= 100)
        KillTimer(m_hwnd, kProgressTimerId);
    return 0;
}

void VQUpdateWnd::Notify(VQNotifyMsg& msg) {
    if (msg.type == NotifyWindowInit) {
        std::wstring format = LoadText(IDS_UPDATE_CURRENT_VERSION);
        wchar_t text[128];
        // The built-in version, whatever the version component says.
        swprintf(text, 128, format.c_str(), kBuiltInVersion.major, kBuiltInVersion.minor, kBuiltInVersion.build,
                 kBuiltInVersion.revision);
        SetControlText(kUpdateCurrentVersionLabel, text);
        if (VQControl* exit = m_paintManager.FindControlById(kUpdateExitButton))
            exit->SetFocus();
        return;
    }
    if (msg.type == NotifyClick && msg.sender != nullptr &&
        (msg.sender->GetId() == kUpdateCloseButton || msg.sender->GetId() == kUpdateExitButton)) {
        if (m_cancelEvent != nullptr)
            SetEvent(m_cancelEvent);
        PostMessageW(m_hwnd, WM_CLOSE, 0, 0);
    }
}

LRESULT VQUpdateWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case kWmUpdateSkinChanged:
        ApplySkin();
        return 0;
    case kWmUpdateStatus:
        OnStatus(static_cast<UINT>(wParam));
        return 0;
    case kWmUpdateDownloading:
        OnDownloading();
        return 0;
    case kWmUpdateFinished:
        OnFinished(static_cast<UINT>(wParam), lParam != 0);
        return 0;
    default:
        return VQWindowImplBase::HandleMessage(message, wParam, lParam);
    }
}

void VQUpdateWnd::SetControlText(int id, const std::wstring& text) {
    if (VQControl* control = m_paintManager.FindControlById(id)) {
        control->SetText(text);
        control->Invalidate();
    }
}

void VQUpdateWnd::OnStatus(UINT statusId) {
    SetControlText(kUpdateStatusLabel, LoadText(statusId));
}

void VQUpdateWnd::OnDownloading() {
    SetControlText(kUpdateStatusLabel, LoadText(IDS_UPDATE_DOWNLOADING));
    std::wstring remote;
    {
        std::lock_guard<std::mutex> hold(m_reportLock);
        remote = m_remoteVersion;
    }
    // The text's one "%s" takes the version; the server's text is never a format.
    std::wstring text = LoadText(IDS_UPDATE_NEW_VERSION);
    ReplaceAll(text, L"%s", remote);
    SetControlText(kUpdateNewVersionLabel, text);
    if (auto* bar = dynamic_cast<VQProgress*>(m_paintManager.FindControlById(kUpdateProgress))) {
        bar->SetValue(0);
        bar->SetVisible(true);
        bar->Invalidate();
    }
    ::SetTimer(m_hwnd, kProgressTimerId, kProgressTimerMs, nullptr);
}

void VQUpdateWnd::OnFinished(UINT statusId, bool handedOver) {
    KillTimer(m_hwnd, kProgressTimerId);
    if (statusId != 0)
        OnStatus(statusId);
    if (m_worker)
        m_worker->Wait();  // it has posted its last message and ends now
    // The prepared updater copy waits for this process to end.
    if (handedOver) {
        SetUpdateExitCode(0);
        DestroyWindow(m_hwnd);
    } else if (m_hiddenRun) {
        SetUpdateExitCode(1);
        DestroyWindow(m_hwnd);
    }
}

void VQUpdateWnd::Post(UINT message, WPARAM wParam, LPARAM lParam) {
    PostMessageW(m_workerTarget, message, wParam, lParam);
}

}  // namespace Tessar
