// What the game windows read before they open: the Flash game's .ini, the
// help text, the command lines of both programs, and the window sizes and
// zoom steps the player derives from them.

#include "VQFlash/FlashWnd.h"
#include "VQFlash/GameArguments.h"
#include "VQFlash/GameHelpWnd.h"

#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

namespace Tessar {
namespace {

TEST(GameFilesTest, GameIniResolvesFilesNextToItAndReadsTheSize) {
    VQTempFolder folder;
    ASSERT_TRUE(folder.WriteFile(L"game\\movie.swf", "FWS"));
    ASSERT_TRUE(folder.WriteFile(L"abs.swf", "FWS"));
    struct Case {
        const char* name;
        std::string ini;
        bool ok;
        std::wstring movie;  // relative to the folder
        std::wstring help;
        int width;
        int height;
    };
    const std::wstring absolutePath = folder.PathOf(L"abs.swf");
    const std::string absolute = "swf=" + std::string(absolutePath.begin(), absolutePath.end());
    const Case cases[] = {
        {"relative movie and help", "[main]\r\nname=Tiles\r\nswf=movie.swf\r\nhelp=help.txt\r\nwidth=640\r\nheight=480\r\n",
         true, L"game\\movie.swf", L"game\\help.txt", 640, 480},
        {"absolute movie, no help, no size", "[main]\r\n" + absolute + "\r\n", true, L"abs.swf", L"", 0, 0},
        {"size with trailing text", "[main]\r\nswf=movie.swf\r\nwidth=800px\r\nheight=x\r\n", true,
         L"game\\movie.swf", L"", 800, 0},
        {"no movie key", "[main]\r\nname=Tiles\r\n", false, L"", L"", 0, 0},
        {"movie missing", "[main]\r\nswf=gone.swf\r\n", false, L"", L"", 0, 0},
        {"other section", "[game]\r\nswf=movie.swf\r\n", false, L"", L"", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(folder.WriteFile(L"game\\config.ini", c.ini));
        std::wstring name, movie, help;
        int width = -1, height = -1;
        EXPECT_EQ(c.ok, ReadGameIni(folder.PathOf(L"game\\config.ini"), name, movie, help, width, height));
        if (!c.ok) continue;
        EXPECT_EQ(0, _wcsicmp(folder.PathOf(c.movie).c_str(), movie.c_str())) << std::string(movie.begin(), movie.end());
        if (c.help.empty())
            EXPECT_TRUE(help.empty());
        else
            EXPECT_EQ(0, _wcsicmp(folder.PathOf(c.help).c_str(), help.c_str()));
        EXPECT_EQ(c.width, width);
        EXPECT_EQ(c.height, height);
    }
    std::wstring name, movie, help;
    int width = 0, height = 0;
    EXPECT_FALSE(ReadGameIni(folder.PathOf(L"none.ini"), name, movie, help, width, height));
}

TEST(GameFilesTest, WindowSizeFollowsTheMovieOnlyWhenItFitsTheScreen) {
    struct Case {
        int width, height;
        LONG cx, cy;
    };
    const Case cases[] = {{640, 480, 650, 561}, {1023, 767, 1033, 848}, {1024, 600, 800, 600},
                          {640, 768, 800, 600}, {0, 480, 800, 600},     {-5, 480, 800, 600}};
    for (const Case& c : cases) {
        const SIZE size = FlashWindowSize(c.width, c.height);
        EXPECT_EQ(c.cx, size.cx) << c.width << "x" << c.height;
        EXPECT_EQ(c.cy, size.cy) << c.width << "x" << c.height;
    }
}

TEST(GameFilesTest, ZoomStepsKeepTheCentreInsideTheWorkArea) {
    const RECT work = {0, 0, 1280, 994};
    struct Case {
        const char* name;
        RECT window;
        bool in;
        bool changes;
        RECT expected;
    };
    const Case cases[] = {
        {"900 x 650 in -> 1024 x 768 around its centre", {100, 100, 1000, 750}, true, true, {38, 41, 1062, 809}},
        {"1024 x 768 in -> the work area", {0, 0, 1024, 768}, true, true, {-128, 0, 1152, 994}},
        {"small in -> 800 x 600", {300, 300, 700, 600}, true, true, {100, 150, 900, 750}},
        {"the work area in -> nothing", {0, 0, 1280, 994}, true, false, {}},
        {"big out -> 1024 x 768", {0, 0, 1280, 994}, false, true, {128, 113, 1152, 881}},
        {"900 x 650 out -> 800 x 600", {100, 100, 1000, 750}, false, true, {150, 125, 950, 725}},
        {"800 x 600 out -> nothing", {10, 10, 810, 610}, false, false, {}},
        {"top kept on the screen", {100, 0, 1000, 650}, true, true, {38, 0, 1062, 768}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RECT result = {};
        ASSERT_EQ(c.changes, ZoomWindowRect(c.window, work, false, c.in, result));
        if (!c.changes) continue;
        EXPECT_EQ(c.expected.left, result.left);
        EXPECT_EQ(c.expected.top, result.top);
        EXPECT_EQ(c.expected.right, result.right);
        EXPECT_EQ(c.expected.bottom, result.bottom);
    }
    RECT result = {};
    EXPECT_FALSE(ZoomWindowRect({0, 0, 900, 650}, work, true, true, result)) << "no zoom in while maximised";
}

TEST(GameFilesTest, FullScreenZoomInsetsThePlayerBox) {
    const RECT frame = {4, 1, 1276, 974};  // 1272 x 973: h 636, v 486
    struct Case {
        const char* name;
        RECT movie;
        bool in;
        bool changes;
        POINT inset;
    };
    const Case cases[] = {
        {"whole screen out -> 1024 wide", {0, 0, 1270, 971}, false, true, {124, 128}},
        {"1024 out -> 800", {0, 0, 1024, 716}, false, true, {236, 211}},
        {"800 out -> nothing", {0, 0, 800, 550}, false, false, {}},
        {"800 in -> 1024", {0, 0, 800, 550}, true, true, {124, 127}},
        {"1024 x 718 in -> whole", {0, 0, 1024, 718}, true, true, {1, 1}},
        {"filling the frame in -> nothing", {0, 0, 1272, 973}, true, false, {}},
        {"smaller than 800 in -> nothing", {0, 0, 640, 480}, true, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        POINT inset = {};
        ASSERT_EQ(c.changes, ZoomFullScreenInset(frame, c.movie, c.in, inset));
        if (!c.changes) continue;
        EXPECT_EQ(c.inset.x, inset.x);
        EXPECT_EQ(c.inset.y, inset.y);
    }
}

TEST(GameFilesTest, PlayerTakesTheRestOfTheLineAsOnePath) {
    struct Case {
        const wchar_t* line;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"Pallico.exe", L""},
        {L"\"C:\\Program Files\\Pallico.exe\"   ", L""},
        {L"\"C:\\Program Files\\Pallico.exe\" \"D:\\My Games\\a b\\config.ini\"", L"D:\\My Games\\a b\\config.ini"},
        {L"Pallico.exe D:\\My Games\\game.swf", L"D:\\My Games\\game.swf"},
        {L"Pallico.exe   D:\\x.ini  ", L"D:\\x.ini"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(std::wstring(c.expected), ParsePlayerArgument(c.line)) << std::wstring(c.line).size();
}

TEST(GameFilesTest, BrowserArgumentsArriveWholeWithPrefixesInAnyCase) {
    struct Case {
        const char* name;
        const wchar_t* line;
        bool enough;
        const wchar_t* gameName;
        const wchar_t* url;
        const wchar_t* homepage;
    };
    const Case cases[] = {
        {"all three quoted", L"D.exe \"-name=My Game\" \"-url=http://h/a b.html\" -homepage=http://h/",
         true, L"My Game", L"http://h/a b.html", L"http://h/"},
        {"capital prefix", L"D.exe -NAME=x -URL=http://h/", true, L"x", L"http://h/", L""},
        {"unquoted blanks join the value before", L"D.exe -name=My Big Game -url=http://h/", true, L"My Big Game",
         L"http://h/", L""},
        {"later prefix replaces", L"D.exe -url=a -url=b -name=n", true, L"n", L"b", L""},
        {"url prefix alone", L"D.exe -name=n -url=", true, L"n", L"", L""},
        {"too few", L"D.exe -name=n", false, L"n", L"", L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const VQBrowserArguments arguments = ParseBrowserArguments(SplitCommandLine(c.line));
        EXPECT_EQ(c.enough, arguments.enough);
        EXPECT_EQ(std::wstring(c.gameName), arguments.name);
        EXPECT_EQ(std::wstring(c.url), arguments.url);
        EXPECT_EQ(std::wstring(c.homepage), arguments.homepage);
    }
}

TEST(GameFilesTest, HelpTextIsReadInTheSkinCodePage) {
    VQTempFolder folder;
    ASSERT_TRUE(folder.WriteFile(L"help.txt", "\xD3\xCE\xCF\xB7 play"));  // "游戏" in GBK
    std::wstring text;
    ASSERT_TRUE(ReadHelpText(folder.PathOf(L"help.txt"), text));
    EXPECT_EQ(std::wstring(L"\x6E38\x620F play"), text);
    EXPECT_FALSE(ReadHelpText(folder.PathOf(L"none.txt"), text));
    EXPECT_FALSE(ReadHelpText(L"", text));
}

}  // namespace
}  // namespace Tessar
