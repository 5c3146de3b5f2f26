#pragma once
// The pages of an icon list and the container that holds them. A page shows
// up to rows x columns tiles of its list in cells; it does not own them.

#include "VQCore/app/start/AppControlTypes.h"
#include "ui/Container.h"

namespace Tessar {

class VQGameIcon;
class VQIconList;

class VQIconListContext : public VQContainer {
public:
    explicit VQIconListContext(VQIconList* owner) : m_owner(owner) {}

    int GetControlType() const override { return ControlTypeIconListContext; }
    VQControl* GetInterface(int type) override;
    // Visible exactly when its list is.
    bool IsVisible() const override;

    // Puts the tile on the last page, making a new (hidden) page when
    // there is none or it is full; true when a page was made.
    bool AddTile(VQGameIcon* tile, bool keepAddTileLast, bool& failed);
    // Takes the tile off its page and pulls the following tiles one place
    // forward; true when a page became empty and was removed.
    bool RemoveTile(VQGameIcon* tile);
    VQIconList* GetOwner() const { return m_owner; }

private:
    VQIconList* m_owner;
};

class VQIconListPage : public VQContainer {
public:
    explicit VQIconListPage(VQIconList* owner);

    int GetControlType() const override { return ControlTypeIconListPage; }
    VQControl* GetInterface(int type) override;
    void SetPos(int left, int top, int right, int bottom) override;
    void SetVisible(bool visible) override;

    // The cell of the index-th child; empty for a negative index.
    RECT GetCellRect(int index) const;
    // Starts (or stops) timer 8 of its tiles in states 3 and 4.
    void UpdateStateTimers(bool on);
    // Installed-state copies of its tiles, for the page-switch snapshot.
    void CopyTilesInto(VQContainer* container);
    VQIconList* GetOwner() const { return m_owner; }

    // Ids of new pages: 1001, 1002, ... for the whole process.
    static int NextPageId();

private:
    VQIconList* m_owner;
};

}  // namespace Tessar
