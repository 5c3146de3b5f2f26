#include "VQCore/app/operations/DesktopShortcut.h"

#include <objbase.h>

#include "VQCore/app/pages/GameIcon.h"
#include "VQCore/app/operations/RunKey.h"
#include "VQCore/gamelib/AppPaths.h"
#include "VQCore/gamelib/GameId.h"
#include "VQCore/gamelib/LinkIniRecord.h"
#include "common/FileUtil.h"
#include "common/FormatText.h"
#include "common/IconFile.h"
#include "common/IniFile.h"
#include "common/PathText.h"
#include "common/ShellFolders.h"
#include "common/Shortcut.h"
#include "common/TextUtil.h"
#include "ui/RenderEngine.h"
#include "ui/SkinManager.h"

namespace Tessar {

namespace {

const wchar_t kShortcutPrefix[] = L"Tovana游戏 - ";

std::wstring SectionOf(uint32_t gameId) { return FormatString(L"%05u", gameId); }

std::wstring LinkIniOf(const std::wstring& sharedFolder) { return GetLinkIniPath(sharedFolder); }

class VQComApartment {
public:
    VQComApartment() : m_ok(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~VQComApartment() {
        if (m_ok) CoUninitialize();
    }

private:
    bool m_ok;
};

}  // namespace

VQShortcutPlaces DefaultShortcutPlaces() {
    VQShortcutPlaces places;
    places.desktopFolder = GetDesktopFolder();
    places.sharedFolder = GetSharedDataFolder();
    places.appPath = GetAppPath();
    return places;
}

VQShortcutGame ShortcutGameOf(const VQGameIcon& tile) {
    VQShortcutGame game;
    game.gameId = tile.GetGameId();
    game.name = tile.GetText();
    game.iconDescription = tile.GetIconDescription();
    game.runProgram = tile.Data().runProgram;
    game.runArguments = tile.Data().runArguments;
    return game;
}

std::wstring IconSourceOf(const std::wstring& imageDescription) {
    const size_t first = imageDescription.find(L'\'');
    if (first == std::wstring::npos) return std::wstring();
    const size_t second = imageDescription.find(L'\'', first + 1);
    if (second == std::wstring::npos) return std::wstring();
    return imageDescription.substr(first + 1, second - first - 1);
}

std::wstring ShortcutFileTitle(const std::wstring& name) {
    std::wstring title;
    for (wchar_t c : name) title += (c < 32 || wcschr(L"\\/:*?\"<>|", c) != nullptr) ? L'_' : c;
    TrimLeftChars(title, L" .");
    TrimRightChars(title, L" .");
    return title.empty() ? std::wstring(L"_") : title;
}

bool CreateDesktopShortcut(const VQShortcutGame& game, const VQShortcutPlaces& places) {
    if (places.sharedFolder.empty() || places.desktopFolder.empty()) return false;
    const std::wstring iconsFolder = GetShortcutIconsFolder(places.sharedFolder);
    if (!FolderExists(iconsFolder) && !CreateFolderChain(iconsFolder)) return false;
    const std::wstring source = IconSourceOf(game.iconDescription);
    if (source.empty()) return false;
    const std::wstring runId = MakeRunId(game.gameId, MakeRunKey(game.runProgram, game.runArguments));
    const std::wstring iconPath = iconsFolder + L"\\" + runId + L".ico";
    if (IsCustomGameId(game.gameId)) {
        // A game added by hand has its icon written as an icon file already.
        CopyFileNoReplace(source, iconPath);
    } else {
        const bool encrypted = game.iconDescription.find(L"encrypt='true'") != std::wstring::npos;
        VQImageInfo* image = VQSkinManager::Instance().GetSkinImage(source, 0, encrypted);
        if (image == nullptr || image->bitmap == nullptr) return false;
        // Its pixels are read: the render engine lets go of it first.
        VQRenderEngine::ReleaseImageSource(image->bitmap);
        if (!SaveBitmapFile(image->bitmap, iconPath)) return false;
    }
    const std::wstring shortcutPath = places.desktopFolder + L"\\" + ShortcutFileTitle(game.name) + L".lnk";
    const std::wstring arguments = L"-exec_app=" + runId;
    const std::wstring description = kShortcutPrefix + game.name;
    VQComApartment apartment;
    if (!CreateShortcut(description, places.appPath, arguments, shortcutPath, iconPath, -1)) return false;
    return SaveShortcutRecord(LinkIniOf(places.sharedFolder), shortcutPath, game.gameId, iconPath, game.runProgram,
                              game.runArguments);
}

bool CreateDesktopShortcut(const VQGameIcon* tile) {
    if (tile == nullptr) return false;
    return CreateDesktopShortcut(ShortcutGameOf(*tile), DefaultShortcutPlaces());
}

bool SaveShortcutRecord(const std::wstring& linkIniPath, const std::wstring& shortcutPath, uint32_t gameId,
                        const std::wstring& iconPath, const std::wstring& program, const std::wstring& arguments) {
    if (linkIniPath.empty()) return false;
    std::wstring folder, separator, name;
    SplitFolderAndName(linkIniPath, folder, separator, name);
    if (!separator.empty() && !FolderExists(folder)) CreateFolderChain(folder);
    const IniFile ini(linkIniPath);
    const std::wstring section = SectionOf(gameId);
    bool ok = ini.WriteString(section, kLinkIniShortcutKey, shortcutPath) &&
              ini.WriteString(section, kLinkIniIconKey, iconPath);
    if (!program.empty()) ok = ini.WriteString(section, kLinkIniProgramKey, program) && ok;
    if (!arguments.empty()) ok = ini.WriteString(section, kLinkIniArgumentsKey, arguments) && ok;
    return ok;
}

void RemoveShortcutRecord(const VQShortcutPlaces& places, uint32_t gameId) {
    if (places.sharedFolder.empty() || !FolderExists(places.sharedFolder)) return;
    const IniFile ini(LinkIniOf(places.sharedFolder));
    const std::wstring section = SectionOf(gameId);
    DeleteRecordedShortcutFiles(ini, section, places.desktopFolder, places.sharedFolder);
    ini.DeleteSection(section);
}

void RemoveShortcutRecord(uint32_t gameId) { RemoveShortcutRecord(DefaultShortcutPlaces(), gameId); }

bool HasShortcutRecord(const std::wstring& sharedFolder, uint32_t gameId) {
    if (sharedFolder.empty() || !FolderExists(sharedFolder)) return false;
    const std::wstring shortcut = IniFile(LinkIniOf(sharedFolder)).ReadString(SectionOf(gameId), kLinkIniShortcutKey);
    return !shortcut.empty() && FileExists(shortcut);
}

bool HasShortcutRecord(uint32_t gameId) { return HasShortcutRecord(GetSharedDataFolder(), gameId); }

}  // namespace Tessar
