#pragma once
// Little-endian fields of the package formats.

#include <cstdint>
#include <string>

namespace Tessar {

inline uint32_t LoadU32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

inline uint64_t LoadU64(const unsigned char* p) {
    return static_cast<uint64_t>(LoadU32(p)) | static_cast<uint64_t>(LoadU32(p + 4)) << 32;
}

// count UTF-16LE characters.
inline std::wstring LoadUtf16(const unsigned char* p, uint32_t count) {
    std::wstring text(count, L'\0');
    for (uint32_t i = 0; i < count; ++i)
        text[i] = static_cast<wchar_t>(p[2 * i] | p[2 * i + 1] << 8);
    return text;
}

inline void StoreU32(unsigned char* p, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>(value >> (8 * i));
}

inline void AppendU32(std::string& out, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>(value >> (8 * i)));
}

inline void AppendU64(std::string& out, uint64_t value) {
    AppendU32(out, static_cast<uint32_t>(value));
    AppendU32(out, static_cast<uint32_t>(value >> 32));
}

// The characters only, no count.
inline void AppendUtf16(std::string& out, const std::wstring& text) {
    for (wchar_t c : text) {
        out.push_back(static_cast<char>(c & 0xFF));
        out.push_back(static_cast<char>((c >> 8) & 0xFF));
    }
}

}  // namespace Tessar
