#pragma once
// The resume record of an HTTP range download (".vql"): a head block and
// one record per byte range, written and read as raw little-endian images.
// The data itself goes to the data file (".vqt") beside the target.

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Tessar {

const uint32_t kResumeHeadSize = 9848;
const uint32_t kRangeRecordSize = 40;
// A fresh download's count (a reset head holds it).
const uint32_t kDefaultRangeCount = 2;
// One wait watches every range worker, and a wait takes at most 64 handles.
const uint32_t kMaxRangeCount = MAXIMUM_WAIT_OBJECTS;
extern const wchar_t kDataFileSuffix[];      // L".vqt"
extern const wchar_t kResumeRecordSuffix[];  // L".vql"

struct VQResumeHead {
    wchar_t host[1024];  // zero-filled UTF-16; a full field has no terminator
    wchar_t path[1024];  // from the first "/" on
    wchar_t spareHost[1024];  // empty without a spare URL
    wchar_t sparePath[1024];
    wchar_t targetPath[260];
    wchar_t dataPath[260];    // target path followed by ".vqt"
    wchar_t recordPath[260];  // target path followed by ".vql"
    wchar_t md5[32];          // no terminator; zero when unknown
    uint16_t port;
    uint16_t sparePort;
    uint32_t reserved1;
    uint64_t totalSize;
    uint64_t doneSize;  // recomputed from the ranges when read
    uint32_t rangeCount;
    uint32_t reserved2;
};

struct VQRangeRecord {
    uint64_t first;      // first byte of the range in the file
    uint64_t length;
    uint64_t position;   // next byte to fetch
    uint64_t remaining;  // bytes still to fetch
    uint32_t seconds;    // time spent fetching the range
    uint32_t reserved;
};

static_assert(sizeof(wchar_t) == 2, "the record's texts are UTF-16");
static_assert(offsetof(VQResumeHead, path) == 2048, "resume head layout");
static_assert(offsetof(VQResumeHead, spareHost) == 4096, "resume head layout");
static_assert(offsetof(VQResumeHead, sparePath) == 6144, "resume head layout");
static_assert(offsetof(VQResumeHead, targetPath) == 8192, "resume head layout");
static_assert(offsetof(VQResumeHead, dataPath) == 8712, "resume head layout");
static_assert(offsetof(VQResumeHead, recordPath) == 9232, "resume head layout");
static_assert(offsetof(VQResumeHead, md5) == 9752, "resume head layout");
static_assert(offsetof(VQResumeHead, port) == 9816, "resume head layout");
static_assert(offsetof(VQResumeHead, sparePort) == 9818, "resume head layout");
static_assert(offsetof(VQResumeHead, totalSize) == 9824, "resume head layout");
static_assert(offsetof(VQResumeHead, doneSize) == 9832, "resume head layout");
static_assert(offsetof(VQResumeHead, rangeCount) == 9840, "resume head layout");
static_assert(sizeof(VQResumeHead) == kResumeHeadSize, "resume head layout");
static_assert(offsetof(VQRangeRecord, seconds) == 32, "range record layout");
static_assert(sizeof(VQRangeRecord) == kRangeRecordSize, "range record layout");

// Empty texts, both ports 80, sizes 0, kDefaultRangeCount ranges.
void ResetResumeHead(VQResumeHead& head);

// Copies the text into a fixed field, zero-filling the rest; false (field
// untouched) when it is longer than the field.
bool SetRecordText(wchar_t* field, size_t capacity, const std::wstring& text);
template <size_t N>
bool SetRecordText(wchar_t (&field)[N], const std::wstring& text) {
    return SetRecordText(field, N, text);
}
// The text up to the first zero or the end of the field.
std::wstring GetRecordText(const wchar_t* field, size_t capacity);
template <size_t N>
std::wstring GetRecordText(const wchar_t (&field)[N]) {
    return GetRecordText(field, N);
}

// Range i of n >= 2 starts at (size / n) x i and is size / n long, the
// last one takes the rest; with n < 2 one range covers the file. Every
// range is new: nothing fetched, no time spent.
void SplitIntoRanges(uint64_t size, uint32_t count, std::vector<VQRangeRecord>& ranges);

// Length of the record file of that many ranges.
inline uint64_t ResumeRecordFileSize(uint32_t rangeCount) {
    return kResumeHeadSize + static_cast<uint64_t>(kRangeRecordSize) * rangeCount;
}

// True when every range lies inside the file, its position and remaining
// count agree with each other, and the lengths add up to the total size;
// gives the bytes done.
bool CheckRangeRecords(uint64_t totalSize, const std::vector<VQRangeRecord>& ranges, uint64_t& done);

// Reads a whole record: the file length must match the head's range count
// (1 to kMaxRangeCount) and the ranges must pass CheckRangeRecords. The
// head's bytes done are set from the ranges.
bool ReadResumeRecordFile(const std::wstring& path, VQResumeHead& head, std::vector<VQRangeRecord>& ranges);
// Creates (replacing) the record file at its full length with the head and
// the ranges; 0 or the system error code.
DWORD CreateResumeRecordFile(const std::wstring& path, const VQResumeHead& head,
                             const std::vector<VQRangeRecord>& ranges);
// Writes range record i in place through an open handle.
bool WriteRangeRecord(HANDLE file, uint32_t index, const VQRangeRecord& range);

}  // namespace Tessar
