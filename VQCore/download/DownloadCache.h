#pragma once
// The download cache: downloaded game files stay in the download folder
// (setting CacheDir) after installation. "cache.ini" in the shared folder
// records, per game (section "%05d"), which file a download left there
// (Path: the resume record "<target>.vql" of a download, or a finished
// file) and when (Time, decimal _time64), and [CHECK] Time the last
// start-up check. Cached files go when the disk runs short, or once they
// are three days old, or when they lie on another drive than CacheDir -
// but only files the record names, and only of games that are installed,
// not installed or no longer known; a game with a tile on the download page
// keeps its files whatever that tile's state (waiting, running, paused,
// finished and waiting for its install, or failed and to be resumed).
// Nothing outside CacheDir is ever deleted: a record pointing elsewhere is
// only dropped.
//
// Threads: the status list is filled before the worker starts and only
// read by it; cache.ini is written through the profile functions, which
// serialise file access. StampEntry and CleanupEntry run on the main
// window's list saver and the install threads.

#include "common/Thread.h"

#include <boost/shared_ptr.hpp>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace Tessar {

extern const wchar_t kCacheCheckSection[];  // "CHECK"
extern const wchar_t kCachePathKey[];       // "Path"
extern const wchar_t kCacheTimeKey[];       // "Time"

class VQCleanupDiskSpace {
public:
    struct VQGameStatusInfo {
        uint32_t gameId;
        uint32_t state;  // tile state: 1 installed, 2 not installed, 3-6 queued or downloading
        bool download = false;  // a tile of the download page (CollectGameStatus sets it)
    };

    // What the cache reads of the system; tests give their own.
    struct VQCacheSource {
        std::function<std::wstring()> iniPath;   // cache.ini; empty: no record kept
        std::function<std::wstring()> cacheDir;  // the CacheDir setting
        std::function<int64_t()> now;            // _time64
        // Free bytes of a drive root ("C:\"); false when it cannot be asked.
        std::function<bool(const std::wstring& root, uint64_t& freeBytes)> freeSpace;
    };
    // The system's: GetCacheIniPath, the settings, the clock, the drive.
    static VQCacheSource SystemSource();

    VQCleanupDiskSpace();
    explicit VQCleanupDiskSpace(const VQCacheSource& source);
    // Waits for a running worker.
    ~VQCleanupDiskSpace();
    VQCleanupDiskSpace(const VQCleanupDiskSpace&) = delete;
    VQCleanupDiskSpace& operator=(const VQCleanupDiskSpace&) = delete;

    // The game's section: Path and the current time. True.
    bool StampEntry(uint32_t gameId, const std::wstring& path);
    // Both empty deletes the section; makes the folder of cache.ini.
    bool WriteEntry(const std::wstring& path, const std::wstring& section, const std::wstring& time);
    // True when [CHECK] Time lies less than a day back; otherwise stamps it
    // with now and returns false.
    bool CacheCheckedRecently();
    // True when the CacheDir drive has more than bytes free, or cannot be
    // asked.
    bool CacheDriveHasSpace(uint64_t bytes);
    // The installed tiles' and the download tiles' states, for the worker.
    void CollectGameStatus(const std::vector<VQGameStatusInfo>& installed,
                           const std::vector<VQGameStatusInfo>& downloads);
    // The start-up step: when the last check is a day old and the cache
    // drive has at most 20 GiB free, takes the games' states and starts
    // the worker. True when it started.
    bool StartupCheck(const std::vector<VQGameStatusInfo>& installed, const std::vector<VQGameStatusInfo>& downloads);
    bool Start();
    // Waits for the worker to end.
    void Wait();
    // After a game was installed from path: when the game's record names
    // that file (or its download's resume record) and the file lies on
    // another drive than CacheDir or that drive is short of 5 GiB, the
    // files go and the section with them.
    void CleanupEntry(const std::wstring& path, uint32_t gameId);
    // After a game was installed from path (the install queue): CleanupEntry
    // first, against what the download recorded; a file that stays is then
    // recorded with the current time, so the start-up check finds it.
    void RecordInstalledFile(uint32_t gameId, const std::wstring& path);
    // Deletes the files a recorded path stands for: a path ending in ".exe"
    // or ".vqz" is that file; any other is taken as a resume record and
    // "<path without extension>.vqt" and ".vql" go, and for "<target>.vql"
    // also a target ending in ".exe" or ".vqz". Only files below CacheDir
    // (no link on the way), whatever the record says.
    void DeleteCachedFiles(const std::wstring& path);
    // The worker's pass, on the calling thread.
    void CleanupOldFiles();

private:
    static void WorkerMain(void* cache);
    bool LiesOnCacheDrive(const std::wstring& path);

    VQCacheSource m_source;
    VQThread* m_worker;
    std::vector<boost::shared_ptr<VQGameStatusInfo>> m_status;  // filled before the worker starts
};

// The one cache object of the process.
VQCleanupDiskSpace& GetDownloadCache();

}  // namespace Tessar
