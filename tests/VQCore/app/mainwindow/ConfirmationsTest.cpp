// The main window's questions as the user meets them: the right dialog with
// the right texts, and the answer (including the ticked box) passed back.
#include <gtest/gtest.h>

#include "VQCore/app/mainwindow/Confirmations.h"
#include "VQCore/app/windows/MessageDlg.h"
#include "VQCore/gamelib/Settings.h"
#include "common/DownloadEndCodes.h"
#include "tests/VQCore/app/DialogTestDriver.h"

namespace Tessar {
namespace Test {
namespace {

TEST(Confirmations, DeleteAsksByPageAndKind) {
    const struct {
        const char* name;
        int listId;
        int kind;
        int click;
        std::vector<int> before;
        const wchar_t* dialogClass;
        const wchar_t* caption;
        bool proceed;
        bool withData;
    } cases[] = {
        {"task-with-data", 119, 1, 130, {105}, L"VQMessageDlg", L"删除任务", true, true},
        {"task-keep-data", 119, 1, 130, {}, L"VQMessageDlg", L"删除任务", true, false},
        {"task-cancel", 119, 1, 131, {105}, L"VQMessageDlg", L"删除任务", false, true},
        {"tool", 121, 5, 130, {}, L"VQMessageDlg", L"卸载游戏", true, true},
        {"tool-cancel", 121, 5, 100, {}, L"VQMessageDlg", L"卸载游戏", false, true},
        {"web-game", 120, 4, 130, {}, L"VQMessageDlg", L"删除游戏", true, false},
        {"own-program", 120, 6, 131, {}, L"VQMessageDlg", L"删除游戏", false, false},
        {"single-uninstall", 120, 1, 130, {102}, L"VQDeleteDlg", L"", true, true},
        {"single-icon", 120, 1, 130, {}, L"VQDeleteDlg", L"", true, false},
        {"single-cancel", 120, 1, 131, {102}, L"VQDeleteDlg", L"", false, true},
    };
    for (const auto& c : cases) {
        VQDialogAnswerer answer(std::wstring(L"Ask-delete-") + std::wstring(c.name, c.name + strlen(c.name)), c.click,
                                c.before);
        const VQConfirmation result = AskDeleteTile(nullptr, c.listId, c.kind);
        ASSERT_TRUE(answer.Answered()) << c.name;
        EXPECT_EQ(c.dialogClass, answer.ClassName()) << c.name;
        if (*c.caption) {
            EXPECT_EQ(c.caption, answer.Caption()) << c.name;
        }
        EXPECT_EQ(c.proceed, result.proceed) << c.name;
        if (c.proceed) {
            EXPECT_EQ(c.withData, result.withData) << c.name;
        }
    }
}

TEST(Confirmations, DeleteAllTasksOffersToClearTheData) {
    VQDialogAnswerer answer(L"Ask-delete-all", 130, {105});
    const VQConfirmation result = AskDeleteAllTasks(nullptr);
    ASSERT_TRUE(answer.Answered());
    EXPECT_EQ(L"删除所有任务", answer.Caption());
    EXPECT_EQ(L"确定要删除所有下载任务吗？", answer.Text());
    EXPECT_TRUE(answer.WasShown(105));
    EXPECT_TRUE(result.proceed);
    EXPECT_TRUE(result.withData);
}

TEST(Confirmations, ExitAsksWhileDownloadsRunAndCanBeToldNotToAskAgain) {
    VQSettings& settings = VQSettings::Instance();
    const bool saved = settings.GetBool(L"ExitMessageTip");
    const struct {
        const char* name;
        bool downloads;
        bool ask;       // ExitMessageTip before
        int click;      // 0: no dialog expected
        std::vector<int> before;
        bool exits;
        bool askAfter;  // ExitMessageTip after
    } cases[] = {
        {"no download runs", false, true, 0, {}, true, true},
        {"told not to ask", true, false, 0, {}, true, false},
        {"confirmed", true, true, 130, {}, true, true},
        {"confirmed, remember", true, true, 130, {105}, true, false},
        {"cancelled, remember", true, true, 131, {105}, false, true},
    };
    for (const auto& c : cases) {
        settings.SetBool(L"ExitMessageTip", c.ask);
        VQDialogAnswerer answer(std::wstring(L"Ask-exit-") + std::wstring(c.name, c.name + strlen(c.name)),
                                c.click ? c.click : 131, c.before);
        EXPECT_EQ(c.exits, ConfirmExit(nullptr, c.downloads)) << c.name;
        EXPECT_EQ(c.click != 0, answer.Answered()) << c.name;
        if (c.click) {
            EXPECT_EQ(L"退出Tovana", answer.Caption()) << c.name;
            EXPECT_EQ(L"下载管理中有任务正在下载，您确定要退出Tovana吗？", answer.Text()) << c.name;
            EXPECT_TRUE(answer.WasShown(105)) << c.name << ": the box to remember the choice";
        }
        EXPECT_EQ(c.askAfter, settings.GetBool(L"ExitMessageTip")) << c.name;
    }
    settings.SetBool(L"ExitMessageTip", saved);
}

TEST(Confirmations, PowerOffCountsDownAndCanBeRefused) {
    {
        VQDialogAnswerer answer(L"Ask-power-off-refused", 131);
        EXPECT_FALSE(AskPowerOff(nullptr));
        ASSERT_TRUE(answer.Answered());
        EXPECT_EQ(L"系统关机", answer.Caption());
        EXPECT_EQ(L"系统在 60 秒后关机，请保存好数据。", answer.Text());
        EXPECT_FALSE(answer.WasShown(105));
    }
    // Nobody answers: the countdown (5 ms a second here) confirms.
    VQMessageDlg::SetCountdownTickForTesting(5);
    EXPECT_TRUE(AskPowerOff(nullptr));
    VQMessageDlg::SetCountdownTickForTesting(0);
}

TEST(Confirmations, DownloadErrorTexts) {
    const struct {
        uint32_t code;
        uint32_t detail;
        const wchar_t* text;
    } cases[] = {
        {1, 5, L"系统错误(0x00000005)，请联系管理员！"},
        {1, 0, L"系统错误(0x00000001)，请联系管理员！"},
        {112, 0, L"磁盘空间不足，请在设置选项里更改下载与安装目录！"},
        {kDownloadInfoFailed, 0, L"查询服务器错误，检查网络是否已经连接，请联系管理员！"},
        {kDownloadBadUrl, 0, L"解析服务器返回的地址错误，请联系管理员！"},
        {kDownloadSizeQueryFailed, 0, L"获取下载的文件大小失败，检查网络是否已经连接，请联系管理员！"},
        {kDownloadSizeMismatch, 0, L"服务器返回的文件大小不匹配，请联系管理员！"},
        {kDownloadRangeFailed, 10061, L"网络错误(0x0000274d)，检查网络是否已经连接，请联系管理员！"},
        {kDownloadRangeFailed, kRangeReplyUnusable, L"网络错误(0x00002f78)，检查网络是否已经连接，请联系管理员！"},
        // A network failure without a detail names itself, never 0.
        {kDownloadRangeFailed, 0, L"网络错误(0xe0000007)，检查网络是否已经连接，请联系管理员！"},
        {kDownloadRecordUnreadable, 0, L"解析日志文件错误！"},
        {kDownloadVerifyFailed, 0, L"服务器返回0字节，请联系管理员！"},
        {0xE0000011, 0, L"系统错误(0xe0000011)，请联系管理员！"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.text, DownloadErrorText(c.code, c.detail)) << std::hex << c.code << " " << c.detail;
}

TEST(Confirmations, DownloadErrorIsOneButtonMessage) {
    VQDialogAnswerer answer(L"Download-error", 130);
    ShowDownloadError(nullptr, 112, 0);
    ASSERT_TRUE(answer.Answered());
    EXPECT_EQ(L"下载失败", answer.Caption());
    EXPECT_EQ(L"磁盘空间不足，请在设置选项里更改下载与安装目录！", answer.Text());
    EXPECT_FALSE(answer.WasShown(131));
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
