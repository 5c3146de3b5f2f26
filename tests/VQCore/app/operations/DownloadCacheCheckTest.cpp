// The start-up clean-up of the download cache with the main window's
// tiles: the installed games' old downloads go, and nothing a download tile
// still needs (a paused download's .vqt/.vql, a package waiting for its
// install, a failed download to resume) is deleted. The clock, the CacheDir
// setting and the free space are the test's (a seam: the drive's real free
// space cannot be set).
#include "VQCore/app/operations/DownloadCacheCheck.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "VQCore/app/pages/GameIcon.h"
#include "VQCore/download/DownloadCache.h"
#include "common/FormatText.h"
#include "common/NumberText.h"
#include "common/PathText.h"
#include "tests/VQCore/app/TileTestHost.h"
#include "tests/support/TempFolder.h"

namespace Tessar {
namespace {

const int64_t kNow = 1300000000;
const int64_t kDay = 86400;

TEST(DownloadCacheCheck, OldDownloadsOfInstalledGamesGoAndDownloadTilesKeepTheirFiles) {
    VQTempFolder folder;
    ASSERT_TRUE(folder.MakeFolder(L"cache"));
    VQCleanupDiskSpace::VQCacheSource source;
    source.iniPath = [&folder] { return folder.PathOf(L"shared\\cache.ini"); };
    source.cacheDir = [&folder] { return folder.PathOf(L"cache"); };
    source.now = [] { return kNow; };
    source.freeSpace = [](const std::wstring&, uint64_t& freeBytes) {
        freeBytes = 1000;  // short of space
        return true;
    };
    VQCleanupDiskSpace cache(source);

    enum Page { kInstalled, kQuick, kDownloads };
    struct Case {
        const char* name;
        uint32_t id;
        Page page;
        uint32_t state;
        const wchar_t* file;  // what cache.ini records: a resume record or a finished file
        bool kept;
    } cases[] = {
        {"an installed game's package", 1, kInstalled, kTileInstalled, L"installed.vqz", false},
        {"a tool not installed (quick strip)", 2, kQuick, kTileNotInstalled, L"tool.vqz.vql", false},
        {"a paused download", 3, kDownloads, kTilePaused, L"paused.vqz.vql", true},
        {"a package waiting for its install", 4, kDownloads, kTileDownloaded, L"waiting.vqz", true},
        {"a failed download to resume", 5, kDownloads, kTileNotInstalled, L"failed.exe.vql", true},
        {"a running download", 6, kDownloads, kTileDownloading, L"running.vqz.vql", true},
    };
    std::vector<std::unique_ptr<VQGameIcon>> tiles;
    VQTileList lists[3];
    for (const Case& c : cases) {
        const std::wstring recorded = folder.PathOf(std::wstring(L"cache\\") + c.file);
        const std::wstring stem = RemoveFileExtension(recorded);
        for (const std::wstring& path : {recorded, stem, stem + L".vqt"})
            ASSERT_TRUE(folder.WriteFile(path.substr(folder.Path().size() + 1), "bytes")) << c.name;
        // Stamped four days ago.
        ASSERT_TRUE(cache.WriteEntry(recorded, FormatString(L"%05u", c.id), Int64ToString(kNow - 4 * kDay)));
        tiles.emplace_back(::Tessar::Test::MakeTile(c.id, L"game", c.state));
        lists[c.page].push_back(tiles.back().get());
    }
    ASSERT_TRUE(StartDownloadCacheCheck(cache, lists[kInstalled], lists[kQuick], lists[kDownloads]));
    cache.Wait();
    for (const Case& c : cases) {
        const std::wstring recorded = folder.PathOf(std::wstring(L"cache\\") + c.file);
        EXPECT_EQ(c.kept, FileExists(recorded)) << c.name;
        if (c.kept) {
            EXPECT_TRUE(FileExists(RemoveFileExtension(recorded) + L".vqt")) << c.name;
        }
    }
}

}  // namespace
}  // namespace Tessar
