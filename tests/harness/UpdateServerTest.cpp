// The local update server's own rules (tests/support/servers/update_server.py),
// checked over plain sockets so that the tests of the HTTP code and of the
// data updates can rely on them.
#include <winsock2.h>  // before windows.h

#include "tests/support/TempFolder.h"
#include "tests/support/UpdateServer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Tessar {
namespace Test {
namespace {

std::string StatusLine(const std::string& reply) { return reply.substr(0, reply.find("\r\n")); }

std::string Body(const std::string& reply) {
  size_t end = reply.find("\r\n\r\n");
  return end == std::string::npos ? std::string() : reply.substr(end + 4);
}

bool HasHeader(const std::string& reply, const std::string& header) {
  return reply.substr(0, reply.find("\r\n\r\n")).find("\r\n" + header + "\r\n") != std::string::npos;
}

class UpdateServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(root_.Path().empty());
    // Served: the folder "served"; "secret.txt" lies beside it, outside.
    ASSERT_TRUE(root_.WriteFile(L"secret.txt", "outside the served folder"));
    ASSERT_TRUE(root_.WriteFile(L"served\\db.vqx", "0123456789"));
    ASSERT_TRUE(root_.WriteFile(L"served\\update_database\\V2.xml", "<FILE><DownloadUrl>None</DownloadUrl></FILE>"));
    ASSERT_TRUE(root_.WriteFile(L"served\\update_database\\default.xml",
                                "<FILE><DownloadUrl>{base}/files/db.vqx</DownloadUrl><Md5>{md5:db.vqx}</Md5>"
                                "<FileSize>{size:db.vqx}</FileSize></FILE>"));
    ASSERT_TRUE(root_.WriteFile(L"served\\update_icon\\00042.xml", "<FILE><DownloadUrl>icon 42</DownloadUrl></FILE>"));
    ASSERT_TRUE(root_.WriteFile(L"served\\update_icon.xml", "<FILE><DownloadUrl>any icon</DownloadUrl></FILE>"));
    ASSERT_TRUE(server_.Start(root_.PathOf(L"served")));
  }

  VQTempFolder root_;
  VQUpdateServer server_;
};

TEST_F(UpdateServerTest, ReplyFilesAreChosenByIdThenVerThenDefault) {
  const std::string base = "http://127.0.0.1:" + std::to_string(server_.Port());
  struct Case {
    const char* target;
    const char* status;
    std::string body;
  };
  const Case cases[] = {
      {"/update_database.php?soft=1.7&type=1&ver=V2", "200", "<FILE><DownloadUrl>None</DownloadUrl></FILE>"},
      {"/vq/update_database.php?soft=1.7&type=1&ver=V1", "200",
       "<FILE><DownloadUrl>" + base + "/files/db.vqx</DownloadUrl><Md5>781E5E245D69B566979B86E28D23F2C7</Md5>"
       "<FileSize>10</FileSize></FILE>"},
      {"/update_database.php?soft=1.7", "200",
       "<FILE><DownloadUrl>" + base + "/files/db.vqx</DownloadUrl><Md5>781E5E245D69B566979B86E28D23F2C7</Md5>"
       "<FileSize>10</FileSize></FILE>"},
      {"/update_icon.php?soft=1.7&id=00042", "200", "<FILE><DownloadUrl>icon 42</DownloadUrl></FILE>"},
      {"/update_icon.php?soft=1.7&id=flash", "200", "<FILE><DownloadUrl>any icon</DownloadUrl></FILE>"},
      {"/update_icon.php?soft=1.7&id=../secret", "200", "<FILE><DownloadUrl>any icon</DownloadUrl></FILE>"},
      {"/query_url.php?soft=1.7&id=00042", "404", "no reply file"},
      {"/update_database.php?type=1", "400", "soft missing"},
      {"/files/db.vqx", "200", "0123456789"},
      {"/files/../secret.txt", "404", "no such file"},
      {"/files/%2E%2E/secret.txt", "404", "no such file"},
      {"/install_complete.php?soft=1.7&id=00042", "200", "OK"},
      {"/install_complete.php?soft=1.7", "400", "id missing"},
      {"/online_stat.php?mac=000000000000&diskid=&ver=1.7", "200", "OK"},
      {"/online_stat.php?mac=000000000000&ver=1.7", "400", "diskid missing"},
      {"/stat.php?AAAA", "200", "OK"},
      {"/other.php", "404", "unknown endpoint"},
      {"/__fault/bogus/files/db.vqx", "400", "unknown fault"},
  };
  for (const Case& c : cases) {
    std::string reply = server_.RawGet(c.target);
    EXPECT_NE(std::string::npos, StatusLine(reply).find(c.status)) << c.target << "\n" << reply;
    EXPECT_EQ(c.body, Body(reply)) << c.target;
    EXPECT_TRUE(HasHeader(reply, "Content-Length: " + std::to_string(c.body.size()))) << c.target << "\n" << reply;
  }
}

TEST_F(UpdateServerTest, FaultsChangeTheReplyAsDocumented) {
  struct Case {
    const char* fault;
    const char* status;
    const char* header;  // a header line that must be there, or null
    std::string body;
  };
  const Case cases[] = {
      {"status-503", "503", "Content-Length: 5", "fault"},
      {"nolength", "200", nullptr, "0123456789"},
      {"zerolength", "200", "Content-Length: 0", ""},
      {"length-12abc", "200", "Content-Length: 12abc", "0123456789"},
      {"short", "200", "Content-Length: 10", "01234"},
      {"corrupt", "200", "Content-Length: 10", std::string("012345678") + static_cast<char>('9' ^ 0xFF)},
      {"stall-200", "200", "Content-Length: 10", "0123456789"},
      {"stallhead-200", "200", "Content-Length: 10", "0123456789"},
  };
  for (const Case& c : cases) {
    std::string reply = server_.RawGet(std::string("/__fault/") + c.fault + "/files/db.vqx");
    EXPECT_NE(std::string::npos, StatusLine(reply).find(c.status)) << c.fault << "\n" << reply;
    if (c.header) {
      EXPECT_TRUE(HasHeader(reply, c.header)) << c.fault << "\n" << reply;
    }
    EXPECT_EQ(c.body, Body(reply)) << c.fault;
  }
  EXPECT_EQ("", server_.RawGet("/__fault/close/files/db.vqx"));
  std::string noLength = server_.RawGet("/__fault/nolength/files/db.vqx");
  EXPECT_EQ(std::string::npos, noLength.find("Content-Length")) << noLength;
}

TEST_F(UpdateServerTest, LogsEveryRequestUntilCleared) {
  server_.RawGet("/update_database.php?soft=1.7&type=0");
  server_.RawGet("/__fault/close/files/db.vqx");
  server_.RawGet("/files/missing");
  std::vector<std::string> expected = {"/update_database.php?soft=1.7&type=0", "/__fault/close/files/db.vqx",
                                       "/files/missing"};
  EXPECT_EQ(expected, server_.Requests());
  server_.ClearRequests();
  EXPECT_TRUE(server_.Requests().empty());
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
