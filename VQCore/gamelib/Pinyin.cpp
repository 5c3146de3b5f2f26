#include "VQCore/gamelib/Pinyin.h"

#include "VQCore/gamelib/PinyinTable.h"

#include <algorithm>

namespace Tessar {

namespace {

const char kNoReading[] = "?";

// The table's own text, so that a lookup allocates nothing.
const char* SyllableOf(uint32_t code) {
    if (code >= kPinyinLevel2First && code <= kPinyinLevel2Last) {
        const char* syllable = kPinyinLevel2Syllables[code - kPinyinLevel2First];
        if (syllable)
            return syllable;
    }
    // The rows are ascending and joined up, so the first row whose last code
    // is not below the code is the only one that can hold it.
    const VQPinyinRange* begin = kPinyinLevel1Ranges;
    const VQPinyinRange* end = kPinyinLevel1Ranges + kPinyinLevel1RangeCount;
    const VQPinyinRange* row = std::lower_bound(
        begin, end, code, [](const VQPinyinRange& r, uint32_t c) { return r.last < c; });
    if (row != end && row->first <= code)
        return row->syllable;
    return kNoReading;
}

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

std::string PinyinOfCharacter(uint32_t code) {
    return SyllableOf(code);
}

std::string ConvertToPinyin(const PinyinOptions* options, std::string text) {
    const PinyinOptions none = {0, 0, 0, 0};
    const PinyinOptions& o = options ? *options : none;
    std::string result;
    result.reserve(text.size() * 3);
    const size_t length = text.size();
    size_t i = 0;
    while (i < length) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            result += static_cast<char>(lead);
            if (o.separator)
                result += '\'';
            ++i;
            continue;
        }
        const unsigned char trail = i + 1 < length ? static_cast<unsigned char>(text[i + 1]) : 0;
        if (lead < 0xA1 || trail < 0xA1) {
            ++i;
            continue;
        }
        const char* syllable = SyllableOf(GbZonePositionCode(lead, trail));
        size_t count = 0;
        while (syllable[count])
            ++count;
        if (o.initialsOnly && count > 0)
            count = 1;
        for (size_t k = 0; k < count; ++k) {
            char c = syllable[k];
            if (k == 0 ? !o.capitalInitial : !o.capitalRest)
                c = LowerAscii(c);
            result += c;
        }
        if (o.separator)
            result += '\'';
        i += 2;
    }
    return result;
}

}  // namespace Tessar
