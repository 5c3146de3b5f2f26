#include "common/DiskSerial.h"

#include "common/CodePage.h"
#include "common/DiskIoLayout.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>

namespace Tessar {
namespace {

// ATA IDENTIFY data: word 0 with the fixed-device bit or the removable
// one, the serial (words 10-19) and model (words 27-46) texts padded with
// blanks, each word's first character in its high byte.
DiskIdentifyRecord MakeIdentify(const std::string& serial, const std::string& model, bool fixed) {
    DiskIdentifyRecord record;
    record.fill(0);
    record[0] = fixed ? 0x40 : 0x80;
    auto put = [&record](size_t offset, std::string text, size_t length) {
        text.resize(length, ' ');
        for (size_t i = 0; i < length; i += 2) {
            record[offset + i] = static_cast<uint8_t>(text[i + 1]);
            record[offset + i + 1] = static_cast<uint8_t>(text[i]);
        }
    };
    put(kIdentifySerialOffset, serial, kIdentifySerialLength);
    if (!model.empty())
        put(kIdentifyModelOffset, model, 40);
    return record;
}

struct FakeDrive {
    DiskIdentifyRecord identify;
    bool versionWorks = true;
    BYTE deviceMap = 1;
    bool identifyWorks = true;
};

struct SmartCall {
    int drive;           // the N of \\.\PhysicalDriveN
    DWORD inputSize, outputSize;
    SENDCMDINPARAMS input;
};

struct ScsiCall {
    int port;
    SRB_IO_CONTROL header;
    SENDCMDINPARAMS input;
};

struct OpenCall {
    std::wstring path;
    DWORD access, share, disposition, flags;
};

// Disks that answer the identify queries as drivers do (Wine has no SMART,
// SCSI miniport or Windows 9x driver queries).
class FakeDisks {
public:
    VQDiskIoSource Source() {
        VQDiskIoSource source;
        source.getVersion = [this](OSVERSIONINFOW& version) {
            version.dwPlatformId = platform;
            return true;
        };
        source.open = [this](const std::wstring& path, DWORD access, DWORD share, DWORD disposition, DWORD flags) {
            opens.push_back({path, access, share, disposition, flags});
            if (!Exists(path))
                return INVALID_HANDLE_VALUE;
            HANDLE handle = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x1000 + opens.size()));
            handles[handle] = path;
            return handle;
        };
        source.control = [this](HANDLE device, DWORD code, void* input, DWORD inputSize, void* output,
                                DWORD outputSize) {
            auto found = handles.find(device);
            return found != handles.end() && Control(found->second, code, input, inputSize, output, outputSize);
        };
        source.close = [this](HANDLE device) {
            if (handles.erase(device) == 0)
                ++unknownCloses;
        };
        source.setPriorityClass = [this](DWORD priority) { priorities.push_back(priority); };
        return source;
    }

    DWORD platform = VER_PLATFORM_WIN32_NT;
    std::map<int, FakeDrive> drives;                          // \\.\PhysicalDriveN
    std::map<int, std::map<BYTE, DiskIdentifyRecord>> ports;  // \\.\ScsiN: by target
    bool hasVxd = false;
    IdeDriverResult vxdResult = {};

    std::vector<OpenCall> opens;
    std::map<HANDLE, std::wstring> handles;  // still open
    int unknownCloses = 0;  // handles closed twice or never handed out
    std::vector<SmartCall> smartCalls;
    std::vector<ScsiCall> scsiCalls;
    std::vector<DWORD> priorities;
    bool layoutsAsExpected = true;

private:
    static int NumberAfter(const std::wstring& path, const wchar_t* prefix) {
        const std::wstring start(prefix);
        return path.compare(0, start.size(), start) == 0 ? _wtoi(path.c_str() + start.size()) : -1;
    }
    bool Exists(const std::wstring& path) const {
        return drives.count(NumberAfter(path, L"\\\\.\\PhysicalDrive")) != 0 ||
               ports.count(NumberAfter(path, L"\\\\.\\Scsi")) != 0 || (hasVxd && path == L"\\\\.\\IDE21201.VXD");
    }

