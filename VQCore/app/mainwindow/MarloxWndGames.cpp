// The game operations of the main window: what a click on a tile means on
// each page, running an installed game through the running-game queue,
// opening a web game, a second start's request by id, and taking games
// off (uninstall on a worker whose outcome comes back as a message).

#include "VQCore/app/mainwindow/MarloxWnd.h"

#include <memory>

#include "VQCore/app/mainwindow/Confirmations.h"
#include "VQCore/app/operations/DesktopShortcut.h"
#include "VQCore/app/operations/DownloadTasks.h"
#include "VQCore/app/mainwindow/FileNotices.h"
#include "VQCore/app/pages/GameIcon.h"
#include "VQCore/app/operations/GameWatchQueue.h"
#include "VQCore/app/pages/IconList.h"
#include "VQCore/app/windows/MessageDlg.h"
#include "VQCore/app/start/ResourceString.h"
#include "VQCore/app/operations/RunKey.h"
#include "VQCore/app/environment/RuntimeInstall.h"
#include "VQCore/app/operations/Statistics.h"
#include "VQCore/app/operations/UninstallWorker.h"
#include "VQCore/app/operations/WebGameBrowser.h"
#include "VQCore/download/DownloadQueue.h"
#include "VQCore/download/DownloadTask.h"
#include "VQCore/gamelib/AppPaths.h"
#include "VQCore/gamelib/GameId.h"
#include "VQCore/gamelib/Settings.h"
#include "common/FileUtil.h"
#include "common/PathText.h"
#include "common/SystemUtil.h"
#include "common/Thread.h"
#include "common/WebAddress.h"

