#include "tests/VQCore/download/BTFixture.h"

#include "common/CodePage.h"
#include "common/Md5.h"
#include "common/ServerAddresses.h"
#include "common/Singleton.h"
#include "tests/support/WebRoot.h"

#include <windows.h>

namespace Tessar {
namespace Test {

const VQGameFile kBTGameFiles[3] = {
    {L"game.exe", 900000},
    {L"data\\第一关.dat", 1500000},
    {L"data\\readme.txt", 33},
};

VQBTManager& BTManager() {
    return VQSingleton<VQBTManager>::Instance();
}

bool WaitUntil(const std::function<bool()>& pred, unsigned timeoutMs) {
    for (unsigned waited = 0; waited <= timeoutMs; waited += 50) {
        if (pred())
            return true;
        Sleep(50);
    }
    return false;
}

void BTFixture::SetUp() {
    tag_ = UniqueTestText(kBTGameFiles[2].size);
    ASSERT_FALSE(scratch_.Path().empty());
    ASSERT_TRUE(scratch_.MakeFolder(L"down"));
    ASSERT_TRUE(scratch_.MakeFolder(L"srv"));
    ASSERT_TRUE(tracker_.Start());
    WriteGame(L"seed\\game");
    ASSERT_TRUE(MakeTorrent(scratch_.PathOf(L"seed\\game"), scratch_.PathOf(L"srv\\game.torrent"),
                            tracker_.AnnounceUrl()));
    ASSERT_TRUE(update_.Start(scratch_.PathOf(L"srv")));
    ASSERT_TRUE(SetServerAddress(kUpdateServer, update_.Url(L"")));
    queue_.reset(new VQDownloadQueue(&observer_, 3, 0));
    ASSERT_TRUE(BTManager().Init(DownloadFolder(), VQBTManager::kDefaultSeedLimit));
}

void BTFixture::TearDown() {
    queue_.reset();
    BTManager().Shutdown();
    BTManager().SetClock(nullptr);
    seeder_.Stop();
    update_.Stop();
    tracker_.Stop();
    // The table is process-wide: leave it as the program starts.
    LoadServerAddresses(ServerAddressesIniPath());
}

void BTFixture::WriteGame(const std::wstring& folder) {
    // The last, small file carries this test's own tag: a game of another
    // test, or of a test program running at the same time, has another info
    // hash, so a peer that reaches the wrong session is turned away at the
    // handshake instead of trading pieces.
    uint32_t seed = 40;
    for (const VQGameFile& f : kBTGameFiles) {
        std::string bytes = MakeTestBytes(f.size, seed++);
        if (&f == &kBTGameFiles[2])
            bytes = tag_.substr(0, f.size);
        ASSERT_TRUE(scratch_.WriteFile(folder + L"\\" + f.path, bytes));
    }
}

void BTFixture::ExpectSameGame(const std::wstring& a, const std::wstring& b) {
    for (const VQGameFile& f : kBTGameFiles) {
        std::wstring md5 = Md5OfFile(scratch_.PathOf(a + L"\\" + f.path));
        EXPECT_FALSE(md5.empty()) << WideToUtf8(f.path);
        EXPECT_EQ(md5, Md5OfFile(scratch_.PathOf(b + L"\\" + f.path))) << WideToUtf8(f.path);
    }
}

void BTFixture::WriteInfo(uint32_t id, const std::wstring& type, const std::wstring& md5, const std::wstring& size,
                          const std::wstring& torrentUrl, const std::wstring& downloadUrl,
                          const std::wstring& fileName) {
    std::wstring xml = L"<?xml version=\"1.0\"?>\n<FILE>";
    auto add = [&](const wchar_t* tag, const std::wstring& text) {
        if (!text.empty())
            xml += std::wstring(L"<") + tag + L">" + text + L"</" + tag + L">";
    };
    add(L"DownloadType", type);
    add(L"DownloadUrl", downloadUrl);
    add(L"Md5", md5);
    add(L"FileSize", size);
    add(L"FileName", fileName);
    add(L"TorrentUrl", torrentUrl);
    xml += L"</FILE>\n";
    wchar_t name[40];
    _snwprintf(name, 40, L"srv\\query_url\\%05u.xml", id);
    ASSERT_TRUE(scratch_.WriteFile(name, WideToUtf8(xml)));
}

void BTFixture::WriteGameInfo(uint32_t id) {
    // The web seed leads nowhere: the bytes come from the peer.
    WriteInfo(id, L"2", L"{md5:game.torrent}", L"{size:game.torrent}", L"{base}/files/game.torrent",
              L"http://127.0.0.1:9/none/", L"game");
}

}  // namespace Test
}  // namespace Tessar
