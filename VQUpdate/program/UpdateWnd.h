#pragma once
// The updater's only window: current and new version, a status line, a
// progress bar and the worker that checks, downloads and hands over. Shown
// for the interactive check, hidden for the scheduled "-update" run. Found
// by its class "VQUpdateWnd" and its title (string 1006): the manager posts
// WM_USER+1 after a skin change, a second start brings it forward.
//
// Threads: the worker never touches the controls; it posts the messages
// below. It writes the update information before posting, and the UI
// thread reads it only after the post (the progress counters while the
// download runs, torn reads only show a stale percentage). The cancel
// event is the only signal from the UI thread to the worker. The window
// object is freed only after the worker has ended; when it does not end
// within the bounded wait at close, the object is left to the process's
// end (which follows at once) instead of being freed under the worker.

#include "VQUpdate/UpdateInfo.h"
#include "VQUpdate/program/UpdateTempFolder.h"
#include "common/Thread.h"
#include "ui/WindowImplBase.h"


#include <memory>
#include <mutex>
#include <string>

namespace Tessar {

extern const wchar_t kUpdateWindowClass[];  // L"VQUpdateWnd"
extern const wchar_t kUpdateLayoutName[];   // L"UpdateWnd"

// Worker -> window.
const UINT kWmUpdateStatus = WM_USER + 100;       // wParam: string id of the status line
const UINT kWmUpdateDownloading = WM_USER + 101;  // the download starts
const UINT kWmUpdateFinished = WM_USER + 102;     // wParam: status id; lParam: 1 when handed over
// Manager -> window: re-apply the skin.
const UINT kWmUpdateSkinChanged = WM_USER + 1;
const UINT_PTR kProgressTimerId = 100;
const UINT kProgressTimerMs = 100;

class VQUpdateWnd : public VQWindowImplBase {
public:
    VQUpdateWnd();
    ~VQUpdateWnd() override;

    void SetHiddenRun(bool hidden) { m_hiddenRun = hidden; }
    bool IsHiddenRun() const { return m_hiddenRun; }

    const wchar_t* GetWindowClassName() const override { return kUpdateWindowClass; }
    const wchar_t* GetSuperClassName() const override { return nullptr; }
    UINT GetClassStyle() const override { return 0; }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hwnd) override;
    LRESULT OnCreate(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    LRESULT OnDestroy(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    LRESULT OnNcCalcSize(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    LRESULT OnNcPaint(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    LRESULT OnTimer(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    void Notify(VQNotifyMsg& msg) override;

    // The worker's whole run (on the worker thread).
    void RunWorker();

private:
    // The worker's steps; the status text to show (0 after a hand-over).
    UINT CheckDownloadAndHandOver(bool& handedOver);
    void ApplySkin();
    void SetControlText(int id, const std::wstring& text);
    void OnStatus(UINT statusId);
    void OnDownloading();
    void OnFinished(UINT statusId, bool handedOver);
    void Post(UINT message, WPARAM wParam, LPARAM lParam);

    std::shared_ptr<VQThread> m_worker;
    std::unique_ptr<VQUpdateTempFolder> m_tempFolder;
    std::unique_ptr<VQUpdateInfo> m_info;
    bool m_hiddenRun = false;
    HANDLE m_cancelEvent = nullptr;
    HWND m_workerTarget = nullptr;  // set before the worker starts
    bool m_workerAlive = false;     // the worker outlived the wait at close
    std::mutex m_reportLock;        // guards m_remoteVersion
    std::wstring m_remoteVersion;
};

// The worker thread's function; the argument is the window.
void UpdateWorker(void* window);

}  // namespace Tessar
