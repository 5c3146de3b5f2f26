#pragma once
// The import of an older installation: on the first start after a new
// release was installed over an older one, the files the older releases
// left in the program folder (settings, game lists, resume records, the
// cache bookkeeping file) are carried over into the current files and the
// old ones removed. It runs on the UI thread before the settings store
// loads, so that the store then loads what the import wrote. It shows and
// reports nothing: a step that cannot be done is skipped.
//
// An old file is deleted only after its content was written in the new
// place (or when a current file already takes its place), so a failed
// write never loses the user's settings or lists.

#include "VQCore/gamelib/FirstRunFlag.h"

#include <string>

namespace Tessar {

class VQSettings;

// currentSettings (cleared by the caller) is set when config\config.xml
// already is a current one (version 1.7); the start is then not treated as
// a first run. Works on the one settings object and the shared cache.ini.
void ImportOldInstallation(bool& currentSettings);
// The same on a given settings object and cache.ini path (tests point them
// away from the process-wide ones).
void ImportOldInstallation(VQSettings& settings, const std::wstring& cacheIniPath, bool& currentSettings);

// Start-up: takes the installer's first-run flag (FirstRunFlag.h) and, on
// a first run, imports; true when the start counts as a first run (the
// import found no current settings file).
bool ImportOnFirstStart();
bool ImportOnFirstStart(const VQFirstRunEntry& entry, VQSettings& settings, const std::wstring& cacheIniPath);

}  // namespace Tessar
