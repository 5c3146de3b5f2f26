#include "VQCore/download/RegFileApply.h"

#include "VQCore/download/RegFileError.h"
#include "common/Registry.h"
#include "common/TextUtil.h"

#include <vector>

namespace Tessar {

namespace {

const REGSAM kReadAccess = 0x20019;       // KEY_READ
const REGSAM kReadWriteAccess = 0x2001F;  // KEY_READ | KEY_WRITE

LONG ProbeKey(uint32_t root, const std::wstring& path) {
    HKEY key = nullptr;
    LONG error = ::RegOpenKeyExW(RegRootHandle(root), path.c_str(), 0, kReadAccess, &key);
    if (error == ERROR_SUCCESS)
        ::RegCloseKey(key);
    return error;
}

std::wstring JoinKeyPath(const std::wstring& parent, const std::wstring& child) {
    if (parent.empty())
        return child;
    if (parent.back() == L'\\')
        return parent + child;
    return parent + L"\\" + child;
}

// Registry names compare without regard to case.
bool SameName(const std::wstring& a, const std::wstring& b) {
    return a.size() == b.size() && CompareNoCase(a, b, a.size()) == 0;
}

bool HasValueNamed(const VQRegKey& key, const std::wstring& name) {
    for (const VQRegValue& value : key.values)
        if (SameName(value.name, name))
            return true;
    return false;
}

// Delete records for every key that creating key will make: the highest
// missing ancestor, and below it the chain down to key.
VQRegKey CreatedKeysRecord(const VQRegKey& key) {
    std::vector<std::wstring> chain;
    size_t from = 0;
    while (true) {
        size_t separator = key.path.find(L'\\', from);
        if (separator == std::wstring::npos) {
            chain.push_back(key.path);
            break;
        }
        if (separator > 0)
            chain.push_back(key.path.substr(0, separator));
        from = separator + 1;
    }
    size_t first = chain.size() - 1;
    for (size_t i = 0; i + 1 < chain.size(); ++i) {
        if (ProbeKey(key.root, chain[i]) == ERROR_FILE_NOT_FOUND) {
            first = i;
            break;
        }
    }
    VQRegKey record(key.root, chain.back());
    record.deleteKey = 1;
    for (size_t i = chain.size() - 1; i > first; --i) {
        VQRegKey parent(key.root, chain[i - 1]);
        parent.deleteKey = 1;
        parent.subkeys.push_back(std::move(record));
        record = std::move(parent);
    }
    return record;
}

VQRegKey BackupAndApply(const VQRegKey& key, bool apply, bool& ok) {
    if (!key.IsWritable()) {
        ok = false;
        return VQRegKey();
    }
    LONG probe = ProbeKey(key.root, key.path);
    if (probe != ERROR_SUCCESS && probe != ERROR_FILE_NOT_FOUND) {
        ok = false;
        return VQRegKey();
    }
    bool exists = probe == ERROR_SUCCESS;

    if (key.deleteKey) {
        if (!exists)
            return VQRegKey();
        VQRegKey undo(key.root, key.path);
        ReadRegKeyTree(undo);
        // Only a key without sub-keys goes (regedit would take the whole
        // tree): a package deletes a tree by naming its keys deepest first.
        // A key that stays is no failure; the record holds the whole tree.
        if (apply)
            ::RegDeleteKeyW(RegRootHandle(key.root), key.path.c_str());
        return undo;
    }

    if (!exists) {
        VQRegKey undo = CreatedKeysRecord(key);
        if (apply && !ApplyRegKey(key, true))
            ok = false;
        return undo;
    }

    VQRegKeyHolder holder;
    if (!holder.RegOpenKeyPath(RegRootHandle(key.root), key.path, kReadWriteAccess)) {
        if (holder.LastError() == ERROR_ACCESS_DENIED) {
            ok = false;
            return VQRegKey();
        }
        ThrowRegistryFailure(holder.LastError());
    }
    VQRegKey undo(key.root, key.path);
    for (const VQRegKey& subkey : key.subkeys)
        undo.subkeys.push_back(BackupAndApply(subkey, apply, ok));
    for (const VQRegValue& value : key.values) {
        // A name met again in the same key already has its former content.
        if (!HasValueNamed(undo, value.name)) {
            VQRegValue former(REG_SZ, value.name);
            if (holder.RegQueryValueRaw(value.name, former)) {
                undo.values.push_back(std::move(former));
            } else if (holder.LastError() == ERROR_FILE_NOT_FOUND) {
                former.deleteMark = 1;
                undo.values.push_back(std::move(former));
            } else {
                // What cannot be put back is not overwritten.
                ok = false;
                continue;
            }
        }
        if (!apply)
            continue;
        bool written = value.deleteMark ? holder.RegDeleteValueName(value.name)
                                        : holder.RegSetValueFlush(value.name, value);
        if (!written)
            ok = false;
    }
    return undo;
}

}  // namespace

bool ImportRegKeys(std::deque<VQRegKey>& undo, const std::deque<VQRegKey>& keys) {
    bool ok = true;
    for (const VQRegKey& key : keys)
        undo.push_back(BackupAndApply(key, true, ok));
    return ok;
}

VQRegKey BackupAndApplyRegKey(const VQRegKey& key, bool apply, bool* applied) {
    bool ok = true;
    VQRegKey undo = BackupAndApply(key, apply, ok);
    if (applied != nullptr)
        *applied = ok;
    return undo;
}

bool ApplyRegKey(const VQRegKey& key, bool recurse) {
    if (!key.IsWritable())
        return false;
    if (key.IsNoOp())
        return true;
    HKEY root = RegRootHandle(key.root);
    bool ok = true;
    if (key.deleteKey) {
        // Sub-keys first, so that a key created together with its children
        // can go; a key that still has others stays.
        if (recurse)
            for (const VQRegKey& subkey : key.subkeys)
                ok = ApplyRegKey(subkey, true) && ok;
        LONG error = ::RegDeleteKeyW(root, key.path.c_str());
        return (error == ERROR_SUCCESS || error == ERROR_FILE_NOT_FOUND) && ok;
    }

    VQRegKeyHolder holder;
    if (!holder.RegOpenKeyPath(root, key.path, kReadWriteAccess) && holder.LastError() == ERROR_FILE_NOT_FOUND)
        holder.RegCreateKeyPath(root, key.path);
    if (holder.Key() == nullptr) {
        if (holder.LastError() == ERROR_ACCESS_DENIED)
            return false;
        ThrowRegistryFailure(holder.LastError());
    }
    for (const VQRegValue& value : key.values) {
        bool written = value.deleteMark ? holder.RegDeleteValueName(value.name)
                                        : holder.RegSetValueFlush(value.name, value);
        if (!written)
            ok = false;
    }
    holder.RegCloseKeyHandle();
    if (recurse)
        for (const VQRegKey& subkey : key.subkeys)
            ok = ApplyRegKey(subkey, true) && ok;
    return ok;
}

void ReadRegKeyTree(VQRegKey& key) {
    if (!IsRegRoot(key.root))
        ThrowRegistryFailure(ERROR_INVALID_HANDLE);
    VQRegKeyHolder holder;
    if (!holder.RegOpenKeyPath(RegRootHandle(key.root), key.path, kReadAccess))
        ThrowRegistryFailure(holder.LastError());
    std::vector<std::wstring> subkeys;
    std::vector<std::wstring> values;
    if (!holder.RegEnumKeyTree(subkeys, values))
        ThrowRegistryFailure(holder.LastError());
    for (const std::wstring& name : values) {
        VQRegValue value(REG_SZ, name);
        if (!holder.RegQueryValueRaw(name, value))
            ThrowRegistryFailure(holder.LastError());
        key.values.push_back(std::move(value));
    }
    holder.RegCloseKeyHandle();
    for (const std::wstring& name : subkeys) {
        VQRegKey subkey(key.root, JoinKeyPath(key.path, name));
        ReadRegKeyTree(subkey);
        key.subkeys.push_back(std::move(subkey));
    }
}

}  // namespace Tessar
