// Adding a program of the user's own as a game: the add-game dialog for a
// dropped or chosen file, and the installed tile made from its answer.

#include "VQCore/app/mainwindow/MarloxWnd.h"

#include "VQCore/app/windows/AddGameDlg.h"
#include "VQCore/app/pages/GameIcon.h"
#include "VQCore/app/pages/IconList.h"
#include "VQCore/gamelib/AppPaths.h"
#include "VQCore/gamelib/GameRecord.h"
#include "common/FileUtil.h"
#include "common/FormatText.h"
#include "common/IconExtractor.h"
#include "common/PathText.h"

namespace Tessar {

namespace {

std::wstring BuiltInGamePicture() { return FormatString(L"res='%d' restype='PNG'", static_cast<int>(PicDefaultGame)); }

// True when the file loads as an icon.
bool IsLoadableIcon(const std::wstring& path) {
    HANDLE icon = LoadImageW(nullptr, path.c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE);
    if (icon == nullptr) return false;
    DestroyIcon(static_cast<HICON>(icon));
    return true;
}

}  // namespace

void VQMarloxWnd::AddGameFromFile(const std::wstring& path, bool ask) {
    VQAddGameDlg dialog(m_hwnd, path);
    if (!ask && !dialog.IsFileAccepted()) {
        // A dropped file that is no program: nothing to ask about.
        SendMessageW(dialog.GetHWND(), WM_CLOSE, 0, 0);
        return;
    }
    dialog.ShowModal();
    if (dialog.GetResult() != kDialogOk) return;
    VQCustomGame game;
    game.name = dialog.GetGameName();
    game.program = dialog.GetProgramPath();
    game.arguments = dialog.GetArguments();
    game.workingFolder = dialog.GetWorkingFolder();
    game.match = dialog.GetMatch();
    if (AddCustomGameTile(game)) RefreshInstalledPages();
}

bool VQMarloxWnd::AddCustomGameTile(const VQCustomGame& game) {
    if (game.name.empty() || game.program.empty() || !FileExists(game.program)) return false;
    VQIconList* list = FindIconList(kInstalledListId);
    if (!list) return false;
    VQGameIcon* tile = new VQGameIcon;
    tile->SetState(kTileInstalled);
    tile->SetText(game.name);
    tile->SetFullPath(game.program);
    tile->SetRunArg(game.arguments);
    tile->SetWorkingDir(game.workingFolder);
    if (game.match) {
        tile->SetGameId(game.match->ID);
        tile->SetText(game.match->GameName);
        tile->SetUninstallKey(game.match->UninstallKey);
        tile->SetStatus(game.match->Status);
        const std::wstring icon = GetGameIconPath(game.match->ID);
        tile->SetImage(FileExists(icon) ? L"file='" + icon + L"' encrypt='true'" : BuiltInGamePicture());
    } else {
        const uint32_t id = m_nextCustomGameId++;
        tile->SetGameId(id);
        const std::wstring icon = GetGameIconPath(id);
        if (PathExists(icon)) ForceDeleteFile(icon);
        IconExtractor(game.program).ExtractIconGroup(icon);
        tile->Data().installTime = _time64(nullptr);
        tile->SetImage(IsLoadableIcon(icon) ? L"file='" + icon + L"' icon='true' dest='30,15,62,47'"
                                            : BuiltInGamePicture());
    }
    if (!list->AddTile(tile)) {
        delete tile;
        return false;
    }
    const int page = list->PageOfTile(tile);
    if (page >= 1) list->ShowPageAt(page - 1);
    list->Relayout();
    return true;
}

}  // namespace Tessar
