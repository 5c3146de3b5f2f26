#pragma once
// What the game library fills in a game tile. The main window's tile
// control (VQGameIcon) implements it; whoever receives a filled tile owns
// it and deletes it through this interface.

#include "VQCore/gamelib/GameRecord.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace Tessar {

enum VQTileState : uint32_t {
    kTileInstalled = 1,
    kTileNotInstalled = 2,
    kTileWaiting = 3,
    kTileDownloading = 4,
    kTilePaused = 5,
    kTileDownloaded = 6,
};

// The built-in picture of a game without an icon file (a PNG resource).
const int32_t kDefaultGamePictureId = 248;

class IGameTile {
public:
    virtual ~IGameTile() {}

    virtual void SetGameId(uint32_t id) = 0;
    // A VQTileState; rebuilds the tile's tool bar and captions.
    virtual void SetState(uint32_t state) = 0;
    // Name and catalogue data of the game.
    virtual void SetFromRecord(const VQGameRecord& record) = 0;
    virtual void SetUninstallKey(const std::wstring& key) = 0;
    // kGameStatusLength characters.
    virtual void SetStatus(const char* status) = 0;
    // The program that starts the game, its arguments and working folder.
    virtual void SetFullPath(const std::wstring& path) = 0;
    virtual void SetRunArg(const std::wstring& arguments) = 0;
    virtual void SetWorkingDir(const std::wstring& folder) = 0;
    // An image text: "file='...' encrypt='true'" or "res='248' restype='PNG'".
    virtual void SetImage(const std::wstring& image) = 0;
};

// Makes an empty tile; null when it cannot.
typedef std::function<std::unique_ptr<IGameTile>()> VQGameTileFactory;

}  // namespace Tessar
