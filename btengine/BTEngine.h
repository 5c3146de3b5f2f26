#pragma once
// The peer-to-peer engine's interface: the one header shared by the manager
// (which loads Tarnwick_LOG.dll or Tarnwick.dll at run time) and the engine
// library built from btengine/. The slot order of every interface below is
// fixed: the program calls through these tables, so never reorder, insert
// or add virtual destructors (a destructor would take slots). Objects live
// until the matching release call: a task until ReleaseTask, the session
// until DeleteBTSession; the torrent information of a task as long as the
// task.
//
// Decisions the two sides share:
// - Texts: narrow texts cross as std::string in the system ANSI code page,
//   both sides built with the same compiler and C++ library (mingw-w64 GCC,
//   libstdc++ new ABI) and both allocating through msvcrt's heap, so a
//   string the engine assigns is freed by the program. CreateBTSession takes
//   plain char pointers. Inside, the engine converts to UTF-8 for its
//   library; names it hands back are converted to ANSI ("?" for what the
//   code page cannot show).
// - Rates: the first of a pair is the download rate, the second the upload
//   rate, always in bytes per second, 0 meaning no limit: SetRateLimits,
//   GetRateLimits and the settings words 2 (download) and 3 (upload).
//   The limits apply to every peer, those on the local network included.
// - Places: AddTask writes the torrent bytes unchanged to the record path
//   and saves the data below the save folder. A task opened from a torrent
//   file (OpenTaskFromTorrent) keeps its data in the folder that holds the
//   torrent file. Beside the record path the engine keeps its own resume
//   file (record path + ".resume"): pieces done, web seeds, completion time.
// - Callbacks run on the engine's one callback thread, never two at a time
//   for one task. Once SetCallback(null) or ReleaseTask has returned, no
//   callback of that task runs (both wait for one in progress, unless they
//   are called from inside it). A callback may call back into the engine,
//   including SetCallback and ReleaseTask of its own task.
// - No C++ exception leaves the engine; failures are null results, false
//   or the error text.

#include <cstdint>
#include <string>

