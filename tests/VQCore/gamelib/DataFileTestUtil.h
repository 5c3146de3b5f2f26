#pragma once
// Helpers shared by the data-file tests.

#include "tests/support/TempFolder.h"

#include <string>

namespace Tessar {

// A file written in text mode, read back with its line ends as "\n".
std::string ReadTextLines(const VQTempFolder& folder, const std::wstring& name);

}  // namespace Tessar
