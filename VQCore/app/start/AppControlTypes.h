#pragma once
// The main program's own control type numbers, notification types, window
// messages and the control ids of the main window layout that the tiles and
// pages look up.

#include <windows.h>

namespace Tessar {

enum VQAppControlType {
    ControlTypeGameIcon = 17,
    ControlTypeGameIconToolBar = 18,
    ControlTypeSkinContainer = 20,
    ControlTypePageTabCtrl = 21,
    ControlTypeIconListControl = 22,
    ControlTypeIconListContext = 23,
    ControlTypeIconListPage = 24,
    ControlTypeIconList = 25,
};

enum VQAppNotifyType {
    NotifyInstallFinished = 22,
    NotifyDownloadError = 23,
    NotifyLastInstallDone = 24,
    NotifyGameStarted = 26,
    NotifyGameStartFailed = 27,
    NotifyTileStart = 28,
    NotifyTilePause = 29,
    NotifyTileDetails = 30,
    NotifyTileInstallFolder = 31,
    NotifyTileDelete = 32,
    NotifyTileDownload = 33,
    NotifyTileHomePage = 34,
    NotifyTileRegisterPage = 35,
    NotifyTileDroppedBetween = 36,
    NotifyTileDroppedOnto = 37,
    NotifyTileRemoved = 38,
};

// Sent or posted to the main window; wParam is the tile.
const UINT kMsgTileInstallFinished = WM_USER + 2;
const UINT kMsgTileDownloaded = WM_USER + 5;
// A completion reported on a worker thread, handed to the UI thread:
// wParam the tile, lParam the success flag (DeliverTileCompletion).
const UINT kMsgTileCompletion = WM_USER + 43;

// Control ids of the main window layout.
enum VQMainControlId {
    IdHotList = 113,
    IdSingleGameList = 114,
    IdOnlineGameList = 115,
    IdWebGameList = 116,
    IdFlashGameList = 117,
    IdToolList = 118,
    IdDownloadList = 119,
    IdInstalledList = 120,
    IdQuickList = 121,
    IdSearchList = 122,
    IdMainTab = 105,
    IdLibraryTab = 108,
    IdToolFilterCombo = 150,
    IdSortCombo = 170,
    IdHotFilterCombo = 171,
    IdSingleFilterCombo = 172,
    IdFlashFilterCombo = 173,
    IdSnapshotPage = 174,
    IdSearchBox = 175,
    IdSearchButton = 176,
    IdAddTile = 177,
    IdSearchKindCombo = 178,
    IdTileToolBar = 179,
    IdDragImage = 180,
};

// Names of the icon lists in the main window layout, by which the page
// filling finds them.
const wchar_t kInstalledListName[] = L"installlist";
const wchar_t kQuickListName[] = L"quicklist";
const wchar_t kDownloadListName[] = L"downloadlist";
const wchar_t kToolListName[] = L"toollist";
const wchar_t kHotListName[] = L"hotlist";
const wchar_t kSingleGameListName[] = L"singlelist";
const wchar_t kOnlineGameListName[] = L"onlinelist";
const wchar_t kFlashGameListName[] = L"flashlist";
const wchar_t kWebGameListName[] = L"weblist";
const wchar_t kSearchListName[] = L"searchlist";

// String-table ids the tiles and pages show.
enum VQTileStringId {
    StrWaitingForDownload = 1034,
    StrDownloading = 1035,
    StrDownloadPaused = 1036,
    StrInstalling = 1037,
    StrWaitingToInstall = 1072,
    StrClickToInstall = 1075,
    StrSearchPlaceholder = 1078,
    StrNothingFound = 1094,
    StrAddGame = 1135,
};

// Built-in PNG pictures of the tiles.
enum VQTilePictureId {
    PicDefaultGame = 248,
    PicCustomGame = 249,
    PicNotInstalledBadge = 250,
    PicNeverStartedBadge = 252,
    PicIconFrame = 254,
    PicDimLayer = 258,
    PicProgressFrame = 259,
    PicProgressFill = 260,
    PicInstalledMark = 261,
};

}  // namespace Tessar