    bool Control(const std::wstring& path, DWORD code, void* input, DWORD inputSize, void* output, DWORD outputSize) {
        uint8_t* out = static_cast<uint8_t*>(output);
        int drive = NumberAfter(path, L"\\\\.\\PhysicalDrive");
        int port = NumberAfter(path, L"\\\\.\\Scsi");
        if (drive >= 0 && code == SMART_GET_VERSION) {
            if (input != nullptr || inputSize != 0 || outputSize != sizeof(GETVERSIONINPARAMS))
                layoutsAsExpected = false;
            if (!drives[drive].versionWorks)
                return false;
            GETVERSIONINPARAMS version = {};
            version.bIDEDeviceMap = drives[drive].deviceMap;
            std::memcpy(output, &version, sizeof(version));
            return true;
        }
        if (drive >= 0 && code == SMART_RCV_DRIVE_DATA) {
            SmartCall call = {drive, inputSize, outputSize, {}};
            std::memcpy(&call.input, input, inputSize < sizeof(call.input) ? inputSize : sizeof(call.input));
            smartCalls.push_back(call);
            if (!drives[drive].identifyWorks || outputSize < kSmartDataOffset + kIdentifyDataSize)
                return false;
            std::memset(out, 0, outputSize);
            reinterpret_cast<SENDCMDOUTPARAMS*>(out)->cBufferSize = kIdentifyDataSize;
            std::memcpy(out + kSmartDataOffset, drives[drive].identify.data(), kIdentifyDataSize);
            return true;
        }
        if (port >= 0 && code == IOCTL_SCSI_MINIPORT) {
            ScsiCall call = {port, {}, {}};
            std::memcpy(&call.header, input, sizeof(call.header));
            std::memcpy(&call.input, static_cast<uint8_t*>(input) + sizeof(SRB_IO_CONTROL), sizeof(call.input) - 1);
            scsiCalls.push_back(call);
            if (inputSize != kScsiInputSize || outputSize != kScsiBufferSize)
                layoutsAsExpected = false;
            auto target = ports[port].find(call.input.bDriveNumber);
            if (target == ports[port].end())
                return false;
            std::memcpy(out + kScsiDataOffset, target->second.data(), kIdentifyDataSize);
            return true;
        }
        if (path == L"\\\\.\\IDE21201.VXD" && code == kIdeDriverQueryCode) {
            if (input != nullptr || outputSize != kIdeDriverOutputSize)
                layoutsAsExpected = false;
            // The driver fills the whole block whatever it is told.
            std::memcpy(output, &vxdResult, sizeof(vxdResult));
            return true;
        }
        return false;
    }
};

TEST(DiskSerialTextTest, SerialWordsGiveTheTextWithoutTrailingBlanks) {
    struct Case {
        const char* serial;
        const char* expected;
    } cases[] = {
        {"WD-WCAV12345678", "WD-WCAV12345678"},
        {"  S1", "  S1"},                                   // leading blanks stay
        {"", " "},                                          // the first character is never removed
        {"ABCDEFGHIJKLMNOPQRST", "ABCDEFGHIJKLMNOPQRST"},   // all 20 characters
        {"odd5", "odd5"},
    };
    DiskRecordList list;
    for (const Case& c : cases)
        AddDiskRecord(list, MakeIdentify(c.serial, "M", true).data());
    for (size_t i = 0; i < list.size(); ++i)
        EXPECT_EQ(cases[i].expected, GetDiskSerialText(list, i)) << cases[i].serial;

    DiskIdentifyRecord cut = MakeIdentify("AB", "M", true);
    cut[kIdentifySerialOffset + 2] = 'Z';  // "AB", then "\0Z"
    cut[kIdentifySerialOffset + 3] = 0;
    list.push_back(cut);
    EXPECT_EQ("AB", GetDiskSerialText(list, list.size() - 1)) << "the text ends at a zero byte";
    EXPECT_EQ("", GetDiskSerialText(list, list.size()));
}

TEST(DiskRecordListTest, EqualRecordsAreListedOnce) {
    DiskRecordList list;
    DiskIdentifyRecord a = MakeIdentify("A", "M", true);
    DiskIdentifyRecord b = MakeIdentify("B", "M", true);
    EXPECT_TRUE(AddDiskRecord(list, a.data()));
    EXPECT_TRUE(AddDiskRecord(list, b.data()));
    EXPECT_FALSE(AddDiskRecord(list, a.data()));
    ASSERT_EQ(2u, list.size());
    EXPECT_EQ(a, list[0]);
    EXPECT_EQ(b, list[1]);
    ClearDiskList(list);
    EXPECT_TRUE(list.empty());
}

