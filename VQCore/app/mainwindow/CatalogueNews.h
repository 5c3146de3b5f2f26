#pragma once
// What a catalogue update brings to the open main window, and how its pages
// take it: the tiles of newly published games join their kind pages, and
// the tiles already shown take the new names of their games.

#include <cstdint>
#include <map>
#include <string>

#include "VQCore/app/pages/GameListState.h"

namespace Tessar {

class VQIconList;
class VQPaintManager;

// Posted by the catalogue job (kMsgCatalogueNews): tiles of the newly
// published games for the five kind pages, in the order single-player,
// online, flash, web, tools; the counts in the order of the new-games tip
// (WM_USER+3): single-player, online, web, flash, tools; and the name of
// every game of the updated catalogue.
struct VQCatalogueNews {
    VQTileList kinds[5];
    uint32_t counts[5] = {0, 0, 0, 0, 0};
    uint32_t total = 0;
    std::map<uint32_t, std::wstring> names;
};

// Appends the tiles of games the list does not show yet and frees the
// others (all of them without a list); the list is emptied. True when one
// was added.
bool AddNewTiles(VQIconList* list, VQTileList& tiles);

// The pages of the manager's tree take the news: the kind pages their new
// tiles, every tile of a page whose game has another name now that name.
// The news keeps no tile afterwards. True when a page changed.
bool ApplyCatalogueNews(VQPaintManager& manager, VQCatalogueNews& news);

}  // namespace Tessar
