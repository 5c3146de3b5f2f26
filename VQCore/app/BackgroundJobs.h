#pragma once
// The background fetches the start-up asks for (advert or hot list, game
// pictures): at most three threads that report to the main window by
// posted messages. Stop sets the stop event and waits for them; each
// thread checks the event between its downloads.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

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

    // kind 0 advert list, 1 hot list. False when no fetch was started.
    bool StartListDownload(int kind, HWND window);
    bool StartIconDownload(uint32_t mask, const std::vector<uint32_t>& ids, HWND window);
    // Sets the stop event, waits for the threads, closes the event.
    void Stop();
    HANDLE GetStopEvent() const { return m_stopEvent; }

private:
    HANDLE m_stopEvent;
    std::unique_ptr<VQThread> m_threads[3];
};

}  // namespace Tessar
