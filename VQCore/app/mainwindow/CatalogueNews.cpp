#include "VQCore/app/mainwindow/CatalogueNews.h"

#include "VQCore/app/start/AppControlTypes.h"
#include "VQCore/app/pages/GameIcon.h"
#include "VQCore/app/pages/IconList.h"
#include "ui/PaintManager.h"

namespace Tessar {

namespace {

// Where the kind pages of VQCatalogueNews::kinds lie, in its order.
const int kNewsListIds[5] = {IdSingleGameList, IdOnlineGameList, IdFlashGameList, IdWebGameList, IdToolList};

VQIconList* ListById(VQPaintManager& manager, int id) {
    VQControl* control = manager.FindControlById(id);
    return control ? static_cast<VQIconList*>(control->GetInterface(ControlTypeIconList)) : nullptr;
}

}  // namespace

bool AddNewTiles(VQIconList* list, VQTileList& tiles) {
    bool added = false;
    for (VQGameIcon* tile : tiles) {
        bool present = false;
        if (list)
            for (VQGameIcon* shown : list->GetTiles()) present = present || shown->GetGameId() == tile->GetGameId();
        if (list && !present && list->AddTile(tile)) {
            added = true;
            continue;
        }
        delete tile;
    }
    tiles.clear();
    return added;
}

bool ApplyCatalogueNews(VQPaintManager& manager, VQCatalogueNews& news) {
    bool changed = false;
    // Every page: the names a game has on the kind, hot, installed, download
    // and search pages all come from the catalogue (the user's own games are
    // not in it and keep theirs).
    if (!news.names.empty()) {
        for (int id = IdHotList; id <= IdSearchList; ++id) {
            VQIconList* list = ListById(manager, id);
            if (!list) continue;
            for (VQGameIcon* tile : list->GetTiles()) {
                if (tile->IsAddTile()) continue;
                const auto found = news.names.find(tile->GetGameId());
                if (found == news.names.end() || found->second.empty() || found->second == tile->GetText()) continue;
                tile->SetText(found->second);
                changed = true;
            }
        }
    }
    for (int i = 0; i < 5; ++i) changed = AddNewTiles(ListById(manager, kNewsListIds[i]), news.kinds[i]) || changed;
    return changed;
}

}  // namespace Tessar
