#pragma once
// The game tile: the control that stands for one game on every page of the
// main window. It carries the game's catalogue data, its installed data,
// its download progress and its state (1 installed, 2 not installed,
// 3 waiting, 4 downloading, 5 paused, 6 downloaded); the caption, timer 8
// and the hover tool bar follow the state. Tiles are owned by the icon
// list they belong to; the list's pages only show them.

#include <cstdint>
#include <string>

#include "VQCore/app/start/AppControlTypes.h"
#include "VQCore/gamelib/GameTile.h"
#include "ui/Container.h"

namespace Tessar {

class VQIconList;
class VQDownloadTask;
class VQPaintManager;

// What the game operations and list files read and write of a tile.
struct VQGameIconData {
    uint32_t gameId = 0;
    // Installed data.
    std::wstring runProgram;
    std::wstring runArguments;
    std::wstring workingFolder;
    std::wstring setupFolder;
    std::wstring uninstallDigest;  // of the package install's uninstall record
    std::wstring createdFolder;    // the folder the game's install created: the only one removal may delete
    uint64_t installSerial = 0;    // the install queue's number of this tile's queued install; 0 none
    // Catalogue data.
    std::wstring uninstallKey;
    char status[11] = "0000000000";
    uint32_t category = 0;  // the catalogue's Type byte, the genre index of the filters
    std::wstring homePage;
    std::wstring registerPage;
    std::wstring loginPage;
    std::wstring advert;
    std::wstring help;
    uint32_t browserFlag = 0;
    uint64_t size = 0;
    bool published = false;
    // 1 ".", 2 "..", 3 "...", 4 none: the dots of the downloading caption.
    int32_t downloadStep = 0;
    // State 6: 1 click to install, 2 installing, 3 waiting to install.
    int32_t downloadedSubState = 3;
    uint8_t operationFlag1 = 0;
    int64_t installTime = 0;
    int64_t lastRunTime = 0;
    uint32_t runCount = 0;
    uint8_t registered = 0;
    uint8_t operationFlag2 = 0;  // a desktop shortcut exists for the game
    uint8_t os = 0;
    uint8_t cpuClass = 0;
    float cpuSpeed = 0.0f;
    uint32_t memory = 0;
    uint32_t video = 0;
    uint64_t installSize = 0;
    uint16_t depend = 0;
    uint8_t listFlag = 0;  // the game waits for the user to start its install
    std::wstring synopsis;
    uint32_t downloadType = 0;  // 2 peer-to-peer, anything else HTTP
    int64_t totalBytes = 0;
    int64_t completedBytes = 0;
    int64_t thirdCounter = 0;
    std::wstring logPath;    // the download's resume record
    std::wstring setupPath;  // the downloaded package or setup program
    std::wstring downloadUrl;
    // Kept for the game operations.
    std::wstring text1;
    std::wstring text2;
    std::wstring text3;
};

class VQGameIcon : public VQContainer, public IGameTile {
public:
    VQGameIcon();
    // Leaves the download task alone: the download queue owns it.
    ~VQGameIcon() override;

    // Control slots.
    int GetControlType() const override { return ControlTypeGameIcon; }
    VQControl* GetInterface(int type) override;
    void DoInit() override;
    void SetPos(int left, int top, int right, int bottom) override;
    void SetText(const std::wstring& text) override;
    void OnMouseEnter(VQEvent& event) override;
    void OnMouseLeave(VQEvent& event) override;
    void OnMouseMove(VQEvent& event) override;
    void OnLButtonDown(VQEvent& event) override;
    void OnLButtonUp(VQEvent& event) override;
    void OnTimer(VQEvent& event) override;
    void AnimateBit16() override;  // the wobble step
    void PaintBkImage(HDC hdc) override;
    void PaintStatusImage(HDC hdc) override;
    void PaintText(HDC hdc) override;

    // IGameTile: what the game library fills in.
    void SetGameId(uint32_t id) override { m_data.gameId = id; }
    // Stores the state, updates an attached tool bar, sets the caption and
    // timer 8, and repaints. State 6 posts kMsgTileDownloaded to the host.
    void SetState(uint32_t state) override;
    void SetFromRecord(const VQGameRecord& record) override;
    void SetUninstallKey(const std::wstring& key) override { m_data.uninstallKey = key; }
    void SetStatus(const char* status) override;
    void SetFullPath(const std::wstring& path) override { m_data.runProgram = path; }
    void SetRunArg(const std::wstring& arguments) override { m_data.runArguments = arguments; }
    void SetWorkingDir(const std::wstring& folder) override { m_data.workingFolder = folder; }
    void SetImage(const std::wstring& image) override { m_iconDescription = image; }

    int GetState() const { return m_tileState; }
    uint32_t GetGameId() const { return m_data.gameId; }
    // A number no other tile of this run has had (never 0): what code that
    // may outlive the tile (a question's answer, a worker's report) keeps
    // instead of its address, which a later tile can be given.
    uint32_t GetSerial() const { return m_serial; }
    VQGameIconData& Data() { return m_data; }
    const VQGameIconData& Data() const { return m_data; }
    const std::wstring& GetIconDescription() const { return m_iconDescription; }
    const std::wstring& GetCaption() const { return m_caption; }

