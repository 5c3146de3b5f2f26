// Path macros: the fixed table of special folders, the install macro, and
// the expansion of texts, which must end whatever the values hold.
#include "VQCore/download/InstallMacros.h"
#include "common/CodePage.h"
#include "common/PathText.h"
#include "tests/VQCore/download/InstallTestUtil.h"

#include <gtest/gtest.h>

namespace Tessar {
namespace {

TEST(InstallMacrosTest, TheSystemTableGivesTheSpecialFolders) {
    // The real folders of the Wine user are only read here, never written.
    SetFixedMacroFolders(nullptr);
    EXPECT_EQ(23u, FixedMacroNames().size());
    std::wstring value;
    ASSERT_TRUE(FindFixedMacro(L"my_desktop", value));
    EXPECT_TRUE(IsAbsolutePath(value)) << WideToUtf8(value);
    ASSERT_TRUE(FindFixedMacro(L"windows", value));
    EXPECT_TRUE(FolderExists(value)) << WideToUtf8(value);
    ASSERT_TRUE(FindFixedMacro(L"system_driver", value));
    EXPECT_EQ(2u, value.size()) << WideToUtf8(value);  // "C:"
    EXPECT_FALSE(FindFixedMacro(L"install", value));  // set by each install, not fixed
    EXPECT_FALSE(FindFixedMacro(L"nothing", value));
}

TEST(InstallMacrosTest, ExpandsTheFirstMarkedMacroAgainAndAgain) {
    VQScratchMacroFolders scratch(L"X:\\scratch");
    VQInstallMacros macros;
    macros.Set(L"install", L"D:\\Games\\Foo");
    const struct {
        const char* name;
        const wchar_t* text;
        const wchar_t* expected;
    } cases[] = {
        {"install macro", L"##install##\\game.exe", L"D:\\Games\\Foo\\game.exe"},
        {"every occurrence", L"##install##;##install##", L"D:\\Games\\Foo;D:\\Games\\Foo"},
        {"names ignore case", L"##INSTALL##\\a", L"D:\\Games\\Foo\\a"},
        {"fixed macros", L"##my_desktop##\\Game.lnk", L"X:\\scratch\\my_desktop\\Game.lnk"},
        {"one after another", L"##install##|##my_doc##", L"D:\\Games\\Foo|X:\\scratch\\my_doc"},
        {"unknown first pair stops", L"##nothing##\\##install##", L"##nothing##\\##install##"},
        {"no pair", L"plain \\text", L"plain \\text"},
        {"one mark only", L"a##install", L"a##install"},
        {"empty name", L"####install##", L"####install##"},
    };
    for (const auto& c : cases) {
        std::wstring out;
        EXPECT_TRUE(macros.Expand(c.text, out)) << c.name;
        EXPECT_EQ(std::wstring(c.expected), out) << c.name;
    }
    std::wstring withZero = std::wstring(L"##install##", 11) + L'\0';
    EXPECT_EQ(std::wstring(L"D:\\Games\\Foo") + L'\0', macros.Expand(withZero));
}

TEST(InstallMacrosTest, AValueThatBringsItsMacroBackEnds) {
    VQScratchMacroFolders scratch(L"X:\\scratch");
    const struct {
        const char* name;
        const wchar_t* value;
    } cases[] = {
        {"itself", L"##install##"},
        {"growing", L"C:\\##install##\\Foo"},
        {"through another", L"##loop##"},
    };
    for (const auto& c : cases) {
        VQInstallMacros macros;
        macros.Set(L"install", c.value);
        macros.Set(L"loop", L"##install##");
        std::wstring out;
        EXPECT_FALSE(macros.Expand(L"##install##\\game.exe", out)) << c.name;
        EXPECT_EQ(L"##install##\\game.exe", out) << c.name;
        EXPECT_EQ(L"##install##\\game.exe", macros.Expand(L"##install##\\game.exe")) << c.name;
    }
}

TEST(InstallMacrosTest, TheSetTableComesBeforeTheFixedOne) {
    VQScratchMacroFolders scratch(L"X:\\scratch");
    VQInstallMacros macros;
    std::wstring value;
    ASSERT_TRUE(macros.Find(L"My_Doc", value));
    EXPECT_EQ(L"X:\\scratch\\my_doc", value);
    macros.Set(L"MY_DOC", L"Y:\\mine");
    ASSERT_TRUE(macros.Find(L"my_doc", value));
    EXPECT_EQ(L"Y:\\mine", value);
}

}  // namespace
}  // namespace Tessar