TEST(DiskSerialTest, DiskIdIsTheFirstFixedDiskWithASerial) {
    struct Case {
        const char* name;
        std::vector<DiskIdentifyRecord> disks;  // PhysicalDrive0, 1, ...
        std::string expected;
    } cases[] = {
        {"one fixed disk", {MakeIdentify("WD-123", "WDC", true)}, "WD-123"},
        {"removable disk first", {MakeIdentify("USB-9", "Stick", false), MakeIdentify("ST-77", "ST", true)}, "ST-77"},
        {"fixed disk without serial first", {MakeIdentify("", "X", true), MakeIdentify("S-2", "Y", true)}, " "},
        {"zero serial first", {[] { DiskIdentifyRecord r = MakeIdentify("", "X", true); r[20] = r[21] = 0; return r; }(),
                               MakeIdentify("S-2", "Y", true)},
         "S-2"},
        {"only removable disks", {MakeIdentify("USB-9", "Stick", false)}, ""},
        {"no disks", {}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeDisks disks;
        for (size_t i = 0; i < c.disks.size(); ++i)
            disks.drives[static_cast<int>(i)].identify = c.disks[i];
        EXPECT_EQ(NarrowToWide(c.expected.c_str()), GetDiskId(disks.Source()));
        EXPECT_TRUE(disks.handles.empty()) << "every device is closed";
        EXPECT_EQ(0, disks.unknownCloses) << "no handle closed twice";
    }
}

TEST(DiskSerialTest, NtMethodsRunInOrderAndKeepDistinctRecords) {
    FakeDisks disks;
    disks.drives[0].identify = MakeIdentify("D0", "M0", true);
    disks.drives[3].identify = MakeIdentify("D3", "M3", true);
    disks.ports[1][1] = MakeIdentify("P1T1", "SCSI", true);
    disks.ports[1][0] = MakeIdentify("D0", "M0", true);  // the same disk again
    DiskRecordList list;
    ASSERT_TRUE(ReadDiskSerials(list, disks.Source()));
    ASSERT_EQ(3u, list.size());
    EXPECT_EQ("D0", GetDiskSerialText(list, 0));
    EXPECT_EQ("D3", GetDiskSerialText(list, 1));
    EXPECT_EQ("P1T1", GetDiskSerialText(list, 2));
    // SMART with device map, SCSI miniport, plain SMART: 16 devices each.
    ASSERT_EQ(48u, disks.opens.size());
    EXPECT_EQ(L"\\\\.\\PhysicalDrive0", disks.opens[0].path);
    EXPECT_EQ(L"\\\\.\\PhysicalDrive15", disks.opens[15].path);
    EXPECT_EQ(L"\\\\.\\Scsi0:", disks.opens[16].path);
    EXPECT_EQ(L"\\\\.\\Scsi15:", disks.opens[31].path);
    EXPECT_EQ(L"\\\\.\\PhysicalDrive0", disks.opens[32].path);
    for (size_t i = 0; i < disks.opens.size(); ++i) {
        const OpenCall& open = disks.opens[i];
        EXPECT_EQ(static_cast<DWORD>(GENERIC_READ | GENERIC_WRITE), open.access);
        EXPECT_EQ(static_cast<DWORD>(i < 32 ? FILE_SHARE_READ | FILE_SHARE_WRITE : 7), open.share);
        EXPECT_EQ(static_cast<DWORD>(OPEN_EXISTING), open.disposition);
        EXPECT_EQ(0u, open.flags);
    }
    EXPECT_TRUE(disks.handles.empty());
    EXPECT_TRUE(disks.layoutsAsExpected);

    // A second read starts from an empty list.
    ASSERT_TRUE(ReadDiskSerials(list, disks.Source()));
    EXPECT_EQ(3u, list.size());
}

TEST(DiskSerialTest, SmartWithDeviceMapAsksEachDriveByItsPosition) {
    FakeDisks disks;
    for (int n = 0; n < 4; ++n)
        disks.drives[n].identify = MakeIdentify("N" + std::to_string(n), "M", true);
    disks.drives[0].deviceMap = 0x01;
    disks.drives[1].deviceMap = 0x20;  // bit 4 of (map >> 1): a packet device
    disks.drives[2].deviceMap = 0x00;  // no device map: not asked
    disks.drives[3].deviceMap = 0x0F;
    DiskRecordList list;
    ASSERT_TRUE(ReadDiskSerialSmartAlt(list, disks.Source()));
    EXPECT_EQ(3u, list.size());
    struct Expected {
        int drive;
        BYTE head, command;
    } expected[] = {{0, 0xA0, 0xEC}, {1, 0xB0, 0xA1}, {3, 0xB0, 0xEC}};
    ASSERT_EQ(3u, disks.smartCalls.size());
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const SmartCall& call = disks.smartCalls[i];
        EXPECT_EQ(expected[i].drive, call.drive);
        EXPECT_EQ(kSmartInputSize, call.inputSize);
        EXPECT_EQ(kSmartOutputSize, call.outputSize);
        EXPECT_EQ(kIdentifyDataSize, call.input.cBufferSize);
        EXPECT_EQ(0, call.input.irDriveRegs.bFeaturesReg);
        EXPECT_EQ(1, call.input.irDriveRegs.bSectorCountReg);
        EXPECT_EQ(1, call.input.irDriveRegs.bSectorNumberReg);
        EXPECT_EQ(0, call.input.irDriveRegs.bCylLowReg);
        EXPECT_EQ(0, call.input.irDriveRegs.bCylHighReg);
        EXPECT_EQ(expected[i].head, call.input.irDriveRegs.bDriveHeadReg);
        EXPECT_EQ(expected[i].command, call.input.irDriveRegs.bCommandReg);
        EXPECT_EQ(expected[i].drive, call.input.bDriveNumber);
    }
    EXPECT_TRUE(disks.handles.empty());
}

