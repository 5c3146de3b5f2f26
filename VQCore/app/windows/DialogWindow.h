#pragma once
// Folder windows/: the manager's smaller windows: DialogWindow and the
// dialogs built on it (about, add game, change folder, delete, message,
// settings), the tip windows, the details, scan, search, skin chooser and
// web windows.
//
// The pattern every small window of the manager follows: the native window
// is made by the constructor (owner, title, styles), OnCreate builds the
// layout named like the class without its "VQ" prefix from the layout
// resource, applies the selected skin, takes the layout's size and centres
// over the owner. Modal dialogs are stack objects of their caller, which
// reads `GetResult()` after `ShowModal()` returns.

#include <windows.h>

#include <string>

#include "ui/WindowImplBase.h"

namespace Tessar {

class VQControl;

// The style every dialog uses (popup, clipping, caption; the skin takes
// the caption off again), and the one of the windows with a task-bar
// button (adds the system menu and the minimise box).
const DWORD kDialogStyle = 0x86C00000;
const DWORD kAppWindowStyle = 0x86CA0000;

// Results of a dialog: 1 confirmed, 2 cancelled (its cancel or close
// button), 0 no answer: the window was closed from outside (the system,
// another program, or the manager's own end, which ends open questions).
enum VQDialogResult : int { kDialogNoAnswer = 0, kDialogOk = 1, kDialogCancel = 2 };

// The layout file of the selected skin when it is a listed one whose file
// exists; empty (the built-in style) otherwise.
std::wstring SelectedSkinLayoutFile();

// The owner's window text, the title most dialogs take.
std::wstring GetWindowTextString(HWND hwnd);

class VQDialogWindow : public VQWindowImplBase {
public:
    ~VQDialogWindow() override;

    LRESULT OnCreate(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    int GetResult() const { return m_result; }
    // The layout's name: the class name without "VQ".
    std::wstring GetLayoutName() const;
    // Re-applies the selected skin to this window (also message 2024).
    void ApplySelectedSkin();

    VQControl* Find(int id) const;
    void SetControlText(int id, const std::wstring& text);
    void SetControlVisible(int id, bool visible);

    // Message that asks an open window to take the skin again.
    static const UINT kMsgReapplySkin = 2024;

protected:
    VQDialogWindow() = default;
    // Creates the native window; called by the constructor of each window.
    bool CreateDialogWindow(HWND owner, const std::wstring& title, DWORD style, DWORD exStyle);
    // Called at the end of OnCreate, once the tree and the skin are there.
    virtual void OnLayoutReady() {}
    // Closes with a result: posts WM_CLOSE so the click that asks for it
    // finishes first.
    void EndWithResult(int result);
    // The clicks dialogs share: 100 and 131 cancel, 130 confirms.
    bool HandleStandardClick(int id);

    int m_result = kDialogNoAnswer;
};

}  // namespace Tessar
