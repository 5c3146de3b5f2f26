#pragma once
// The disk id for the statistics requests: the serial number of the first
// fixed ATA disk that answers an identify query. Nothing is kept: every
// call opens the devices again.

#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace Tessar {

// 512 bytes (256 little-endian words) of ATA IDENTIFY data.
typedef std::array<uint8_t, 512> DiskIdentifyRecord;
// Distinct records in the order first met.
typedef std::vector<DiskIdentifyRecord> DiskRecordList;

// What the disk queries use of the system; tests answer with their own
// devices (Wine has no SMART or SCSI miniport queries).
struct VQDiskIoSource {
    std::function<bool(OSVERSIONINFOW& version)> getVersion;
    // INVALID_HANDLE_VALUE when the device cannot be opened.
    std::function<HANDLE(const std::wstring& path, DWORD access, DWORD share, DWORD disposition, DWORD flags)> open;
    std::function<bool(HANDLE device, DWORD code, void* input, DWORD inputSize, void* output, DWORD outputSize)>
        control;
    std::function<void(HANDLE device)> close;
    std::function<void(DWORD priorityClass)> setPriorityClass;
};
const VQDiskIoSource& SystemDiskIoSource();

// Empty when no fixed disk gives a serial number.
std::wstring GetDiskId();
std::wstring GetDiskId(const VQDiskIoSource& source);

// Empties the list, then runs the queries of the platform: the three NT
// methods in turn, or the Windows 9x driver until it answers (at most 10
// times). True when the list holds a record.
bool ReadDiskSerials(DiskRecordList& list, const VQDiskIoSource& source);
// Each is true when one query succeeded, even if every record it got was
// already listed.
bool ReadDiskSerialSmartAlt(DiskRecordList& list, const VQDiskIoSource& source);
bool ReadDiskSerialScsi(DiskRecordList& list, const VQDiskIoSource& source);
bool ReadDiskSerialSmart(DiskRecordList& list, const VQDiskIoSource& source);
bool ReadDiskSerialVxd(DiskRecordList& list, const VQDiskIoSource& source);

// False when an equal record is already listed.
bool AddDiskRecord(DiskRecordList& list, const uint8_t* identifyData);
// Words 10-19, each high byte first, trailing blanks removed (never the
// first character), up to the first zero byte. Empty for a bad index.
std::string GetDiskSerialText(const DiskRecordList& list, size_t index);
void ClearDiskList(DiskRecordList& list);

}  // namespace Tessar
