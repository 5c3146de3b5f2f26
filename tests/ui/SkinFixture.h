#pragma once
// Paths of the test skin that the build writes under the fixture folder.

#include <string>

namespace Tessar {
namespace Test {

// The skin folder with a trailing backslash ("" when the build folder is unknown).
std::wstring TestSkinFolder();
// A file of the test skin.
std::wstring TestSkinPath(const wchar_t* name);

}  // namespace Test
}  // namespace Tessar
