#pragma once
// Folder start/: the program's start (Main, the command line, the
// start-up checks and the filling of the first pages, the control factory)
// and the texts and numbers the whole program shares.
//
// The application object of the manager: the command line, the
// single-instance rule with the hand-over of a start request to the
// running instance, the start-up sequence that builds and fills the main
// window, and the hidden data-update mode.

#include <windows.h>

#include <cstdint>
#include <future>
#include <memory>
#include <string>
#include <vector>

#include "VQCore/app/start/CommandLine.h"

namespace Tessar {

class VQBackgroundJobs;
class VQDatabaseXmlFile;

// The catalogue as the start-up's reader left it.
struct VQLoadedCatalogue {
    std::unique_ptr<VQDatabaseXmlFile> file;
    bool loaded = false;
};
class VQMarloxWnd;

// The name of the event that marks a running manager.
extern const wchar_t kInstanceEventName[];  // L"ZelmorTessarine"

class VQApp {
public:
    VQApp();
    ~VQApp();
    VQApp(const VQApp&) = delete;
    VQApp& operator=(const VQApp&) = delete;

    // The start-up sequence; false ends the program (also after a hand-over
    // to the running instance and after the data-update mode).
    bool Init(HINSTANCE instance);
    // After a failed Init: tray icon off, background jobs stopped, OLE off.
    void Shutdown();

    uint32_t GetFlags() const { return m_commandLine.flags; }
    const VQCommandLine& GetCommandLine() const { return m_commandLine; }
    // Instead of the process's own command line (tests).
    void SetCommandLine(const VQCommandLine& commandLine) {
        m_commandLine = commandLine;
        m_commandLineSet = true;
    }
    VQBackgroundJobs* GetBackgroundJobs() const { return m_jobs.get(); }
    // Stops and frees the background jobs (the main window's destructor).
    void StopBackgroundJobs();
    VQMarloxWnd* GetMainWindow() const { return m_window; }
    // The picture fetch for the games the start-up found without one
    // (called once the pages are filled).
    void StartIconFetch(const std::vector<uint32_t>& missingIds);
    // OleUninitialize once for the OleInitialize of the start-up (the main
    // window's destructor and Shutdown may both get here).
    void EndOle();

private:
    bool RunDataUpdateMode();
    // True when another instance runs; the request was handed to it.
    bool HandOverToRunningInstance();
    bool CreateMainWindow();
    bool OpenDatabaseAndFillPages();
    // The notification-area icon of the main window, once.
    void AddAppTrayIcon();
    // The program's update check when its day has come (UpdateRegular),
    // said in a balloon; after the first paint.
    void StartScheduledUpdate();

    void CheckDownloadCache();
    void ScheduleJobTimers();
    // The catalogue is read on a worker while the window is made; the
    // start-up waits for it when it needs it (and reads it itself when no
    // worker could be started).
    void StartCatalogueLoad();
    VQLoadedCatalogue TakeCatalogue();

    VQCommandLine m_commandLine;
    HANDLE m_instanceEvent = nullptr;
    std::unique_ptr<VQBackgroundJobs> m_jobs;
    VQMarloxWnd* m_window = nullptr;
    bool m_firstRun = false;
    bool m_upgradePending = false;
    bool m_commandLineSet = false;
    bool m_oleActive = false;
    std::future<VQLoadedCatalogue> m_catalogueLoad;
};

// The one application object while the entry runs, else null.
VQApp* GetApp();

}  // namespace Tessar
