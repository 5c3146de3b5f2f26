#pragma once
// Window text and placement.

#include <windows.h>

#include <string>

namespace Tessar {

// Empty for a window without text.
std::wstring GetWindowTextString(HWND window);
// Centres a child window in its parent's client area, any other window
// over its visible, not minimised owner (else the work area), kept inside
// the parent or the work area. Returns the SetWindowPos result.
BOOL CenterWindow(HWND window);

}  // namespace Tessar
