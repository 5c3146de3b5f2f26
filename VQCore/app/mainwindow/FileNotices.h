#pragma once
// The messages that tell the user about files the manager left in place
// rather than risk someone else's: a game folder its install did not
// create, an uninstaller that could not be run, a list file that could not
// be read. Each is the skinned message box with one button.

#include <windows.h>

#include <string>

namespace Tessar {

// The uninstall or removal of a game left this folder: it is not proven
// to be the folder the game's install created.
void ShowGameFolderKept(HWND owner, const std::wstring& folder);
// The game's uninstall command names no program that could be started;
// nothing was deleted.
void ShowUninstallerFailed(HWND owner, const std::wstring& command);
// A list file could not be read: it was kept aside under `asidePath`, or,
// when that is empty, it stays where it is and is not written this run.
void ShowListFileUnreadable(HWND owner, const std::wstring& path, const std::wstring& asidePath);

// The texts the messages show.
std::wstring GameFolderKeptText(const std::wstring& folder);
std::wstring UninstallerFailedText(const std::wstring& command);
std::wstring ListFileUnreadableText(const std::wstring& path, const std::wstring& asidePath);

}  // namespace Tessar
