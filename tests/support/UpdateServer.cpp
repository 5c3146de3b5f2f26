#include <winsock2.h>  // before windows.h

#include "tests/support/UpdateServer.h"

#include <windows.h>

#include <sstream>

namespace Tessar {
namespace Test {

namespace {

// A plain HTTP/1.0 GET; the whole reply, or empty when nothing came.
std::string RawGetOnPort(uint16_t port, const std::string& target) {
  WSADATA wsa;
  if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0) return std::string();
  std::string reply;
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s != INVALID_SOCKET) {
    sockaddr_in addr = {};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0) {
      std::string request = "GET " + target + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n";
      send(s, request.data(), static_cast<int>(request.size()), 0);
      char buffer[4096];
      int n;
      while ((n = recv(s, buffer, sizeof(buffer), 0)) > 0) reply.append(buffer, n);
    }
    closesocket(s);
  }
  WSACleanup();
  return reply;
}

}  // namespace

std::string WindowsToUnixPath(const std::wstring& windowsPath) {
  typedef char*(CDECL * ToUnix)(const wchar_t*);
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  ToUnix toUnix = kernel ? reinterpret_cast<ToUnix>(GetProcAddress(kernel, "wine_get_unix_file_name")) : nullptr;
  if (!toUnix) return std::string();
  char* unixPath = toUnix(windowsPath.c_str());
  if (!unixPath) return std::string();
  std::string result(unixPath);
  HeapFree(GetProcessHeap(), 0, unixPath);
  return result;
}

bool VQUpdateServer::Start(const std::wstring& rootFolder) {
  std::string root = WindowsToUnixPath(rootFolder);
  if (root.empty()) return false;
  return server_.Start(
      {"/usr/bin/python3", SourceDirUnix() + "/tests/support/servers/update_server.py", "--root", root});
}

bool VQUpdateServer::StartDemoWorld(const std::wstring& programFolder, const std::wstring& scratchFolder) {
  std::string program = WindowsToUnixPath(programFolder);
  std::string scratch = WindowsToUnixPath(scratchFolder);
  std::string build = BinaryDirUnix();
  if (program.empty() || scratch.empty() || build.empty()) return false;
  // Seeders announce themselves only once the tracker lists them.
  return server_.Start({"/usr/bin/python3", SourceDirUnix() + "/tests/support/servers/demo_world.py", "--build", build,
                        "--program", program, "--root", scratch},
                       180000);
}

std::vector<std::string> VQUpdateServer::FetchLog(bool clear) const {
  std::vector<std::string> lines;
  if (!server_.Running()) return lines;
  std::string reply = RawGet(clear ? "/__requests?clear=1" : "/__requests");
  size_t body = reply.find("\r\n\r\n");
  if (body == std::string::npos) return lines;
  std::istringstream in(reply.substr(body + 4));
  std::string line;
  while (std::getline(in, line))
    if (!line.empty()) lines.push_back(line);
  return lines;
}

std::string VQUpdateServer::RawGet(const std::string& target) const {
  return server_.Running() ? RawGetOnPort(server_.Port(), target) : std::string();
}

std::vector<std::string> VQUpdateServer::Requests() const { return FetchLog(false); }

void VQUpdateServer::ClearRequests() const { FetchLog(true); }

}  // namespace Test
}  // namespace Tessar
