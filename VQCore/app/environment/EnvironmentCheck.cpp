#include "VQCore/app/environment/EnvironmentCheck.h"

#include <cstdio>

namespace Tessar {

const std::vector<RuntimeRequirement>& RuntimeRequirements() {
    static const std::vector<RuntimeRequirement> table = {
        {L"XNA Framework Redist 3.1", 0x0001, 40028, VQRuntimeCheck::kXna},
        {L"OpenAL", 0x0002, 40024, VQRuntimeCheck::kOpenAl},
        {L"DirectX 9.0 and 10.0", 0x0004, 40018, VQRuntimeCheck::kDirectX},
        {L"Games For Windows Live", 0x0008, 40019, VQRuntimeCheck::kXLive},
        {L".NET Framework 2.0 SP2", 0x0010, 40022, VQRuntimeCheck::kDotNet20},
        {L".NET Framework 3.5 SP1", 0x0020, 40021, VQRuntimeCheck::kDotNet35},
        {L"Visual C++ 2008 SP1", 0x0040, 40026, VQRuntimeCheck::kVc2008},
        {L"Visual C++ 2005 SP1", 0x0080, 40025, VQRuntimeCheck::kVc2005},
        {L"Nvidia PhysX System", 0x0100, 40023, VQRuntimeCheck::kPhysX},
        {L"Java", 0x0200, 40020, VQRuntimeCheck::kJava},
        {L"Visual C++ 2010 SP1", 0x0400, 40027, VQRuntimeCheck::kVc2010},
        {L"Adobe Flash Player ActiveX", 0, 40029, VQRuntimeCheck::kFlash},
    };
    return table;
}

const RuntimeRequirement* FindRuntimeByPackage(uint32_t packageId) {
    for (const RuntimeRequirement& runtime : RuntimeRequirements())
        if (runtime.packageId == packageId) return &runtime;
    return nullptr;
}

std::vector<const RuntimeRequirement*> RuntimeRowsFor(int gameKind, uint16_t dependMask) {
    std::vector<const RuntimeRequirement*> rows;
    if (gameKind == 3 || gameKind == 4) {
        rows.push_back(FindRuntimeByPackage(40029));
        return rows;
    }
    static const VQRuntimeCheck kOrder[] = {
        VQRuntimeCheck::kXLive,    VQRuntimeCheck::kPhysX,    VQRuntimeCheck::kJava,   VQRuntimeCheck::kOpenAl,
        VQRuntimeCheck::kXna,      VQRuntimeCheck::kDirectX,  VQRuntimeCheck::kDotNet20, VQRuntimeCheck::kDotNet35,
        VQRuntimeCheck::kVc2010,   VQRuntimeCheck::kVc2008,   VQRuntimeCheck::kVc2005,
    };
    for (VQRuntimeCheck check : kOrder)
        for (const RuntimeRequirement& runtime : RuntimeRequirements())
            if (runtime.check == check && (dependMask & runtime.dependBit) != 0) rows.push_back(&runtime);
    return rows;
}

bool IsRuntimeInstalled(const RuntimeRequirement& runtime, const VQRuntimeState& state) {
    switch (runtime.check) {
    case VQRuntimeCheck::kXna: return state.xnaMask == 8;
    case VQRuntimeCheck::kOpenAl: return state.openAl;
    // Games of this row need the version-9 helper libraries, which a newer
    // DirectX does not carry: only 9 and 10 count.
    case VQRuntimeCheck::kDirectX: return state.directXMajor == 9 || state.directXMajor == 10;
    case VQRuntimeCheck::kXLive: return state.xLive;
    case VQRuntimeCheck::kDotNet20: return (state.dotNetMask & 0x04) != 0;
    case VQRuntimeCheck::kDotNet35: return (state.dotNetMask & 0x80) != 0;
    case VQRuntimeCheck::kVc2008: return (state.vcMask & 0x08) != 0;
    case VQRuntimeCheck::kVc2005: return (state.vcMask & 0x02) != 0;
    case VQRuntimeCheck::kPhysX: return state.physX;
    case VQRuntimeCheck::kJava: return state.java;
    case VQRuntimeCheck::kVc2010: return (state.vcMask & 0x20) != 0;
    case VQRuntimeCheck::kFlash: return state.flash;
    }
    return false;
}

bool IsCpuSatisfied(uint8_t familyRank, uint32_t clockSumMHz, uint32_t processorCount, uint8_t requiredClass,
                    float requiredGHz) {
    if (familyRank > requiredClass) return true;
    if (processorCount == 0) return false;
    const double averageGHz = (clockSumMHz / processorCount) / 1000.0;
    return requiredGHz < averageGHz;
}

bool IsMemorySatisfied(uint64_t totalPhysicalBytes, uint32_t requiredMB) {
    return (totalPhysicalBytes >> 20) >= requiredMB;
}

std::wstring MemoryText(uint64_t totalPhysicalBytes) {
    const uint64_t mb = totalPhysicalBytes >> 20;
    wchar_t text[64];
    if (mb <= 1024)
        std::swprintf(text, 64, L"%d MB", static_cast<int>(mb));
    else
        std::swprintf(text, 64, L"%.2f GB", static_cast<double>(mb) / 1024.0);
    return text;
}

bool IsVideoSatisfied(uint32_t videoMemoryMB, uint32_t requiredMB) { return videoMemoryMB >= requiredMB; }

bool IsOsSatisfied(uint8_t requiredMask, uint8_t machineCode, uint32_t osMajor, uint32_t osMinor) {
    if (requiredMask == 0 || (requiredMask & machineCode) != 0) return true;
    // Windows 8 and later have no code of their own; they run what the
    // coded versions run.
    return machineCode == 0 && (osMajor > 6 || (osMajor == 6 && osMinor > 1));
}

bool IsDiskSatisfied(bool sameDrive, uint64_t downloadFree, uint64_t installFree, uint64_t downloadSize,
                     uint64_t installSize) {
    if (sameDrive) return downloadFree > downloadSize + kDownloadReserveBytes + installSize;
    return downloadFree > downloadSize + kDownloadReserveBytes && installFree > installSize;
}

}  // namespace Tessar
