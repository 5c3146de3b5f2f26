#pragma once
// Web-page addresses that come from outside the program (the catalogue,
// the update server, servers.ini, a game window's command line) and are
// handed to the shell. The shell runs whatever it is given: a program on a
// share, a file: or script address, a local program. So only an http:// or
// https:// address with a host is opened, and none with a blank, a quote
// or a control character that the browser's command line would split at.

#include <windows.h>

#include <string>

namespace Tessar {

// "http://" or "https://" (in any case) as the very first characters,
// then a host, and no blank, control character or double quote anywhere.
bool IsWebAddress(const std::wstring& text);

// Opens a web address in the default browser (ShellExecuteExW with the
// owner and verb given; null verb: the default one). False, with nothing
// started, for a text that is not IsWebAddress; false too when the shell
// refuses the address.
bool OpenWebAddress(const std::wstring& address, HWND owner = nullptr, const wchar_t* verb = nullptr);

}  // namespace Tessar