namespace Tessar {

namespace {

// The registration offer before a game's first start.
enum : UINT {
    kStringRegisterButton = 1152,
    kStringRunButton = 1153,
    kStringRegisterCaption = 1154,
    kStringRegisterText = 1155,
};
const int kSecondButtonId = 131;

int64_t Now() { return _time64(nullptr); }

VQGameLaunch LaunchOf(const VQGameIcon& tile) {
    VQGameLaunch launch;
    launch.program = tile.Data().runProgram;
    launch.arguments = tile.Data().runArguments;
    launch.workingFolder = tile.Data().workingFolder;
    launch.flashGame = GameKindOf(&tile) == kFlashGameKind;
    return launch;
}

// The folder the manager runs from, which no uninstall may delete.
std::wstring ProgramFolder() {
    std::wstring folder, separator, name;
    SplitFolderAndName(GetAppPath(), folder, separator, name);
    return folder;
}

}  // namespace

void VQMarloxWnd::OnTileAction(VQGameIcon* tile) {
    if (!tile || tile->IsAddTile()) return;
    const int page = tile->GetOwnerListId();
    const int kind = GameKindOf(tile);
    const int state = tile->GetState();
    if (page == kDownloadListId) {
        OnDownloadTileAction(tile);
        return;
    }
    if (page == kInstalledListId || page == kQuickListId) {
        if (state == kTileInstalled) {
            if (kind == kWebGameKind) {
                if (tile->Data().browserFlag == 0) tile->RecordRun(Now());
                OpenWebGame(tile, tile->Data().loginPage, *tile);
            } else {
                RunInstalledTile(tile);
            }
        } else if (state == kTileNotInstalled) {
            DownloadTile(tile);
        }
        return;
    }
    // A catalogue, recommendation or search tile: its installed twin runs.
    VQGameIcon* installed = FindInstalledTwin(tile);
    if (kind != kWebGameKind) {
        if (installed)
            RunInstalledTile(installed);
        else
            DownloadTile(tile);
        return;
    }
    const bool isNew = installed == nullptr;
    if (installed) {
        installed->RecordRun(Now());
    } else {
        VQIconList* list = FindIconList(kInstalledListId);
        if (!list) return;
        VQGameIcon* copy = new VQGameIcon;
        copy->CopyFrom(*tile);
        copy->SetImage(tile->GetIconDescription());
        copy->Data().loginPage = tile->Data().loginPage;
        copy->Data().registerPage = tile->Data().registerPage;
        copy->Data().browserFlag = tile->Data().browserFlag;
        copy->SetState(kTileInstalled);
        copy->Data().installTime = Now();
        copy->RecordRun(Now());
        if (!list->AddTile(copy)) {
            delete copy;
            return;
        }
        installed = copy;
        RefreshInstalledPages();
    }
    OpenWebGame(installed, isNew ? tile->Data().registerPage : tile->Data().loginPage, *tile);
    if (isNew) ReportStatisticInBackground(kStatClickRegister, tile->GetGameId(), std::wstring());
}

// `source` gives the browser flag, the name and the home page; the started
// notification goes out for `notifier`.
bool VQMarloxWnd::OpenWebGame(VQGameIcon* notifier, const std::wstring& url, const VQGameIcon& source) {
    bool opened;
    if (source.Data().browserFlag != 0)
        opened = StartWebGameBrowser(url, source.GetText(), source.Data().homePage);
    else
        opened = OpenWebAddress(url);
    if (opened && notifier) m_paintManager.SendNotify(notifier, NotifyGameStarted, 0, 0);
    return opened;
}

void VQMarloxWnd::RunInstalledTile(VQGameIcon* tile) {
    if (!tile) return;
    const VQGameIconData& data = tile->Data();
    const bool offer = GameKindOf(tile) != kCustomGameKind && data.runCount == 0 && data.installTime != 0 &&
                       !data.registerPage.empty() && data.registered == 0;
    if (offer) {
        const uint32_t serial = tile->GetSerial();
        VQMessageDlg ask(m_hwnd, kMessageAsk, LoadResourceString(kStringRegisterCaption),
                         LoadResourceString(kStringRegisterText));
        ask.SetOkText(LoadResourceString(kStringRegisterButton));
        ask.SetControlText(kSecondButtonId, LoadResourceString(kStringRunButton));
        ask.ShowModal();
        // The window went on working while the question was open: the tile
        // may have gone (an uninstall ended, the page was refilled).
        tile = FindTileBySerial(serial);
        if (!tile) return;
        if (ask.GetResult() == kDialogOk) {
            OpenWebAddress(tile->Data().registerPage, m_hwnd);
            tile->Data().registered = 1;
            ReportStatisticInBackground(kStatClickRegister, tile->GetGameId(), std::wstring());
            return;
        }
        // "运 行"; a question closed unanswered starts nothing.
        if (ask.GetResult() != kDialogCancel) return;
    }
    VQGameWatchQueue& games = GetRunningGames();
    games.SetReportTarget(m_hwnd, kMsgGameRunReport);
    games.Push(tile->GetSerial(), LaunchOf(*tile));
}

bool VQMarloxWnd::RunGameById(uint32_t gameId, const std::wstring& runKey) {
    if (gameId == 0) return false;
    VQGameIcon* match = nullptr;
    // The first match of each page; the quick strip's wins.
    for (int listId : {kInstalledListId, kQuickListId}) {
        VQIconList* list = FindIconList(listId);
        if (!list) continue;
        for (VQGameIcon* tile : list->GetTiles()) {
            if (tile && !tile->IsAddTile() && RunKeyMatches(*tile, gameId, runKey)) {
                match = tile;
                break;
            }
        }
    }
    if (match == nullptr || match->GetState() != kTileInstalled) return false;
    OnTileAction(match);
    return true;
}

// The running-game queue's report, on the UI thread: the tile (when it is
// still on a page) records the start and notifies.
void VQMarloxWnd::OnGameRunReport(WPARAM key, LPARAM started) {
    VQGameIcon* tile = FindTileBySerial(static_cast<uint32_t>(key));
    if (!tile) return;
    if (started) {
        tile->RecordRun(Now());
        m_paintManager.SendNotify(tile, NotifyGameStarted, 0, 0);
    } else {
        m_paintManager.SendNotify(tile, NotifyGameStartFailed, 0, 0);
    }
}

VQGameIcon* VQMarloxWnd::FindTileBySerial(uint32_t serial) const {
    if (serial == 0) return nullptr;
    for (int id = kHotListId; id <= kSearchListId; ++id) {
        VQIconList* list = FindIconList(id);
        if (!list) continue;
        for (VQGameIcon* tile : list->GetTiles())
            if (tile && tile->GetSerial() == serial) return tile;
    }
    return nullptr;
}

bool VQMarloxWnd::RemoveTile(VQGameIcon* tile, bool withData) {
    if (!tile || tile->IsAddTile()) return true;
    switch (tile->GetState()) {
    case kTileInstalled: {
        const int kind = GameKindOf(tile);
        if (withData && (kind == kSingleGameKind || kind == kOnlineGameKind || kind == kToolGameKind)) {
            // The tile leaves only when the uninstall really finished.
            StartUninstall(*tile);
            return true;
        }
        const std::wstring kept = withData && kind == kFlashGameKind ? RemoveFlashGameFolder(*tile) : std::wstring();
        TakeOffInstalledTile(tile);
        // Last: nothing is used after the message's loop.
        if (!kept.empty()) ShowGameFolderKept(m_hwnd, kept);
        return true;
    }
    case kTileNotInstalled:
    case kTileDownloaded:
        GetRunningGames().Forget(tile->GetSerial());
        tile->RemoveWithNotify();
        RewriteDownloadList();
        return true;
    case kTileWaiting:
    case kTileDownloading:
    case kTilePaused: {
        const bool wasDownloading = tile->GetState() == kTileDownloading;
        if (VQDownloadTask* task = tile->GetDownloadTask()) {
            if (withData) task->SetRemoveFiles(true);
            if (m_downloadQueue && m_downloadQueue->Remove(task, false)) tile->StopStateTimer();
            tile->SetDownloadTask(nullptr);
        }
        tile->RemoveWithNotify();
        if (wasDownloading && m_downloadQueue) {
            if (VQIconList* downloads = FindIconList(kDownloadListId)) {
                for (VQGameIcon* other : downloads->GetTiles()) {
                    if (other == tile || other->GetState() != kTileWaiting || !other->GetDownloadTask()) continue;
                    m_downloadQueue->StartNext(other->GetDownloadTask());
                    break;
                }
            }
        }
        RewriteDownloadList();
        if (m_downloadQueue) m_downloadQueue->ShareSpeedLimit();
        return true;
    }
    default:
        return true;
    }
}

// An installed tile goes: its shortcut with it; on the quick strip it only
// turns back into a not-installed tile.
void VQMarloxWnd::TakeOffInstalledTile(VQGameIcon* tile) {
    if (tile->Data().operationFlag2 != 0) {
        RemoveShortcutRecord(tile->GetGameId());
        tile->Data().operationFlag2 = 0;
    }
    GetRunningGames().Forget(tile->GetSerial());
    if (tile->GetOwnerListId() == kQuickListId)
        tile->SetState(kTileNotInstalled);
    else
        tile->RemoveWithNotify();
    RefreshInstalledPages();
}

void VQMarloxWnd::StartUninstall(VQGameIcon& tile) {
    const VQGameIconData& data = tile.Data();
    // One uninstall of a game at a time: a second request waits for the first.
    if (!m_uninstalling.insert(tile.GetGameId()).second) return;
    VQUninstallJob* job = new VQUninstallJob;
    job->names = VQStringTriple{data.uninstallKey, data.setupFolder, data.runProgram};
    job->createdFolder = data.createdFolder;
    job->knownDigest = data.uninstallDigest;
    job->gameId = tile.GetGameId();
    // The job holds the event: the window may go before the worker ends.
    job->stopEventHolder = m_stopEvent;
    job->stopEvent = m_stopEvent ? m_stopEvent->Get() : nullptr;
    job->reportWindow = m_hwnd;
    job->reportMessage = kMsgUninstallFinished;
    job->rules = FolderRulesFor(tile);
    VQThread* thread = new VQThread(&UninstallGame, job);
    HANDLE kept = nullptr;
    if (thread->Start()) {
        // The shutdown waits for the worker by this handle.
        DuplicateHandle(GetCurrentProcess(), thread->GetHandle(), GetCurrentProcess(), &kept, SYNCHRONIZE, FALSE, 0);
        AddExtraThread(kept);
    } else {
        delete job;
        m_uninstalling.erase(tile.GetGameId());
    }
    DeleteThreadHolder(thread);
}

void VQMarloxWnd::OnUninstallFinished(LPARAM posted) {
    std::unique_ptr<VQUninstallOutcome> outcome(reinterpret_cast<VQUninstallOutcome*>(posted));
    if (!outcome) return;
    m_uninstalling.erase(outcome->gameId);
    if (!outcome->finished) {
        // Cancelled or failed: the game stays installed. An uninstaller
        // that could not be run is the user's to know of.
        if (!outcome->failedCommand.empty()) ShowUninstallerFailed(m_hwnd, outcome->failedCommand);
        return;
    }
    VQGameIcon* gone = nullptr;
    for (int listId : {kInstalledListId, kQuickListId}) {
        VQIconList* list = FindIconList(listId);
        if (!list || gone) continue;
        for (VQGameIcon* tile : list->GetTiles()) {
            if (tile->GetGameId() == outcome->gameId && tile->GetState() == kTileInstalled &&
                tile->Data().runProgram == outcome->runProgram) {
                gone = tile;
                break;
            }
        }
    }
    if (gone) TakeOffInstalledTile(gone);
    // Last: nothing is used after the message's loop.
    if (!outcome->keptFolder.empty()) ShowGameFolderKept(m_hwnd, outcome->keptFolder);
}

std::wstring VQMarloxWnd::RemoveFlashGameFolder(const VQGameIcon& tile) {
    const VQGameIconData& data = tile.Data();
    // The folder the install made for the game, holding its config.ini.
    if (!data.createdFolder.empty() && FolderExists(data.createdFolder) &&
        IsDeletableGameFolder(data.createdFolder, data.runArguments, FolderRulesFor(tile))) {
        DeleteFolderTree(data.createdFolder);
        if (!FolderExists(data.createdFolder)) return std::wstring();
    }
    // A game found by the scan, installed before its folder was recorded,
    // or whose folder holds more: its files stay.
    std::wstring folder, separator, name;
    SplitFolderAndName(data.runArguments, folder, separator, name);
    for (const std::wstring& left : {data.createdFolder, folder})
        if (!left.empty() && FolderExists(left)) return left;
    return std::wstring();
}

VQGameFolderRules VQMarloxWnd::FolderRulesFor(const VQGameIcon& tile) const {
    std::vector<const VQGameIcon*> installed, downloads;
    for (int listId : {kInstalledListId, kQuickListId, kDownloadListId}) {
        VQIconList* list = FindIconList(listId);
        if (!list) continue;
        for (const VQGameIcon* other : list->GetTiles()) (listId == kDownloadListId ? downloads : installed).push_back(other);
    }
    VQGameFolderRules rules = GameFolderRulesFor(tile, installed, downloads);
    rules.installFolder = CurrentRuntimeInstallFolder();
    rules.protectedFolder = ProgramFolder();
    rules.keptPaths.push_back(GetDownloadFolder());
    return rules;
}

void VQMarloxWnd::ToggleDesktopShortcut(VQGameIcon* tile) {
    if (!tile) return;
    if (tile->Data().operationFlag2 != 0) {
        RemoveShortcutRecord(tile->GetGameId());
        tile->Data().operationFlag2 = 0;
    } else if (CreateDesktopShortcut(tile)) {
        tile->Data().operationFlag2 = 1;
    }
    RefreshInstalledPages();
}

}  // namespace Tessar
