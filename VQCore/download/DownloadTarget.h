#pragma once
// Where a download from the server goes: the download folder joined with
// the FileName of the download information. The name is the server's data,
// so it must be one plain file name that stays inside the folder; both
// transports take the target (and the ".vqt"/".vql" beside it) from here.

#include <string>

namespace Tessar {

// The folder joined with FileName (surrounding quotes off). Empty when the
// name is not one plain name: empty, "." or "..", a separator, a drive or a
// stream colon, a character Windows refuses, a device name, or a trailing
// dot or blank (Windows would drop it and write another file).
std::wstring DownloadTargetPath(const std::wstring& folder, const std::wstring& fileName);

}  // namespace Tessar
