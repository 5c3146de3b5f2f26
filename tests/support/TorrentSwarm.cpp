#include "tests/support/TorrentSwarm.h"

#include "common/CodePage.h"
#include "common/HttpGetter.h"
#include "common/Md5.h"
#include "tests/support/UpdateServer.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <sstream>

namespace Tessar {
namespace Test {

namespace {

std::string Script(const char* name) { return SourceDirUnix() + "/tests/support/servers/" + name; }

}  // namespace

std::string UniqueTestText(size_t size) {
  static std::atomic<unsigned> counter{0};
  LARGE_INTEGER now = {};
  QueryPerformanceCounter(&now);
  // Windows process ids repeat between Wine prefixes; the clock tells
  // concurrent runs apart. The digest spreads every part over the text.
  std::string seed = std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter) + "-" +
                     std::to_string(now.QuadPart);
  std::string text;
  while (text.size() < size) {
    seed = WideToNarrow(Md5OfBuffer(reinterpret_cast<const unsigned char*>(seed.data()),
                                    static_cast<int32_t>(seed.size())));
    text += seed;
  }
  text.resize(size);
  return text;
}

bool MakeTorrent(const std::wstring& source, const std::wstring& torrent, const std::string& tracker,
                 const std::vector<std::string>& webSeeds, unsigned pieceLength, unsigned timeoutMs) {
  std::string sourceUnix = WindowsToUnixPath(source);
  std::string torrentUnix = WindowsToUnixPath(torrent);
  if (sourceUnix.empty() || torrentUnix.empty()) return false;
  std::vector<std::string> argv = {"/usr/bin/python3", Script("make_torrent.py"), "--source", sourceUnix,
                                   "--out", torrentUnix, "--piece-length", std::to_string(pieceLength)};
  if (!tracker.empty()) {
    argv.push_back("--tracker");
    argv.push_back(tracker);
  }
  for (const std::string& url : webSeeds) {
    argv.push_back("--web-seed");
    argv.push_back(url);
  }
  DeleteFileW(torrent.c_str());
  // Wine may report a Unix program's end at once; the maker renames its
  // finished output into place, so the file's arrival is the end.
  RunUnixProgram(argv, timeoutMs);
  for (unsigned waited = 0; waited < timeoutMs; waited += 50) {
    if (GetFileAttributesW(torrent.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    Sleep(50);
  }
  return false;
}

bool VQTracker::Start() { return server_.Start({"/usr/bin/python3", Script("tracker_server.py")}); }

std::string VQTracker::AnnounceUrl() const {
  return "http://127.0.0.1:" + std::to_string(server_.Port()) + "/announce";
}

bool VQTracker::ListsSeederOnPort(uint16_t port) const {
  VQBuffer<unsigned char> reply;
  uint32_t length = 0;
  if (!HttpGetToMemory(server_.Url(L"/peers"), reply, length)) return false;
  std::istringstream lines(std::string(reinterpret_cast<const char*>(reply.data), length));
  std::string line;
  while (std::getline(lines, line)) {
    unsigned listed = 0;
    unsigned long long left = 1;
    if (sscanf(line.c_str(), "%u %llu", &listed, &left) == 2 && listed == port && left == 0) return true;
  }
  return false;
}

bool VQAria2Peer::StartSeed(const std::wstring& torrent, const std::wstring& folder) {
  return server_.Start({"/usr/bin/python3", Script("aria2_peer.py"), "--seed", "--torrent",
                        WindowsToUnixPath(torrent), "--dir", WindowsToUnixPath(folder)},
                       120000);
}

bool VQAria2Peer::StartFetch(const std::wstring& torrent, const std::wstring& folder) {
  static std::atomic<unsigned> counter{0};
  LARGE_INTEGER now = {};
  QueryPerformanceCounter(&now);
  std::string done = "/tmp/vq-aria2-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(now.QuadPart) +
                     "-" + std::to_string(++counter) + ".done";
  doneFile_ = UnixToWindowsPath(done);
  DeleteFileW(doneFile_.c_str());
  return server_.Start({"/usr/bin/python3", Script("aria2_peer.py"), "--fetch", "--torrent",
                        WindowsToUnixPath(torrent), "--dir", WindowsToUnixPath(folder), "--done-file", done});
}

int VQAria2Peer::WaitFetch(unsigned timeoutMs) {
  for (unsigned waited = 0; waited <= timeoutMs; waited += 100) {
    FILE* f = _wfopen(doneFile_.c_str(), L"rb");
    if (f) {
      int code = -1;
      int got = fscanf(f, "%d", &code);
      fclose(f);
      if (got == 1) {
        DeleteFileW(doneFile_.c_str());
        return code;
      }
    }
    Sleep(100);
  }
  return -1;
}

}  // namespace Test
}  // namespace Tessar
