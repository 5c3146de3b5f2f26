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

TEST(PallicoProgramTest, ASelectedSkinCannotMakeItLoadALibrary) {
    // The skin's style names a library and another class for the player
    // control: the movie still goes to the registered player, also after a
    // skin reload, and the library is never loaded.
    Tessar::Test::VQStandInRegistration registration(kFlashPlayerClsid);
    ASSERT_TRUE(registration.IsValid());
    VQTempFolder folder;
    ASSERT_TRUE(folder.WriteFile(L"movie.swf", "FWS"));
    Tessar::Test::VQProbeSkinFolder skin;
    ASSERT_TRUE(skin.Prepare(folder, L"Pallico.exe", L"FlashWnd", 123));
    Tessar::Test::ExpectSkinLoadsNoLibrary(skin, L"\"" + folder.PathOf(L"movie.swf") + L"\"",
                                           folder.PathOf(L"calls.log"), L"VQFlashWnd",
                                           L"movie=" + folder.PathOf(L"movie.swf"));
}

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
        EXPECT_TRUE(Tessar::Test::WaitForLogText(log, expected));
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

namespace Tessar {
namespace {

TEST(PallicoProgramTest, BadArgumentsShowTheirMessageAndEnd) {
    VQTempFolder folder;
    ASSERT_TRUE(folder.WriteFile(L"notes.txt", "text"));
    ASSERT_TRUE(folder.WriteFile(L"broken.ini", "[main]\r\nname=Tiles\r\n"));
    struct Case {
        const char* name;
        std::wstring argument;
        std::wstring text;
    };
    const Case cases[] = {
        {"wrong extension", folder.PathOf(L"notes.txt"), L"\x6587\x4EF6\x540E\x7F00\x540D\x9519\x8BEF"},
        {"movie missing", folder.PathOf(L"gone.swf"), L"flash\x6587\x4EF6\x4E0D\x5B58\x5728"},
        {"unusable .ini", folder.PathOf(L"broken.ini"), L"flash\x914D\x7F6E\x6587\x4EF6\x9519\x8BEF"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Tessar::Test::VQStartedProgram program;
        ASSERT_TRUE(Tessar::Test::StartProgram(L"Pallico.exe", L"\"" + c.argument + L"\"", folder.PathOf(L"x.log"),
                                               program));
        Tessar::Test::VQErrorBox box;
        ASSERT_TRUE(Tessar::Test::AnswerErrorBox(program, box));
        EXPECT_EQ(c.text, box.text);
        EXPECT_EQ(std::wstring(L"\x9519\x8BEF"), box.caption);
        EXPECT_EQ(0u, program.WaitExit());
    }
}

}  // namespace
}  // namespace Tessar
