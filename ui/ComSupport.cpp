#include "ui/ComSupport.h"

#include "common/FormatText.h"

namespace Tessar {

VQBstr::VQBstr(const std::wstring& text)
    : m_value(::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}

VQBstr::VQBstr(const wchar_t* text) : m_value(text ? ::SysAllocString(text) : nullptr) {}

VQBstr::VQBstr(const VQBstr& other)
    : m_value(other.m_value ? ::SysAllocStringLen(other.m_value, other.Length()) : nullptr) {}

VQBstr& VQBstr::operator=(const VQBstr& other) {
    if (this != &other) {
        BSTR copy = other.m_value ? ::SysAllocStringLen(other.m_value, other.Length()) : nullptr;
        Free();
        m_value = copy;
    }
    return *this;
}

VQBstr& VQBstr::operator=(VQBstr&& other) noexcept {
    if (this != &other) {
        Free();
        m_value = other.m_value;
        other.m_value = nullptr;
    }
    return *this;
}

void VQBstr::Attach(BSTR value) {
    if (value == m_value) return;
    Free();
    m_value = value;
}

BSTR VQBstr::Detach() {
    BSTR value = m_value;
    m_value = nullptr;
    return value;
}

BSTR* VQBstr::Receive() {
    Free();
    return &m_value;
}

void VQBstr::Free() {
    if (m_value) {
        ::SysFreeString(m_value);
        m_value = nullptr;
    }
}

std::wstring VQComError::ErrorMessage() const {
    wchar_t* buffer = nullptr;
    DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(m_result), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text;
    if (length != 0 && buffer) text.assign(buffer, length);
    if (buffer) ::LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
    if (text.empty()) text = FormatString(L"Unknown error 0x%08X", static_cast<unsigned>(m_result));
    return text;
}

}  // namespace Tessar