TEST(DiskSerialTest, PlainSmartSetsOnlyTheCommand) {
    FakeDisks disks;
    disks.drives[2].identify = MakeIdentify("P2", "M", true);
    disks.drives[5].identify = MakeIdentify("P5", "M", true);
    disks.drives[5].versionWorks = false;  // closed without a query
    disks.drives[6].identify = MakeIdentify("P6", "M", true);
    disks.drives[6].identifyWorks = false;
    DiskRecordList list;
    ASSERT_TRUE(ReadDiskSerialSmart(list, disks.Source()));
    ASSERT_EQ(1u, list.size());
    EXPECT_EQ("P2", GetDiskSerialText(list, 0));
    ASSERT_EQ(2u, disks.smartCalls.size());
    const SmartCall& call = disks.smartCalls[0];
    EXPECT_EQ(2, call.drive);
    EXPECT_EQ(static_cast<DWORD>(sizeof(SENDCMDINPARAMS)), call.inputSize);
    EXPECT_EQ(kSmartSharedBufferSize, call.outputSize);
    EXPECT_EQ(0u, call.input.cBufferSize);
    EXPECT_EQ(0, call.input.bDriveNumber);
    EXPECT_EQ(0, call.input.irDriveRegs.bDriveHeadReg);
    EXPECT_EQ(0xEC, call.input.irDriveRegs.bCommandReg);
    EXPECT_EQ(6, disks.smartCalls[1].drive);
    EXPECT_TRUE(disks.handles.empty());

    FakeDisks none;
    DiskRecordList empty;
    EXPECT_FALSE(ReadDiskSerialSmart(empty, none.Source()));
}

