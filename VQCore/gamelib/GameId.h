#pragma once
// Game ids: an unsigned 32-bit number whose band gives the game's kind,
// which decides how the game is fetched, installed and started. A band
// starts one above a multiple of ten thousand, so 0, 20000, 40000, 50000,
// 70000, 90000 and everything above 99999 belong to no kind.

#include <cstdint>

namespace Tessar {

enum VQGameKind : uint32_t {
    kNoGameKind = 0,
    kSingleGameKind = 1,  // 1-19999 single-player games
    kOnlineGameKind = 2,  // 20001-39999 online-game clients
    kFlashGameKind = 3,   // 50001-69999 Flash games, played in Pallico
    kWebGameKind = 4,     // 70001-89999 web games, opened in Dravenn
    kToolGameKind = 5,    // 40001-49999 game tools
    kCustomGameKind = 6,  // 90001-99999 games the user added
};

const uint32_t kFirstCustomGameId = 90001;
const uint32_t kLastCustomGameId = 99999;

// One unsigned comparison each: ids below the band wrap to large numbers.
inline bool IsSingleGameId(uint32_t id) { return id - 1u < 19999u; }
inline bool IsOnlineGameId(uint32_t id) { return id - 20001u < 19999u; }
inline bool IsToolGameId(uint32_t id) { return id - 40001u < 9999u; }
inline bool IsFlashGameId(uint32_t id) { return id - 50001u < 19999u; }
inline bool IsWebGameId(uint32_t id) { return id - 70001u < 19999u; }
inline bool IsCustomGameId(uint32_t id) { return id - 90001u < 9999u; }

// The kind of the id's band, tested in the order 1 to 6; kNoGameKind for
// an id outside every band.
inline VQGameKind GameKindOf(uint32_t id) {
    if (IsSingleGameId(id))
        return kSingleGameKind;
    if (IsOnlineGameId(id))
        return kOnlineGameKind;
    if (IsFlashGameId(id))
        return kFlashGameKind;
    if (IsWebGameId(id))
        return kWebGameKind;
    if (IsToolGameId(id))
        return kToolGameKind;
    if (IsCustomGameId(id))
        return kCustomGameKind;
    return kNoGameKind;
}

}  // namespace Tessar
