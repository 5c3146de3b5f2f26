#include "common/DiskSerial.h"

#include "common/CodePage.h"
#include "common/DiskIoLayout.h"
#include "common/FormatText.h"

#include <algorithm>
#include <cstring>

namespace Tessar {

namespace {

const int kDriveCount = 16;
const int kVxdAttempts = 10;
const BYTE kAtaIdentify = 0xEC;         // IDENTIFY DEVICE
const BYTE kAtapiIdentify = 0xA1;       // IDENTIFY PACKET DEVICE
const BYTE kDriveHeadMaster = 0xA0;
const BYTE kDriveHeadSlave = 0x10;

// A device of the source, closed when it goes out of scope.
class Device {
public:
    Device(const VQDiskIoSource& source, const std::wstring& path, DWORD access, DWORD share,
           DWORD disposition = OPEN_EXISTING, DWORD flags = 0)
        : m_source(source), m_handle(source.open(path, access, share, disposition, flags)) {}
    ~Device() {
        if (IsOpen())
            m_source.close(m_handle);
    }
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;

    bool IsOpen() const { return m_handle != INVALID_HANDLE_VALUE && m_handle != nullptr; }
    bool Control(DWORD code, void* input, DWORD inputSize, void* output, DWORD outputSize) const {
        return m_source.control(m_handle, code, input, inputSize, output, outputSize);
    }

private:
    const VQDiskIoSource& m_source;
    HANDLE m_handle;
};

bool GetSmartVersion(const Device& device, GETVERSIONINPARAMS& version) {
    std::memset(&version, 0, sizeof(version));
    return device.Control(SMART_GET_VERSION, nullptr, 0, &version, kSmartVersionSize);
}

}  // namespace

const VQDiskIoSource& SystemDiskIoSource() {
    static const VQDiskIoSource source = {
        [](OSVERSIONINFOW& version) {
            version.dwOSVersionInfoSize = sizeof(version);
            return ::GetVersionExW(&version) != FALSE;
        },
        [](const std::wstring& path, DWORD access, DWORD share, DWORD disposition, DWORD flags) {
            return ::CreateFileW(path.c_str(), access, share, nullptr, disposition, flags, nullptr);
        },
        [](HANDLE device, DWORD code, void* input, DWORD inputSize, void* output, DWORD outputSize) {
            DWORD returned = 0;
            return ::DeviceIoControl(device, code, input, inputSize, output, outputSize, &returned, nullptr) != FALSE;
        },
        [](HANDLE device) { ::CloseHandle(device); },
        [](DWORD priorityClass) { ::SetPriorityClass(::GetCurrentProcess(), priorityClass); },
    };
    return source;
}

bool AddDiskRecord(DiskRecordList& list, const uint8_t* identifyData) {
    DiskIdentifyRecord record;
    std::memcpy(record.data(), identifyData, record.size());
    if (std::find(list.begin(), list.end(), record) != list.end())
        return false;
    list.push_back(record);
    return true;
}

void ClearDiskList(DiskRecordList& list) {
    list.clear();
}

bool ReadDiskSerialSmartAlt(DiskRecordList& list, const VQDiskIoSource& source) {
    bool any = false;
    for (int n = 0; n < kDriveCount; ++n) {
        Device device(source, FormatString(L"\\\\.\\PhysicalDrive%d", n), GENERIC_READ | GENERIC_WRITE,
                      FILE_SHARE_READ | FILE_SHARE_WRITE);
        if (!device.IsOpen())
            continue;
        GETVERSIONINPARAMS version;
        if (!GetSmartVersion(device, version) || version.bIDEDeviceMap == 0)
            continue;

        SENDCMDINPARAMS input;
        std::memset(&input, 0, sizeof(input));
        input.cBufferSize = kIdentifyDataSize;
        input.irDriveRegs.bSectorCountReg = 1;
        input.irDriveRegs.bSectorNumberReg = 1;
        input.irDriveRegs.bDriveHeadReg = kDriveHeadMaster | ((n & 1) != 0 ? kDriveHeadSlave : 0);
        input.irDriveRegs.bCommandReg = ((version.bIDEDeviceMap >> n) & 0x10) != 0 ? kAtapiIdentify : kAtaIdentify;
        input.bDriveNumber = static_cast<BYTE>(n);
        uint8_t output[kSmartOutputSize] = {};
        if (device.Control(SMART_RCV_DRIVE_DATA, &input, kSmartInputSize, output, kSmartOutputSize)) {
            AddDiskRecord(list, output + kSmartDataOffset);
            any = true;
        }
    }
    return any;
}

bool ReadDiskSerialSmart(DiskRecordList& list, const VQDiskIoSource& source) {
    bool any = false;
    for (int n = 0; n < kDriveCount; ++n) {
        Device device(source, FormatString(L"\\\\.\\PhysicalDrive%d", n), GENERIC_READ | GENERIC_WRITE,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
        if (!device.IsOpen())
            continue;
        GETVERSIONINPARAMS version;
        if (!GetSmartVersion(device, version))
            continue;
        // Only the command is set: drive number 0, buffer size 0.
        uint8_t buffer[kSmartSharedBufferSize] = {};
        buffer[offsetof(SENDCMDINPARAMS, irDriveRegs) + offsetof(IDEREGS, bCommandReg)] = kAtaIdentify;
        if (device.Control(SMART_RCV_DRIVE_DATA, buffer, sizeof(SENDCMDINPARAMS), buffer, kSmartSharedBufferSize)) {
            AddDiskRecord(list, buffer + kSmartDataOffset);
            any = true;
        }
    }
    return any;
}

bool ReadDiskSerialScsi(DiskRecordList& list, const VQDiskIoSource& source) {
    bool any = false;
    for (int n = 0; n < kDriveCount; ++n) {
        Device device(source, FormatString(L"\\\\.\\Scsi%d:", n), GENERIC_READ | GENERIC_WRITE,
                      FILE_SHARE_READ | FILE_SHARE_WRITE);
        if (!device.IsOpen())
            continue;
        for (BYTE target = 0; target < 2; ++target) {
            uint8_t buffer[kScsiBufferSize] = {};
            SRB_IO_CONTROL header;
            std::memset(&header, 0, sizeof(header));
            header.HeaderLength = sizeof(SRB_IO_CONTROL);
            std::memcpy(header.Signature, kScsiMiniportSignature, sizeof(header.Signature));
            header.Timeout = kScsiMiniportTimeoutSeconds;
            header.ControlCode = kScsiMiniportIdentify;
            header.Length = kScsiDataLength;
            std::memcpy(buffer, &header, sizeof(header));
            SENDCMDINPARAMS command;
            std::memset(&command, 0, sizeof(command));
            command.irDriveRegs.bCommandReg = kAtaIdentify;
            command.bDriveNumber = target;
            std::memcpy(buffer + sizeof(SRB_IO_CONTROL), &command, sizeof(SENDCMDINPARAMS) - 1);
            if (device.Control(IOCTL_SCSI_MINIPORT, buffer, kScsiInputSize, buffer, kScsiBufferSize) &&
                buffer[kScsiDataOffset + kIdentifyModelOffset] != 0) {
                AddDiskRecord(list, buffer + kScsiDataOffset);
                any = true;
            }
        }
    }
    return any;
}

bool ReadDiskSerialVxd(DiskRecordList& list, const VQDiskIoSource& source) {
    // The driver wants the machine to itself while it talks to the ports.
    source.setPriorityClass(REALTIME_PRIORITY_CLASS);
    IdeDriverResult result;
    std::memset(&result, 0, sizeof(result));
    {
        // No access, no sharing, creation value 0: what the driver is opened with.
        Device device(source, L"\\\\.\\IDE21201.VXD", 0, 0, 0, FILE_FLAG_DELETE_ON_CLOSE);
        if (!device.IsOpen()) {
            source.setPriorityClass(NORMAL_PRIORITY_CLASS);
            return false;
        }
        device.Control(kIdeDriverQueryCode, nullptr, 0, &result, kIdeDriverOutputSize);
    }
    bool any = false;
    for (int i = 0; i < 8; ++i) {
        if (result.drivePresent[i] != 0 && result.controllerPresent[i / 2] != 0) {
            AddDiskRecord(list, reinterpret_cast<const uint8_t*>(result.identify[i]));
            any = true;
        }
    }
    source.setPriorityClass(NORMAL_PRIORITY_CLASS);
    return any;
}

bool ReadDiskSerials(DiskRecordList& list, const VQDiskIoSource& source) {
    OSVERSIONINFOW version;
    std::memset(&version, 0, sizeof(version));
    if (!source.getVersion(version))
        std::memset(&version, 0, sizeof(version));
    ClearDiskList(list);
    if (version.dwPlatformId != VER_PLATFORM_WIN32_NT) {
        for (int attempt = 0; attempt < kVxdAttempts; ++attempt) {
            if (ReadDiskSerialVxd(list, source))
                break;
        }
    } else {
        ReadDiskSerialSmartAlt(list, source);
        ReadDiskSerialScsi(list, source);
        ReadDiskSerialSmart(list, source);
    }
    return !list.empty();
}

std::string GetDiskSerialText(const DiskRecordList& list, size_t index) {
    if (index >= list.size())
        return std::string();
    const DiskIdentifyRecord& record = list[index];
    char serial[kIdentifySerialLength + 1] = {};
    for (size_t i = 0; i < kIdentifySerialLength; i += 2) {
        serial[i] = static_cast<char>(record[kIdentifySerialOffset + i + 1]);
        serial[i + 1] = static_cast<char>(record[kIdentifySerialOffset + i]);
    }
    for (size_t i = kIdentifySerialLength - 1; i >= 1 && serial[i] == ' '; --i)
        serial[i] = '\0';
    return std::string(serial);
}

std::wstring GetDiskId(const VQDiskIoSource& source) {
    DiskRecordList list;
    if (!ReadDiskSerials(list, source))
        return std::wstring();
    std::wstring id;
    for (size_t i = 0; i < list.size() && id.empty(); ++i) {
        // Removable and packet devices have the fixed-device bit clear.
        if ((list[i][0] & kIdentifyFixedDeviceBit) == 0)
            continue;
        std::string serial = GetDiskSerialText(list, i);
        if (!serial.empty())
            id = NarrowToWide(serial.c_str());
    }
    ClearDiskList(list);
    return id;
}

std::wstring GetDiskId() {
    return GetDiskId(SystemDiskIoSource());
}

}  // namespace Tessar
