#pragma once
// Numbers in the fields of the data files, read as the files have always
// been read (common/ServerNumber.h): leading digits, so that an odd field
// becomes a number and never costs its record.

#include "common/ServerNumber.h"

#include <cstdint>
#include <string>

namespace Tessar {

// Leading decimal digits kept in a narrower field by their low bits, as the
// writers' "%u" and the readers' narrowing have always done.
template <typename T, typename Text>
T ReadLowBits(const Text& text) {
    return static_cast<T>(LeadingNumber(text));
}

// A byte or transfer count: leading digits, never past INT64_MAX, so that
// it never turns negative.
template <typename Text>
int64_t ReadByteCount(const Text& text) {
    uint64_t value = LeadingNumber(text);
    return value > static_cast<uint64_t>(INT64_MAX) ? INT64_MAX : static_cast<int64_t>(value);
}

// The C runtime's _wtoi reading (blanks, a sign, digits) of an unsigned
// 32-bit field, as install.vqx and the catalogue's ids are read: a negative
// number as _wtoi gives it ("-1" is 4294967295), a positive one up to the
// field's largest value, so that every value the field holds reads back.
template <typename Text>
uint32_t ReadCrtInt(const Text& text) {
    int64_t value = LeadingSignedNumber(text);
    if (value < INT32_MIN)
        return static_cast<uint32_t>(INT32_MIN);
    if (value > static_cast<int64_t>(UINT32_MAX))
        return UINT32_MAX;
    return static_cast<uint32_t>(value);
}

}  // namespace Tessar
