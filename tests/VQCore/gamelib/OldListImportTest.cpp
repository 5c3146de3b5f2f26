// The game lists of an older installation: data\local.vqx and
// data\user.vqx become the current installed and download lists.

#include "VQCore/gamelib/AppPaths.h"
#include "VQCore/gamelib/DownloadXmlFile.h"
#include "VQCore/gamelib/InstalledXmlFile.h"
#include "common/PathText.h"
#include "tests/VQCore/gamelib/OldInstallation.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Tessar {
namespace {

const wchar_t kLocal[] = L"data\\local.vqx";
const wchar_t kUser[] = L"data\\user.vqx";
const wchar_t kInstallList[] = L"data\\install.vqx";
const wchar_t kDownloadList[] = L"data\\download.vqx";

std::wstring Installed(const std::wstring& id, const std::wstring& fullPath) {
    return L"<NODE><ID>" + id + L"</ID><FullPath>" + fullPath + L"</FullPath></NODE>";
}

std::vector<uint32_t> IdsOf(const VQInstalledXmlFile::Records& records) {
    std::vector<uint32_t> ids;
    for (const VQInstalledXmlFile::Record& record : records)
        ids.push_back(record->ID);
    return ids;
}

struct CurrentLists {
    bool installedLoaded = false;
    bool downloadsLoaded = false;
    VQInstalledXmlFile installed;
    VQDownloadXmlFile downloads;
};

void LoadCurrentLists(CurrentLists& lists) {
    lists.installedLoaded = lists.installed.LoadFile(GetInstallListPath());
    lists.downloadsLoaded = lists.downloads.LoadFile(GetDownloadListPath());
}

TEST(OldListImportTest, LocalListIsCarriedOver) {
    VQOldInstallation old;
    ASSERT_TRUE(old.IsValid());
    ASSERT_TRUE(old.Write(kLocal,
                          L"<LOCALGAME>"
                          L"<PC_GAME>" +
                              Installed(L"42", L"D:\\Games\\单机\\run.exe") + Installed(L"55555", L"D:\\flash.swf") +
                              Installed(L"95000", L"D:\\mine.exe") +
                              L"<NODE><ID>7</ID><Name>dropped field</Name><Extra>x</Extra></NODE></PC_GAME>"
                              L"<ONLINE_GAME>" +
                              Installed(L"20005", L"D:\\Online\\client.exe") + Installed(L"75000", L"http://web") +
                              L"</ONLINE_GAME>"
                              L"<GAME_TOOL>" +
                              Installed(L"40010", L"D:\\Tools\\tool.exe") + Installed(L"0", L"D:\\x.exe") +
                              L"</GAME_TOOL>"
                              L"<OTHER_LIST>" +
                              Installed(L"43", L"D:\\other.exe") +
                              L"</OTHER_LIST>"
                              L"<DOWNLOAD_GAME>"
                              L"<NODE><ID>00077</ID><DownloadUrl>http://dl.example.com/00077.vqz</DownloadUrl>"
                              L"<LogPath>D:\\Download\\00077.vqz.vql</LogPath><DownloadState>0</DownloadState></NODE>"
                              L"<NODE><ID>78abc</ID><DownloadState>2</DownloadState><State>4</State>"
                              L"<SetupPath>D:\\x.vqz</SetupPath></NODE>"
                              L"<NODE><ID>none</ID></NODE>"
                              L"</DOWNLOAD_GAME></LOCALGAME>"));

    old.Import();
    CurrentLists lists;
    LoadCurrentLists(lists);
    ASSERT_TRUE(lists.installedLoaded);
    ASSERT_TRUE(lists.downloadsLoaded);
    // Flash, web, user-added and id-less games are not carried over.
    EXPECT_EQ((std::vector<uint32_t>{42, 7, 20005}), IdsOf(lists.installed.GetCommonRecords()));
    EXPECT_EQ((std::vector<uint32_t>{40010}), IdsOf(lists.installed.GetQuickRecords()));
    const VQInstalledXmlFile::Record& first = lists.installed.GetCommonRecords()[0];
    EXPECT_EQ(L"D:\\Games\\单机\\run.exe", first->FullPath);
    EXPECT_EQ(L"", first->Name);
    EXPECT_EQ(L"", lists.installed.GetCommonRecords()[1]->Name);  // local.vqx gives no names

    const VQDownloadXmlFile::Records& downloads = lists.downloads.GetRecords();
    ASSERT_EQ(3u, downloads.size());
    EXPECT_EQ(77u, downloads[0]->ID);
    EXPECT_EQ(L"http://dl.example.com/00077.vqz", downloads[0]->URL);
    EXPECT_EQ(L"D:\\Download\\00077.vqz.vql", downloads[0]->LogPath);
    EXPECT_EQ(1u, downloads[0]->State);  // old 0, waiting
    EXPECT_EQ(78u, downloads[1]->ID);
    EXPECT_EQ(3u, downloads[1]->State);       // old 2, finished
    EXPECT_EQ(L"", downloads[1]->SetupPath);  // a field of user.vqx only
    EXPECT_EQ(0u, downloads[2]->ID);
    EXPECT_EQ(0u, downloads[2]->State);  // no state: the record's default
    EXPECT_FALSE(old.Has(kLocal));
}

TEST(OldListImportTest, UserListIsCarriedOver) {
    VQOldInstallation old;
    ASSERT_TRUE(old.IsValid());
    ASSERT_TRUE(old.Write(kUser,
                          L"<USERGAME><GAME><INSTALL>"
                          L"<NODE><ID>55555</ID><Name>小游戏</Name><FullPath>D:\\f\\game.exe</FullPath>"
                          L"<RunArg>-window</RunArg><WorkingDir>D:\\f</WorkingDir><SetupDir>D:\\f\\</SetupDir>"
                          L"<SetupTime>1300000000</SetupTime><LastRunTime>1300000500</LastRunTime>"
                          L"<RunCount>4</RunCount><Registered>1</Registered></NODE>"
                          L"<NODE><ID>95000</ID><Name>mine</Name></NODE>"
                          L"</INSTALL><DOWNLOAD>"
                          L"<NODE><ID>00042</ID><DownloadUrl>http://dl/42</DownloadUrl><LogPath>D:\\d\\42.vql</LogPath>"
                          L"<SetupPath>D:\\d\\42.vqz</SetupPath><State>3</State></NODE>"
                          L"</DOWNLOAD></GAME>"
                          L"<TOOL><INSTALL><NODE><ID>40001</ID><Name>tool</Name></NODE></INSTALL>"
                          L"<DOWNLOAD><NODE><ID>40002</ID><State>1</State></NODE></DOWNLOAD></TOOL>"
                          L"<OTHER><INSTALL><NODE><ID>5</ID></NODE></INSTALL></OTHER>"
                          L"</USERGAME>"));

    old.Import();
    CurrentLists lists;
    LoadCurrentLists(lists);
    ASSERT_TRUE(lists.installedLoaded);
    ASSERT_TRUE(lists.downloadsLoaded);
    // Every kind of game is kept from this list.
    ASSERT_EQ((std::vector<uint32_t>{55555, 95000}), IdsOf(lists.installed.GetCommonRecords()));
    ASSERT_EQ((std::vector<uint32_t>{40001}), IdsOf(lists.installed.GetQuickRecords()));
    const VQGameInstalledInfo& game = *lists.installed.GetCommonRecords()[0];
    EXPECT_EQ(L"小游戏", game.Name);
    EXPECT_EQ(L"D:\\f\\game.exe", game.FullPath);
    EXPECT_EQ(L"-window", game.RunArg);
    EXPECT_EQ(L"D:\\f", game.WorkingDir);
    EXPECT_EQ(L"D:\\f\\", game.SetupDir);
    EXPECT_EQ(1300000000, game.SetupTime);
    EXPECT_EQ(1300000500, game.LastRunTime);
    EXPECT_EQ(4u, game.RunCount);
    EXPECT_EQ(1u, game.Registered);

    const VQDownloadXmlFile::Records& downloads = lists.downloads.GetRecords();
    ASSERT_EQ(2u, downloads.size());
    EXPECT_EQ(42u, downloads[0]->ID);
    EXPECT_EQ(L"http://dl/42", downloads[0]->URL);
    EXPECT_EQ(L"D:\\d\\42.vql", downloads[0]->LogPath);
    EXPECT_EQ(L"D:\\d\\42.vqz", downloads[0]->SetupPath);
    EXPECT_EQ(4u, downloads[0]->State);
    EXPECT_EQ(40002u, downloads[1]->ID);
    EXPECT_EQ(2u, downloads[1]->State);
    EXPECT_FALSE(old.Has(kUser));
}

TEST(OldListImportTest, DamagedListGivesEmptyLists) {
    const wchar_t* const texts[] = {L"<LOCALGAME><PC_GAME>",
                                    L"<OTHERGAME><PC_GAME>"
                                    L"<NODE><ID>42</ID></NODE></PC_GAME></OTHERGAME>",
                                    L""};
    for (const wchar_t* text : texts) {
        VQOldInstallation old;
        ASSERT_TRUE(old.IsValid());
        ASSERT_TRUE(old.Write(kLocal, text));
        old.Import();
        CurrentLists lists;
        LoadCurrentLists(lists);
        EXPECT_TRUE(lists.installedLoaded);
        EXPECT_TRUE(lists.downloadsLoaded);
        EXPECT_TRUE(lists.installed.GetCommonRecords().empty());
        EXPECT_TRUE(lists.installed.GetQuickRecords().empty());
        EXPECT_TRUE(lists.downloads.GetRecords().empty());
        EXPECT_FALSE(old.Has(kLocal));
    }
}

TEST(OldListImportTest, LocalListWinsOverUserList) {
    VQOldInstallation old;
    ASSERT_TRUE(old.IsValid());
    ASSERT_TRUE(
        old.Write(kLocal, L"<LOCALGAME><PC_GAME>" + Installed(L"42", L"D:\\a.exe") + L"</PC_GAME></LOCALGAME>"));
    ASSERT_TRUE(old.Write(
        kUser, L"<USERGAME><GAME><INSTALL>" + Installed(L"43", L"D:\\b.exe") + L"</INSTALL></GAME></USERGAME>"));
    old.Import();
    CurrentLists lists;
    LoadCurrentLists(lists);
    EXPECT_EQ((std::vector<uint32_t>{42}), IdsOf(lists.installed.GetCommonRecords()));
    EXPECT_FALSE(old.Has(kLocal));
    EXPECT_FALSE(old.Has(kUser));
}

TEST(OldListImportTest, CurrentListsAreKept) {
    const wchar_t* const currentFiles[] = {kInstallList, kDownloadList};
    for (const wchar_t* current : currentFiles) {
        VQOldInstallation old;
        ASSERT_TRUE(old.IsValid());
        ASSERT_TRUE(old.Write(current, L"<KEEP/>"));
        ASSERT_TRUE(
            old.Write(kLocal, L"<LOCALGAME><PC_GAME>" + Installed(L"42", L"D:\\a.exe") + L"</PC_GAME></LOCALGAME>"));
        ASSERT_TRUE(old.Write(kUser, L"<USERGAME/>"));
        old.Import();
        auto files = old.Snapshot();
        ASSERT_EQ(1u, files.size()) << current;
        EXPECT_EQ("<KEEP/>", files[current]);
    }
}

// A folder where the list file goes, held open without delete sharing, so
// that nothing can be moved onto that name.
class BlockedFile {
public:
    BlockedFile(const VQOldInstallation& old, const std::wstring& name) {
        if (old.MakeFolder(name))
            m_handle = ::CreateFileW(old.PathOf(name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    }
    ~BlockedFile() {
        if (IsValid())
            ::CloseHandle(m_handle);
    }
    bool IsValid() const { return m_handle != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_handle = INVALID_HANDLE_VALUE;
};

TEST(OldListImportTest, FailedWriteKeepsTheOldList) {
    struct Case {
        const wchar_t* oldList;
        const wchar_t* text;
        const wchar_t* blocked;
    };
    const std::wstring local = L"<LOCALGAME><PC_GAME>" + Installed(L"42", L"D:\\a.exe") + L"</PC_GAME></LOCALGAME>";
    const std::wstring user =
        L"<USERGAME><GAME><INSTALL>" + Installed(L"42", L"D:\\a.exe") + L"</INSTALL></GAME></USERGAME>";
    const Case cases[] = {
        {kLocal, local.c_str(), kInstallList},
        {kLocal, local.c_str(), kDownloadList},
        {kUser, user.c_str(), kInstallList},
        {kUser, user.c_str(), kDownloadList},
    };
    for (const Case& c : cases) {
        VQOldInstallation old;
        ASSERT_TRUE(old.IsValid());
        ASSERT_TRUE(old.Write(c.oldList, c.text));
        const std::string before = old.Read(c.oldList);
        {
            BlockedFile blocked(old, c.blocked);
            ASSERT_TRUE(blocked.IsValid());
            old.Import();
        }
        EXPECT_EQ(before, old.Read(c.oldList)) << c.oldList << " " << c.blocked;
        // Nothing took the blocked name, and the download list never
        // comes without the installed list.
        EXPECT_TRUE(FolderExists(old.PathOf(c.blocked))) << c.blocked;
        EXPECT_EQ(c.blocked == kDownloadList, old.Has(kInstallList)) << c.blocked;
        EXPECT_FALSE(old.Has(kDownloadList)) << c.blocked;
    }
}

}  // namespace
}  // namespace Tessar
