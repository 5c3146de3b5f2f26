// Passing the skin change to the sibling programs: a copy of this test
// program named like a sibling plays the sibling (its window has the
// sibling's title and notes the reload message in a file); only the copy
// in the program folder is told.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "VQCore/app/mainwindow/SiblingPrograms.h"
#include "tests/support/TempFolder.h"

namespace Tessar {
namespace Test {
namespace {

const wchar_t kMarkerVariable[] = L"VQ_SIBLING_MARKER";

LRESULT CALLBACK SiblingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kMsgSiblingSkinReload) {
        const wchar_t* marker = _wgetenv(kMarkerVariable);
        HANDLE file = ::CreateFileW(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
        ::PostQuitMessage(0);
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

// Not a test of its own: the sibling's part, run only in the copies.
TEST(SiblingHelper, PlaysTheFlashWindow) {
    if (!_wgetenv(kMarkerVariable)) GTEST_SKIP() << "only in a sibling copy";
    WNDCLASSW wc = {};
    wc.lpfnWndProc = &SiblingProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VQSiblingHelper";
    ::RegisterClassW(&wc);
    HWND window = ::CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"TovanaFlash游戏", WS_POPUP, 0, 0, 10, 10,
                                    nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(nullptr, window);
    // Ends by the reload message, or by the test that started it.
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) ::DispatchMessageW(&msg);
    ::DestroyWindow(window);
}

struct Sibling {
    PROCESS_INFORMATION process = {};
    std::wstring marker;
    ~Sibling() {
        if (process.hProcess) {
            ::TerminateProcess(process.hProcess, 1);
            ::WaitForSingleObject(process.hProcess, 30000);
            ::CloseHandle(process.hProcess);
            ::CloseHandle(process.hThread);
        }
    }
};

bool StartSibling(const VQTempFolder& folder, Sibling& sibling) {
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring copy = folder.PathOf(L"Pallico.exe");
    if (!::CopyFileW(self, copy.c_str(), FALSE)) return false;
    sibling.marker = folder.PathOf(L"reloaded.txt");
    ::SetEnvironmentVariableW(kMarkerVariable, sibling.marker.c_str());
    std::wstring command = L"\"" + copy + L"\" --gtest_filter=SiblingHelper.*";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    const BOOL started = ::CreateProcessW(copy.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                                          folder.Path().c_str(), &startup, &sibling.process);
    ::SetEnvironmentVariableW(kMarkerVariable, nullptr);
    return started != FALSE;
}

struct TitleSearch {
    DWORD pid;
    bool found;
};

BOOL CALLBACK FindSiblingWindow(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<TitleSearch*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    wchar_t title[64] = {};
    ::GetWindowTextW(hwnd, title, 64);
    if (pid == search->pid && IsSiblingWindowTitle(title)) search->found = true;
    return search->found ? FALSE : TRUE;
}

bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    while (!condition()) {
        if (::GetTickCount() - start > timeoutMs) return false;
        ::Sleep(20);
    }
    return true;
}

bool HasWindow(const Sibling& sibling) {
    TitleSearch search = {sibling.process.dwProcessId, false};
    ::EnumWindows(&FindSiblingWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

TEST(SiblingPrograms, NamesAndTitles) {
    for (const wchar_t* name : {L"Pallico.exe", L"dravenn.EXE", L"SELBRIN.exe"}) EXPECT_TRUE(IsSiblingProgramName(name));
    for (const wchar_t* name : {L"Norvane.exe", L"Pallico", L"Pallico.exe.bak"}) EXPECT_FALSE(IsSiblingProgramName(name));
    for (const wchar_t* title : {L"TovanaFlash游戏", L"Tovana网页游戏", L"Tovana版本更新"})
        EXPECT_TRUE(IsSiblingWindowTitle(title));
    EXPECT_FALSE(IsSiblingWindowTitle(L"Tovana游戏"));
}

TEST(SiblingPrograms, OnlyTheCopyInTheProgramFolderIsTold) {
    VQTempFolder programFolder, otherFolder;
    Sibling ours, other;
    ASSERT_TRUE(StartSibling(programFolder, ours));
    ASSERT_TRUE(StartSibling(otherFolder, other));
    ASSERT_TRUE(WaitFor([&] { return HasWindow(ours) && HasWindow(other); }, 60000));
    EXPECT_EQ(1, NotifySiblingPrograms(programFolder.Path()));
    EXPECT_TRUE(WaitFor([&] { return Exists(ours.marker); }, 30000));
    EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(ours.process.hProcess, 30000)) << "the told copy ends by itself";
    EXPECT_FALSE(Exists(other.marker)) << "a copy in another folder is left alone";
    EXPECT_EQ(WAIT_TIMEOUT, ::WaitForSingleObject(other.process.hProcess, 0));
    EXPECT_EQ(0, NotifySiblingPrograms(programFolder.Path())) << "nothing runs there any more";
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
