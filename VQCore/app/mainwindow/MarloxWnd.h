#pragma once
// Folder mainwindow/: the main window (MarloxWnd and its MarloxWnd*.cpp by
// concern), its tab strip and tab top, the tile menu, the tray icon, the
// page slide and tile moves, and the questions and notices it asks.
//
// The main window of the manager: hosts the skinned tree of layout
// "MarloxWnd" (pages of game tiles), owns the download queue, the drop
// target, the hot keys, the day timers and the threads of the scheduled
// jobs, and routes what happens in the program. Its OnDestroy is the
// program's orderly stop.
//
// Threads: the window and its tree are used on the UI thread only. Worker
// threads report by posting the messages below (never by touching tiles),
// and OnDownloadMessage, called on a task's thread, only posts as well.
// The shutdown sets the stop event first and waits for the workers with
// one time limit, so a worker that still reports cannot hold it up; a
// worker it leaves behind holds everything it uses (its job, the stop
// event, the report's counter) and posts to a window that may be gone.

#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "VQCore/app/mainwindow/ProgressMailbox.h"
#include "VQCore/app/start/AppControlTypes.h"
#include "VQCore/app/operations/GameFolderRules.h"
#include "VQCore/app/pages/GameListState.h"
#include "VQCore/download/DownloadMessage.h"
#include "common/KernelHandle.h"
#include "ui/DropTarget.h"
#include "ui/WindowImplBase.h"

