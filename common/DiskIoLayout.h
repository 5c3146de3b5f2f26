#pragma once
// Buffers of the disk identify queries, checked against the platform's
// structures. All of them are byte-packed, so their sizes are the same for
// 32- and 64-bit programs.

#include <windows.h>
#include <winioctl.h>
#include <ntddscsi.h>

#include <cstddef>
#include <cstdint>

namespace Tessar {

const uint32_t kIdentifyDataSize = 512;       // ATA IDENTIFY data: 256 words
const size_t kIdentifyModelOffset = 54;       // word 27: the model number
const size_t kIdentifySerialOffset = 20;      // words 10-19: the serial number
const size_t kIdentifySerialLength = 20;
const uint8_t kIdentifyFixedDeviceBit = 0x40; // word 0, low byte

// SMART (SMART_GET_VERSION, SMART_RCV_DRIVE_DATA on \\.\PhysicalDriveN).
static_assert(SMART_GET_VERSION == 0x74080, "SMART_GET_VERSION");
static_assert(SMART_RCV_DRIVE_DATA == 0x7C088, "SMART_RCV_DRIVE_DATA");
static_assert(sizeof(GETVERSIONINPARAMS) == 24, "GETVERSIONINPARAMS");
static_assert(offsetof(GETVERSIONINPARAMS, bIDEDeviceMap) == 3, "GETVERSIONINPARAMS.bIDEDeviceMap");
static_assert(sizeof(IDEREGS) == 8, "IDEREGS");
static_assert(offsetof(IDEREGS, bCommandReg) == 6, "IDEREGS.bCommandReg");
static_assert(sizeof(SENDCMDINPARAMS) == 33, "SENDCMDINPARAMS");
static_assert(offsetof(SENDCMDINPARAMS, irDriveRegs) == 4, "SENDCMDINPARAMS.irDriveRegs");
static_assert(offsetof(SENDCMDINPARAMS, bDriveNumber) == 12, "SENDCMDINPARAMS.bDriveNumber");
static_assert(sizeof(DRIVERSTATUS) == 12, "DRIVERSTATUS");
static_assert(sizeof(SENDCMDOUTPARAMS) == 17, "SENDCMDOUTPARAMS");
static_assert(offsetof(SENDCMDOUTPARAMS, bBuffer) == 16, "SENDCMDOUTPARAMS.bBuffer");

const uint32_t kSmartVersionSize = sizeof(GETVERSIONINPARAMS);
// The input without its one-byte buffer.
const uint32_t kSmartInputSize = sizeof(SENDCMDINPARAMS) - 1;
const uint32_t kSmartOutputSize = sizeof(SENDCMDOUTPARAMS) - 1 + kIdentifyDataSize;
// One block serving as input and output.
const uint32_t kSmartSharedBufferSize = sizeof(SENDCMDINPARAMS) + kIdentifyDataSize;
const size_t kSmartDataOffset = offsetof(SENDCMDOUTPARAMS, bBuffer);
static_assert(kSmartInputSize == 32 && kSmartOutputSize == 528 && kSmartSharedBufferSize == 545, "SMART sizes");

// SCSI miniport identify (IOCTL_SCSI_MINIPORT on \\.\ScsiN:): an
// SRB_IO_CONTROL header, then the SMART input or output.
const DWORD kFileDeviceScsi = 0x0000001B;
const DWORD kScsiMiniportIdentify = (kFileDeviceScsi << 16) + 0x0501;
const char kScsiMiniportSignature[8] = {'S', 'C', 'S', 'I', 'D', 'I', 'S', 'K'};
const ULONG kScsiMiniportTimeoutSeconds = 10000;
static_assert(IOCTL_SCSI_MINIPORT == 0x4D008, "IOCTL_SCSI_MINIPORT");
static_assert(kScsiMiniportIdentify == 0x1B0501, "IOCTL_SCSI_MINIPORT_IDENTIFY");
static_assert(sizeof(SRB_IO_CONTROL) == 28, "SRB_IO_CONTROL");
static_assert(offsetof(SRB_IO_CONTROL, Signature) == 4 && offsetof(SRB_IO_CONTROL, Timeout) == 12 &&
                  offsetof(SRB_IO_CONTROL, ControlCode) == 16 && offsetof(SRB_IO_CONTROL, ReturnCode) == 20 &&
                  offsetof(SRB_IO_CONTROL, Length) == 24,
              "SRB_IO_CONTROL fields");

const uint32_t kScsiInputSize = sizeof(SRB_IO_CONTROL) + sizeof(SENDCMDINPARAMS) - 1;
const uint32_t kScsiBufferSize = sizeof(SRB_IO_CONTROL) + sizeof(SENDCMDOUTPARAMS) + kIdentifyDataSize;
const uint32_t kScsiDataLength = sizeof(SENDCMDOUTPARAMS) + kIdentifyDataSize;
const size_t kScsiDataOffset = sizeof(SRB_IO_CONTROL) + offsetof(SENDCMDOUTPARAMS, bBuffer);
static_assert(kScsiInputSize == 60 && kScsiBufferSize == 557 && kScsiDataLength == 529 && kScsiDataOffset == 44,
              "SCSI miniport sizes");

// The Windows 9x IDE driver's reply ("\\.\IDE21201.VXD", control code 1).
#pragma pack(push, 1)
struct IdeDriverResult {
    uint8_t controllerPresent[4];
    uint8_t drivePresent[8];
    uint16_t identify[8][kIdentifyDataSize / 2];
};
#pragma pack(pop)
static_assert(sizeof(IdeDriverResult) == 4108, "IDE driver result");
static_assert(offsetof(IdeDriverResult, identify) == 12, "IDE driver result identify data");
const DWORD kIdeDriverQueryCode = 1;
const DWORD kIdeDriverOutputSize = 4;  // what the driver is told; it fills the whole block

}  // namespace Tessar
