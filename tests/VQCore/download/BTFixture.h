// The peer-to-peer tests' world: the process's VQBTManager on a download
// folder the test owns, the update server answering query_url.php with a
// torrent it serves, the small tracker, and aria2c seeding the game.
#pragma once

#include "VQCore/download/BTManager.h"
#include "VQCore/download/DownloadQueue.h"
#include "tests/VQCore/download/DownloadObserver.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TorrentSwarm.h"
#include "tests/support/UpdateServer.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace Tessar {
namespace Test {

// The game every test downloads: a subfolder and a Chinese file name.
struct VQGameFile {
    const wchar_t* path;
    size_t size;
};
extern const VQGameFile kBTGameFiles[3];

VQBTManager& BTManager();
// True once pred holds, polled every 50 ms for at most timeoutMs.
bool WaitUntil(const std::function<bool()>& pred, unsigned timeoutMs);

class BTFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes the game below root\name of the scratch folder.
    void WriteGame(const std::wstring& folder);
    // Each game file of a equals that of b.
    void ExpectSameGame(const std::wstring& a, const std::wstring& b);
    // The reply of query_url.php for the id; empty texts are left out.
    void WriteInfo(uint32_t id, const std::wstring& type, const std::wstring& md5, const std::wstring& size,
                   const std::wstring& torrentUrl, const std::wstring& downloadUrl, const std::wstring& fileName);
    // The usual reply: the game's torrent from the update server.
    void WriteGameInfo(uint32_t id);
    std::wstring DownloadFolder() const { return scratch_.PathOf(L"down"); }

    std::string tag_;        // this test's own bytes in every game it writes
    VQTempFolder scratch_;   // seed\game (aria2c's copy), srv (update root), down (download folder)
    VQTracker tracker_;
    VQUpdateServer update_;
    VQAria2Peer seeder_;
    VQRecordingObserver observer_;
    std::unique_ptr<VQDownloadQueue> queue_;
};

}  // namespace Test
}  // namespace Tessar
