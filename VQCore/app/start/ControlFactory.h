#pragma once
// The main program's own markup tags: "TabTop", "IconList",
// "SkinContainer", "GameIconToolBar", "GameIcon" (and "EnvironmentItem" of
// the runtime window). Given to the markup builder by every window of the
// program.

#include <memory>

#include "VQCore/gamelib/GameTile.h"
#include "ui/DialogBuilder.h"

namespace Tessar {

class VQDialogBuilderCallbackEx : public IBuilderCallback {
public:
    // A new control for one of the tags (compared whole and case-sensitively),
    // null for any other tag or when it cannot be made.
    VQControl* CreateControl(const wchar_t* tag) override;
};

// A game tile made for the game library's loaders (VQGameTileFactory).
std::unique_ptr<IGameTile> MakeGameTile();

}  // namespace Tessar
