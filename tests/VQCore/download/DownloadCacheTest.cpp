// The download cache: cache.ini entries, the daily check, and the clean-up
// that removes only the files it recorded, of games whose downloads are
// over. The clock, the CacheDir setting and the free space are the test's
// (a seam: the drive's real free space cannot be set).
#include "VQCore/download/DownloadCache.h"
#include "common/CodePage.h"
#include "common/FormatText.h"
#include "common/IniFile.h"
#include "common/NumberText.h"
#include "common/PathText.h"
#include "tests/VQCore/download/PackageTestUtil.h"
#include "tests/support/HostFolderLink.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

namespace Tessar {
namespace {

typedef VQCleanupDiskSpace::VQGameStatusInfo Status;

const int64_t kNow = 1300000000;
const int64_t kDay = 86400;

std::wstring FormatSection(uint32_t gameId) {
    return FormatString(L"%05u", gameId);
}

class DownloadCacheTest : public ::testing::Test {
protected:
    DownloadCacheTest() : m_cache(Source()) { m_folder.MakeFolder(L"cache"); }

    VQCleanupDiskSpace::VQCacheSource Source() {
        VQCleanupDiskSpace::VQCacheSource source;
        source.iniPath = [this]() { return m_folder.PathOf(L"shared\\Zelmor\\cache.ini"); };
        source.cacheDir = [this]() { return m_cacheDir; };
        source.now = [this]() { return m_now; };
        source.freeSpace = [this](const std::wstring& root, uint64_t& freeBytes) {
            m_askedRoot = root;
            freeBytes = m_freeBytes;
            return m_driveAnswers;
        };
        return source;
    }
    IniFile Ini() const { return IniFile(m_folder.PathOf(L"shared\\Zelmor\\cache.ini")); }
    std::wstring Cached(const std::wstring& name) const { return m_folder.PathOf(L"cache\\" + name); }
    void MakeCached(const std::wstring& name) { ASSERT_TRUE(m_folder.WriteFile(L"cache\\" + name, "bytes")); }
    // The cache folder's drive, or another one.
    void UseCacheDrive(bool sameDrive) { m_cacheDir = sameDrive ? m_folder.PathOf(L"cache") : L"Q:\\cache"; }

