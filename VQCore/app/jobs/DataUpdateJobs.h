#pragma once
// The three data-update jobs (game catalogue, advert list, hot list): run
// by the day timers of the main window (request type 1) and, one after
// another, by the hidden "-update_data" start (no window, type 0). A job
// checks the stop event between its steps, and every file it replaces is
// written through a temporary file, so a job asked to stop ends soon and
// never leaves half a file. A job reports to the window only by posted
// messages: the window may be waiting for it.

#include <windows.h>

#include <cstdint>
#include <functional>

#include "VQCore/app/mainwindow/CatalogueNews.h"

namespace Tessar {

enum VQUpdateJobId : uint32_t {
    kJobDatabase = 1001,
    kJobAdvertList = 1002,
    kJobHotList = 1003,
};

// One job: id, the stop event (may be null), the window to inform (may be
// null). True when the job did its work.
typedef std::function<bool(uint32_t jobId, HANDLE stopEvent, HWND window)> VQUpdateJob;

// Runs the job of that id with the current job function; stamps the job's
// time key when it succeeded.
bool RunUpdateJob(uint32_t jobId, HANDLE stopEvent, HWND window);
// Tests only: replaces the job function (an empty one restores the real jobs).
void SetUpdateJobForTests(const VQUpdateJob& job);

// The data-update mode: jobs 1002, 1003 and 1001 in this order on a worker
// thread. After waitMs the stop event is set and the worker is waited for
// until it ends: a job is never cut off while it may hold a lock or write
// a file. True when every job reported success.
bool RunDataUpdateJobs(DWORD waitMs);

// The start-up's repair of a catalogue that does not load: up to four full
// downloads a second apart, then a load; balloons tell the user how it went.
class VQDatabaseXmlFile;
bool DownloadDatabaseWithRetry(VQDatabaseXmlFile& database);

}  // namespace Tessar
