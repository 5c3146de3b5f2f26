#pragma once
// One registry key as the .reg import and the registry undo data see it:
// a root from the fixed root table, a path below it, its values and (in
// undo records) its sub-keys. A key whose root is not in the table is
// never written.

#include "common/RegValue.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace Tessar {

// The roots a .reg file and the undo data may name, in table order. There
// is no short form. HKEY_CLASSES_ROOT is no root of the table either: its
// keys are written below HKEY_CURRENT_USER\Software\Classes, the user's
// part of that merged view.
struct VQRegRootEntry {
    uint32_t root;  // predefined key handle value, e.g. 0x80000001
    const wchar_t* name;
    size_t length;  // characters of name
};
const VQRegRootEntry* RegRootTable();
const size_t kRegRootCount = 6;
const uint32_t kRegRootCurrentUser = 0x80000001;
// 0 for a key whose name named no root of the table.
const uint32_t kRegNoRoot = 0;
// Where the keys of a .reg file's HKEY_CLASSES_ROOT go, below
// HKEY_CURRENT_USER.
extern const wchar_t kRegClassesPath[];

bool IsRegRoot(uint32_t root);
// The predefined handle of a root value (sign-extended as the system does).
HKEY RegRootHandle(uint32_t root);

class VQRegKey {
public:
    // An empty key: root HKEY_CURRENT_USER, no path. As an undo record it
    // changes nothing.
    VQRegKey();
    explicit VQRegKey(const std::wstring& fullName);
    VQRegKey(uint32_t root, const std::wstring& path);

    // Root name, then a backslash and the path when there is one; "-" in
    // front when withDeleteMark and deleteKey. Empty for a key without root.
    std::wstring GetFullName(bool withDeleteMark) const;
    // A leading "-" sets deleteKey. The root name (any case) must be
    // followed by a backslash or the end; trailing backslashes leave the
    // path. False, with root kRegNoRoot and an empty path, for a name
    // without a table root and for a deletion of a whole root.
    bool SetFullName(const std::wstring& fullName);
    // Has a table root, and is not the deletion of a whole root.
    bool IsWritable() const;
    // Nothing to write: the empty key of an undo record.
    bool IsNoOp() const;

    // Appends the serialised key (little-endian, see RegUndo.h).
    void Serialise(std::string& out) const;
    // Reads exactly length bytes; false when they do not hold one whole key.
    bool Deserialise(const unsigned char* data, uint32_t length);
    uint32_t GetSerialSize() const;

    std::vector<VQRegValue> values;
    std::vector<VQRegKey> subkeys;
    uint32_t root;
    std::wstring path;
    uint8_t deleteKey;

private:
    bool DeserialiseAt(const unsigned char* data, uint32_t length, int depth);
};

}  // namespace Tessar
