#pragma once
// Telling the manager's sibling programs (the Flash window, the web game
// window, the updater) to load the skin again after the user changed it.

#include <windows.h>

#include <string>

namespace Tessar {

// The skin-reload message the sibling programs' windows take.
const UINT kMsgSiblingSkinReload = WM_USER + 1;

// True for the executable names of the sibling programs (case ignored).
bool IsSiblingProgramName(const std::wstring& exeName);
// True for the titles of the sibling programs' main windows.
bool IsSiblingWindowTitle(const std::wstring& title);

// Posts the reload message to every main window of a sibling program that
// runs from `programFolder` (copies elsewhere are left alone). Returns how
// many windows were told; processes that cannot be opened are skipped.
int NotifySiblingPrograms(const std::wstring& programFolder);

}  // namespace Tessar
