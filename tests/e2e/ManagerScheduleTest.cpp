// The manager's scheduled work and its small surfaces as a user meets
// them: a day timer brings a catalogue increment from the local update
// server (and a damaged one leaves the catalogue alone), the tray icon's
// clicks and menu reach their operations, and the game-icon tip shows
// beside a resting mouse.

#include <gtest/gtest.h>

#include <string>

#include "VQCore/gamelib/DatabaseXmlFile.h"
#include "VQCore/gamelib/GameRecord.h"
#include "common/CodePage.h"
#include "common/PathText.h"
#include "tests/e2e/ManagerHarness.h"
#include "tests/support/UpdateServer.h"

namespace Tessar {
namespace Test {
namespace {

const DWORD kStartTimeout = 90000;
const DWORD kTimeout = 30000;
const UINT_PTR kDatabaseTimer = 1001;
const UINT kTrayMessage = WM_USER + 1;
const uint32_t kNewGameId = 777;

const wchar_t kIncrement[] =
    L"<VERSION>demo-2</VERSION>\n"
    L"<ADD><GAME><ID>00777</ID><GameName>晨星新作</GameName><Publish>1</Publish><Type>1</Type></GAME></ADD>\n";

std::string Reply(const std::string& url, const std::string& md5) {
    return "<FILE><DownloadUrl>" + url + "</DownloadUrl><Md5>" + md5 + "</Md5><Increment>1</Increment></FILE>";
}

class ManagerScheduleTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.Prepare()); }

    void StartShown() {
        m_manager = m_folder.Start(L"");
        WaitFor([&] { return (m_window = m_folder.FindMainWindow(m_manager.pid)) != nullptr || !m_manager.Running(); },
                kStartTimeout);
        ASSERT_NE(nullptr, m_window) << "exit code " << m_manager.ExitCode();
        ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(m_window) != FALSE; }, kStartTimeout));
    }

    HWND WaitForWindow(const wchar_t* className, DWORD timeout = kTimeout) {
        HWND found = nullptr;
        WaitFor([&] { return (found = FindProcessWindow(m_manager.pid, className)) != nullptr; }, timeout);
        return found;
    }

    // A right click on the tray icon, as the shell reports it.
    HWND OpenTrayMenu() {
        PostMessageW(m_window, kTrayMessage, 1, WM_RBUTTONUP);
        return WaitForWindow(L"#32768");
    }

    bool CatalogueHas(uint32_t id) {
        VQDatabaseXmlFile database(m_folder.PathOf(L"data\\database.vqx"));
        return database.Load() && database.FindById(id) != nullptr;
    }

    VQManagerFolder m_folder;
    VQManagerProcess m_manager;
    HWND m_window = nullptr;
};

TEST_F(ManagerScheduleTest, DayTimerBringsTheCatalogueIncrementOrKeepsTheCatalogue) {
    const struct {
        const char* name;
        const char* fileUrl;  // where the reply sends the increment
        bool applied;
    } cases[] = {
        {"a damaged increment", "{base}/__fault/corrupt/files/inc.xml", false},
        {"a good increment", "{base}/files/inc.xml", true},
    };
    VQUpdateServer server;
    ASSERT_TRUE(m_folder.Temp().WriteFile(L"server\\inc.xml", WideToNarrow(kIncrement)));
    ASSERT_TRUE(server.Start(m_folder.Temp().PathOf(L"server")));
    const std::wstring base = server.Url(L"");
    ASSERT_TRUE(m_folder.WriteServers(WideToNarrow(base)));
    ASSERT_FALSE(CatalogueHas(kNewGameId));
    StartShown();
    for (const auto& c : cases) {
        ASSERT_TRUE(m_folder.Temp().WriteFile(L"server\\update_database\\default.xml",
                                              Reply(c.fileUrl, "{md5:inc.xml}")));
        server.ClearRequests();
        // The catalogue's day timer fires now instead of tomorrow.
        ASSERT_TRUE(PostMessageW(m_window, WM_TIMER, kDatabaseTimer, 0));
        bool asked = false;
        WaitFor(
            [&] {
                for (const std::string& request : server.Requests())
                    asked = asked || request.find("/files/inc.xml") != std::string::npos;
                return asked;
            },
            kTimeout);
        ASSERT_TRUE(asked) << c.name << ": the increment was not fetched";
        bool typed = false;
        for (const std::string& request : server.Requests())
            typed = typed || request.find("update_database.php?soft=1.7&type=1&ver=demo-1") != std::string::npos;
        EXPECT_TRUE(typed) << c.name << ": the timer's request carries type 1 and the catalogue's version";
        HWND tip = WaitForWindow(L"VQMessageTipWnd", c.applied ? kTimeout : 5000);
        EXPECT_EQ(c.applied, tip != nullptr) << c.name << ": the new-games tip";
        if (tip) KeepScreenshot(tip, L"Schedule-NewGamesTip");
        EXPECT_EQ(c.applied, CatalogueHas(kNewGameId)) << c.name;
    }
    EXPECT_TRUE(m_manager.Running());
    server.Stop();
}

