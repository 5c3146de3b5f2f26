#pragma once
// Helpers of the disk-scan tests: a tile that records what the scan filled
// in, a callback that collects the reports, catalogues made from field
// lists, and the stand-in game programs the build makes.

#include "VQCore/gamelib/DatabaseXmlFile.h"
#include "VQCore/gamelib/GameTile.h"
#include "VQCore/gamelib/ScanGame.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace Tessar {

// The fields the scan sets, as the main window's tile would keep them.
class VQRecordedTile : public IGameTile {
public:
    void SetGameId(uint32_t value) override { id = value; }
    void SetState(uint32_t value) override { state = value; }
    void SetFromRecord(const VQGameRecord& record) override { name = record.GameName; }
    void SetUninstallKey(const std::wstring& key) override { uninstallKey = key; }
    void SetStatus(const char* value) override { status.assign(value, kGameStatusLength); }
    void SetFullPath(const std::wstring& path) override { fullPath = path; }
    void SetRunArg(const std::wstring& arguments) override { runArg = arguments; }
    void SetWorkingDir(const std::wstring& folder) override { workingDir = folder; }
    void SetImage(const std::wstring& value) override { image = value; }

    uint32_t id = 0;
    uint32_t state = 0;
    std::wstring name;
    std::wstring uninstallKey;
    std::string status;
    std::wstring fullPath;
    std::wstring runArg;
    std::wstring workingDir;
    std::wstring image;
};

VQGameTileFactory RecordedTileFactory();

struct VQFoundGame {
    std::unique_ptr<VQRecordedTile> tile;
    bool iconMissing = false;
};

// Collects every report of a scan; the hooks, when set, run on the scan
// thread inside the report.
class VQScanRecorder : public VQScanGameCallback {
public:
    VQScanRecorder();
    ~VQScanRecorder();

    void OnFileCount(uint32_t filesSeen) override;
    void OnProgress(uint32_t percent) override;
    void OnGameFound(std::unique_ptr<IGameTile> tile, bool iconMissing) override;
    void OnDirectory(const std::wstring& folder) override;
    void OnFinished() override;

    // True when OnFinished came within the time.
    bool WaitFinished(DWORD milliseconds = 60000);

    // Copies taken under the lock.
    uint32_t FileCount();
    uint32_t FinishedCount();
    std::vector<uint32_t> Progress();
    std::vector<std::wstring> Folders();
    // The ids found, in report order.
    std::vector<uint32_t> FoundIds();
    // The report of a game id; null when it was not found.
    const VQFoundGame* Found(uint32_t id);

    std::function<void(const std::wstring&)> onDirectory;
    std::function<void(uint32_t)> onFileCount;

private:
    std::mutex m_lock;
    uint32_t m_fileCount = 0;
    uint32_t m_finishedCount = 0;
    std::vector<uint32_t> m_progress;
    std::vector<std::wstring> m_folders;
    std::vector<VQFoundGame> m_found;
    HANDLE m_finished;
};

// One GAME entry: element names and texts in order.
typedef std::vector<std::pair<std::wstring, std::wstring>> VQGameFields;

// A catalogue parsed from GAME entries (on the path, which is not read).
std::unique_ptr<VQDatabaseXmlFile> MakeCatalogue(const std::vector<VQGameFields>& games,
                                                 const std::wstring& path = L"unused.vqx");

// The stand-in game programs the build makes (tests/programs/scangame),
// as fixture names for CopyFixture and FixturePath.
extern const char kVersionedGame[];
extern const char kPlainGame[];

}  // namespace Tessar
