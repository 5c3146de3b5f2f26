#pragma once
// The task script "##tasks##.txt" of a package, run once the package is
// extracted: one command a line,
//   run FILE [PARAMETERS]                      start a program (hidden)
//   ini WriteINIStr FILE SECTION KEY VALUE     write an INI value
//   ini DeleteINISec FILE SECTION              delete an INI section
//   ini DeleteINIStr FILE SECTION KEY          delete an INI value
// Other commands are ignored. Text is UTF-16LE after FF FE, else the ANSI
// code page; macros are expanded in files and values.

#include <functional>
#include <string>

namespace Tessar {

extern const wchar_t kTaskWriteIniArgsError[];   // "WriteINIStr参数个数错误"
extern const wchar_t kTaskDeleteSecArgsError[];  // "DeleteINISec参数个数错误"
extern const wchar_t kTaskDeleteStrArgsError[];  // "DeleteINIStr参数个数错误"

// What the script needs of its install.
struct VQTaskScriptHost {
    // Expands the install macros; false when the text does not settle.
    std::function<bool(const std::wstring& text, std::wstring& out)> expand;
    // Whether the script may write or start this full path: a script
    // reaches the install folder and the macro folders, never a relative
    // path the system would resolve elsewhere.
    std::function<bool(const std::wstring& path)> allowPath;
};

// Runs the script; the file stays. False when it cannot be read (missing,
// empty, over 1,048,576 bytes, or marked FE FF) or a line ended it: a
// program that did not start, a file outside the allowed places, a text
// whose macros do not settle, or a wrong number of arguments (error then
// holds the message). Lines before the failing one keep their effect.
bool RunInstallTaskScript(const std::wstring& scriptPath, const VQTaskScriptHost& host,
                          std::wstring* error = nullptr);

}  // namespace Tessar
