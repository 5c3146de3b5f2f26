#pragma once
// Runtimes that come in several releases side by side, each answered as a
// bit mask of the releases found.

#include "VQCore/download/DetectEnvironment.h"

#include <cstdint>
#include <string>

namespace Tessar {

// Visual C++ runtimes: 0x01/0x02 the first family (base release, then its
// service pack), 0x04/0x08 the second, 0x10/0x20 the third; the column of
// product codes follows the processor architecture.
void DetectVcRuntimes(uint32_t& mask, const VQDetectEnvironment& environment = VQDetectEnvironment());

// XNA Framework 1.0, 2.0, 3.0, 3.1, 4.0 as 0x01 to 0x10.
void DetectXna(uint32_t& mask, const VQDetectEnvironment& environment = VQDetectEnvironment());

// .NET Framework: 2.0 SP0-SP2 0x001-0x004, 3.0 SP0-SP2 0x008-0x020,
// 3.5 SP0-SP1 0x040-0x080, 4 Full 0x100, 4 Client 0x200.
void DetectDotNet(uint32_t& mask, const VQDetectEnvironment& environment = VQDetectEnvironment());

// Product code without braces. Asks the MSI database when it is there
// (installed means state 5, INSTALLSTATE_DEFAULT); only without msi.dll or
// its export does an Uninstall key of that code count.
bool IsMsiProductInstalled(const std::wstring& code, const VQDetectEnvironment& environment = VQDetectEnvironment());

}  // namespace Tessar
