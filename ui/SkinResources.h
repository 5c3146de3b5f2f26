#pragma once
// What the markup builder needs of the skin: the module whose resources
// hold layouts and styles, and the folder of the selected skin.

#include <windows.h>

#include <string>

namespace Tessar {

HINSTANCE GetSkinResourceModule();
// With a trailing backslash, or empty.
std::wstring GetSkinResourceFolder();

}  // namespace Tessar
