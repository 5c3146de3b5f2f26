#pragma once
// End-to-end harness: a program folder per test made from the build's
// (Norvane.exe, the engine, the skin, the demo catalogue and pictures),
// settings with the scheduled work off, the manager started with an
// environment of its own (its temporary folder inside the test's folder),
// its main window found by class, title and process, screenshots from the
// screen, and every process the test started ended by its pid.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/TempFolder.h"

namespace Tessar {
namespace Test {

// The window title of the manager (string 1000).
extern const wchar_t kManagerTitle[];
extern const wchar_t kManagerClass[];

// Waits until the condition holds, polling; false after timeoutMs.
bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs);

// One started manager process.
struct VQManagerProcess {
    HANDLE process = nullptr;
    DWORD pid = 0;
    bool Running() const;
    // The exit code once it ended (STILL_ACTIVE while it runs).
    DWORD ExitCode() const;
    bool WaitForExit(DWORD timeoutMs) const;
};

class VQManagerFolder {
public:
    VQManagerFolder();
    // Ends every process started from this folder that still runs.
    ~VQManagerFolder();

    // Copies the program folder of the build and writes the settings.
    // False (with a test failure) when the build's folder is missing.
    // Without withOtherPrograms the updater and the game windows stay out.
    bool Prepare(bool withOtherPrograms = false);
    const std::wstring& Folder() const { return m_folder; }
    std::wstring PathOf(const std::wstring& name) const { return m_folder + L"\\" + name; }
    VQTempFolder& Temp() { return m_temp; }
    // servers.ini beside the program: the update server and, when given,
    // the statistics server.
    bool WriteServers(const std::string& updateServer, const std::string& statisticsServer = std::string());

    // Norvane.exe with the argument (may be empty); null process on failure.
    VQManagerProcess Start(const std::wstring& argument);
    // TerminateProcess by the handle the start kept, and waits for the end.
    void Kill(const VQManagerProcess& process);
    void KillAll();

    // The manager's main window of that process, or of any process started
    // here when pid is 0; null when there is none.
    HWND FindMainWindow(DWORD pid = 0) const;
    // How many windows of the manager's class and title exist.
    int CountMainWindows() const;

private:
    VQTempFolder m_temp;
    std::wstring m_folder;
    std::vector<VQManagerProcess> m_started;
};

// Writes the installed-games list with one game started by the demo game
// program, which writes its arguments to markerPath when it runs.
bool WriteInstalledDemoGame(const std::wstring& listPath, uint32_t gameId, const std::wstring& demoGamePath,
                            const std::wstring& markerPath);

// The window's screen pixels (BGRA rows, top-down); empty when unavailable.
struct VQScreenImage {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
VQScreenImage CaptureWindow(HWND hwnd);
bool SaveImagePng(const VQScreenImage& image, const std::wstring& path);
// "e2e-screenshots" in the build's tests folder.
std::wstring ScreenshotFolder();
// Distinct colours in a rectangle of the image (a blank area has one or two).
size_t DistinctColours(const VQScreenImage& image, const RECT& area);

// A shown top-level window of that class in the process, or null.
HWND FindProcessWindow(DWORD pid, const wchar_t* className);
// The classes of the process's top-level windows, for a failure message.
std::string WindowsOf(DWORD pid);
// A left click at a client point, as posted mouse messages.
void ClickAt(HWND window, POINT at);
// Right-clicks the tile at a client point until its menu shows (the tile
// becomes the one the menu's commands act on); the menu window or null.
HWND OpenTileMenu(HWND window, POINT tile, DWORD timeoutMs);
// Keeps a screenshot of the window under the name in ScreenshotFolder().
void KeepScreenshot(HWND hwnd, const std::wstring& name);

// The Windows path of a file of the build folder.
std::wstring BuildPath(const std::wstring& relative);

// A visible top-level window of that class in the process, waited for up
// to timeoutMs; null when none showed.
HWND WaitForProcessWindow(DWORD pid, const wchar_t* className, DWORD timeoutMs = 60000);
// Posts a left click (move, down, up) at a point of the window's client area.
void PostClientClick(HWND hwnd, int x, int y);
// The screen colour at a point of the window's client area.
COLORREF ClientPixel(HWND hwnd, POINT point);
// Keeps "<name>.png" of the window in ScreenshotFolder().
bool KeepWindowPicture(HWND hwnd, const std::wstring& name);

}  // namespace Test
}  // namespace Tessar
