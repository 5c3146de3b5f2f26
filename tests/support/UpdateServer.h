// The local update server of the tests (servers/update_server.py): serves a
// folder the test owns on 127.0.0.1 and answers the update and statistics
// endpoints; the script's header gives the reply files, placeholders and
// the /__fault/KIND prefix that makes it misbehave.
#pragma once

#include "tests/support/LocalServer.h"

#include <string>
#include <vector>

namespace Tessar {
namespace Test {

// The Unix path of a Windows path (Wine's own mapping); empty on failure.
std::string WindowsToUnixPath(const std::wstring& windowsPath);

class VQUpdateServer {
 public:
  // Serves the folder (a Windows path). False when the server did not start.
  bool Start(const std::wstring& rootFolder);
  // The demo world of `bash scripts/run` (servers/demo_world.py, on the
  // build's demo world) for a manager's program folder, whose servers.ini
  // it points at itself: its update server is this one (Requests and the
  // rest ask it), and its file server, tracker and seeders end with it.
  // The scratch folder (Windows path) receives its answers and seeds.
  bool StartDemoWorld(const std::wstring& programFolder, const std::wstring& scratchFolder);
  void Stop() { server_.Stop(); }

  uint16_t Port() const { return server_.Port(); }
  // "http://127.0.0.1:PORT" followed by path (which starts with '/').
  std::wstring Url(const std::wstring& path) const { return server_.Url(path); }
  // The same URL answered with a fault, e.g. Fault(L"short", L"/files/a").
  std::wstring Fault(const std::wstring& kind, const std::wstring& path) const {
    return server_.Url(L"/__fault/" + kind + path);
  }

  // Request targets received so far ("/path?query"), oldest first. Read
  // over a plain socket, so the log never depends on the code under test.
  std::vector<std::string> Requests() const;
  void ClearRequests() const;
  // The whole raw reply (status line, headers, body) to "GET target
  // HTTP/1.0" over a plain socket; empty when nothing came.
  std::string RawGet(const std::string& target) const;

 private:
  std::vector<std::string> FetchLog(bool clear) const;

  VQLocalServer server_;
};

}  // namespace Test
}  // namespace Tessar
