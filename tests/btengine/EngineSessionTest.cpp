// The engine session on its own: ports, settings, torrent files and the
// record file; no peers.
#include <gtest/gtest.h>
#include <winsock2.h>

#include "common/CodePage.h"
#include "tests/btengine/EngineFixture.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TorrentSwarm.h"
#include "tests/support/WebRoot.h"

namespace Tessar {
namespace Test {
namespace {

// A TCP port on every address held by the test, so the engine cannot bind it.
class VQHeldPort {
 public:
  VQHeldPort() {
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    socket_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr = {};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_ANY);
    if (bind(socket_, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0 && listen(socket_, 1) == 0) {
      int len = sizeof(addr);
      getsockname(socket_, reinterpret_cast<sockaddr*>(&addr), &len);
      port_ = ntohs(addr.sin_port);
    }
  }
  ~VQHeldPort() {
    closesocket(socket_);
    WSACleanup();
  }
  uint16_t Port() const { return port_; }

 private:
  SOCKET socket_ = INVALID_SOCKET;
  uint16_t port_ = 0;
};

std::string Ansi(const std::wstring& text) { return WideToCodePage(CP_ACP, text); }

TEST(EngineSession, ListensOnTheFirstFreePortOfItsRange) {
  const VQEngineLibrary& library = EngineLibrary();
  ASSERT_TRUE(library.Loaded());
  VQTempFolder folder;
  VQHeldPort held;
  ASSERT_NE(0, held.Port());
  ASSERT_LT(held.Port(), 65000);

  VQSessionHolder session(library, library.Create(held.Port(), held.Port() + 5, Ansi(folder.Path())));
  ASSERT_NE(nullptr, session.get());
  uint16_t port = session->GetListenPort();
  EXPECT_GT(port, held.Port());
  EXPECT_LE(port, held.Port() + 5);
  BTSessionSettings settings;
  session->GetSettings(&settings);
  EXPECT_EQ(port, settings.words[kBTSetListenPort]);
  // Discovery and port mapping stay off unless asked for.
  EXPECT_EQ(0u, settings.words[kBTSetFeatures]);
}

TEST(EngineSession, FailsWhenNoPortOfTheRangeIsFree) {
  const VQEngineLibrary& library = EngineLibrary();
  ASSERT_TRUE(library.Loaded());
  VQTempFolder folder;
  VQHeldPort held;
  ASSERT_NE(0, held.Port());
  IBTSession* session = library.Create(held.Port(), held.Port(), Ansi(folder.Path()));
  EXPECT_EQ(nullptr, session);
  if (session) library.Delete(session);
}

TEST(EngineSession, KeepsTheSettingsItIsGiven) {
  const VQEngineLibrary& library = EngineLibrary();
  ASSERT_TRUE(library.Loaded());
  VQTempFolder folder;
  VQSessionHolder session(library, library.Create(30100, 30199, Ansi(folder.Path())));
  ASSERT_NE(nullptr, session.get());
  BTSessionSettings settings;
  session->GetSettings(&settings);
  uint32_t port = settings.words[kBTSetListenPort];
  settings.words[kBTSetDownloadRate] = 34 * 1024;
  settings.words[kBTSetUploadRate] = 35 * 1024;
  settings.words[kBTSetTimerMs] = 5;  // below the floor
  settings.words[kBTSetListenPort] = 1;  // read only
  settings.words[9] = 7;                  // reserved
  session->SetSettings(settings);
  BTSessionSettings back;
  session->GetSettings(&back);
  EXPECT_EQ(34u * 1024, back.words[kBTSetDownloadRate]);
  EXPECT_EQ(35u * 1024, back.words[kBTSetUploadRate]);
  EXPECT_EQ(100u, back.words[kBTSetTimerMs]);
  EXPECT_EQ(port, back.words[kBTSetListenPort]);
  EXPECT_EQ(0u, back.words[9]);
}

TEST(EngineSession, ParsesTorrentFilesAndRejectsOthers) {
  const VQEngineLibrary& library = EngineLibrary();
  ASSERT_TRUE(library.Loaded());
  VQTempFolder folder;
  ASSERT_TRUE(folder.WriteFile(L"content\\a.bin", MakeTestBytes(200000, 1)));
  ASSERT_TRUE(folder.WriteFile(L"content\\sub\\b.bin", MakeTestBytes(1000, 2)));
  ASSERT_TRUE(MakeTorrent(folder.PathOf(L"content"), folder.PathOf(L"good.torrent"), "", {}, 16384));
  ASSERT_TRUE(folder.WriteFile(L"bad.torrent", "d4:infod4:name1:xee"));
  ASSERT_TRUE(folder.WriteFile(L"text.torrent", "hello"));
  VQSessionHolder session(library, library.Create(30200, 30299, Ansi(folder.Path())));
  ASSERT_NE(nullptr, session.get());

  BTTorrentSummary summary = {};
  EXPECT_TRUE(session->ParseTorrentFile(Ansi(folder.PathOf(L"good.torrent")), &summary));
  EXPECT_EQ(201000u, summary.totalBytes);
  EXPECT_EQ(2u, summary.fileCount);
  EXPECT_EQ(16384u, summary.pieceBytes);
  EXPECT_TRUE(session->ParseTorrentFile(Ansi(folder.PathOf(L"good.torrent")), nullptr));
  for (const wchar_t* name : {L"bad.torrent", L"text.torrent", L"missing.torrent"})
    EXPECT_FALSE(session->ParseTorrentFile(Ansi(folder.PathOf(name)), nullptr)) << Ansi(name);
}

TEST(EngineSession, AddTaskWritesTheTorrentBytesUnchangedAndReleasesWithFiles) {
  const VQEngineLibrary& library = EngineLibrary();
  ASSERT_TRUE(library.Loaded());
  VQTempFolder folder;
  ASSERT_TRUE(folder.WriteFile(L"content\\a.bin", MakeTestBytes(50000, 3)));
  ASSERT_TRUE(MakeTorrent(folder.PathOf(L"content"), folder.PathOf(L"made.torrent"), "", {}, 16384));
  std::string bytes = folder.ReadFile(L"made.torrent");
  ASSERT_FALSE(bytes.empty());
  ASSERT_TRUE(folder.MakeFolder(L"下载"));
  VQSessionHolder session(library, library.Create(30300, 30399, Ansi(folder.Path())));
  ASSERT_NE(nullptr, session.get());

  std::string save = Ansi(folder.PathOf(L"下载"));
  std::string record = Ansi(folder.PathOf(L"下载\\content.vql"));
  const char* seeds[] = {"http://127.0.0.1:9/none"};
  BTOpenParams params = {save.c_str(), record.c_str(), 1, reinterpret_cast<const uint8_t*>(bytes.data()),
                         static_cast<uint32_t>(bytes.size()), 0, seeds, 1};
  VQRecordingCallback callback;
  std::string error;
  IBTTask* task = session->AddTask(&params, &callback, &error);
  ASSERT_NE(nullptr, task) << error;
  EXPECT_EQ(bytes, folder.ReadFile(L"下载\\content.vql"));
  std::string path;
  ASSERT_TRUE(task->GetSavePath(&path));
  EXPECT_EQ(save, path);
  std::string name;
  ASSERT_TRUE(task->GetTorrentInfo()->GetName(&name));
  EXPECT_EQ("content", name);
  EXPECT_EQ(&callback, task->GetCallback());
  BTTaskStatus status;
  ASSERT_TRUE(task->GetStatus(&status));
  EXPECT_EQ(kBTStateStopped, status.state);
  EXPECT_EQ(50000u, status.bytesTotal);
  EXPECT_EQ(50000u, status.bytesLeft);

  // The same torrent twice is refused while the first is open.
  EXPECT_EQ(nullptr, session->AddTask(&params, &callback, &error));
  EXPECT_FALSE(error.empty());

  // The content is deleted by the time the release returns: a deletion
  // left pending would take files written after it.
  ASSERT_TRUE(folder.WriteFile(L"下载\\content\\a.bin", MakeTestBytes(50000, 3)));
  session->ReleaseTask(task, kBTReleaseDeleteFiles);
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(folder.PathOf(L"下载\\content\\a.bin").c_str()));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(folder.PathOf(L"下载\\content.vql").c_str()));
  // Without an open task, removal by path deletes the content and record.
  ASSERT_TRUE(folder.WriteFile(L"下载\\again.vql", bytes));
  ASSERT_TRUE(folder.WriteFile(L"下载\\content\\a.bin", MakeTestBytes(50000, 3)));
  session->RemoveTaskByPath(Ansi(folder.PathOf(L"下载\\again.vql")), kBTReleaseKeepFiles);
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(folder.PathOf(L"下载\\again.vql").c_str()));
  session->RemoveTaskByPath(Ansi(folder.PathOf(L"下载\\again.vql")), kBTReleaseDeleteFiles);
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(folder.PathOf(L"下载\\again.vql").c_str()));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(folder.PathOf(L"下载\\content\\a.bin").c_str()));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(folder.PathOf(L"下载\\content").c_str()));
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
