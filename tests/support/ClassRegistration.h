#pragma once
// The test ActiveX control (tests/programs/activex) as a COM class: its
// DLL in the build's fixtures, and a registration of a DLL as the
// in-process server of a class id in HKEY_LOCAL_MACHINE\Software\Classes
// (where Wine's classes root reads it; not HKEY_CURRENT_USER's).

#include <windows.h>

#include <string>

namespace Tessar {
namespace Test {

// The test control's DLL in the build's fixture folder (a Windows path).
std::wstring TestControlDllPath();

// Registers `dll` as the apartment-threaded in-process server of `clsid`
// ("{...}") and, when given, `progId` as a name of the class; removed again
// on destruction.
class VQClassRegistration {
public:
    VQClassRegistration(const std::wstring& clsid, const std::wstring& dll, const std::wstring& progId = L"");
    ~VQClassRegistration();
    VQClassRegistration(const VQClassRegistration&) = delete;
    VQClassRegistration& operator=(const VQClassRegistration&) = delete;
    bool IsValid() const { return m_valid; }

private:
    std::wstring m_clsid;
    std::wstring m_progId;
    bool m_valid = false;
};

}  // namespace Test
}  // namespace Tessar
