// Disk scan for installed games on a synthetic tree of 100,000 files in
// 1,000 game-like folders (2% programs, the rest libraries, settings and
// data), against the shared synthetic 10,000-game catalogue in which 50
// games are made to be on the disk: 25 single-player games found by MD5
// and 25 online games by name and version resource (copies of the scan
// tests' versioned program). The scan's files per second beside a bare
// FindFirstFile walk of the same tree, each the median of five runs taken
// in turn after one warm-up walk.

#include "bench/BenchClock.h"
#include "bench/CatalogueGenerator.h"
#include "VQCore/gamelib/DatabaseXmlFile.h"
#include "VQCore/gamelib/GameId.h"
#include "VQCore/gamelib/GameTile.h"
#include "VQCore/gamelib/ScanGame.h"
#include "common/Md5.h"
#include "common/PathText.h"
#include "common/SystemUtil.h"
#include "tests/programs/scangame/ScanGameValues.h"
#include "tests/support/TempFolder.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

using namespace Tessar;
using namespace Tessar::Bench;

namespace {

const int kFolders = 1000;
const int kGameEvery = 20;  // folders 0, 20, 40, ... hold catalogue games
const int kRuns = 5;

std::wstring Number(int value, int digits) {
    wchar_t buffer[16];
    _snwprintf(buffer, 16, L"%0*d", digits, value);
    return buffer;
}

// A small program-like file whose bytes differ by seed.
std::string ProgramBytes(int seed) {
    std::string bytes = "MZ";
    bytes.resize(4096, '\0');
    for (size_t i = 2; i < 64; ++i)
        bytes[i] = static_cast<char>((seed >> ((i % 4) * 8)) + static_cast<int>(i));
    return bytes;
}

// The catalogue games the tree holds, taken from the synthetic catalogue in
// id order: single-player ones get the MD5 of their program, online ones
// the name and version texts of the versioned program.
class GamePicker {
public:
    explicit GamePicker(std::vector<VQGameRecord>& games) {
        for (VQGameRecord& game : games) {
            if (IsSingleGameId(game.ID))
                m_single.push_back(&game);
            else if (IsOnlineGameId(game.ID))
                m_online.push_back(&game);
        }
    }
    bool PickByMd5(const std::string& bytes) {
        if (m_nextSingle >= m_single.size())
            return false;
        m_single[m_nextSingle++]->Md5 = Md5OfBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
        return true;
    }
    bool PickByName(const std::wstring& exeName) {
        if (m_nextOnline >= m_online.size())
            return false;
        VQGameRecord& game = *m_online[m_nextOnline++];
        game.ExeName = exeName;
        game.Description = VQ_SCAN_GAME_DESCRIPTION;
        game.Company = VQ_SCAN_GAME_COMPANY;
        game.InternalName = VQ_SCAN_GAME_INTERNAL_NAME;
        game.OriginalName = VQ_SCAN_GAME_ORIGINAL_NAME;
        return true;
    }

private:
    std::vector<VQGameRecord*> m_single;
    std::vector<VQGameRecord*> m_online;
    size_t m_nextSingle = 0;
    size_t m_nextOnline = 0;
};

// GameNNNN\: the main program, an uninstaller, 6 libraries, a settings
// file, a readme; data\ 60 packs; data\maps\ 30 maps. Returns the number
// of files, 0 on failure.
int MakeTree(const VQTempFolder& root, const std::wstring& versionedProgram, GamePicker& picker) {
    int files = 0;
    for (int folder = 0; folder < kFolders; ++folder) {
        std::wstring base = L"Game" + Number(folder, 4);
        std::wstring exeName = L"game" + Number(folder, 4) + L".exe";
        std::wstring program = base + L"\\" + exeName;
        bool isGame = folder % kGameEvery == 0;
        if (isGame && (folder / kGameEvery) % 2 == 1) {
            if (!root.MakeFolder(base) || !::CopyFileW(versionedProgram.c_str(), root.PathOf(program).c_str(), FALSE) ||
                !picker.PickByName(exeName))
                return 0;
        } else {
            std::string bytes = ProgramBytes(folder);
            if (!root.WriteFile(program, bytes) || (isGame && !picker.PickByMd5(bytes)))
                return 0;
        }
        std::vector<std::wstring> names = {L"uninst.exe", L"settings.ini", L"readme.txt"};
        for (int i = 0; i < 6; ++i)
            names.push_back(L"lib" + Number(i, 2) + L".dll");
        for (int i = 0; i < 60; ++i)
            names.push_back(L"data\\pack" + Number(i, 3) + L".pak");
        for (int i = 0; i < 30; ++i)
            names.push_back(L"data\\maps\\map" + Number(i, 3) + L".dat");
        for (const std::wstring& name : names) {
            std::string bytes = name == L"uninst.exe" ? ProgramBytes(100000 + folder) : std::string();
            if (name == L"settings.ini")
                bytes = "[video]\r\nwidth=1024\r\n";
            if (!root.WriteFile(base + L"\\" + name, bytes))
                return 0;
        }
        files += 1 + static_cast<int>(names.size());
    }
    return files;
}

// The reference: every file of the tree through FindFirstFileW and
// FindNextFileW, depth first, nothing else.
int BareWalk(const std::wstring& folder) {
    int files = 0;
    std::vector<std::wstring> subfolders;
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (wcscmp(data.cFileName, L".") != 0 && wcscmp(data.cFileName, L"..") != 0)
                subfolders.push_back(folder + L"\\" + data.cFileName);
        } else {
            ++files;
        }
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
    for (const std::wstring& subfolder : subfolders)
        files += BareWalk(subfolder);
    return files;
}

