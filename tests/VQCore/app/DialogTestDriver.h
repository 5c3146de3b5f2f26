#pragma once
// Running a modal dialog of the manager in a test: the dialog's own modal
// loop runs while a thread timer waits for the layout, keeps a screenshot
// and then plays the test's input; a generous limit closes a dialog that
// does not end by itself, so a broken dialog fails instead of hanging.

#include <windows.h>

#include <functional>
#include <string>

#include "VQCore/app/DialogWindow.h"

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

}  // namespace Test
}  // namespace Tessar
