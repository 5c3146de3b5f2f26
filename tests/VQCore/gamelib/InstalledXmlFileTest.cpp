#include "VQCore/gamelib/InstalledXmlFile.h"

#include "common/CodePage.h"
#include "tests/VQCore/gamelib/DataFileTestUtil.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <string>

namespace Tessar {
namespace {

typedef VQInstalledXmlFile::Record Record;

Record MakeRecord(uint32_t id, const std::wstring& name, uint32_t registered) {
    Record record(new VQGameInstalledInfo);
    record->ID = id;
    record->Name = name;
    record->FullPath = L"C:\\游戏\\" + name + L"\\start.exe";
    record->RunArg = id % 2 == 0 ? L"-window" : L"";
    record->WorkingDir = L"C:\\游戏\\" + name;
    record->SetupDir = L"C:\\游戏\\" + name;
    record->SetupTime = 1300000000 + id;
    record->LastRunTime = 1310000000 + id;
    record->RunCount = id % 7;
    record->Registered = registered;
    return record;
}

void ExpectSame(const VQGameInstalledInfo& a, const VQGameInstalledInfo& b) {
    EXPECT_EQ(a.ID, b.ID);
    EXPECT_EQ(a.Name, b.Name);
    EXPECT_EQ(a.FullPath, b.FullPath);
    EXPECT_EQ(a.RunArg, b.RunArg);
    EXPECT_EQ(a.WorkingDir, b.WorkingDir);
    EXPECT_EQ(a.SetupDir, b.SetupDir);
    EXPECT_EQ(a.SetupTime, b.SetupTime);
    EXPECT_EQ(a.LastRunTime, b.LastRunTime);
    EXPECT_EQ(a.RunCount, b.RunCount);
    EXPECT_EQ(a.Registered, b.Registered);
}

TEST(InstalledXmlFileTest, BothListsReadBackInOrder) {
    VQTempFolder folder;
    VQInstalledXmlFile::Records common = {MakeRecord(42, L"仙剑奇侠传", 1), MakeRecord(20010, L"梦幻西游", 0),
                                          MakeRecord(90001, L"My Game", 0)};
    VQInstalledXmlFile::Records quick = {MakeRecord(40002, L"加速器", 1)};
    VQInstalledXmlFile file;
    file.SetRecords(common, quick);
    EXPECT_EQ(common[1].get(), file.GetCommonRecords()[1].get());  // shared, not copied
    ASSERT_TRUE(file.Save(folder.PathOf(L"install.vqx")));

    VQInstalledXmlFile again(folder.PathOf(L"install.vqx"));
    ASSERT_TRUE(again.Load());
    ASSERT_EQ(3u, again.GetCommonRecords().size());
    ASSERT_EQ(1u, again.GetQuickRecords().size());
    for (size_t i = 0; i < common.size(); ++i)
        ExpectSame(*common[i], *again.GetCommonRecords()[i]);
    ExpectSame(*quick[0], *again.GetQuickRecords()[0]);
}

TEST(InstalledXmlFileTest, WritesFiveDigitIdsAndRegisteredOnlyWhenOne) {
    VQTempFolder folder;
    Record one = MakeRecord(42, L"a", 1);
    Record none(new VQGameInstalledInfo);
    none->ID = 43;
    Record two(new VQGameInstalledInfo);
    two->ID = 44;
    two->Registered = 2;
    two->SetupTime = -5;
    VQInstalledXmlFile file;
    file.SetRecords({one, none, two}, {});
    ASSERT_TRUE(file.Save(folder.PathOf(L"install.vqx")));
    const std::string text = ReadTextLines(folder, L"install.vqx");
    const std::string expectOne = "<ID>00042</ID>\n            <Name>a</Name>\n            <FullPath>" +
                                  WideToNarrow(one->FullPath) + "</FullPath>\n            <RunArg>-window</RunArg>\n"
                                  "            <WorkingDir>" + WideToNarrow(one->WorkingDir) +
                                  "</WorkingDir>\n            <SetupDir>" + WideToNarrow(one->SetupDir) +
                                  "</SetupDir>\n            <SetupTime>1300000042</SetupTime>\n"
                                  "            <LastRunTime>1310000042</LastRunTime>\n"
                                  "            <RunCount>0</RunCount>\n            <Registered>1</Registered>\n";
    const std::string expectNone = "<NODE>\n            <ID>00043</ID>\n            <SetupTime>0</SetupTime>\n"
                                   "            <LastRunTime>0</LastRunTime>\n            <RunCount>0</RunCount>\n"
                                   "        </NODE>";
    EXPECT_NE(std::string::npos, text.find(expectOne)) << text;
    EXPECT_NE(std::string::npos, text.find(expectNone)) << text;
    EXPECT_NE(std::string::npos, text.find("<SetupTime>-5</SetupTime>")) << text;
    EXPECT_NE(std::string::npos, text.find("<QUICK />")) << text;  // an empty quick list stays as an element

    VQInstalledXmlFile again;
    ASSERT_TRUE(again.LoadFile(folder.PathOf(L"install.vqx")));
    ASSERT_EQ(3u, again.GetCommonRecords().size());
    EXPECT_EQ(42u, again.GetCommonRecords()[0]->ID);
    EXPECT_EQ(1u, again.GetCommonRecords()[0]->Registered);
    EXPECT_EQ(0u, again.GetCommonRecords()[1]->Registered);
    EXPECT_EQ(0u, again.GetCommonRecords()[2]->Registered);
    EXPECT_EQ(-5, again.GetCommonRecords()[2]->SetupTime);
}

TEST(InstalledXmlFileTest, QuickBeforeCommonReadsTheSameAndSavesCommonFirst) {
    VQTempFolder folder;
    ASSERT_TRUE(folder.WriteFile(L"i.vqx",
                                 "<INSTALLED><QUICK><NODE><ID>00002</ID></NODE></QUICK><OTHER><NODE><ID>9</ID></NODE>"
                                 "</OTHER><COMMON><NODE><ID>00001</ID><Unknown>u</Unknown></NODE><X><ID>3</ID></X>"
                                 "</COMMON></INSTALLED>"));
    VQInstalledXmlFile file;
    ASSERT_TRUE(file.LoadFile(folder.PathOf(L"i.vqx")));
    ASSERT_EQ(2u, file.GetCommonRecords().size());
    EXPECT_EQ(1u, file.GetCommonRecords()[0]->ID);
    EXPECT_EQ(3u, file.GetCommonRecords()[1]->ID);
    ASSERT_EQ(1u, file.GetQuickRecords().size());
    EXPECT_EQ(2u, file.GetQuickRecords()[0]->ID);

    ASSERT_TRUE(file.Save(folder.PathOf(L"i.vqx")));
    const std::string text = ReadTextLines(folder, L"i.vqx");
    size_t common = text.find("<COMMON>"), quick = text.find("<QUICK>");
    ASSERT_NE(std::string::npos, common);
    ASSERT_NE(std::string::npos, quick);
    EXPECT_LT(common, quick);
    EXPECT_EQ(std::string::npos, text.find("Unknown"));
    EXPECT_EQ(std::string::npos, text.find("OTHER"));
}

// Numbers are read as the C runtime's _wtoi and _wtoi64 read them (blanks,
// a sign, leading digits): no field ever costs its record, which the next
// save would lose for good.
TEST(InstalledXmlFileTest, OddNumbersKeepTheirRecord) {
    struct Case {
        const char* field;
        const char* text;
        int64_t expected;
    };
    const Case cases[] = {
        {"ID", "00042", 42},
        {"ID", "00042abc", 42},
        {"ID", "-42", 4294967254},
        {"ID", "x", 0},
        {"RunCount", "4294967295", 4294967295},
        {"RunCount", "4294967296", 4294967295},
        {"RunCount", "3 times", 3},
        {"Registered", "yes", 0},
        {"Registered", "1", 1},
        {"SetupTime", "-1", -1},
        {"SetupTime", "- 1", 0},
        {"SetupTime", "12x", 12},
        {"LastRunTime", "-9223372036854775808", INT64_MIN},
        {"LastRunTime", "9223372036854775808", INT64_MAX},
        {"LastRunTime", "-99999999999999999999", INT64_MIN},
    };
    VQTempFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.field) + "=" + c.text);
        std::string node =
            std::string("<NODE><Name>n</Name><") + c.field + ">" + c.text + "</" + c.field + "></NODE>";
        ASSERT_TRUE(folder.WriteFile(L"i.vqx", "<INSTALLED><COMMON><NODE><ID>5</ID></NODE>" + node +
                                                   "</COMMON><QUICK>" + node + "</QUICK></INSTALLED>"));
        VQInstalledXmlFile file;
        ASSERT_TRUE(file.LoadFile(folder.PathOf(L"i.vqx")));
        ASSERT_EQ(2u, file.GetCommonRecords().size());
        ASSERT_EQ(1u, file.GetQuickRecords().size());
        for (const VQGameInstalledInfo* record : {file.GetCommonRecords()[1].get(), file.GetQuickRecords()[0].get()}) {
            EXPECT_EQ(L"n", record->Name);
            const std::string field = c.field;
            int64_t value = field == "ID"           ? record->ID
                            : field == "RunCount"   ? record->RunCount
                            : field == "Registered" ? record->Registered
                            : field == "SetupTime"  ? record->SetupTime
                                                    : record->LastRunTime;
            EXPECT_EQ(c.expected, value);
        }
    }
}

