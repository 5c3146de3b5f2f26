#include "common/SystemLibrary.h"

namespace Tessar {

HMODULE LoadSystemLibrary(const wchar_t* name) {
    // The loader counts the loads and hands the same module back; the
    // system folder only, so no copy beside the program is taken instead.
    return name ? ::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32) : nullptr;
}

}  // namespace Tessar
