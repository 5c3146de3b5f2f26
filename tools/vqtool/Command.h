// vqtool: the developer's fixture maker. Each sub-command lives in a file of
// its own and registers itself with a static VQToolCommand object.
#pragma once

#include <string>
#include <vector>

namespace Tessar {

using VQToolArgs = std::vector<std::wstring>;
using VQToolRun = int (*)(const VQToolArgs& args);

struct VQToolCommand {
  VQToolCommand(const wchar_t* name, const wchar_t* usage, VQToolRun run);
  const wchar_t* name;
  const wchar_t* usage;
  VQToolRun run;
};

const std::vector<const VQToolCommand*>& ToolCommands();

// Prints "vqtool: <text>" to standard error; returns 1 for use as an exit code.
int ToolError(const std::wstring& text);

}  // namespace Tessar
