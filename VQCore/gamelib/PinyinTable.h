#pragma once
// The syllable table behind PinyinOfCharacter, generated at build time from
// the Unihan data by scripts/gen-pinyin-table.py (the generator checks the
// rows and entries the program relies on and fails the build otherwise).

#include <cstddef>
#include <cstdint>

namespace Tessar {

// Zone-position codes: level 1 is ordered by pinyin, level 2 by radical.
const uint32_t kPinyinLevel1First = 1601;
const uint32_t kPinyinLevel1Last = 5589;
const uint32_t kPinyinLevel2First = 5601;
const uint32_t kPinyinLevel2Last = 8794;

// Syllables are upper-case ASCII, except the two level-2 syllables that
// carry a GB2312 letter with diaeresis ("L" A8 B9 and "N" A8 B5).
struct VQPinyinRange {
    uint16_t first;
    uint16_t last;
    const char* syllable;
};

// Ascending and joined up: each row begins at the code after the previous
// row's last code; together they cover level 1, one row per syllable.
extern const VQPinyinRange kPinyinLevel1Ranges[];
extern const size_t kPinyinLevel1RangeCount;

// Indexed by code - kPinyinLevel2First; null where a code has no reading
// (also the unused positions 95-100 of each zone).
extern const char* const kPinyinLevel2Syllables[kPinyinLevel2Last - kPinyinLevel2First + 1];

}  // namespace Tessar
