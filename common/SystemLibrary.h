#pragma once
// System libraries that only some windows use (the common controls, the
// common dialogs, the text services), loaded from the system folder the
// first time a window needs them instead of by the loader at every start.
// A library stays loaded for the rest of the process: the window classes
// it registered and the functions handed out stay valid.

#include <windows.h>

namespace Tessar {

// The library, loaded on the first call for that name; null when it does
// not load. Safe from any thread.
HMODULE LoadSystemLibrary(const wchar_t* name);

// An exported function of a system library (loaded as above), cast to the
// caller's type; null when the library or the function is missing.
template <typename Function>
Function SystemLibraryFunction(const wchar_t* library, const char* name) {
    HMODULE module = LoadSystemLibrary(library);
    return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name))) : nullptr;
}

}  // namespace Tessar
