// Adding a program of the user's own: which files are accepted, which name
// is taken (a Chinese one preferred, from the shortcut or the folder), and
// the dialog's fields after OK.
#include <gtest/gtest.h>

#include <objbase.h>

#include "VQCore/app/windows/AddGameDlg.h"
#include "common/Shortcut.h"
#include "tests/VQCore/app/DialogTestDriver.h"
#include "tests/support/TempFolder.h"
#include "ui/Control.h"

namespace Tessar {
namespace Test {
namespace {

TEST(AddGameDlg, ChineseCharactersAreFound) {
    const struct {
        const wchar_t* text;
        bool chinese;
    } cases[] = {{L"演示游戏", true}, {L"Demo 赛车", true}, {L"Demo Racer", false}, {L"", false}, {L"ａｂｃ", false}};
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i)
        EXPECT_EQ(cases[i].chinese, HasChineseCharacters(cases[i].text)) << "case " << i;
}

TEST(AddGameDlg, ResolvesProgramsAndShortcuts) {
    VQTempFolder folder;
    ASSERT_TRUE(folder.WriteFile(L"演示游戏\\Racer.exe", "MZ"));
    ASSERT_TRUE(folder.WriteFile(L"Plain\\Runner.exe", "MZ"));
    ASSERT_TRUE(folder.WriteFile(L"Plain\\readme.txt", "text"));
    const std::wstring chineseExe = folder.PathOf(L"演示游戏\\Racer.exe");
    const std::wstring plainExe = folder.PathOf(L"Plain\\Runner.exe");
    // Making shortcuts takes COM on this thread.
    const bool com = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    ASSERT_TRUE(CreateShortcut(L"", plainExe, L"-window", folder.PathOf(L"赛车大赛.lnk"), L"", -1));
    ASSERT_TRUE(CreateShortcut(L"", chineseExe, L"", folder.PathOf(L"Latin.lnk"), L"", -1));
    ASSERT_TRUE(CreateShortcut(L"", plainExe, L"", folder.PathOf(L"Plain.lnk"), L"", -1));
    ASSERT_TRUE(CreateShortcut(L"", folder.PathOf(L"Plain\\readme.txt"), L"", folder.PathOf(L"Text.lnk"), L"", -1));
    const struct {
        const char* name;
        std::wstring file;
        bool accepted;
        std::wstring path;
        const wchar_t* gameName;
        const wchar_t* arguments;
    } cases[] = {
        {"exe in a Chinese folder", chineseExe, true, chineseExe, L"演示游戏", L""},
        {"plain exe", plainExe, true, plainExe, L"Runner", L""},
        {"Chinese shortcut", folder.PathOf(L"赛车大赛.lnk"), true, plainExe, L"赛车大赛", L"-window"},
        {"Latin shortcut to a Chinese folder", folder.PathOf(L"Latin.lnk"), true, chineseExe, L"演示游戏", L""},
        {"plain shortcut", folder.PathOf(L"Plain.lnk"), true, plainExe, L"Runner", L""},
        {"shortcut to a text", folder.PathOf(L"Text.lnk"), false, L"", L"", L""},
        {"text file", folder.PathOf(L"Plain\\readme.txt"), false, L"", L"", L""},
        {"no extension", folder.PathOf(L"Plain\\Runner"), false, L"", L"", L""},
    };
    for (const auto& c : cases) {
        const VQResolvedProgram program = ResolveProgramFile(c.file);
        EXPECT_EQ(c.accepted, program.accepted) << c.name;
        if (!c.accepted) continue;
        EXPECT_EQ(0, _wcsicmp(c.path.c_str(), program.path.c_str())) << c.name;
        EXPECT_EQ(c.gameName, program.name) << c.name;
        EXPECT_EQ(c.arguments, program.arguments) << c.name;
    }
    if (com) ::CoUninitialize();
}

TEST(AddGameDlg, OkTakesTheFieldsAsEdited) {
    VQTempFolder folder;
    ASSERT_TRUE(folder.WriteFile(L"演示游戏\\Racer.exe", "MZ"));
    VQAddGameDlg dialog(nullptr, folder.PathOf(L"演示游戏\\Racer.exe"));
    ASSERT_TRUE(::IsWindow(dialog.GetHWND()));
    EXPECT_TRUE(dialog.IsFileAccepted());
    EXPECT_EQ(L"演示游戏", dialog.Find(110)->GetText());
    EXPECT_NE(std::wstring::npos, dialog.GetIconPicture().find(L"res='249'")) << "no icon of its own";
    EXPECT_TRUE(RunModal(dialog, 111, L"AddGameDlg", [&dialog] {
        dialog.Find(118)->SetText(L"-fast");
        EXPECT_TRUE(ClickControl(dialog, 111));
    }));
    EXPECT_EQ(1, dialog.GetResult());
    EXPECT_EQ(L"-fast", dialog.GetArguments());
    EXPECT_EQ(L"演示游戏", dialog.GetGameName());
    EXPECT_EQ(nullptr, dialog.GetMatch()) << "no catalogue here, so no known game";

    VQAddGameDlg refused(nullptr, folder.PathOf(L"nothing.txt"));
    EXPECT_FALSE(refused.IsFileAccepted());
    EXPECT_TRUE(RunModal(refused, 112, L"AddGameDlg-cancel", [&refused] { EXPECT_TRUE(ClickControl(refused, 112)); }));
    EXPECT_EQ(2, refused.GetResult());
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
