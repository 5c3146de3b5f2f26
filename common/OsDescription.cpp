#include "common/OsDescription.h"

#include "common/FormatText.h"
#include "common/HardwareReport.h"

#include <cstring>

namespace Tessar {

namespace {

struct Edition {
    uint32_t productType;
    const wchar_t* name;
};

// GetProductInfo product types.
const Edition kEditions[] = {
    {0x01, L"Ultimate Edition"},
    {0x02, L"Home Basic Edition"},
    {0x03, L"Home Premium Edition"},
    {0x04, L"Enterprise Edition"},
    {0x05, L"Home Basic N Edition"},
    {0x06, L"Business Edition"},
    {0x07, L"Standard Edition"},
    {0x08, L"Datacenter Edition"},
    {0x09, L"Small Business Server"},
    {0x0A, L"Enterprise Edition"},
    {0x0B, L"Starter Edition"},
    {0x0C, L"Datacenter Edition (core installation)"},
    {0x0D, L"Standard Edition (core installation)"},
    {0x0E, L"Enterprise Edition (core installation)"},
    {0x0F, L"Enterprise Edition for Itanium-based Systems"},
    {0x10, L"Business N Edition"},
    {0x11, L"Web Server Edition"},
    {0x12, L"Cluster Server Edition"},
    {0x19, L"Small Business Server Premium Edition"},
    {0x1A, L"Home Premium N Edition"},
    {0x1B, L"Enterprise N Edition"},
    {0x1C, L"Ultimate N Edition"},
    {0x1D, L"Web Server Edition (core installation)"},
    {0x21, L"Foundation Edition"},
    {0x24, L"Standard Edition without Hyper-V"},
    {0x25, L"Datacenter Edition without Hyper-V"},
    {0x26, L"Enterprise Edition without Hyper-V"},
    {0x27, L"Datacenter Edition without Hyper-V (core installation)"},
    {0x28, L"Standard Edition without Hyper-V (core installation)"},
    {0x29, L"Enterprise Edition without Hyper-V (core installation)"},
    {0x2A, L"Hyper-V Server"},
    {0x2F, L"Starter N Edition"},
    {0x30, L"Professional Edition"},
    {0x31, L"Professional N Edition"},
    {0x32, L"Essentials Edition"},
    {0x48, L"Enterprise Evaluation Edition"},
    {0x4F, L"Standard Evaluation Edition"},
    {0x50, L"Datacenter Evaluation Edition"},
    {0x54, L"Enterprise N Evaluation Edition"},
    {0x67, L"Professional with Media Center Edition"},
    {0x79, L"Education Edition"},
    {0x7A, L"Education N Edition"},
    {0x7D, L"Enterprise LTSC Edition"},
    {0x7E, L"Enterprise N LTSC Edition"},
    {0x81, L"Enterprise LTSC Evaluation Edition"},
    {0x82, L"Enterprise N LTSC Evaluation Edition"},
    {0x8A, L"Professional Single Language Edition"},
    {0x8B, L"Professional China Edition"},
    {0xA1, L"Professional for Workstations Edition"},
    {0xA2, L"Professional for Workstations N Edition"},
    {0xA4, L"Professional Education Edition"},
    {0xA5, L"Professional Education N Edition"},
    {0xAF, L"Enterprise multi-session Edition"},
};

// The consumer editions of Windows 8 and later: "Core" on 8 and 8.1, sold
// as "Home" from 10 on.
const Edition kCoreEditions[] = {
    {0x62, L" N Edition"},
    {0x63, L" China Edition"},
    {0x64, L" Single Language Edition"},
    {0x65, L" Edition"},
};

std::wstring EditionName(uint32_t productType, DWORD majorVersion) {
    for (const Edition& edition : kEditions) {
        if (edition.productType == productType)
            return edition.name;
    }
    for (const Edition& edition : kCoreEditions) {
        if (edition.productType == productType)
            return std::wstring(majorVersion >= 10 ? L"Home" : L"Core") + edition.name;
    }
    return L"Unknown";
}

struct VersionName {
    DWORD major, minor;
    uint32_t fromBuild;  // the first build of the name
    const wchar_t* workstation;
    const wchar_t* server;
    uint8_t code;
};

// Version 10.0 tells its names apart by build; the last row that matches
// wins.
const VersionName kVersionNames[] = {
    {6, 0, 0, L"Windows Vista ", L"Windows Server 2008 ", kOsWindowsVista},
    {6, 1, 0, L"Windows 7 ", L"Windows Server 2008 R2 ", kOsWindows7},
    {6, 2, 0, L"Windows 8 ", L"Windows Server 2012 ", kOsNoCode},
    {6, 3, 0, L"Windows 8.1 ", L"Windows Server 2012 R2 ", kOsNoCode},
    {10, 0, 0, L"Windows 10 ", L"Windows Server 2016 ", kOsNoCode},
    {10, 0, 17763, nullptr, L"Windows Server 2019 ", kOsNoCode},
    {10, 0, 20348, nullptr, L"Windows Server 2022 ", kOsNoCode},
    {10, 0, 22000, L"Windows 11 ", nullptr, kOsNoCode},
    {10, 0, 26100, nullptr, L"Windows Server 2025 ", kOsNoCode},
};

// Versions 6.x and 10.0: name, edition and word size. A version without a
// name gets neither name nor code.
void DescribeVersion6OrLater(const OsVersionFacts& facts, std::wstring& text, uint8_t& code, uint8_t& is64Bit) {
    const OSVERSIONINFOEXW& version = facts.version;
    const bool workstation = version.wProductType == VER_NT_WORKSTATION;
    const wchar_t* name = nullptr;
    for (const VersionName& row : kVersionNames) {
        const wchar_t* rowName = workstation ? row.workstation : row.server;
        if (row.major == version.dwMajorVersion && row.minor == version.dwMinorVersion &&
            version.dwBuildNumber >= row.fromBuild && rowName != nullptr) {
            name = rowName;
            code = row.code;
        }
    }
    if (name != nullptr)
        text += name;
    text += EditionName(facts.productType, version.dwMajorVersion);
    if (facts.architecture == PROCESSOR_ARCHITECTURE_AMD64) {
        text += L", 64-bit";
        is64Bit = 1;
    } else if (facts.architecture == PROCESSOR_ARCHITECTURE_INTEL) {
        text += L", 32-bit";
    }
}

void DescribeVersion52(const OsVersionFacts& facts, std::wstring& text, uint8_t& is64Bit) {
    const OSVERSIONINFOEXW& version = facts.version;
    const WORD suite = version.wSuiteMask;
    const bool workstation = version.wProductType == VER_NT_WORKSTATION;
    if (facts.serverR2 != 0) {
        text += L"Windows Server 2003 R2, ";
    } else if (suite == VER_SUITE_STORAGE_SERVER) {
        text += L"Windows Storage Server 2003";
    } else if (workstation && facts.architecture == PROCESSOR_ARCHITECTURE_AMD64) {
        text += L"Windows XP Professional x64 Edition";
        is64Bit = 1;
    } else {
        text += L"Windows Server 2003, ";
    }
    if (workstation)
        return;
    if (facts.architecture == PROCESSOR_ARCHITECTURE_IA64) {
        is64Bit = 1;
        if (suite & VER_SUITE_DATACENTER)
            text += L"Datacenter Edition for Itanium-based Systems";
        else if (suite & VER_SUITE_ENTERPRISE)
            text += L"Enterprise Edition for Itanium-based Systems";
    } else if (facts.architecture == PROCESSOR_ARCHITECTURE_AMD64) {
        is64Bit = 1;
        if (suite & VER_SUITE_DATACENTER)
            text += L"Datacenter x64 Edition";
        else if (suite & VER_SUITE_ENTERPRISE)
            text += L"Enterprise x64 Edition";
        else
            text += L"Standard x64 Edition";
    } else if (suite & VER_SUITE_COMPUTE_SERVER) {
        text += L"Compute Cluster Edition";
    } else if (suite & VER_SUITE_DATACENTER) {
        text += L"Datacenter Edition";
    } else if (suite & VER_SUITE_ENTERPRISE) {
        text += L"Enterprise Edition";
    } else if (suite & VER_SUITE_BLADE) {
        text += L"Web Edition";
    } else {
        text += L"Standard Edition";
    }
}

}  // namespace

void ReadOsVersionFacts(OsVersionFacts& facts) {
    std::memset(&facts, 0, sizeof(facts));
    facts.version.dwOSVersionInfoSize = sizeof(facts.version);
    // GetVersionEx reports 6.2 on Windows 8.1 and later unless the program
    // declares those versions in its manifest; ntdll tells the truth.
    typedef LONG(WINAPI * RtlGetVersionFunction)(OSVERSIONINFOEXW*);
    HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    RtlGetVersionFunction rtlGetVersion = reinterpret_cast<RtlGetVersionFunction>(
        ntdll != nullptr ? ::GetProcAddress(ntdll, "RtlGetVersion") : nullptr);
    if (rtlGetVersion == nullptr || rtlGetVersion(&facts.version) != 0) {
        std::memset(&facts.version, 0, sizeof(facts.version));
        facts.version.dwOSVersionInfoSize = sizeof(facts.version);
        if (!::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&facts.version)))
            std::memset(&facts.version, 0, sizeof(facts.version));
    }

    HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    SYSTEM_INFO system;
    std::memset(&system, 0, sizeof(system));
    typedef void(WINAPI * NativeSystemInfoFunction)(SYSTEM_INFO*);
    NativeSystemInfoFunction nativeSystemInfo = reinterpret_cast<NativeSystemInfoFunction>(
        kernel != nullptr ? ::GetProcAddress(kernel, "GetNativeSystemInfo") : nullptr);
    if (nativeSystemInfo != nullptr)
        nativeSystemInfo(&system);
    else
        ::GetSystemInfo(&system);
    facts.architecture = system.wProcessorArchitecture;

    typedef BOOL(WINAPI * ProductInfoFunction)(DWORD, DWORD, DWORD, DWORD, DWORD*);
    ProductInfoFunction productInfo = reinterpret_cast<ProductInfoFunction>(
        kernel != nullptr ? ::GetProcAddress(kernel, "GetProductInfo") : nullptr);
    DWORD productType = 0;
    if (productInfo != nullptr)
        productInfo(6, 0, 0, 0, &productType);
    facts.productType = productType;
    facts.serverR2 = ::GetSystemMetrics(SM_SERVERR2);
}

