// The main window's own handling: the hot keys, the close button's action
// and the paging keys.

#include <gtest/gtest.h>

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
    LPARAM at = MAKELPARAM(kLibraryTab.x, kLibraryTab.y);
    PostMessageW(m_window, WM_MOUSEMOVE, 0, at);
    PostMessageW(m_window, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(m_window, WM_LBUTTONUP, 0, at);
    // The library's single-player page has many pages of cards.
    const RECT cards = {20, 120, 940, 560};
    // The window refreshes the hover at the resting pointer after a page
    // key; the same hover is given before the first picture is taken.
    POINT cursor = {0, 0};
    GetCursorPos(&cursor);
    ScreenToClient(m_window, &cursor);
    PostMessageW(m_window, WM_MOUSEMOVE, 0, MAKELPARAM(cursor.x, cursor.y));
    // The first page once it has settled (two pictures alike, cards on it).
    VQScreenImage first;
    ASSERT_TRUE(WaitFor(
        [&] {
            VQScreenImage now = CaptureWindow(m_window);
            bool settled = now.pixels == first.pixels && DistinctColours(now, cards) > 200;
            first = now;
            return settled;
        },
        kTimeout));
    auto differsFromFirst = [&] {
        VQScreenImage now = CaptureWindow(m_window);
        if (now.pixels.size() != first.pixels.size()) return false;
        size_t changed = 0;
        for (int y = cards.top; y < cards.bottom; ++y)
            for (int x = cards.left; x < cards.right; ++x) changed += now.At(x, y) != first.At(x, y);
        return changed > 10000;
    };
    PostMessageW(m_window, WM_KEYUP, VK_NEXT, 0);
    EXPECT_TRUE(WaitFor(differsFromFirst, kTimeout)) << "Page Down showed no other page";
    PostMessageW(m_window, WM_KEYUP, VK_HOME, 0);
    EXPECT_TRUE(WaitFor([&] { return !differsFromFirst(); }, kTimeout)) << "Home did not come back to the first page";
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
