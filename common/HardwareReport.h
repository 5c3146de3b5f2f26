#pragma once
// A short description of the machine for the reports: processor, video
// controllers and the Windows version. Processor and video data come from
// WMI ("ROOT\CIMV2"), the processor name from CPUID, the OS text from the
// version functions.

#include <cstdint>
#include <string>
#include <vector>

namespace Tessar {

struct ProcessorInfo {
    std::wstring name;            // the CPUID brand string
    uint32_t totalClock = 0;      // MHz, sum of the processors' current speeds
    uint32_t count = 0;
    uint8_t familyCode = 0;       // see ProcessorFamilyCode
    std::vector<uint32_t> clocks; // MHz, one per processor in order
};

// A property that cannot be read, or is empty or null, leaves its field
// empty or 0.
struct VideoControllerInfo {
    std::wstring name;          // "Name"
    std::wstring pnpDeviceId;   // "PNPDeviceID"
    uint32_t adapterRam = 0;    // "AdapterRAM", bytes
    uint32_t minRefreshRate = 0;
    uint32_t maxRefreshRate = 0;
};

// OS codes, one bit per Windows version, in the 8 bits that the
// catalogue's OS requirement and the runtime window compare; a server
// shares the code of the workstation version it was built with. Later
// versions are named in the text but have no code (0), as the catalogue
// has no bit for them.
enum : uint8_t {
    kOsWindows9x = 1,
    kOsWindows2000 = 2,
    kOsWindowsXp = 4,
    kOsWindowsServer2003 = 8,  // version 5.2
    kOsWindowsVista = 16,      // version 6.0, also Server 2008
    kOsWindows7 = 32,          // version 6.1, also Server 2008 R2
    kOsNoCode = 0,             // any other version
};

struct HardwareReport {
    std::wstring GetProcessorName() const { return processor.name; }
    std::wstring GetOsText() const { return osText; }
    // The first controller's name; empty without one.
    std::wstring GetVideoName() const;
    // The largest adapter memory in whole MB; 0 without controllers.
    uint32_t GetLargestVideoMemoryMB() const;

    ProcessorInfo processor;
    std::vector<VideoControllerInfo> videoControllers;
    std::wstring osText;
    uint8_t osCode = 0;
    uint8_t is64Bit = 0;
};

// Fills the processor record; true when at least one processor was found.
// Opens one WMI connection per processor.
bool QueryWmiProcessor(HardwareReport& report);
// Refills the video list; true when it is not empty.
bool QueryWmiVideo(HardwareReport& report);
// Sets the OS text, code and 64-bit flag; false (text unchanged) on a
// platform older than Windows 2000 other than Windows 9x.
bool GetOsDescription(HardwareReport& report);

std::wstring GetCpuBrandString();
// The first of these words that the name contains (case ignored): "i7" 7,
// "i5" 6, "i3" 5, "core2" or "core(tm)2" 4, "core" 3, "pentium" 2,
// "celeron" 1; else 0. A name of another maker (AMD, Hygon, VIA, Zhaoxin)
// is 0: its "8-Core" is no Intel Core.
uint8_t ProcessorFamilyCode(const std::wstring& processorName);

}  // namespace Tessar
