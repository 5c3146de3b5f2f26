#pragma once
// The disk scan for installed games: walks chosen folders or whole drives
// on its own thread and matches programs, shortcuts to programs and Flash
// games' config.ini files against the catalogue, by MD5, by executable name
// and version resource, or by the Flash-game folder layout. Each found game
// is reported as a filled game tile.
//
// Threads: Start, Pause, Resume, Stop, Wait and deletion belong to the
// owner's thread; everything else, the callbacks included, runs on the scan
// thread. The stop and pause requests are atomic flags beside the two
// events, so that the walk tests them per file without a system call; the
// run event is what a paused walk waits on. The files-seen counter and the
// thread block are written by Start before the thread starts and then only
// by the scan thread. The catalogue in the owner's slot is used only by the
// scan thread while a scan runs.

#include "VQCore/gamelib/GameTile.h"
#include "common/FileFinder.h"
#include "common/KernelHandle.h"
#include "common/Thread.h"

#include <boost/shared_ptr.hpp>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace Tessar {

class VQDatabaseXmlFile;
struct VQGameRecord;

// Implemented by the scan window; every call comes on the scan thread.
class VQScanGameCallback {
public:
    // After each file.
    virtual void OnFileCount(uint32_t filesSeen) = 0;
    // After each root folder.
    virtual void OnProgress(uint32_t percent) = 0;
    // The receiver owns the tile. iconMissing: the game has no icon file
    // and the tile shows the default picture.
    virtual void OnGameFound(std::unique_ptr<IGameTile> tile, bool iconMissing) = 0;
    // For each folder entered.
    virtual void OnDirectory(const std::wstring& folder) = 0;
    // Once, at the end of every scan.
    virtual void OnFinished() = 0;

protected:
    ~VQScanGameCallback() = default;
};

enum VQScanMode : uint32_t {
    // Desktop, Quick Launch and Programs menu folders, the user's and all users'.
    kScanShortcutFolders = 1,
    // Those, and each drive's "ZelmorGames\Games" and "Games" folders.
    kScanGameFolders = 2,
    kScanAllDrives = 3,
    kScanStartPath = 4,
};

// Programs above this size are never hashed.
const uint64_t kMaxHashedFileSize = 67108864;

// The files the scan looks at.
extern const wchar_t kProgramExtension[];   // ".exe"
extern const wchar_t kShortcutExtension[];  // ".lnk"
extern const wchar_t kIniExtension[];       // ".ini"

class VQScanGame : public VQFileFinderEnumCallback {
public:
    // databaseSlot: the owner's catalogue pointer; when it holds null, each
    // scan loads the catalogue itself and drops it at the end. The factory
    // makes the tiles of found games.
    VQScanGame(VQDatabaseXmlFile** databaseSlot, const VQGameTileFactory& tileFactory);
    // Stops a scan still running and waits for its thread.
    ~VQScanGame();
    VQScanGame(const VQScanGame&) = delete;
    VQScanGame& operator=(const VQScanGame&) = delete;

    // Starts a scan; startPath is used by kScanStartPath. False when a scan
    // still runs or an event or the thread cannot be made.
    bool Start(uint32_t mode, VQScanGameCallback* callback, const std::wstring& startPath);
    // Holds the walk at the next file or folder.
    void Pause();
    void Resume();
    // Ends the walk at the next file or folder, also when it is paused.
    void Stop();
    // Waits for the scan thread to end.
    void Wait();
    // At most that long; true when the scan thread has ended (or none runs).
    bool WaitUpTo(DWORD milliseconds);

    // Finder callbacks.
    int32_t ShouldStop() override;
    int32_t OnDirectory(const std::wstring& folder) override;
    int32_t OnFile(const std::wstring& name, const std::wstring& folder) override;

    // The folders a scan of that mode walks; false for a mode outside 1-4.
    bool BuildScanRoots(const std::wstring& startPath, std::vector<std::wstring>& roots, uint32_t mode) const;
    // Folders the walk never enters, each followed by ";".
    std::wstring BuildExclusionList(uint32_t mode, const std::wstring& startPath) const;

    // What a found file means: a program, a shortcut to a program (its
    // target, arguments and working folder) or an .ini file; false for
    // anything else.
    static bool ClassifyFile(const std::wstring& path, std::wstring& target, std::wstring& arguments,
                             std::wstring& workingFolder);
    // The catalogue record of a program; null when none matches.
    const VQGameRecord* MatchKnownGame(const std::wstring& path) const;
    // The record of a Flash game whose config.ini this is; null otherwise.
    const VQGameRecord* MatchFlashGameFolder(const std::wstring& fileName, const std::wstring& folder) const;
    // The companion files of a launcher-shared game: base 0 the file's
    // folder, 1 its parent.
    static bool CheckCompanionFiles(uint32_t base, const std::wstring& path, const std::wstring& companion1,
                                    const std::wstring& companion2);
    // A Flash game's config.ini: [main] name, swf and help all given, the
    // swf and help files present beside it.
    static bool ReadFlashGameIni(std::wstring& swfPath, const std::wstring& fileName, const std::wstring& folder,
                                 std::wstring& name);
    // A file of at most kMaxHashedFileSize bytes.
    static bool IsHashableFile(const std::wstring& path);

    // Tests only: the drive roots a scan sees, instead of the logical drives.
    void SetDriveLister(const std::function<bool(std::vector<std::wstring>&)>& lister) { m_listDrives = lister; }

private:
    struct ThreadBlock {
        uint32_t mode = 0;
        std::wstring startPath;
        VQDatabaseXmlFile** databaseSlot = nullptr;
        VQScanGame* scan = nullptr;
        VQScanGameCallback* callback = nullptr;
    };
    struct FileFacts;

    // The path ends in the extension (".exe"), letter case aside; the same
    // as comparing GetFileExtension, without making texts.
    static bool HasExtension(const std::wstring& path, const wchar_t* extension);
    static void ScanDrives(void* block);
    void RunScan();
    const VQDatabaseXmlFile* Database() const;
    const VQGameRecord* FindRecordById(uint32_t id) const;
    bool ScoreRecordMatch(int32_t& score, const VQGameRecord& record, FileFacts& facts) const;
    bool ReportGame(const VQGameRecord& record, const std::wstring& fileName, const std::wstring& folder,
                    const std::wstring& target, const std::wstring& arguments, const std::wstring& workingFolder);

    VQKernelHandle m_stopEvent;
    VQKernelHandle m_runEvent;
    std::atomic<bool> m_stopRequested{false};
    std::atomic<bool> m_pauseRequested{false};
    boost::shared_ptr<VQThread> m_thread;
    ThreadBlock m_block;
    uint32_t m_filesSeen = 0;
    VQDatabaseXmlFile** m_databaseSlot;
    VQGameTileFactory m_tileFactory;
    std::function<bool(std::vector<std::wstring>&)> m_listDrives;
};

}  // namespace Tessar
