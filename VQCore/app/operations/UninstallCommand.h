#pragma once
// The program an uninstall key's UninstallString names, found the way the
// system finds it: a quoted program as it stands; an unquoted text at the
// longest part before a blank that names an existing file (so that
// "C:\Program Files\G\uninst.exe /S" runs uninst.exe, never
// "C:\Program.exe"); a bare name ("MsiExec.exe /X{...}") in the system
// folder, the Windows folder, then the folders of PATH, never the current
// folder. A name without an extension may stand for its ".exe".

#include <string>

namespace Tessar {

// The uninstaller and its parameters; false, both empty, when the text
// names no existing program.
bool SplitUninstallCommand(const std::wstring& command, std::wstring& program, std::wstring& parameters);

}  // namespace Tessar
