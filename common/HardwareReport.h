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

// OS codes, one bit per Windows version; a server shares the code of the
// workstation version it was built with. Windows 10 and later outgrow the
// 8 bits the first codes fitted in.
enum : uint16_t {
    kOsWindows9x = 1,
    kOsWindows2000 = 2,
    kOsWindowsXp = 4,
    kOsWindowsServer2003 = 8,  // version 5.2
    kOsWindowsVista = 16,      // version 6.0, also Server 2008
    kOsWindows7 = 32,          // version 6.1, also Server 2008 R2
    kOsWindows8 = 64,          // version 6.2, also Server 2012
    kOsWindows81 = 128,        // version 6.3, also Server 2012 R2
    kOsWindows10 = 256,        // version 10.0 below build 22000, also Server 2016, 2019, 2022
    kOsWindows11 = 512,        // version 10.0 from build 22000, also Server 2025
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
    uint16_t osCode = 0;
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
// Case ignored, trademark marks "(TM)" and "(R)" left out, first match in
// this order: in an Intel name 7 "Core i7", 6 "Core i5", 5 "Core i3",
// 4 "Core2", 3 any other "Core" word ("Dual-Core" is none); then 2
// "pentium", 1 "celeron"; else 0.
uint8_t ProcessorFamilyCode(const std::wstring& processorName);

}  // namespace Tessar