    VQTempFolder m_folder;
    std::wstring m_cacheDir = L"Q:\\cache";
    int64_t m_now = kNow;
    uint64_t m_freeBytes = 0;
    bool m_driveAnswers = true;
    std::wstring m_askedRoot;
    VQCleanupDiskSpace m_cache;
};

TEST_F(DownloadCacheTest, EntriesAreStampedAndRemoved) {
    ASSERT_TRUE(m_cache.StampEntry(42, L"C:\\cache\\game.vqz.vql"));
    EXPECT_EQ(L"C:\\cache\\game.vqz.vql", Ini().ReadString(L"00042", L"Path"));
    EXPECT_EQ(Int64ToString(kNow), Ini().ReadString(L"00042", L"Time"));
    EXPECT_TRUE(m_cache.WriteEntry(L"", L"00042", L""));
    std::vector<std::wstring> sections;
    EXPECT_EQ(0u, Ini().ListSections(sections));
}

TEST_F(DownloadCacheTest, TheCheckRunsOnceADay) {
    EXPECT_FALSE(m_cache.CacheCheckedRecently());  // no file yet: stamps it
    EXPECT_EQ(Int64ToString(kNow), Ini().ReadString(L"CHECK", L"Time"));
    m_now = kNow + kDay - 1;
    EXPECT_TRUE(m_cache.CacheCheckedRecently());
    m_now = kNow + kDay;
    EXPECT_FALSE(m_cache.CacheCheckedRecently());
    EXPECT_EQ(Int64ToString(kNow + kDay), Ini().ReadString(L"CHECK", L"Time"));
    m_now = kNow;  // the clock went back: a stamp from the future is no check
    EXPECT_FALSE(m_cache.CacheCheckedRecently());
}

TEST_F(DownloadCacheTest, FreeSpaceIsAskedOfTheCacheDrive) {
    const struct {
        const char* name;
        std::wstring cacheDir;
        uint64_t freeBytes;
        bool answers;
        bool expected;
    } cases[] = {
        {"more than asked", L"D:\\Cache", 101, true, true},
        {"just what was asked", L"D:\\Cache", 100, true, false},
        {"less", L"D:\\Cache", 5, true, false},
        {"drive does not answer", L"D:\\Cache", 0, false, true},
        {"no folder", L"D:", 0, true, true},
    };
    for (const auto& c : cases) {
        m_cacheDir = c.cacheDir;
        m_freeBytes = c.freeBytes;
        m_driveAnswers = c.answers;
        m_askedRoot.clear();
        EXPECT_EQ(c.expected, m_cache.CacheDriveHasSpace(100)) << c.name;
        EXPECT_EQ(c.cacheDir.size() >= 3 ? L"D:\\" : L"", m_askedRoot) << c.name;
    }
}

TEST_F(DownloadCacheTest, CachedFilesOfADownloadGoTogether) {
    m_cacheDir = m_folder.PathOf(L"cache");
    const struct {
        const char* name;
        const wchar_t* recorded;
        const char* left;  // of the files made below
    } cases[] = {
        {"resume record of a package", L"game.vqz.vql", "game.vql=bytes\ngame.vqt=bytes\nother.zip=bytes\nsetup.exe=bytes\n"},
        {"finished setup program", L"setup.exe",
         "game.vql=bytes\ngame.vqt=bytes\ngame.vqz.vql=bytes\ngame.vqz.vqt=bytes\ngame.vqz=bytes\nother.zip=bytes\n"},
        {"finished package, upper case", L"GAME.VQZ",
         "game.vql=bytes\ngame.vqt=bytes\ngame.vqz.vql=bytes\ngame.vqz.vqt=bytes\nother.zip=bytes\nsetup.exe=bytes\n"},
        // Any other kind is read as a resume record: its pair goes, never the file.
        {"another kind of file", L"other.zip",
         "game.vql=bytes\ngame.vqt=bytes\ngame.vqz.vql=bytes\ngame.vqz.vqt=bytes\ngame.vqz=bytes\nother.zip=bytes\n"
         "setup.exe=bytes\n"},
        {"data file of a download", L"game.vqt",
         "game.vqz.vql=bytes\ngame.vqz.vqt=bytes\ngame.vqz=bytes\nother.zip=bytes\nsetup.exe=bytes\n"},
        {"resume record of another kind", L"other.zip.vql",
         "game.vql=bytes\ngame.vqt=bytes\ngame.vqz.vql=bytes\ngame.vqz.vqt=bytes\ngame.vqz=bytes\nother.zip=bytes\n"
         "setup.exe=bytes\n"},
    };
    for (const auto& c : cases) {
        for (const wchar_t* name : {L"game.vqz.vql", L"game.vqz.vqt", L"game.vqz", L"game.vqt", L"game.vql",
                                    L"setup.exe", L"other.zip"})
            MakeCached(name);
        m_cache.DeleteCachedFiles(Cached(c.recorded));
        EXPECT_EQ(c.left, DescribeTree(m_folder.PathOf(L"cache"))) << c.name;
    }
    // Folders and relative paths are never taken.
    ASSERT_TRUE(m_folder.MakeFolder(L"cache\\folder.exe"));
    m_cache.DeleteCachedFiles(Cached(L"folder.exe"));
    EXPECT_TRUE(FolderExists(Cached(L"folder.exe")));
    m_cache.DeleteCachedFiles(L"setup.exe");
    EXPECT_TRUE(FileExists(Cached(L"setup.exe")));
}

// cache.ini lies where any user process can write: what it names outside
// the download folder is never deleted, however it is written.
TEST_F(DownloadCacheTest, PathsOutsideTheDownloadFolderAreNeverDeleted) {
    ASSERT_TRUE(m_folder.MakeFolder(L"cache\\sub"));
    for (const wchar_t* name : {L"outside\\victim.exe", L"outside\\victim.vqz", L"outside\\victim.vqt",
                                L"outside\\victim.vql", L"cache-twin\\x.exe", L"cache.exe"})
        ASSERT_TRUE(m_folder.WriteFile(name, "the user's"));
    const std::string outsideBefore = DescribeTree(m_folder.PathOf(L"outside"));
    ASSERT_TRUE(MakeHostFolderLink(m_folder.PathOf(L"outside"), Cached(L"link")));
    const struct {
        const char* name;
        std::wstring path;
    } cases[] = {
        {"another folder", m_folder.PathOf(L"outside\\victim.exe")},
        {"resume record in another folder", m_folder.PathOf(L"outside\\victim.vql")},
        {"a package in another folder", m_folder.PathOf(L"outside\\victim.vqz")},
        {"climbing out", Cached(L"..\\outside\\victim.exe")},
        {"climbing out from below", Cached(L"sub\\..\\..\\outside\\victim.vql")},
        {"a folder whose name begins like it", m_folder.PathOf(L"cache-twin\\x.exe")},
        {"the folder's own name with an extension", m_folder.PathOf(L"cache.exe")},
        {"relative", L"..\\outside\\victim.exe"},
        {"through a link in the folder", Cached(L"link\\victim.exe")},
        {"resume record through a link", Cached(L"link\\victim.vql")},
    };
    m_cacheDir = m_folder.PathOf(L"cache");
    for (const auto& c : cases) {
        m_cache.DeleteCachedFiles(c.path);
        EXPECT_EQ(outsideBefore, DescribeTree(m_folder.PathOf(L"outside"))) << c.name;
        EXPECT_TRUE(FileExists(m_folder.PathOf(L"cache-twin\\x.exe"))) << c.name;
        EXPECT_TRUE(FileExists(m_folder.PathOf(L"cache.exe"))) << c.name;
    }

    // Planted in cache.ini: old entries of games long gone, and the entry
    // of a game just installed.
    const std::wstring old = Int64ToString(kNow - 10 * kDay);
    uint32_t id = 100;
    for (const auto& c : cases)
        ASSERT_TRUE(m_cache.WriteEntry(c.path, FormatSection(id++), old)) << c.name;
    m_cache.CollectGameStatus({}, {});
    m_cache.CleanupOldFiles();
    ASSERT_TRUE(m_cache.StampEntry(7, m_folder.PathOf(L"outside\\victim.exe")));
    m_freeBytes = 0;
    m_cache.CleanupEntry(m_folder.PathOf(L"outside\\victim.exe"), 7);
    // Without a download folder nothing is anyone's cache.
    m_cacheDir.clear();
    m_cache.DeleteCachedFiles(m_folder.PathOf(L"outside\\victim.exe"));
    EXPECT_EQ(outsideBefore, DescribeTree(m_folder.PathOf(L"outside")));
    EXPECT_TRUE(FileExists(m_folder.PathOf(L"cache-twin\\x.exe")));
    EXPECT_TRUE(FileExists(m_folder.PathOf(L"cache.exe")));
}

TEST_F(DownloadCacheTest, TheCleanupTakesOnlyOldOrMisplacedFilesOfFinishedGames) {
    const struct {
        const char* name;
        uint32_t id;
        int64_t age;
        bool sameDrive;
        int state;  // 0: no tile; -2: a download tile in state 2
        bool removed;
    } cases[] = {
        {"two days old, installed", 1, 2 * kDay, true, 1, false},
        {"four days old, installed", 2, 4 * kDay, true, 1, true},
        {"four days old, not installed", 3, 4 * kDay, true, 2, true},
        {"four days old, a failed download to resume", 10, 4 * kDay, true, -2, false},
        {"four days old, no tile", 4, 4 * kDay, true, 0, true},
        {"four days old, downloading", 5, 4 * kDay, true, 4, false},
        {"four days old, paused", 6, 4 * kDay, true, 5, false},
        {"four days old, downloaded", 7, 4 * kDay, true, 6, false},
        {"new on another drive, installed", 8, 0, false, 1, true},
        {"new on another drive, waiting", 9, 0, false, 3, false},
    };
    std::vector<Status> installed;
    std::vector<Status> downloads;
    for (const auto& c : cases) {
        std::wstring file = L"g" + UIntToString(c.id) + L".vqz";
        MakeCached(file);
        MakeCached(file + L".vql");
        std::wstring path = Cached(file + L".vql");
        if (!c.sameDrive)
            path = L"Q" + path.substr(1);  // recorded on another drive than CacheDir
        ASSERT_TRUE(m_cache.WriteEntry(path, FormatSection(c.id), Int64ToString(kNow - c.age)));
        // States 1 and 2 are installed-page tiles, the others and -2 (a
        // failed download, state 2) download tiles.
        if (c.state == 1 || c.state == 2)
            installed.push_back({c.id, static_cast<uint32_t>(c.state)});
        else if (c.state != 0)
            downloads.push_back({c.id, static_cast<uint32_t>(c.state < 0 ? -c.state : c.state)});
    }
    m_cacheDir = m_folder.PathOf(L"cache");
    m_cache.CollectGameStatus(installed, downloads);
    m_cache.CleanupOldFiles();
    for (const auto& c : cases) {
        std::wstring file = L"g" + UIntToString(c.id) + L".vqz";
        bool onCacheDrive = c.sameDrive;
        EXPECT_EQ(!c.removed, Ini().ReadString(FormatSection(c.id), L"Path") != L"") << c.name;
        if (onCacheDrive) {
            EXPECT_EQ(!c.removed, FileExists(Cached(file))) << c.name;
        }
    }
}

TEST_F(DownloadCacheTest, SectionsThatAreNotTheCachesOwnAreLeftAlone) {
    MakeCached(L"a.vqz");
    MakeCached(L"b.vqz");
    MakeCached(L"c.vqz");
    const std::wstring old = Int64ToString(kNow - 10 * kDay);
    ASSERT_TRUE(m_cache.WriteEntry(Cached(L"a.vqz"), L"00010", old));
    ASSERT_TRUE(Ini().WriteString(L"00010", L"Extra", L"1"));
    ASSERT_TRUE(m_cache.WriteEntry(Cached(L"b.vqz"), L"Settings", old));
    ASSERT_TRUE(m_cache.WriteEntry(Cached(L"c.vqz"), L"00012", old));
    m_cacheDir = m_folder.PathOf(L"cache");
    m_cache.CollectGameStatus({}, {});
    m_cache.CleanupOldFiles();
    EXPECT_TRUE(FileExists(Cached(L"a.vqz")));  // a third key
    EXPECT_TRUE(FileExists(Cached(L"b.vqz")));  // no game id
    EXPECT_FALSE(FileExists(Cached(L"c.vqz")));
}

TEST_F(DownloadCacheTest, AfterAnInstallOnlyTheGamesOwnDownloadGoes) {
    const struct {
        const char* name;
        std::wstring recorded;  // relative to the cache folder
        bool sameDrive;
        uint64_t freeBytes;
        bool removed;      // the entry
        bool fileRemoved;
    } cases[] = {
        {"resume record, short of space", L"x.vqz.vql", true, 100, true, true},
        {"the file itself, short of space", L"x.vqz", true, 100, true, true},
        {"enough space on the cache drive", L"x.vqz.vql", true, 6000000000ull, false, false},
        // The file lies outside the download folder then: only its entry goes.
        {"another drive than CacheDir", L"x.vqz.vql", false, 6000000000ull, true, false},
        {"not recorded for the game", L"y.vqz.vql", true, 100, false, false},
    };
    for (const auto& c : cases) {
        MakeCached(L"x.vqz");
        UseCacheDrive(c.sameDrive);
        m_freeBytes = c.freeBytes;
        ASSERT_TRUE(m_cache.StampEntry(7, Cached(c.recorded)));
        m_cache.CleanupEntry(Cached(L"x.vqz"), 7);
        EXPECT_EQ(!c.fileRemoved, FileExists(Cached(L"x.vqz"))) << c.name;
        EXPECT_EQ(!c.removed, Ini().ReadString(L"00007", L"Path") != L"") << c.name;
        m_cache.WriteEntry(L"", L"00007", L"");
    }
}

TEST_F(DownloadCacheTest, StartUpCleansOnlyWhenDueAndShortOfSpace) {
    MakeCached(L"old.vqz");
    ASSERT_TRUE(m_cache.WriteEntry(Cached(L"old.vqz"), L"00001", Int64ToString(kNow - 10 * kDay)));
    m_cacheDir = m_folder.PathOf(L"cache");
    m_freeBytes = 30000000000ull;
    EXPECT_FALSE(m_cache.StartupCheck({{1, 1}}, {}));  // enough space
    m_freeBytes = 100;
    EXPECT_FALSE(m_cache.StartupCheck({{1, 1}}, {}));  // checked a moment ago
    EXPECT_TRUE(FileExists(Cached(L"old.vqz")));
    m_now += kDay;
    ASSERT_TRUE(m_cache.StartupCheck({{1, 1}}, {}));
    m_cache.Wait();
    EXPECT_FALSE(FileExists(Cached(L"old.vqz")));
}

}  // namespace
}  // namespace Tessar
