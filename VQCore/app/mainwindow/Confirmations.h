#pragma once
// The questions and messages of the main window's destructive and
// unattended actions, each a skinned message box or the delete dialog with
// its texts from the string table, and the text of a failed download.

#include <windows.h>

#include <cstdint>
#include <string>

namespace Tessar {

// The user's answer: go ahead or not, and the box ("also the downloaded
// data", "remember", "uninstall") as ticked.
struct VQConfirmation {
    bool proceed = false;
    bool withData = false;
};

// Deleting a tile, by the page it is on: a download task, an installed
// tool, a web game or an own program, or any other game (the delete dialog).
VQConfirmation AskDeleteTile(HWND owner, int listId, int kind);
// Deleting every download task.
VQConfirmation AskDeleteAllTasks(HWND owner);
// Turning the computer off after the last install: counts down 60 seconds
// and confirms by itself.
bool AskPowerOff(HWND owner);
// Ending the program: asked only while downloads run and the setting
// ExitMessageTip is on; a confirmed answer with "remember my choice" ticked
// turns the setting off. True when the program may end.
bool ConfirmExit(HWND owner, bool downloadsActive);
// A broken game: download it again? `withData` is "don't ask again".
VQConfirmation AskRepairGame(HWND owner);
// The message box of a failed download (type 4, one button).
void ShowDownloadError(HWND owner, uint32_t code, uint32_t detail);

// The text of a download's end code. The "%08x" of code 1 and of network
// failures (0xE0000007) is the task's detail of the failure, the system or
// Winsock error of the worker that failed (the end code itself when there
// is none); that of unknown codes is the code.
std::wstring DownloadErrorText(uint32_t code, uint32_t detail);

}  // namespace Tessar
