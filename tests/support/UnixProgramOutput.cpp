#include "tests/support/UnixProgramOutput.h"

#include "tests/support/LocalServer.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace Tessar {
namespace Test {

namespace {

// The file's bytes, and the file deleted; false when it cannot be read.
bool TakeFile(const std::string& unixPath, std::string& bytes) {
  const std::wstring path = UnixToWindowsPath(unixPath);
  FILE* f = _wfopen(path.c_str(), L"rb");
  if (!f) return false;
  char buffer[4096];
  size_t n = 0;
  while ((n = fread(buffer, 1, sizeof(buffer), f)) > 0) bytes.append(buffer, n);
  fclose(f);
  DeleteFileW(path.c_str());
  return true;
}

}  // namespace

UnixProgramOutput RunUnixProgramForOutput(const std::vector<std::string>& argv, unsigned timeoutMs) {
  static std::atomic<unsigned> counter{0};
  // Windows process ids repeat between Wine prefixes: the clock tells
  // concurrent test runs apart.
  LARGE_INTEGER now = {};
  QueryPerformanceCounter(&now);
  const std::string base = "/tmp/vq-test-output-" + std::to_string(GetCurrentProcessId()) + "-" +
                           std::to_string(now.QuadPart) + "-" + std::to_string(++counter);
  // The status file is renamed into place last, so its presence means the
  // output files are complete.
  std::vector<std::string> shell = {
      "/bin/sh", "-c",
      "base=$1; shift; \"$@\" >\"$base.out\" 2>\"$base.err\"; echo $? >\"$base.part\"; "
      "mv \"$base.part\" \"$base.status\"",
      "sh", base};
  shell.insert(shell.end(), argv.begin(), argv.end());

  UnixProgramOutput result;
  // Wine hands back no process handle that can be waited on for a Unix
  // program, so the status file tells when it has ended.
  RunUnixProgram(shell, timeoutMs);
  std::string status;
  for (unsigned waited = 0; !(result.ended = TakeFile(base + ".status", status)) && waited < timeoutMs;
       waited += 20)
    Sleep(20);
  TakeFile(base + ".out", result.out);
  TakeFile(base + ".err", result.err);
  if (result.ended) result.exitCode = std::atoi(status.c_str());
  return result;
}

}  // namespace Test
}  // namespace Tessar
