#include "common/SystemLibrary.h"

#include <string>

namespace Tessar {

HMODULE LoadSystemLibrary(const wchar_t* name) {
    if (name == nullptr) return nullptr;
    // By its full path in the system folder, so no copy beside the program
    // is taken instead (the search flag for that needs an update that a
    // plain Windows 7 lacks). The loader counts the loads and hands the
    // same module back.
    wchar_t folder[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    const std::wstring path = std::wstring(folder, length) + L"\\" + name;
    return ::LoadLibraryW(path.c_str());
}

}  // namespace Tessar
