#include "VQCore/app/pages/PageFilters.h"

#include <algorithm>
#include <cwchar>
#include <new>
#include <unordered_set>

#include "VQCore/app/pages/GameIcon.h"
#include "VQCore/app/pages/IconList.h"
#include "VQCore/app/pages/IconListControl.h"
#include "VQCore/app/pages/IconListPage.h"
#include "VQCore/gamelib/AppPaths.h"
#include "VQCore/gamelib/DatabaseXmlFile.h"
#include "VQCore/gamelib/QueryData.h"
#include "common/FormatText.h"
#include "common/PathText.h"
#include "ui/Combo.h"
#include "ui/PaintManager.h"
#include "ui/TabCtrl.h"

namespace Tessar {

int g_tileSortMode = -1;

bool CompareTilesForSort(const VQGameIcon* a, const VQGameIcon* b) {
    switch (g_tileSortMode) {
    case -1: return true;
    case 0: return a->Data().installTime < b->Data().installTime;
    case 1: return a->Data().lastRunTime > b->Data().lastRunTime;
    case 2: return a->Data().runCount > b->Data().runCount;
    case 3: return a->Data().installTime > b->Data().installTime;
    case 4: return GameKindOf(a) < GameKindOf(b);
    default: return false;
    }
}

namespace {

template <class Keep>
bool ShowTilesWhere(VQIconList& list, int index, Keep keep) {
    bool anyShown = false;
    for (VQGameIcon* tile : list.GetTiles()) {
        const bool show = index == 0 || keep(tile);
        tile->SetVisible(show);
        anyShown = anyShown || show;
    }
    return anyShown;
}

VQIconList* ListById(VQPaintManager* manager, int id) {
    VQControl* control = manager ? manager->FindControlById(id) : nullptr;
    return control ? static_cast<VQIconList*>(control->GetInterface(ControlTypeIconList)) : nullptr;
}

// The list each combo acts on.
int ListOfCombo(int comboId) {
    switch (comboId) {
    case IdSortCombo: return IdInstalledList;
    case IdHotFilterCombo: return IdHotList;
    case IdSearchKindCombo: return IdSearchList;
    case IdSingleFilterCombo: return IdSingleGameList;
    case IdFlashFilterCombo: return IdFlashGameList;
    case IdToolFilterCombo: return IdToolList;
    default: return 0;
    }
}

}  // namespace

bool FilterTilesByKind(VQIconList& list, int kind) {
    return ShowTilesWhere(list, kind, [kind](const VQGameIcon* tile) { return GameKindOf(tile) == kind; });
}

bool FilterTilesByCategory(VQIconList& list, int category) {
    return ShowTilesWhere(list, category,
                          [category](const VQGameIcon* tile) { return static_cast<int>(tile->Data().category) == category; });
}

VQPageFilters::VQPageFilters(VQPaintManager* manager) : m_manager(manager) {}

VQPageFilters::~VQPageFilters() {
    delete m_snapshot;
    DeleteRetiredTiles(m_retiring.size());
}

namespace {

// Size and write time of a file as text; empty when it cannot be read.
std::wstring FileStamp(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return std::wstring();
    wchar_t text[80];
    swprintf(text, 80, L"%lu:%lu:%lu:%lu", data.nFileSizeHigh, data.nFileSizeLow, data.ftLastWriteTime.dwHighDateTime,
             data.ftLastWriteTime.dwLowDateTime);
    return text;
}

}  // namespace

std::wstring VQPageFilters::ResultIcon(uint32_t gameId) {
    const std::wstring path = GetGameIconPath(gameId);
    bool exists;
    auto known = m_iconExists.find(gameId);
    if (m_pictureFolderStamp.empty()) {
        exists = false;
    } else if (known != m_iconExists.end()) {
        exists = known->second;
    } else {
        exists = FileExists(path);
        m_iconExists[gameId] = exists;
    }
    if (exists) return L"file='" + path + L"' encrypt='true'";
    return FormatString(L"res='%d' restype='PNG'", static_cast<int>(PicDefaultGame));
}

const VQDatabaseXmlFile* VQPageFilters::Catalogue() {
    const std::wstring path = m_databasePath.empty() ? GetDatabasePath() : m_databasePath;
    const std::wstring stamp = FileStamp(path);
    if (stamp.empty()) return nullptr;
    if (m_catalogue && m_catalogue->GetPath() == path && stamp == m_catalogueStamp) return m_catalogue.get();
    m_catalogue.reset();
    std::unique_ptr<VQDatabaseXmlFile> catalogue(new (std::nothrow) VQDatabaseXmlFile(path));
    if (!catalogue || !catalogue->Load()) return nullptr;
    m_catalogue = std::move(catalogue);
    m_catalogueStamp = stamp;
    return m_catalogue.get();
}

VQIconListPage* VQPageFilters::TakeSnapshot() {
    VQIconListPage* page = m_snapshot;
    m_snapshot = nullptr;
    return page;
}

void VQPageFilters::SetDataPaths(const std::wstring& databasePath, const std::wstring& indexPath) {
    m_databasePath = databasePath;
    m_indexPath = indexPath;
}

bool VQPageFilters::RunSearch(const std::wstring& text, std::vector<uint32_t>& ids) {
    const std::wstring indexPath = m_indexPath.empty() ? GetSearchIndexPath() : m_indexPath;
    const std::wstring databasePath = m_databasePath.empty() ? GetDatabasePath() : m_databasePath;
    // Kept between searches: it searches a copy of the index, taken again
    // when the file changes, and never holds the file itself.
    if (!m_query) m_query.reset(new (std::nothrow) VQQueryData());
    if (!m_query) return false;
    if (!FileExists(indexPath) && !m_query->RebuildIndex(indexPath, databasePath)) return false;
    return m_query->SearchIds(indexPath, text, ids);
}

void VQPageFilters::ShowSearchResults() {
    if (m_hideSearchPopup) m_hideSearchPopup();
    VQControl* box = m_manager ? m_manager->FindControlById(IdSearchBox) : nullptr;
    if (!box) return;
    const std::wstring placeholder = TileString(StrSearchPlaceholder);
    const std::wstring text = box->GetText();
    if (text.empty()) {
        box->SetText(placeholder);
        box->Invalidate();
        return;
    }
    if (text == placeholder) return;
    VQIconList* list = ListById(m_manager, IdSearchList);
    if (!list) return;
    std::vector<uint32_t> ids;
    if (!RunSearch(text, ids)) return;
    const VQDatabaseXmlFile* database = Catalogue();
    if (!database) return;

    m_pendingIds.clear();
    m_pendingNext = 0;
    // Thousands of old results would cost the keystroke its frame: they
    // leave the list now and are deleted in slices.
    std::vector<VQGameIcon*> old;
    list->ReleaseAllTiles(old);
    if (m_retiring.empty()) m_retiring.swap(old);
    else m_retiring.insert(m_retiring.end(), old.begin(), old.end());
    if (VQControl* control = m_manager->FindControlById(IdSearchKindCombo)) {
        if (VQCombo* combo = static_cast<VQCombo*>(control->GetInterface(ControlTypeCombo))) combo->SelectItem(0);
    }
    if (ids.empty()) {
        list->SetText(TileString(StrNothingFound));
    } else {
        list->SetText(std::wstring());
        m_pendingIds.swap(ids);
        AddResultTiles(static_cast<size_t>(list->GetPageCapacity()));
        list->ShowFirstPage();
    }
    if (VQControl* control = m_manager->FindControlById(IdLibraryTab)) {
        if (VQTabCtrl* tabs = static_cast<VQTabCtrl*>(control->GetInterface(ControlTypeTab))) {
            if (VQControl* item = tabs->GetItemAt(4)) {
                if (!item->IsVisible()) item->SetVisible(true);
                if (tabs->GetSelectedItem() != item) tabs->SelectItem(4);
            }
        }
    }
    if (VQControl* control = m_manager->FindControlById(IdMainTab)) {
        if (VQTabCtrl* tabs = static_cast<VQTabCtrl*>(control->GetInterface(ControlTypeTab))) {
            if (tabs->GetSelectedItem() != tabs->GetItemAt(2)) tabs->SelectItem(2);
        }
    }
}

void VQPageFilters::AddResultTiles(size_t count) {
    VQIconList* list = ListById(m_manager, IdSearchList);
    const VQDatabaseXmlFile* database = m_catalogue.get();
    if (!list || !database) {
        m_pendingIds.clear();
        m_pendingNext = 0;
        return;
    }
    // Picture files known from earlier searches hold while the folder is unchanged.
    std::wstring folder, separator, name;
    SplitFolderAndName(GetGameIconPath(0), folder, separator, name);
    const std::wstring pictureStamp = FileStamp(folder);
    // A missing folder (stamp empty) holds no pictures: nothing to ask.
    if (pictureStamp != m_pictureFolderStamp) m_iconExists.clear();
    m_pictureFolderStamp = pictureStamp;
    // Whether an installed copy exists decides the state: the installed
    // games are listed once for the slice, not searched for every tile.
    std::unordered_set<uint32_t> installed;
    for (int id : {static_cast<int>(IdInstalledList), static_cast<int>(IdQuickList)}) {
        if (VQIconList* other = ListById(m_manager, id))
            for (VQGameIcon* tile : other->GetTiles())
                if (tile->GetState() == kTileInstalled) installed.insert(tile->GetGameId());
    }
    const size_t end = std::min(m_pendingIds.size(), m_pendingNext + count);
    std::vector<VQGameIcon*> tiles;
    tiles.reserve(end - m_pendingNext);
    for (; m_pendingNext < end; ++m_pendingNext) {
        const uint32_t id = m_pendingIds[m_pendingNext];
        const VQGameRecord* record = database->FindById(id);
        if (!record) continue;
        VQGameIcon* tile = new (std::nothrow) VQGameIcon();
        if (!tile) continue;
        // Made whole before the list gives it its manager: a tile without
        // one asks the window for no repaint of a place it does not have yet.
        tile->SetFromRecord(*record);
        tile->SetImage(ResultIcon(id));
        tile->SetState(installed.count(tile->GetGameId()) ? kTileInstalled : kTileNotInstalled);
        tiles.push_back(tile);
    }
    std::vector<VQGameIcon*> refused;
    list->AddTiles(tiles, refused);
    for (VQGameIcon* tile : refused) delete tile;
    if (m_pendingNext >= m_pendingIds.size()) {
        m_pendingIds.clear();
        m_pendingNext = 0;
    }
}

void VQPageFilters::DeleteRetiredTiles(size_t count) {
    count = std::min(count, m_retiring.size());
    const auto from = m_retiring.end() - static_cast<std::ptrdiff_t>(count);
    for (auto it = from; it != m_retiring.end(); ++it) delete *it;
    m_retiring.erase(from, m_retiring.end());
}

bool VQPageFilters::FillNextSearchSlice() {
    if (!HasPendingResults()) return false;
    DeleteRetiredTiles(kRetireSliceTiles);
    if (m_pendingNext < m_pendingIds.size()) AddResultTiles(kResultSliceTiles);
    return HasPendingResults();
}

void VQPageFilters::FinishSearchFill() {
    DeleteRetiredTiles(m_retiring.size());
    if (m_pendingNext < m_pendingIds.size()) AddResultTiles(m_pendingIds.size());
}

void VQPageFilters::OnPageFilterSelected(VQNotifyMsg& msg) {
    VQCombo* combo = msg.sender ? static_cast<VQCombo*>(msg.sender->GetInterface(ControlTypeCombo)) : nullptr;
    if (!combo) return;
    const int s = combo->GetCurSel();
    if (VQControl* item = combo->GetComboItem(s)) combo->SetText(item->GetText());
    if (s == -1) return;
    const int comboId = combo->GetId();
    // The kind filter acts on every result.
    if (comboId == IdSearchKindCombo) FinishSearchFill();
    VQIconList* list = ListById(m_manager, ListOfCombo(comboId));
    if (!list) return;
    bool anyShown = false;
    switch (comboId) {
    case IdToolFilterCombo:
    case IdSingleFilterCombo:
    case IdFlashFilterCombo:
        anyShown = FilterTilesByCategory(*list, s);
        break;
    case IdHotFilterCombo:
    case IdSearchKindCombo:
        anyShown = FilterTilesByKind(*list, s);
        break;
    case IdSortCombo:
        if (list->GetId() != IdInstalledList) return;
        g_tileSortMode = s;
        if (list->GetTileCount() > 1) {
            std::vector<VQGameIcon*>& tiles = list->GetTiles();
            // The add tile stays last whatever the order.
            auto end = !tiles.empty() && tiles.back()->IsAddTile() ? tiles.end() - 1 : tiles.end();
            std::sort(tiles.begin(), end, CompareTilesForSort);
        }
        SnapshotCurrentPage(list, true);
        list->Relayout();
        list->ShowFirstPage();
        return;
    default:
        return;
    }
    SnapshotCurrentPage(list, anyShown);
    list->Relayout();
    list->ShowFirstPage();
    if (!anyShown && m_emptyPage && list->GetPageBar()) m_emptyPage(list->GetPageBar()->GetTabStrip());
}

void VQPageFilters::SnapshotCurrentPage(VQIconList* list, bool keepInFlow) {
    m_pageSwitch = true;
    if (!list) return;
    VQIconListPage* page = new (std::nothrow) VQIconListPage(list);
    if (!page) return;
    page->SetEnabled(false);
    page->SetId(IdSnapshotPage);
    page->SetManager(m_manager);
    // The copies belong to the snapshot, not to the list.
    page->SetAutoDestroy(true);
    VQIconListPage* current = list->GetCurrentPageControl();
    if (list->GetPageCount() > 0 && current) {
        current->CopyTilesInto(page);
        if (!keepInFlow) {
            const RECT rc = current->GetPos();
            page->SetAbsFloat(true);
            page->SetFixedXY(rc.left, rc.top);
            page->SetFixedWidth(rc.right - rc.left);
            page->SetFixedHeight(rc.bottom - rc.top);
        }
    }
    delete m_snapshot;
    m_snapshot = page;
}

}  // namespace Tessar
