#pragma once
// The web window ("反馈建议"): one page in the hosted web browser, with a
// loading picture until the browser says the page is there. The main window
// makes it once and tells it where to go each time the page is wanted;
// closing only hides it, and the object deletes itself when its native
// window is destroyed.

#include <string>

#include "VQCore/app/windows/DialogWindow.h"
#include "ui/ActiveXEventSink.h"

struct IWebBrowser2;

namespace Tessar {

// The product's feedback page: "feedback/" on the home page's server.
std::wstring FeedbackPageAddress();

class VQWebWnd : public VQDialogWindow, public VQActiveXDispatch {
public:
    // Makes the native window (no owner); the page is loaded once it shows.
    explicit VQWebWnd(const std::wstring& address);
    ~VQWebWnd() override;

    const wchar_t* GetWindowClassName() const override { return L"VQWebWnd"; }
    void Notify(VQNotifyMsg& msg) override;
    LRESULT OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    LRESULT OnDestroy(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    LRESULT OnNcCalcSize(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    LRESULT OnNcPaint(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    void OnFinalMessage(HWND hwnd) override;

    // Stores the address and loads it; false when there is no browser to
    // load it in (the window then shows nothing).
    bool Navigate(const std::wstring& address);
    const std::wstring& GetAddress() const { return m_address; }
    // True while the loading picture stands in for the page.
    bool IsLoading() const;

    // The browser's events: progress -1 is the page shown; the page's
    // close call hides the window.
    void OnProgressChange(LONG progress, LONG maximum) override;
    void OnScriptClose() override;

    static const int kBrowserId = 103;
    static const int kLoadingId = 102;

protected:
    void OnLayoutReady() override;

private:
    // The browser's IWebBrowser2 (a reference the caller releases); null
    // when the host did not create a browser.
    IWebBrowser2* QueryBrowser();
    void ConnectSink();
    void ShowPage();

    std::wstring m_address;
    VQActiveXEventSink* m_sink = nullptr;
    bool m_sinkConnected = false;
};

}  // namespace Tessar