namespace Tessar {

// Periodic and state reports of one engine task, implemented by the program.
class ITaskCallback {
public:
    // The Stop the program asked for is done (the task is paused and its
    // resume file written).
    virtual void OnStopped() = 0;
    // kBTEventStopped: the task stopped without a Stop request;
    // kBTEventFailed: the task met an error (the status flag is set);
    // kBTEventFinished: every wanted byte is on disk and checked.
    virtual void OnEvent(int32_t code) = 0;
    // a = kBTValueState, b = the new task state (kBTState...).
    virtual void OnValue(uint32_t a, uint32_t b) = 0;
    // Once per settings word kBTSetTimerMs (1,000 ms by default).
    virtual void OnTimer() = 0;
};

const int32_t kBTEventStopped = 0;
const int32_t kBTEventFailed = 1;
const int32_t kBTEventFinished = 2;

const uint32_t kBTValueState = 1;

// Task states (status offset 0).
const uint32_t kBTStateStopped = 0;
const uint32_t kBTStateChecking = 1;
const uint32_t kBTStateMetadata = 2;
const uint32_t kBTStateDownloading = 3;
const uint32_t kBTStateFinished = 4;
const uint32_t kBTStateSeeding = 5;

// Eleven 32-bit words, passed by value to SetSettings.
struct BTSessionSettings {
    uint32_t words[11];
};
const int kBTSetListenPort = 0;   // read only: the port the session listens on
const int kBTSetConnections = 1;  // connection limit of the session
const int kBTSetDownloadRate = 2; // bytes per second, 0 = no limit
const int kBTSetUploadRate = 3;   // bytes per second, 0 = no limit
const int kBTSetFeatures = 4;     // kBTFeature... bits; all off by default
const int kBTSetTimerMs = 5;      // OnTimer period, 100 to 60,000 ms
const int kBTSetUploadSlots = 6;  // unchoked peers per task, 0 = automatic
// Words 7 to 10 are reserved and kept at 0.

const uint32_t kBTFeatureDht = 1;
const uint32_t kBTFeatureLocalDiscovery = 2;
const uint32_t kBTFeatureUpnp = 4;
const uint32_t kBTFeatureNatPmp = 8;

// Filled by IBTTask::GetStatus; the layout is part of the interface.
struct BTTaskStatus {
    uint32_t state;                // 0: kBTState...
    uint8_t error;                 // 4: the task met an error
    uint8_t pad0[3];
    char errorText[256];           // 8: ANSI, empty without error
    uint8_t pad1[1624 - 264];
    float downloadRate;            // 1,624: payload bytes per second now
    float uploadRate;              // 1,628
    uint32_t peers;                // 1,632: connected peers
    uint32_t seeds;                // 1,636: of them, those that have everything
    uint8_t pad2[1680 - 1640];
    uint64_t bytesDone;            // 1,680: wanted bytes on disk and checked
    uint64_t bytesTotal;           // 1,688: wanted bytes
    uint64_t downloadedTotal;      // 1,696: payload received this session
    uint64_t uploadedTotal;        // 1,704: payload sent this session
    uint8_t pad3[1736 - 1712];
    uint64_t bytesWanted;          // 1,736: same as bytesTotal
    uint64_t bytesLeft;            // 1,744: bytesWanted - bytesDone
    uint32_t activeSeconds;        // 1,752: seconds the task has been started
    uint32_t seedingSeconds;       // 1,756: of them, seconds with every piece
    uint32_t seedingSecondsRule;   // 1,760: the same count, for the seed rules
    uint8_t pad4[1776 - 1764];
    int64_t completedTime;         // 1,776: _time64 when the data was completed, 0 = not yet
    uint8_t pad5[1808 - 1784];
};
static_assert(sizeof(BTTaskStatus) == 1808, "status record size is part of the interface");

// What ParseTorrentFile tells of a torrent file.
struct BTTorrentSummary {
    uint64_t totalBytes;
    uint32_t fileCount;
    uint32_t pieceBytes;
    uint8_t infoHash[20];  // SHA-1 of the info dictionary
    uint8_t pad[4];
};

// The open parameters of AddTask.
struct BTOpenParams {
    const char* saveFolder;       // ANSI: the data goes below it
    const char* recordPath;       // ANSI: where the torrent bytes are written
    uint32_t mode;                // 1 = start a download
    const uint8_t* torrentBytes;  // the .torrent file
    uint32_t torrentLength;
    uint8_t seedOnly;             // 0; 1 = the data is complete, only seed
    const char* const* webSeeds;  // ANSI URLs of plain HTTP web seeds
    uint32_t webSeedCount;
};

// The content of one torrent.
class IBTTorrentInfo {
public:
    virtual uint32_t GetFileCount() = 0;
    virtual uint64_t GetFileSize(uint32_t index) = 0;
    // Path inside the content, ANSI, backslashes.
    virtual bool GetFilePath(uint32_t index, std::string* out) = 0;
    virtual uint64_t GetTotalSize() = 0;
    virtual uint32_t GetPieceSize() = 0;
    // Forty lower-case hex digits.
    virtual bool GetInfoHash(std::string* out) = 0;
    // The content's name: the file of a single-file torrent, else its folder.
    virtual bool GetName(std::string* out) = 0;
};

class IBTTask {
public:
    virtual bool Start() = 0;
    // Pauses the task; OnStopped follows once it is paused.
    virtual bool Stop() = 0;
    virtual bool IsRunning() = 0;
    virtual void SetCallback(ITaskCallback* callback) = 0;
    virtual ITaskCallback* GetCallback() = 0;
    virtual bool GetStatus(BTTaskStatus* out) = 0;
    // Checks every piece on disk again.
    virtual bool Recheck() = 0;
    // The folder below which the content lies (ANSI, no trailing separator).
    virtual bool GetSavePath(std::string* out) = 0;
    virtual IBTTorrentInfo* GetTorrentInfo() = 0;
    virtual bool GetRecordPath(std::string* out) = 0;
    // First: download, second: upload; bytes per second, 0 = no limit.
    virtual void SetRateLimits(uint32_t download, uint32_t upload) = 0;
    virtual void GetRateLimits(uint32_t* download, uint32_t* upload) = 0;
};

// ReleaseTask flags.
const uint32_t kBTReleaseKeepFiles = 0;
const uint32_t kBTReleaseSeed = 1;        // a seed ends; its files stay
const uint32_t kBTReleaseDeleteFiles = 3; // the data, record and resume file go too

// OpenTaskFromTorrent modes.
const uint32_t kBTOpenDownload = 0;
const uint32_t kBTOpenSeed = 1;

class IBTSession {
public:
    virtual void SetSettings(BTSessionSettings settings) = 0;
    virtual void GetSettings(BTSessionSettings* out) = 0;
    virtual uint16_t GetListenPort() = 0;
    virtual void PauseAll() = 0;
    virtual void ResumeAll() = 0;
    virtual IBTTask* AddTask(const BTOpenParams* params, ITaskCallback* callback, std::string* error) = 0;
    // info may be null; false when the file is not a torrent this engine reads.
    virtual bool ParseTorrentFile(const std::string& path, BTTorrentSummary* info) = 0;
    // Opens the torrent file at path; the data lies in the folder holding it.
    virtual IBTTask* OpenTaskFromTorrent(const std::string& path, uint32_t mode, ITaskCallback* callback,
                                         std::string* error) = 0;
    virtual void ReleaseTask(IBTTask* task, uint32_t flags) = 0;
    // Ends the task whose record path this is, or, without one, deletes its
    // files when flags is kBTReleaseDeleteFiles.
    virtual void RemoveTaskByPath(const std::string& path, uint32_t flags) = 0;
};

// Exports of the engine library (C linkage, names undecorated on x64).
// The session listens on bindAddress at the first free port from firstPort
// to lastPort; folder holds the engine's own files. Null on failure.
typedef IBTSession* (*CreateBTSessionFn)(uint16_t firstPort, uint16_t lastPort, const char* bindAddress,
                                         const char* folder);
typedef void (*DeleteBTSessionFn)(IBTSession* session);

}  // namespace Tessar
