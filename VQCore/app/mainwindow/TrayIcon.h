#pragma once
// The manager's icon in the notification area: added for the main window
// with icon 128 and the program title as its tip; its mouse messages come
// back as kMsgTrayIcon. Used on the UI thread only.

#include <windows.h>
#include <shellapi.h>

#include <string>

namespace Tessar {

// Adds the icon (again, after Explorer restarted); false when the shell refused.
bool AddTrayIcon(HWND window, const std::wstring& tip);
// Shows a balloon over the icon; false without an icon.
bool ShowTrayBalloon(const std::wstring& text, const std::wstring& title);
// How long a balloon asks to stay (the shell keeps it at least its own minimum).
const UINT kTrayBalloonTimeoutMs = 1000;
// The icon's data for a balloon with that text and title (texts cut to 64).
NOTIFYICONDATAW TrayBalloonData(const std::wstring& text, const std::wstring& title);
// Replaces the icon's image with the module's icon resource of that id.
bool SetTrayIconImage(UINT iconId);
// Removes the icon when there is one.
void RemoveTrayIcon();
bool HasTrayIcon();
// A text as the icon shows it: at most 64 characters.
std::wstring TrayTextCut(const std::wstring& text);

}  // namespace Tessar