TEST(DiskSerialTest, ScsiMiniportAsksTwoTargetsPerPort) {
    FakeDisks disks;
    disks.ports[2][1] = MakeIdentify("T1", "Model", true);
    disks.ports[2][0] = MakeIdentify("T0", "", true);  // no model: not taken
    DiskRecordList list;
    ASSERT_TRUE(ReadDiskSerialScsi(list, disks.Source()));
    ASSERT_EQ(1u, list.size());
    EXPECT_EQ("T1", GetDiskSerialText(list, 0));
    ASSERT_EQ(2u, disks.scsiCalls.size());
    for (BYTE target = 0; target < 2; ++target) {
        SCOPED_TRACE(target);
        const ScsiCall& call = disks.scsiCalls[target];
        EXPECT_EQ(2, call.port);
        EXPECT_EQ(28u, call.header.HeaderLength);
        EXPECT_EQ(0, std::memcmp(call.header.Signature, "SCSIDISK", 8));
        EXPECT_EQ(10000u, call.header.Timeout);
        EXPECT_EQ(0x1B0501u, call.header.ControlCode);
        EXPECT_EQ(0u, call.header.ReturnCode);
        EXPECT_EQ(529u, call.header.Length);
        EXPECT_EQ(0xEC, call.input.irDriveRegs.bCommandReg);
        EXPECT_EQ(target, call.input.bDriveNumber);
        EXPECT_EQ(0u, call.input.cBufferSize);
    }
    EXPECT_TRUE(disks.layoutsAsExpected);
    EXPECT_TRUE(disks.handles.empty());

    disks.ports[2].erase(1);
    DiskRecordList none;
    EXPECT_FALSE(ReadDiskSerialScsi(none, disks.Source())) << "no target with a model";
}

TEST(DiskSerialTest, Windows9xAsksTheIdeDriverUpToTenTimes) {
    FakeDisks missing;
    missing.platform = VER_PLATFORM_WIN32_WINDOWS;
    DiskRecordList list;
    EXPECT_FALSE(ReadDiskSerials(list, missing.Source()));
    EXPECT_EQ(10u, missing.opens.size());
    ASSERT_EQ(20u, missing.priorities.size());
    for (size_t i = 0; i < missing.priorities.size(); ++i)
        EXPECT_EQ(static_cast<DWORD>(i % 2 == 0 ? REALTIME_PRIORITY_CLASS : NORMAL_PRIORITY_CLASS),
                  missing.priorities[i]);

    FakeDisks disks;
    disks.platform = VER_PLATFORM_WIN32_WINDOWS;
    disks.hasVxd = true;
    const DiskIdentifyRecord first = MakeIdentify("IDE0", "M", true);
    const DiskIdentifyRecord third = MakeIdentify("IDE3", "M", true);
    const DiskIdentifyRecord lost = MakeIdentify("IDE5", "M", true);
    std::memcpy(disks.vxdResult.identify[0], first.data(), kIdentifyDataSize);
    std::memcpy(disks.vxdResult.identify[3], third.data(), kIdentifyDataSize);
    std::memcpy(disks.vxdResult.identify[5], lost.data(), kIdentifyDataSize);
    disks.vxdResult.controllerPresent[0] = 1;
    disks.vxdResult.controllerPresent[1] = 1;
    disks.vxdResult.drivePresent[0] = 1;
    disks.vxdResult.drivePresent[3] = 1;
    disks.vxdResult.drivePresent[5] = 1;  // its controller (2) is absent
    EXPECT_EQ(L"IDE0", GetDiskId(disks.Source()));
    ASSERT_EQ(1u, disks.opens.size()) << "the first answer ends the attempts";
    EXPECT_EQ(L"\\\\.\\IDE21201.VXD", disks.opens[0].path);
    EXPECT_EQ(0u, disks.opens[0].access);
    EXPECT_EQ(0u, disks.opens[0].share);
    EXPECT_EQ(0u, disks.opens[0].disposition);
    EXPECT_EQ(static_cast<DWORD>(FILE_FLAG_DELETE_ON_CLOSE), disks.opens[0].flags);
    EXPECT_EQ((std::vector<DWORD>{REALTIME_PRIORITY_CLASS, NORMAL_PRIORITY_CLASS}), disks.priorities);
    EXPECT_TRUE(disks.layoutsAsExpected);
    EXPECT_TRUE(disks.handles.empty());

    ASSERT_TRUE(ReadDiskSerials(list, disks.Source()));
    ASSERT_EQ(2u, list.size());
    EXPECT_EQ("IDE3", GetDiskSerialText(list, 1));
}

// Wine's devices answer no identify query; whatever they give, it is the
// same on every call.
TEST(DiskSerialSystemTest, SystemDiskIdIsStable) {
    std::wstring first = GetDiskId();
    EXPECT_EQ(first, GetDiskId());
    EXPECT_LE(first.size(), kIdentifySerialLength);
}

}  // namespace
}  // namespace Tessar
