#include "common/CodePage.h"

#include <climits>
#include <cstring>

namespace Tessar {

namespace {

// Every ANSI code page keeps ASCII as it is, so ASCII text (most texts of
// the data files: numbers, addresses, file names) widens byte by byte
// without asking the system.
std::wstring AnsiToWide(const char* text, size_t length) {
    if (text == nullptr)
        return std::wstring();
    for (size_t i = 0; i < length; ++i) {
        if (static_cast<unsigned char>(text[i]) >= 0x80)
            return CodePageToWide(CP_ACP, text, length);
    }
    return std::wstring(text, text + length);
}

}  // namespace

std::wstring CodePageToWide(UINT codePage, const char* text, size_t length) {
    if (text == nullptr || length == 0 || length > INT_MAX)
        return std::wstring();
    // Every character takes at least one byte, so one call into a buffer
    // of the byte length is enough.
    std::wstring wide(length, L'\0');
    int count = ::MultiByteToWideChar(codePage, 0, text, static_cast<int>(length), &wide[0],
                                      static_cast<int>(length));
    wide.resize(count > 0 ? static_cast<size_t>(count) : 0);
    return wide;
}

std::string WideToCodePage(UINT codePage, const std::wstring& text, char defaultChar) {
    if (text.empty() || text.size() > INT_MAX)
        return std::string();
    // UTF-7 and UTF-8 take neither flags nor a default character. For the
    // others, a character without an exact match becomes the default one
    // instead of a look-alike, so that a path never names another file.
    bool unicode = codePage == CP_UTF8 || codePage == CP_UTF7;
    DWORD flags = unicode ? 0 : WC_NO_BEST_FIT_CHARS;
    // Double-byte code pages read the default as a terminated text of one
    // or two bytes.
    const char defaultText[2] = {defaultChar, '\0'};
    const char* fallback = unicode ? nullptr : defaultText;
    int size = static_cast<int>(text.size());
    int count = ::WideCharToMultiByte(codePage, flags, text.data(), size, nullptr, 0, fallback, nullptr);
    if (count <= 0)
        return std::string();
    std::string narrow(static_cast<size_t>(count), '\0');
    count = ::WideCharToMultiByte(codePage, flags, text.data(), size, &narrow[0], count, fallback, nullptr);
    narrow.resize(count > 0 ? static_cast<size_t>(count) : 0);
    return narrow;
}

std::wstring NarrowToWide(const char* text) {
    return text != nullptr ? AnsiToWide(text, std::strlen(text)) : std::wstring();
}

std::wstring NarrowStringToWide(const std::string& text) {
    return AnsiToWide(text.data(), text.size());
}

std::wstring NarrowToWideEx(const char* text, size_t length) {
    return AnsiToWide(text, length);
}

std::string WideToNarrow(const std::wstring& text) {
    return WideToCodePage(CP_ACP, text, '_');
}

std::string WideToNarrowEx(const std::wstring& text, char defaultChar) {
    return WideToCodePage(CP_ACP, text, defaultChar);
}

std::wstring CopyWideString(const wchar_t* text) {
    return text != nullptr ? std::wstring(text) : std::wstring();
}

int Utf8Encode(uint32_t codePoint, char* out) {
    if (codePoint < 0x80) {
        out[0] = static_cast<char>(codePoint);
        return 1;
    }
    if (codePoint < 0x800) {
        out[0] = static_cast<char>(0xC0 | (codePoint >> 6));
        out[1] = static_cast<char>(0x80 | (codePoint & 0x3F));
        return 2;
    }
    if (codePoint < 0x10000) {
        out[0] = static_cast<char>(0xE0 | (codePoint >> 12));
        out[1] = static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (codePoint & 0x3F));
        return 3;
    }
    if (codePoint < 0x110000) {
        out[0] = static_cast<char>(0xF0 | (codePoint >> 18));
        out[1] = static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        out[2] = static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out[3] = static_cast<char>(0x80 | (codePoint & 0x3F));
        return 4;
    }
    return -1;
}

uint32_t Utf8Decode(const unsigned char*& pos, size_t& remaining) {
    if (remaining == 0)
        return kUtf8Incomplete;
    unsigned char lead = pos[0];
    if (lead < 0x80) {
        ++pos;
        --remaining;
        return lead;
    }
    size_t needed;
    uint32_t value;
    if (lead >= 0xC0 && lead <= 0xDF) {
        needed = 2;
        value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        needed = 3;
        value = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        needed = 4;
        value = lead & 0x07;
    } else {
        ++pos;
        --remaining;
        return kUtf8Invalid;
    }
    // A malformed follower is an error even at the end of the input, so
    // that a stray lead byte never swallows the text after it.
    size_t available = remaining < needed ? remaining : needed;
    for (size_t i = 1; i < available; ++i) {
        if ((pos[i] & 0xC0) != 0x80) {
            ++pos;
            --remaining;
            return kUtf8Invalid;
        }
        value = (value << 6) | (pos[i] & 0x3F);
    }
    if (remaining < needed)
        return kUtf8Incomplete;
    if (value > 0x10FFFF) {
        ++pos;
        --remaining;
        return kUtf8Invalid;
    }
    pos += needed;
    remaining -= needed;
    return value;
}

bool WideToUtf8(const wchar_t* text, size_t length, std::string& out) {
    out.clear();
    if (text == nullptr)
        return false;
    out.reserve(length * 2);
    char bytes[4];
    for (size_t i = 0; i < length; ++i) {
        uint32_t unit = static_cast<uint16_t>(text[i]);
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < length) {
            uint32_t low = static_cast<uint16_t>(text[i + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        out.append(bytes, static_cast<size_t>(Utf8Encode(unit, bytes)));
    }
    return true;
}

std::string WideToUtf8(const std::wstring& text) {
    std::string out;
    WideToUtf8(text.data(), text.size(), out);
    return out;
}

bool Utf8ToWide(const char* bytes, size_t length, std::wstring& out) {
    out.clear();
    if (bytes == nullptr)
        return false;
    const unsigned char* pos = reinterpret_cast<const unsigned char*>(bytes);
    size_t remaining = length;
    while (remaining > 0) {
        uint32_t value = Utf8Decode(pos, remaining);
        if (value == kUtf8Incomplete)
            return true;
        if (value == kUtf8Invalid)
            return false;
        if (value >= 0x10000) {
            value -= 0x10000;
            out += static_cast<wchar_t>(0xD800 + (value >> 10));
            out += static_cast<wchar_t>(0xDC00 + (value & 0x3FF));
        } else {
            out += static_cast<wchar_t>(value);
        }
    }
    return true;
}

std::wstring Utf8ToWide(const std::string& bytes) {
    std::wstring out;
    Utf8ToWide(bytes.data(), bytes.size(), out);
    return out;
}

}  // namespace Tessar