bool DescribeOs(const OsVersionFacts& facts, HardwareReport& report) {
    const OSVERSIONINFOEXW& version = facts.version;
    const bool nt = version.dwPlatformId == VER_PLATFORM_WIN32_NT;
    const bool windows9x = version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
    if (!windows9x && !(nt && version.dwMajorVersion >= 5))
        return false;

    std::wstring text = L"Microsoft ";
    uint8_t code = 0;
    uint8_t is64Bit = 0;
    if (nt) {
        if (version.dwMajorVersion == 6 || (version.dwMajorVersion == 10 && version.dwMinorVersion == 0)) {
            DescribeVersion6OrLater(facts, text, code, is64Bit);
        } else if (version.dwMajorVersion == 5 && version.dwMinorVersion == 2) {
            code = kOsWindowsServer2003;
            DescribeVersion52(facts, text, is64Bit);
        } else if (version.dwMajorVersion == 5 && version.dwMinorVersion == 1) {
            code = kOsWindowsXp;
            text += L"Windows XP ";
            text += (version.wSuiteMask & VER_SUITE_PERSONAL) ? L"Home Edition" : L"Professional";
        } else if (version.dwMajorVersion == 5 && version.dwMinorVersion == 0) {
            code = kOsWindows2000;
            text += L"Windows 2000 ";
            if (version.wProductType == VER_NT_WORKSTATION)
                text += L"Professional";
            else if (version.wSuiteMask & VER_SUITE_DATACENTER)
                text += L"Datacenter Server";
            else if (version.wSuiteMask & VER_SUITE_ENTERPRISE)
                text += L"Advanced Server";
            else
                text += L"Server";
        }
        // The service-pack text may fill its whole field.
        const size_t packLength = wcsnlen(version.szCSDVersion, sizeof(version.szCSDVersion) / sizeof(wchar_t));
        if (packLength > 0) {
            text += L' ';
            text.append(version.szCSDVersion, packLength);
        }
        text += FormatString(L" (build %lu)", static_cast<unsigned long>(version.dwBuildNumber));
    } else {
        code = kOsWindows9x;
        if (version.dwMinorVersion == 90)
            text += L"Windows Me ";
        else if (version.dwMinorVersion == 10)
            text += L"Windows 98 ";
        else
            text += L"Windows 95 ";
    }
    report.osText = text;
    report.osCode = code;
    report.is64Bit = is64Bit;
    return true;
}

bool GetOsDescription(HardwareReport& report) {
    OsVersionFacts facts;
    ReadOsVersionFacts(facts);
    return DescribeOs(facts, report);
}

}  // namespace Tessar
