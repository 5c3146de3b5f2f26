#!/usr/bin/env python3
"""Generates the pinyin table of the GB2312 characters from the Unihan data
of Debian's unicode-data package (/usr/share/unicode/Unihan_*.txt.bz2).

    gen-pinyin-table.py --unihan-dir /usr/share/unicode --output PinyinTable.cpp

kGB0 (Unihan_OtherMappings) gives each character's GB2312 zone-position
code; Unihan_Readings gives its readings. The table has two parts:

- level 1 (codes 1601-5589): GB2312 orders these characters by pinyin, so
  the table is a list of joined-up ranges, one per syllable. A character
  with several readings stands under one of them; the generator picks for
  every character one of its readings such that the syllables never go
  back in alphabetical order, preferring each character's first reading,
  and cuts the ranges where the syllable changes.
- level 2 (codes 5601-8794, ordered by radical): one syllable per code,
  taken from the first reading of a dictionary source (kXHC1983, then
  kTGHZ2013). A character that neither dictionary lists gets its kMandarin
  reading only when every source agrees on one syllable and that syllable
  is one of level 1; otherwise it gets none (the program shows "?").

Syllables are toneless upper-case ASCII; ü is written U (LU, NU, LUE, NUE),
except the bare level-2 syllables lü and nü, which keep the GB2312 letters
the program has always used for them (L + A8B9, N + A8B5).

The generated table is checked against rows and entries the program relies
on; the build fails loudly when the Unihan data gives something else.
Python standard library only.
"""

import argparse
import bz2
import collections
import os
import sys
import unicodedata

LEVEL1_FIRST, LEVEL1_LAST = 1601, 5589
LEVEL2_FIRST, LEVEL2_LAST = 5601, 8794

LEVEL1_FIELDS = ("kMandarin", "kXHC1983", "kTGHZ2013", "kHanyuPinyin", "kHanyuPinlu")
DICTIONARY_FIELDS = ("kXHC1983", "kTGHZ2013")

# GB2312 letters of the two bare ü syllables of level 2.
LU_DIAERESIS = "L" + "\u00fc"  # ü, A8 B9
NU_DIAERESIS = "N" + "\u01d6"  # ǖ, A8 B5

# Rows and entries that other code and stored data rely on.
EXPECTED_LEVEL1_ROWS = [
    (1601, 1602, "A"), (1603, 1615, "AI"), (1616, 1624, "AN"), (1625, 1627, "ANG"),
    (1628, 1636, "AO"), (1637, 1654, "BA"), (2287, 2287, "EN"), (2288, 2301, "ER"),
    (5576, 5579, "ZUI"), (5580, 5581, "ZUN"), (5582, 5589, "ZUO"),
]
EXPECTED_LEVEL2 = {
    5601: "CHU", 5602: None, 5603: "WU", 5634: "MI", 6328: "M", 6437: "N",
    8793: "HAN", 8794: "ZHA",
}
EXPECTED_SYLLABLE_COUNT = 402
# Syllables that only level-2 characters have. The table the program first
# shipped with also had GA here; Unihan reads 嘎 (2433) and its neighbour as
# ga, so GA has a level-1 row as well.
EXPECTED_LEVEL2_ONLY = {"CEN", "DIA", "M", "N", "NOU", LU_DIAERESIS, NU_DIAERESIS}
# The table the program first shipped with had 2,825 level-2 entries;
# Unihan reads more characters. Pinned so that a change of the Unihan data
# shows up here instead of silently changing stored spellings.
EXPECTED_LEVEL2_COUNT = 2993


def fail(message):
    sys.stderr.write("gen-pinyin-table: " + message + "\n")
    sys.exit(1)


def read_unihan(path):
    """Yields (code point, field, value) of one Unihan file."""
    try:
        with bz2.open(path, "rt", encoding="utf-8") as f:
            for line in f:
                if line.startswith("#") or not line.strip():
                    continue
                cp, field, value = line.rstrip("\n").split("\t", 2)
                yield int(cp[2:], 16), field, value
    except OSError as e:
        fail("cannot read %s: %s (is unicode-data installed?)" % (path, e))


