// The main window's web window: the feedback page, in one window made on
// first use and told where to go afterwards.

#include "VQCore/app/mainwindow/MarloxWnd.h"

#include "VQCore/app/windows/WebWnd.h"

namespace Tessar {

void VQMarloxWnd::ShowFeedbackPage() {
    const std::wstring address = FeedbackPageAddress();
    if (m_webWindow && ::IsWindow(m_webWindowHandle)) {
        m_webWindow->Navigate(address);
    } else {
        // A window that is gone took its object with it.
        m_webWindow = new VQWebWnd(address);
        m_webWindowHandle = m_webWindow->GetHWND();
        if (!::IsWindow(m_webWindowHandle)) {
            delete m_webWindow;
            m_webWindow = nullptr;
            m_webWindowHandle = nullptr;
            return;
        }
    }
    m_webWindow->CenterWindow(m_hwnd);
    m_webWindow->ShowWindow(true, true);
    ::SetForegroundWindow(m_webWindowHandle);
    ::BringWindowToTop(m_webWindowHandle);
}

// The web window has no owner: it goes with the main window all the same.
void VQMarloxWnd::CloseWebWindow() {
    if (::IsWindow(m_webWindowHandle)) ::DestroyWindow(m_webWindowHandle);  // deletes the object
    m_webWindow = nullptr;
    m_webWindowHandle = nullptr;
}

}  // namespace Tessar
