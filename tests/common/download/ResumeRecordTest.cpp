// The resume record (".vql"): its byte layout, the range split, what a
// reader accepts, and the per-range updates.
#include "common/DownloadEndCodes.h"
#include "common/HttpRangeDownloader.h"
#include "common/ResumeRecord.h"
#include "tests/common/download/DownloadTestSupport.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstring>

namespace Tessar {
namespace Test {
namespace {

uint64_t LittleEndianAt(const std::string& bytes, size_t offset, size_t size) {
    uint64_t value = 0;
    for (size_t i = 0; i < size; ++i)
        value |= static_cast<uint64_t>(static_cast<unsigned char>(bytes[offset + i])) << (8 * i);
    return value;
}

std::wstring Utf16At(const std::string& bytes, size_t offset, size_t chars) {
    std::wstring text;
    for (size_t i = 0; i < chars; ++i) {
        wchar_t c = static_cast<wchar_t>(LittleEndianAt(bytes, offset + 2 * i, 2));
        if (c == 0)
            break;
        text += c;
    }
    return text;
}

// A valid record of three ranges over 1,000 bytes, 10 + 0 + 333 done.
void MakeRecord(VQResumeHead& head, std::vector<VQRangeRecord>& ranges) {
    ResetResumeHead(head);
    SetRecordText(head.host, L"dl.example.com");
    SetRecordText(head.path, L"/a.bin");
    SetRecordText(head.targetPath, L"C:\\games\\a.bin");
    SetRecordText(head.dataPath, L"C:\\games\\a.bin.vqt");
    SetRecordText(head.recordPath, L"C:\\games\\a.bin.vql");
    head.totalSize = 1000;
    head.rangeCount = 3;
    SplitIntoRanges(1000, 3, ranges);
    ranges[0].position += 10;
    ranges[0].remaining -= 10;
    ranges[2].position += 333;
    ranges[2].remaining -= 333;
}

TEST(ResumeRecord, ResetHead) {
    VQResumeHead head;
    memset(&head, 0x5A, sizeof(head));
    ResetResumeHead(head);
    EXPECT_EQ(80, head.port);
    EXPECT_EQ(80, head.sparePort);
    EXPECT_EQ(2u, head.rangeCount);
    EXPECT_EQ(0u, head.totalSize);
    EXPECT_EQ(0u, head.doneSize);
    EXPECT_EQ(L"", GetRecordText(head.host));
    EXPECT_EQ(L"", GetRecordText(head.md5));
}

TEST(ResumeRecord, TextFields) {
    wchar_t field[4];
    EXPECT_TRUE(SetRecordText(field, L"abcd"));  // a full field has no terminator
    EXPECT_EQ(L"abcd", GetRecordText(field));
    EXPECT_TRUE(SetRecordText(field, L"x"));
    EXPECT_EQ(L"x", GetRecordText(field));
    EXPECT_EQ(0, field[3]);
    EXPECT_FALSE(SetRecordText(field, L"abcde"));
    EXPECT_EQ(L"x", GetRecordText(field));
}

TEST(ResumeRecord, LayoutIsByteExact) {
    VQTempFolder temp;
    VQResumeHead head;
    ResetResumeHead(head);
    SetRecordText(head.host, L"h\x6E38");
    SetRecordText(head.path, L"/p");
    SetRecordText(head.spareHost, L"s");
    SetRecordText(head.sparePath, L"/sp");
    SetRecordText(head.targetPath, L"C:\\t");
    SetRecordText(head.dataPath, L"C:\\t.vqt");
    SetRecordText(head.recordPath, L"C:\\t.vql");
    SetRecordText(head.md5, L"0123456789ABCDEF0123456789ABCDEF");
    head.port = 0x1234;
    head.sparePort = 0x5678;
    head.totalSize = 0x0000000180000000ull;  // 6 GiB: offsets above 32 bits
    head.doneSize = 0x1122334455667788ull;
    head.rangeCount = 2;
    std::vector<VQRangeRecord> ranges;
    SplitIntoRanges(head.totalSize, 2, ranges);
    ranges[1].position += 0x80000001ull;
    ranges[1].remaining -= 0x80000001ull;
    ranges[1].seconds = 0xA1B2C3D4u;
    std::wstring path = temp.PathOf(L"layout.vql");
    ASSERT_EQ(0u, CreateResumeRecordFile(path, head, ranges));

    std::string bytes = ReadWholeFile(path);
    ASSERT_EQ(9848u + 2 * 40, bytes.size());
    EXPECT_EQ(L"h\x6E38", Utf16At(bytes, 0, 1024));
    EXPECT_EQ(L"/p", Utf16At(bytes, 2048, 1024));
    EXPECT_EQ(L"s", Utf16At(bytes, 4096, 1024));
    EXPECT_EQ(L"/sp", Utf16At(bytes, 6144, 1024));
    EXPECT_EQ(L"C:\\t", Utf16At(bytes, 8192, 260));
    EXPECT_EQ(L"C:\\t.vqt", Utf16At(bytes, 8712, 260));
    EXPECT_EQ(L"C:\\t.vql", Utf16At(bytes, 9232, 260));
    EXPECT_EQ(L"0123456789ABCDEF0123456789ABCDEF", Utf16At(bytes, 9752, 32));
    EXPECT_EQ(0x1234u, LittleEndianAt(bytes, 9816, 2));
    EXPECT_EQ(0x5678u, LittleEndianAt(bytes, 9818, 2));
    EXPECT_EQ(0u, LittleEndianAt(bytes, 9820, 4));
    EXPECT_EQ(0x0000000180000000ull, LittleEndianAt(bytes, 9824, 8));
    EXPECT_EQ(0x1122334455667788ull, LittleEndianAt(bytes, 9832, 8));
    EXPECT_EQ(2u, LittleEndianAt(bytes, 9840, 4));
    EXPECT_EQ(0u, LittleEndianAt(bytes, 9844, 4));
    // Range 1: first, length, position, remaining, seconds, reserved.
    EXPECT_EQ(0xC0000000ull, LittleEndianAt(bytes, 9888, 8));
    EXPECT_EQ(0xC0000000ull, LittleEndianAt(bytes, 9896, 8));
    EXPECT_EQ(0x140000001ull, LittleEndianAt(bytes, 9904, 8));
    EXPECT_EQ(0x3FFFFFFFull, LittleEndianAt(bytes, 9912, 8));
    EXPECT_EQ(0xA1B2C3D4u, LittleEndianAt(bytes, 9920, 4));
    EXPECT_EQ(0u, LittleEndianAt(bytes, 9924, 4));

    VQResumeHead read;
    std::vector<VQRangeRecord> readRanges;
    ASSERT_TRUE(ReadResumeRecordFile(path, read, readRanges));
    EXPECT_EQ(0x80000001ull, read.doneSize);  // recomputed, not as stored
    EXPECT_EQ(0x1234, read.port);
    ASSERT_EQ(2u, readRanges.size());
    EXPECT_EQ(0x140000001ull, readRanges[1].position);
}

TEST(ResumeRecord, SplitIntoRanges) {
    struct Case {
        const char* name;
        uint64_t size;
        uint32_t count;
        std::vector<std::pair<uint64_t, uint64_t>> ranges;  // first, length
    } cases[] = {
        {"ten in three", 10, 3, {{0, 3}, {3, 3}, {6, 4}}},
        {"two", 11, 2, {{0, 5}, {5, 6}}},
        {"one", 10, 1, {{0, 10}}},
        {"none asked", 10, 0, {{0, 10}}},
        {"fewer bytes than ranges", 2, 3, {{0, 0}, {0, 0}, {0, 2}}},
        {"6 GiB + 1", 6442450945ull, 2, {{0, 3221225472ull}, {3221225472ull, 3221225473ull}}},
    };
    for (const Case& c : cases) {
        std::vector<VQRangeRecord> ranges;
        SplitIntoRanges(c.size, c.count, ranges);
        ASSERT_EQ(c.ranges.size(), ranges.size()) << c.name;
        for (size_t i = 0; i < ranges.size(); ++i) {
            EXPECT_EQ(c.ranges[i].first, ranges[i].first) << c.name << " " << i;
            EXPECT_EQ(c.ranges[i].second, ranges[i].length) << c.name << " " << i;
            EXPECT_EQ(ranges[i].first, ranges[i].position) << c.name << " " << i;
            EXPECT_EQ(ranges[i].length, ranges[i].remaining) << c.name << " " << i;
            EXPECT_EQ(0u, ranges[i].seconds) << c.name << " " << i;
        }
    }
}

TEST(ResumeRecord, ReaderRefusesBrokenRecords) {
    VQTempFolder temp;
    std::wstring path = temp.PathOf(L"r.vql");
    struct Case {
        const char* name;
        void (*spoil)(VQResumeHead&, std::vector<VQRangeRecord>&);
        int extraBytes;  // appended (or, below 0, cut off) after writing
    } cases[] = {
        {"valid", [](VQResumeHead&, std::vector<VQRangeRecord>&) {}, 0},
        {"one byte more", [](VQResumeHead&, std::vector<VQRangeRecord>&) {}, 1},
        {"one byte less", [](VQResumeHead&, std::vector<VQRangeRecord>&) {}, -1},
        {"count above the ranges", [](VQResumeHead& h, std::vector<VQRangeRecord>&) { h.rangeCount = 4; }, 0},
        {"lengths short of the total", [](VQResumeHead& h, std::vector<VQRangeRecord>&) { h.totalSize = 1001; }, 0},
        {"position past the range",
         [](VQResumeHead&, std::vector<VQRangeRecord>& r) { r[1].position = r[1].first + r[1].length + 1; }, 0},
        {"remaining above the length",
         [](VQResumeHead&, std::vector<VQRangeRecord>& r) { r[0].remaining = r[0].length + 1; }, 0},
        // A position before its range would make a worker write into the
        // range before it.
        {"position before the range",
         [](VQResumeHead&, std::vector<VQRangeRecord>& r) { r[1].position = r[1].first - 1; }, 0},
        {"range beyond the file",
         [](VQResumeHead&, std::vector<VQRangeRecord>& r) {
             r[2].first += 5;
             r[2].position += 5;
         },
         0},
    };
    for (const auto& c : cases) {
        VQResumeHead head;
        std::vector<VQRangeRecord> ranges;
        MakeRecord(head, ranges);
        c.spoil(head, ranges);
        std::vector<VQRangeRecord> written = ranges;
        written.resize(3);
        ASSERT_EQ(0u, CreateResumeRecordFile(path, head, written)) << c.name;
        std::string bytes = ReadWholeFile(path);
        if (c.extraBytes > 0)
            bytes += std::string(c.extraBytes, '\0');
        else if (c.extraBytes < 0)
            bytes.resize(bytes.size() + c.extraBytes);
        ASSERT_TRUE(WriteWholeFile(path, bytes)) << c.name;

        bool valid = std::string(c.name) == "valid";
        HttpRangeDownloader downloader;
        EXPECT_EQ(valid, downloader.ReadResumeRecord(path)) << c.name;
        EXPECT_EQ(valid, downloader.IsLoaded()) << c.name;
        if (valid) {
            EXPECT_EQ(343u, downloader.GetBytesDone()) << c.name;
        } else {
            VQRecordingCallback callback;
            EXPECT_EQ(kDownloadRecordUnreadable, downloader.Resume(&callback, VQRemoteFileInfo(), path)) << c.name;
        }
    }
}

TEST(ResumeRecord, ResumeRefusesARecordOfOtherFiles) {
    // The workers write into the data file the record names: it must be
    // the record's own target followed by ".vqt".
    VQTempFolder temp;
    std::wstring path = temp.PathOf(L"o.vql");
    VQResumeHead head;
    std::vector<VQRangeRecord> ranges;
    MakeRecord(head, ranges);
    SetRecordText(head.dataPath, L"C:\\windows\\system32\\kernel32.dll");
    ASSERT_EQ(0u, CreateResumeRecordFile(path, head, ranges));
    HttpRangeDownloader downloader;
    ASSERT_TRUE(downloader.ReadResumeRecord(path));
    VQRecordingCallback callback;
    EXPECT_EQ(kDownloadRecordUnreadable, downloader.Resume(&callback, VQRemoteFileInfo(), path));
    EXPECT_TRUE(callback.Stages().empty());
}

TEST(ResumeRecord, RangeCountMustFitOneWait) {
    VQTempFolder temp;
    std::wstring path = temp.PathOf(L"many.vql");
    for (uint32_t count : {64u, 65u}) {
        VQResumeHead head;
        ResetResumeHead(head);
        head.totalSize = 6400;
        head.rangeCount = count;
        std::vector<VQRangeRecord> ranges;
        SplitIntoRanges(6400, count, ranges);
        ASSERT_EQ(0u, CreateResumeRecordFile(path, head, ranges));
        VQResumeHead read;
        std::vector<VQRangeRecord> readRanges;
        EXPECT_EQ(count <= 64, ReadResumeRecordFile(path, read, readRanges)) << count;
    }
}

TEST(ResumeRecord, WriteTouchesOnlyItsRangeRecord) {
    VQTempFolder temp;
    std::wstring path = temp.PathOf(L"w.vql");
    VQResumeHead head;
    std::vector<VQRangeRecord> ranges;
    MakeRecord(head, ranges);
    ASSERT_EQ(0u, CreateResumeRecordFile(path, head, ranges));
    std::string before = ReadWholeFile(path);

    HttpRangeDownloader downloader;
    ASSERT_TRUE(downloader.ReadResumeRecord(path));
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    EXPECT_TRUE(downloader.WriteResumeRecord(1, 7, file));
    CloseHandle(file);
    EXPECT_FALSE(downloader.IsLoaded());
    EXPECT_FALSE(downloader.WriteResumeRecord(1, 8, INVALID_HANDLE_VALUE));
    EXPECT_FALSE(downloader.WriteResumeRecord(3, 8, INVALID_HANDLE_VALUE));

    std::string after = ReadWholeFile(path);
    ASSERT_EQ(before.size(), after.size());
    const size_t at = 9848 + 40;
    EXPECT_EQ(before.substr(0, at), after.substr(0, at));
    EXPECT_EQ(before.substr(at + 40), after.substr(at + 40));
    EXPECT_EQ(ranges[1].first + 7, LittleEndianAt(after, at + 16, 8));
    EXPECT_EQ(ranges[1].length - 7, LittleEndianAt(after, at + 24, 8));
}

TEST(ResumeRecord, AverageSpeedSumsBytesAndSecondsOverTheRanges) {
    VQTempFolder temp;
    std::wstring path = temp.PathOf(L"s.vql");
    VQResumeHead head;
    std::vector<VQRangeRecord> ranges;
    MakeRecord(head, ranges);
    HttpRangeDownloader downloader;
    EXPECT_EQ(0.0, downloader.AverageSpeed());

    ASSERT_EQ(0u, CreateResumeRecordFile(path, head, ranges));
    ASSERT_TRUE(downloader.ReadResumeRecord(path));
    EXPECT_EQ(0.0, downloader.AverageSpeed());  // no seconds spent yet

    ranges[0].seconds = 1;
    ranges[2].seconds = 6;
    ASSERT_EQ(0u, CreateResumeRecordFile(path, head, ranges));
    ASSERT_TRUE(downloader.ReadResumeRecord(path));
    EXPECT_DOUBLE_EQ(343.0 / 7.0, downloader.AverageSpeed());
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
