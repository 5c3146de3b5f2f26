#pragma once
// Release versions: the installed one (from the outside version component
// Ulvesta.dll, else built in) and the text form the update server sends.

#include <cstdint>
#include <string>

namespace Tessar {

struct VQVersion {
    int32_t major = 0;
    int32_t minor = 0;
    int32_t build = 0;
    int32_t revision = 0;
};

// The version an installation without the version component has.
const VQVersion kBuiltInVersion = {1, 7, 1, 1752};
extern const wchar_t kVersionLibraryName[];     // L"Ulvesta.dll"
extern const char kVersionExportName[];         // "DllGetVersion"

// "A.B.C.D" read part by part with _wtoi. False when a "." is missing or
// nothing follows the third; the parts read so far keep their values and
// the others are left as they were.
bool ParseVersionText(const std::wstring& text, VQVersion& version);
// "%d.%d.%d.%d".
std::wstring FormatVersion(const VQVersion& version);
// Field by field, major first: true when the first field that differs is
// smaller in local.
bool IsOlderVersion(const VQVersion& local, const VQVersion& remote);

// The built-in version, overwritten by DllGetVersion of Ulvesta.dll in the
// program folder when the library and its export are there.
void GetLocalVersion(VQVersion& version);

}  // namespace Tessar