TEST_F(ManagerScheduleTest, TrayClicksAndMenuReachTheirOperations) {
    StartShown();
    // Hidden by the close button, back by a click on the icon.
    PostMessageW(m_window, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindowVisible(m_window); }, kTimeout));
    PostMessageW(m_window, kTrayMessage, 1, WM_LBUTTONDOWN);
    EXPECT_TRUE(WaitFor([&] { return ::IsWindowVisible(m_window) != FALSE; }, kTimeout));

    // The right button opens the tray menu; its first item shows the
    // hidden window, its last one ends the program (the menu is driven
    // by its keys, as a user without a mouse would).
    PostMessageW(m_window, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindowVisible(m_window); }, kTimeout));
    HWND popup = OpenTrayMenu();
    ASSERT_NE(nullptr, popup) << "the tray menu did not open";
    KeepScreenshot(popup, L"Schedule-TrayMenu");
    PostMessageW(popup, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(popup, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(WaitFor([&] { return ::IsWindowVisible(m_window) != FALSE; }, kTimeout)) << "显示主界面";
    ASSERT_TRUE(WaitFor([&] { return FindProcessWindow(m_manager.pid, L"#32768") == nullptr; }, kTimeout));

    // The menu's choices, as the menu sends them.
    const struct {
        const char* name;
        WORD id;
        const wchar_t* windowClass;
    } cases[] = {{"settings", 32780, L"VQSettingsDlg"}, {"skin", 32779, L"VQSkinSettingWnd"}};
    for (const auto& c : cases) {
        PostMessageW(m_window, WM_COMMAND, c.id, 0);
        HWND opened = WaitForWindow(c.windowClass);
        ASSERT_NE(nullptr, opened) << c.name;
        PostMessageW(opened, WM_CLOSE, 0, 0);
        EXPECT_TRUE(WaitFor([&] { return FindProcessWindow(m_manager.pid, c.windowClass) == nullptr; }, kTimeout))
            << c.name;
    }
    popup = OpenTrayMenu();
    ASSERT_NE(nullptr, popup) << "the tray menu did not open again";
    PostMessageW(popup, WM_KEYDOWN, VK_UP, 0);
    PostMessageW(popup, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(m_manager.WaitForExit(kStartTimeout)) << "退出 from the tray menu";
}

TEST_F(ManagerScheduleTest, TipShowsBesideARestingMouseAndGoesWhenItLeaves) {
    StartShown();
    // The first card of the hot page, the page shown after the start.
    const POINT card = {66, 155};
    const LPARAM at = MAKELPARAM(card.x, card.y);
    HWND tip = nullptr;
    WaitFor(
        [&] {
            PostMessageW(m_window, WM_MOUSEMOVE, 0, at);
            PostMessageW(m_window, WM_MOUSEHOVER, 0, at);
            DWORD start = ::GetTickCount();
            while (::GetTickCount() - start < 2000 && !(tip = FindProcessWindow(m_manager.pid, L"VQGameIconTipWnd")))
                ::Sleep(50);
            return tip != nullptr;
        },
        kStartTimeout);
    ASSERT_NE(nullptr, tip) << "no tip over the card";
    RECT tipRect = {}, mainRect = {};
    GetWindowRect(tip, &tipRect);
    GetWindowRect(m_window, &mainRect);
    EXPECT_GT(tipRect.left, mainRect.left + card.x) << "beside the card, right of the mouse";
    EXPECT_EQ(240, tipRect.right - tipRect.left);
    EXPECT_EQ(118, tipRect.bottom - tipRect.top);
    EXPECT_NE(tip, GetForegroundWindow()) << "the tip never takes the focus";
    KeepScreenshot(tip, L"Schedule-GameIconTip");
    // Moving off the card hides it.
    PostMessageW(m_window, WM_MOUSEMOVE, 0, MAKELPARAM(480, 20));
    PostMessageW(m_window, WM_MOUSELEAVE, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return !::IsWindowVisible(tip); }, kTimeout));
    EXPECT_TRUE(m_manager.Running());
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