class DroppedTile : public IGameTile {
public:
    void SetGameId(uint32_t) override {}
    void SetState(uint32_t) override {}
    void SetFromRecord(const VQGameRecord&) override {}
    void SetUninstallKey(const std::wstring&) override {}
    void SetStatus(const char*) override {}
    void SetFullPath(const std::wstring&) override {}
    void SetRunArg(const std::wstring&) override {}
    void SetWorkingDir(const std::wstring&) override {}
    void SetImage(const std::wstring&) override {}
};

class Counter : public VQScanGameCallback {
public:
    Counter() : finished(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~Counter() { ::CloseHandle(finished); }
    void OnFileCount(uint32_t seen) override { files = seen; }
    void OnProgress(uint32_t) override {}
    void OnGameFound(std::unique_ptr<IGameTile>, bool) override { ++games; }
    void OnDirectory(const std::wstring&) override {}
    void OnFinished() override { ::SetEvent(finished); }

    std::atomic<uint32_t> files{0};
    std::atomic<uint32_t> games{0};
    HANDLE finished;
};

bool TimedScan(VQDatabaseXmlFile* catalogue, const std::wstring& root, double& ms, uint32_t& files,
               uint32_t& games) {
    VQDatabaseXmlFile* slot = catalogue;
    VQScanGame scan(&slot, [] { return std::unique_ptr<IGameTile>(new DroppedTile); });
    Counter counter;
    double start = NowMs();
    if (!scan.Start(kScanStartPath, &counter, root))
        return false;
    ::WaitForSingleObject(counter.finished, INFINITE);
    ms = NowMs() - start;
    scan.Wait();
    files = counter.files;
    games = counter.games;
    return true;
}

}  // namespace

int main() {
    std::wstring own = GetOwnModulePath();
    std::wstring versionedProgram = own.substr(0, own.find_last_of(L'\\')) + L"\\..\\fixtures\\scan\\ScanGameVersioned.exe";
    if (!FileExists(versionedProgram)) {
        printf("scan benchmark: %ls is missing (built with the tests)\n", versionedProgram.c_str());
        return 1;
    }
    VQTempFolder temp;
    if (temp.Path().empty()) {
        printf("scan benchmark: no scratch folder\n");
        return 1;
    }
    std::vector<VQGameRecord> games = MakeSyntheticGames();
    GamePicker picker(games);
    VQTempFolder disk;
    double madeStart = NowMs();
    int files = MakeTree(disk, versionedProgram, picker);
    double madeMs = NowMs() - madeStart;
    std::wstring cataloguePath = temp.PathOf(L"database.vqx");
    VQDatabaseXmlFile catalogue(cataloguePath);
    if (files == 0 || !WriteSyntheticCatalogue(games, L"1", cataloguePath, nullptr) || !catalogue.Load()) {
        printf("scan benchmark: could not make the tree or the catalogue\n");
        return 1;
    }
    printf("tree of %d files in %d folders made in %.0f ms; catalogue of %u games\n", files, kFolders * 3, madeMs,
           static_cast<unsigned>(catalogue.GetGames().size()));

    BareWalk(disk.Path());  // warm-up
    std::vector<double> bareMs, scanMs;
    int bareFiles = 0;
    uint32_t scanFiles = 0, found = 0;
    bool ok = true;
    for (int run = 0; run < kRuns && ok; ++run) {
        double start = NowMs();
        bareFiles = BareWalk(disk.Path());
        bareMs.push_back(NowMs() - start);
        double ms = 0;
        ok = TimedScan(&catalogue, disk.Path(), ms, scanFiles, found);
        scanMs.push_back(ms);
    }
    if (!ok) {
        printf("scan benchmark: the scan did not start\n");
        return 1;
    }
    if (bareFiles != files || static_cast<int>(scanFiles) != files || found != 50) {
        printf("scan benchmark: walked %d and scanned %u of %d files, %u games found of 50\n", bareFiles, scanFiles,
               files, found);
        return 1;
    }
    double ours = Percentile(scanMs, 0.5), bare = Percentile(bareMs, 0.5);
    char what[96];
    snprintf(what, sizeof what, "disk scan of %d files, %u games found", files, found);
    // Kept within 1.5 times the bare walk (1.38 on an idle machine).
    PrintGoalLine(what, ours, "bare FindFirstFile walk", bare, "ms", RatioAtMost(1.5));
    printf("files per second: ours %.0f, bare FindFirstFile walk %.0f\n", files * 1000.0 / ours,
           files * 1000.0 / bare);
    return 0;
}