namespace Tessar {

class VQControl;
class VQDownloadQueue;
class IGameTile;
class VQGameIcon;
class VQIconList;
class VQMenuWnd;
class VQPageTipWnd;
class VQScanWnd;
class VQSearchWnd;
class VQSkinSettingWnd;
class VQDetailsWnd;
class VQWebWnd;
class VQGameIconTipWnd;
class VQMessageTipWnd;
struct VQTipActions;
class VQEnvironmentWnd;
class VQPageFilters;
class VQPageSlide;
class VQTileMoves;
class VQStartupPageFill;
class VQTabCtrl;
class VQThread;
struct VQGameRecord;

// A program of the user's own, as the add-game dialog gives it.
struct VQCustomGame {
    std::wstring name;
    std::wstring program;
    std::wstring arguments;
    std::wstring workingFolder;
    const VQGameRecord* match = nullptr;  // the catalogue's record when it is a known game
};

// The window's own messages (wParam / lParam as noted).
enum VQMarloxMessage : UINT {
    kMsgTrayIcon = WM_USER + 1,          // lParam: the mouse message
    // WM_USER + 2 and + 5 (a tile's install finished: the tip; a tile
    // downloaded) are the tiles' own: AppControlTypes.h.
    // The new-games tip, sent by the window to itself: wParam points to five
    // uint32_t counts (single-player, online, web, flash, tools), lParam
    // their total.
    kMsgCatalogueUpdated = WM_USER + 3,
    kMsgDragEnter = WM_USER + 10,        // 1034-1037 come from VQDropTargetEx
    kMsgDragOver = WM_USER + 11,
    kMsgDrop = WM_USER + 12,
    kMsgDragLeave = WM_USER + 13,
    kMsgAddGameFromFile = WM_USER + 14,  // wParam: ask flag, lParam: const wchar_t* path
    // A download task's event, carried from the task's thread to the UI
    // thread: wParam a heap VQPostedDownloadEvent the handler frees.
    kMsgDownloadEvent = WM_USER + 40,
    // A game's picture arrived (a worker's picture fetch): wParam a heap
    // VQPostedPicture the handler frees.
    kMsgGamePicture = WM_USER + 41,
    // A worker's timer: wParam the timer id, lParam the delay in ms (a
    // timer can only be armed by its window's thread).
    kMsgArmTimer = WM_USER + 60,
    // The hot list's tiles from the list job: wParam a heap VQTileList the
    // handler frees (the page takes the tiles).
    kMsgHotListTiles = WM_USER + 61,
    // The newly published games of a catalogue update: wParam a heap
    // VQCatalogueNews the handler frees (the pages take the tiles).
    kMsgCatalogueNews = WM_USER + 62,
    // The running-game queue's report: wParam the tile it was pushed for,
    // lParam 1 started, 0 could not be started.
    kMsgGameRunReport = WM_USER + 50,
    // An uninstall worker ended: lParam a heap VQUninstallOutcome the
    // handler frees.
    kMsgUninstallFinished = WM_USER + 51,
    // The start-up found list files it could not read: tell the user once.
    kMsgListFileNotice = WM_USER + 71,
};

// Posts a game's new picture to the window (any thread); false when the
// window did not take it.
bool PostGamePicture(HWND window, uint32_t gameId, const std::wstring& image);

// WM_COPYDATA's wParam of a second start's game request.
const WPARAM kCopyDataExecRequest = 8888;

// Timers of the window.
enum VQMarloxTimer : UINT_PTR {
    kTimerDatabaseUpdate = 1001,
    kTimerAdvertUpdate = 1002,
    kTimerHotUpdate = 1003,
    kTimerOnlineReport = 1004,
    kTimerSpeedDisplay = 1005,
    kTimerTrayRotation = 1006,
    // The start-up's page fill, one slice a tick: a timer rather than posted
    // messages, so the window paints before the slices (WM_PAINT comes
    // before WM_TIMER, posted messages before both).
    kTimerPageFill = 1010,
    // A download count held back (VQProgressMailbox) while no more come:
    // taken a moment after the last one arrived.
    kTimerProgress = 1011,
};

// Control ids of the main window's layout that the window itself uses.
enum VQMarloxControlId : int {
    kPageTabId = 105,
    kHotListId = 113,
    kSingleListId = 114,
    kOnlineListId = 115,
    kWebListId = 116,
    kFlashListId = 117,
    kToolListId = 118,
    kDownloadListId = 119,
    kInstalledListId = 120,
    kQuickListId = 121,
    kSearchListId = 122,
    kSpeedLabelId = 169,
    kAddTileId = 177,
};

// The name of the strip (a "TabTop") that marks tab control 105's selected
// page button, when the skin has one.
const wchar_t kPageStripName[] = L"tabtop";

// Items of tab control 105, in order.
enum VQMarloxPage : int {
    kPageInstalled = 0,
    kPageHot = 1,
    kPageLibrary = 2,
    kPageTools = 3,
    kPageDownloads = 4,
};

// String ids the window and the start-up use.
enum : UINT {
    kStringAppTitle = 1000,
    kStringCheckingUpdate = 1073,
};

// The nine tile lists of the start-up page fill, in the order the pages
// are filled; the window owns the tiles once they are handed over.
struct VQPageTiles {
    VQTileList installed, quick, downloads, tools, hot, single, online, flash, web;
};

// What the three hot keys toggle.
enum VQHotKey : int { kHotKeyHide = 0, kHotKeyHideGame = 1, kHotKeyKillGame = 2, kHotKeyCount = 3 };

class VQMarloxWnd : public VQWindowImplBase, public VQDownloadMessage {
public:
    VQMarloxWnd();
    ~VQMarloxWnd() override;

