#pragma once
// Starting the web-game browser (Dravenn.exe beside the manager) for one
// web game.

#include <string>

namespace Tessar {

// One command-line argument "prefix" + value, quoted so that the browser's
// argument split (CommandLineToArgvW) gives the value back whole: blanks,
// quotes and trailing backslashes survive.
std::wstring QuoteArgument(const std::wstring& prefix, const std::wstring& value);
// "-url=" always, "-name=" and "-homepage=" when not empty, blank-separated.
std::wstring BrowserParameters(const std::wstring& url, const std::wstring& name, const std::wstring& homePage);
// False for an empty address, and when the browser could not be started.
// `browserPath` empty: the program folder's Dravenn.exe.
bool StartWebGameBrowser(const std::wstring& url, const std::wstring& name, const std::wstring& homePage,
                         const std::wstring& browserPath = std::wstring());

}  // namespace Tessar
