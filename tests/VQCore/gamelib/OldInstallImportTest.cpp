// The import of an older installation as a whole: resume records, the old
// cache record, folder icons, a second run, and the first-run flag that
// decides whether the import runs at all.

#include "VQCore/gamelib/OldInstallImport.h"

#include "VQCore/gamelib/AppPaths.h"
#include "VQCore/gamelib/DownloadXmlFile.h"
#include "common/PathText.h"
#include "common/ResumeRecord.h"
#include "tests/VQCore/gamelib/OldInstallation.h"
#include "tests/VQCore/gamelib/OldResumeRecordImages.h"
#include "tests/support/ScratchRegistryKey.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace Tessar {
namespace {

const wchar_t kConfig[] = L"config\\config.xml";

std::string LayoutA() {
    return MakeLayoutARecord(VQOldRecordFields(), 600, 400);
}

std::string LayoutB() {
    return MakeLayoutBRecord(VQOldRecordFields(), {{0, 500, 100, 400}, {500, 500, 500, 500}});
}

bool IsCurrentRecord(const std::wstring& path) {
    VQResumeHead head;
    std::vector<VQRangeRecord> ranges;
    return ReadResumeRecordFile(path, head, ranges);
}

bool WriteDownloadList(const std::vector<std::wstring>& logPaths) {
    VQDownloadXmlFile::Records records;
    for (size_t i = 0; i < logPaths.size(); ++i) {
        VQDownloadXmlFile::Record record(new VQGameDownloadInfo());
        record->ID = static_cast<uint32_t>(42 + i);
        record->LogPath = logPaths[i];
        records.push_back(record);
    }
    VQDownloadXmlFile file;
    file.SetRecords(records);
    return file.Save(GetDownloadListPath());
}

TEST(OldInstallImportTest, ListedLayoutBRecordsAreUpgraded) {
    VQOldInstallation old;
    ASSERT_TRUE(old.IsValid());
    ASSERT_TRUE(old.WriteBytes(L"dl\\a.vqz.vql", LayoutB()));
    ASSERT_TRUE(old.WriteBytes(L"dl\\b.vqz.VQL", LayoutB()));  // the extension is compared exactly
    ASSERT_TRUE(old.WriteBytes(L"dl\\c.vqz.vql", LayoutA()));  // not layout B
    ASSERT_TRUE(old.WriteBytes(L"dl\\d.vqz.vql", LayoutB()));  // not in the list
    ASSERT_TRUE(old.MakeFolder(L"data"));
    ASSERT_TRUE(WriteDownloadList({old.PathOf(L"dl\\a.vqz.vql"), old.PathOf(L"dl\\b.vqz.VQL"),
                                   old.PathOf(L"dl\\c.vqz.vql"), old.PathOf(L"dl\\missing.vql")}));
    // A current settings file: the download folder pass does not run.
    ASSERT_TRUE(old.Write(
        kConfig, OptionFileText(L"1.7", L"<DOWNLOAD><CacheDir>" + old.PathOf(L"dl") + L"</CacheDir></DOWNLOAD>")));
    EXPECT_TRUE(old.Import());
    EXPECT_TRUE(IsCurrentRecord(old.PathOf(L"dl\\a.vqz.vql")));
    EXPECT_EQ(9848u + 2 * 40, old.Read(L"dl\\a.vqz.vql").size());
    EXPECT_EQ(LayoutB(), old.Read(L"dl\\b.vqz.VQL"));
    EXPECT_EQ(LayoutA(), old.Read(L"dl\\c.vqz.vql"));
    EXPECT_EQ(LayoutB(), old.Read(L"dl\\d.vqz.vql"));
    EXPECT_EQ(6u, old.Snapshot().size());  // no temporary file left
}

TEST(OldInstallImportTest, LayoutARecordsInTheDownloadFolderAreUpgraded) {
    VQOldInstallation old;
    ASSERT_TRUE(old.IsValid());
    ASSERT_TRUE(old.WriteBytes(L"下载\\a.vqz.vql", LayoutA()));
    ASSERT_TRUE(old.WriteBytes(L"下载\\b.vqz.VQL", LayoutA()));
    ASSERT_TRUE(old.WriteBytes(L"下载\\c.vqz.vql", LayoutB()));
    ASSERT_TRUE(old.WriteBytes(L"下载\\sub\\d.vqz.vql", LayoutA()));  // below the folder: not looked at
    ASSERT_TRUE(old.WriteBytes(L"下载\\e.vqz", LayoutA()));
    ASSERT_TRUE(old.Write(
        kConfig, OptionFileText(L"1.5", L"<DOWNLOAD><CacheDir>" + old.PathOf(L"下载") + L"</CacheDir></DOWNLOAD>")));
    EXPECT_FALSE(old.Import());
    EXPECT_TRUE(IsCurrentRecord(old.PathOf(L"下载\\a.vqz.vql")));
    EXPECT_EQ(9888u, old.Read(L"下载\\a.vqz.vql").size());
    EXPECT_EQ(LayoutA(), old.Read(L"下载\\b.vqz.VQL"));
    EXPECT_EQ(LayoutB(), old.Read(L"下载\\c.vqz.vql"));
    EXPECT_EQ(LayoutA(), old.Read(L"下载\\sub\\d.vqz.vql"));
    EXPECT_EQ(LayoutA(), old.Read(L"下载\\e.vqz"));
}

TEST(OldInstallImportTest, VersionOneSixSkipsTheDownloadFolderPass) {
    VQOldInstallation old;
    ASSERT_TRUE(old.IsValid());
    ASSERT_TRUE(old.WriteBytes(L"dl\\a.vqz.vql", LayoutA()));
    ASSERT_TRUE(old.Write(
        kConfig, OptionFileText(L"1.6", L"<DOWNLOAD><CacheDir>" + old.PathOf(L"dl") + L"</CacheDir></DOWNLOAD>")));
    EXPECT_FALSE(old.Import());
    EXPECT_EQ(LayoutA(), old.Read(L"dl\\a.vqz.vql"));
}

TEST(OldInstallImportTest, OldCacheRecordMovesToTheSharedFolder) {
    VQOldInstallation old;
    ASSERT_TRUE(old.IsValid());
    const std::string record = "[00042]\r\nTime=1300000000\r\n";
    ASSERT_TRUE(old.WriteBytes(L"config\\record.ini", record));
    old.Import();
    EXPECT_FALSE(old.Has(L"config\\record.ini"));
    EXPECT_EQ(record, old.ReadCacheIni());
}

TEST(OldInstallImportTest, OwnFolderIconsAreRemoved) {
    VQOldInstallation old;
    ASSERT_TRUE(old.IsValid());
    const std::string own = "[.ShellClassInfo]\r\nIconFile=C:\\Program Files\\Tovana\\Norvane.exe\r\nIconIndex=0\r\n";
    const std::string other = "[.ShellClassInfo]\r\nIconFile=C:\\Other\\Other.exe\r\n";
    const std::string noIcon = "[.ShellClassInfo]\r\nInfoTip=Norvane.exe\r\n";
    ASSERT_TRUE(old.WriteBytes(L"games\\download\\desktop.ini", own));
    ASSERT_TRUE(old.WriteBytes(L"games\\desktop.ini", own));
    ASSERT_TRUE(old.WriteBytes(L"install\\desktop.ini", other));
    ASSERT_TRUE(old.WriteBytes(L"desktop.ini", noIcon));
    ASSERT_TRUE(old.Write(kConfig, OptionFileText(L"1.5", L"<DOWNLOAD><CacheDir>" + old.PathOf(L"games\\download\\") +
                                                              L"</CacheDir></DOWNLOAD><GENERIC><InstallDir>" +
                                                              old.PathOf(L"install") + L"</InstallDir></GENERIC>")));
    old.Import();
    EXPECT_FALSE(old.Has(L"games\\download\\desktop.ini"));
    EXPECT_FALSE(old.Has(L"games\\desktop.ini"));
    EXPECT_EQ(other, old.Read(L"install\\desktop.ini"));
    EXPECT_EQ(noIcon, old.Read(L"desktop.ini"));
}

// Everything an older installation may have left, at once.
void WriteWholeOldInstallation(VQOldInstallation& old) {
    ASSERT_TRUE(old.Write(L"config.vqc", OptionFileText(L"1.2",
                                                        L"<GenericOptions><AutoRun>1</AutoRun></GenericOptions>"
                                                        L"<DownloadOptions><CacheDir>" +
                                                            old.PathOf(L"dl") + L"</CacheDir></DownloadOptions>")));
    ASSERT_TRUE(old.Write(L"data\\local.vqx",
                          L"<LOCALGAME><PC_GAME><NODE><ID>42</ID></NODE></PC_GAME>"
                          L"<DOWNLOAD_GAME><NODE><ID>43</ID><LogPath>" +
                              old.PathOf(L"dl\\43.vql") +
                              L"</LogPath><DownloadState>3</DownloadState></NODE></DOWNLOAD_GAME>"
                              L"</LOCALGAME>"));
    ASSERT_TRUE(old.Write(L"data\\user.vqx", L"<USERGAME/>"));
    ASSERT_TRUE(old.WriteBytes(L"complete.wav", "RIFF"));
    ASSERT_TRUE(old.WriteBytes(L"config\\record.ini", "[00043]\r\n"));
    ASSERT_TRUE(old.WriteBytes(L"dl\\43.vql", LayoutB()));
    ASSERT_TRUE(old.WriteBytes(L"dl\\44.vql", LayoutA()));
}

TEST(OldInstallImportTest, SecondRunFindsNothingLeft) {
    VQOldInstallation old;
    ASSERT_TRUE(old.IsValid());
    WriteWholeOldInstallation(old);
    EXPECT_TRUE(old.Import());
    std::map<std::wstring, std::string> first = old.Snapshot();
    EXPECT_EQ(0u, first.count(L"config.vqc"));
    EXPECT_EQ(0u, first.count(L"data\\local.vqx"));
    EXPECT_EQ(0u, first.count(L"data\\user.vqx"));
    EXPECT_EQ(1u, first.count(L"data\\install.vqx"));
    EXPECT_EQ(1u, first.count(L"data\\download.vqx"));
    EXPECT_EQ(1u, first.count(kConfig));
    EXPECT_TRUE(IsCurrentRecord(old.PathOf(L"dl\\43.vql")));
    EXPECT_TRUE(FileExists(old.CacheIniPath()));
    // The settings came from config.vqc, which made a current file at once.
    EXPECT_EQ(LayoutA(), first[L"dl\\44.vql"]);
    // AutoRun went to the scratch key.
    EXPECT_TRUE(old.Settings().GetBool(L"AutoRun"));

    EXPECT_TRUE(old.Import());
    EXPECT_EQ(first, old.Snapshot());
}

class FirstRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_scratch.IsValid());
        m_entry = VQFirstRunEntry{m_scratch.Root(), m_scratch.PathOf(L"Tovana游戏"), L"Value"};
    }

    bool SetFlag(const std::wstring& text) {
        HKEY key = nullptr;
        if (::RegCreateKeyExW(m_entry.root, m_entry.keyPath.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                              nullptr) != ERROR_SUCCESS)
            return false;
        LONG result =
            ::RegSetValueExW(key, m_entry.valueName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                             static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
        ::RegCloseKey(key);
        return result == ERROR_SUCCESS;
    }

    bool HasFlag() const {
        HKEY key = nullptr;
        if (::RegOpenKeyExW(m_entry.root, m_entry.keyPath.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
            return false;
        LONG result = ::RegQueryValueExW(key, m_entry.valueName.c_str(), nullptr, nullptr, nullptr, nullptr);
        ::RegCloseKey(key);
        return result == ERROR_SUCCESS;
    }

    VQScratchRegistryKey m_scratch;
    VQFirstRunEntry m_entry;
};

TEST(FirstRunEntryTest, IsTheInstallersValue) {
    VQFirstRunEntry entry = DefaultFirstRunEntry();
    EXPECT_EQ(HKEY_LOCAL_MACHINE, entry.root);
    EXPECT_EQ(L"Software\\Tovana游戏", entry.keyPath);
    EXPECT_EQ(L"Value", entry.valueName);
}

TEST_F(FirstRunTest, FlagIsReadOnceWhateverItSays) {
    struct Case {
        const wchar_t* text;
        bool firstRun;
    };
    const Case cases[] = {{L"1", true}, {L"0", false}, {L"", false}, {L"11", false}, {L"yes", false}};
    for (const Case& c : cases) {
        ASSERT_TRUE(SetFlag(c.text));
        EXPECT_EQ(c.firstRun, TakeFirstRunFlag(m_entry)) << c.text;
        EXPECT_FALSE(HasFlag()) << c.text;
        EXPECT_FALSE(TakeFirstRunFlag(m_entry)) << c.text;
    }
}

TEST_F(FirstRunTest, MissingKeyOrValueIsNoFirstRun) {
    EXPECT_FALSE(TakeFirstRunFlag(m_entry));
    EXPECT_FALSE(m_scratch.KeyExists(L"Tovana游戏"));
    ASSERT_TRUE(SetFlag(L"1"));
    ASSERT_TRUE(TakeFirstRunFlag(m_entry));
    EXPECT_TRUE(m_scratch.KeyExists(L"Tovana游戏"));
    EXPECT_FALSE(TakeFirstRunFlag(m_entry));
}

TEST_F(FirstRunTest, ImportRunsOnlyOnAFirstRun) {
    struct Case {
        const char* name;
        const wchar_t* flag;  // null: no value
        bool currentSettings;
        bool firstRun;
        bool imported;
    };
    const Case cases[] = {
        {"first run", L"1", false, true, true},
        {"first run over current settings", L"1", true, false, true},
        {"flag reset", L"0", false, false, false},
        {"no flag", nullptr, false, false, false},
    };
    for (const Case& c : cases) {
        VQOldInstallation old;
        ASSERT_TRUE(old.IsValid());
        ASSERT_TRUE(old.WriteBytes(L"complete.wav", "RIFF"));
        if (c.currentSettings) {
            ASSERT_TRUE(old.Write(kConfig, OptionFileText(L"1.7", L"")));
        }
        if (c.flag != nullptr) {
            ASSERT_TRUE(SetFlag(c.flag));
        }
        EXPECT_EQ(c.firstRun, ImportOnFirstStart(m_entry, old.Settings(), old.CacheIniPath())) << c.name;
        EXPECT_EQ(!c.imported, old.Has(L"complete.wav")) << c.name;
        EXPECT_FALSE(HasFlag()) << c.name;
    }
}

}  // namespace
}  // namespace Tessar
