#pragma once
// The hover tool bar of a game tile (id 179): eight small buttons (start,
// pause, download, details, folder, delete, home page, register) of which
// the tile's state, list and kind show four.

#include "VQCore/app/start/AppControlTypes.h"
#include "ui/Container.h"

namespace Tessar {

class VQGameIcon;

class VQGameIconToolBar : public VQContainer {
public:
    // The buttons sit in a row.
    VQGameIconToolBar() { m_layoutType = LayoutHorizontal; }
    int GetControlType() const override { return ControlTypeGameIconToolBar; }
    VQControl* GetInterface(int type) override;
    void OnMouseEnter(VQEvent& event) override;
    void OnMouseLeave(VQEvent& event) override;
    // A button's click: sends its notification with the tile as sender.
    bool Activate(VQEvent& event) override;

    // Attaches the tile (null detaches) and shows and enables the buttons
    // for its state, list and kind.
    void UpdateForTile(VQGameIcon* tile);
    VQGameIcon* GetTile() const { return m_tile; }

    static const int kButtonCount = 8;
    // The notification of each button, by index.
    static int NotificationOf(int index);

private:
    VQGameIcon* m_tile = nullptr;
};

}  // namespace Tessar
