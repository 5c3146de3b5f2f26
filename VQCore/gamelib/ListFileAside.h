#pragma once
// A list file that exists but could not be read is never written over: it
// is moved aside beside itself ("install.vqx.bad", then "install.vqx(1).bad",
// ...), so that the next save starts a new file and the old one can still be
// mended by hand. When it cannot be moved, it stays and must not be written.

#include <string>

namespace Tessar {

struct VQListAside {
    std::wstring path;       // the list file that could not be read
    std::wstring asidePath;  // where it lies now; empty: it could not be moved
};

// After a failed load of `path`: false when there is no file to set aside
// (a missing list is no damage); else true with what was done.
bool SetUnreadableListAside(const std::wstring& path, VQListAside& aside);

}  // namespace Tessar
