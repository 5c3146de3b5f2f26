// The details window's own rules: the section flags choose the tabs, the
// address of a section, and a host without the web browser (here: never
// laid out, so never created) shows nothing. The hosted browser itself is
// the ActiveX host's, tested with its test control.
#include <gtest/gtest.h>

#include "VQCore/app/windows/DetailsWnd.h"
#include "ui/Control.h"
#include "ui/TabCtrl.h"

namespace Tessar {
namespace Test {
namespace {

TEST(DetailsWnd, AddressesOfTheSections) {
    const struct {
        int tab;
        const wchar_t* address;
    } cases[] = {
        {0, L"http://h/introduction/00042.html?7"},
        {1, L"http://h/pic/00042.html?7"},
        {2, L"http://h/raider/00042.html?7"},
        {3, L"http://h/comment/00042.html?7"},
        {4, L""},
        {-1, L""},
    };
    for (const auto& c : cases) EXPECT_EQ(c.address, DetailsAddress(L"http://h", c.tab, 42, 7)) << c.tab;
    EXPECT_EQ(L"http://h/pic/123456.html?1", DetailsAddress(L"http://h", 1, 123456, 1));
}

TEST(DetailsWnd, SectionFlagsChooseTheTabs) {
    VQDetailsWnd window;
    ASSERT_TRUE(::IsWindow(window.GetHWND()));
    wchar_t title[32] = {};
    ::GetWindowTextW(window.GetHWND(), title, 32);
    EXPECT_STREQ(L"游戏详情", title);
    const struct {
        const char* status;
        bool shown[4];
    } cases[] = {
        {"10100000", {true, false, true, false}},
        {"1111", {true, true, true, true}},
        {"0001", {false, false, false, true}},
        {"1", {true, false, false, false}},
    };
    auto* tabs = static_cast<VQTabCtrl*>(window.Find(104)->GetInterface(ControlTypeTab));
    ASSERT_NE(nullptr, tabs);
    for (const auto& c : cases) {
        window.ShowGame(42, c.status);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(c.shown[i], window.IsSectionShown(i)) << c.status << " " << i;
            EXPECT_EQ(c.shown[i], tabs->GetItemAt(i)->IsVisible()) << c.status << " " << i;
        }
    }
    // Section 0 is shown but no browser is hosted: nothing is loaded.
    window.ShowGame(42, "1000");
    EXPECT_FALSE(window.ShowTab(0));
    EXPECT_NE(std::wstring::npos, window.GetLastAddress().find(L"/introduction/00042.html?"));
    EXPECT_FALSE(window.ShowTab(1)) << "a hidden section loads nothing";
    // Closing hides; the window is kept.
    ::SendMessageW(window.GetHWND(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(::IsWindow(window.GetHWND()));
    EXPECT_FALSE(::IsWindowVisible(window.GetHWND()));
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
