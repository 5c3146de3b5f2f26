#pragma once
// Running a modal dialog of the manager in a test: the dialog's own modal
// loop runs while a thread timer waits for the layout, keeps a screenshot
// and then plays the test's input; a generous limit closes a dialog that
// does not end by itself, so a broken dialog fails instead of hanging.

#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "VQCore/app/windows/DialogWindow.h"

namespace Tessar {
namespace Test {

// The control's centre in client coordinates; {-1, -1} when it is missing
// or not laid out yet.
POINT ControlCenter(VQDialogWindow& dialog, int id);
// Posts a click at the centre of the control; false when it is not there.
bool ClickControl(VQDialogWindow& dialog, int id);

// Keeps "<name>.png" of the window in the test program's "app-screenshots" folder.
bool KeepScreenshot(HWND hwnd, const std::wstring& name);

// Shows the dialog modally; once its control `readyId` is laid out, keeps
// the screenshot `name` and calls `play` (inside the modal loop). True
// when the dialog ended by itself within `limitMs`.
bool RunModal(VQDialogWindow& dialog, int readyId, const std::wstring& name,
              const std::function<void()>& play, DWORD limitMs = 20000);

// Answers the next dialog that this thread opens (a dialog made inside the
// code under test): once its control `clickId` is laid out, keeps the
// screenshot `name`, clicks the controls of `before` in order and then
// `clickId`. Records the dialog's class and its caption and text labels.
class VQDialogAnswerer {
public:
    VQDialogAnswerer(const std::wstring& name, int clickId, std::vector<int> before = {});
    ~VQDialogAnswerer();

    bool Answered() const { return m_answered; }
    const std::wstring& ClassName() const { return m_className; }
    const std::wstring& Caption() const { return m_caption; }
    const std::wstring& Text() const { return m_text; }
    // Whether control `id` of the dialog was visible and enabled when answered.
    bool WasShown(int id) const;
    bool WasEnabled(int id) const;

private:
    static void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD);
    void Tick();

    std::wstring m_name;
    int m_clickId;
    std::vector<int> m_before;
    UINT_PTR m_timer = 0;
    bool m_answered = false;
    std::wstring m_className, m_caption, m_text;
    std::vector<std::pair<int, int>> m_controls;  // id, 1 visible | 2 enabled
};

}  // namespace Test
}  // namespace Tessar
