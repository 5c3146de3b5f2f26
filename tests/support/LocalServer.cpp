#include "tests/support/LocalServer.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace Tessar {
namespace Test {

namespace {

// A folder the test run names in its environment. Without it the test
// fails here with what to do, instead of looking for its scripts and
// fixtures in the wrong place.
std::string RequiredFolder(const char* name) {
  const char* v = std::getenv(name);
  if (v == nullptr || *v == '\0') {
    ADD_FAILURE() << name << " is not set: run the test program through ctest or "
                  << "\"bash scripts/run-test PROGRAM\", which set VQ_SOURCE_DIR and VQ_BINARY_DIR";
    return std::string();
  }
  return std::string(v);
}

bool UnixFileExists(const std::string& unixPath) {
  return GetFileAttributesW(UnixToWindowsPath(unixPath).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The program and a script it is given (an absolute path ending in .py or
// .sh) must exist: a missing one would otherwise show only as a server that
// never announces itself, after the whole wait.
bool ProgramFilesExist(const std::vector<std::string>& argv) {
  for (size_t i = 0; i < argv.size() && i < 2; ++i) {
    const std::string& path = argv[i];
    const bool script = path.size() > 3 && (path.compare(path.size() - 3, 3, ".py") == 0 ||
                                            path.compare(path.size() - 3, 3, ".sh") == 0);
    if ((i == 0 || script) && (path.empty() || path[0] != '/' || !UnixFileExists(path))) {
      ADD_FAILURE() << "test server program or script not found: \"" << path << "\"";
      return false;
    }
  }
  return !argv.empty();
}

std::wstring Widen(const std::string& s) {
  return std::wstring(s.begin(), s.end());  // Unix paths of the tests are ASCII
}

std::wstring QuoteArg(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) return Widen(arg);
  std::wstring out = L"\"";
  for (char c : arg) {
    if (c == '"') out += L'\\';
    out += static_cast<wchar_t>(static_cast<unsigned char>(c));
  }
  return out + L"\"";
}

bool StartUnixProcess(const std::vector<std::string>& argv, PROCESS_INFORMATION* pi) {
  std::wstring cmd;
  for (const std::string& a : argv) {
    if (!cmd.empty()) cmd += L' ';
    cmd += QuoteArg(a);
  }
  STARTUPINFOW si = {};
  si.cb = sizeof(si);
  // The child's standard handles are one NUL device handle kept for the
  // whole run, never ours: Wine, when a Unix child ends, may close the
  // descriptor behind the handles it was given, and a test program whose own
  // output went that way loses the rest of it.
  static HANDLE nul = [] {
    SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
    return CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa,
                       OPEN_EXISTING, 0, nullptr);
  }();
  if (nul != INVALID_HANDLE_VALUE) {
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = si.hStdOutput = si.hStdError = nul;
  }
  std::vector<wchar_t> buf(cmd.begin(), cmd.end());
  buf.push_back(0);
  if (!CreateProcessW(nullptr, buf.data(), nullptr, nullptr, nul != INVALID_HANDLE_VALUE, 0, nullptr, nullptr, &si,
                      pi))
    return false;
  // Wine starts a Unix program without a process handle and leaves the
  // thread handle field as it found it on its stack: closing that value
  // would close some other handle of this process (seen: the directory of
  // named objects, after which every CreateEvent failed).
  if (pi->hProcess == nullptr) pi->hThread = nullptr;
  return true;
}

bool UnixProcessAlive(unsigned long pid) {
  std::wstring path = UnixToWindowsPath("/proc/" + std::to_string(pid) + "/stat");
  FILE* f = _wfopen(path.c_str(), L"rb");
  if (!f) return false;
  char line[512] = {};
  size_t n = fread(line, 1, sizeof(line) - 1, f);
  fclose(f);
  // A zombie has left already; its parent (Wine) reaps it when it likes.
  const char* close = strrchr(line, ')');
  return n > 0 && !(close && close[1] == ' ' && close[2] == 'Z');
}

}  // namespace

std::string SourceDirUnix() { return RequiredFolder("VQ_SOURCE_DIR"); }
std::string BinaryDirUnix() { return RequiredFolder("VQ_BINARY_DIR"); }

std::wstring UnixToWindowsPath(const std::string& unixPath) {
  std::wstring out = L"Z:";
  for (char c : unixPath) out += (c == '/') ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c));
  return out;
}

bool RunUnixProgram(const std::vector<std::string>& argv, unsigned timeoutMs) {
  PROCESS_INFORMATION pi = {};
  if (!ProgramFilesExist(argv) || !StartUnixProcess(argv, &pi)) return false;
  DWORD wait = WaitForSingleObject(pi.hProcess, timeoutMs);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return wait == WAIT_OBJECT_0;
}

VQLocalServer::~VQLocalServer() { Stop(); }

bool VQLocalServer::Start(const std::vector<std::string>& argv, unsigned timeoutMs) {
  Stop();
  if (!ProgramFilesExist(argv)) return false;
  static std::atomic<unsigned> counter{0};
  // Windows process ids repeat between Wine prefixes: the clock tells
  // concurrent test runs apart.
  LARGE_INTEGER now = {};
  QueryPerformanceCounter(&now);
  std::string ready = "/tmp/vq-test-server-" + std::to_string(GetCurrentProcessId()) + "-" +
                      std::to_string(now.QuadPart) + "-" + std::to_string(++counter) + ".ready";
  std::wstring readyWin = UnixToWindowsPath(ready);
  DeleteFileW(readyWin.c_str());

  std::vector<std::string> full = argv;
  full.push_back("--ready-file");
  full.push_back(ready);
  PROCESS_INFORMATION pi = {};
  if (!StartUnixProcess(full, &pi)) return false;
  CloseHandle(pi.hThread);

  bool exited = false;
  for (unsigned waited = 0; waited <= timeoutMs && !exited; waited += 50) {
    // A program that ended before announcing itself will never do so.
    exited = WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0;
    FILE* f = _wfopen(readyWin.c_str(), L"rb");
    if (f) {
      unsigned long pid = 0;
      unsigned port = 0;
      int got = fscanf(f, "%lu %u", &pid, &port);
      fclose(f);
      if (got == 2 && pid != 0 && port != 0 && port < 65536) {
        DeleteFileW(readyWin.c_str());
        CloseHandle(pi.hProcess);
        pid_ = pid;
        port_ = static_cast<uint16_t>(port);
        return true;
      }
    }
    Sleep(50);
  }
  CloseHandle(pi.hProcess);
  return false;
}

void VQLocalServer::Stop() {
  if (pid_ == 0) return;
  RunUnixProgram({"/bin/kill", "-TERM", std::to_string(pid_)});
  for (int i = 0; i < 100 && UnixProcessAlive(pid_); ++i) Sleep(50);
  if (UnixProcessAlive(pid_)) RunUnixProgram({"/bin/kill", "-KILL", std::to_string(pid_)});
  pid_ = 0;
  port_ = 0;
}

std::wstring VQLocalServer::Url(const std::wstring& path) const {
  return L"http://127.0.0.1:" + std::to_wstring(port_) + path;
}

}  // namespace Test
}  // namespace Tessar
