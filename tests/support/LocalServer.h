// Servers on 127.0.0.1 that a test starts and stops itself: Unix programs
// (Python's standard library, nginx) started from the Windows test program
// under Wine, which runs Unix executables through CreateProcess.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Tessar {
namespace Test {

// The project's source and build folders as Unix paths (set by ctest and
// scripts/run-test); when one is not set, the calling test fails with a
// message saying so and the result is empty. The Windows form of a Unix
// path (Wine maps Z: to /).
std::string SourceDirUnix();
std::string BinaryDirUnix();
std::wstring UnixToWindowsPath(const std::string& unixPath);

// Runs a Unix program to its end; returns false when it could not start.
// A program or script (argv[0], or argv[1] ending in .py or .sh) that does
// not exist fails the calling test at once.
bool RunUnixProgram(const std::vector<std::string>& argv, unsigned timeoutMs = 30000);

class VQLocalServer {
 public:
  VQLocalServer() = default;
  ~VQLocalServer();
  VQLocalServer(const VQLocalServer&) = delete;
  VQLocalServer& operator=(const VQLocalServer&) = delete;

  // Starts argv with "--ready-file PATH" appended; a missing program or
  // script fails the calling test at once, as in RunUnixProgram. The server binds
  // 127.0.0.1 on a port of its choice, then writes "PID PORT\n" to PATH
  // (atomically: a temporary file renamed into place). Waits up to
  // timeoutMs (Wine does not always report a Unix program's end; a loaded
  // machine can take many seconds to start Python).
  bool Start(const std::vector<std::string>& argv, unsigned timeoutMs = 60000);

  // Ends the server by its pid and waits until it is gone.
  void Stop();

  bool Running() const { return pid_ != 0; }
  uint16_t Port() const { return port_; }
  unsigned long Pid() const { return pid_; }
  // "http://127.0.0.1:PORT" followed by path (which starts with '/').
  std::wstring Url(const std::wstring& path) const;

 private:
  unsigned long pid_ = 0;
  uint16_t port_ = 0;
};

}  // namespace Test
}  // namespace Tessar
