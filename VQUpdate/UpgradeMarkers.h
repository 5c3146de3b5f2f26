#pragma once
// Reading and writing the job's markers in the upgrader's work folder:
// upgrade.vqt (updater copy, its MD5, program folder), download.vqt (the
// release files) and restart.vqt (what to start when the job is done).

#include "VQUpdate/Upgrader.h"

#include <string>
#include <vector>

namespace Tessar {

// The title of the manager's main window.
extern const wchar_t kManagerWindowTitle[];  // L"Tovana游戏"
extern const wchar_t kBackgroundArgument[];  // L"-background"

struct VQUpgradeRecord {
    std::wstring updaterCopy;
    std::wstring updaterMd5;
    std::wstring programFolder;
};

// upgrade.vqt as "RUN" and three fields; false for anything else.
bool ReadUpgradeRecord(const VQUpgrader& upgrader, VQUpgradeRecord& record);
// The program folder of upgrade.vqt, kept in the upgrader when it is an
// existing folder given as a full path; empty otherwise. The marker is
// deleted after reading when asked.
std::wstring ReadUpgradeMarker(VQUpgrader& upgrader, bool deleteAfterReading);
// download.vqt (deleted after reading when asked): false when it is
// missing or empty, or a listed file is missing or lies outside
// work\download.
bool ReadDownloadMarker(VQUpgrader& upgrader, std::vector<std::wstring>& files, bool deleteAfterReading = true);

// restart.vqt of the default work folder (or of the upgrader's). An empty
// program stands for this executable, an empty folder for its folder.
bool WriteRestartMarker(const std::wstring& program, const std::wstring& folder, const std::wstring& parameters);
bool WriteRestartMarker(const VQUpgrader& upgrader, const std::wstring& program, const std::wstring& folder,
                        const std::wstring& parameters);
bool ReadRestartMarker(std::wstring& program, std::wstring& folder, std::wstring& parameters);
bool ReadRestartMarker(const VQUpgrader& upgrader, std::wstring& program, std::wstring& folder,
                       std::wstring& parameters);

// Before the hand-over: a visible manager window means the user works with
// it, so it comes back in the foreground ("-background" dropped, or the
// manager of this program folder when there is no marker).
void DecideRestartMode(const VQUpgrader& upgrader);
// Starts what restart.vqt names (deleting the marker); nothing without one.
// True when something was started.
bool RestartProgram(const VQUpgrader& upgrader);

}  // namespace Tessar
