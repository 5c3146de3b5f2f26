// The skinned message box and the small dialogs, as real modal windows
// under the virtual display: opened, driven by posted clicks, their result
// fields read afterwards, a screenshot of each kept.
#include <gtest/gtest.h>

#include "VQCore/app/windows/AboutDlg.h"
#include "VQCore/app/windows/DeleteDlg.h"
#include "VQCore/app/windows/MessageDlg.h"
#include "VQCore/app/start/ResourceString.h"
#include "common/FormatText.h"
#include "tests/VQCore/app/DialogTestDriver.h"
#include "ui/Control.h"
#include "ui/Option.h"

namespace Tessar {
namespace Test {
namespace {

bool IsShown(VQDialogWindow& dialog, int id) {
    VQControl* control = dialog.Find(id);
    return control && control->IsVisible();
}

TEST(MessageDlg, TypesShowTheirButtonsAndClicksGiveTheResult) {
    const struct {
        const char* name;
        int type;
        int click;
        bool option;
        bool cancel;
        int result;
    } cases[] = {
        {"ask-with-option-ok", kMessageAskWithOption, 130, true, true, 1},
        {"ask-with-option-cancel", kMessageAskWithOption, 131, true, true, 2},
        {"ask-close", kMessageAsk, 100, false, true, 2},
        {"inform-ok", kMessageInform, 130, false, false, 1},
        {"inform-close", kMessageInform, 100, false, false, 2},
    };
    for (const auto& c : cases) {
        VQMessageDlg dialog(nullptr, c.type, L"删除任务", L"确定要删除下载任务吗？");
        ASSERT_TRUE(::IsWindow(dialog.GetHWND())) << c.name;
        EXPECT_EQ(L"删除任务", dialog.Find(101)->GetText()) << c.name;
        EXPECT_EQ(L"确定要删除下载任务吗？", dialog.Find(106)->GetText()) << c.name;
        EXPECT_EQ(c.option, IsShown(dialog, 105)) << c.name;
        EXPECT_EQ(c.cancel, IsShown(dialog, 131)) << c.name;
        EXPECT_TRUE(IsShown(dialog, 130)) << c.name;
        const int click = c.click;
        EXPECT_TRUE(RunModal(dialog, 130, FormatString(L"MessageDlg-%hs", c.name),
                             [&dialog, click] { EXPECT_TRUE(ClickControl(dialog, click)); }))
            << c.name;
        EXPECT_EQ(c.result, dialog.GetResult()) << c.name;
        EXPECT_FALSE(::IsWindow(dialog.GetHWND())) << c.name;
    }
}

TEST(MessageDlg, AQuestionClosedFromOutsideHasNoAnswer) {
    // The registration question, whose cancel button means "运 行": closed by
    // another program (or by the manager's own end) it must not start the game.
    VQMessageDlg dialog(nullptr, kMessageAsk, L"游戏注册", L"需要帐号才能进入游戏，是否立即注册？");
    EXPECT_TRUE(RunModal(dialog, 130, L"MessageDlg-closed-from-outside",
                         [&dialog] { ::PostMessageW(dialog.GetHWND(), WM_CLOSE, 0, 0); }));
    EXPECT_EQ(kDialogNoAnswer, dialog.GetResult());
    EXPECT_NE(kDialogCancel, dialog.GetResult());
}

TEST(MessageDlg, TheOptionIsRememberedWhenTicked) {
    VQMessageDlg dialog(nullptr, kMessageAskWithOption, L"终止扫描", L"扫描尚未结束，您确定要终止本次扫描吗？");
    dialog.SetOptionText(L"添加已扫描到的游戏");
    dialog.SetOkText(L"立即执行");
    EXPECT_EQ(L"添加已扫描到的游戏", dialog.Find(105)->GetText());
    EXPECT_EQ(L"立即执行", dialog.Find(130)->GetText());
    EXPECT_FALSE(dialog.IsRemembered());
    EXPECT_TRUE(RunModal(dialog, 105, L"MessageDlg-option", [&dialog] {
        EXPECT_TRUE(ClickControl(dialog, 105));
        EXPECT_TRUE(ClickControl(dialog, 130));
    }));
    EXPECT_EQ(1, dialog.GetResult());
    EXPECT_TRUE(dialog.IsRemembered());
}

TEST(MessageDlg, CountdownConfirmsByItselfAndShowsTheSecondsLeft) {
    // One countdown second lasts 5 ms here; the window timer does the counting.
    VQMessageDlg::SetCountdownTickForTesting(5);
    const std::wstring format = LoadResourceString(1084);
    ASSERT_FALSE(format.empty());
    VQMessageDlg dialog(nullptr, kMessageCountdown, LoadResourceString(1083), FormatString(format.c_str(), 60), 1084);
    EXPECT_FALSE(IsShown(dialog, 105));
    EXPECT_TRUE(IsShown(dialog, 131));
    EXPECT_NE(0, ::GetWindowLongPtrW(dialog.GetHWND(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    std::wstring seen;
    EXPECT_TRUE(RunModal(dialog, 130, L"MessageDlg-countdown", [] {}));
    VQMessageDlg::SetCountdownTickForTesting(0);
    EXPECT_EQ(1, dialog.GetResult());
    EXPECT_EQ(0, dialog.GetCountdown());
    EXPECT_EQ(FormatString(format.c_str(), 0), dialog.Find(106)->GetText());
}

TEST(MessageDlg, CountdownCanBeRefused) {
    VQMessageDlg dialog(nullptr, kMessageCountdown, L"系统关机", L"系统在 60 秒后关机，请保存好数据。", 1084);
    EXPECT_TRUE(RunModal(dialog, 131, L"MessageDlg-countdown-refused",
                         [&dialog] { EXPECT_TRUE(ClickControl(dialog, 131)); }));
    EXPECT_EQ(2, dialog.GetResult());
    EXPECT_GT(dialog.GetCountdown(), 50) << "the real countdown hardly started";
}

TEST(DeleteDlg, TheOptionPairSetsTheUninstallFlag) {
    const struct {
        const char* name;
        int kind;
        int choose;
        int click;
        bool uninstallEnabled;
        bool uninstall;
        int result;
    } cases[] = {
        {"icon-only", 1, 0, 130, true, false, 1},
        {"uninstall", 2, 102, 130, true, true, 1},
        {"uninstall-cancelled", 2, 102, 131, true, true, 2},
        {"web-game", 4, 102, 130, false, false, 1},
        {"own-program", 6, 102, 100, false, false, 2},
    };
    for (const auto& c : cases) {
        VQDeleteDlg dialog(nullptr, c.kind);
        ASSERT_TRUE(::IsWindow(dialog.GetHWND())) << c.name;
        EXPECT_EQ(c.uninstallEnabled, dialog.Find(102)->IsEnabled()) << c.name;
        const int choose = c.choose, click = c.click;
        EXPECT_TRUE(RunModal(dialog, 130, FormatString(L"DeleteDlg-%hs", c.name), [&dialog, choose, click] {
            auto* first = static_cast<VQOption*>(dialog.Find(101)->GetInterface(ControlTypeOption));
            EXPECT_TRUE(first && first->IsSelected());
            if (choose) ClickControl(dialog, choose);
            EXPECT_TRUE(ClickControl(dialog, click));
        })) << c.name;
        EXPECT_EQ(c.result, dialog.GetResult()) << c.name;
        EXPECT_EQ(c.uninstall, dialog.IsUninstall()) << c.name;
    }
}

TEST(AboutDlg, ShowsTheVersionAndCloses) {
    for (int button : {109, 103}) {
        VQAboutDlg dialog(nullptr);
        EXPECT_TRUE(RunModal(dialog, 109, L"AboutDlg", [&dialog, button] {
            EXPECT_EQ(L"Tovana游戏管理器 1.7.1.1752", dialog.Find(110)->GetText());
            EXPECT_TRUE(ClickControl(dialog, button));
        })) << button;
        EXPECT_EQ(button == 109 ? 1 : 2, dialog.GetResult());
    }
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
