#pragma once
// Folder environment/: the runtime environment window: the machine and
// runtime checks (Environment*, Runtime*), the download and install of
// missing runtimes, and the disk space texts and drive choice.
//
// The runtime environment window: whether this computer can run one game.
// It compares processor, memory, video card, operating system and disk
// with the game's needs, lists the runtimes the game depends on with their
// installed state, and on one click downloads (its own queue, one at a
// time) and installs the missing runtimes one after the other. Hiding the
// window stops nothing but the close button; a new check starts afresh.
//
// Threads: the detection thread, the install thread and the download
// tasks never touch a control. The detection thread posts kMsgDetected
// with its findings, the tasks' events are copied and posted as
// kMsgDownloadEvent, the install thread posts kWmRuntimeInstalled; the UI
// thread alone changes rows, model and controls. m_checkSerial (UI thread)
// tells a late detection result of an earlier check from the current one.
// The threads hold their job and the stop event themselves: the window
// waits for them a bounded time only.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "VQCore/app/windows/DialogWindow.h"
#include "VQCore/app/environment/EnvironmentCheck.h"
#include "VQCore/app/environment/RuntimeChain.h"
#include "VQCore/download/DetectEnvironment.h"
#include "VQCore/download/DownloadMessage.h"
#include "common/HardwareReport.h"
#include "common/KernelHandle.h"

namespace Tessar {

class VQChangeDirDlg;
class VQDownloadQueue;
class VQDownloadTask;
class VQEnvironmentElement;
class VQGameIcon;
class VQThread;

// What the window needs of a game, copied from its tile when the check
// starts, so that a tile removed meanwhile leaves nothing dangling.
struct VQGameRequirements {
    uint32_t gameId = 0;
    std::wstring name;
    int kind = 0;  // GameKindOf
    uint64_t size = 0;
    uint64_t installSize = 0;
    uint8_t cpuClass = 0;
    float cpuSpeed = 0.0f;
    uint32_t memoryMB = 0;
    uint32_t videoMB = 0;
    uint8_t os = 0;
    uint16_t depend = 0;
};
VQGameRequirements RequirementsOf(const VQGameIcon& tile);

// The machine as the detection thread reads it.
struct VQMachineFacts {
    HardwareReport hardware;
    uint64_t totalPhysicalBytes = 0;
    uint32_t osMajor = 0;  // the true version, for Windows newer than every OS code
    uint32_t osMinor = 0;
};

// What one detection run found, handed to the window by message.
struct VQEnvironmentFindings {
    uint32_t serial = 0;  // the check it belongs to
    bool machineRead = false;
    VQMachineFacts machine;
    VQRuntimeState runtimes;
};

// Where the detection looks. The defaults read this machine; tests give a
// made-up machine and runtime trees in a scratch registry key.
struct VQEnvironmentSources {
    std::function<void(VQMachineFacts&)> readMachine;
    VQDetectEnvironment detect;
};
VQEnvironmentSources SystemEnvironmentSources();

class VQEnvironmentWnd : public VQDialogWindow, public VQDownloadMessage {
public:
    explicit VQEnvironmentWnd(HWND owner, const VQEnvironmentSources& sources = SystemEnvironmentSources());
    // Stops every worker and download first.
    ~VQEnvironmentWnd() override;

