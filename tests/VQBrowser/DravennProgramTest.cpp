// Dravenn.exe end to end: started with the three arguments as the manager
// sends them (quoted, with blanks), it opens its window (found by its
// title), navigates the stand-in browser to the game, reloads its skin on
// WM_USER+1 and ends with exit code 0 when closed.

#include "VQBrowser/BrowserWnd.h"

#include "tests/VQFlash/GameWindowTestSupport.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace Tessar {
namespace {

TEST(DravennProgramTest, OpensTheGameAndEndsWhenClosed) {
    Tessar::Test::VQStandInRegistration registration(kWebBrowserClsid);
    ASSERT_TRUE(registration.IsValid());
    VQTempFolder folder;
    const std::wstring log = folder.PathOf(L"calls.log");
    Tessar::Test::VQStartedProgram program;
    ASSERT_TRUE(Tessar::Test::StartProgram(
        L"Dravenn.exe", L"\"-name=Tile Party\" \"-URL=http://127.0.0.1/play now.html\" -homepage=http://127.0.0.1/",
        log, program));
    HWND window = program.WaitWindow(L"VQBrowserWnd");
    ASSERT_NE(nullptr, window);
    wchar_t title[64] = {};
    ::GetWindowTextW(window, title, 64);
    EXPECT_EQ(std::wstring(L"Tovana\x7F51\x9875\x6E38\x620F"), title);
    const std::wstring expected = L"navigate=http://127.0.0.1/play now.html";
    EXPECT_TRUE(Tessar::Test::WaitForLogText(log, expected));
    DWORD_PTR result = 1;
    EXPECT_NE(0, ::SendMessageTimeoutW(window, WM_USER + 1, 0, 0, SMTO_ABORTIFHUNG, 30000, &result));
    EXPECT_EQ(0u, result);
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, program.WaitExit());
    EXPECT_EQ(0, ::GlobalFindAtomW(kBossKeyAtomName));
}

}  // namespace
}  // namespace Tessar

namespace Tessar {
namespace {

TEST(DravennProgramTest, ASelectedSkinCannotMakeItLoadALibrary) {
    // The skin's style names a library and another class for the browser
    // control: the window still shows the game in the registered browser,
    // also after a skin reload, and the library is never loaded.
    Tessar::Test::VQStandInRegistration registration(kWebBrowserClsid);
    ASSERT_TRUE(registration.IsValid());
    VQTempFolder folder;
    Tessar::Test::VQProbeSkinFolder skin;
    ASSERT_TRUE(skin.Prepare(folder, L"Dravenn.exe", L"BrowserWnd", 100));
    Tessar::Test::ExpectSkinLoadsNoLibrary(skin, L"-name=Tiles -url=http://127.0.0.1/play.html",
                                           folder.PathOf(L"calls.log"), L"VQBrowserWnd",
                                           L"navigate=http://127.0.0.1/play.html");
}

TEST(DravennProgramTest, MissingArgumentsShowTheirMessageAndEnd) {
    VQTempFolder folder;
    struct Case {
        const char* name;
        std::wstring arguments;
        std::wstring text;
        DWORD exitCode;
    };
    const Case cases[] = {
        {"too few", L"-name=Tiles", L"\x6307\x5B9A\x7684\x53C2\x6570\x4E2A\x6570\x4E0D\x8DB3", 0},
        {"no name", L"-url=http://127.0.0.1/ -homepage=http://127.0.0.1/",
         L"\x672A\x6307\x5B9A\x6E38\x620F\x540D\x79F0", static_cast<DWORD>(-1)},
        {"empty address", L"-name=Tiles -url=", L"\x672A\x6307\x5B9A\x6E38\x620F\x5730\x5740", static_cast<DWORD>(-1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Tessar::Test::VQStartedProgram program;
        ASSERT_TRUE(Tessar::Test::StartProgram(L"Dravenn.exe", c.arguments, folder.PathOf(L"x.log"), program));
        Tessar::Test::VQErrorBox box;
        ASSERT_TRUE(Tessar::Test::AnswerErrorBox(program, box));
        EXPECT_EQ(c.text, box.text);
        EXPECT_EQ(std::wstring(L"\x9519\x8BEF"), box.caption);
        EXPECT_EQ(c.exitCode, program.WaitExit());
    }
}

}  // namespace
}  // namespace Tessar