def readings(values, field):
    """The readings of one field, in the order the field gives them."""
    value = values.get(field)
    if not value:
        return []
    result = []
    for part in value.split(" "):
        if field == "kMandarin":
            result.append(part)
        elif field == "kHanyuPinlu":
            result.append(part.split("(", 1)[0])
        else:  # "location:reading,reading"
            result.extend(part.split(":", 1)[1].split(","))
    return result


def toneless(reading, keep_diaeresis=False):
    """Upper-case reading without tone marks; ü becomes U unless kept."""
    out = []
    for ch in unicodedata.normalize("NFD", reading):
        if ch == "\u0308":
            if keep_diaeresis:
                out.append(":")
            continue
        if unicodedata.combining(ch):
            continue
        out.append(ch)
    return "".join(out).upper()


def level2_spelling(reading):
    syllable = toneless(reading, keep_diaeresis=True)
    if syllable == "LU:":
        return LU_DIAERESIS
    if syllable == "NU:":
        return NU_DIAERESIS
    return syllable.replace(":", "")


def build_level1(codes, chars, unihan):
    """Ranges [first, last, syllable] over codes 1601-5589."""
    choices = {}
    for code in codes:
        seen = []
        for field in LEVEL1_FIELDS:
            for r in readings(unihan[chars[code]], field):
                s = toneless(r)
                if s not in seen:
                    seen.append(s)
        if not seen:
            fail("level-1 character %d (U+%04X) has no reading" % (code, chars[code]))
        choices[code] = seen
    syllables = sorted({s for seen in choices.values() for s in seen})

    # Cheapest non-decreasing choice of syllables: 0 for a character's first
    # reading, 1 for another of its readings, 1000 for none of them.
    def cost(code, s):
        seen = choices[code]
        return 0 if seen[0] == s else (1 if s in seen else 1000)

    count = len(syllables)
    best = [cost(codes[0], s) for s in syllables]
    back = []
    for code in codes[1:]:
        low, low_at, step_back = None, -1, []
        current = []
        for j, s in enumerate(syllables):
            if low is None or best[j] < low:
                low, low_at = best[j], j
            step_back.append(low_at)
            current.append(low + cost(code, s))
        back.append(step_back)
        best = current
    j = min(range(count), key=lambda k: best[k])
    chosen = [0] * len(codes)
    chosen[-1] = j
    for i in range(len(codes) - 1, 0, -1):
        j = back[i - 1][j]
        chosen[i - 1] = j

    rows = []
    for code, j in zip(codes, chosen):
        s = syllables[j]
        if s not in choices[code]:
            fail("level-1 character %d (U+%04X) stands where none of its readings %s fits"
                 % (code, chars[code], choices[code]))
        if rows and rows[-1][2] == s:
            rows[-1][1] = code
        else:
            rows.append([code, code, s])
    # Rows join up: each runs to the code before the next one's first, so
    # unused positions 95-100 of a zone belong to the row before them.
    for i in range(1, len(rows)):
        rows[i - 1][1] = rows[i][0] - 1
    rows[-1][1] = LEVEL1_LAST
    return rows


def build_level2(codes, chars, unihan, level1_syllables):
    """{code: syllable} for the level-2 characters that get a reading."""
    table = {}
    for code in codes:
        values = unihan[chars[code]]
        for field in DICTIONARY_FIELDS:
            found = readings(values, field)
            if found:
                table[code] = level2_spelling(found[0])
                break
        else:
            agreed = {toneless(r) for field in ("kMandarin", "kHanyuPinyin")
                      for r in readings(values, field)}
            if len(agreed) == 1:
                only = readings(values, "kMandarin") or readings(values, "kHanyuPinyin")
                syllable = level2_spelling(only[0])
                if syllable in level1_syllables:
                    table[code] = syllable
    return table


