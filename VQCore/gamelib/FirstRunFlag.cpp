#include "VQCore/gamelib/FirstRunFlag.h"

#include "common/RegValue.h"
#include "common/Registry.h"

namespace Tessar {

VQFirstRunEntry DefaultFirstRunEntry() {
    return VQFirstRunEntry{HKEY_LOCAL_MACHINE, L"Software\\Tovana游戏", L"Value"};
}

bool TakeFirstRunFlag(const VQFirstRunEntry& entry) {
    VQRegKeyHolder key;
    // The installer is a 32-bit program: its key lies in the 32-bit view.
    if (!key.RegOpenKeyPath(entry.root, entry.keyPath, KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_WOW64_32KEY))
        return false;
    std::wstring text;
    if (!key.RegQueryString(entry.valueName, text))
        return false;
    if (!key.RegDeleteValueName(entry.valueName)) {
        VQRegValue reset(REG_SZ, entry.valueName);
        reset.text = std::wstring(L"0") + L'\0';
        key.RegSetValueFlush(entry.valueName, reset);
    }
    return text == L"1";
}

}  // namespace Tessar