    // A not-installed copy of another tile's catalogue data (state 2).
    void CopyFrom(const VQGameIcon& source);
    // After an install finished: tip window, sound and notifications as the
    // settings ask. Called on a worker (the install queue's), it only posts
    // kMsgTileCompletion and the UI thread does the rest: workers never touch
    // the control tree nor wait on the UI thread.
    void SignalCompletion(bool success);
    // Last start time; a nonzero time counts one more start.
    void RecordRun(int64_t time);
    std::wstring GetSynopsis() const { return m_data.synopsis; }
    std::wstring GetLogPath() const { return m_data.logPath; }
    std::wstring GetSetupPath() const { return m_data.setupPath; }

    VQIconList* GetOwnerList() const { return m_ownerList; }
    void SetOwnerList(VQIconList* list) { m_ownerList = list; }
    bool IsAddTile() const { return m_addTile; }
    void SetAddTile(bool on) { m_addTile = on; }
    bool IsDragImage() const { return m_dragImage; }
    bool IsDragging() const { return m_dragging; }
    VQDownloadTask* GetDownloadTask() const { return m_task; }
    void SetDownloadTask(VQDownloadTask* task) { m_task = task; }
    // Id of the owner list, 0 without one.
    int GetOwnerListId() const;

    // Blinks the icon frame ten times (timer 2).
    void StartBlinkAnimation();
    // Hides the tool bar when it is attached here, notifies 38 and removes
    // the tile from its list with delayed deletion.
    void RemoveWithNotify();
    // The first two steps alone, for a tile that leaves its list some other
    // way: whoever keeps it (the tool bar, the tip, the menu) lets it go.
    void NotifyRemoval();

    RECT GetIconRect() const { return m_iconRect; }
    RECT GetBadgeRect() const { return m_badgeRect; }
    int GetWobbleAngle() const { return m_wobbleAngle; }
    int GetRollOffset() const { return m_rollOffset; }
    bool IsRolling() const { return m_rolling; }  // the caption rolls (timer 4)
    bool IsStateTimerRunning() const { return m_stateTimerRunning; }
    // Page timers (Part of the page's hide and show).
    void StartStateTimer();
    void StopStateTimer();
    // The insertion and drop-onto indexes of the running drag; -1 none.
    int GetInsertionIndex() const { return m_insertionIndex; }
    int GetHoveredIndex() const { return m_hoveredIndex; }

    // Timer ids of the tile.
    static const int kBlinkTimer = 2;
    static const int kRollTimer = 4;
    static const int kStateTimer = 8;
    static const int kWobbleTimer = 16;

private:
    friend class VQGameIconDrag;

    void UpdateCaptionForState();
    bool IsOnQuickStrip() const;
    RECT TextArea() const;
    void StartRolling();
    void StopRolling();
    void ShowToolBar();
    void HideToolBar();
    void PaintProgress(HDC hdc);
    bool PaintComposedPicture(HDC hdc, const std::wstring& place);
    void PaintCaption(HDC hdc, const std::wstring& caption);
    void DropDrag(VQEvent& event);

    const uint32_t m_serial;
    int m_wobbleAngle = 0;
    int m_hoveredIndex = -1;
    int m_insertionIndex = -1;
    bool m_dragImage = false;
    bool m_dragging = false;
    POINT m_pressPoint = {0, 0};
    POINT m_lastDragPoint = {0, 0};
    std::wstring m_iconDescription;
    bool m_stateTimerRunning = false;
    VQIconList* m_ownerList = nullptr;
    bool m_addTile = false;
    std::wstring m_caption;
    int m_wobbleCounter = 0;
    RECT m_iconRect = {};
    RECT m_badgeRect = {};
    // The frame behind the picture as DoInit set it, and where it lies in
    // the tile: while it is the one drawn, frame and picture are one image.
    std::wstring m_plainFrame;
    RECT m_frameRect = {};
    int m_tileState = 0;
    VQGameIconData m_data;
    VQDownloadTask* m_task = nullptr;
    // Drag feedback: the tiles moved aside for the insertion point.
    VQControl* m_shiftedLeft = nullptr;
    VQControl* m_shiftedRight = nullptr;
    bool m_dragImageMade = false;
};

// The game's kind from its id band (0 for ids above 99999 and no band).
int GameKindOf(const VQGameIcon* tile);
// The tile of the same game in state 1 on the installed games (120) or the
// quick strip (121), in that order; null when there is none.
VQGameIcon* FindInstalledTwin(const VQGameIcon* tile);
// The tile of the same game on the downloads list (119), any state.
VQGameIcon* FindDownloadTwin(const VQGameIcon* tile);
// "1.00GB", "1024.0MB", "1024KB": the size of a game as the tiles show it.
std::wstring FormatSizeText(int64_t bytes);
// The picture of a catalogue game: its icon file when present, else the
// built-in picture.
std::wstring GameIconDescription(uint32_t gameId);
// The main window's handling of kMsgTileCompletion: the tile's report runs
// when the tile is still on one of the window's lists; false otherwise.
bool DeliverTileCompletion(VQPaintManager* manager, WPARAM wParam, LPARAM lParam);
// The string-table text of `id` (empty when absent).
std::wstring TileString(UINT id);

}  // namespace Tessar
