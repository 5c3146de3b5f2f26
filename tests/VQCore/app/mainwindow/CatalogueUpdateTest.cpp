// A catalogue update from the local update server as the catalogue job runs
// it (the day timer's, or the "-update_data" run without a window): every
// applied change drops the search index so the next search rebuilds it, and
// the open window is told the new games and every game's name; and how the
// window's pages take that news.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>

#include "VQCore/app/mainwindow/CatalogueNews.h"
#include "VQCore/app/jobs/DataUpdateJobs.h"
#include "VQCore/app/pages/GameIcon.h"
#include "VQCore/app/pages/IconList.h"
#include "VQCore/app/mainwindow/MarloxWnd.h"
#include "VQCore/gamelib/AppFolder.h"
#include "VQCore/gamelib/AppPaths.h"
#include "VQCore/gamelib/DatabaseXmlFile.h"
#include "bench/CatalogueGenerator.h"
#include "common/CodePage.h"
#include "common/PathText.h"
#include "common/ServerAddresses.h"
#include "tests/VQCore/app/TileTestHost.h"
#include "tests/support/TempFolder.h"
#include "tests/support/UpdateServer.h"

namespace Tessar {
namespace Test {
namespace {

VQGameRecord Game(uint32_t id, const wchar_t* name) {
    VQGameRecord record;
    record.ID = id;
    record.GameName = name;
    record.Publish = 1;
    record.Type = 1;
    return record;
}

std::string Reply(const std::string& file) {
    return "<FILE><DownloadUrl>{base}/files/" + file + "</DownloadUrl><Md5>{md5:" + file +
           "}</Md5><Increment>1</Increment></FILE>";
}

// A window that keeps the catalogue news posted to it.
class VQNewsSink {
public:
    VQNewsSink() {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = &VQNewsSink::Proc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VQTestNewsSink";
        ::RegisterClassW(&wc);
        hwnd = ::CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~VQNewsSink() {
        ::DestroyWindow(hwnd);
        if (news)
            for (VQTileList& kind : news->kinds)
                for (VQGameIcon* tile : kind) delete tile;
    }
    // Takes what was posted so far.
    void Pump() {
        MSG msg;
        while (::PeekMessageW(&msg, hwnd, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    }
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<VQNewsSink*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self && message == kMsgCatalogueNews) {
            self->news.reset(reinterpret_cast<VQCatalogueNews*>(wParam));
            return 0;
        }
        if (message == kMsgGamePicture) return 0;  // none here: no game lacks its picture on the server
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
    HWND hwnd = nullptr;
    std::unique_ptr<VQCatalogueNews> news;
};

TEST(CatalogueUpdate, EveryAppliedChangeDropsTheSearchIndexAndTheWindowHearsTheNames) {
    VQTempFolder app;
    ASSERT_TRUE(app.MakeFolder(L"data") && app.MakeFolder(L"pic"));
    VQTempFolder www;
    const wchar_t kAdded[] = L"<VERSION>2</VERSION><ADD><GAME><ID>00009</ID><GameName>新游戏</GameName>"
                             L"<Publish>1</Publish><Type>1</Type></GAME></ADD>";
    const wchar_t kRenamed[] = L"<VERSION>2</VERSION><MODIFY><GAME><ID>00002</ID><GameName>改名的游戏</GameName>"
                               L"</GAME></MODIFY>";
    ASSERT_TRUE(www.WriteFile(L"added.xml", WideToNarrow(kAdded)) &&
                www.WriteFile(L"renamed.xml", WideToNarrow(kRenamed)) &&
                www.WriteFile(L"update_database\\added.xml", Reply("added.xml")) &&
                www.WriteFile(L"update_database\\renamed.xml", Reply("renamed.xml")) &&
                www.WriteFile(L"update_database\\current.xml", "<FILE><DownloadUrl>None</DownloadUrl></FILE>"));
    VQUpdateServer server;
    ASSERT_TRUE(server.Start(www.Path()));
    ASSERT_TRUE(SetServerAddress(kUpdateServer, server.Url(L"")));
    SetAppFolderOverride(app.Path());
    const struct {
        const char* name;
        const wchar_t* version;  // picks the server's reply
        bool window;
        bool indexDropped;
        uint32_t newGames;
    } cases[] = {
        {"a new game, the -update_data run", L"added", false, true, 0},
        {"a new game, the day timer's run", L"added", true, true, 1},
        {"a renamed game only", L"renamed", true, true, 0},
        {"the catalogue is current", L"current", true, false, 0},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(Bench::WriteSyntheticCatalogue({Game(1, L"一号"), Game(2, L"二号")}, c.version, GetDatabasePath(),
                                                   nullptr))
            << c.name;
        ASSERT_TRUE(app.WriteFile(L"data\\search.vqs", "an index of the old catalogue")) << c.name;
        ::SetFileAttributesW(GetSearchIndexPath().c_str(), FILE_ATTRIBUTE_READONLY);
        VQNewsSink sink;
        EXPECT_TRUE(RunUpdateJob(kJobDatabase, nullptr, c.window ? sink.hwnd : nullptr)) << c.name;
        EXPECT_EQ(c.indexDropped, !FileExists(GetSearchIndexPath())) << c.name;
        sink.Pump();
        EXPECT_EQ(c.window && c.indexDropped, sink.news != nullptr) << c.name << ": the news to the window";
        if (sink.news) {
            EXPECT_EQ(c.newGames, sink.news->total) << c.name;
            EXPECT_EQ(c.newGames, sink.news->counts[0]) << c.name;
            EXPECT_EQ(c.newGames, sink.news->kinds[0].size()) << c.name;
            EXPECT_EQ(L"一号", sink.news->names[1]) << c.name;
            EXPECT_EQ(std::wstring(c.version) == L"renamed" ? L"改名的游戏" : L"二号", sink.news->names[2]) << c.name;
        }
        ::SetFileAttributesW(GetSearchIndexPath().c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    SetAppFolderOverride(L"");
    LoadServerAddresses(ServerAddressesIniPath());
}

// The pages take the news: new games join their kind page once, and every
// shown tile of a catalogue game takes its new name (the user's own games
// are not in the catalogue and keep theirs).
TEST(CatalogueUpdate, ThePagesTakeTheNewGamesAndTheNewNames) {
    VQTileTestHost host(IconListMarkup(113, L"hotlist", 1, 5) + IconListMarkup(114, L"singlelist", 1, 5) +
                        IconListMarkup(118, L"toollist", 1, 5) + IconListMarkup(120, L"installlist", 1, 5));
    ASSERT_TRUE(host.List(114)->AddTile(MakeTile(1, L"旧名", kTileNotInstalled)));
    ASSERT_TRUE(host.List(114)->AddTile(MakeTile(2, L"二号", kTileNotInstalled)));
    ASSERT_TRUE(host.List(113)->AddTile(MakeTile(1, L"旧名", kTileNotInstalled)));
    ASSERT_TRUE(host.List(120)->AddTile(MakeTile(1, L"旧名", kTileInstalled)));
    ASSERT_TRUE(host.List(120)->AddTile(MakeTile(90001, L"我的程序", kTileInstalled)));
    VQCatalogueNews news;
    news.names = {{1, L"新名"}, {2, L"二号"}, {3, L"三号"}, {40001, L"工具"}};
    news.kinds[0] = {MakeTile(2, L"二号", kTileNotInstalled), MakeTile(3, L"三号", kTileNotInstalled)};
    news.kinds[4] = {MakeTile(40001, L"工具", kTileNotInstalled)};
    EXPECT_TRUE(ApplyCatalogueNews(host.Manager(), news));
    for (const VQTileList& kind : news.kinds) EXPECT_TRUE(kind.empty()) << "the news keeps no tile";

    const struct {
        int listId;
        std::vector<std::wstring> names;
    } pages[] = {
        {114, {L"新名", L"二号", L"三号"}},
        {113, {L"新名"}},
        {118, {L"工具"}},
        {120, {L"新名", L"我的程序"}},
    };
    for (const auto& page : pages) {
        std::vector<std::wstring> names;
        for (VQGameIcon* tile : host.List(page.listId)->GetTiles())
            if (!tile->IsAddTile()) names.push_back(tile->GetText());
        EXPECT_EQ(page.names, names) << page.listId;
    }
    EXPECT_EQ(L"新名", host.List(120)->GetTiles()[0]->GetCaption()) << "the caption follows the name";
    // Nothing new a second time.
    VQCatalogueNews again;
    again.names = news.names;
    EXPECT_FALSE(ApplyCatalogueNews(host.Manager(), again));
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
