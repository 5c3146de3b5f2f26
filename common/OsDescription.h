#pragma once
// The Windows version facts that the OS description is made of, and the
// description itself; tests give their own facts.

#include <windows.h>

#include <cstdint>

namespace Tessar {

struct HardwareReport;

struct OsVersionFacts {
    OSVERSIONINFOEXW version;  // the true version (not the one GetVersionEx gives); zero when unreadable
    uint16_t architecture;     // PROCESSOR_ARCHITECTURE_*, of the native system
    uint32_t productType;      // GetProductInfo(6, 0, 0, 0); 0 without it
    int serverR2;              // GetSystemMetrics(SM_SERVERR2)
};

void ReadOsVersionFacts(OsVersionFacts& facts);
// Sets the OS text, code and 64-bit flag; false for an unsupported
// platform, leaving the report unchanged.
bool DescribeOs(const OsVersionFacts& facts, HardwareReport& report);

}  // namespace Tessar
