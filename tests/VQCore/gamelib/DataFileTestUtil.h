#pragma once
// Helpers shared by the data-file tests.

#include "tests/support/TempFolder.h"

#include <string>

namespace Tessar {

// A file written in text mode, read back with its line ends as "\n".
std::string ReadTextLines(const VQTempFolder& folder, const std::wstring& name);

// A fixture the build made (tests/CMakeLists.txt), as a Windows path.
std::wstring FixturePath(const std::string& name);
// Copies the fixture to the path, making missing folders.
bool CopyFixture(const std::string& name, const std::wstring& target);

}  // namespace Tessar
