// The harness that starts Unix servers from the Windows test programs.
#include "tests/support/LocalServer.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstdlib>
#include <string>

namespace Tessar {
namespace Test {
namespace {

std::string HttpGet(uint16_t port, const std::string& path) {
  WSADATA wsa;
  WSAStartup(MAKEWORD(2, 2), &wsa);
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in addr = {};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(port);
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  std::string reply;
  if (connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0) {
    std::string req = "GET " + path + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n";
    send(s, req.data(), static_cast<int>(req.size()), 0);
    char buf[4096];
    int n;
    while ((n = recv(s, buf, sizeof(buf), 0)) > 0) reply.append(buf, n);
  }
  closesocket(s);
  WSACleanup();
  return reply;
}

TEST(LocalServer, StartsAnswersAndStopsByPid) {
  VQLocalServer server;
  ASSERT_TRUE(server.Start({"/usr/bin/python3", SourceDirUnix() + "/tests/support/servers/echo_server.py"}));
  ASSERT_NE(0, server.Port());
  std::string reply = HttpGet(server.Port(), "/hello");
  EXPECT_NE(std::string::npos, reply.find("200")) << reply;
  EXPECT_NE(std::string::npos, reply.find("\r\n\r\n/hello")) << reply;

  uint16_t port = server.Port();
  server.Stop();
  EXPECT_FALSE(server.Running());
  EXPECT_EQ("", HttpGet(port, "/hello"));
}

TEST(LocalServer, FailsWhenTheProgramNeverAnnounces) {
  VQLocalServer server;
  EXPECT_FALSE(server.Start({"/bin/false"}, 2000));
  EXPECT_FALSE(server.Running());
}

// Puts an environment variable aside for the scope and back after it.
class UnsetVariable {
 public:
  explicit UnsetVariable(const char* name) : name_(name) {
    const char* value = std::getenv(name);
    had_ = value != nullptr;
    if (had_) saved_ = value;
    _putenv_s(name, "");
  }
  ~UnsetVariable() { _putenv_s(name_, had_ ? saved_.c_str() : ""); }

 private:
  const char* name_;
  bool had_ = false;
  std::string saved_;
};

// Run without the variables ctest sets, a server test fails at once and
// says why, instead of finding nothing or waiting for a server that never
// comes.
TEST(LocalServer, MissingVariablesFailTheTestWithAMessage) {
  for (const char* name : {"VQ_SOURCE_DIR", "VQ_BINARY_DIR"}) {
    UnsetVariable unset(name);
    std::string folder = "x";
    EXPECT_NONFATAL_FAILURE(folder = std::string(name) == "VQ_SOURCE_DIR" ? SourceDirUnix() : BinaryDirUnix(),
                            std::string(name) + " is not set");
    EXPECT_EQ("", folder);
  }
  UnsetVariable unset("VQ_SOURCE_DIR");
  std::string script;
  EXPECT_NONFATAL_FAILURE(script = SourceDirUnix() + "/tests/support/servers/echo_server.py", "is not set");
  VQLocalServer server;
  bool started = true;
  const DWORD before = GetTickCount();
  EXPECT_NONFATAL_FAILURE(started = server.Start({"/usr/bin/python3", script}), "not found");
  EXPECT_FALSE(started);
  EXPECT_FALSE(server.Running());
  EXPECT_LT(GetTickCount() - before, 10000u) << "failed at once, not after the start wait";
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
