#pragma once
// Texts of the program's string table (the Chinese UI texts).

#include <windows.h>

#include <string>

namespace Tessar {

// The text of that id from the skin manager's resource module; empty when
// the id is absent.
std::wstring LoadResourceString(UINT id);

}  // namespace Tessar
