#pragma once
// What the runtime environment window decides from the machine's data and
// a game's requirements: which runtime rows a game gets and whether each
// is installed, and whether the processor, memory, video card, operating
// system and disk meet the game's needs. No window and no system calls, so
// that every rule can be checked with made-up machines.

#include <cstdint>
#include <string>
#include <vector>

namespace Tessar {

enum EnvironmentRowState : uint32_t {
    kRowNone = 0,
    kRowSatisfied = 1,
    kRowNotSatisfied = 2,
    kRowDownloading = 3,
    kRowInstalling = 4,
    kRowFailed = 5,
    kRowOtherDriveHasRoom = 6,
};

enum class VQRuntimeCheck { kXna, kOpenAl, kDirectX, kXLive, kDotNet20, kDotNet35, kVc2008, kVc2005, kPhysX,
                            kJava, kVc2010, kFlash };

struct RuntimeRequirement {
    const wchar_t* name;    // shown as is
    uint16_t dependBit;     // 0: not a depend bit (Flash)
    uint32_t packageId;     // the runtime's own catalogue id
    VQRuntimeCheck check;
};

// What the detection found on this machine.
struct VQRuntimeState {
    uint32_t directXMajor = 0;
    uint32_t directXMinor = 0;
    uint32_t vcMask = 0;
    uint32_t xnaMask = 0;
    uint32_t dotNetMask = 0;
    bool xLive = false;
    bool physX = false;
    bool java = false;
    bool openAl = false;
    bool flash = false;
};

// The table of all runtimes; the row order of a game's list is that of
// RuntimeRowsFor.
const std::vector<RuntimeRequirement>& RuntimeRequirements();
const RuntimeRequirement* FindRuntimeByPackage(uint32_t packageId);
// A Flash (kind 3) or web (kind 4) game gets only the Flash row; another
// game one row per set depend bit, in the window's order.
std::vector<const RuntimeRequirement*> RuntimeRowsFor(int gameKind, uint16_t dependMask);
// A DirectX 9 or later satisfies the "DirectX 9.0 and 10.0" requirement:
// later versions carry the older ones' interfaces.
bool IsRuntimeInstalled(const RuntimeRequirement& runtime, const VQRuntimeState& state);

// Processor: a higher family rank satisfies; else the average clock in GHz
// (integer MHz division) must be strictly above the requirement. No
// processor counted: not satisfied by clock.
bool IsCpuSatisfied(uint8_t familyRank, uint32_t clockSumMHz, uint32_t processorCount, uint8_t requiredClass,
                    float requiredGHz);
bool IsMemorySatisfied(uint64_t totalPhysicalBytes, uint32_t requiredMB);
// "%d MB" up to 1024 MB, else "%.2f GB".
std::wstring MemoryText(uint64_t totalPhysicalBytes);
bool IsVideoSatisfied(uint32_t videoMemoryMB, uint32_t requiredMB);
// Any OS (0), a shared code bit, or a Windows newer than every coded one
// (code 0 with a version above 6.1) satisfies.
bool IsOsSatisfied(uint8_t requiredMask, uint8_t machineCode, uint32_t osMajor, uint32_t osMinor);

// Room a download needs beyond its size.
const uint64_t kDownloadReserveBytes = 4194304;
// Disk: with one drive for both, its free bytes must exceed both sizes and
// the reserve; with two, each its own part.
bool IsDiskSatisfied(bool sameDrive, uint64_t downloadFree, uint64_t installFree, uint64_t downloadSize,
                     uint64_t installSize);

}  // namespace Tessar
