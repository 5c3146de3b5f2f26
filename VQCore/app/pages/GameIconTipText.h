#pragma once
// The category line of the game-icon tip: the genre name of the page the
// tile lies on, or the kind of the game's id band.

#include <cstdint>
#include <string>

namespace Tessar {

// listId: the control id of the tile's page (114-121, 113); genre: the
// game's genre number on that page.
std::wstring TipCategoryText(int listId, uint32_t gameId, uint32_t genre);

}  // namespace Tessar
