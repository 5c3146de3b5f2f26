// The main window's own handling: the hot keys, the close button's action
// and the paging keys.

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "VQCore/gamelib/Settings.h"
#include "tests/e2e/ManagerHarness.h"

namespace Tessar {
namespace Test {
namespace {

const DWORD kStartTimeout = 90000;
const DWORD kTimeout = 30000;
const POINT kLibraryTab = {252, 57};

class ManagerWindowTest : public ::testing::Test {
protected:
    void StartShown(uint32_t closeAction = 0) {
        ASSERT_TRUE(m_folder.Prepare());
        VQSettings settings(m_folder.PathOf(L"config\\config.xml"));
        settings.Load();
        settings.SetInt(L"CloseAction", closeAction);
        ASSERT_TRUE(settings.Save());
        m_manager = m_folder.Start(L"");
        WaitFor([&] { return (m_window = m_folder.FindMainWindow(m_manager.pid)) != nullptr || !m_manager.Running(); },
                kStartTimeout);
        ASSERT_NE(nullptr, m_window) << "exit code " << m_manager.ExitCode();
        ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(m_window) != FALSE; }, kStartTimeout));
    }

    bool Visible() const { return IsWindowVisible(m_window) != FALSE; }

    VQManagerFolder m_folder;
    VQManagerProcess m_manager;
    HWND m_window = nullptr;
};

struct HotKeyCase {
    const char* name;
    UINT modifiers;
    UINT key;
    bool toggles;
};

TEST_F(ManagerWindowTest, CtrlAltHAndGHideAndShowTheWindowOtherModifiersDoNothing) {
    StartShown();
    const HotKeyCase cases[] = {
        {"Ctrl+Alt+H", MOD_CONTROL | MOD_ALT, 'H', true},
        {"Ctrl+Alt+G without a running game", MOD_CONTROL | MOD_ALT, 'G', true},
        {"Ctrl+Shift+Alt+H", MOD_CONTROL | MOD_ALT | MOD_SHIFT, 'H', false},
        {"Alt+H", MOD_ALT, 'H', false},
        {"Ctrl+Alt+K with no game to end", MOD_CONTROL | MOD_ALT, 'K', false},
    };
    const LPARAM toggle = MAKELPARAM(MOD_CONTROL | MOD_ALT, 'H');
    for (const HotKeyCase& c : cases) {
        bool before = Visible();
        PostMessageW(m_window, WM_HOTKEY, 0, MAKELPARAM(c.modifiers, c.key));
        if (!c.toggles) {
            // Posted after it, a real toggle shows when the first was handled:
            // had the first toggled too, the window would be back as before.
            PostMessageW(m_window, WM_HOTKEY, 0, toggle);
        }
        EXPECT_TRUE(WaitFor([&] { return Visible() != before; }, kTimeout)) << c.name;
        // Back to where the case started.
        PostMessageW(m_window, WM_HOTKEY, 0, toggle);
        EXPECT_TRUE(WaitFor([&] { return Visible() == before; }, kTimeout)) << c.name;
    }
    EXPECT_TRUE(m_manager.Running());
}

TEST_F(ManagerWindowTest, CloseButtonHidesTheWindowWhenCloseActionIsZero) {
    StartShown(0);
    PostMessageW(m_window, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(WaitFor([&] { return !Visible(); }, kTimeout));
    EXPECT_TRUE(m_manager.Running());
    // A second start brings it back.
    VQManagerProcess second = m_folder.Start(L"");
    ASSERT_TRUE(second.WaitForExit(kStartTimeout));
    EXPECT_TRUE(WaitFor([&] { return Visible(); }, kTimeout));
}

TEST_F(ManagerWindowTest, CloseButtonEndsTheProgramWhenCloseActionIsOne) {
    StartShown(1);
    PostMessageW(m_window, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(m_manager.WaitForExit(kStartTimeout));
    EXPECT_EQ(0u, m_manager.ExitCode());
}

TEST_F(ManagerWindowTest, PagingKeysTurnThePagesOfTheShownList) {
    StartShown();
    const LPARAM at = MAKELPARAM(kLibraryTab.x, kLibraryTab.y);
    auto clickLibraryTab = [&] {
        PostMessageW(m_window, WM_MOUSEMOVE, 0, at);
        PostMessageW(m_window, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(m_window, WM_LBUTTONUP, 0, at);
    };
    // The library's single-player page has many pages of cards. A page is
    // told by the colours of its 40 cards (each game's card has a colour of
    // its own), read from a strip along each picture's top edge, which the
    // hover of a resting pointer leaves alone.
    auto signature = [&] {
        std::vector<uint32_t> colours;
        VQScreenImage image = CaptureWindow(m_window);
        if (image.pixels.empty()) return colours;
        for (int row = 0; row < 4; ++row)
            for (int column = 0; column < 10; ++column)
                colours.push_back(image.At(42 + column * 91 + 10, 131 + row * 109 + 3));
        return colours;
    };
    auto cardsShown = [](const std::vector<uint32_t>& colours) {
        return std::count_if(colours.begin(), colours.end(), [](uint32_t c) {
                   int r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
                   return std::max(r, std::max(g, b)) - std::min(r, std::min(g, b)) > 90;
               }) == 40;
    };
    // A click posted while the window still fills its pages at start can
    // be lost on a busy machine: it is given again.
    std::vector<uint32_t> first;
    bool shown = false;
    for (int attempt = 0; attempt < 3 && !shown; ++attempt) {
        clickLibraryTab();
        shown = WaitFor([&] { return cardsShown(first = signature()); }, kTimeout / 3);
        if (!shown) KeepScreenshot(m_window, L"Window-LibraryCardsMissing-" + std::to_wstring(attempt));
    }
    ASSERT_TRUE(shown) << "the library's cards never showed";
    PostMessageW(m_window, WM_KEYUP, VK_NEXT, 0);
    std::vector<uint32_t> second;
    EXPECT_TRUE(WaitFor([&] { second = signature(); return cardsShown(second) && second != first; }, kTimeout))
        << "Page Down showed no other page";
    PostMessageW(m_window, WM_KEYUP, VK_HOME, 0);
    EXPECT_TRUE(WaitFor([&] { return signature() == first; }, kTimeout)) << "Home did not come back to the first page";
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