    const wchar_t* GetWindowClassName() const override { return L"VQMarloxWnd"; }
    UINT GetClassStyle() const override { return CS_VREDRAW | CS_HREDRAW; }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hwnd) override;
    LRESULT OnDestroy(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    LRESULT OnCreate(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    LRESULT OnCommand(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    LRESULT OnNcCalcSize(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    LRESULT OnNcPaint(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    LRESULT OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    // While a question is open the window does not close (the code the
    // question returns into uses the window and its tiles): the questions
    // are ended unanswered and the close follows once they have returned.
    LRESULT OnClose(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    void ChangeSkin(UINT resourceId, const std::wstring& windowName, const std::wstring& extra,
                    const std::wstring& skinFolder, const std::wstring& skinLayoutPath) override;
    void Notify(VQNotifyMsg& msg) override;
    // Called on the task's thread: the event is posted to the UI thread.
    void OnDownloadMessage(uint32_t code, const VQDownloadMessageInfo* info) override;

    // Pages.
    // Hands the nine lists to their icon lists (found by name) and marks
    // the pages filled; false when a list is missing (its tiles are freed).
    bool SetPageIcons(VQPageTiles& tiles);
    bool ArePagesFilled() const { return m_pagesFilled; }
    // Takes the start-up's fill after its first pages: the rest is handed
    // to the lists in slices from the message loop.
    void BeginPageFill(std::unique_ptr<VQStartupPageFill> fill);
    bool IsPageFillPending() const { return m_startupFill != nullptr; }
    VQIconList* FindIconList(int controlId) const;
    // The first tile of that game in the list, else null.
    VQGameIcon* FindTileById(int listId, uint32_t gameId) const;
    // The tile of that serial number (VQGameIcon::GetSerial) on any of the
    // window's lists; null once it has gone. What a question or a worker's
    // report looks its tile up by.
    VQGameIcon* FindTileBySerial(uint32_t serial) const;
    // install.vqx from lists 120 and 121; download.vqx from list 119 (only
    // once the pages were filled, so a failed start never empties it, and
    // never over a file that could not be read nor set aside).
    bool RefreshInstalledPages();
    bool RewriteDownloadList();
    // A list file did not load at start-up (set aside, or left where it is
    // and then never written): the user is told once, by a posted message.
    void NoteUnreadableListFile(bool installList, const VQListAside& aside);
    // The download list did not load: the download page may lack games
    // whose files are still needed.
    bool IsDownloadListUnread() const { return m_downloadListUnread; }
    // Sets the picture of every tile of the game on the kind pages (UI
    // thread). Workers call PostIconPicture, which hands it over by message.
    bool RefillIconPages(uint32_t gameId, const std::wstring& image);
    bool PostIconPicture(uint32_t gameId, const std::wstring& image);
    void ShowPage(int page);
    void SwitchPage(VQTabCtrl* tabs);
    void ShowAddTileAction();
    void ShowGameLibraryPage() { ShowPage(kPageLibrary); }
    void SetNextCustomGameId(uint32_t id) { m_nextCustomGameId = id; }
    uint32_t GetNextCustomGameId() const { return m_nextCustomGameId; }

    // Settings that need the tree (also called by the settings dialog).
    void ApplySettings();
    bool SwitchHotKey(int which, bool on);
    void ApplySpeedLimit();
    void ApplySpeedDisplay(bool show);
    void MoveDownloadFolder();
    // The settings dialog, modal, opened on page (0 常规设置, 1 下载设置, ...).
    void ShowSettingsDialog(uint32_t page);
    void StartRotation();
    void StopRotation();
    // The manual update check (commands 1002 and 32783).
    void CheckProgramUpdate();
    // The game-icon tip (tests look at it); null until a tile was hovered.
    VQGameIconTipWnd* GetGameIconTip() const { return m_gameTip; }

    // Exit from the tray or the close button: asks when downloads run.
    void Exit();
    bool ConfirmExit();
    void SetInputEnabled(bool enabled) { m_inputEnabled = enabled; }

    // Game operations. A request for a game that is not installed gives false.
    bool RunGameById(uint32_t gameId, const std::wstring& runKey);
    void AddGameFromFile(const std::wstring& path, bool ask);
    void OnTileAction(VQGameIcon* tile);
    // Runs an installed game through the running-game queue (first offering
    // its registration page once).
    void RunInstalledTile(VQGameIcon* tile);
    // Removes a tile from its page; with data: uninstalls the game or
    // deletes the downloaded data. An installed game's uninstall runs on a
    // worker: its tile goes only when the uninstall finished. Always true.
    bool RemoveTile(VQGameIcon* tile, bool withData);
    // The tile made from the add-game dialog's answer, on the installed
    // page; false for an empty name or a missing program.
    bool AddCustomGameTile(const VQCustomGame& game);
    // Makes the tile's desktop shortcut, or removes it when it has one.
    void ToggleDesktopShortcut(VQGameIcon* tile);
    // Downloads (MarloxWndDownloads.cpp): a click on a download-page tile
    // (start, pause, resume, install), and putting a game on the download
    // page and starting its task.
    void OnDownloadTileAction(VQGameIcon* tile);
    void DownloadTile(VQGameIcon* tile);
    // The scan window (MarloxWndScan.cpp): made once and kept; mode 0 shows
    // it for the user's choice, other modes scan at once unseen.
    void ShowScanWindow(int mode);
    // The runtime environment window for the tile's game (MarloxWndEnvironment.cpp):
    // made once and kept, shown in front.
    void ShowEnvironmentWindow(VQGameIcon* tile);
    VQEnvironmentWnd* GetEnvironmentWindow() const { return m_environmentWindow; }
    // A found game whose program and arguments an installed tile of that id
    // already has.
    bool IsGameAlreadyListed(const VQGameIcon& found) const;
    // Takes the scan's tiles over (the list is emptied); `show` brings the
    // installed games page forward at its last page.
    void ImportFoundGames(std::vector<std::unique_ptr<IGameTile>>& tiles, std::vector<uint32_t>& iconIds, bool show);

    // Search results, page filters and sorting.
    void ShowSearchResults();
    // The drop-down of names under the search box shows (tests look).
    bool IsSearchWindowShown() const;
    // The page number tip over a page button shows (tests look).
    bool IsPageTipShown() const;
    void OnPageFilterSelected(VQNotifyMsg& msg);
    void SnapshotCurrentPage(VQIconList* list, bool keepInFlow);

    VQDownloadQueue* GetDownloadQueue() const { return m_downloadQueue.get(); }
    // Manual reset; set when the shutdown starts. A worker holds its own
    // pointer to it, so the event lives as long as any worker that polls it.
    const VQSharedEvent& GetStopEvent() const { return m_stopEvent; }
    // A worker the shutdown waits for (the window takes the handle).
    void AddExtraThread(HANDLE thread);

    // How long the shutdown waits for its workers, all of them together,
    // before it goes on without them (they hold what they work on).
    static const DWORD kWorkerStopWait = 10000;

private:
    // Menus and commands (MarloxWndCommands.cpp).
    bool RouteCommand(int id);
    void ShowMoreMenu();
    void OnTitleButtonClick(int id);
    void ShowTileMenu(VQGameIcon* tile, POINT client);
    void AskAndDeleteTile(VQGameIcon* tile);
    void RemoveTileAfterAsking(VQGameIcon* tile, bool withData);
    // Notification handlers (MarloxWndNotify.cpp), one per row of its table.
    void OnClickNotify(VQNotifyMsg& msg);
    void OnHoverNotify(VQNotifyMsg& msg);
    void OnLeaveNotify(VQNotifyMsg& msg);
    void OnContextMenuNotify(VQNotifyMsg& msg);
    void OnInstallFinishedNotify(VQNotifyMsg& msg);
    void OnLastInstallDoneNotify(VQNotifyMsg& msg);
    void OnSearchBoxNotify(VQNotifyMsg& msg);
    void OnSelectionNotify(VQNotifyMsg& msg);
    void OnTabItemActivated(VQNotifyMsg& msg);
    void OnGameStartedNotify(VQNotifyMsg& msg);
    void OnGameBrokenNotify(VQNotifyMsg& msg);
    void OnTileDropped(VQNotifyMsg& msg);
    void OnAnimationStepNotify(VQNotifyMsg& msg);
    void OnTileRemovedNotify(VQNotifyMsg& msg);
    void OnTileNotify(VQNotifyMsg& msg);
    void ShowGameDetails(VQGameIcon* tile);
    // Not shown while a modal dialog has the window disabled.
    void OnDownloadErrorNotify(uint32_t code, uint32_t detail);
    VQGameIcon* TakeContextTile();
    // The scan window (MarloxWndScan.cpp): kept while the window lives.
    // Frees it and the search drop-down.
    void CloseScanWindow();
    // Stops the runtime window's work and frees it.
    void CloseEnvironmentWindow();
    // The search box's hint and drop-down (MarloxWndSearch.cpp).
    void OnSearchBoxFocus(bool focused);
    void OnSearchTextChanged();
    void HideSearchWindow();
    // The box's arrow keys and Enter act on the shown drop-down; false when
    // it is not shown (or, for Enter, nothing in it is picked).
    bool MoveSearchSelection(UINT key);
    bool ChooseSearchSelection();
    // After a skin change: the open windows and the sibling programs (MarloxWndSkin.cpp).
    void PassSkinChangeOn();
    // The skin chooser under the skin button, made once and kept (MarloxWndSkin.cpp).
    void ShowSkinChooser();
    VQSkinSettingWnd* GetSkinChooser() const { return m_skinWindow; }
    // The feedback page in the web window, made when there is none (MarloxWndWeb.cpp).
    void ShowFeedbackPage();
    void CloseWebWindow();
    // Game operations (MarloxWndGames.cpp).
    bool OpenWebGame(VQGameIcon* notifier, const std::wstring& url, const VQGameIcon& source);
    void OnGameRunReport(WPARAM key, LPARAM started);
    void StartUninstall(VQGameIcon& tile);
    void OnUninstallFinished(LPARAM outcome);
    // Deletes a Flash game's own folder; the folder that stays when it is
    // not proven the game's own, else empty.
    std::wstring RemoveFlashGameFolder(const VQGameIcon& tile);
    // What a folder of the tile's game must be before it is deleted.
    VQGameFolderRules FolderRulesFor(const VQGameIcon& tile) const;
    void TakeOffInstalledTile(VQGameIcon* tile);

    LRESULT OnTimerMessage(WPARAM id);
    LRESULT OnHotKey(WPARAM wParam, LPARAM lParam);
    LRESULT OnCopyData(const COPYDATASTRUCT* data);
    LRESULT OnKeyUpMessage(WPARAM key);
    LRESULT OnDragEnter(LPARAM info);
    LRESULT OnDragOver(LPARAM info);
    LRESULT OnDrop(LPARAM info);
    void OnDownloadEvent(WPARAM event);
    // kTimerProgress: the counts still held back onto their tiles.
    void OnProgressTimer();
    // One event to the UI thread as kMsgDownloadEvent.
    void PostDownloadEvent(uint32_t code, uint32_t taskId, uint64_t value, const std::wstring& text);
    // Download events and the install's end (MarloxWndDownloadEvents.cpp,
    // MarloxWndDownloads.cpp).
    // detail: what the task gave with the code (DownloadMessage.h).
    void OnDownloadEnd(VQGameIcon* tile, uint32_t code, uint32_t detail);
    void SwitchDownloadKind(VQGameIcon* tile, uint32_t kind);
    void StartNextWaitingTask();
    // Rewrites download.vqx and shares the speed limit out again.
    void AfterDownloadChange();
    void OnInstallFinished(VQGameIcon* tile);
    void OnLastInstallDone();
    void OnFillPages();
    void StartJobThread(UINT_PTR timerId);
    // Scheduled work and the tray (MarloxWndSchedule.cpp).
    LRESULT OnTrayIcon(LPARAM mouseMessage);
    void OnCatalogueNews(WPARAM news);
    // The corner tips (MarloxWndTips.cpp): install finished (WM_USER+2),
    // new games (WM_USER+3), and a tile downloaded (WM_USER+5).
    void OnTileInstallFinishedMessage(WPARAM serial);  // the tile's serial number
    void OnCatalogueUpdatedMessage(WPARAM counts);
    void OnTileDownloadedMessage(WPARAM tile);
    // A new tip of that mode above the ones open in the work area's corner;
    // null while a full-screen program is in front.
    VQMessageTipWnd* OpenTip(int mode, const VQTipActions& actions);
    void CloseTips();
    // What an install-finished tip acts on: the tile when it is still on a
    // page, else (it was detached meanwhile) the game's tile on the quick
    // strip; null when there is none.
    VQGameIcon* FindTipTile(uint32_t serial, uint32_t gameId) const;
    void OpenRegistrationFromTip(VQGameIcon& tile);
    void OnHotListTiles(WPARAM tiles);
    void ShowGameIconTip(VQGameIcon* tile, POINT point);
    // Mouse left a tile (hide), or a tile left its page (forget it when shown).
    void HideGameIconTip(VQControl* sender, bool removed);
    void UpdateSpeedLabel();
    bool IsInstalledListShown() const;
    VQIconList* CurrentPageList() const;
    void SaveSettingsIfChanged();
    void StopWorkers();
    void ShowListFileNotices();

    bool m_inputEnabled = true;
    bool m_pagesFilled = false;
    // A list file that could not be read nor set aside is not written.
    bool m_installListLocked = false;
    bool m_downloadListLocked = false;
    bool m_downloadListUnread = false;
    std::vector<VQListAside> m_listNotices;  // not yet shown
    std::vector<uint32_t> m_trayIconIds;
    int m_trayIconIndex = -1;
    // The tile whose menu is open, by serial number and page: a menu's
    // command comes later, when the tile may have gone or moved.
    uint32_t m_contextSerial = 0;
    int m_contextListId = 0;
    VQMenuWnd* m_menu = nullptr;  // the open pop-up menu; cleared when it goes
    VQScanWnd* m_scanWindow = nullptr;  // owned; freed by CloseScanWindow
    VQSearchWnd* m_searchWindow = nullptr;  // owned; freed by CloseScanWindow
    VQDetailsWnd* m_detailsWindow = nullptr;  // owned; freed by CloseScanWindow
    VQSkinSettingWnd* m_skinWindow = nullptr;  // owned; freed by CloseScanWindow
    // The web window deletes itself with its native window: the handle
    // tells whether the object is still there.
    VQWebWnd* m_webWindow = nullptr;
    HWND m_webWindowHandle = nullptr;
    VQEnvironmentWnd* m_environmentWindow = nullptr;  // owned; freed by CloseEnvironmentWindow
    VQPageTipWnd* m_pageTip = nullptr;  // owned; freed by CloseScanWindow
    uint32_t m_nextCustomGameId = 90001;
    std::unique_ptr<VQThread> m_jobThreads[4];  // timers 1001-1004
    // The online report's failures in a row: shared with the report thread,
    // which alone writes it (one at a time), and which may outlive the window.
    std::shared_ptr<uint32_t> m_reportRetries = std::make_shared<uint32_t>(0);
    VQGameIconTipWnd* m_gameTip = nullptr;  // made on the first hover, freed by OnDestroy
    // The corner tips, open or closed by themselves; a closed one is freed
    // when the next tip comes, the rest by OnDestroy.
    std::vector<VQMessageTipWnd*> m_tips;
    std::vector<HANDLE> m_extraThreads;
    bool m_hotKeyRegistered[kHotKeyCount] = {false, false, false};
    bool m_mainHidden = false;
    bool m_gameHidden = false;
    bool m_openEffect = false;
    bool m_showSpeed = false;
    bool m_powerOffAfterInstall = false;
    bool m_quitRequested = false;
    VQDropTargetEx m_dropTarget;
    bool m_dropRegistered = false;
    std::wstring m_dropPath;
    VQSharedEvent m_stopEvent;
    // The tasks' byte counts on their way to the tiles (VQProgressMailbox);
    // before the queue, so that it outlives the tasks that report to it.
    VQProgressMailbox m_progress;
    std::unique_ptr<VQDownloadQueue> m_downloadQueue;
    // The last speed report of each download (game id -> speed, tick).
    struct VQTileSpeed {
        uint32_t bytesPerSecond;
        DWORD tick;
    };
    std::map<uint32_t, VQTileSpeed> m_speeds;
    std::unique_ptr<VQPageFilters> m_filters;  // made with the tree
    // The page slide (OpenEffect) and the tiles moving after a drop: made
    // with the tree, fed with the motion notifications (20).
    std::unique_ptr<VQPageSlide> m_pageSlide;
    std::unique_ptr<VQTileMoves> m_tileMoves;
    std::unique_ptr<VQStartupPageFill> m_startupFill;
    std::set<uint32_t> m_uninstalling;  // games whose uninstall worker runs
};

// The running program's main window while it lives (null before and after).
VQMarloxWnd* GetMainWindow();

// The message Explorer broadcasts when the task bar comes back.
UINT GetTaskbarCreatedMessage();

}  // namespace Tessar
