#pragma once
// One builder per file and folder the manager keeps, so that no other code
// spells their names. They only compose text: nothing is checked or made.
// All but the shared ones start from the program folder (GetAppFolder).

#include <cstdint>
#include <string>

namespace Tessar {

std::wstring GetAppPath();            // Norvane.exe
std::wstring GetDatabasePath();       // data\database.vqx
std::wstring GetAdvertListPath();     // data\advert.vqx
std::wstring GetHotListPath();        // data\hot.vqx
std::wstring GetUserListPath();       // data\user.vqx
std::wstring GetInstallListPath();    // data\install.vqx
std::wstring GetDownloadListPath();   // data\download.vqx
std::wstring GetSearchIndexPath();    // data\search.vqs
// pic\ and the id as five digits: pic\00042.vqp.
std::wstring GetGameIconPath(uint32_t gameId);
std::wstring GetConfigPath();         // config\config.xml
std::wstring GetCompleteSoundPath();  // audio\complete.wav
std::wstring GetSkinFolder();         // skin\, with the trailing backslash
std::wstring GetFlashPlayerPath();    // Pallico.exe
std::wstring GetBrowserPath();        // Dravenn.exe
std::wstring GetUpdaterPath();        // Selbrin.exe

// The user's application-data folder followed by "\Zelmor", without a
// trailing backslash; empty when the shell does not know that folder.
std::wstring GetSharedDataFolder();
std::wstring GetSharedDataFolder(const std::wstring& appDataFolder);
// Files of the shared folder; empty when the shared folder is empty, and
// callers then treat the file as absent.
std::wstring GetCacheIniPath();
std::wstring GetCacheIniPath(const std::wstring& sharedFolder);
std::wstring GetLinkIniPath();
std::wstring GetLinkIniPath(const std::wstring& sharedFolder);

}  // namespace Tessar
