#include "VQCore/download/RegKey.h"

#include "VQCore/download/ByteOrder.h"
#include "common/TextUtil.h"

namespace Tessar {

const wchar_t kRegClassesPath[] = L"Software\\Classes";

namespace {

const VQRegRootEntry kRoots[kRegRootCount] = {
    {0x80000001, L"HKEY_CURRENT_USER", 17},  {0x80000005, L"HKEY_CURRENT_CONFIG", 19},
    {0x80000003, L"HKEY_USERS", 10},         {0x80000002, L"HKEY_LOCAL_MACHINE", 18},
    {0x80000004, L"HKEY_PERFORMANCE_DATA", 21}, {0x80000006, L"HKEY_DYN_DATA", 13},
};

const wchar_t kClassesRootName[] = L"HKEY_CLASSES_ROOT";
const size_t kClassesRootLength = 17;

// Deeper than the registry itself allows; bounds the recursion over a
// damaged or hostile undo block.
const int kMaxKeyDepth = 512;

const uint16_t kDeleteMarkType16 = 0x00FF;

const VQRegRootEntry* FindRoot(uint32_t root) {
    for (const VQRegRootEntry& entry : kRoots)
        if (entry.root == root)
            return &entry;
    return nullptr;
}

void AppendU16(std::string& out, uint16_t value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>(value >> 8));
}

// Reads from a bounded block; every read fails once the block is used up.
class BlockReader {
public:
    BlockReader(const unsigned char* data, uint32_t length) : m_at(data), m_left(length) {}
    bool U32(uint32_t& value) {
        if (m_left < 4)
            return false;
        value = LoadU32(m_at);
        Skip(4);
        return true;
    }
    bool U16(uint16_t& value) {
        if (m_left < 2)
            return false;
        value = static_cast<uint16_t>(m_at[0] | m_at[1] << 8);
        Skip(2);
        return true;
    }
    bool Text(uint32_t count, std::wstring& text) {
        if (count > m_left / 2)
            return false;
        text = LoadUtf16(m_at, count);
        Skip(count * 2);
        return true;
    }
    bool Bytes(uint32_t count, const unsigned char*& at) {
        if (count > m_left)
            return false;
        at = m_at;
        Skip(count);
        return true;
    }
    bool AtEnd() const { return m_left == 0; }

private:
    void Skip(uint32_t count) {
        m_at += count;
        m_left -= count;
    }
    const unsigned char* m_at;
    uint32_t m_left;
};

}  // namespace

const VQRegRootEntry* RegRootTable() {
    return kRoots;
}

bool IsRegRoot(uint32_t root) {
    return FindRoot(root) != nullptr;
}

HKEY RegRootHandle(uint32_t root) {
    return reinterpret_cast<HKEY>(static_cast<LONG_PTR>(static_cast<LONG>(root)));
}

VQRegKey::VQRegKey() : root(kRegRootCurrentUser), deleteKey(0) {}

VQRegKey::VQRegKey(const std::wstring& fullName) : root(kRegRootCurrentUser), deleteKey(0) {
    SetFullName(fullName);
}

VQRegKey::VQRegKey(uint32_t root, const std::wstring& path) : root(root), path(path), deleteKey(0) {}

std::wstring VQRegKey::GetFullName(bool withDeleteMark) const {
    const VQRegRootEntry* entry = FindRoot(root);
    if (entry == nullptr)
        return std::wstring();
    std::wstring name = entry->name;
    if (!path.empty())
        name += L"\\" + path;
    if (withDeleteMark && deleteKey)
        name.insert(0, 1, L'-');
    return name;
}

