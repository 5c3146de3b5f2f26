#pragma once
// The manager's command line: only the first argument counts.
//   "-background"             start hidden (whole word, any letter case)
//   "-update_data"            run the data-update jobs and end, no window
//   "-exec_app=00042.{args}"  run an installed game (desktop shortcuts)

#include <cstdint>
#include <string>

namespace Tessar {

enum VQStartFlag : uint32_t {
    kStartBackground = 1,
    kStartUpdateData = 2,
    kStartExecApp = 4,
};

// A game-start request: game id (0 when none could be read) and the
// arguments that were written in braces.
struct VQExecRequest {
    uint32_t gameId = 0;
    std::wstring arguments;
};

struct VQCommandLine {
    uint32_t flags = 0;
    VQExecRequest exec;
    std::wstring firstArgument;  // argv[1] unchanged; empty without one
};

// Reads one first argument into flags and the exec request.
VQCommandLine ParseFirstArgument(const std::wstring& argument);
// The process's own command line (CommandLineToArgvW over GetCommandLineW).
VQCommandLine ParseProcessCommandLine();

}  // namespace Tessar
