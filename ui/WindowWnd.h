#pragma once
// One native window and the object behind it: class registration (plain or
// super-class), the window procedures that find the object of a window,
// creation, showing, closing, centring, the icon, a modal loop and a folder
// picker. Skinned windows derive from VQWindowImplBase; native-control
// wrappers (edit, combo list, ActiveX frame) derive from this directly.

#include <windows.h>

#include <string>

namespace Tessar {

class VQWindowWnd {
public:
    VQWindowWnd();
    // Virtual so that a window deleting itself in OnFinalMessage, or an
    // owner deleting it through a base pointer, runs the whole destructor.
    virtual ~VQWindowWnd();
    VQWindowWnd(const VQWindowWnd&) = delete;
    VQWindowWnd& operator=(const VQWindowWnd&) = delete;

    HWND GetHWND() const { return m_hwnd; }
    operator HWND() const { return m_hwnd; }

    virtual void ShowWindow(bool show = true, bool takeFocus = true);
    virtual void Close();
    virtual const wchar_t* GetWindowClassName() const = 0;
    // Null: no super-classing (the plain window procedure is used).
    virtual const wchar_t* GetSuperClassName() const { return nullptr; }
    virtual UINT GetClassStyle() const { return 0; }
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // The last message the object sees; the place where a window deletes itself.
    virtual void OnFinalMessage(HWND hwnd) {}

    // Registers the class, then creates the window with this object as its
    // creation parameter; 0 when registration or creation fails.
    HWND Create(HWND parent, const wchar_t* name, DWORD style, DWORD exStyle, int x = CW_USEDEFAULT,
                int y = CW_USEDEFAULT, int cx = CW_USEDEFAULT, int cy = CW_USEDEFAULT);
    // Takes over an existing window (a native control): its procedure is
    // kept as the previous one and this object receives its messages.
    HWND Subclass(HWND hwnd);
    void Unsubclass();
    bool IsSubclassed() const { return m_subclassed; }

    // Centres over the owner (or `alternateOwner`), kept inside the work area.
    void CenterWindow(HWND alternateOwner = nullptr);
    // Icon resource 128 of the module, large and small.
    void SetIcon();
    // Runs until this window is gone; the owner is disabled meanwhile and
    // enabled again (and given the focus) before the window disappears. A
    // WM_QUIT ends the loop and is posted again for the outer loop.
    // Returns false when there is no window.
    bool ShowModal();
    // The modal loops of this thread. Code that a modal loop returns into
    // still uses the objects it had before: a window whose end would free
    // them (the main window) does not close under a running loop. It ends
    // the loops instead (each modal window gets WM_CLOSE, unanswered) and
    // asks to be sent WM_CLOSE again once the outermost loop has returned.
    static bool IsModalLoopRunning();
    static void EndModalLoops();
    static void CloseAfterModalLoops(HWND window);
    // The shell's folder picker; false (path unchanged) when cancelled.
    bool BrowseForFolder(const std::wstring& title, std::wstring& path);

    // The procedures of plain classes (object in GWLP_USERDATA) and of
    // super-classes and subclassed windows (object in the property "VQWndObject").
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

protected:
    static LRESULT Route(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, bool inProperty);
    bool RegisterWindowClass();
    bool RegisterSuperClass();

    HWND m_hwnd = nullptr;
    WNDPROC m_previousProc;
    bool m_subclassed = false;
};

// Marks a modal loop that is not ShowModal's (the shell's folder picker) as
// running for `window` while the object lives: ending the modal loops
// closes that window, which ends the loop with it.
class VQModalScope {
public:
    explicit VQModalScope(HWND window);
    ~VQModalScope();
    VQModalScope(const VQModalScope&) = delete;
    VQModalScope& operator=(const VQModalScope&) = delete;

private:
    HWND m_window;
};

}  // namespace Tessar
