#include "VQCore/gamelib/OldResumeRecord.h"

#include "common/FileHandle.h"
#include "common/FileReplace.h"
#include "common/ResumeRecord.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace Tessar {

namespace {

struct OldHeadA {
    wchar_t host[1024];
    wchar_t path[1024];
    wchar_t targetPath[260];
    wchar_t dataPath[260];
    wchar_t recordPath[260];
    wchar_t md5[32];
    uint16_t port;
    uint8_t reserved1[6];
    uint64_t totalSize;
    uint64_t doneSize;
    uint32_t rangeCount;
    uint32_t reserved2;
};

struct OldRangeA {
    uint64_t position;
    uint64_t remaining;
};

struct OldRangeB {
    uint64_t first;
    uint64_t length;
    uint64_t position;
    uint64_t remaining;
};

const uint32_t kHeadSizeA = 5752;
const uint32_t kFileSizeA = 5768;
const uint32_t kRangeSizeB = 32;

static_assert(offsetof(OldHeadA, path) == 2048, "layout A");
static_assert(offsetof(OldHeadA, targetPath) == 4096, "layout A");
static_assert(offsetof(OldHeadA, dataPath) == 4616, "layout A");
static_assert(offsetof(OldHeadA, recordPath) == 5136, "layout A");
static_assert(offsetof(OldHeadA, md5) == 5656, "layout A");
static_assert(offsetof(OldHeadA, port) == 5720, "layout A");
static_assert(offsetof(OldHeadA, totalSize) == 5728, "layout A");
static_assert(offsetof(OldHeadA, doneSize) == 5736, "layout A");
static_assert(offsetof(OldHeadA, rangeCount) == 5744, "layout A");
static_assert(sizeof(OldHeadA) == kHeadSizeA, "layout A");
static_assert(sizeof(OldRangeA) == kFileSizeA - kHeadSizeA, "layout A");
static_assert(sizeof(OldRangeB) == kRangeSizeB, "layout B");

bool OpenForReading(const std::wstring& path, HANDLE& file) {
    file = INVALID_HANDLE_VALUE;
    return OpenFileHandle(file, path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0);
}

bool ReadExactly(HANDLE file, void* buffer, uint32_t count) {
    uint32_t got = 0;
    return ReadFileHandle(file, buffer, count, &got) && got == count;
}

bool ReadRecordA(const std::wstring& path, OldHeadA& head, OldRangeA& range) {
    HANDLE file = INVALID_HANDLE_VALUE;
    if (!OpenForReading(path, file))
        return false;
    uint64_t size = 0;
    bool ok = GetFileHandleSize(file, size) && size == kFileSizeA && ReadExactly(file, &head, kHeadSizeA) &&
              ReadExactly(file, &range, sizeof(range));
    CloseFileHandle(file);
    if (!ok)
        return false;
    // One byte too many still to fetch is what the old writer left at the
    // very start of a download; anything beyond is damage.
    int64_t done = static_cast<int64_t>(head.totalSize - range.remaining);
    if (done < -1)
        return false;
    head.doneSize = static_cast<uint64_t>(done);
    return true;
}

bool ReadRecordB(const std::wstring& path, VQResumeHead& head, std::vector<OldRangeB>& ranges) {
    HANDLE file = INVALID_HANDLE_VALUE;
    if (!OpenForReading(path, file))
        return false;
    uint64_t size = 0;
    bool ok = ReadExactly(file, &head, kResumeHeadSize) && GetFileHandleSize(file, size) &&
              size == kResumeHeadSize + static_cast<uint64_t>(kRangeSizeB) * head.rangeCount;
    if (ok) {
        ranges.assign(head.rangeCount, OldRangeB());
        for (size_t i = 0; ok && i < ranges.size(); ++i)
            ok = ReadExactly(file, &ranges[i], kRangeSizeB);
    }
    CloseFileHandle(file);
    return ok;
}

bool WriteCurrentRecord(const std::wstring& path, const VQResumeHead& head, const std::vector<VQRangeRecord>& ranges) {
    return WriteFileReplacing(
        path, [&head, &ranges](const std::wstring& temp) { return CreateResumeRecordFile(temp, head, ranges) == 0; });
}

VQRangeRecord MakeRange(uint64_t first, uint64_t length, uint64_t position, uint64_t remaining) {
    VQRangeRecord range;
    std::memset(&range, 0, sizeof(range));
    range.first = first;
    range.length = length;
    range.position = position;
    range.remaining = remaining;
    return range;
}

}  // namespace

bool UpgradeResumeRecordA(const std::wstring& path) {
    OldHeadA old;
    std::memset(&old, 0, sizeof(old));
    old.port = 80;
    old.rangeCount = 1;
    OldRangeA oldRange = {0, 0};
    if (!ReadRecordA(path, old, oldRange))
        return false;

    VQResumeHead head;
    std::memset(&head, 0, sizeof(head));
    std::memcpy(head.host, old.host, sizeof(old.host));
    std::memcpy(head.path, old.path, sizeof(old.path));
    std::memcpy(head.targetPath, old.targetPath, sizeof(old.targetPath));
    std::memcpy(head.dataPath, old.dataPath, sizeof(old.dataPath));
    std::memcpy(head.recordPath, old.recordPath, sizeof(old.recordPath));
    std::memcpy(head.md5, old.md5, sizeof(old.md5));
    head.port = old.port;
    head.sparePort = 80;
    head.totalSize = old.totalSize;
    head.doneSize = old.doneSize;
    // The new record holds exactly one range, whatever the old count said.
    head.rangeCount = 1;
    std::vector<VQRangeRecord> ranges(1, MakeRange(0, old.totalSize, oldRange.position, oldRange.remaining));
    return WriteCurrentRecord(path, head, ranges);
}

bool UpgradeResumeRecordB(const std::wstring& path) {
    VQResumeHead head;
    ResetResumeHead(head);
    std::vector<OldRangeB> old;
    if (!ReadRecordB(path, head, old))
        return false;
    std::vector<VQRangeRecord> ranges;
    ranges.reserve(old.size());
    for (const OldRangeB& range : old)
        ranges.push_back(MakeRange(range.first, range.length, range.position, range.remaining));
    return WriteCurrentRecord(path, head, ranges);
}

}  // namespace Tessar
