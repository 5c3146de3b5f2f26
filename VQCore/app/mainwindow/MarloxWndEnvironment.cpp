// The main window's runtime environment window: made on the first check
// and kept (it goes on downloading and installing while hidden); a window
// the user closed is made anew.

#include "VQCore/app/mainwindow/MarloxWnd.h"

#include "VQCore/app/environment/EnvironmentWnd.h"
#include "VQCore/app/pages/GameIcon.h"

namespace Tessar {

void VQMarloxWnd::ShowEnvironmentWindow(VQGameIcon* tile) {
    if (!tile) return;
    if (m_environmentWindow && !::IsWindow(m_environmentWindow->GetHWND())) CloseEnvironmentWindow();
    if (!m_environmentWindow) m_environmentWindow = new VQEnvironmentWnd(m_hwnd);
    HWND window = m_environmentWindow->GetHWND();
    if (!::IsWindow(window)) {
        CloseEnvironmentWindow();
        return;
    }
    // The user kept the running repair: the window only comes forward.
    m_environmentWindow->CheckGame(RequirementsOf(*tile));
    m_environmentWindow->ShowWindow(true, true);
    ::SetFocus(window);
    ::SetForegroundWindow(window);
}

void VQMarloxWnd::CloseEnvironmentWindow() {
    delete m_environmentWindow;  // stops and waits for its work
    m_environmentWindow = nullptr;
}

}  // namespace Tessar
