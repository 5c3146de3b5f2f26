#pragma once
// Command lines of the two game windows. The manager quotes names and
// addresses with blanks; a caller that does not still gets them whole:
// the player takes the rest of the line as one path, and the browser
// joins an argument that carries no known prefix to the value before it.

#include <string>
#include <vector>

namespace Tessar {

// The player's one argument: the text after the program name, surrounding
// blanks and quotes removed; empty when there is none.
std::wstring ParsePlayerArgument(const std::wstring& commandLine);

struct VQBrowserArguments {
    std::wstring name;
    std::wstring url;
    std::wstring homepage;
    bool enough = false;  // at least two arguments after the program name
};

// `arguments` as CommandLineToArgvW gives them (program name first).
// Prefixes "-name=", "-url=", "-homepage=" compare case-insensitively; a
// later argument with the same prefix replaces the value.
VQBrowserArguments ParseBrowserArguments(const std::vector<std::wstring>& arguments);

// CommandLineToArgvW of a command line (program name first).
std::vector<std::wstring> SplitCommandLine(const std::wstring& commandLine);

}  // namespace Tessar
