#pragma once
// A top-level window of a process found by its class, for the tests and
// benchmarks that start a program and then drive its windows.

#include <windows.h>

namespace Tessar {
namespace Test {

// The first top-level window of the process whose class is className (any
// class when null; compared without case, as Windows compares class
// names), and with shownOnly the first visible one. Null when none is.
HWND FindWindowOfProcess(DWORD processId, const wchar_t* className, bool shownOnly);

}  // namespace Test
}  // namespace Tessar
