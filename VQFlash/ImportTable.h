#pragma once
// Reading what a function address stands for, shared by the hook and the
// table patching.

#include <windows.h>

#include <string>

namespace Tessar {

// The highest address of the application range, read once.
ULONG_PTR HighestApplicationAddress();
// Windows 9x hands system functions out as shared stubs above the
// application range ("push <function>; ret"): the pushed address of such a
// stub, else 0. On NT nothing above the range is readable, so nothing is read.
ULONG_PTR SharedStubTarget(ULONG_PTR address);
// The exported function as the process calls it (a stub followed); null
// when the module is not loaded or lacks the function.
FARPROC FindLoadedFunction(const std::wstring& moduleName, const std::wstring& functionName);

}  // namespace Tessar