def check(rows, level2):
    problems = []
    if rows[0][0] != LEVEL1_FIRST or rows[-1][1] != LEVEL1_LAST:
        problems.append("level-1 rows do not cover %d-%d" % (LEVEL1_FIRST, LEVEL1_LAST))
    for a, b in zip(rows, rows[1:]):
        if b[0] != a[1] + 1:
            problems.append("rows %s and %s do not join up" % (a, b))
        if not a[2] < b[2]:
            problems.append("rows %s and %s break the pinyin order" % (a, b))
    by_syllable = {r[2]: (r[0], r[1], r[2]) for r in rows}
    for row in EXPECTED_LEVEL1_ROWS:
        got = by_syllable.get(row[2])
        if got != row:
            problems.append("level-1 row %s expected, Unihan gives %s" % (row, got))
    for code, syllable in sorted(EXPECTED_LEVEL2.items()):
        if level2.get(code) != syllable:
            problems.append("level-2 entry %d: %s expected, Unihan gives %s"
                            % (code, syllable, level2.get(code)))
    level1_set = {r[2] for r in rows}
    level2_set = set(level2.values())
    everything = level1_set | level2_set
    if len(everything) != EXPECTED_SYLLABLE_COUNT:
        problems.append("%d syllables expected, Unihan gives %d"
                        % (EXPECTED_SYLLABLE_COUNT, len(everything)))
    if level2_set - level1_set != EXPECTED_LEVEL2_ONLY:
        problems.append("level-2-only syllables %s expected, Unihan gives %s"
                        % (sorted(EXPECTED_LEVEL2_ONLY), sorted(level2_set - level1_set)))
    if len(level2) != EXPECTED_LEVEL2_COUNT:
        problems.append("%d level-2 entries expected, Unihan gives %d"
                        % (EXPECTED_LEVEL2_COUNT, len(level2)))
    if problems:
        fail("the Unihan data does not give the expected table:\n  " + "\n  ".join(problems))


def c_string(syllable):
    """A C string literal; non-ASCII letters as their GB2312 bytes."""
    parts = []
    for ch in syllable:
        if ord(ch) < 0x80:
            parts.append('"%s"' % ch)
        else:
            parts.append("".join('"\\x%02X"' % b for b in ch.encode("gb2312")))
    return " ".join(parts).replace('" "', "")


def write(path, rows, level2):
    lines = [
        "// Generated by scripts/gen-pinyin-table.py from the Unihan data; do not edit.",
        '#include "VQCore/gamelib/PinyinTable.h"',
        "",
        "namespace Tessar {",
        "",
        "const VQPinyinRange kPinyinLevel1Ranges[] = {",
    ]
    for first, last, syllable in rows:
        lines.append("    {%d, %d, %s}," % (first, last, c_string(syllable)))
    lines += [
        "};",
        "const size_t kPinyinLevel1RangeCount = sizeof(kPinyinLevel1Ranges) / sizeof(kPinyinLevel1Ranges[0]);",
        "",
        "const char* const kPinyinLevel2Syllables[kPinyinLevel2Last - kPinyinLevel2First + 1] = {",
    ]
    for code in range(LEVEL2_FIRST, LEVEL2_LAST + 1):
        syllable = level2.get(code)
        lines.append("    %s,  // %d" % (c_string(syllable) if syllable else "nullptr", code))
    lines += ["};", "", "}  // namespace Tessar", ""]
    text = "\n".join(lines)
    temp = path + ".tmp"
    with open(temp, "w", encoding="ascii", newline="\n") as f:
        f.write(text)
    os.replace(temp, path)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--unihan-dir", default="/usr/share/unicode")
    parser.add_argument("--output", required=True)
    args = parser.parse_args()

    chars = {}
    for cp, field, value in read_unihan(os.path.join(args.unihan_dir, "Unihan_OtherMappings.txt.bz2")):
        if field == "kGB0":
            chars[int(value)] = cp
    unihan = collections.defaultdict(dict)
    for cp, field, value in read_unihan(os.path.join(args.unihan_dir, "Unihan_Readings.txt.bz2")):
        unihan[cp][field] = value

    level1_codes = sorted(c for c in chars if LEVEL1_FIRST <= c <= LEVEL1_LAST)
    level2_codes = sorted(c for c in chars if LEVEL2_FIRST <= c <= LEVEL2_LAST)
    if len(level1_codes) != 3755 or len(level2_codes) != 3008:
        fail("kGB0 gives %d level-1 and %d level-2 characters, 3755 and 3008 expected"
             % (len(level1_codes), len(level2_codes)))

    rows = build_level1(level1_codes, chars, unihan)
    level2 = build_level2(level2_codes, chars, unihan, {r[2] for r in rows})
    check(rows, level2)
    write(args.output, rows, level2)


if __name__ == "__main__":
    main()
