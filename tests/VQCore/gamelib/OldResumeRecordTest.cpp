#include "VQCore/gamelib/OldResumeRecord.h"

#include "common/FileFinder.h"
#include "common/ResumeRecord.h"
#include "tests/VQCore/gamelib/OldResumeRecordImages.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Tessar {
namespace {

class OldResumeRecordTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(m_temp.Path().empty()); }

    std::wstring Write(const std::string& image) {
        EXPECT_TRUE(m_temp.WriteFile(L"00042.vqz.vql", image));
        return m_temp.PathOf(L"00042.vqz.vql");
    }
    std::string Read() const { return m_temp.ReadFile(L"00042.vqz.vql"); }
    // Files in the folder: no temporary file may stay behind.
    size_t FileCount() const {
        size_t count = 0;
        FindFileIterator finder;
        FindFileEntry entry;
        for (bool found = finder.First(m_temp.PathOf(L"*"), entry); found; found = finder.Next(entry))
            count += entry.IsFolder() ? 0 : 1;
        return count;
    }

    VQTempFolder m_temp;
    VQOldRecordFields m_fields;
};

TEST_F(OldResumeRecordTest, LayoutABecomesACurrentRecordOfOneRange) {
    const std::wstring path = Write(MakeLayoutARecord(m_fields, 600, 400));
    ASSERT_TRUE(UpgradeResumeRecordA(path));

    EXPECT_EQ(9888u, Read().size());
    VQResumeHead head;
    std::vector<VQRangeRecord> ranges;
    ASSERT_TRUE(ReadResumeRecordFile(path, head, ranges));
    EXPECT_EQ(m_fields.host, GetRecordText(head.host));
    EXPECT_EQ(m_fields.path, GetRecordText(head.path));
    EXPECT_EQ(L"", GetRecordText(head.spareHost));
    EXPECT_EQ(L"", GetRecordText(head.sparePath));
    EXPECT_EQ(m_fields.targetPath, GetRecordText(head.targetPath));
    EXPECT_EQ(m_fields.targetPath + L".vqt", GetRecordText(head.dataPath));
    EXPECT_EQ(m_fields.targetPath + L".vql", GetRecordText(head.recordPath));
    EXPECT_EQ(m_fields.md5, GetRecordText(head.md5));
    EXPECT_EQ(8080, head.port);
    EXPECT_EQ(80, head.sparePort);
    EXPECT_EQ(1000u, head.totalSize);
    EXPECT_EQ(600u, head.doneSize);
    ASSERT_EQ(1u, head.rangeCount);
    ASSERT_EQ(1u, ranges.size());
    EXPECT_EQ(0u, ranges[0].first);
    EXPECT_EQ(1000u, ranges[0].length);
    EXPECT_EQ(600u, ranges[0].position);
    EXPECT_EQ(400u, ranges[0].remaining);
    EXPECT_EQ(0u, ranges[0].seconds);
    // The stored bytes done come from the range, not the old field.
    EXPECT_EQ(600u, ReadImageNumber(Read(), 9832, 8));
}

TEST_F(OldResumeRecordTest, LayoutAIsTakenOnlyWhenItMatchesExactly) {
    struct Case {
        const char* name;
        std::string image;
        bool upgraded;
        uint64_t done;  // as stored, when upgraded
    };
    const std::string good = MakeLayoutARecord(m_fields, 600, 400);
    const Case cases[] = {
        {"one byte short", good.substr(0, 5767), false, 0},
        {"one byte long", good + '\0', false, 0},
        {"nothing fetched yet", MakeLayoutARecord(m_fields, 0, 1000), true, 0},
        // The old writer's count at the start: one more than the file.
        {"one too many to fetch", MakeLayoutARecord(m_fields, 0, 1001), true, UINT64_MAX},
        {"two too many to fetch", MakeLayoutARecord(m_fields, 0, 1002), false, 0},
        {"empty file", std::string(), false, 0},
    };
    for (const Case& c : cases) {
        const std::wstring path = Write(c.image);
        EXPECT_EQ(c.upgraded, UpgradeResumeRecordA(path)) << c.name;
        const std::string after = Read();
        if (c.upgraded) {
            EXPECT_EQ(9888u, after.size()) << c.name;
            EXPECT_EQ(c.done, ReadImageNumber(after, 9832, 8)) << c.name;
        } else {
            EXPECT_EQ(c.image, after) << c.name;
        }
        EXPECT_EQ(1u, FileCount()) << c.name;
    }
}

