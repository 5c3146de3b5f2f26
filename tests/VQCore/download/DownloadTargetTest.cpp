// Where a download from the server goes: only a plain file name joins the
// download folder.
#include "VQCore/download/DownloadTarget.h"


#include <gtest/gtest.h>

namespace Tessar {
namespace Test {
namespace {

TEST(DownloadTarget, OnlyAPlainFileNameJoinsTheFolder) {
    struct Case {
        const char* name;
        const wchar_t* fileName;
        const wchar_t* expected;  // empty: refused
    } cases[] = {
        {"plain", L"game.exe", L"C:\\cache\\game.exe"},
        {"Chinese", L"\x6E38\x620F.vqz", L"C:\\cache\\\x6E38\x620F.vqz"},
        {"quoted", L"\"game.exe\"", L"C:\\cache\\game.exe"},
        {"no extension (a peer-to-peer content folder)", L"game", L"C:\\cache\\game"},
        {"inner dots", L"a..b", L"C:\\cache\\a..b"},
        {"empty", L"", L""},
        {"quotes only", L"\"\"", L""},
        {"parent", L"..", L""},
        {"current", L".", L""},
        {"parent path", L"..\\escaped.bin", L""},
        {"parent path with slashes", L"../escaped.bin", L""},
        {"subfolder", L"sub\\game.exe", L""},
        {"trailing separator", L"sub\\", L""},
        {"leading separator", L"\\game.exe", L""},
        {"absolute", L"D:\\elsewhere\\game.exe", L""},
        {"absolute with slashes", L"D:/elsewhere/game.exe", L""},
        {"UNC", L"\\\\server\\share\\game.exe", L""},
        {"drive relative", L"D:game.exe", L""},
        {"stream", L"game.exe:hidden", L""},
        {"device", L"NUL", L""},
        {"device with extension", L"com1.vqz", L""},
        {"trailing dot", L"game.", L""},
        {"trailing blank", L"game ", L""},
        {"wildcard", L"game*.exe", L""},
        {"control character", L"game\x01.exe", L""},
        {"line break", L"game\r\n.exe", L""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(std::wstring(c.expected), DownloadTargetPath(L"C:\\cache", c.fileName)) << c.name;
}

TEST(DownloadTarget, NoFolderNoTarget) {
    EXPECT_EQ(L"", DownloadTargetPath(L"", L"game.exe"));
    EXPECT_EQ(L"C:\\cache\\game.exe", DownloadTargetPath(L"C:\\cache\\", L"game.exe"));
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
