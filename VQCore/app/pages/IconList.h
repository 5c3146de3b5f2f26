#pragma once
// Folder pages/: the game tiles (GameIcon*), the paged lists that hold
// them (IconList*), the page filters, and the list files the pages are
// loaded from and saved to.
//
// The paged grid of game tiles on the main window: one list per page of the
// window (catalogue kinds, hot list, installed games, quick strip,
// downloads, tools, search results). The list owns its tiles in one
// ordered vector and spreads them over pages of rows x columns cells; the
// page bar below (previous, numbered page tabs, next) switches pages.

#include <string>
#include <vector>

#include "VQCore/app/start/AppControlTypes.h"
#include "ui/Container.h"

namespace Tessar {

class VQGameIcon;
class VQIconListContext;
class VQIconListControl;
class VQIconListPage;

class VQIconList : public VQContainer {
public:
    VQIconList();
    // Deletes every tile of the vector while delete-tiles is set.
    ~VQIconList() override;

    int GetControlType() const override { return ControlTypeIconList; }
    VQControl* GetInterface(int type) override;
    // Makes the context and the page bar, then the container's init.
    void DoInit() override;
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;
    // The installed games answer their parent's visibility.
    bool IsVisible() const override;
    // Starts or stops the current page's state timers first.
    void SetVisible(bool visible) override;

    // Only game tiles; a tile lands before the add tile when there is one.
    bool AddTile(VQControl* control);
    // AddTile for each; those the list refused are left in `refused` for
    // the caller. A first page made here shows once it holds all of its
    // tiles, so that each tile does not invalidate the window on its own.
    void AddTiles(const std::vector<VQGameIcon*>& tiles, std::vector<VQGameIcon*>& refused);
    // Only on the downloads (119) and installed (120) lists, never the add
    // tile. Delayed deletion goes through the manager's clean-up list.
    bool RemoveTile(VQGameIcon* tile, bool deleteLater);
    void RemoveAllTiles();
    // Takes every tile off the list as RemoveAllTiles does (each told of its
    // removal and forgotten by the manager) but hands them to the caller
    // to delete, so that thousands of them can go in slices.
    void ReleaseAllTiles(std::vector<VQGameIcon*>& tiles);
    // Rebuilds the pages from the vector after tiles were hidden, shown or
    // re-ordered; hidden tiles sit on no page.
    void Relayout();
    void AddAddTile();
    // 1-based page of the tile (the page after the last for a stranger).
    int PageOfTile(const VQGameIcon* tile) const;

    // Paging: only when enabled and with a page bar; the index is clamped.
    void ShowPageAt(int index);
    void ShowFirstPage();
    void ShowLastPage();
    void ShowPreviousPage();
    void ShowNextPage();
    // Scrolls the tab window to the page and selects its tab (0-based).
    void ShowPage(int index);

    std::vector<VQGameIcon*>& GetTiles() { return m_tiles; }
    const std::vector<VQGameIcon*>& GetTiles() const { return m_tiles; }
    int GetTileCount() const { return static_cast<int>(m_tiles.size()); }
    // Cells of one page, at least 1 (a skin's odd numbers never divide by
    // zero or overflow).
    int GetPageCapacity() const;
    int GetRows() const { return m_rows; }
    int GetColumns() const { return m_columns; }
    int GetLineSpacing() const { return m_lineSpacing; }
    int GetColumnSpacing() const { return m_columnSpacing; }
    int GetItemWidth() const { return m_itemWidth; }
    int GetItemHeight() const { return m_itemHeight; }
    RECT GetPageInset() const { return m_pageInset; }
    int GetCurrentPage() const { return m_currentPage; }
    void SetCurrentPage(int page) { m_currentPage = page; }
    int GetPageCount() const { return m_pageCount; }
    bool HasAddTile() const { return m_hasAddTile; }
    void SetDeleteTiles(bool on) { m_deleteTiles = on; }
    VQIconListContext* GetContext() const { return m_context; }
    VQIconListControl* GetPageBar() const { return m_pageBar; }
    // The page shown now, or null.
    VQIconListPage* GetCurrentPageControl() const;
    const std::wstring& GetTabItemAttributes() const { return m_tabItemAttributes; }
    const std::wstring& GetTabCtrlAttributes() const { return m_tabCtrlAttributes; }
    const std::wstring& GetHotBackground() const { return m_hotBackground; }
    const std::wstring& GetAddNormalImage() const { return m_addNormalImage; }
    const std::wstring& GetAddHotImage() const { return m_addHotImage; }
    const std::wstring& GetAddPushedImage() const { return m_addPushedImage; }

private:
    void ClearPages();
    void PlaceTile(VQGameIcon* tile, bool keepAddTileLast);
    // AddTile without showing the first page.
    bool InsertTile(VQGameIcon* tile);

    std::wstring m_tabCtrlAttributes;
    std::wstring m_tabItemAttributes;
    std::wstring m_pageAttributes;
    std::wstring m_contextAttributes;
    std::wstring m_pageBarAttributes;
    int m_rows = 0;
    int m_columns = 0;
    int m_lineSpacing = 0;
    int m_columnSpacing = 0;
    int m_itemWidth = 0;
    int m_itemHeight = 0;
    VQIconListContext* m_context = nullptr;
    VQIconListControl* m_pageBar = nullptr;
    std::vector<VQGameIcon*> m_tiles;
    RECT m_pageInset = {};
    int m_currentPage = 0;
    int m_pageCount = 0;
    int m_pageCountClamp = 0;
    bool m_deleteTiles = true;
    std::wstring m_addNormalImage;
    std::wstring m_addHotImage;
    std::wstring m_addPushedImage;
    std::wstring m_hotBackground;
    bool m_hasAddTile = false;
};

class VQPaintManager;

// Appends the tiles to the icon list of that name; false (the tiles left
// to the caller) when the window has no such list.
bool FillIconList(VQPaintManager* manager, const wchar_t* listName, const std::vector<VQGameIcon*>& tiles);

}  // namespace Tessar
