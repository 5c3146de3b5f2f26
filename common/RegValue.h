#pragma once
// One typed registry value and its conversion to and from the raw bytes the
// registry stores. The registry helpers write and read values through it,
// the .reg import builds one per value line, and the registry undo data
// keeps values in its raw form.

#include "common/Buffer.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Tessar {

// Type that marks a value to be deleted in the registry undo data; never a
// registry type of its own there.
const uint32_t kRegDeleteMarkType = 0xFF;

class VQRegValue {
public:
    explicit VQRegValue(uint32_t type = 1, const std::wstring& name = std::wstring());
    VQRegValue(const VQRegValue& other);
    VQRegValue& operator=(const VQRegValue& other);
    VQRegValue(VQRegValue&& other) noexcept = default;
    VQRegValue& operator=(VQRegValue&& other) noexcept = default;

    // The raw registry bytes by type; out is sized to exactly the bytes
    // written. Text is written as it stands: a terminated REG_SZ needs its
    // L'\0' at the end of text (values read from the registry carry it).
    // False (out untouched) for a type that cannot be written.
    bool ToRaw(VQBuffer<unsigned char>& out) const;
    // Sets the value from raw registry bytes of the record's type. Types 1
    // and 2 append to text; a null data pointer changes nothing.
    bool AssignRaw(const void* data, uint32_t size);

    uint32_t type;
    std::wstring name;  // empty for the key's default value
    uint32_t number;    // types 4 and 5
    std::vector<std::wstring> strings;  // type 7
    std::wstring text;                  // types 1 and 2 (the .reg import also fills it for 7)
    uint64_t number64;                  // type 11
    // Type 3, and the bytes as they are of every type without a field of
    // its own (0, 6, 8, 9, 10, 12-254), so that such values survive a
    // read and a write unchanged.
    VQBuffer<unsigned char> bytes;
    uint8_t deleteMark;
};

}  // namespace Tessar