TEST(InstalledXmlFileTest, MissingOrBrokenFilesGiveEmptyLists) {
    VQTempFolder folder;
    ASSERT_TRUE(folder.WriteFile(L"good.vqx", "<INSTALLED><COMMON><NODE><ID>1</ID></NODE></COMMON></INSTALLED>"));
    ASSERT_TRUE(folder.WriteFile(L"broken.vqx", "<INSTALLED><COMMON>"));
    ASSERT_TRUE(folder.WriteFile(L"other.vqx", "<DOWNLOAD/>"));
    VQInstalledXmlFile file;
    EXPECT_FALSE(file.LoadFile(folder.PathOf(L"missing.vqx")));
    ASSERT_TRUE(file.LoadFile(folder.PathOf(L"good.vqx")));
    EXPECT_FALSE(file.LoadFile(folder.PathOf(L"broken.vqx")));
    EXPECT_TRUE(file.GetCommonRecords().empty());
    EXPECT_TRUE(file.LoadFile(folder.PathOf(L"other.vqx")));
    EXPECT_TRUE(file.GetCommonRecords().empty());
    EXPECT_FALSE(file.Save(folder.PathOf(L"no such folder\\install.vqx")));
}

TEST(InstalledXmlFileTest, TheUninstallDigestIsKeptAndOlderListsStillLoad) {
    VQTempFolder folder;
    Record kept = MakeRecord(42, L"a", 1);
    kept->UninstallDigest = L"0123456789ABCDEF0123456789ABCDEF";
    Record none = MakeRecord(43, L"b", 0);
    VQInstalledXmlFile file;
    file.SetRecords({kept, none}, {kept});
    ASSERT_TRUE(file.Save(folder.PathOf(L"install.vqx")));
    const std::string text = ReadTextLines(folder, L"install.vqx");
    EXPECT_NE(std::string::npos, text.find("<UninstallDigest>0123456789ABCDEF0123456789ABCDEF</UninstallDigest>"))
        << text;
    // Once per list that holds the record: an empty digest is not written.
    EXPECT_EQ(text.find("<UninstallDigest>", text.find("<QUICK>")), text.rfind("<UninstallDigest>")) << text;

    VQInstalledXmlFile again;
    ASSERT_TRUE(again.LoadFile(folder.PathOf(L"install.vqx")));
    ASSERT_EQ(2u, again.GetCommonRecords().size());
    EXPECT_EQ(kept->UninstallDigest, again.GetCommonRecords()[0]->UninstallDigest);
    EXPECT_EQ(L"", again.GetCommonRecords()[1]->UninstallDigest);
    ASSERT_EQ(1u, again.GetQuickRecords().size());
    EXPECT_EQ(kept->UninstallDigest, again.GetQuickRecords()[0]->UninstallDigest);

    // A list written before the digest was kept.
    ASSERT_TRUE(folder.WriteFile(L"old.vqx",
                                 "<INSTALLED><COMMON><NODE><ID>00007</ID><Name>old</Name><SetupDir>C:\\g</SetupDir>"
                                 "<RunCount>2</RunCount></NODE></COMMON><QUICK /></INSTALLED>"));
    ASSERT_TRUE(again.LoadFile(folder.PathOf(L"old.vqx")));
    ASSERT_EQ(1u, again.GetCommonRecords().size());
    EXPECT_EQ(7u, again.GetCommonRecords()[0]->ID);
    EXPECT_EQ(L"old", again.GetCommonRecords()[0]->Name);
    EXPECT_EQ(L"", again.GetCommonRecords()[0]->UninstallDigest);
}

