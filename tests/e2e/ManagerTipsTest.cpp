// The install-finished tip as a user meets it: a download that finished
// before the last exit installs at the next start, the tip comes up in the
// bottom right corner of the work area, and its button runs the game, or,
// for a game that wants an account first, offers its registration page:
// then the game is marked as offered, the statistics server hears of the
// click and the game does not start.

#include <gtest/gtest.h>

#include <windows.h>

#include <boost/make_shared.hpp>

#include <string>
#include <vector>

#include "VQCore/gamelib/DatabaseXmlFile.h"
#include "VQCore/gamelib/DownloadXmlFile.h"
#include "VQCore/gamelib/GameId.h"
#include "VQCore/gamelib/Settings.h"
#include "common/CodePage.h"
#include "common/FormatText.h"
#include "tests/e2e/ManagerHarness.h"
#include "tests/e2e/ManagerRecords.h"
#include "tests/support/PointerParking.h"
#include "tests/support/UpdateServer.h"
#include "tests/support/WebRoot.h"

namespace Tessar {
namespace Test {
namespace {

const DWORD kStartTimeout = 90000;
const DWORD kTimeout = 30000;
// The tip's button (309 x 158, the button 76 x 24 at the bottom right).
const POINT kTipButton = {260, 141};

void EndDemoGame() {
    if (HWND game = FindWindowW(L"VQDemoGame", nullptr)) {
        DWORD pid = 0;
        GetWindowThreadProcessId(game, &pid);
        EndProcess(pid);
    }
}

// A program folder whose last run left a finished download of one game of
// the demo catalogue, with the tip after installs on.
class VQFinishedDownloadFolder {
public:
    explicit VQFinishedDownloadFolder(const VQUpdateServer& server) : m_server(server) {}
    ~VQFinishedDownloadFolder() {
        EndDemoGame();
        m_folder.KillAll();
    }

    bool Prepare() {
        if (!m_folder.Prepare()) return false;
        const std::string base = WideToNarrow(m_server.Url(L""));
        if (!m_folder.WriteServers(base, base)) return false;
        VQSettings settings(m_folder.PathOf(L"config\\config.xml"));
        if (!settings.Load()) return false;
        settings.SetBool(L"AutoStartUndone", true);
        settings.SetBool(L"CompleteMessageTip", true);
        settings.SetBool(L"CompleteAudioTip", false);
        return settings.Save();
    }

    // A single-player or online game of the catalogue with a registration
    // page or without (its page made one of the local server's); 0 when
    // there is none.
    uint32_t PickGame(bool withRegistration) {
        VQDatabaseXmlFile database(m_folder.PathOf(L"data\\database.vqx"));
        if (!database.Load()) return 0;
        for (const auto& entry : database.GetGames()) {
            VQGameRecord& game = *entry.second;
            if (!(IsSingleGameId(game.ID) || IsOnlineGameId(game.ID)) || game.Register.empty() == withRegistration)
                continue;
            if (!withRegistration) return game.ID;
            game.Register = m_server.Url(L"/register.html");
            return database.Save() ? game.ID : 0;
        }
        return 0;
    }

    // download.vqx with the game downloaded (state 3) from the demo package.
    bool WriteFinishedDownload(uint32_t id) {
        const std::string package = ReadWholeFile(BuildPath(L"demo\\server\\packages\\demo.vqz"));
        if (package.empty() || !m_folder.Temp().WriteFile(L"downloads\\demo.vqz", package)) return false;
        auto record = boost::make_shared<VQGameDownloadInfo>();
        record->ID = id;
        record->Type = 1;
        record->State = 3;
        record->Total = static_cast<int64_t>(package.size());
        record->Completed = record->Total;
        record->SetupPath = m_folder.Temp().PathOf(L"downloads\\demo.vqz");
        VQDownloadXmlFile list;
        list.SetRecords({record});
        return list.Save(m_folder.PathOf(L"data\\download.vqx"));
    }

    VQManagerFolder& Folder() { return m_folder; }

private:
    const VQUpdateServer& m_server;
    VQManagerFolder m_folder;
};

// The pointer rests in the screen's top right corner during the test: the
// tips come up in the bottom right one, where the pointer is parked, and a
// real pointer over a tip would add mouse moves of its own (and hold it).
class VQPointerAwayFromTheTips {
public:
    VQPointerAwayFromTheTips() { SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, 0); }
    ~VQPointerAwayFromTheTips() { VQPointerParking::Park(); }
};

TEST(ManagerTips, TheInstallFinishedTipRunsTheGameOrOffersItsRegistration) {
    VQPointerAwayFromTheTips pointer;
    VQTempFolder www;
    VQUpdateServer server;
    ASSERT_TRUE(server.Start(www.Path()));
    const struct {
        const char* name;
        bool registration;
    } cases[] = {{"run", false}, {"register", true}};
    for (const auto& c : cases) {
        VQFinishedDownloadFolder folder(server);
        ASSERT_TRUE(folder.Prepare()) << c.name;
        const uint32_t gameId = folder.PickGame(c.registration);
        ASSERT_NE(0u, gameId) << c.name << ": no such game in the demo catalogue";
        ASSERT_TRUE(folder.WriteFinishedDownload(gameId)) << c.name << ": the build's demo package is missing";
        server.ClearRequests();

        VQManagerProcess manager = folder.Folder().Start(L"");
        HWND tip = nullptr;
        ASSERT_TRUE(WaitFor(
            [&] { return (tip = FindProcessWindow(manager.pid, L"VQMessageTipWnd")) != nullptr || !manager.Running(); },
            kStartTimeout))
            << c.name << ": no tip; windows: " << WindowsOf(manager.pid);
        ASSERT_NE(nullptr, tip) << c.name << ": exit code " << manager.ExitCode();
        const std::wstring installedList = folder.Folder().PathOf(L"data\\install.vqx");
        ASSERT_TRUE(WaitFor([&] { return InstalledRecord(installedList, gameId) != nullptr; }, kTimeout)) << c.name;
        // In the corner of the work area.
        RECT work = {}, rc = {};
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        GetWindowRect(tip, &rc);
        EXPECT_EQ(work.right, rc.right) << c.name;
        EXPECT_EQ(work.bottom, rc.bottom) << c.name;
        EXPECT_EQ(309, rc.right - rc.left) << c.name;
        EXPECT_NE(tip, GetForegroundWindow()) << c.name << ": the tip never takes the focus";
        Sleep(1000);  // faded in
        KeepScreenshot(tip, std::wstring(L"Tips-InstallFinished-") + (c.registration ? L"register" : L"run"));

        ClickAt(tip, kTipButton);
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(tip); }, kTimeout)) << c.name << ": the tip stayed after its button";
        if (!c.registration) {
            EXPECT_TRUE(WaitFor([&] { return FindWindowW(L"VQDemoGame", nullptr) != nullptr; }, kTimeout))
                << c.name << ": the game did not start";
        } else {
            EXPECT_TRUE(WaitFor(
                [&] {
                    auto record = InstalledRecord(installedList, gameId);
                    return record && record->Registered == 1;
                },
                kTimeout))
                << c.name << ": the registration offer was not recorded";
            const std::string click = WideToNarrow(FormatString(L"/click_register.php?soft=1.7&id=%05u", gameId));
            EXPECT_TRUE(WaitFor([&] { return HasRequestStarting(server, click); }, kTimeout))
                << c.name << ": no click statistic";
            Sleep(3000);
            EXPECT_EQ(nullptr, FindWindowW(L"VQDemoGame", nullptr)) << c.name << ": the game started";
        }
        EXPECT_TRUE(manager.Running()) << c.name;
    }
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
