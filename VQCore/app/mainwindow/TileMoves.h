#pragma once
// The tiles of a page going to their new places after a drag and drop
// (notifications 36 and 37 of the page). The page and its list take the
// new order at once; each tile whose place changed floats from where it
// stood to its new cell by a motion animation (control timer 1, every
// 10 ms). The main window passes the animation-step notifications (20) on:
// when the last moving tile arrived, every tile is back in the page's flow
// and the window writes the new order.

#include <windows.h>

#include <vector>

namespace Tessar {

class VQControl;
class VQGameIcon;
class VQIconList;
class VQIconListPage;
class VQPaintManager;

// The order of a page's items after a drop: order[i] is the old index of
// the item that ends at place i. A swap exchanges `from` and `to`; a move
// takes the item at `from` to `to` and every item in between one place
// back towards `from`. Returns how many items change place (2 for a swap,
// the distance plus 1 for a move); 0, with the order unchanged, when
// nothing moves or an index lies outside 0 .. count - 1.
int PlanTileMove(int count, int from, int to, bool swap, std::vector<int>& order);

class VQTileMoves {
public:
    explicit VQTileMoves(VQPaintManager& manager) : m_manager(manager) {}
    VQTileMoves(const VQTileMoves&) = delete;
    VQTileMoves& operator=(const VQTileMoves&) = delete;

    // A drop reported by a page: `onto` for notification 37 (the tile at
    // `from` and the tile at `target` change places), else 36 (the tile at
    // `from` goes to `target`; past the last tile means the last place, and
    // the tile that adds games stays last). Moves still running end first.
    // Returns the number of tiles that move (0: nothing changed).
    int OnTileDropped(VQIconListPage* page, bool onto, int from, int target);
    // An animation-step notification: true when the sender was the last
    // moving tile.
    bool OnAnimationStep(VQControl* sender);
    // A tile that leaves its page while it moves; true when it was the last.
    bool Forget(VQControl* tile);
    // Puts every moving tile at its place at once; true when any moved.
    bool FinishAll();
    int GetMovingCount() const { return static_cast<int>(m_movers.size()); }

    // 15 steps of 10 ms: the tiles arrive in about 0.15 s, slowing down.
    static const unsigned kSteps = 15;
    static const UINT kStepMs = 10;

private:
    struct Mover {
        VQGameIcon* tile;
        VQIconList* list;  // outlives the move; tells whether the tile still lives
        bool absFloat;
        POINT fixedXY;
        int fixedWidth;
        int fixedHeight;
    };
    void Launch(VQGameIcon* tile, VQIconList* list, const RECT& target);
    // Back into the page's flow: the float and fixed values it had.
    void Land(const Mover& mover);

    VQPaintManager& m_manager;
    std::vector<Mover> m_movers;
};

}  // namespace Tessar
