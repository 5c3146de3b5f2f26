#include "tests/support/ClassRegistration.h"

#include "tests/programs/activex/TestControlApi.h"
#include "tests/support/LocalServer.h"

namespace Tessar {
namespace Test {

namespace {

const wchar_t kClassesKey[] = L"Software\\Classes\\";

bool SetValue(const std::wstring& path, const wchar_t* name, const std::wstring& value) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const LONG result = ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                         static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

}  // namespace

std::wstring TestControlDllPath() {
    return UnixToWindowsPath(BinaryDirUnix() + "/fixtures/activex/") + VQ_TEST_CONTROL_DLL;
}

VQClassRegistration::VQClassRegistration(const std::wstring& clsid, const std::wstring& dll, const std::wstring& progId)
    : m_clsid(clsid), m_progId(progId) {
    const std::wstring server = std::wstring(kClassesKey) + L"CLSID\\" + clsid + L"\\InprocServer32";
    m_valid = SetValue(server, nullptr, dll) && SetValue(server, L"ThreadingModel", L"Apartment") &&
              (progId.empty() || SetValue(std::wstring(kClassesKey) + progId + L"\\CLSID", nullptr, clsid));
}

VQClassRegistration::~VQClassRegistration() {
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, (std::wstring(kClassesKey) + L"CLSID\\" + m_clsid).c_str());
    if (!m_progId.empty()) ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, (std::wstring(kClassesKey) + m_progId).c_str());
}

}  // namespace Test
}  // namespace Tessar
