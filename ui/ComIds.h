#pragma once
// Command-group ids the ActiveX host uses that mingw's import libraries do
// not carry, defined once here under our own names.

#include <windows.h>

namespace Tessar {

// The document host's command group (script errors and the like):
// {F38BC242-B950-11D1-8918-00C04FC2C836}.
extern const GUID kCgidDocHostCommandHandler;

}  // namespace Tessar