    const wchar_t* GetWindowClassName() const override { return L"VQEnvironmentWnd"; }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnNcCalcSize(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    LRESULT OnNcPaint(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    LRESULT OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    LRESULT OnClose(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    LRESULT OnTimer(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    void ChangeSkin(UINT resourceId, const std::wstring& windowName, const std::wstring& extra,
                    const std::wstring& skinFolder, const std::wstring& skinLayoutPath) override;
    void Notify(VQNotifyMsg& msg) override;
    // Any thread: copies the event and posts it to the window.
    void OnDownloadMessage(uint32_t code, const VQDownloadMessageInfo* info) override;

    // A new check of the game (false when the user chose to keep the
    // running repair): stops the work of the last one, empties the rows
    // and starts the detection. The caller shows the window.
    bool CheckGame(const VQGameRequirements& game);
    // "一键安装所需环境": the first missing runtime starts downloading.
    bool InstallMissing();
    // True = go on: nothing runs, or the user agreed to stop it.
    bool ConfirmStop();
    // Sets the stop event, waits for both threads (at most kStopWaitMs
    // together; a thread still busy then ends on its own, holding its job
    // and its event, and posts to a window that may be gone), removes every
    // download.
    void StopWork();
    static const DWORD kStopWaitMs = 5000;
    // The close button: ask, then hide and stop.
    void RequestHide();

    // What the window shows (the main window and tests read it).
    bool IsDetecting() const { return m_detecting; }
    bool IsWorking() const;
    VQEnvironmentElement* HardwareRow(int id) const;
    size_t RuntimeRowCount() const { return m_elements.size(); }
    VQEnvironmentElement* RuntimeRowAt(size_t index) const;
    const VQRuntimeRows& RuntimeModel() const { return m_rows; }
    bool IsInstallOfferShown() const;
    bool IsBadgeSatisfied() const { return m_badgeSatisfied; }
    const VQGameRequirements& Game() const { return m_game; }
    const std::wstring& DiskText() const { return m_diskText; }

    enum : UINT {
        kMsgDetected = WM_APP + 0x161,       // lParam: a heap detection result, freed here
        kMsgDownloadEvent = WM_APP + 0x162,  // lParam: a heap copied download event
    };
    enum : int {
        kMinimiseId = 100,
        kCloseId = 101,
        kCpuRowId = 102,
        kMemoryRowId = 103,
        kVideoRowId = 104,
        kDiskRowId = 105,
        kOsRowId = 106,
        kRuntimeListId = 107,
        kBadgeId = 108,
        kInstallGroupId = 109,
        kInstallButtonId = 110,
        kHelpLinkId = 111,
        kCaptionId = 112,
    };
    static const UINT_PTR kProgressTimer = 1001;

private:
    // A task's event, copied on the task's thread.
    struct PostedEvent {
        uint32_t code = 0;
        uint32_t taskId = 0;
        uint64_t value = 0;
        std::wstring text;
    };

    // Detection and rows (EnvironmentWnd.cpp).
    void StartDetection();
    void OnDetected(std::unique_ptr<VQEnvironmentFindings> findings);
    void ResetRows();
    void FillRows();
    void FillHardwareRows();
    void FillRuntimeRows();
    void UpdateDiskText();
    bool DiskRowState(uint32_t& state);
    void ShowBadge(bool satisfied);
    void CheckAllSatisfied();
    void OnClick(VQControl* sender);
    void OnRowButton(VQEnvironmentElement* row, VQControl* sender);
    void ChangeFolders();
    void SetRowState(size_t index, uint32_t state);
    // Waits for a thread that has posted its last word (it is returning).
    void WaitForThread(std::unique_ptr<VQThread>& thread);
    HANDLE StopEvent() const { return m_stopEvent ? m_stopEvent->Get() : nullptr; }

    // Downloads and installs (EnvironmentWndDownloads.cpp).
    bool StartNextDownload();
    void OnDownloadEvent(std::unique_ptr<PostedEvent> event);
    void OnDownloadEnded(size_t index, uint32_t endCode);
    void ReplaceTask(size_t index, uint32_t kind);
    void StartInstall();
    void OnInstalled(uint32_t packageId, int result);
    void ShowProgress();
    size_t IndexOfPackage(uint32_t packageId) const;
    VQDownloadTask* TaskOf(size_t index) const;

    VQEnvironmentSources m_sources;
    VQGameRequirements m_game;
    VQMachineFacts m_machine;
    bool m_hardwareRead = false;  // read once per window
    VQRuntimeState m_runtimes;
    bool m_detecting = false;
    uint32_t m_checkSerial = 0;
    std::unique_ptr<VQThread> m_detectThread;
    std::unique_ptr<VQThread> m_installThread;
    // Manual reset; set to stop all work. A new check makes a new one: a
    // thread StopWork stopped waiting for keeps its own, set.
    VQSharedEvent m_stopEvent;
    std::unique_ptr<VQDownloadQueue> m_queue;

    std::wstring m_diskText;
    wchar_t m_downloadLetter = 0;
    wchar_t m_installLetter = 0;
    uint64_t m_downloadFree = 0;
    uint64_t m_installFree = 0;
    bool m_foldersKnown = false;
    bool m_otherDownloadDrive = false;
    wchar_t m_otherDownloadLetter = 0;
    bool m_otherInstallDrive = false;
    wchar_t m_otherInstallLetter = 0;

    VQRuntimeRows m_rows;                          // the runtimes' model
    std::vector<VQEnvironmentElement*> m_elements;  // their rows in list 107, same order
    std::vector<VQDownloadTask*> m_tasks;           // each row's task (the queue owns it)
    bool m_badgeSatisfied = false;
    bool m_badgeShown = false;  // a check has given its verdict
    VQChangeDirDlg* m_openChangeDir = nullptr;  // only while it is shown
};

}  // namespace Tessar
