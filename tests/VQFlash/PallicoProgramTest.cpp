// Pallico.exe end to end: started with a game .ini and with a .swf, as the
// manager starts it, it opens its player window (found by its title) and
// loads the movie into the stand-in control, reloads its skin on
// WM_USER+1 and ends with exit code 0 when closed.

#include "VQFlash/FlashWnd.h"

#include "tests/VQFlash/GameWindowTestSupport.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace Tessar {
namespace {

TEST(PallicoProgramTest, PlaysAGameFromItsIniOrItsMovieAndEndsWhenClosed) {
    Tessar::Test::VQStandInRegistration registration(kFlashPlayerClsid);
    ASSERT_TRUE(registration.IsValid());
    VQTempFolder folder;
    ASSERT_TRUE(folder.WriteFile(L"My Game\\movie.swf", "FWS"));
    ASSERT_TRUE(folder.WriteFile(L"My Game\\config.ini",
                                 "[main]\r\nname=Tiles\r\nswf=movie.swf\r\nhelp=help.txt\r\nwidth=640\r\nheight=480\r\n"));
    struct Case {
        const char* name;
        std::wstring argument;
        int width;
        int height;
    };
    const Case cases[] = {
        {"game .ini with blanks in its path", L"\"" + folder.PathOf(L"My Game\\config.ini") + L"\"", 650, 561},
        {"bare movie", L"\"" + folder.PathOf(L"My Game\\movie.swf") + L"\"", 800, 600},
    };
    int run = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring log = folder.PathOf(L"calls" + std::to_wstring(++run) + L".log");
        Tessar::Test::VQStartedProgram program;
        ASSERT_TRUE(Tessar::Test::StartProgram(L"Pallico.exe", c.argument, log, program));
        HWND window = program.WaitWindow(L"VQFlashWnd");
        ASSERT_NE(nullptr, window);
        wchar_t title[64] = {};
        ::GetWindowTextW(window, title, 64);
        EXPECT_EQ(std::wstring(L"TovanaFlash\x6E38\x620F"), title);
        const std::wstring expected = L"movie=" + folder.PathOf(L"My Game\\movie.swf");
        const DWORD start = ::GetTickCount();
        while (Tessar::Test::ReadLogFile(log).find(expected) == std::wstring::npos && ::GetTickCount() - start < 30000)
            ::Sleep(20);
        EXPECT_NE(std::wstring::npos, Tessar::Test::ReadLogFile(log).find(expected));
        RECT rc = {};
        ::GetWindowRect(window, &rc);
        EXPECT_EQ(c.width, rc.right - rc.left);
        EXPECT_EQ(c.height, rc.bottom - rc.top);
        DWORD_PTR result = 1;
        EXPECT_NE(0, ::SendMessageTimeoutW(window, WM_USER + 1, 0, 0, SMTO_ABORTIFHUNG, 30000, &result));
        EXPECT_EQ(0u, result);
        ::PostMessageW(window, WM_CLOSE, 0, 0);
        EXPECT_EQ(0u, program.WaitExit());
    }
}

}  // namespace
}  // namespace Tessar
