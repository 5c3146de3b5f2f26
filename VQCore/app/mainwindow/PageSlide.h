#pragma once
// The page change effect of the main window (the setting OpenEffect): the
// page that goes and the page that comes move side by side across the
// area they share, each by a motion animation (control timer 1, every
// 10 ms); the new page comes in from the side of its tab. The page that
// goes is a page of the window, shown for the slide and hidden again at
// its end, or a stand-in for a page that no longer exists: the snapshot
// of an icon list that a filter or a sort rebuilt. That temporary slide
// control is detached at the end and handed to the toolkit's delayed
// clean-up. The page that goes takes no mouse input on its way out (a
// click lands on the page that comes, or on nothing). The main window
// passes the animation-step notifications (20) on.

#include <windows.h>

namespace Tessar {

class VQControl;
class VQPageFilters;
class VQPaintManager;
class VQTabCtrl;

class VQPageSlide {
public:
    explicit VQPageSlide(VQPaintManager& manager) : m_manager(manager) {}
    VQPageSlide(const VQPageSlide&) = delete;
    VQPageSlide& operator=(const VQPageSlide&) = delete;

    // Notification 13 of a tab control, once the selected item's page is
    // shown: slides from the page of the item selected before to it. For
    // an icon list rebuilt by a filter or a sort (`filters` holds its
    // snapshot and the page-switch flag), the snapshot is the page that
    // goes; the slide takes it over. Nothing slides while the window is
    // hidden. True when a slide started.
    bool OnPageSelected(VQTabCtrl& tabs, VQPageFilters* filters);
    // Moves `outgoing` out of `area` and `incoming` into it; direction 1
    // towards the left, -1 towards the right. A slide still running ends
    // first. `tabs` decides, at the end, whether a page of the window that
    // went stays shown (only when its tab is selected again meanwhile).
    bool Start(VQControl* outgoing, bool temporary, VQControl* incoming, const RECT& area, int direction,
               VQTabCtrl* tabs);
    // An animation-step notification: true when it ended the slide.
    bool OnAnimationStep(VQControl* sender);
    // Puts both pages where the slide ends, at once; true when one ran.
    bool Finish();
    bool IsRunning() const { return m_outgoing.control != nullptr || m_incoming.control != nullptr; }
    VQControl* GetOutgoing() const { return m_outgoing.control; }
    VQControl* GetIncoming() const { return m_incoming.control; }

    // 12 steps of 10 ms: a page change takes about an eighth of a second.
    static const unsigned kSteps = 12;
    static const UINT kStepMs = 10;

private:
    struct Mover {
        VQControl* control = nullptr;
        bool temporary = false;
        bool absFloat = false;
        bool floating = false;
        bool relFloat = false;
        bool enabled = true;
        POINT fixedXY = {0, 0};
        int fixedWidth = 0;
        int fixedHeight = 0;
    };
    bool Launch(Mover& mover, VQControl* control, const RECT& area, int fromX, int toX);
    // The end of one page's part: float values back, the page that went
    // hidden (or, a stand-in, handed to the clean-up).
    void Land(Mover& mover, bool outgoing);
    bool IsInTree(const VQControl* control) const;

    VQPaintManager& m_manager;
    Mover m_outgoing;
    Mover m_incoming;
    VQTabCtrl* m_tabs = nullptr;
    int m_outgoingPageId = 0;
};

}  // namespace Tessar
