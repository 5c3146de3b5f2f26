#include "VQCore/gamelib/AppPaths.h"

#include "VQCore/gamelib/AppFolder.h"
#include "common/FormatText.h"
#include "common/ShellFolders.h"

namespace Tessar {

namespace {

const wchar_t kDataFolder[] = L"data";
const wchar_t kPicFolder[] = L"pic";
const wchar_t kConfigFolder[] = L"config";
const wchar_t kAudioFolder[] = L"audio";
const wchar_t kSkinFolder[] = L"skin";
const wchar_t kSharedFolderName[] = L"Zelmor";

std::wstring InAppFolder(const wchar_t* folder, const wchar_t* name) {
    return GetAppFolder() + folder + L"\\" + name;
}

std::wstring InSharedFolder(const std::wstring& shared, const wchar_t* name) {
    return shared.empty() ? shared : shared + L"\\" + name;
}

}  // namespace

std::wstring GetAppPath() { return GetAppFolder() + L"Norvane.exe"; }
std::wstring GetDatabasePath() { return InAppFolder(kDataFolder, L"database.vqx"); }
std::wstring GetAdvertListPath() { return InAppFolder(kDataFolder, L"advert.vqx"); }
std::wstring GetHotListPath() { return InAppFolder(kDataFolder, L"hot.vqx"); }
std::wstring GetUserListPath() { return InAppFolder(kDataFolder, L"user.vqx"); }
std::wstring GetInstallListPath() { return InAppFolder(kDataFolder, L"install.vqx"); }
std::wstring GetDownloadListPath() { return InAppFolder(kDataFolder, L"download.vqx"); }
std::wstring GetSearchIndexPath() { return InAppFolder(kDataFolder, L"search.vqs"); }

std::wstring GetGameIconPath(uint32_t gameId) {
    return FormatString(L"%s%05u.vqp", (GetAppFolder() + kPicFolder + L"\\").c_str(), gameId);
}

std::wstring GetConfigPath() { return InAppFolder(kConfigFolder, L"config.xml"); }
std::wstring GetCompleteSoundPath() { return InAppFolder(kAudioFolder, L"complete.wav"); }
std::wstring GetSkinFolder() { return GetAppFolder() + kSkinFolder + L"\\"; }
std::wstring GetFlashPlayerPath() { return GetAppFolder() + L"Pallico.exe"; }
std::wstring GetBrowserPath() { return GetAppFolder() + L"Dravenn.exe"; }
std::wstring GetUpdaterPath() { return GetAppFolder() + L"Selbrin.exe"; }

std::wstring GetSharedDataFolder() { return GetSharedDataFolder(GetAppDataFolder()); }

std::wstring GetSharedDataFolder(const std::wstring& appDataFolder) {
    return InSharedFolder(appDataFolder, kSharedFolderName);
}

std::wstring GetCacheIniPath() { return GetCacheIniPath(GetSharedDataFolder()); }
std::wstring GetCacheIniPath(const std::wstring& sharedFolder) { return InSharedFolder(sharedFolder, L"cache.ini"); }
std::wstring GetLinkIniPath() { return GetLinkIniPath(GetSharedDataFolder()); }
std::wstring GetLinkIniPath(const std::wstring& sharedFolder) { return InSharedFolder(sharedFolder, L"link.ini"); }

}  // namespace Tessar
