#pragma once
// What the game-window tests share: the test ActiveX control registered
// under a player's real class id (these tests run in a Wine prefix of
// their own, so no other test sees the override), its call log, a message
// pump that waits for a condition, and starting a game program.

#include <windows.h>

#include <functional>
#include <string>

#include "tests/support/ClassRegistration.h"

namespace Tessar {
class VQTempFolder;
}

namespace Tessar {
namespace Test {

// Registers the test control as the in-process server of `clsid` in
// HKEY_LOCAL_MACHINE\Software\Classes; removed again on destruction.
class VQStandInRegistration : public VQClassRegistration {
public:
    explicit VQStandInRegistration(const std::wstring& clsid) : VQClassRegistration(clsid, TestControlDllPath()) {}
};

// The newest live test control object's call log in this process.
std::wstring StandInCallLog();

// Dispatches messages (through the toolkit's pre-translation) until `done`
// answers true or `timeoutMs` passes; false then.
bool PumpUntilTrue(const std::function<bool()>& done, DWORD timeoutMs = 10000);

// A game program in the build's program folder ("Pallico.exe", "Dravenn.exe"),
// or at a full path, started with `arguments`; the call log of its stand-in
// control goes to `logPath`.
struct VQStartedProgram {
    PROCESS_INFORMATION process = {};
    bool started = false;
    ~VQStartedProgram();
    // A visible top-level window of the process with that class; null
    // when none appeared within the time.
    HWND WaitWindow(const wchar_t* className, DWORD timeoutMs = 30000) const;
    // The exit code, or STILL_ACTIVE when it did not end within the time.
    DWORD WaitExit(DWORD timeoutMs = 30000) const;
};
bool StartProgram(const std::wstring& exeName, const std::wstring& arguments, const std::wstring& logPath,
                  VQStartedProgram& program);

// A program folder of its own for a game program: a copy of the build's
// program, the skin probe library beside it (it leaves "<its path>.loaded"
// when anything loads it) and a selected skin "Probe" whose style for the
// window `windowName` gives control `controlId` the probe as its module and
// another class id, directly and as the class default of "ActiveX".
class VQProbeSkinFolder {
public:
    bool Prepare(const VQTempFolder& folder, const std::wstring& exeName, const std::wstring& windowName,
                 int controlId);
    const std::wstring& Program() const { return m_program; }
    bool ProbeLoaded() const;

private:
    std::wstring m_program;
    std::wstring m_probe;
};

// The program started from the probe skin folder with `arguments`, in
// a window of `windowClass`: it hands the game to the registered control
// (`logText` in the call log), takes a skin reload and a repaint, ends with
// 0 when closed, and never loads the skin's library (gtest expectations).
void ExpectSkinLoadsNoLibrary(const VQProbeSkinFolder& skin, const std::wstring& arguments, const std::wstring& logPath,
                              const wchar_t* windowClass, const std::wstring& logText);

// The text and caption of another process's message box, once it has
// filled them in; false when they stay empty within the time.
bool ReadMessageBox(HWND box, std::wstring& text, std::wstring& caption, DWORD timeoutMs = 30000);

// The message box a game program shows for bad arguments, read and then
// closed with OK; false when none came or it stayed empty.
struct VQErrorBox {
    std::wstring text;
    std::wstring caption;
};
bool AnswerErrorBox(const VQStartedProgram& program, VQErrorBox& box);

// The UTF-8 lines of a log file as wide text, joined with ';'.
std::wstring ReadLogFile(const std::wstring& path);
// Polls the log file until it holds the text; false after the time.
bool WaitForLogText(const std::wstring& path, const std::wstring& text, DWORD timeoutMs = 30000);

}  // namespace Test
}  // namespace Tessar
