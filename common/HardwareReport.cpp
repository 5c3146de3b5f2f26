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

// The name in lower case without trademark marks, so that "Core(TM)2"
// reads "core2" and "Intel(R)" reads "intel".
std::wstring PlainBrandName(const std::wstring& processorName) {
    std::wstring name = processorName;
    MakeLower(name);
    static const wchar_t* const kMarks[] = {L"(tm)", L"(r)"};
    for (const wchar_t* mark : kMarks) {
        const size_t length = wcslen(mark);
        for (size_t at = name.find(mark); at != std::wstring::npos; at = name.find(mark, at))
            name.erase(at, length);
    }
    return name;
}

bool StartsWord(const std::wstring& name, size_t at) {
    return at == 0 || iswspace(name[at - 1]);
}

// The family of an Intel "Core" word: 7, 6 or 5 for "Core i7", "i5" or
// "i3", 4 for "Core2" (the brand writes "Core(TM)2"), 3 for any other
// Core; 0 without one. Words such as "Dual-Core" or "8-Core" are no Core
// brand.
uint8_t IntelCoreFamily(const std::wstring& name) {
    static const wchar_t kCore[] = L"core";
    const size_t coreLength = wcslen(kCore);
    for (size_t at = name.find(kCore); at != std::wstring::npos; at = name.find(kCore, at + 1)) {
        if (!StartsWord(name, at))
            continue;
        size_t next = at + coreLength;
        if (next < name.size() && name[next] == L'2')
            return 4;
        const size_t afterCore = next;
        while (next < name.size() && iswspace(name[next]))
            ++next;
        static const struct {
            wchar_t digit;
            uint8_t code;
        } kModels[] = {{L'7', 7}, {L'5', 6}, {L'3', 5}};
        for (const auto& model : kModels) {
            if (next + 1 < name.size() && name[next] == L'i' && name[next + 1] == model.digit &&
                (next + 2 == name.size() || !iswdigit(name[next + 2])))
                return model.code;
        }
        if (next == afterCore && next < name.size())
            continue;  // "cores", "coreXYZ"
        return 3;
    }
    return 0;
}

}  // namespace

uint8_t ProcessorFamilyCode(const std::wstring& processorName) {
    const std::wstring name = PlainBrandName(processorName);
    // "Core" is a family only in an Intel name: "AMD Ryzen 7 5800X 8-Core
    // Processor" is none. Pentium and Celeron are Intel's own words.
    if (name.find(L"intel") != std::wstring::npos) {
        const uint8_t core = IntelCoreFamily(name);
        if (core != 0)
            return core;
    }
    if (name.find(L"pentium") != std::wstring::npos)
        return 2;
    if (name.find(L"celeron") != std::wstring::npos)
        return 1;
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
