#pragma once
// The per-window engine of the toolkit: owns the control tree's root,
// turns window messages into events for the controls, keeps focus,
// capture, timers, option groups, fonts and default attribute lists, looks
// controls up by name and id, and delivers notifications to the window.
// Runs on the thread that owns the host window; nothing is locked.

#include <windows.h>
#include <commctrl.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ui/Control.h"
#include "ui/Event.h"

namespace Tessar {

// Posted to the host window to free the controls handed to AddDelayedCleanup.
const UINT WM_VQ_DELAYED_CLEANUP = WM_APP + 1;

class VQPaintManager {
public:
    VQPaintManager();
    ~VQPaintManager();
    VQPaintManager(const VQPaintManager&) = delete;
    VQPaintManager& operator=(const VQPaintManager&) = delete;

    // Called from the window's WM_CREATE before its markup is loaded.
    void Init(HWND hwnd);
    HWND GetPaintWindow() const { return m_hostWindow; }
    // The host window's own DC (GetDC), kept for the manager's life.
    HDC GetPaintDC() const { return m_windowDC; }

    bool AttachRootControl(VQControl* control);
    VQControl* GetRoot() const { return m_root; }
    // Adopts a subtree added later: sets the manager and enters names and ids.
    bool InitControls(VQControl* control);
    // Forgets a control that is being removed.
    void ReapControl(VQControl* control);

    bool AddNotifier(INotify* notifier);
    bool AddMessageFilter(IWindowMessageFilter* filter);
    bool RemoveMessageFilter(IWindowMessageFilter* filter);

    VQControl* FindControlById(int id) const;
    VQControl* FindControlByName(const std::wstring& name) const;
    VQControl* FindControlAt(int x, int y) const;
    // The control whose native child window is `hwnd` or contains it.
    VQControl* FindControlByWindow(HWND hwnd) const;
    VQControl* GetHoverControl() const { return m_hover; }

    VQControl* GetFocus() const { return m_focus; }
    void SetFocus(VQControl* control);
    // Tab order: the next (or previous) control with the "tabstop" flag.
    bool MoveFocus(bool forward);
    void SetCapture();
    void ReleaseCapture();
    bool IsCaptured() const { return m_mouseCaptured; }

    // Layered windows repaint at once (PaintLayered(255)); others invalidate.
    void InvalidateWindow();
    // Paints the whole tree into the off-screen bitmap and hands it to
    // UpdateLayeredWindow with the given constant alpha.
    bool PaintLayered(BYTE alpha);
    // Draws the part `rc` of the tree into hdc, with the default font
    // selected for the pass (the DC gets its own font back at the end).
    void PaintTree(HDC hdc, const RECT& rc);
    // Lays the tree out and paints it once into a throwaway bitmap, so that
    // its pictures are decoded before the window first shows (the start-up
    // does it while the catalogue is read on another thread). Changes
    // nothing else: the first real paint still notifies the window.
    void PaintUnseen();
    void InvalidateRect(const RECT& rc);
    // A control asked for re-layout; done at the next paint.
    void NeedUpdate() { m_needUpdate = true; }

    bool SetTimer(VQControl* control, int localId, UINT intervalMs);
    void KillTimer(VQControl* control, int localId);
    void RemoveAllTimers();

    void SendNotify(VQControl* sender, int type, WPARAM wParam = 0, LPARAM lParam = 0);
    void SendNotifyMsg(VQNotifyMsg& msg);

    bool AddOptionGroup(uint32_t group, VQControl* control);
    const std::vector<VQControl*>* GetOptionGroup(uint32_t group) const;
    void RemoveOptionGroup(uint32_t group, VQControl* control);
    void RemoveAllOptionGroups();

    void AddDefaultAttributeList(const std::wstring& className, const std::wstring& attributes);
    std::wstring GetDefaultAttributeList(const std::wstring& className) const;
    void RemoveDefaultAttributeList(const std::wstring& className);

    HFONT AddFont(const std::wstring& name, const std::wstring& faceName, int size, bool bold, bool underline,
                  bool italic);
    HFONT GetFont(const std::wstring& name);
    // The defaults refer to fonts registered with AddFont; a fallback
    // default made by GetFont is owned here and freed when replaced.
    void SetDefaultFont(HFONT font);
    void SetDefaultBoldFont(HFONT font) { m_defaultBoldFont = font; }
    void SetDefaultLinkFont(HFONT font) { m_defaultLinkFont = font; }
    HFONT GetDefaultBoldFont() const { return m_defaultBoldFont ? m_defaultBoldFont : m_defaultFont; }
    HFONT GetDefaultLinkFont() const { return m_defaultLinkFont ? m_defaultLinkFont : m_defaultFont; }
    // Metrics measured in the window DC when the font was added; null for
    // a font this manager did not register.
    const TEXTMETRICW* GetFontMetrics(HFONT font) const;

