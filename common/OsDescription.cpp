#include "common/OsDescription.h"

#include "common/FormatText.h"
#include "common/HardwareReport.h"

#include <cstring>

namespace Tessar {

namespace {

const wchar_t* EditionName(uint32_t productType) {
    switch (productType) {
    case 1: return L"Ultimate Edition";
    case 2: return L"Home Basic Edition";
    case 3: return L"Home Premium Edition";
    case 4: return L"Enterprise Edition";
    case 6: return L"Business Edition";
    case 7: return L"Standard Edition";
    case 8: return L"Datacenter Edition";
    case 9: return L"Small Business Server";
    case 10: return L"Enterprise Edition";
    case 11: return L"Starter Edition";
    case 12: return L"Datacenter Edition (core installation)";
    case 13: return L"Standard Edition (core installation)";
    case 14: return L"Enterprise Edition (core installation)";
    case 15: return L"Enterprise Edition for Itanium-based Systems";
    case 17: return L"Web Server Edition";
    case 18: return L"Cluster Server Edition";
    case 25: return L"Small Business Server Premium Edition";
    default: return L"Unknown";
    }
}

void DescribeVersion6(const OsVersionFacts& facts, std::wstring& text, uint8_t& code, uint8_t& is64Bit) {
    const OSVERSIONINFOEXW& version = facts.version;
    if (version.dwMinorVersion == 0) {
        code = kOsWindowsVista;
        text += version.wProductType == VER_NT_WORKSTATION ? L"Windows Vista " : L"Windows Server 2008 ";
    } else if (version.dwMinorVersion == 1) {
        code = kOsWindows7;
        text += L"Windows 7 ";
    }
    text += EditionName(facts.productType);
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
    if (!::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&facts.version)))
        std::memset(&facts.version, 0, sizeof(facts.version));

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
        if (version.dwMajorVersion == 6) {
            DescribeVersion6(facts, text, code, is64Bit);
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
