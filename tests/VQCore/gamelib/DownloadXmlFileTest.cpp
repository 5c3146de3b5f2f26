#include "VQCore/gamelib/DownloadXmlFile.h"

#include "common/CodePage.h"
#include "tests/VQCore/gamelib/DataFileTestUtil.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <string>

namespace Tessar {
namespace {

typedef VQDownloadXmlFile::Record Record;

Record MakeRecord(uint32_t id, const std::wstring& url, uint32_t state, int64_t completed, int64_t total) {
    Record record(new VQGameDownloadInfo);
    record->ID = id;
    record->Type = id % 2 == 0 ? 2 : 1;
    record->URL = url;
    record->LogPath = L"D:\\下载\\game" + std::to_wstring(id) + L".exe.vql";
    record->SetupPath = L"D:\\下载\\game" + std::to_wstring(id) + L".exe";
    record->State = state;
    record->Completed = completed;
    record->Total = total;
    return record;
}

void ExpectSame(const VQGameDownloadInfo& a, const VQGameDownloadInfo& b) {
    EXPECT_EQ(a.ID, b.ID);
    EXPECT_EQ(a.Type, b.Type);
    EXPECT_EQ(a.URL, b.URL);
    EXPECT_EQ(a.LogPath, b.LogPath);
    EXPECT_EQ(a.SetupPath, b.SetupPath);
    EXPECT_EQ(a.State, b.State);
    EXPECT_EQ(a.Completed, b.Completed);
    EXPECT_EQ(a.Total, b.Total);
}

TEST(DownloadXmlFileTest, SavedRecordsReadBackInOrder) {
    VQTempFolder folder;
    VQDownloadXmlFile file;
    VQDownloadXmlFile::Records records = {
        MakeRecord(42, L"http://dl.example.com/游戏.exe", 4, 1234, 5000000000LL),
        MakeRecord(20001, L"", 3, 0, 0),
        MakeRecord(7, L"http://dl.example.com/7.exe", 1, 0, 99),
    };
    file.SetRecords(records);
    EXPECT_EQ(records[0].get(), file.GetRecords()[0].get());  // shared, not copied
    const std::wstring path = folder.PathOf(L"download.vqx");
    ASSERT_TRUE(file.Save(path));

    VQDownloadXmlFile again(path);
    ASSERT_TRUE(again.Load());
    ASSERT_EQ(3u, again.GetRecords().size());
    for (size_t i = 0; i < records.size(); ++i) {
        SCOPED_TRACE(i);
        ExpectSame(*records[i], *again.GetRecords()[i]);
    }
}

TEST(DownloadXmlFileTest, WritesFieldsInOrderAndLeavesOutEmptyOnes) {
    VQTempFolder folder;
    VQDownloadXmlFile file;
    Record full = MakeRecord(42, L"http://a/b", 2, 10, 20);
    Record bare(new VQGameDownloadInfo);
    bare->ID = 43;
    bare->State = 4;
    bare->Type = 1;
    file.SetRecords({full, bare});
    ASSERT_TRUE(file.Save(folder.PathOf(L"download.vqx")));
    std::string text = ReadTextLines(folder, L"download.vqx");
    const std::string expectFull =
        "<NODE>\n        <ID>42</ID>\n        <URL>http://a/b</URL>\n        <LogPath>" +
        WideToNarrow(full->LogPath) + "</LogPath>\n        <SetupPath>" + WideToNarrow(full->SetupPath) +
        "</SetupPath>\n        <State>2</State>\n        <Type>2</Type>\n        <Total>20</Total>\n"
        "        <Completed>10</Completed>\n    </NODE>";
    const std::string expectBare = "<NODE>\n        <ID>43</ID>\n        <State>4</State>\n        <Type>1</Type>\n    </NODE>";
    EXPECT_EQ(0u, text.find("<DOWNLOAD>\n    "));
    EXPECT_NE(std::string::npos, text.find(expectFull)) << text;
    EXPECT_NE(std::string::npos, text.find(expectBare)) << text;

    VQDownloadXmlFile again;
    ASSERT_TRUE(again.LoadFile(folder.PathOf(L"download.vqx")));
    ASSERT_EQ(2u, again.GetRecords().size());
    ExpectSame(*bare, *again.GetRecords()[1]);
}

TEST(DownloadXmlFileTest, EveryChildIsARecordAndUnknownFieldsAreIgnored) {
    VQTempFolder folder;
    ASSERT_TRUE(folder.WriteFile(L"d.vqx",
                                 "<DOWNLOAD><NODE><ID>1</ID><Extra>x</Extra><URL/></NODE>"
                                 "<ITEM><ID>2</ID><State>5</State></ITEM>"
                                 "<NODE><Total><b>3</b></Total></NODE></DOWNLOAD><OTHER/>"));
    VQDownloadXmlFile file(folder.PathOf(L"d.vqx"));
    ASSERT_TRUE(file.Load());
    ASSERT_EQ(3u, file.GetRecords().size());
    EXPECT_EQ(1u, file.GetRecords()[0]->ID);
    EXPECT_EQ(L"", file.GetRecords()[0]->URL);
    EXPECT_EQ(2u, file.GetRecords()[1]->ID);
    EXPECT_EQ(5u, file.GetRecords()[1]->State);
    EXPECT_EQ(0u, file.GetRecords()[2]->ID);
    EXPECT_EQ(0, file.GetRecords()[2]->Total);  // an element holding no text counts as missing

    ASSERT_TRUE(file.Save(folder.PathOf(L"d.vqx")));
    std::string text = ReadTextLines(folder, L"d.vqx");
    EXPECT_EQ(std::string::npos, text.find("Extra"));
    EXPECT_EQ(std::string::npos, text.find("ITEM"));
    EXPECT_EQ(std::string::npos, text.find("OTHER"));
}

// Numbers are read from their leading digits and kept by the field's low
// 32 bits (sizes never past the signed 64-bit range): no field ever costs
// its record, which the next save would lose for good.
TEST(DownloadXmlFileTest, OddNumbersKeepTheirRecord) {
    struct Case {
        const char* field;
        const char* text;
        uint64_t expected;
    };
    const Case cases[] = {
        {"ID", "42", 42},
        {"ID", " 00042 ", 42},
        {"ID", "00042abc", 42},
        {"ID", "-1", 0},
        {"ID", "+1", 0},
        {"ID", "abc", 0},
        {"ID", "4294967295", 4294967295u},
        {"ID", "4294967297", 1},
        {"State", "2x", 2},
        {"Type", "99999999999", 1215752191u},
        {"Total", "9223372036854775807", 9223372036854775807u},
        {"Total", "9223372036854775808", 9223372036854775807u},
        {"Total", "99999999999999999999999", 9223372036854775807u},
        {"Completed", "1.5", 1},
        {"Completed", "-3", 0},
    };
    VQTempFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.field) + "=" + c.text);
        std::string node = std::string("<NODE><URL>u</URL><") + c.field + ">" + c.text + "</" + c.field + "></NODE>";
        ASSERT_TRUE(folder.WriteFile(L"d.vqx", "<DOWNLOAD><NODE><ID>5</ID></NODE>" + node + "</DOWNLOAD>"));
        VQDownloadXmlFile file;
        ASSERT_TRUE(file.LoadFile(folder.PathOf(L"d.vqx")));
        ASSERT_EQ(2u, file.GetRecords().size());
        EXPECT_EQ(5u, file.GetRecords()[0]->ID);
        const VQGameDownloadInfo& record = *file.GetRecords()[1];
        EXPECT_EQ(L"u", record.URL);
        const std::string field = c.field;
        uint64_t value = field == "ID" ? record.ID
                         : field == "State" ? record.State
                         : field == "Type" ? record.Type
                         : field == "Total" ? static_cast<uint64_t>(record.Total)
                                            : static_cast<uint64_t>(record.Completed);
        EXPECT_EQ(c.expected, value);
    }
}

