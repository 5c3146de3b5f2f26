#pragma once
// The web-game browser window: the WebBrowser control in a skinned frame
// with back, refresh, mute, screenshot, lights off, full screen, the game
// speed switch, the official site and the boss key (button and Ctrl+G).
// Links that would open a new browser window open in this one.

#include <windows.h>
#include <oaidl.h>

#include <string>

#include "VQFlash/GameWnd.h"
#include "ui/ActiveXEventSink.h"

namespace Tessar {

class VQActiveX;

enum VQBrowserControlId {
    BrowserIdClose = 101,
    BrowserIdMinimize = 102,
    BrowserIdTitle = 103,
    BrowserIdHomepage = 104,
    BrowserIdLeaveFullScreen = GameIdLeaveFullScreen,
    BrowserIdFullScreen = GameIdFullScreen,
    BrowserIdLightsOff = GameIdLightsOff,
    BrowserIdLightsOn = GameIdLightsOn,
    BrowserIdSnapshot = 109,
    BrowserIdSoundOn = GameIdSoundOn,
    BrowserIdMute = GameIdMute,
    BrowserIdBack = 112,
    BrowserIdRefresh = 113,
    BrowserIdMaximize = GameIdMaximize,
    BrowserIdRestore = GameIdRestore,
    BrowserIdBackground = 116,
    BrowserIdFrame = 117,
    BrowserIdBrowserBox = 118,
    BrowserIdBossKey = 119,
    BrowserIdSpeed2 = 120,
    BrowserIdSpeed3 = 121,
    BrowserIdSpeed1 = 122,
    BrowserIdBrowser = 100,
};

const UINT kBrowserLayoutResource = 154;
const UINT kBrowserStyleResource = 155;
const UINT kBrowserTitleString = 1000;
const UINT kBrowserErrorCaptionString = 1001;
const UINT kBrowserNoNameString = 1002;
const UINT kBrowserNoUrlString = 1003;
const UINT kBrowserNamePrefixString = 1015;
const UINT kBrowserTooFewString = 1016;
const wchar_t kWebBrowserClsid[] = L"{8856F961-340A-11D0-A96B-00C04FD705A2}";
// The boss key's global atom; the hot key id is the atom less 0xC000.
const wchar_t kBossKeyAtomName[] = L"ZelmorVQ-Browser-Hide";

// The save dialog of the screenshot: the chosen path, false when cancelled.
// Replaceable so that tests can answer it without a dialog.
using VQSnapshotPathPrompt = bool (*)(HWND owner, const std::wstring& defaultName, std::wstring& path);
void SetSnapshotPathPrompt(VQSnapshotPathPrompt prompt);

class VQBrowserWnd : public VQGameWnd, public VQActiveXDispatch {
public:
    VQBrowserWnd(const std::wstring& name, const std::wstring& url, const std::wstring& homepage);
    ~VQBrowserWnd() override;

    const wchar_t* GetWindowClassName() const override { return L"VQBrowserWnd"; }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hwnd) override;
    void Notify(VQNotifyMsg& msg) override;
    LRESULT OnDestroy(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    LRESULT OnCreate(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    LRESULT OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    LRESULT OnSize(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    LRESULT OnKeyDown(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;

    // Browser events.
    void OnNewWindow2(IDispatch** newWindow, VARIANT_BOOL* cancel) override;
    void OnNewWindow3(IDispatch** newWindow, VARIANT_BOOL* cancel, DWORD flags, BSTR context, BSTR url) override;
    void OnCommandStateChange(LONG command, VARIANT_BOOL enable) override;
    // The older interface's NewWindow: the address opens here too.
    void OnOlderNewWindow(const std::wstring& url) override;

    void ConnectBrowser();
    void InitTitle();
    void OnCommand(int id);
    // 1 real time, 2 and 3 faster; the buttons then offer the next state.
    void SetSpeed(int state);
    void OpenHomepage();
    void GoBack();
    void Refresh();
    bool SaveSnapshot();
    bool RenderPageToBmp(const std::wstring& path);
    void ToggleMute();
    void ToggleLights() override;
    void ToggleFullScreen() override;
    // Boss key: hides a shown window, shows a hidden one.
    void ToggleBossKey();
    bool Navigate(const std::wstring& url);

    int GetSpeed() const { return m_speed; }
    bool IsHiddenByBossKey() const { return m_hiddenByBossKey; }
    bool IsHotKeyRegistered() const { return m_hotKeyRegistered; }
    ATOM GetBossKeyAtom() const { return m_bossKeyAtom; }
    IDispatch* GetBrowser() const;

private:
    VQActiveX* FindBrowserControl() const;

    bool m_hiddenByBossKey = false;
    bool m_hotKeyRegistered = false;
    SIZE m_fullScreenSize = {0, 0};
    std::wstring m_gameName;
    std::wstring m_gameUrl;
    std::wstring m_homepage;
    VQActiveXEventSink* m_eventSink = nullptr;
    // The older interface's events, for NewWindow's address.
    VQActiveXEventSink* m_olderEventSink = nullptr;
    IUnknown* m_connectedBrowser = nullptr;
    int m_speed = 1;
    ATOM m_bossKeyAtom = 0;
    bool m_ieServerSubclassed = false;
};

// Subclasses the page's "Internet Explorer_Server" window under `parent`
// (depth-first, class names compared without case); false when none.
bool SubclassIeServer(HWND parent);
LRESULT CALLBACK IeServerWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Writes pixels of a bitmap as a 24-bit bottom-up BMP file; false unless
// both headers and all rows were written.
bool WriteBitmap24(HDC dc, HBITMAP bitmap, int width, int height, const std::wstring& path);

}  // namespace Tessar
