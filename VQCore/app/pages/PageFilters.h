#pragma once
// What the main window does to the tiles of one icon list after a search
// or a choice in a filter or sort combo: the search-results page filled
// from the catalogue, tiles hidden by category or game kind, the installed
// games re-ordered, and the snapshot page of the page-switch effect. The
// main window (VQMarloxWnd) owns one and forwards to it.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ui/Event.h"

namespace Tessar {

class VQContainer;
class VQDatabaseXmlFile;
class VQQueryData;
class VQGameIcon;
class VQIconList;
class VQIconListPage;
class VQPaintManager;
class VQTabCtrl;

// The sort order of the installed games: -1 none, 0 install time oldest
// first, 1 last start newest first, 2 most starts first, 3 install time
// newest first, 4 game kind lowest first.
extern int g_tileSortMode;
// Whether a sorts before b in g_tileSortMode.
bool CompareTilesForSort(const VQGameIcon* a, const VQGameIcon* b);

// Shows the tiles of `kind` (0 all) or of `category` (0 all); true when at
// least one tile is shown.
bool FilterTilesByKind(VQIconList& list, int kind);
bool FilterTilesByCategory(VQIconList& list, int category);

// Destroyed before the paint manager it was given (its snapshot's tiles
// name that manager).
class VQPageFilters {
public:
    explicit VQPageFilters(VQPaintManager* manager);
    ~VQPageFilters();
    VQPageFilters(const VQPageFilters&) = delete;
    VQPageFilters& operator=(const VQPageFilters&) = delete;

    // Search for the text of the search box (175) into list 122. The
    // catalogue and search index default to the program's data folder.
    // The first page of results is made at once; the rest waits for
    // FillNextSearchSlice, so that a keystroke never makes thousands of
    // tiles before the page shows.
    void ShowSearchResults();
    // Adds the next kResultSliceTiles results to the list and deletes up to
    // kRetireSliceTiles tiles of the search before (they left the list at
    // the keystroke); true while more are left (the window calls again
    // from its message loop).
    bool FillNextSearchSlice();
    // Results still to add, or old results still to delete.
    bool HasPendingResults() const { return m_pendingNext < m_pendingIds.size() || !m_retiring.empty(); }
    // Adds every result still waiting (before the list is filtered) and
    // deletes the old tiles still waiting.
    void FinishSearchFill();
    static const size_t kResultSliceTiles = 40;
    static const size_t kRetireSliceTiles = 200;
    // A combo item selected (notification 19): filter or sort its list.
    void OnPageFilterSelected(VQNotifyMsg& msg);
    // Installed-state copies of the list's current page, as page 174.
    void SnapshotCurrentPage(VQIconList* list, bool keepInFlow);

    VQIconListPage* GetSnapshot() const { return m_snapshot; }
    // Hands the snapshot to the caller (who deletes it).
    VQIconListPage* TakeSnapshot();
    bool IsPageSwitching() const { return m_pageSwitch; }
    void SetPageSwitching(bool on) { m_pageSwitch = on; }

    // The window's handling of a filtered page with no tile left.
    void SetEmptyPageHandler(std::function<void(VQTabCtrl*)> handler) { m_emptyPage = std::move(handler); }
    // Hides the search pop-up before a search.
    void SetSearchPopupHider(std::function<void()> hider) { m_hideSearchPopup = std::move(hider); }
    // For tests and the benchmark: where the catalogue and index are.
    void SetDataPaths(const std::wstring& databasePath, const std::wstring& indexPath);

private:
    bool RunSearch(const std::wstring& text, std::vector<uint32_t>& ids);
    // The catalogue as the file holds it now: loaded again only when the
    // file changed since the last search (its size or write time), so that
    // typing does not re-read thousands of games per keystroke.
    const VQDatabaseXmlFile* Catalogue();
    // The picture description of a result; whether its picture file exists
    // is remembered while the picture folder stays unchanged (pictures
    // arrive by the icon download, which changes the folder).
    std::wstring ResultIcon(uint32_t gameId);
    // Makes tiles for the next `count` waiting results.
    void AddResultTiles(size_t count);
    // Deletes up to `count` tiles of earlier results.
    void DeleteRetiredTiles(size_t count);

    VQPaintManager* m_manager;
    VQIconListPage* m_snapshot = nullptr;
    bool m_pageSwitch = false;
    std::function<void(VQTabCtrl*)> m_emptyPage;
    std::function<void()> m_hideSearchPopup;
    std::wstring m_databasePath;
    std::wstring m_indexPath;
    std::unique_ptr<VQQueryData> m_query;
    std::unique_ptr<VQDatabaseXmlFile> m_catalogue;
    std::wstring m_catalogueStamp;
    std::map<uint32_t, bool> m_iconExists;
    std::wstring m_pictureFolderStamp;
    // Results of the last search not yet on the list.
    std::vector<uint32_t> m_pendingIds;
    size_t m_pendingNext = 0;
    // Tiles of earlier results, off the list, waiting to be deleted.
    std::vector<VQGameIcon*> m_retiring;
};

}  // namespace Tessar
