// Writes the OS description of the system it runs on to the file named by
// its argument: the text, the OS code, and what GetVersionEx reported.
// The OS-description tests run it as another Windows version.
#include "common/HardwareReport.h"

#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    Tessar::HardwareReport report;
    if (!Tessar::GetOsDescription(report))
        return 1;
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    ::GetVersionExW(&version);
    FILE* out = std::fopen(argv[1], "wb");
    if (out == nullptr)
        return 1;
    std::fprintf(out, "%ls\n%u\n%lu.%lu\n", report.GetOsText().c_str(), static_cast<unsigned>(report.osCode),
                 version.dwMajorVersion, version.dwMinorVersion);
    return std::fclose(out) == 0 ? 0 : 1;
}
