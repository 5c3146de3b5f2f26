// The autostart value of the settings: Norvane starts in the background at
// log-on while AutoRun is set.

#include "VQCore/gamelib/Settings.h"

#include "common/PathText.h"
#include "common/Registry.h"
#include "common/SystemUtil.h"

namespace Tessar {

namespace {

const wchar_t kBackgroundArgument[] = L" -background";

}  // namespace

bool VQSettings::ApplyAutoRun() {
    const VQAutoRunEntry entry = m_autoRun;
    VQRegKeyHolder key;
    if (GetBool(L"AutoRun")) {
        if (!key.RegOpenKeyPath(entry.root, entry.keyPath, KEY_QUERY_VALUE | KEY_SET_VALUE) &&
            !key.RegCreateKeyPath(entry.root, entry.keyPath))
            return false;
        std::wstring wanted = QuoteText(GetOwnModulePath()) + kBackgroundArgument;
        std::wstring current;
        if (key.RegQueryString(entry.valueName, current) && current == wanted)
            return true;
        VQRegValue value(REG_SZ, entry.valueName);
        value.text = wanted + L'\0';
        return key.RegSetValueFlush(entry.valueName, value);
    }
    if (!key.RegOpenKeyPath(entry.root, entry.keyPath, KEY_SET_VALUE))
        return false;
    // Asked directly: a value that was not there reports false.
    return ::RegDeleteValueW(key.Key(), entry.valueName.c_str()) == ERROR_SUCCESS;
}

}  // namespace Tessar
