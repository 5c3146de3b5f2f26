#pragma once
// Shortcuts that a package carries point at "Z:\##install##\...", since a
// shortcut must hold a full path when it is made; once extracted they are
// pointed into the real install folder.

#include <string>

namespace Tessar {

extern const wchar_t kShortcutInstallMark[];  // "Z:\##install##"

// Rewrites the shortcut when its target, working folder or icon begins
// with the mark (every occurrence of the mark is replaced). True when the
// shortcut needed nothing or was written again. Initialises COM on the
// calling thread for the call when it is not yet.
bool FixInstalledShortcut(const std::wstring& shortcutPath, const std::wstring& installFolder);

}  // namespace Tessar
