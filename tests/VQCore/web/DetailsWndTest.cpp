// The game details window around the test control registered under the web
// browser's class id (this test program runs in a Wine prefix of its own):
// a section loads from the details server of the address table behind the
// turning loading picture, which stops and gives way to the page when the
// browser reports it complete.

#include "VQCore/app/windows/DetailsWnd.h"

#include "tests/VQFlash/GameWindowTestSupport.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "VQCore/app/windows/LoadingPicture.h"
#include "common/ServerAddresses.h"
#include "tests/programs/activex/TestControlApi.h"
#include "ui/ActiveX.h"
#include "ui/Control.h"

namespace Tessar {
namespace {

const wchar_t kBrowserClsid[] = L"{8856F961-340A-11D0-A96B-00C04FD705A2}";
const DISPID kProgressChange = 108;
const int kBrowserId = 103;
const int kLoadingId = 106;

VARIANT Long(LONG value) {
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}

IDispatch* BrowserOf(VQDetailsWnd& window) {
    VQControl* control = window.Find(kBrowserId);
    auto* host = control ? static_cast<VQActiveX*>(control->GetInterface(ControlTypeActiveX)) : nullptr;
    IDispatch* browser = nullptr;
    if (!host || FAILED(host->GetControl(IID_IDispatch, reinterpret_cast<void**>(&browser)))) return nullptr;
    return browser;
}

// The stand-in fires the browser's progress event to the window's sink.
bool FireProgress(VQDetailsWnd& window, LONG progress) {
    IDispatch* browser = BrowserOf(window);
    if (!browser) return false;
    std::vector<VARIANT> arguments = {Long(100), Long(progress), Long(kProgressChange)};
    DISPPARAMS params = {arguments.data(), nullptr, static_cast<UINT>(arguments.size()), 0};
    const HRESULT hr = browser->Invoke(TestDispFireEvent, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                                       nullptr, nullptr, nullptr);
    browser->Release();
    return SUCCEEDED(hr);
}

TEST(DetailsWnd, ASectionLoadsFromTheDetailsServerBehindTheTurningPicture) {
    ::Tessar::Test::VQStandInRegistration registration(kBrowserClsid);
    ASSERT_TRUE(registration.IsValid());
    ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
    ASSERT_TRUE(SetServerAddress(kDetailsServer, L"http://127.0.0.1:9/details"));
    {
        VQDetailsWnd window;
        ASSERT_TRUE(::IsWindow(window.GetHWND()));
        ::ShowWindow(window.GetHWND(), SW_SHOWNOACTIVATE);
        ASSERT_TRUE(::Tessar::Test::PumpUntilTrue([&] {
            IDispatch* browser = BrowserOf(window);
            if (browser) browser->Release();
            return browser != nullptr;
        })) << "the browser was never made";

        window.ShowGame(42, "1000");
        const std::wstring log = ::Tessar::Test::StandInCallLog();
        EXPECT_NE(std::wstring::npos, log.find(L"navigate=http://127.0.0.1:9/details/introduction/00042.html?")) << log;
        EXPECT_EQ(0u, window.GetLastAddress().find(L"http://127.0.0.1:9/details/introduction/00042.html?"));
        ASSERT_TRUE(window.IsLoading());
        EXPECT_FALSE(window.Find(kBrowserId)->IsVisible()) << "the page is hidden while it loads";
        VQControl* loading = window.Find(kLoadingId);
        EXPECT_EQ(kLoadingFrames - 1, loading->m_lastFrame);
        EXPECT_NE(std::wstring::npos, loading->m_frameBaseImage.find(L"res='267'"));
        // The picture turns: control timer 2 steps its frames.
        const int first = loading->m_currentFrame;
        EXPECT_TRUE(::Tessar::Test::PumpUntilTrue([&] { return loading->m_currentFrame != first; }, 5000))
            << "the loading picture stands still";

        // Other progress is not the end of the page; -1 is.
        ASSERT_TRUE(FireProgress(window, 50));
        ::Tessar::Test::PumpUntilTrue([] { return false; }, 200);
        EXPECT_TRUE(window.IsLoading());
        ASSERT_TRUE(FireProgress(window, -1));
        ASSERT_TRUE(::Tessar::Test::PumpUntilTrue([&] { return !window.IsLoading(); }));
        EXPECT_TRUE(window.Find(kBrowserId)->IsVisible());
        // Its timer went with it.
        const int stopped = loading->m_currentFrame;
        ::Tessar::Test::PumpUntilTrue([] { return false; }, 400);
        EXPECT_EQ(stopped, loading->m_currentFrame);
    }
    LoadServerAddresses(ServerAddressesIniPath());
    ::OleUninitialize();
}

}  // namespace
}  // namespace Tessar
