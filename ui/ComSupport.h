#pragma once
// The small pieces of COM support the toolkit needs around COM calls: an
// owned BSTR and an error record carrying an HRESULT. Nothing here throws
// across a COM method; VQComError is a plain value a caller may keep.

#include <windows.h>

#include <oleauto.h>

#include <string>

namespace Tessar {

// Owns one BSTR: made from wide text, freed on destruction. A BSTR handed
// in through Attach is owned from then on.
class VQBstr {
public:
    VQBstr() = default;
    explicit VQBstr(const std::wstring& text);
    explicit VQBstr(const wchar_t* text);
    ~VQBstr() { Free(); }
    VQBstr(const VQBstr& other);
    VQBstr& operator=(const VQBstr& other);
    VQBstr(VQBstr&& other) noexcept : m_value(other.m_value) { other.m_value = nullptr; }
    VQBstr& operator=(VQBstr&& other) noexcept;

    BSTR Get() const { return m_value; }
    // Length in characters (a BSTR may hold zeros); 0 for none.
    unsigned Length() const { return m_value ? ::SysStringLen(m_value) : 0; }
    bool IsEmpty() const { return Length() == 0; }
    std::wstring ToString() const { return std::wstring(m_value ? m_value : L"", Length()); }
    // Takes over a BSTR someone handed out.
    void Attach(BSTR value);
    // Gives the BSTR away; the caller frees it.
    BSTR Detach();
    // For "out" parameters: frees what is held, then points at the slot.
    BSTR* Receive();
    void Free();

private:
    BSTR m_value = nullptr;
};

// An HRESULT with the system's description of it.
class VQComError {
public:
    explicit VQComError(HRESULT result) : m_result(result) {}
    HRESULT Error() const { return m_result; }
    bool Failed() const { return FAILED(m_result); }
    // FormatMessage text without the trailing line break; "Unknown error
    // 0x%08X" when the system has none.
    std::wstring ErrorMessage() const;

private:
    HRESULT m_result;
};

}  // namespace Tessar
