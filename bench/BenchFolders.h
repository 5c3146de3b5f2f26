#pragma once
// Folders of the benchmarks that run the real programs: where the benchmark
// lies, and a copy of the build's program folder to run from.

#include <string>

namespace Tessar {
namespace Bench {

// The folder of the running benchmark program.
std::wstring OwnFolder();
// Copies the folder with everything below it; false on the first file that fails.
bool CopyTree(const std::wstring& source, const std::wstring& target);

}  // namespace Bench
}  // namespace Tessar
