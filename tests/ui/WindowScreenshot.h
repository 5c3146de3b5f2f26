#pragma once
// Test evidence: a PNG of a window's client area, and a guard that writes
// one when the test that owns the window has failed.

#include <windows.h>

#include <string>

namespace Tessar {
namespace Test {

// Copies the client area out of the window's DC into a 32-bit bitmap and
// writes it as a PNG; false when the window or the file cannot be used.
bool SaveWindowPng(HWND hwnd, const std::wstring& path);

// Where failure screenshots go: "ui-screenshots" in the build's tests
// folder (or the current folder when the build folder is not known).
std::wstring ScreenshotFolder();

// On destruction, when the running test has failed, saves the window as
// "<Suite>.<Test>.png" in ScreenshotFolder() and names the file in the log.
class VQScreenshotOnFailure {
public:
    explicit VQScreenshotOnFailure(HWND hwnd) : m_hwnd(hwnd) {}
    ~VQScreenshotOnFailure();
    void Reset(HWND hwnd) { m_hwnd = hwnd; }

private:
    HWND m_hwnd;
};

}  // namespace Test
}  // namespace Tessar
