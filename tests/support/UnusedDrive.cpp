#include "tests/support/UnusedDrive.h"

#include <windows.h>

namespace Tessar {

std::wstring FindUnusedDriveRoot() {
    DWORD drives = ::GetLogicalDrives();
    for (wchar_t letter = L'Y'; letter > L'D'; --letter) {
        if (!(drives & (1u << (letter - L'A'))))
            return std::wstring(1, letter) + L":\\";
    }
    return std::wstring();
}

}  // namespace Tessar
