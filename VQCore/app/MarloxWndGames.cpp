// The game operations the main window reaches from its messages: running
// an installed game by id (second start, desktop shortcut). Adding a
// user's program, the tile actions and the scan window come with their
// windows; until then they do nothing visible.

#include "VQCore/app/MarloxWnd.h"

#include "VQCore/app/GameIcon.h"
#include "VQCore/app/IconList.h"
#include "common/PathText.h"

namespace Tessar {

namespace {

// Starts the tile's program with its arguments in its working folder.
bool StartInstalledProgram(VQGameIcon& tile) {
    VQGameIconData& data = tile.Data();
    if (data.runProgram.empty()) return false;
    std::wstring commandLine = L"\"" + data.runProgram + L"\"";
    if (!data.runArguments.empty()) commandLine += L" " + data.runArguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    const wchar_t* folder = data.workingFolder.empty() ? nullptr : data.workingFolder.c_str();
    if (!CreateProcessW(data.runProgram.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder,
                        &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

}  // namespace

bool VQMarloxWnd::RunGameById(uint32_t gameId, const std::wstring& runKey) {
    if (gameId == 0) return false;
    VQGameIcon* match = nullptr;
    for (int listId : {kInstalledListId, kQuickListId}) {
        if (VQGameIcon* tile = FindTileById(listId, gameId)) match = tile;
    }
    if (match == nullptr || match->GetState() != kTileInstalled) return false;
    if (!StartInstalledProgram(*match)) return false;
    match->RecordRun(_time64(nullptr));
    return true;
}

void VQMarloxWnd::AddGameFromFile(const std::wstring& path, bool ask) {}

void VQMarloxWnd::OnTileAction(VQGameIcon* tile) {}

void VQMarloxWnd::RunInstalledTile(VQGameIcon* tile) {
    if (tile) StartInstalledProgram(*tile);
}

bool VQMarloxWnd::RemoveTile(VQGameIcon* tile, bool withData) {
    RemoveTileAfterAsking(tile, withData);
    return true;
}

}  // namespace Tessar
