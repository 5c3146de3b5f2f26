#pragma once
// The layout classes of the game windows' own markup tags: the black
// lights-off background that reports a click, and the game frame the user
// can drag while the lights are off.

#include <windows.h>

#include "ui/Container.h"
#include "ui/DialogBuilder.h"

namespace Tessar {

// Posted to the window while a VQMoveLayout is dragged (the Flash player
// moves its help panel along).
const UINT WM_VQ_FRAME_MOVED = 1026;

// A container that tells its window about a left-button press
// (notification 9, itself as sender) and then passes the event on.
class VQLightLayout : public VQContainer {
public:
    ~VQLightLayout() override;
    void OnLButtonDown(VQEvent& event) override;
};

// A container dragged by the mouse: each move adds the movement to its
// fixed position and has the parent lay out again.
class VQMoveLayout : public VQContainer {
public:
    // postMoved: post WM_VQ_FRAME_MOVED to the window after each move.
    explicit VQMoveLayout(bool postMoved = true) : m_postMoved(postMoved) {}
    void OnLButtonDown(VQEvent& event) override;
    void OnMouseMove(VQEvent& event) override;
    void OnLButtonUp(VQEvent& event) override;
    bool IsDragging() const { return (m_dragFlags & kDragging) != 0; }

private:
    static const unsigned kDragging = 0x10;
    POINT m_lastPoint = {0, 0};
    unsigned m_dragFlags = 0;
    bool m_postMoved;
};

// Markup tags "MoveLayout" and "LightLayout" (exact names); null for the
// builder's own tags. The web-game browser knows only "MoveLayout" and
// wants no move messages.
class VQDialogBuilderCallbackEx : public IBuilderCallback {
public:
    explicit VQDialogBuilderCallbackEx(bool lightLayout = true, bool postMoved = true)
        : m_lightLayout(lightLayout), m_postMoved(postMoved) {}
    VQControl* CreateControl(const wchar_t* tag) override;

private:
    bool m_lightLayout;
    bool m_postMoved;
};

}  // namespace Tessar
