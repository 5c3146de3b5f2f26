#pragma once
// The main window's pop-up menus: the "more" menu under the title button
// and the three menus of a tile (download page, installed pages, the other
// pages), with the rules that show, hide, enable and name their items.

#include <windows.h>

#include <string>
#include <vector>

namespace Tessar {

class VQGameIcon;
class VQMenuWnd;

// Item ids of the menus (WM_COMMAND's low word). 1007 and 1008 are separators.
enum VQMenuCommand : int {
    kCmdScanGames = 1000,
    kCmdSettings = 1001,
    kCmdUpgrade = 1002,
    kCmdHelp = 1003,
    kCmdFeedback = 1004,
    kCmdAbout = 1005,
    kCmdExit = 1006,
    kCmdRunGame = 1009,
    kCmdGameDetails = 1010,
    kCmdInstallFolder = 1011,
    kCmdDesktopShortcut = 1012,
    kCmdDeleteIcon = 1013,
    kCmdUninstall = 1014,
    kCmdDownloadGame = 1015,
    kCmdRuntimeCheck = 1016,
    kCmdRegister = 1017,
    kCmdOfficialSite = 1018,
    kCmdStartTask = 1019,
    kCmdPauseTask = 1020,
    kCmdDeleteTask = 1021,
    kCmdStartAll = 1022,
    kCmdPauseAll = 1023,
    kCmdDeleteAll = 1024,
    kCmdDownloadSettings = 1025,
    // The tray menu's items.
    kCmdTrayShow = 32777,
    kCmdTraySkin = 32779,
    kCmdTraySettings = 32780,
    kCmdTrayHelp = 32781,
    kCmdTrayExit = 32782,
    kCmdTrayUpgrade = 32783,
    kCmdTrayFeedback = 32784,
};

// What the rules need to know of the tile whose menu opens.
struct VQTileMenuFacts {
    int listId = 0;       // the icon list the tile is on
    int kind = 0;         // GameKindOf
    int state = 0;        // the tile's state (1 installed ... 6 downloaded)
    bool hasShortcut = false;
    bool hasInstalledTwin = false;  // the game is installed already
    bool hasOfficialSite = false;
    bool hasRegistrationPage = false;
};

struct VQMenuItemPlan {
    int id;
    bool visible;
    bool enabled;
    std::wstring text;  // empty: as the layout has it
};

struct VQTileMenuPlan {
    std::string layout;  // "IconMenuDownload", "IconMenuInstalled" or "IconMenuNoInstall"
    std::vector<VQMenuItemPlan> items;

    const VQMenuItemPlan* Find(int id) const;
};

VQTileMenuPlan PlanTileMenu(const VQTileMenuFacts& facts);
// The facts of a tile on its page: the installed twin is a tile of the game
// in state 1 on the installed games or the quick strip (FindInstalledTwin).
VQTileMenuFacts TileMenuFactsOf(const VQGameIcon& tile);

// Opens the named menu layout (resource 226, styles 331, the selected skin)
// with its top left at the screen point, owned by `owner`, with the focus.
// The plan, when given, is applied before the menu shows. The slot is
// cleared when the menu goes; null when it could not be made.
VQMenuWnd* OpenPopupMenu(HWND owner, const std::string& layout, POINT screen, VQMenuWnd** slot,
                         const VQTileMenuPlan* plan = nullptr);
// Shows, hides, enables and names the open menu's items by the plan.
void ApplyMenuPlan(VQMenuWnd* menu, const VQTileMenuPlan& plan);

}  // namespace Tessar
