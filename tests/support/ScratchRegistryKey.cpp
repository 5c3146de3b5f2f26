#include "tests/support/ScratchRegistryKey.h"

#include <atomic>

namespace Tessar {

namespace {

const wchar_t kTestParent[] = L"Software\\TessarTest";

}  // namespace

VQScratchRegistryKey::VQScratchRegistryKey() {
    static std::atomic<unsigned> counter(0);
    LARGE_INTEGER tick = {};
    ::QueryPerformanceCounter(&tick);
    std::wstring stem = std::wstring(kTestParent) + L"\\" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                        std::to_wstring(tick.QuadPart) + L"-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::wstring path = stem + std::to_wstring(counter++);
        HKEY key = nullptr;
        DWORD disposition = 0;
        if (::RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                              nullptr, &key, &disposition) != ERROR_SUCCESS)
            return;
        ::RegCloseKey(key);
        if (disposition == REG_CREATED_NEW_KEY) {
            m_path = path;
            return;
        }
    }
}

VQScratchRegistryKey::~VQScratchRegistryKey() {
    if (m_path.empty())
        return;
    ::RegDeleteTreeW(HKEY_CURRENT_USER, m_path.c_str());
    // The shared parent goes once no other test holds a key below it.
    ::RegDeleteKeyW(HKEY_CURRENT_USER, kTestParent);
}

std::wstring VQScratchRegistryKey::FullName() const {
    return L"HKEY_CURRENT_USER\\" + m_path;
}

std::wstring VQScratchRegistryKey::PathOf(const std::wstring& sub) const {
    return sub.empty() ? m_path : m_path + L"\\" + sub;
}

bool VQScratchRegistryKey::KeyExists(const std::wstring& sub) const {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, PathOf(sub).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(key);
    return true;
}

}  // namespace Tessar
