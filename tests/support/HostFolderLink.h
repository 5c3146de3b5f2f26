#pragma once
// A folder link for tests of code that must never follow one.

#include <string>

namespace Tessar {

// Wine has no Windows links or junctions; a host symlink, which Wine shows
// as a folder reparse point, stands in. False when not under Wine.
bool MakeHostFolderLink(const std::wstring& target, const std::wstring& link);

}  // namespace Tessar
