#pragma once
// The Flash player window: the Shockwave Flash control in a skinned frame
// with a tool bar (pause, replay, mute, lights off, full screen, zoom,
// help) and the window buttons. A .swf file dropped on it replaces the
// movie. View modes normal, full screen and lights off exclude each other;
// pause needs a loaded movie, and muting is process-wide (pause uses it).

#include <windows.h>
#include <oaidl.h>

#include <memory>
#include <string>

#include "VQFlash/GameWnd.h"
#include "ui/DropTarget.h"

namespace Tessar {

class VQActiveX;
class VQGameHelpWnd;
class VQTooltipWnd;

// Control ids of the player layout.
enum VQFlashControlId {
    FlashIdClose = 101,
    FlashIdMinimize = 102,
    FlashIdTitle = 103,
    FlashIdHelp = 104,
    FlashIdLeaveFullScreen = GameIdLeaveFullScreen,
    FlashIdFullScreen = GameIdFullScreen,
    FlashIdLightsOff = GameIdLightsOff,
    FlashIdLightsOn = GameIdLightsOn,
    FlashIdReplay = 109,
    FlashIdSoundOn = GameIdSoundOn,
    FlashIdMute = GameIdMute,
    FlashIdStart = 112,
    FlashIdPause = 113,
    FlashIdMaximize = GameIdMaximize,
    FlashIdRestore = GameIdRestore,
    FlashIdBackground = 116,
    FlashIdZoomIn = 117,
    FlashIdZoomOut = 118,
    FlashIdCaptionBar = 121,
    FlashIdLogo = 122,
    FlashIdPlayer = 123,
    FlashIdPlayerBox = 126,
    FlashIdFrame = 100,
};

// Resources of the player program.
const UINT kFlashLayoutResource = 156;
const UINT kFlashStyleResource = 155;
const UINT kFlashTitleString = 154;
const wchar_t kFlashPlayerClsid[] = L"{D27CDB6E-AE6D-11CF-96B8-444553540000}";

class VQFlashWnd : public VQGameWnd {
public:
    VQFlashWnd(const std::wstring& name, const std::wstring& movie, const std::wstring& help, int width, int height);
    ~VQFlashWnd() override;

    const wchar_t* GetWindowClassName() const override { return L"VQFlashWnd"; }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hwnd) override;
    void Notify(VQNotifyMsg& msg) override;

    LRESULT OnDestroy(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    LRESULT OnCreate(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    LRESULT OnNcActivate(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    LRESULT OnNcCalcSize(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override { return 0; }
    LRESULT OnNcPaint(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override { return 0; }
    LRESULT OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    LRESULT OnSize(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    LRESULT OnKeyDown(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    LRESULT OnSetFocus(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;

    void LoadMovie();
    void Replay();
    void TogglePause();
    void ToggleMute();
    void ToggleLights() override;
    void ToggleFullScreen() override;
    void Zoom(bool in);
    void ShowHelp();
    // Places the help panel over the game; `moveOnly` keeps its size.
    void LayoutHelp(bool moveOnly);
    void OnCommand(int id);

    bool IsLoaded() const { return m_loaded; }
    bool IsPaused() const { return m_paused; }
    const std::wstring& GetMoviePath() const { return m_moviePath; }
    VQGameHelpWnd* GetHelpWindow() const { return m_helpWnd.get(); }
    VQTooltipWnd* GetTooltipWindow() const { return m_tooltipWnd.get(); }
    // The Flash control's child window; null before activation.
    HWND GetPlayerWindow() const;
    // The hosted object's automation interface (AddRef'd); null without one.
    IDispatch* GetPlayer() const;

    static LRESULT CALLBACK FlashWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

private:
    VQActiveX* FindPlayerControl() const;
    void ResumeIfPaused();
    void SubclassPlayer();
    LRESULT OnDrop(UINT message, WPARAM wParam, LPARAM lParam);

    bool m_dropRegistered = false;
    VQDropTargetEx m_dropTarget;
    bool m_muteByPause = false;
    bool m_paused = false;
    bool m_loaded = false;
    std::unique_ptr<VQTooltipWnd> m_tooltipWnd;
    std::unique_ptr<VQGameHelpWnd> m_helpWnd;
    std::wstring m_gameName;
    std::wstring m_moviePath;
    std::wstring m_helpPath;
    int m_width;
    int m_height;
    HWND m_subclassedPlayer = nullptr;
};

// The game .ini of a Flash game (section "main": "name", "swf", "help",
// "width", "height"); "swf" and "help" may be relative to the .ini's
// folder. False when the .ini or the movie is missing or "swf" is empty.
bool ReadGameIni(const std::wstring& iniPath, std::wstring& name, std::wstring& movie, std::wstring& help, int& width,
                 int& height);

// Window size for the movie's own size: (width + 10) x (height + 81) when
// 0 < width < 1024 and 0 < height < 768, else 800 x 600.
SIZE FlashWindowSize(int width, int height);

// The zoom arithmetic, kept apart from the window so it can be checked
// case by case. `window` and `workArea` in screen coordinates.
// Normal view: the new window rectangle; false when nothing changes.
bool ZoomWindowRect(const RECT& window, const RECT& workArea, bool maximized, bool in, RECT& result);
// Full screen: the inset of the player box (horizontal, vertical); false
// when nothing changes. `frame` is the window less its bars, `movie` the
// player's rectangle.
bool ZoomFullScreenInset(const RECT& frame, const RECT& movie, bool in, POINT& inset);

}  // namespace Tessar