    // Window attributes of the layout ("size", "caption", "roundcorner",
    // "sizebox", "mininfo", "maxinfo", "layeredwindow").
    void SetInitSize(int cx, int cy) { m_initSize = {cx, cy}; }
    SIZE GetInitSize() const { return m_initSize; }
    void SetCaptionRect(const RECT& rc) { m_caption = rc; }
    RECT GetCaptionRect() const { return m_caption; }
    void SetRoundCorner(int cx, int cy) { m_roundCorner = {cx, cy}; }
    SIZE GetRoundCorner() const { return m_roundCorner; }
    // Resize borders and how far the corner zones reach along the edges.
    void SetSizeBox(const RECT& rc, int corner) { m_sizeBox = rc; m_sizeBoxCorner = corner; }
    RECT GetSizeBox() const { return m_sizeBox; }
    int GetSizeBoxCorner() const { return m_sizeBoxCorner; }
    void SetMinInfo(int cx, int cy) { m_minInfo = {cx, cy}; }
    SIZE GetMinInfo() const { return m_minInfo; }
    void SetMaxInfo(int cx, int cy) { m_maxInfo = {cx, cy}; }
    SIZE GetMaxInfo() const { return m_maxInfo; }
    // A change of mode starts the record of asked repaints afresh: the
    // layered paint validates the window without a WM_PAINT.
    void SetLayered(bool layered) {
        m_layered = layered;
        ForgetInvalid();
    }
    bool IsLayered() const { return m_layered; }
    // Outlines every painted rectangle (a debugging aid).
    void SetShowUpdateRect(bool show) { m_showUpdateRect = show; }

    // Applies a style description to this tree through a temporary markup
    // builder (its LoadMarkup); false when nothing could be loaded.
    bool LoadStyle(const std::wstring& markup, const std::wstring& windowName, int sourceKind);

    // The comctl32 tooltip window, once a tip has been shown.
    HWND GetToolTipWindow() const { return m_toolTipWindow; }
    // The function that asks for WM_MOUSELEAVE and WM_MOUSEHOVER (user32's
    // TrackMouseEvent: comctl32's wrapper would load the common controls,
    // and the theme library with them, before every start); tests put a
    // recorder in its place.
    typedef BOOL(WINAPI* TrackMouseEventProc)(LPTRACKMOUSEEVENT);
    void SetTrackMouseEventProc(TrackMouseEventProc proc) { m_trackMouseEvent = proc; }

    void AddDelayedCleanup(VQControl* control);
    void PostDelayedCleanup();

    // True when the message was handled, with `result` set where it has one.
    bool MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    static void AddPreTranslate(VQPaintManager* manager);
    static size_t GetPreTranslateCount();
    static bool PreTranslateMessage(const MSG* msg);
    static void MessageLoop();

private:
    struct FontEntry {
        HFONT font = nullptr;
        std::wstring faceName;
        int size = 0;
        bool bold = false;
        bool underline = false;
        bool italic = false;
        TEXTMETRICW metrics = {};
    };
    struct TimerRecord {
        VQControl* control;
        int localId;
        HWND window;
        UINT nativeId;
        UINT interval;
        bool killed;
    };

    typedef bool (VQPaintManager::*MessageRoute)(WPARAM wParam, LPARAM lParam, LRESULT& result);
    struct RouteEntry {
        UINT message;
        MessageRoute route;
    };
    static const RouteEntry s_routes[];

