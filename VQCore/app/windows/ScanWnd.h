#pragma once
// The window that drives the disk scan for games already installed and
// shows it: mode choice, progress, the clock, pause and resume, and the
// result with the question whether to add what was found.
//
// Threads: the scanner calls its callbacks on its own thread. They only
// queue the report in the scan's sink (ScanSink, its own lock) and post
// kMsgScanReport; the window applies the queue on the UI thread, so
// controls and the found list are the UI thread's alone. A stop waits for
// the scan a bounded time: a scan still busy then (a file on a slow disk)
// ends on a thread of its own, with the scanner and the sink, which the
// window shares with it and never frees under it.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "VQCore/app/windows/DialogWindow.h"
#include "VQCore/gamelib/ScanGame.h"

namespace Tessar {

class VQDatabaseXmlFile;

// What the scan window needs of the main window.
struct VQScanHost {
    // True when the game is on the installed pages already.
    std::function<bool(const IGameTile& tile)> isAlreadyListed;
    // Takes the found tiles (and the ids whose icons must be fetched);
    // `show` brings the installed page forward.
    std::function<void(std::vector<std::unique_ptr<IGameTile>>& tiles, std::vector<uint32_t>& iconIds, bool show)>
        importFound;
    // The tray's rotating icon while the scan runs.
    std::function<void(bool on)> setTrayRotation;
    // The hint links: 123 adds a program by hand, 124 opens the game library.
    std::function<void()> addGameByHand;
    std::function<void()> showGameLibrary;
};

class VQScanWnd : public VQDialogWindow {
public:
    // Mode 0 waits for the user's choice; any other mode starts at once.
    VQScanWnd(const VQScanHost& host, int initialMode);
    ~VQScanWnd() override;

    const wchar_t* GetWindowClassName() const override { return L"VQScanWnd"; }
    void Notify(VQNotifyMsg& msg) override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnTimer(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    LRESULT OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    void ShowWindow(bool show = true, bool takeFocus = true) override;

    // Starts a scan; nothing when one runs.
    bool StartScan(int mode, const std::wstring& folder);
    void Pause();
    void Resume();
    // The close button: asks while a scan runs.
    void RequestClose();
    // The owner lets go of the window: freed at once, or, while its
    // stop question is open, once the question has returned (the scan is
    // stopped and the window closes and frees itself).
    void Release();
    void OnFinalMessage(HWND hwnd) override;

    bool IsScanning() const { return m_scanning; }
    bool IsPaused() const { return m_paused; }
    size_t FoundCount() const { return m_found.size(); }
    std::wstring ElapsedText() const;
    // One tick of the clock (timer 0, every second).
    void Tick();

    static const UINT kMsgScanReport = WM_APP + 20;
    // How long a stop waits for the scan.
    static const DWORD kStopWaitMs = 5000;

private:
    struct Report {
        int kind;  // 0 count, 1 progress, 2 found, 3 folder, 4 finished
        uint32_t value = 0;
        std::wstring text;
        std::unique_ptr<IGameTile> tile;
    };
    struct ScanSink;
    // Stops the scan and waits for it at most kStopWaitMs (see above).
    void StopScanner();
    void ApplyReports();
    void AddFound(std::unique_ptr<IGameTile> tile, bool iconMissing);
    void Finish();
    void ImportFound(bool show);
    void SetLabel(int id, const std::wstring& text);

    class VQMessageDlg* m_question = nullptr;  // the open stop question
    bool m_released = false;  // the owner let go while the question was open
    VQScanHost m_host;
    int m_initialMode;
    std::shared_ptr<ScanSink> m_sink;  // shared with the scanner's thread
    std::unique_ptr<VQScanGame> m_scanner;
    bool m_scanning = false;
    bool m_paused = false;
    bool m_shown = false;
    int m_hours = 0, m_minutes = 0, m_seconds = 0;
    std::vector<std::unique_ptr<IGameTile>> m_found;
    std::vector<uint32_t> m_iconIds;
};

}  // namespace Tessar
