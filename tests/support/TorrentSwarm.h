// Peers for the peer-to-peer tests, all on 127.0.0.1 and all ended by pid:
// the small tracker (servers/tracker_server.py), aria2c seeding or fetching
// a torrent (servers/aria2_peer.py), and torrent files made by
// servers/make_torrent.py. Paths are Windows paths; the scripts get their
// Unix form.
#pragma once

#include "tests/support/LocalServer.h"

#include <string>
#include <vector>

namespace Tessar {
namespace Test {

// Text of exactly size characters that no other call gives (but by chance),
// in this test program or in one running at the same time: the same game
// content in two tests would give two sessions the same info hash.
std::string UniqueTestText(size_t size);

// Makes a torrent of a file or folder. tracker: announce URL or empty.
bool MakeTorrent(const std::wstring& source, const std::wstring& torrent, const std::string& tracker,
                 const std::vector<std::string>& webSeeds = {}, unsigned pieceLength = 64 * 1024,
                 unsigned timeoutMs = 120000);

class VQTracker {
 public:
  bool Start();
  void Stop() { server_.Stop(); }
  // "http://127.0.0.1:PORT/announce"
  std::string AnnounceUrl() const;
  // True when the tracker lists a peer on that port that has everything
  // (announced "left=0").
  bool ListsSeederOnPort(uint16_t port) const;

 private:
  VQLocalServer server_;
};

class VQAria2Peer {
 public:
  // Seeds the content of torrent found below folder; returns once the
  // tracker lists aria2c as a seeder.
  bool StartSeed(const std::wstring& torrent, const std::wstring& folder);
  // Downloads torrent into folder once the tracker lists a seeder.
  bool StartFetch(const std::wstring& torrent, const std::wstring& folder);
  // aria2c's exit code once the fetch ended, -1 when it did not within
  // timeoutMs (0 is a complete download).
  int WaitFetch(unsigned timeoutMs);
  void Stop() { server_.Stop(); }
  uint16_t Port() const { return server_.Port(); }

 private:
  VQLocalServer server_;
  std::wstring doneFile_;
};

}  // namespace Test
}  // namespace Tessar