TEST_F(OldResumeRecordTest, LayoutBKeepsItsHeadAndRanges) {
    const std::vector<VQOldRangeB> old = {{0, 500, 100, 400}, {500, 500, 1000, 0}};
    const std::string image = MakeLayoutBRecord(m_fields, old);
    const std::wstring path = Write(image);
    ASSERT_TRUE(UpgradeResumeRecordB(path));

    const std::string after = Read();
    ASSERT_EQ(9848u + 2 * 40, after.size());
    EXPECT_EQ(image.substr(0, 9848), after.substr(0, 9848));
    VQResumeHead head;
    std::vector<VQRangeRecord> ranges;
    ASSERT_TRUE(ReadResumeRecordFile(path, head, ranges));
    EXPECT_EQ(L"spare.example.com", GetRecordText(head.spareHost));
    EXPECT_EQ(600u, head.doneSize);
    ASSERT_EQ(2u, ranges.size());
    for (size_t i = 0; i < ranges.size(); ++i) {
        EXPECT_EQ(old[i].first, ranges[i].first) << i;
        EXPECT_EQ(old[i].length, ranges[i].length) << i;
        EXPECT_EQ(old[i].position, ranges[i].position) << i;
        EXPECT_EQ(old[i].remaining, ranges[i].remaining) << i;
        EXPECT_EQ(0u, ranges[i].seconds) << i;
        EXPECT_EQ(0u, ranges[i].reserved) << i;
    }
}

TEST_F(OldResumeRecordTest, LayoutBIsTakenOnlyWhenItsLengthMatchesItsCount) {
    struct Case {
        const char* name;
        std::string image;
        bool upgraded;
    };
    const std::string two = MakeLayoutBRecord(m_fields, {{0, 500, 0, 500}, {500, 500, 500, 500}});
    const Case cases[] = {
        {"a range missing", two.substr(0, 9848 + 32), false},
        {"a byte too many", two + '\0', false},
        {"head cut short", two.substr(0, 9000), false},
        {"layout A", MakeLayoutARecord(m_fields, 600, 400), false},
        // Nothing to convert: the rewrite gives the same bytes.
        {"no ranges", MakeLayoutBRecord(m_fields, {}), true},
    };
    for (const Case& c : cases) {
        const std::wstring path = Write(c.image);
        EXPECT_EQ(c.upgraded, UpgradeResumeRecordB(path)) << c.name;
        EXPECT_EQ(c.image, Read()) << c.name;
        EXPECT_EQ(1u, FileCount()) << c.name;
    }
}

TEST_F(OldResumeRecordTest, CurrentRecordsStayAsTheyAre) {
    const uint32_t counts[] = {1, 2, 4, 5};
    for (uint32_t count : counts) {
        VQResumeHead head;
        ResetResumeHead(head);
        SetRecordText(head.host, m_fields.host);
        head.totalSize = 4000;
        head.rangeCount = count;
        std::vector<VQRangeRecord> ranges;
        SplitIntoRanges(head.totalSize, count, ranges);
        const std::wstring path = m_temp.PathOf(L"00042.vqz.vql");
        ASSERT_EQ(0u, CreateResumeRecordFile(path, head, ranges)) << count;
        const std::string before = Read();
        EXPECT_FALSE(UpgradeResumeRecordA(path)) << count;
        EXPECT_FALSE(UpgradeResumeRecordB(path)) << count;
        EXPECT_EQ(before, Read()) << count;
    }
}

TEST_F(OldResumeRecordTest, MissingFileIsNoRecord) {
    EXPECT_FALSE(UpgradeResumeRecordA(m_temp.PathOf(L"none.vql")));
    EXPECT_FALSE(UpgradeResumeRecordB(m_temp.PathOf(L"none.vql")));
    EXPECT_EQ(0u, FileCount());
}

}  // namespace
}  // namespace Tessar