bool VQRegKey::SetFullName(const std::wstring& fullName) {
    std::wstring text = fullName;
    deleteKey = 0;
    if (!text.empty() && text[0] == L'-') {
        deleteKey = 1;
        text.erase(0, 1);
    }
    root = kRegNoRoot;
    path.clear();
    for (const VQRegRootEntry& entry : kRoots) {
        if (text.size() < entry.length || CompareNoCase(text, entry.name, entry.length) != 0)
            continue;
        // "HKEY_USERSX" is no root of the table.
        if (text.size() > entry.length && text[entry.length] != L'\\')
            continue;
        std::wstring rest = text.size() > entry.length ? text.substr(entry.length + 1) : std::wstring();
        while (!rest.empty() && rest.back() == L'\\')
            rest.pop_back();
        root = entry.root;
        path = rest;
        break;
    }
    if (root == kRegNoRoot && text.size() >= kClassesRootLength &&
        CompareNoCase(text, kClassesRootName, kClassesRootLength) == 0 &&
        (text.size() == kClassesRootLength || text[kClassesRootLength] == L'\\')) {
        std::wstring rest = text.size() > kClassesRootLength ? text.substr(kClassesRootLength + 1) : std::wstring();
        while (!rest.empty() && rest.back() == L'\\')
            rest.pop_back();
        // Deleting the whole of the classes root is no more allowed than
        // deleting any other root.
        if (!(deleteKey && rest.empty())) {
            root = kRegRootCurrentUser;
            path = rest.empty() ? std::wstring(kRegClassesPath) : std::wstring(kRegClassesPath) + L"\\" + rest;
        }
    }
    if (!IsWritable()) {
        root = kRegNoRoot;
        path.clear();
        return false;
    }
    return true;
}

bool VQRegKey::IsWritable() const {
    return IsRegRoot(root) && !(deleteKey && path.empty());
}

bool VQRegKey::IsNoOp() const {
    return root == kRegRootCurrentUser && path.empty() && !deleteKey && values.empty() && subkeys.empty();
}

void VQRegKey::Serialise(std::string& out) const {
    std::wstring name = GetFullName(true);
    AppendU32(out, static_cast<uint32_t>(name.size()));
    AppendUtf16(out, name);
    AppendU32(out, static_cast<uint32_t>(subkeys.size()));
    for (const VQRegKey& subkey : subkeys) {
        AppendU32(out, subkey.GetSerialSize());
        subkey.Serialise(out);
    }
    AppendU32(out, static_cast<uint32_t>(values.size()));
    for (const VQRegValue& value : values) {
        AppendU32(out, static_cast<uint32_t>(value.name.size()));
        AppendUtf16(out, value.name);
        AppendU16(out, value.deleteMark ? kDeleteMarkType16 : static_cast<uint16_t>(value.type));
        VQBuffer<unsigned char> raw;
        if (value.deleteMark || !value.ToRaw(raw))
            raw.Resize(0);
        AppendU32(out, raw.size);
        if (raw.size > 0)
            out.append(reinterpret_cast<const char*>(raw.data), raw.size);
    }
}

uint32_t VQRegKey::GetSerialSize() const {
    uint32_t size = 12 + 2 * static_cast<uint32_t>(GetFullName(true).size());
    for (const VQRegKey& subkey : subkeys)
        size += 4 + subkey.GetSerialSize();
    for (const VQRegValue& value : values) {
        VQBuffer<unsigned char> raw;
        if (value.deleteMark || !value.ToRaw(raw))
            raw.Resize(0);
        size += 10 + 2 * static_cast<uint32_t>(value.name.size()) + raw.size;
    }
    return size;
}

bool VQRegKey::Deserialise(const unsigned char* data, uint32_t length) {
    return DeserialiseAt(data, length, 0);
}

bool VQRegKey::DeserialiseAt(const unsigned char* data, uint32_t length, int depth) {
    values.clear();
    subkeys.clear();
    if (data == nullptr || depth > kMaxKeyDepth)
        return false;
    BlockReader reader(data, length);
    uint32_t count = 0;
    std::wstring name;
    if (!reader.U32(count) || !reader.Text(count, name) || !SetFullName(name))
        return false;
    if (!reader.U32(count))
        return false;
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t size = 0;
        const unsigned char* at = nullptr;
        if (!reader.U32(size) || !reader.Bytes(size, at))
            return false;
        VQRegKey subkey;
        if (!subkey.DeserialiseAt(at, size, depth + 1))
            return false;
        subkeys.push_back(std::move(subkey));
    }
    if (!reader.U32(count))
        return false;
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t nameLength = 0, size = 0;
        uint16_t type = 0;
        const unsigned char* at = nullptr;
        if (!reader.U32(nameLength) || !reader.Text(nameLength, name) || !reader.U16(type) || !reader.U32(size) ||
            !reader.Bytes(size, at))
            return false;
        VQRegValue value(type, name);
        if (!value.AssignRaw(at, size))
            return false;
        values.push_back(std::move(value));
    }
    return reader.AtEnd();
}

}  // namespace Tessar
