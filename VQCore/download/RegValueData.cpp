#include "VQCore/download/RegValueData.h"

#include "VQCore/download/ByteOrder.h"
#include "VQCore/download/RegFileError.h"
#include "common/CodePage.h"

#include <windows.h>

#include <cstring>
#include <cwchar>
#include <vector>

namespace Tessar {

namespace {

[[noreturn]] void Broken() {
    throw VQRegParseError(kRegParsingFailed);
}

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

bool BeginsWith(const wchar_t* begin, const wchar_t* end, const wchar_t* prefix) {
    size_t length = std::wcslen(prefix);
    return static_cast<size_t>(end - begin) >= length && std::wmemcmp(begin, prefix, length) == 0;
}

int HexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    if (c >= L'a' && c <= L'f')
        return c - L'a' + 10;
    if (c >= L'A' && c <= L'F')
        return c - L'A' + 10;
    return -1;
}

// Nothing but blanks and a comment left.
bool OnlyCommentLeft(const wchar_t* at, const wchar_t* end) {
    while (at < end && IsBlank(*at))
        ++at;
    return at == end || *at == L';';
}

// Reads 1 to maxDigits hex digits; the end of the digits in at.
bool ReadHexNumber(const wchar_t*& at, const wchar_t* end, size_t maxDigits, uint32_t& number) {
    number = 0;
    size_t digits = 0;
    for (; at < end && HexDigit(*at) >= 0; ++at, ++digits) {
        if (digits == maxDigits)
            return false;
        number = number << 4 | static_cast<uint32_t>(HexDigit(*at));
    }
    return digits > 0;
}

// The text between quotes, from after the opening quote; "\\" and "\""
// stand for themselves, other backslashes stay. The position after the
// closing quote, or null when the text never closes.
const wchar_t* ReadQuoted(const wchar_t* at, const wchar_t* end, std::wstring& text) {
    while (at < end) {
        if (*at == L'\\') {
            if (at + 1 == end)
                return nullptr;
            if (at[1] == L'\\' || at[1] == L'"') {
                text.push_back(at[1]);
                at += 2;
                continue;
            }
        } else if (*at == L'"') {
            return at + 1;
        }
        text.push_back(*at++);
    }
    return nullptr;
}

std::vector<unsigned char> ReadHexList(const wchar_t* at, const wchar_t* end) {
    std::wstring clean;
    for (; at < end; ++at) {
        if (*at == L'\\') {
            // A backslash before a line break (or at the very end) joins lines.
            const wchar_t* after = at + 1;
            if (after < end && *after == L'\r')
                ++after;
            if (after == end || *after == L'\n') {
                at = after == end ? end - 1 : after;
                continue;
            }
        }
        if (*at == L';') {
            while (at < end && *at != L'\n')
                ++at;
            if (at == end)
                break;
            continue;
        }
        if (IsBlank(*at) || *at == L'\r' || *at == L'\n')
            continue;
        clean.push_back(*at);
    }
    if (!clean.empty() && clean.back() == L',')
        clean.pop_back();
    std::vector<unsigned char> bytes;
    if (clean.empty())
        return bytes;
    const wchar_t* item = clean.c_str();
    const wchar_t* cleanEnd = item + clean.size();
    while (true) {
        uint32_t byte = 0;
        if (!ReadHexNumber(item, cleanEnd, 2, byte))
            Broken();
        bytes.push_back(static_cast<unsigned char>(byte));
        if (item == cleanEnd)
            return bytes;
        if (*item != L',')
            Broken();
        ++item;
    }
}

void AssignTyped(VQRegValue& value, uint32_t type, std::vector<unsigned char> bytes, bool ansiFile) {
    bool utf16 = type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
    if (utf16 && ansiFile) {
        std::string converted;
        AppendUtf16(converted, NarrowToWideEx(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
        bytes.assign(converted.begin(), converted.end());
    }
    if (utf16 && bytes.size() % 2 != 0)
        Broken();
    if ((type == REG_DWORD || type == REG_DWORD_BIG_ENDIAN) && bytes.size() != 4)
        Broken();
    if (type == REG_QWORD && bytes.size() != 8)
        Broken();
    if (type >= kRegDeleteMarkType)
        Broken();
    static const unsigned char none = 0;
    value.type = type;
    if (!value.AssignRaw(bytes.empty() ? &none : bytes.data(), static_cast<uint32_t>(bytes.size())))
        Broken();
    if (type == REG_MULTI_SZ) {
        // The whole content as text too, for whoever reads the value as one string.
        for (size_t i = 0; i + 1 < bytes.size(); i += 2)
            value.text.push_back(static_cast<wchar_t>(bytes[i] | bytes[i + 1] << 8));
    }
}

}  // namespace

std::wstring DecodeRegValueName(const wchar_t* begin, const wchar_t* end) {
    std::wstring name;
    if (end - begin == 1 && *begin == L'@')
        return name;
    if (end - begin >= 2 && *begin == L'"' && end[-1] == L'"') {
        const wchar_t* after = ReadQuoted(begin + 1, end, name);
        if (after == end)
            return name;
        name.clear();
    }
    // Unquoted (or oddly quoted) names keep their characters, escapes read.
    for (const wchar_t* at = begin; at < end; ++at) {
        if (*at == L'\\' && at + 1 < end && (at[1] == L'\\' || at[1] == L'"'))
            ++at;
        name.push_back(*at);
    }
    return name;
}

bool ParseRegValueData(const wchar_t* begin, const wchar_t* end, bool ansiFile, VQRegValue& value) {
    if (begin < end && *begin == L'-' && OnlyCommentLeft(begin + 1, end)) {
        value.deleteMark = 1;
        return true;
    }
    if (begin < end && *begin == L'"') {
        std::wstring text;
        const wchar_t* after = ReadQuoted(begin + 1, end, text);
        if (after == nullptr || !OnlyCommentLeft(after, end))
            Broken();
        value.type = REG_SZ;
        value.text = text;
        value.text.push_back(L'\0');
        return true;
    }
    if (BeginsWith(begin, end, L"hex:")) {
        std::vector<unsigned char> bytes = ReadHexList(begin + 4, end);
        value.type = REG_BINARY;
        value.bytes.Resize(static_cast<uint32_t>(bytes.size()));
        if (!bytes.empty())
            std::memcpy(value.bytes.data, bytes.data(), bytes.size());
        return true;
    }
    if (BeginsWith(begin, end, L"dword:")) {
        const wchar_t* at = begin + 6;
        if (BeginsWith(at, end, L"0x") || BeginsWith(at, end, L"0X"))
            at += 2;
        uint32_t number = 0;
        if (!ReadHexNumber(at, end, 8, number) || !OnlyCommentLeft(at, end))
            Broken();
        value.type = REG_DWORD;
        value.number = number;
        return true;
    }
    if (BeginsWith(begin, end, L"hex(")) {
        const wchar_t* at = begin + 4;
        uint32_t type = 0;
        if (!ReadHexNumber(at, end, 8, type) || !BeginsWith(at, end, L"):"))
            Broken();
        AssignTyped(value, type, ReadHexList(at + 2, end), ansiFile);
        return true;
    }
    return false;
}

}  // namespace Tessar
