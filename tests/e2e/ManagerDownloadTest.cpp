// A game's road from the download list to the installed page, as a user
// who left a download running sees it after the next start: the manager
// resumes it over HTTP (the update server names the file, nginx serves it
// by ranges), installs the game from its package, lists it installed and
// reports both steps to the statistics server. A download whose
// information cannot be had is tried again and then shown as an error.

#include <gtest/gtest.h>

#include <boost/make_shared.hpp>

#include <string>
#include <vector>

#include "VQCore/gamelib/DownloadXmlFile.h"
#include "VQCore/gamelib/InstalledXmlFile.h"
#include "VQCore/gamelib/Settings.h"
#include "common/CodePage.h"
#include "tests/e2e/ManagerHarness.h"
#include "tests/e2e/ManagerRecords.h"
#include "tests/support/LocalServer.h"
#include "tests/support/UpdateServer.h"
#include "tests/support/WebRoot.h"

namespace Tessar {
namespace Test {
namespace {

const DWORD kStartTimeout = 90000;
// Three tries more, each waiting five seconds longer than the one before.
const DWORD kRetriesTimeout = 120000;

std::string Narrow(const std::wstring& text) { return WideToNarrow(text); }

class ManagerDownloadTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_folder.Prepare());
        ASSERT_TRUE(m_update.Start(m_info.Path()));
        const std::string base = Narrow(m_update.Url(L""));
        ASSERT_TRUE(m_folder.WriteServers(base, base));
        VQSettings settings(m_folder.PathOf(L"config\\config.xml"));
        ASSERT_TRUE(settings.Load());
        settings.SetBool(L"AutoStartUndone", true);
        settings.SetBool(L"CompleteMessageTip", false);
        ASSERT_TRUE(settings.Save());
    }

    // download.vqx with the game as a download that was running when the
    // manager last ended.
    void WriteRunningDownload(uint32_t id, int64_t total) {
        auto record = boost::make_shared<VQGameDownloadInfo>();
        record->ID = id;
        record->Type = 1;
        record->State = 2;
        record->Total = total;
        VQDownloadXmlFile list;
        list.SetRecords({record});
        ASSERT_TRUE(list.Save(m_folder.PathOf(L"data\\download.vqx")));
    }

    void WriteInfo(uint32_t id, const std::wstring& url, const std::string& bytes) {
        const std::string xml = "<?xml version=\"1.0\"?>\n<FILE><DownloadUrl>" + Narrow(url) + "</DownloadUrl><Md5>" +
                                Narrow(Md5Of(bytes)) + "</Md5><FileSize>" + std::to_string(bytes.size()) +
                                "</FileSize><FileName>demo.vqz</FileName><DownloadType>1</DownloadType></FILE>\n";
        wchar_t name[32];
        _snwprintf(name, 32, L"query_url\\%05u.xml", id);
        ASSERT_TRUE(m_info.WriteFile(name, xml));
    }

    HWND StartManager() {
        m_manager = m_folder.Start(L"");
        HWND window = nullptr;
        WaitFor([&] { return (window = m_folder.FindMainWindow(m_manager.pid)) != nullptr || !m_manager.Running(); },
                kStartTimeout);
        return window;
    }

    VQManagerFolder m_folder;
    VQTempFolder m_info;
    VQUpdateServer m_update;
    VQManagerProcess m_manager;
};

TEST_F(ManagerDownloadTest, AResumedDownloadInstallsFromItsPackageAndIsListedInstalled) {
    const std::string package = ReadWholeFile(BuildPath(L"demo\\server\\packages\\demo.vqz"));
    ASSERT_FALSE(package.empty()) << "the build's demo package is missing";
    VQWebRoot files;
    ASSERT_TRUE(files.WriteFile(L"demo.vqz", package));
    VQLocalServer nginx;
    ASSERT_TRUE(StartNginx(nginx, files));
    const uint32_t kGame = 1;  // a single-player game of the demo catalogue
    WriteInfo(kGame, nginx.Url(L"/demo.vqz"), package);
    WriteRunningDownload(kGame, static_cast<int64_t>(package.size()));

    HWND window = StartManager();
    ASSERT_NE(nullptr, window) << "exit code " << m_manager.ExitCode();

    const std::wstring installedList = m_folder.PathOf(L"data\\install.vqx");
    boost::shared_ptr<VQGameInstalledInfo> installed;
    ASSERT_TRUE(WaitFor([&] { return (installed = InstalledRecord(installedList, kGame)) != nullptr; }, kStartTimeout))
        << "the game never reached the installed list; requests: " << m_update.Requests().size();
    const std::wstring program = m_folder.Temp().PathOf(L"games\\Demo Game\\DemoGame.exe");
    EXPECT_EQ(program, installed->FullPath);
    EXPECT_TRUE(FileIsThere(program));
    EXPECT_GT(installed->SetupTime, 0);
    // Off the download page, and both steps reported.
    EXPECT_TRUE(WaitFor([&] { return !DownloadListHolds(m_folder.PathOf(L"data\\download.vqx"), kGame); }, 30000));
    EXPECT_TRUE(WaitFor([&] { return HasRequestStarting(m_update, "/download_complete.php?soft=1.7&id=00001&bt=-1.00"); },
                        30000));
    EXPECT_TRUE(WaitFor([&] { return HasRequestStarting(m_update, "/install_complete.php?soft=1.7&id=00001"); }, 30000));
    EXPECT_TRUE(m_manager.Running());
}

TEST_F(ManagerDownloadTest, ADownloadWithoutInformationIsTriedAgainThenShownAsAnError) {
    const uint32_t kGame = 2;  // the update server has no information for it: 404
    WriteRunningDownload(kGame, 1000);
    HWND window = StartManager();
    ASSERT_NE(nullptr, window) << "exit code " << m_manager.ExitCode();

    HWND message = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (message = FindWindowW(L"VQMessageDlg", nullptr)) != nullptr; }, kRetriesTimeout))
        << "no error message";
    DWORD pid = 0;
    GetWindowThreadProcessId(message, &pid);
    EXPECT_EQ(m_manager.pid, pid);
    // The first try and three more, then the message.
    size_t asked = 0;
    for (const std::string& line : m_update.Requests())
        if (line.compare(0, 29, "/query_url.php?soft=1.7&id=00") == 0) ++asked;
    EXPECT_EQ(4u, asked);
    // The game stays on the download list.
    EXPECT_TRUE(DownloadListHolds(m_folder.PathOf(L"data\\download.vqx"), kGame));
    PostMessageW(message, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(message); }, 30000));
    EXPECT_TRUE(m_manager.Running());
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
