#include "VQCore/app/mainwindow/Confirmations.h"

#include "VQCore/app/windows/DeleteDlg.h"
#include "VQCore/app/windows/MessageDlg.h"
#include "VQCore/app/start/ResourceString.h"
#include "VQCore/gamelib/GameId.h"
#include "VQCore/gamelib/Settings.h"
#include "common/DownloadEndCodes.h"
#include "common/FormatText.h"

namespace Tessar {

namespace {

const int kDownloadListId = 119;
const int kToolsListId = 121;
const uint32_t kDiskFull = 112;

enum : UINT {
    kTextUninstallTitle = 1002,
    kTextUninstall = 1003,
    kTextDeleteAllTitle = 1005,
    kTextDeleteAll = 1006,
    kTextDeleteTaskTitle = 1007,
    kTextDeleteTask = 1008,
    kTextAlsoData = 1009,
    kTextPowerOffTitle = 1083,
    kTextPowerOff = 1084,
    kTextRepairTitle = 1085,
    kTextRepair = 1086,
    kTextExit = 1060,
    kTextExitTitle = 1061,
    kTextDiskFull = 1102,
    kTextSystemError = 1103,
    kTextDownloadFailed = 1104,
    kTextRunNow = 1142,
    kTextDeleteGameTitle = 1156,
    kTextDeleteGame = 1157,
};

VQConfirmation Ask(HWND owner, int type, UINT title, UINT text, UINT option = 0) {
    VQMessageDlg dialog(owner, type, LoadResourceString(title), LoadResourceString(text));
    if (option) dialog.SetOptionText(LoadResourceString(option));
    dialog.ShowModal();
    VQConfirmation answer;
    answer.proceed = dialog.GetResult() == kDialogOk;
    answer.withData = dialog.IsRemembered();
    return answer;
}

}  // namespace

VQConfirmation AskDeleteTile(HWND owner, int listId, int kind) {
    if (listId == kDownloadListId)
        return Ask(owner, kMessageAskWithOption, kTextDeleteTaskTitle, kTextDeleteTask, kTextAlsoData);
    if (listId == kToolsListId) {
        VQConfirmation answer = Ask(owner, kMessageAsk, kTextUninstallTitle, kTextUninstall);
        answer.withData = true;
        return answer;
    }
    if (kind == kWebGameKind || kind == kCustomGameKind) {
        VQConfirmation answer = Ask(owner, kMessageAsk, kTextDeleteGameTitle, kTextDeleteGame);
        answer.withData = false;
        return answer;
    }
    VQDeleteDlg dialog(owner, kind);
    dialog.ShowModal();
    VQConfirmation answer;
    answer.proceed = dialog.GetResult() == kDialogOk;
    answer.withData = dialog.IsUninstall();
    return answer;
}

VQConfirmation AskDeleteAllTasks(HWND owner) {
    return Ask(owner, kMessageAskWithOption, kTextDeleteAllTitle, kTextDeleteAll, kTextAlsoData);
}

bool AskPowerOff(HWND owner) {
    const int seconds = VQMessageDlg::kCountdownSeconds;
    VQMessageDlg dialog(owner, kMessageCountdown, LoadResourceString(kTextPowerOffTitle),
                        FormatString(LoadResourceString(kTextPowerOff).c_str(), seconds), kTextPowerOff);
    dialog.SetOkText(LoadResourceString(kTextRunNow));
    dialog.ShowModal();
    return dialog.GetResult() == kDialogOk;
}

bool ConfirmExit(HWND owner, bool downloadsActive) {
    VQSettings& settings = VQSettings::Instance();
    if (!downloadsActive || !settings.GetBool(L"ExitMessageTip")) return true;
    const VQConfirmation answer = Ask(owner, kMessageAskWithOption, kTextExitTitle, kTextExit);
    if (!answer.proceed) return false;
    // "Remember my choice": the next exit does not ask.
    if (answer.withData) settings.SetBool(L"ExitMessageTip", false);
    return true;
}

VQConfirmation AskRepairGame(HWND owner) {
    return Ask(owner, kMessageAskWithOption, kTextRepairTitle, kTextRepair);
}

void ShowDownloadError(HWND owner, uint32_t code, uint32_t detail) {
    const std::wstring text = DownloadErrorText(code, detail);
    VQMessageDlg dialog(owner, kMessageInform, LoadResourceString(kTextDownloadFailed), text);
    dialog.ShowModal();
}

std::wstring DownloadErrorText(uint32_t code, uint32_t detail) {
    struct Entry {
        uint32_t code;
        UINT text;
    };
    static const Entry kPlain[] = {
        {kDiskFull, kTextDiskFull},
        {kDownloadInfoFailed, 1095},
        {kDownloadBadUrl, 1096},
        {kDownloadSizeQueryFailed, 1097},
        {kDownloadSizeMismatch, 1098},
        {kDownloadRecordUnreadable, 1100},
        {kDownloadVerifyFailed, 1101},
    };
    // The errors of the threads that failed come with the end; this
    // thread's own last errors say nothing about them.
    const unsigned reason = detail != 0 ? detail : code;
    if (code == kDownloadWaitFailed)
        return FormatString(LoadResourceString(kTextSystemError).c_str(), reason);
    if (code == kDownloadRangeFailed)
        return FormatString(LoadResourceString(1099).c_str(), reason);
    for (const Entry& entry : kPlain)
        if (entry.code == code) return LoadResourceString(entry.text);
    return FormatString(LoadResourceString(kTextSystemError).c_str(), static_cast<unsigned>(code));
}

}  // namespace Tessar
