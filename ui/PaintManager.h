#pragma once
// The per-window engine of the toolkit: owns the control tree's root,
// turns window messages into events for the controls, keeps focus,
// capture, timers, option groups, fonts and default attribute lists, looks
// controls up by name and id, and delivers notifications to the window.
// Runs on the thread that owns the host window; nothing is locked.

#include <windows.h>

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

    VQControl* GetFocus() const { return m_focus; }
    void SetFocus(VQControl* control);
    // Tab order: the next (or previous) control with the "tabstop" flag.
    bool MoveFocus(bool forward);
    void SetCapture();
    void ReleaseCapture();
    bool IsCaptured() const { return m_mouseCaptured; }

    void InvalidateWindow();
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
    void SetDefaultFont(HFONT font) { m_defaultFont = font; }

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

    void FillMaps(VQControl* control);
    void SendEvent(VQControl* target, int type, VQControl* sender, WPARAM wParam = 0, LPARAM lParam = 0,
                   wchar_t keyChar = 0, WORD keyState = 0);
    bool Owns(VQControl* control) const { return control && control->GetManager() == this; }
    void KillTimersOf(VQControl* control);
    void OnTimerMessage(UINT nativeId);
    void OnPaint();
    void DeleteDelayedCleanup();
    UINT NextNativeTimerId();
    // Every manager of the thread, for the message loop's pre-translation.
    static std::vector<VQPaintManager*>& Managers();

    std::map<std::wstring, std::unique_ptr<FontEntry>> m_fonts;
    std::map<uint32_t, std::vector<VQControl*>> m_optionGroups;
    std::map<std::wstring, VQControl*> m_nameMap;
    std::map<int, VQControl*> m_idMap;
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
    HWND m_hostWindow = nullptr;
    HDC m_windowDC = nullptr;
    HDC m_offscreenDC = nullptr;
    HBITMAP m_offscreenBitmap = nullptr;
    bool m_sizeChanged = false;
    bool m_firstPaintPending = true;
    HFONT m_defaultFont = nullptr;
    bool m_ownsDefaultFont = false;
    std::map<std::wstring, std::wstring> m_defaultAttributes;
    bool m_tabPending = false;
    int m_timerCounter = 4096;
};

// Takes a control out of its parent without deleting it.
void DetachControlFromParent(VQControl* control);

}  // namespace Tessar
