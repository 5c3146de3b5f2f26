#pragma once

#include <string>

namespace Tessar {

// A root ("Q:\") of a drive letter that names no drive; empty when every
// letter is taken.
std::wstring FindUnusedDriveRoot();

}  // namespace Tessar
