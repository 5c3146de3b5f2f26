#include "common/ResumeRecord.h"

#include "common/FileHandle.h"

#include <cstring>

namespace Tessar {

const wchar_t kDataFileSuffix[] = L".vqt";
const wchar_t kResumeRecordSuffix[] = L".vql";

void ResetResumeHead(VQResumeHead& head) {
    memset(&head, 0, sizeof(head));
    head.port = 80;
    head.sparePort = 80;
    head.rangeCount = kDefaultRangeCount;
}

bool SetRecordText(wchar_t* field, size_t capacity, const std::wstring& text) {
    if (text.size() > capacity)
        return false;
    memset(field, 0, capacity * sizeof(wchar_t));
    memcpy(field, text.data(), text.size() * sizeof(wchar_t));
    return true;
}

std::wstring GetRecordText(const wchar_t* field, size_t capacity) {
    size_t length = 0;
    while (length < capacity && field[length] != 0)
        ++length;
    return std::wstring(field, length);
}

void SplitIntoRanges(uint64_t size, uint32_t count, std::vector<VQRangeRecord>& ranges) {
    if (count < 2)
        count = 1;
    ranges.assign(count, VQRangeRecord());
    uint64_t part = size / count;
    for (uint32_t i = 0; i < count; ++i) {
        VQRangeRecord& range = ranges[i];
        memset(&range, 0, sizeof(range));
        range.first = part * i;
        range.length = (i + 1 == count) ? size - part * (count - 1) : part;
        range.position = range.first;
        range.remaining = range.length;
    }
}

bool CheckRangeRecords(uint64_t totalSize, const std::vector<VQRangeRecord>& ranges, uint64_t& done) {
    uint64_t lengths = 0;
    uint64_t fetched = 0;
    for (const VQRangeRecord& range : ranges) {
        // Each range must lie inside the file and its position must be
        // where its remaining count says: a worker writes from there on.
        if (range.length > totalSize || range.first > totalSize - range.length)
            return false;
        if (range.remaining > range.length || range.position != range.first + (range.length - range.remaining))
            return false;
        lengths += range.length;
        fetched += range.length - range.remaining;
        if (lengths > totalSize)
            return false;
    }
    if (lengths != totalSize)
        return false;
    done = fetched;
    return true;
}

bool ReadResumeRecordFile(const std::wstring& path, VQResumeHead& head, std::vector<VQRangeRecord>& ranges) {
    HANDLE file = INVALID_HANDLE_VALUE;
    if (!OpenFileHandle(file, path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0))
        return false;
    VQResumeHead readHead;
    std::vector<VQRangeRecord> readRanges;
    uint64_t fileSize = 0;
    uint32_t got = 0;
    bool ok = ReadFileHandle(file, &readHead, kResumeHeadSize, &got) && got == kResumeHeadSize &&
              readHead.rangeCount >= 1 && readHead.rangeCount <= kMaxRangeCount &&
              GetFileHandleSize(file, fileSize) && fileSize == ResumeRecordFileSize(readHead.rangeCount);
    if (ok) {
        readRanges.resize(readHead.rangeCount);
        uint32_t bytes = kRangeRecordSize * readHead.rangeCount;
        ok = ReadFileHandle(file, readRanges.data(), bytes, &got) && got == bytes;
    }
    CloseFileHandle(file);
    uint64_t done = 0;
    if (!ok || !CheckRangeRecords(readHead.totalSize, readRanges, done))
        return false;
    readHead.doneSize = done;
    head = readHead;
    ranges.swap(readRanges);
    return true;
}

DWORD CreateResumeRecordFile(const std::wstring& path, const VQResumeHead& head,
                             const std::vector<VQRangeRecord>& ranges) {
    HANDLE file = INVALID_HANDLE_VALUE;
    if (!OpenFileHandle(file, path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, CREATE_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL)) {
        DWORD error = GetLastError();
        return error != 0 ? error : ERROR_OPEN_FAILED;
    }
    uint64_t size = ResumeRecordFileSize(static_cast<uint32_t>(ranges.size()));
    bool ok = SeekFileHandle(file, static_cast<int64_t>(size), FILE_BEGIN) && SetEndOfFile(file) &&
              RewindFileHandle(file) && WriteFileHandle(file, &head, kResumeHeadSize);
    for (size_t i = 0; ok && i < ranges.size(); ++i)
        ok = WriteFileHandle(file, &ranges[i], kRangeRecordSize);
    DWORD error = ok ? 0 : GetLastError();
    if (!CloseFileHandleChecked(file) && ok)
        error = GetLastError();
    if (!ok && error == 0)
        error = ERROR_WRITE_FAULT;
    return error;
}

bool WriteRangeRecord(HANDLE file, uint32_t index, const VQRangeRecord& range) {
    if (file == INVALID_HANDLE_VALUE || file == nullptr)
        return false;
    int64_t offset = kResumeHeadSize + static_cast<int64_t>(kRangeRecordSize) * index;
    return SeekFileHandle(file, offset, FILE_BEGIN) && WriteFileHandle(file, &range, kRangeRecordSize);
}

}  // namespace Tessar
