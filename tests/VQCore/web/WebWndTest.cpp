// The web window in this process, around the test control registered under
// the web browser's class id (this test program runs in a Wine prefix of its
// own): it loads its address behind the loading picture, shows the page when
// the browser reports it complete, loads a second address again behind the
// picture, hides on close and on the page's close call, and deletes itself
// with its native window.

#include "VQCore/app/windows/WebWnd.h"

#include "tests/VQFlash/GameWindowTestSupport.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "tests/programs/activex/TestControlApi.h"
#include "ui/ActiveX.h"
#include "ui/Control.h"

namespace Tessar {
namespace {

const wchar_t kBrowserClsid[] = L"{8856F961-340A-11D0-A96B-00C04FD705A2}";
const DISPID kProgressChange = 108;

VARIANT Long(LONG value) {
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}

class WebWndTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
        ASSERT_TRUE(m_registration.IsValid());
    }
    void TearDown() override {
        if (::IsWindow(m_hwnd)) ::DestroyWindow(m_hwnd);  // the object goes with it
        ::Tessar::Test::PumpUntilTrue([] { return true; }, 0);
        ::OleUninitialize();
    }

    void Open(const std::wstring& address) {
        m_window = new VQWebWnd(address);
        m_hwnd = m_window->GetHWND();
        ASSERT_TRUE(::IsWindow(m_hwnd));
        ::ShowWindow(m_hwnd, SW_SHOWNOACTIVATE);
    }
    bool LogHas(const std::wstring& text) const { return ::Tessar::Test::StandInCallLog().find(text) != std::wstring::npos; }
    int NavigationsTo(const std::wstring& address) const {
        const std::wstring log = ::Tessar::Test::StandInCallLog(), needle = L"navigate=" + address;
        int count = 0;
        for (size_t at = log.find(needle); at != std::wstring::npos; at = log.find(needle, at + 1)) ++count;
        return count;
    }
    bool Shown(int id) const {
        VQControl* control = m_window->Find(id);
        return control && control->IsVisible();
    }
    // The stand-in fires a browser event with these arguments to the sinks.
    bool FireEvent(DISPID event, std::vector<VARIANT> arguments) {
        VQControl* control = m_window->Find(VQWebWnd::kBrowserId);
        auto* host = control ? static_cast<VQActiveX*>(control->GetInterface(ControlTypeActiveX)) : nullptr;
        IDispatch* browser = nullptr;
        if (!host || FAILED(host->GetControl(IID_IDispatch, reinterpret_cast<void**>(&browser))) || !browser)
            return false;
        arguments.insert(arguments.begin(), Long(event));
        std::vector<VARIANT> reversed(arguments.rbegin(), arguments.rend());
        DISPPARAMS params = {reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
        const HRESULT hr = browser->Invoke(TestDispFireEvent, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                                           nullptr, nullptr, nullptr);
        browser->Release();
        return SUCCEEDED(hr);
    }

    ::Tessar::Test::VQStandInRegistration m_registration{kBrowserClsid};
    VQWebWnd* m_window = nullptr;
    HWND m_hwnd = nullptr;
};

TEST_F(WebWndTest, LoadsItsPageBehindTheLoadingPictureUntilThePageIsThere) {
    Open(L"http://127.0.0.1/feedback/");
    wchar_t title[32] = {};
    ::GetWindowTextW(m_hwnd, title, 32);
    EXPECT_STREQ(L"反馈建议", title);
    ASSERT_TRUE(::Tessar::Test::PumpUntilTrue([&] { return LogHas(L"navigate=http://127.0.0.1/feedback/"); }))
        << "the window loads its address once it shows";
    EXPECT_TRUE(m_window->IsLoading());
    EXPECT_FALSE(Shown(VQWebWnd::kBrowserId)) << "the browser is hidden while the page loads";
    RECT bounds = {};
    ::GetWindowRect(m_hwnd, &bounds);
    EXPECT_EQ(459, bounds.right - bounds.left);
    EXPECT_EQ(370, bounds.bottom - bounds.top);

    // Other progress is not the end of the page.
    ASSERT_TRUE(FireEvent(kProgressChange, {Long(50), Long(100)}));
    ::Tessar::Test::PumpUntilTrue([] { return false; }, 200);
    EXPECT_TRUE(m_window->IsLoading());
    ASSERT_TRUE(FireEvent(kProgressChange, {Long(-1), Long(100)}));
    ASSERT_TRUE(::Tessar::Test::PumpUntilTrue([&] { return !m_window->IsLoading(); }));
    EXPECT_TRUE(Shown(VQWebWnd::kBrowserId));

    // A second address: the picture again, then the new page.
    EXPECT_TRUE(m_window->Navigate(L"http://127.0.0.1/feedback/?again"));
    EXPECT_TRUE(m_window->IsLoading());
    EXPECT_FALSE(Shown(VQWebWnd::kBrowserId));
    EXPECT_TRUE(LogHas(L"navigate=http://127.0.0.1/feedback/?again"));
    EXPECT_EQ(L"http://127.0.0.1/feedback/?again", m_window->GetAddress());
    // And again while that page is still loading.
    EXPECT_TRUE(m_window->Navigate(L"http://127.0.0.1/feedback/?third"));
    EXPECT_TRUE(m_window->IsLoading());
    EXPECT_EQ(1, NavigationsTo(L"http://127.0.0.1/feedback/?third"));
}

TEST_F(WebWndTest, ClosingHidesAndThePageMayCloseItToo) {
    Open(L"http://127.0.0.1/feedback/");
    ASSERT_TRUE(::Tessar::Test::PumpUntilTrue([&] { return LogHas(L"navigate=http://127.0.0.1/feedback/"); }));
    ::SendMessageW(m_hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(::IsWindow(m_hwnd)) << "closing keeps the window for the next page";
    EXPECT_FALSE(::IsWindowVisible(m_hwnd));

    ::ShowWindow(m_hwnd, SW_SHOWNOACTIVATE);
    m_window->OnScriptClose();
    EXPECT_FALSE(::IsWindowVisible(m_hwnd)) << "the page's close call hides it";

    // The object deletes itself with its window; late events go nowhere.
    ::DestroyWindow(m_hwnd);
    EXPECT_FALSE(::IsWindow(m_hwnd));
    m_window = nullptr;
}

// The class id names a server module that is not there: the host makes no
// control (as where no browser engine is installed).
class VQMissingBrowserRegistration {
public:
    VQMissingBrowserRegistration() {
        HKEY key = nullptr;
        const std::wstring path = std::wstring(L"Software\\Classes\\CLSID\\") + kBrowserClsid + L"\\InprocServer32";
        const std::wstring module = L"C:\\nowhere\\missing-browser.dll";
        m_valid = ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                                    nullptr) == ERROR_SUCCESS &&
                  ::RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(module.c_str()),
                                   static_cast<DWORD>((module.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
        if (key) ::RegCloseKey(key);
    }
    ~VQMissingBrowserRegistration() {
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, (std::wstring(L"Software\\Classes\\CLSID\\") + kBrowserClsid).c_str());
    }
    bool IsValid() const { return m_valid; }

private:
    bool m_valid = false;
};

TEST(WebWndWithoutBrowser, ShowsNothingAndLoadsNothing) {
    VQMissingBrowserRegistration registration;
    ASSERT_TRUE(registration.IsValid());
    ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
    auto* window = new VQWebWnd(L"http://127.0.0.1/feedback/");
    HWND hwnd = window->GetHWND();
    ASSERT_TRUE(::IsWindow(hwnd));
    ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    ::Tessar::Test::PumpUntilTrue([] { return false; }, 300);
    EXPECT_FALSE(window->Navigate(L"http://127.0.0.1/other/"));
    EXPECT_FALSE(window->IsLoading());
    EXPECT_EQ(L"http://127.0.0.1/other/", window->GetAddress());
    ::DestroyWindow(hwnd);
    ::OleUninitialize();
}

TEST(WebWndAddress, TheFeedbackPageLiesOnTheHomePagesServer) {
    EXPECT_EQ(0u, FeedbackPageAddress().find(L"http"));
    const std::wstring address = FeedbackPageAddress();
    EXPECT_EQ(L"/feedback/", address.substr(address.size() - 10));
}

}  // namespace
}  // namespace Tessar