    bool OnSizeMessage(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnKillFocusMessage(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnPaintMessage(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnCloseMessage(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnEraseBkgnd(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnSetCursorMessage(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnGetMinMaxInfo(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnContextMenuMessage(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnNcHitTest(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnKeyDownMessage(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnKeyUpMessage(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnCharMessage(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnCommandMessage(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnMouseMoveMessage(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnTimerRoute(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnLButtonDownMessage(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnLButtonUpMessage(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnLButtonDblClkMessage(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnRButtonDownMessage(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnMouseWheelMessage(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnMouseHoverMessage(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnMouseLeaveMessage(WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool OnDelayedCleanupMessage(WPARAM wParam, LPARAM lParam, LRESULT& result);

    // Layout, pending Tab, first-paint notification and re-layout: the
    // preparation shared by WM_PAINT and PaintLayered.
    void PrepareForPaint(const RECT& client);
    bool PaintLayeredOnce(BYTE alpha);
    bool EnsureOffscreenBitmap(const RECT& client);
    void DeleteOffscreenBitmap();
    // Tab and Alt keys of a message for this window or one of its children.
    bool TranslateKey(const MSG* msg);
    void HideToolTip();
    void ShowToolTip(VQControl* control);
    void FillMaps(VQControl* control);
    bool IsInTree(const VQControl* control) const;
    void SendEvent(VQControl* target, int type, VQControl* sender, WPARAM wParam = 0, LPARAM lParam = 0,
                   wchar_t keyChar = 0, WORD keyState = 0);
    bool Owns(VQControl* control) const { return control && control->GetManager() == this; }
    void KillTimersOf(VQControl* control);
    void OnTimerMessage(UINT nativeId);
    void DeleteDelayedCleanup();
    UINT NextNativeTimerId();
    // Every manager of the thread, for the message loop's pre-translation.
    static std::vector<VQPaintManager*>& Managers();

    // Whether the rectangle lies in a part of the window asked for repaint
    // since its last paint began: each ::InvalidateRect is a round trip to
    // the window system, and filling a page asks for its place once per
    // tile. Only what this manager invalidated is known.
    bool IsKnownInvalid(const RECT& rc) const;
    void NoteInvalid(const RECT* rc);
    void ForgetInvalid();

    HPEN m_debugPen = nullptr;
    bool m_showUpdateRect = false;
    bool m_layered = false;
    static const size_t kKnownInvalidRects = 8;
    RECT m_knownInvalid[kKnownInvalidRects] = {};
    size_t m_knownInvalidCount = 0;
    bool m_wholeWindowInvalid = false;
    bool m_inLayeredPaint = false;
    bool m_layeredRepaintPending = false;
    // DoInit has run for the current root; controls added later get theirs
    // when they are adopted.
    bool m_rootInitialised = false;
    std::map<std::wstring, std::unique_ptr<FontEntry>> m_fonts;
    std::map<uint32_t, std::vector<VQControl*>> m_optionGroups;
    std::map<std::wstring, VQControl*> m_nameMap;
    std::map<int, VQControl*> m_idMap;
    HWND m_toolTipWindow = nullptr;
    HWND m_activeToolTip = nullptr;
    TOOLINFOW m_toolInfo = {};
    std::wstring m_toolTipText;
    bool m_hoverTrackingArmed = false;
    TrackMouseEventProc m_trackMouseEvent = &::TrackMouseEvent;
    VQControl* m_hoverTracked = nullptr;
    VQControl* m_hover = nullptr;
    VQControl* m_leftPressed = nullptr;
    VQControl* m_rightPressed = nullptr;
    VQControl* m_keyPressed = nullptr;
    VQControl* m_focus = nullptr;
    bool m_mouseCaptured = false;
    POINT m_lastMouse = {-1, -1};
    bool m_needUpdate = false;
    std::vector<INotify*> m_notifiers;
    std::vector<IWindowMessageFilter*> m_filters;
    std::vector<std::unique_ptr<TimerRecord>> m_timers;
    std::map<UINT, UINT> m_nativeTimers;
    std::vector<VQControl*> m_delayedCleanup;
    VQControl* m_root = nullptr;
    SIZE m_initSize = {0, 0};
    SIZE m_minInfo = {0, 0};
    SIZE m_maxInfo = {0, 0};
    SIZE m_roundCorner = {0, 0};
    RECT m_caption = {0, 0, 0, 0};
    RECT m_sizeBox = {0, 0, 0, 0};
    int m_sizeBoxCorner = 0;
    HWND m_hostWindow = nullptr;
    HDC m_windowDC = nullptr;
    HDC m_offscreenDC = nullptr;
    HBITMAP m_offscreenBitmap = nullptr;
    bool m_sizeChanged = false;
    bool m_regionApplied = false;
    bool m_firstPaintPending = true;
    HFONT m_defaultFont = nullptr;
    bool m_ownsDefaultFont = false;
    HFONT m_defaultBoldFont = nullptr;
    HFONT m_defaultLinkFont = nullptr;
    std::map<std::wstring, std::wstring> m_defaultAttributes;
    bool m_tabPending = false;
    int m_timerCounter = 4096;
};

// Takes a control out of its parent without deleting it.
void DetachControlFromParent(VQControl* control);

}  // namespace Tessar
