#pragma once
// Whole-file saves through a temporary file beside the target, moved over
// it only when everything was written: a failed save never leaves half a
// file, and the old file stays as it was.

#include <cstdint>
#include <functional>
#include <string>

namespace Tessar {

// The writer fills the temporary file at the given path (it exists, empty)
// and says whether it succeeded. False when the target's folder does not
// exist, the writer fails or the move fails; the temporary file is gone
// afterwards in every case.
bool WriteFileReplacing(const std::wstring& path, const std::function<bool(const std::wstring& tempPath)>& writer);
// The file holds exactly these bytes afterwards (size 0 makes it empty).
bool WriteBytesReplacing(const std::wstring& path, const void* data, uint32_t size);

}  // namespace Tessar
