#pragma once
// What the game-operation tests share: the stand-in game program copied
// into a test's folder, its start records, and a message-only window that
// collects what workers post.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/support/TempFolder.h"

namespace Tessar {
namespace Test {

// The build's GameStandIn.exe.
std::wstring StandInPath();
// Copies it into the folder under `name`; the copy's path.
std::wstring CopyStandIn(const VQTempFolder& folder, const std::wstring& name);
// The "pid|command line" lines the stand-in appended to the record file.
std::vector<std::wstring> ReadStartRecords(const std::wstring& recordPath);
// The process id of a record line; 0 when it has none.
DWORD ProcessIdOfRecord(const std::wstring& line);
// Polls until the condition holds; false after timeoutMs.
bool WaitForCondition(const std::function<bool()>& condition, DWORD timeoutMs);
// Waits until the process ends; true when it did within the time.
bool WaitForProcessEnd(DWORD processId, DWORD timeoutMs);
// Ends the process by its id (the tests' own stand-ins only).
void EndProcess(DWORD processId);
// Starts a process that is given the id `wanted`, which an ended process
// has given back; null when the id did not come round in time. Wine hands
// given-back ids out again oldest first (once 256 are free): short-lived
// threads of this process walk through them, and the thread that gets the
// wanted id gives it back right after a known one, which marks the spot
// the next time round. The process handle belongs to the caller.
HANDLE StartProcessWithId(DWORD wanted, const std::wstring& commandLine, DWORD timeoutMs);

// A message-only window that keeps every message posted to it.
class VQPostedMessages {
public:
    VQPostedMessages();
    ~VQPostedMessages();
    HWND Window() const { return m_window; }
    // Pumps this thread's messages until one with that id came, at most
    // timeoutMs; true with its parameters.
    bool WaitFor(UINT message, DWORD timeoutMs, WPARAM* wParam = nullptr, LPARAM* lParam = nullptr);

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    struct Posted {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    HWND m_window = nullptr;
    std::vector<Posted> m_posted;
};

}  // namespace Test
}  // namespace Tessar
