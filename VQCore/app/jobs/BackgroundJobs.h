#pragma once
// Folder jobs/: the work the manager schedules in the background:
// fetches of lists and pictures, the catalogue updates, the update
// schedule, the online report and the program update check.
//
// The background fetches the start-up asks for (advert or hot list, game
// pictures): at most three threads that report to the main window by
// posted messages only, so a window waiting in Stop can never hold them
// up. Stop sets the stop event and waits for them, a bounded time; the
// icon job checks the event between two pictures, a list job between two
// tries. Each job holds its record and the stop event itself, so a job
// left running after Stop (a server that does not answer) still works on
// valid state and ends at its next look at the event.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/KernelHandle.h"

namespace Tessar {

class VQThread;

enum VQIconFetchMask : uint32_t {
    kFetchSingleIcons = 1,
    kFetchFlashPackage = 2,
    kFetchClientPackage = 4,
};

// The icon-fetch mask of the start-up for these ids whose picture is missing.
uint32_t ComputeIconFetchMask(const std::vector<uint32_t>& missingIds, bool firstRun);

class VQBackgroundJobs {
public:
    VQBackgroundJobs();
    ~VQBackgroundJobs();
    VQBackgroundJobs(const VQBackgroundJobs&) = delete;
    VQBackgroundJobs& operator=(const VQBackgroundJobs&) = delete;

    // kind 0 advert list, 1 hot list. False when no fetch was started, also
    // while the last fetch of that kind still runs (it keeps its place; the
    // window never waits for it).
    bool StartListDownload(int kind, HWND window);
    bool StartIconDownload(uint32_t mask, const std::vector<uint32_t>& ids, HWND window);
    // Sets the stop event and waits for the threads, at most kStopWaitMs
    // together (a job still running then is left to end on its own).
    void Stop();
    HANDLE GetStopEvent() const { return m_stopEvent ? m_stopEvent->Get() : nullptr; }

    static const DWORD kStopWaitMs = 10000;
    // Tests only: where icon packages are unpacked (default: the temporary folder's).
    void SetIconWorkFolder(const std::wstring& folder) { m_iconWorkFolder = folder; }

private:
    bool StartThread(size_t slot, void (*function)(void*), void* argument);

    VQSharedEvent m_stopEvent;  // manual reset; each job holds it too
    std::unique_ptr<VQThread> m_threads[3];  // advert list, hot list, icons; UI thread only
    std::wstring m_iconWorkFolder;
};

}  // namespace Tessar