TEST(InstalledXmlFileTest, TheCreatedFolderIsKeptAndOlderListsReadWithoutOne) {
    VQTempFolder folder;
    Record created = MakeRecord(42, L"a", 1);
    created->SetupDir = L"D:\\Games\\A";
    created->CreatedDir = L"D:\\Games\\A";
    Record shared = MakeRecord(43, L"b", 0);
    shared->SetupDir = L"D:\\Shared";
    VQInstalledXmlFile file;
    file.SetRecords({created, shared}, {});
    ASSERT_TRUE(file.Save(folder.PathOf(L"install.vqx")));
    const std::string text = ReadTextLines(folder, L"install.vqx");
    // Only where there is one.
    EXPECT_EQ(text.find("<CreatedDir>D:\\Games\\A</CreatedDir>"), text.rfind("<CreatedDir>")) << text;

    VQInstalledXmlFile again;
    ASSERT_TRUE(again.LoadFile(folder.PathOf(L"install.vqx")));
    ASSERT_EQ(2u, again.GetCommonRecords().size());
    EXPECT_EQ(L"D:\\Games\\A", again.GetCommonRecords()[0]->CreatedDir);
    EXPECT_EQ(L"", again.GetCommonRecords()[1]->CreatedDir);
    EXPECT_EQ(L"D:\\Shared", again.GetCommonRecords()[1]->SetupDir);

    // A list from before: its folder is no proof of what an install made.
    ASSERT_TRUE(folder.WriteFile(L"old.vqx",
                                 "<INSTALLED><COMMON><NODE><ID>00007</ID><SetupDir>D:\\Shared</SetupDir>"
                                 "<UninstallDigest>0123456789ABCDEF0123456789ABCDEF</UninstallDigest>"
                                 "</NODE></COMMON><QUICK /></INSTALLED>"));
    ASSERT_TRUE(again.LoadFile(folder.PathOf(L"old.vqx")));
    ASSERT_EQ(1u, again.GetCommonRecords().size());
    EXPECT_EQ(L"D:\\Shared", again.GetCommonRecords()[0]->SetupDir);
    EXPECT_EQ(L"", again.GetCommonRecords()[0]->CreatedDir);
}

}  // namespace
}  // namespace Tessar
