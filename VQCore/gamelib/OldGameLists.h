#pragma once
// The game lists of older releases, read into the current records and
// written as the current installed and download list files. Both old files
// are plain XML; each child of a list is one entry, each child of an entry
// one field with its text; unknown lists and fields are ignored.
//
//   data\local.vqx:  <LOCALGAME><PC_GAME>..</PC_GAME><ONLINE_GAME>..</ONLINE_GAME>
//                      <GAME_TOOL>..</GAME_TOOL><DOWNLOAD_GAME>..</DOWNLOAD_GAME></LOCALGAME>
//     installed entry: ID, FullPath; download entry: ID, DownloadUrl,
//     LogPath, DownloadState
//   data\user.vqx:   <USERGAME><GAME><INSTALL>..</INSTALL><DOWNLOAD>..</DOWNLOAD></GAME>
//                      <TOOL>..same..</TOOL></USERGAME>
//     installed entry: ID, Name, FullPath, RunArg, WorkingDir, SetupDir,
//     SetupTime, LastRunTime, RunCount, Registered; download entry: ID,
//     DownloadUrl, LogPath, SetupPath, State
//
// Old download states are one less than the current ones.

#include "VQCore/gamelib/DownloadXmlFile.h"
#include "VQCore/gamelib/InstalledXmlFile.h"

#include <string>

namespace Tessar {

struct VQOldGameLists {
    VQInstalledXmlFile::Records common;
    VQInstalledXmlFile::Records quick;
    VQDownloadXmlFile::Records downloads;
};

// A file that does not parse, or lacks its root element, adds nothing.
// local.vqx keeps only single-player, online and tool ids among the
// installed games; user.vqx keeps every entry.
void ReadOldLocalList(const std::wstring& path, VQOldGameLists& lists);
void ReadOldUserList(const std::wstring& path, VQOldGameLists& lists);

// Writes the installed list file and then, only when that worked, the
// download list file; true when both were written.
bool WriteCurrentGameLists(const VQOldGameLists& lists, const std::wstring& installListPath,
                           const std::wstring& downloadListPath);

}  // namespace Tessar
