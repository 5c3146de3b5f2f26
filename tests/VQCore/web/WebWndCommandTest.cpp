// The web window from the running Norvane.exe: the feedback command (1004)
// and the tray's (32784) open it on the feedback page of the home page's
// server, with the test control standing in for the browser (registered in
// this test program's own Wine prefix; it logs its calls to a file).

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "tests/VQFlash/GameWindowTestSupport.h"
#include "tests/e2e/ManagerHarness.h"
#include "tests/programs/activex/TestControlApi.h"
#include "tests/support/ProcessWindow.h"

namespace Tessar {
namespace Test {
namespace {

const DWORD kStartTimeout = 90000;
const wchar_t kBrowserClsid[] = L"{8856F961-340A-11D0-A96B-00C04FD705A2}";
const UINT kCmdFeedback = 1004;
const UINT kCmdTrayFeedback = 32784;

HWND WindowOfProcess(DWORD pid, const wchar_t* className) {
    return FindWindowOfProcess(pid, className, false);
}

size_t Count(const std::wstring& text, const std::wstring& needle) {
    size_t count = 0;
    for (size_t at = text.find(needle); at != std::wstring::npos; at = text.find(needle, at + 1)) ++count;
    return count;
}

void KeepPicture(HWND hwnd, const std::wstring& name) {
    SaveImagePng(CaptureWindow(hwnd), ScreenshotFolder() + L"\\" + name + L".png");
}

TEST(WebWndCommand, TheFeedbackCommandsOpenTheWebWindowOnTheFeedbackPage) {
    VQStandInRegistration registration(kBrowserClsid);
    ASSERT_TRUE(registration.IsValid());
    VQManagerFolder folder;
    ASSERT_TRUE(folder.Prepare());
    // The home page's server is a local one: the feedback page lies there.
    ASSERT_TRUE(folder.Temp().WriteFile(L"Norvane\\servers.ini", "[Servers]\r\nHomePage=http://127.0.0.1:8931/\r\n"));
    const std::wstring log = folder.Temp().PathOf(L"browser-calls.log");
    ::SetEnvironmentVariableW(VQ_TEST_CONTROL_LOG_VARIABLE, log.c_str());
    VQManagerProcess manager = folder.Start(L"");
    ::SetEnvironmentVariableW(VQ_TEST_CONTROL_LOG_VARIABLE, nullptr);
    HWND main = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (main = folder.FindMainWindow(manager.pid)) != nullptr || !manager.Running(); },
                        kStartTimeout));
    ASSERT_NE(nullptr, main) << "exit code " << manager.ExitCode();
    ASSERT_TRUE(WaitFor([&] { return ::IsWindowVisible(main) != FALSE; }, kStartTimeout));
    EXPECT_EQ(nullptr, WindowOfProcess(manager.pid, L"VQWebWnd")) << "made on first use only";

    const std::wstring navigation = L"navigate=http://127.0.0.1:8931/feedback/";
    ::PostMessageW(main, WM_COMMAND, kCmdFeedback, 0);
    HWND web = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        web = WindowOfProcess(manager.pid, L"VQWebWnd");
        return web != nullptr && ::IsWindowVisible(web);
    }, 30000));
    std::wstring calls;
    ASSERT_TRUE(WaitFor([&] { return (calls = ReadLogFile(log)).find(navigation) != std::wstring::npos; }, 30000))
        << "calls: " << std::string(calls.begin(), calls.end());
    wchar_t title[32] = {};
    ::GetWindowTextW(web, title, 32);
    EXPECT_STREQ(L"反馈建议", title);
    EXPECT_EQ(nullptr, ::GetWindow(web, GW_OWNER)) << "a window of its own on the task bar";
    KeepPicture(web, L"WebWnd.feedback");

    // Its close button hides it; the tray command shows the same window on
    // the page again.
    ::PostMessageW(web, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindowVisible(web); }, 30000));
    ::PostMessageW(main, WM_COMMAND, kCmdTrayFeedback, 0);
    ASSERT_TRUE(WaitFor([&] { return ::IsWindowVisible(web) != FALSE; }, 30000));
    EXPECT_TRUE(WaitFor([&] { return Count(ReadLogFile(log), navigation) >= 2; }, 30000));
    EXPECT_EQ(web, WindowOfProcess(manager.pid, L"VQWebWnd")) << "the window is kept and reused";

    ::PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(manager.WaitForExit(60000));
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