TEST(DownloadXmlFileTest, MissingOrBrokenFilesGiveNoRecords) {
    VQTempFolder folder;
    ASSERT_TRUE(folder.WriteFile(L"good.vqx", "<DOWNLOAD><NODE><ID>1</ID></NODE></DOWNLOAD>"));
    ASSERT_TRUE(folder.WriteFile(L"broken.vqx", "<DOWNLOAD><NODE><ID>1</ID></NODE>"));
    ASSERT_TRUE(folder.WriteFile(L"other.vqx", "<INSTALLED/>"));
    VQDownloadXmlFile file;
    ASSERT_TRUE(file.LoadFile(folder.PathOf(L"good.vqx")));
    EXPECT_EQ(1u, file.GetRecords().size());

    EXPECT_FALSE(file.LoadFile(folder.PathOf(L"missing.vqx")));
    EXPECT_TRUE(file.GetRecords().empty());
    ASSERT_TRUE(file.LoadFile(folder.PathOf(L"good.vqx")));
    EXPECT_FALSE(file.LoadFile(folder.PathOf(L"broken.vqx")));
    EXPECT_TRUE(file.GetRecords().empty());
    EXPECT_TRUE(file.LoadFile(folder.PathOf(L"other.vqx")));
    EXPECT_TRUE(file.GetRecords().empty());

    ASSERT_TRUE(file.LoadFile(folder.PathOf(L"good.vqx")));
    file.Close();
    EXPECT_TRUE(file.GetRecords().empty());
    EXPECT_EQ(nullptr, file.GetDocument());
}

TEST(DownloadXmlFileTest, FailedSaveIsReportedAndKeepsNothingHalfWritten) {
    VQTempFolder folder;
    VQDownloadXmlFile file;
    file.SetRecords({MakeRecord(1, L"http://a", 1, 0, 0)});
    EXPECT_FALSE(file.Save(folder.PathOf(L"no such folder\\download.vqx")));
    EXPECT_TRUE(file.Save(folder.PathOf(L"empty.vqx")));
    file.SetRecords({});
    ASSERT_TRUE(file.Save(folder.PathOf(L"empty.vqx")));
    EXPECT_EQ("<DOWNLOAD />\n", ReadTextLines(folder, L"empty.vqx"));
}

}  // namespace
}  // namespace Tessar
