#pragma once
// The first-run value that the installer leaves in the registry: "1" under
// HKEY_LOCAL_MACHINE\Software\Tovana游戏, value "Value". The start-up reads
// and resets it, so only the first start after an installation sees it.

#include <windows.h>

#include <string>

namespace Tessar {

struct VQFirstRunEntry {
    HKEY root;
    std::wstring keyPath;
    std::wstring valueName;
};
// HKEY_LOCAL_MACHINE, "Software\Tovana游戏", "Value".
VQFirstRunEntry DefaultFirstRunEntry();

// True when the value reads "1". A value that could be read is deleted (or
// set to "0" when it cannot be deleted), whatever it said; a missing key or
// value is not a first run.
bool TakeFirstRunFlag(const VQFirstRunEntry& entry);

}  // namespace Tessar
