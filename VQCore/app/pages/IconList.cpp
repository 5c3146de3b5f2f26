#include "VQCore/app/pages/IconList.h"

#include <algorithm>
#include <new>

#include "VQCore/app/pages/GameIcon.h"
#include "VQCore/app/pages/IconListControl.h"
#include "VQCore/app/pages/IconListPage.h"
#include "ui/MarkupValue.h"
#include "ui/PaintManager.h"

namespace Tessar {

VQIconList::VQIconList() {
    // The pages above, the page bar below.
    m_layoutType = LayoutVertical;
}

VQIconList::~VQIconList() {
    // Pages hold tiles without owning them: empty them before the
    // container deletes them with the tiles still alive.
    if (m_context) {
        for (int i = 0; i < m_context->GetCount(); ++i) {
            VQContainer* page = static_cast<VQContainer*>(m_context->GetItemAt(i)->GetInterface(ControlTypeContainer));
            if (page) page->RemoveAll();
        }
    }
    if (m_deleteTiles) {
        std::vector<VQGameIcon*> tiles;
        tiles.swap(m_tiles);
        for (VQGameIcon* tile : tiles) {
            // A hidden tile names the list as its parent but is no child.
            delete tile;
        }
    }
}

VQControl* VQIconList::GetInterface(int type) {
    if (type == ControlTypeIconList || type == ControlTypeContainer || type == ControlTypeControl) return this;
    return nullptr;
}

void VQIconList::DoInit() {
    if (!m_context) {
        m_context = new (std::nothrow) VQIconListContext(this);
        // Attributes first: adding to a live tree initialises the child at once.
        if (m_context) {
            m_context->ApplyAttributeList(m_contextAttributes);
            Add(m_context);
        }
    }
    if (!m_pageBar) {
        m_pageBar = new (std::nothrow) VQIconListControl(this);
        if (m_pageBar) {
            m_pageBar->ApplyAttributeList(m_pageBarAttributes);
            Add(m_pageBar);
        }
    }
    VQContainer::DoInit();
}

void VQIconList::SetAttribute(const std::wstring& name, const std::wstring& value) {
    if (name == L"numberofrow") m_rows = _wtoi(value.c_str());
    else if (name == L"numberofcolumn") m_columns = _wtoi(value.c_str());
    else if (name == L"linespacing") m_lineSpacing = _wtoi(value.c_str());
    else if (name == L"columnspacing") m_columnSpacing = _wtoi(value.c_str());
    else if (name == L"itemwidth") m_itemWidth = _wtoi(value.c_str());
    else if (name == L"itemheight") m_itemHeight = _wtoi(value.c_str());
    else if (name == L"pageinset") m_pageInset = ParseMarkupRect(value);
    else if (name == L"page") m_pageAttributes = value;
    else if (name == L"tabctrl") m_tabCtrlAttributes = value;
    else if (name == L"context") {
        m_contextAttributes = value;
        if (m_context) m_context->ApplyAttributeList(value);
    } else if (name == L"control") {
        m_pageBarAttributes = value;
        if (m_pageBar) m_pageBar->ApplyAttributeList(value);
    } else if (name == L"tabitem") {
        m_tabItemAttributes = value;
        if (m_pageBar && m_pageBar->GetTabStrip()) m_pageBar->GetTabStrip()->SetItemAttributes(value);
    } else if (name == L"addnormalimage" || name == L"addhotimage" || name == L"addpushedimage") {
        const int index = name == L"addnormalimage" ? ImageNormal : name == L"addhotimage" ? ImageHot : ImagePushed;
        std::wstring& field = index == ImageNormal ? m_addNormalImage : index == ImageHot ? m_addHotImage : m_addPushedImage;
        field = value;
        if (m_manager) {
            if (VQControl* add = m_manager->FindControlById(IdAddTile)) add->m_stateImages[index] = value;
        }
    } else if (name == L"iconbkhotimage") {
        m_hotBackground = value;
    } else {
        VQContainer::SetAttribute(name, value);
    }
}

bool VQIconList::IsVisible() const {
    if (m_id == IdInstalledList) return m_parent ? m_parent->IsVisible() : m_visible;
    return VQContainer::IsVisible();
}

void VQIconList::SetVisible(bool visible) {
    if (VQIconListPage* page = GetCurrentPageControl()) page->UpdateStateTimers(visible);
    VQContainer::SetVisible(visible);
}

VQIconListPage* VQIconList::GetCurrentPageControl() const {
    if (!m_context || m_currentPage <= 0 || m_currentPage > m_context->GetCount()) return nullptr;
    return static_cast<VQIconListPage*>(m_context->GetItemAt(m_currentPage - 1)->GetInterface(ControlTypeIconListPage));
}

void VQIconList::PlaceTile(VQGameIcon* tile, bool keepAddTileLast) {
    bool failed = false;
    const bool newPage = m_context->AddTile(tile, keepAddTileLast, failed);
    if (failed || !newPage) return;
    ++m_pageCount;
    ++m_pageCountClamp;
    if (m_pageBar) {
        VQControl* page = m_context->GetItemAt(m_context->GetCount() - 1);
        m_pageBar->AddPageTab(page->GetId());
    }
}

bool VQIconList::AddTile(VQControl* control) {
    VQGameIcon* tile = control ? static_cast<VQGameIcon*>(control->GetInterface(ControlTypeGameIcon)) : nullptr;
    if (!tile) return false;
    const int pagesBefore = m_pageCount;
    if (!InsertTile(tile)) return false;
    if (pagesBefore == 0 && m_pageCount == 1 && IsEnabled() && m_pageBar) ShowFirstPage();
    return true;
}

void VQIconList::AddTiles(const std::vector<VQGameIcon*>& tiles, std::vector<VQGameIcon*>& refused) {
    const int pagesBefore = m_pageCount;
    for (VQGameIcon* tile : tiles)
        if (!tile || !InsertTile(tile)) refused.push_back(tile);
    if (pagesBefore == 0 && m_pageCount >= 1 && IsEnabled() && m_pageBar) ShowFirstPage();
}

bool VQIconList::InsertTile(VQGameIcon* tile) {
    if (!m_context) DoInit();
    if (!m_context) return false;
    tile->SetOwnerList(this);
    tile->SetManager(m_manager);
    const bool beforeAdd = m_hasAddTile && !m_tiles.empty() && m_tiles.back()->IsAddTile();
    if (beforeAdd) m_tiles.insert(m_tiles.end() - 1, tile);
    else m_tiles.push_back(tile);
    bool failed = false;
    const bool newPage = m_context->AddTile(tile, true, failed);
    if (failed) {
        m_tiles.erase(std::find(m_tiles.begin(), m_tiles.end(), tile));
        return false;
    }
    if (newPage) {
        ++m_pageCount;
        ++m_pageCountClamp;
        if (m_pageBar) m_pageBar->AddPageTab(m_context->GetItemAt(m_context->GetCount() - 1)->GetId());
    }
    return true;
}

bool VQIconList::RemoveTile(VQGameIcon* tile, bool deleteLater) {
    if (!tile || (m_id != IdInstalledList && m_id != IdDownloadList) || tile->IsAddTile()) return false;
    auto it = std::find(m_tiles.begin(), m_tiles.end(), tile);
    if (it == m_tiles.end()) return false;
    if (m_context && m_context->RemoveTile(tile)) {
        --m_pageCount;
        --m_pageCountClamp;
        if (m_pageBar) m_pageBar->RemovePageTab();
        // The page shown stays shown; only when the page shown was the one
        // that went does the list fall back to the new last page.
        if (m_currentPage > m_pageCount) {
            m_currentPage = m_pageCount;
            if (m_currentPage > 0) ShowPageAt(m_currentPage - 1);
        }
    }
    tile->SetParent(nullptr);
    m_tiles.erase(std::find(m_tiles.begin(), m_tiles.end(), tile));
    if (deleteLater) {
        if (m_manager) {
            m_manager->AddDelayedCleanup(tile);
            m_manager->PostDelayedCleanup();
        } else {
            delete tile;
        }
    }
    NeedUpdate();
    Invalidate();
    return true;
}

void VQIconList::ClearPages() {
    m_pageCount = 0;
    m_pageCountClamp = 0;
    m_currentPage = 0;
    if (m_context) {
        for (int i = 0; i < m_context->GetCount(); ++i) {
            VQContainer* page = static_cast<VQContainer*>(m_context->GetItemAt(i)->GetInterface(ControlTypeContainer));
            if (page) page->RemoveAll();
        }
        m_context->RemoveAll();
    }
    if (m_pageBar) m_pageBar->ResetTabs();
}

void VQIconList::RemoveAllTiles() {
    std::vector<VQGameIcon*> tiles;
    ReleaseAllTiles(tiles);
    for (VQGameIcon* tile : tiles) delete tile;
}

void VQIconList::ReleaseAllTiles(std::vector<VQGameIcon*>& tiles) {
    ClearPages();
    tiles.clear();
    tiles.swap(m_tiles);
    // Through the removal notification: the tip or a menu may hold one.
    // The manager forgets each at once (hover, capture, timers), not when
    // it is deleted.
    for (VQGameIcon* tile : tiles) {
        tile->NotifyRemoval();
        tile->SetParent(nullptr);
        if (m_manager) m_manager->ReapControl(tile);
    }
    m_hasAddTile = false;
    NeedUpdate();
    Invalidate();
}

void VQIconList::Relayout() {
    if (!m_context) DoInit();
    ClearPages();
    for (VQGameIcon* tile : m_tiles) {
        if (tile->IsVisible()) {
            if (m_context) PlaceTile(tile, false);
        } else {
            tile->SetParent(this);
        }
    }
    NeedUpdate();
    Invalidate();
}

void VQIconList::AddAddTile() {
    VQGameIcon* tile = new (std::nothrow) VQGameIcon();
    if (!tile) return;
    tile->SetAddTile(true);
    tile->SetText(TileString(StrAddGame));
    tile->SetId(IdAddTile);
    if (!AddTile(tile)) {
        delete tile;
        return;
    }
    m_hasAddTile = true;
}

int VQIconList::GetPageCapacity() const {
    const int64_t cells = static_cast<int64_t>(std::max(1, m_rows)) * std::max(1, m_columns);
    return static_cast<int>(std::min<int64_t>(cells, 1 << 20));
}

int VQIconList::PageOfTile(const VQGameIcon* tile) const {
    auto it = std::find(m_tiles.begin(), m_tiles.end(), tile);
    const int position = it == m_tiles.end() ? static_cast<int>(m_tiles.size()) : static_cast<int>(it - m_tiles.begin()) + 1;
    const int capacity = GetPageCapacity();
    return (position + capacity - 1) / capacity;
}

void VQIconList::ShowPageAt(int index) {
    if (!IsEnabled() || !m_pageBar) return;
    if (index > m_pageCountClamp - 1) index = m_pageCountClamp - 1;
    if (index < 0) index = 0;
    ShowPage(index);
}

void VQIconList::ShowFirstPage() {
    if (!IsEnabled() || !m_pageBar) return;
    ShowPage(m_pageCount > 0 ? 0 : -1);
}

void VQIconList::ShowLastPage() { ShowPageAt(m_pageCountClamp - 1); }
void VQIconList::ShowPreviousPage() { ShowPageAt(m_currentPage - 2); }
void VQIconList::ShowNextPage() { ShowPageAt(m_currentPage); }

void VQIconList::ShowPage(int index) {
    if (!m_pageBar || !m_context) return;
    m_pageBar->ScrollTabsTo(index + 1);
    if (VQPageTabCtrl* strip = m_pageBar->GetTabStrip()) strip->SelectItem(index);
    if (index < 0 || index >= m_context->GetCount()) return;
    // The pages follow the selection here too, so that a list shows its page
    // even before the window has an option group for its tabs.
    for (int i = 0; i < m_context->GetCount(); ++i) {
        VQControl* page = m_context->GetItemAt(i);
        // A page floating out of view (the window's page slide) is hidden
        // by the slide when it is out.
        if (i != index && IsFloating(page)) continue;
        if (page->IsVisible() != (i == index)) page->SetVisible(i == index);
    }
    m_currentPage = index + 1;
    NeedUpdate();
    Invalidate();
}

bool FillIconList(VQPaintManager* manager, const wchar_t* listName, const std::vector<VQGameIcon*>& tiles) {
    VQControl* control = manager ? manager->FindControlByName(listName) : nullptr;
    VQIconList* list = control ? static_cast<VQIconList*>(control->GetInterface(ControlTypeIconList)) : nullptr;
    if (!list) return false;
    for (VQGameIcon* tile : tiles)
        if (!list->AddTile(tile)) delete tile;
    return true;
}

}  // namespace Tessar
