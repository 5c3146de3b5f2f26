#include "common/HardwareReport.h"

#include "common/CodePage.h"
#include "common/ComPtr.h"
#include "common/FormatText.h"
#include "common/TextUtil.h"
#include "common/WmiConnection.h"

#include <comdef.h>
#include <cpuid.h>

#include <cstring>
#include <cwctype>

namespace Tessar {

namespace {

const long kVideoNextTimeoutMs = 10000;

// The clock speed of processor n, or false when there is no such
// processor or its speed cannot be read.
bool ReadProcessorClock(uint32_t n, const WmiConnector& connect, uint32_t& clock) {
    char path[256];
    if (FormatNarrow256(path, "Win32_Processor.DeviceID=\"CPU%u\"", n) < 0)
        return false;
    _bstr_t objectPath(NarrowToWide(path).c_str());
    WmiConnection connection;
    connect(connection);
    bool read = false;
    if (connection.services != nullptr) {
        VQComPtr<IWbemClassObject> object;
        if (SUCCEEDED(connection.services->GetObject(objectPath, 0, nullptr, object.Receive(), nullptr)) && object)
            read = ReadWmiUInt32(object.Get(), L"CurrentClockSpeed", clock);
    }
    CloseWmi(connection);
    return read;
}

VideoControllerInfo ReadVideoController(IWbemClassObject* object) {
    VideoControllerInfo video;
    ReadWmiText(object, L"Name", video.name);
    ReadWmiText(object, L"PNPDeviceID", video.pnpDeviceId);
    ReadWmiUInt32(object, L"AdapterRAM", video.adapterRam);
    ReadWmiUInt32(object, L"MinRefreshRate", video.minRefreshRate);
    ReadWmiUInt32(object, L"MaxRefreshRate", video.maxRefreshRate);
    return video;
}

}  // namespace

std::wstring HardwareReport::GetVideoName() const {
    return videoControllers.empty() ? std::wstring() : videoControllers.front().name;
}

uint32_t HardwareReport::GetLargestVideoMemoryMB() const {
    uint32_t largest = 0;
    for (const VideoControllerInfo& video : videoControllers) {
        if ((video.adapterRam >> 20) > largest)
            largest = video.adapterRam >> 20;
    }
    return largest;
}

namespace {

// Brand words of other makers, whose names speak of cores too ("AMD Ryzen
// 7 5800X 8-Core Processor") but never of an Intel family.
bool IsOtherMakersName(const std::wstring& lowerName) {
    static const wchar_t* const kMakers[] = {L"amd", L"hygon", L"via", L"zhaoxin"};
    size_t at = 0;
    while (at < lowerName.size()) {
        while (at < lowerName.size() && !iswalnum(lowerName[at]))
            ++at;
        size_t end = at;
        while (end < lowerName.size() && iswalnum(lowerName[end]))
            ++end;
        const std::wstring word = lowerName.substr(at, end - at);
        for (const wchar_t* maker : kMakers) {
            if (word == maker)
                return true;
        }
        at = end;
    }
    return false;
}

}  // namespace

uint8_t ProcessorFamilyCode(const std::wstring& processorName) {
    std::wstring name = processorName;
    MakeLower(name);
    if (IsOtherMakersName(name))
        return 0;
    // The first word the name contains, in this order: "Pentium Dual-Core"
    // is a Core (3), "Core(TM)2 Duo" a Core2 (4).
    static const struct {
        const wchar_t* word;
        uint8_t code;
    } kFamilies[] = {
        {L"i7", 7},   {L"i5", 6},      {L"i3", 5},      {L"core2", 4}, {L"core(tm)2", 4},
        {L"core", 3}, {L"pentium", 2}, {L"celeron", 1},
    };
    for (const auto& family : kFamilies) {
        if (name.find(family.word) != std::wstring::npos)
            return family.code;
    }
    return 0;
}

std::wstring GetCpuBrandString() {
    char brand[49];
    std::memset(brand, 0, sizeof(brand));
    for (unsigned int i = 0; i < 3; ++i) {
        unsigned int registers[4] = {};
        __cpuid(0x80000002u + i, registers[0], registers[1], registers[2], registers[3]);
        std::memcpy(brand + 16 * i, registers, sizeof(registers));
    }
    return NarrowToWide(brand);
}

bool QueryWmiProcessor(HardwareReport& report, const WmiConnector& connect) {
    ProcessorInfo& processor = report.processor;
    processor.clocks.clear();
    processor.count = 0;
    processor.totalClock = 0;
    // Processors are CPU0, CPU1, ...; the walk ends at the first one that
    // is missing or reports no speed.
    uint32_t clock = 0;
    while (ReadProcessorClock(processor.count, connect, clock)) {
        ++processor.count;
        processor.clocks.push_back(clock);
        processor.totalClock += clock;
    }
    processor.name = GetCpuBrandString();
    if (processor.count == 0)
        return false;
    processor.familyCode = ProcessorFamilyCode(processor.name);
    return true;
}

bool QueryWmiProcessor(HardwareReport& report) {
    return QueryWmiProcessor(report, ConnectWmi);
}

bool QueryWmiVideo(HardwareReport& report, const WmiConnector& connect) {
    report.videoControllers.clear();
    WmiConnection connection;
    connect(connection);
    if (connection.services != nullptr) {
        _bstr_t className(L"Win32_VideoController");
        VQComPtr<IEnumWbemClassObject> controllers;
        if (SUCCEEDED(connection.services->CreateInstanceEnum(className, WBEM_FLAG_SHALLOW, nullptr,
                                                               controllers.Receive())) &&
            controllers) {
            // Anything but one object (the end, a time-out, a failure) ends
            // the walk.
            for (;;) {
                VQComPtr<IWbemClassObject> object;
                ULONG returned = 0;
                HRESULT result = controllers->Next(kVideoNextTimeoutMs, 1, object.Receive(), &returned);
                if (result != WBEM_S_NO_ERROR || !object)
                    break;
                report.videoControllers.push_back(ReadVideoController(object.Get()));
            }
        }
    }
    CloseWmi(connection);
    return !report.videoControllers.empty();
}

bool QueryWmiVideo(HardwareReport& report) {
    return QueryWmiVideo(report, ConnectWmi);
}

}  // namespace Tessar
