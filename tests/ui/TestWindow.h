#pragma once
// A plain top-level window whose messages go through a VQPaintManager, as
// the toolkit's window classes will route them.

#include <windows.h>

#include "ui/PaintManager.h"

namespace Tessar {
namespace Test {

class VQTestWindow {
public:
    VQTestWindow(int width = 300, int height = 200);
    ~VQTestWindow();
    HWND Handle() const { return m_hwnd; }
    VQPaintManager& Manager() { return m_manager; }
    // Dispatches messages until `done` returns true or `timeoutMs` passes.
    template <typename Done>
    bool PumpUntil(Done done, DWORD timeoutMs = 5000) {
        DWORD start = ::GetTickCount();
        while (!done()) {
            if (::GetTickCount() - start > timeoutMs) return false;
            MSG msg;
            while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
            if (!done()) ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
        return true;
    }
    // Lets the window paint once (layout, first-paint notification, pending Tab).
    void Paint();

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    VQPaintManager m_manager;
    HWND m_hwnd = nullptr;
};

}  // namespace Test
}  // namespace Tessar
