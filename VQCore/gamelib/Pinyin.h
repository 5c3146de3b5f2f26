#pragma once
// Pinyin spelling of game names in the GB2312/GBK byte encoding, so that a
// game can be found by typing the pinyin of its name. One syllable per
// character, no tones; characters without a reading give "?".

#include <cstdint>
#include <string>

namespace Tessar {

struct PinyinOptions {
    uint8_t separator;       // an apostrophe after every input character
    uint8_t capitalInitial;  // first letter of each syllable upper case
    uint8_t capitalRest;     // other letters of each syllable upper case
    uint8_t initialsOnly;    // only the first letter of each syllable
};

// GB2312 zone-position code of lead byte L and trail byte T (both >= 0xA1).
inline uint32_t GbZonePositionCode(unsigned char lead, unsigned char trail) {
    return lead * 100u + trail - 16160u;
}

// The syllable of one zone-position code, upper case, or "?".
std::string PinyinOfCharacter(uint32_t code);

// Bytes below 0x80 are kept; a GB2312 pair becomes its syllable. A byte of
// 0x80 or above that does not start a pair of two bytes >= 0xA1 is dropped
// alone, so the byte after it is read as a character of its own. Null
// options count as all off (the setting the search index uses).
std::string ConvertToPinyin(const PinyinOptions* options, std::string text);

}  // namespace Tessar
