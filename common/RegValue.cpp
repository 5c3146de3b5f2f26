#include "common/RegValue.h"

#include <windows.h>

#include <cstring>

namespace Tessar {

namespace {

void CopyBytes(VQBuffer<unsigned char>& to, const VQBuffer<unsigned char>& from) {
    to.Resize(from.size);
    if (from.size > 0)
        std::memcpy(to.data, from.data, from.size);
}

void PutUtf16(unsigned char* out, const wchar_t* text, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        out[2 * i] = static_cast<unsigned char>(text[i] & 0xFF);
        out[2 * i + 1] = static_cast<unsigned char>((text[i] >> 8) & 0xFF);
    }
}

wchar_t Utf16At(const unsigned char* data, uint32_t index) {
    return static_cast<wchar_t>(data[2 * index] | data[2 * index + 1] << 8);
}

// Types whose value lives in bytes unchanged.
bool IsByteType(uint32_t type) {
    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
    case REG_DWORD:
    case REG_DWORD_BIG_ENDIAN:
    case REG_MULTI_SZ:
    case REG_QWORD:
        return false;
    default:
        return type < kRegDeleteMarkType;
    }
}

}  // namespace

VQRegValue::VQRegValue(uint32_t type, const std::wstring& name)
    : type(type), name(name), number(0), number64(0), deleteMark(0) {}

VQRegValue::VQRegValue(const VQRegValue& other)
    : type(other.type),
      name(other.name),
      number(other.number),
      strings(other.strings),
      text(other.text),
      number64(other.number64),
      deleteMark(other.deleteMark) {
    CopyBytes(bytes, other.bytes);
}

VQRegValue& VQRegValue::operator=(const VQRegValue& other) {
    if (this != &other) {
        type = other.type;
        name = other.name;
        number = other.number;
        strings = other.strings;
        text = other.text;
        number64 = other.number64;
        CopyBytes(bytes, other.bytes);
        deleteMark = other.deleteMark;
    }
    return *this;
}

bool VQRegValue::ToRaw(VQBuffer<unsigned char>& out) const {
    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
        out.Resize(static_cast<uint32_t>(text.size() * 2));
        PutUtf16(out.data, text.data(), text.size());
        return true;
    case REG_DWORD:
    case REG_DWORD_BIG_ENDIAN:
        out.Resize(4);
        for (int i = 0; i < 4; ++i) {
            int shift = type == REG_DWORD ? 8 * i : 8 * (3 - i);
            out.data[i] = static_cast<unsigned char>(number >> shift);
        }
        return true;
    case REG_QWORD:
        out.Resize(8);
        for (int i = 0; i < 8; ++i)
            out.data[i] = static_cast<unsigned char>(number64 >> (8 * i));
        return true;
    case REG_MULTI_SZ: {
        size_t chars = 1;
        for (const std::wstring& item : strings)
            chars += item.size() + 1;
        out.Resize(static_cast<uint32_t>(chars * 2));
        unsigned char* at = out.data;
        for (const std::wstring& item : strings) {
            PutUtf16(at, item.c_str(), item.size() + 1);
            at += (item.size() + 1) * 2;
        }
        at[0] = at[1] = 0;
        return true;
    }
    default:
        if (!IsByteType(type))
            return false;
        CopyBytes(out, bytes);
        return true;
    }
}

bool VQRegValue::AssignRaw(const void* data, uint32_t size) {
    if (data == nullptr)
        return true;
    if (type == kRegDeleteMarkType) {
        deleteMark = 1;
        return true;
    }
    const unsigned char* raw = static_cast<const unsigned char*>(data);
    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
        for (uint32_t i = 0; i < size / 2; ++i)
            text.push_back(Utf16At(raw, i));
        return true;
    case REG_DWORD:
    case REG_DWORD_BIG_ENDIAN:
        if (size != 4)
            return false;
        number = 0;
        for (int i = 0; i < 4; ++i) {
            int shift = type == REG_DWORD ? 8 * i : 8 * (3 - i);
            number |= static_cast<uint32_t>(raw[i]) << shift;
        }
        return true;
    case REG_QWORD:
        if (size != 8)
            return false;
        number64 = 0;
        for (int i = 0; i < 8; ++i)
            number64 |= static_cast<uint64_t>(raw[i]) << (8 * i);
        return true;
    case REG_MULTI_SZ: {
        strings.clear();
        uint32_t count = size / 2;
        std::wstring piece;
        for (uint32_t i = 0; i < count; ++i) {
            wchar_t c = Utf16At(raw, i);
            if (c != L'\0') {
                piece.push_back(c);
                continue;
            }
            // The NUL in the last position ends the list; the piece it
            // closes counts only when it holds something.
            if (i + 1 == count && piece.empty())
                break;
            strings.push_back(piece);
            piece.clear();
        }
        return true;
    }
    default:
        if (!IsByteType(type))
            return false;
        bytes.Resize(size);
        if (size > 0)
            std::memcpy(bytes.data, raw, size);
        return true;
    }
}

}  // namespace Tessar
