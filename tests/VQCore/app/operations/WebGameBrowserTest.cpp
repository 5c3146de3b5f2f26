#include "VQCore/app/operations/WebGameBrowser.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "tests/VQCore/app/GameOperationsTestSupport.h"
#include "tests/support/TempFolder.h"

namespace Tessar {
namespace {

std::vector<std::wstring> SplitLikeTheBrowser(const std::wstring& parameters) {
    std::vector<std::wstring> result;
    int count = 0;
    LPWSTR* list = ::CommandLineToArgvW((L"Dravenn.exe " + parameters).c_str(), &count);
    for (int i = 1; list && i < count; ++i) result.push_back(list[i]);
    ::LocalFree(list);
    return result;
}

struct BrowserCase {
    const char* name;
    const wchar_t* url;
    const wchar_t* game;
    const wchar_t* home;
};
const BrowserCase kBrowserCases[] = {
    {"plain", L"http://127.0.0.1/game", L"Game", L"http://127.0.0.1/"},
    {"blanks", L"http://127.0.0.1/play game?a=1 b", L"三国 群英 传", L"http://127.0.0.1/home page"},
    {"quote and backslashes", L"http://127.0.0.1/x\"y\\", L"a \\\"b\\\\", L"C:\\web\\"},
    {"no name and home page", L"http://127.0.0.1/only", L"", L""},
};

// What the browser's argument split gives back: each value whole.
TEST(WebGameBrowser, ParametersArriveWholeThroughTheArgumentSplit) {
    for (const BrowserCase& c : kBrowserCases) {
        std::vector<std::wstring> expected = {std::wstring(L"-url=") + c.url};
        if (*c.game) expected.push_back(std::wstring(L"-name=") + c.game);
        if (*c.home) expected.push_back(std::wstring(L"-homepage=") + c.home);
        EXPECT_EQ(expected, SplitLikeTheBrowser(BrowserParameters(c.url, c.game, c.home))) << c.name;
    }
}

TEST(WebGameBrowser, StartsTheBrowserProgramWithTheQuotedArguments) {
    VQTempFolder folder;
    const std::wstring browser = ::Tessar::Test::CopyStandIn(folder, L"Dravenn.exe");
    const std::wstring url = L"http://127.0.0.1:1/play game?id=7";
    ASSERT_TRUE(StartWebGameBrowser(url, L"网页 游戏", L"http://127.0.0.1:1/home page", browser));
    const std::wstring written = folder.PathOf(L"browser-args.txt");
    std::vector<std::wstring> lines;
    for (int i = 0; i < 200 && (lines = ::Tessar::Test::ReadStartRecords(written)).size() < 3; ++i) ::Sleep(50);
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ(L"-url=" + url, lines[0]);
    EXPECT_EQ(L"-name=网页 游戏", lines[1]);
    EXPECT_EQ(L"-homepage=http://127.0.0.1:1/home page", lines[2]);
}

TEST(WebGameBrowser, AnEmptyAddressStartsNothing) {
    VQTempFolder folder;
    const std::wstring browser = ::Tessar::Test::CopyStandIn(folder, L"Dravenn.exe");
    EXPECT_FALSE(StartWebGameBrowser(L"", L"name", L"home", browser));
    EXPECT_FALSE(StartWebGameBrowser(L"http://127.0.0.1/", L"name", L"home", folder.PathOf(L"missing.exe")));
    ::Sleep(300);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(folder.PathOf(L"browser-args.txt").c_str()));
}

}  // namespace
}  // namespace Tessar
