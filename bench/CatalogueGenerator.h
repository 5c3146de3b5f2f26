#pragma once
// A synthetic catalogue for the benchmarks: games with realistic Chinese
// names, companies and synopses and the fields the update server fills,
// spread over the kinds as a real catalogue is. The same seed gives the
// same games, so benchmarks can share one catalogue.

#include "VQCore/gamelib/GameRecord.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Tessar {
namespace Bench {

const uint32_t kCatalogueGames = 10000;
const uint32_t kCatalogueSeed = 20240601;

// Ids ascending: 40% single-player, 25% online, 20% Flash, 10% web and 5%
// tools; about one game in twenty unpublished.
std::vector<VQGameRecord> MakeSyntheticGames(uint32_t count = kCatalogueGames, uint32_t seed = kCatalogueSeed);

// Writes the games as the program stores database.vqx (plain XML in the
// system code page, checksum head, padding, file cipher). plainText, when
// given, receives the plain XML that the file holds, checksum element
// included and padding left out. False when the file could not be written.
bool WriteSyntheticCatalogue(const std::vector<VQGameRecord>& games, const std::wstring& version,
                             const std::wstring& path, std::string* plainText);

}  // namespace Bench
}  // namespace Tessar
