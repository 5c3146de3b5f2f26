#pragma once
// Installing one downloaded runtime for the runtime environment window:
// a "VQZ" package is unpacked by a VQUnpackerOperation on its own thread,
// any other file is run as a setup program that is told the install folder
// and answers through a ".ini" hand-shake file ([install] "dir" written
// before the start, [report] "result" read after the end; "1" = installed).
//
// Threads: both installs run on the window's install thread and block it
// until the work ends or the stop event is set.

#include <windows.h>

#include <string>

namespace Tessar {

enum class VQRuntimeInstallResult {
    kInstalled,
    kFailed,
    kStopped,  // the stop event was set; the row is left alone
};

// True when the path ends in ".vqz" (any case) and the file starts with
// the package magic "VQZ".
bool IsPackageFile(const std::wstring& path);

// The install folder of runtimes: the InstallDir setting when it lies on a
// fixed drive, else "C:\ZelmorGames\Games".
std::wstring RuntimeInstallFolder(const std::wstring& installDirSetting, bool onFixedDrive);
std::wstring CurrentRuntimeInstallFolder();

// The folder as the hand-shake file carries it: without trailing
// separators ("D:\Games\" -> "D:\Games"; a drive root keeps "D:").
std::wstring HandshakeFolderText(const std::wstring& folder);
// The integer value of the [report] "result" text, read the way the
// program reads it (at most three characters); installed when it is 1.
bool IsInstalledResultText(const std::wstring& text);

// What a game's setup program reports besides its result: the program to
// run and its arguments (empty when absent). Long paths arrive whole; the
// profile functions take off the quotes a setup program may put round them.
struct VQSetupReport {
    std::wstring path;
    std::wstring param;
};

// [report] "path" and "param" of a hand-shake file.
VQSetupReport ReadSetupReport(const std::wstring& handshakePath);

// Runs the setup program with the hand-shake file's path (quoted) as its
// only parameter and waits for it or the stop event.
VQRuntimeInstallResult RunRuntimeInstaller(const std::wstring& setupFile, const std::wstring& installFolder,
                                           HANDLE stopEvent, VQSetupReport* report = nullptr);
// Unpacks and installs the package into the install folder on a worker
// thread and waits for it or the stop event (which cancels the install).
VQRuntimeInstallResult InstallRuntimePackage(const std::wstring& packageFile, const std::wstring& installFolder,
                                             HANDLE stopEvent);
// The one the file's kind calls for.
VQRuntimeInstallResult InstallRuntimeFile(const std::wstring& file, const std::wstring& installFolder,
                                          HANDLE stopEvent);

}  // namespace Tessar
