#include "tools/vqtool/Command.h"

#include <cstdio>

namespace Tessar {

static std::vector<const VQToolCommand*>& Registry() {
  static std::vector<const VQToolCommand*> commands;
  return commands;
}

VQToolCommand::VQToolCommand(const wchar_t* name_, const wchar_t* usage_, VQToolRun run_)
    : name(name_), usage(usage_), run(run_) {
  Registry().push_back(this);
}

const std::vector<const VQToolCommand*>& ToolCommands() { return Registry(); }

int ToolError(const std::wstring& text) {
  fwprintf(stderr, L"vqtool: %ls\n", text.c_str());
  return 1;
}

}  // namespace Tessar

static int Usage() {
  fwprintf(stderr, L"usage: vqtool COMMAND ARGS...\n");
  for (const Tessar::VQToolCommand* c : Tessar::ToolCommands())
    fwprintf(stderr, L"  vqtool %ls %ls\n", c->name, c->usage);
  return 2;
}

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return Usage();
  for (const Tessar::VQToolCommand* c : Tessar::ToolCommands()) {
    if (std::wstring(argv[1]) == c->name) {
      Tessar::VQToolArgs args(argv + 2, argv + argc);
      return c->run(args);
    }
  }
  return Usage();
}
