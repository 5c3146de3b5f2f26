#pragma once
// The main window's layout in a shown window, with the page slide, the
// tile moves and the page filters fed from its notifications as the main
// window feeds them (13 selection, 19 combo item, 20 animation step, 36 and
// 37 drops), for the tests of the page slide and the tile moves.

#include <windows.h>

#include <functional>
#include <vector>

#include "VQCore/app/pages/PageFilters.h"
#include "VQCore/app/mainwindow/PageSlide.h"
#include "VQCore/app/mainwindow/TileMoves.h"
#include "bench/MainLayoutHost.h"

namespace Tessar {
namespace Test {

// How long a motion may take to be seen under a loaded machine.
const DWORD kMotionTimeout = 5000;

inline bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

class VQMotionTestHost : public Bench::VQMainLayoutHost {
public:
    VQMotionTestHost();

    void Notify(VQNotifyMsg& msg) override;
    // Lays the tree out and shows the window (not activated), painted.
    void Show();
    VQControl* Find(int id) { return Manager().FindControlById(id); }
    VQTabCtrl* Tabs(int id);
    // The client area of a container: where its pages lie.
    RECT AreaOf(VQControl* container);
    // How many notifications 20 came from the control.
    int StepsFrom(const VQControl* control) const;
    void ClearSteps() { m_steps.clear(); }
    // Dispatches one message at a time until `done` holds, so that each
    // step of a motion can be seen; false after the time-out.
    bool PumpEachUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000);

    VQPageSlide& Slide() { return m_slide; }
    VQTileMoves& Moves() { return m_moves; }
    VQPageFilters& Filters() { return m_filters; }

    // The opening effect (the window's OpenEffect setting).
    bool slideOn = false;
    // Motions that ended (a slide or the last moving tile), and what the
    // test looks at the moment one ends.
    int ended = 0;
    std::function<void()> onEnded;

private:
    VQPageSlide m_slide;
    VQTileMoves m_moves;
    VQPageFilters m_filters;
    std::vector<const VQControl*> m_steps;
};

}  // namespace Test
}  // namespace Tessar
