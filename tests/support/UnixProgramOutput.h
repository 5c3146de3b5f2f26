// Runs a Unix program from a Windows test under Wine and hands back what it
// printed: a shell sends its output to files under /tmp, which are read and
// deleted once the shell has written the program's exit status.
#pragma once

#include <string>
#include <vector>

namespace Tessar {
namespace Test {

struct UnixProgramOutput {
  bool ended = false;  // the program ran to its end within the time-out
  int exitCode = -1;
  std::string out;     // standard output
  std::string err;     // standard error
};

UnixProgramOutput RunUnixProgramForOutput(const std::vector<std::string>& argv, unsigned timeoutMs = 30000);

}  // namespace Test
}  // namespace Tessar
