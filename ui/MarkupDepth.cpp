#include "ui/MarkupDepth.h"

#include <cstring>

namespace Tessar {

namespace {

// Position just past `terminator` at or after `from`, or `length`.
size_t SkipPast(const char* text, size_t length, size_t from, const char* terminator) {
    size_t n = std::strlen(terminator);
    for (size_t i = from; i + n <= length; ++i)
        if (std::memcmp(text + i, terminator, n) == 0) return i + n;
    return length;
}

bool StartsAt(const char* text, size_t length, size_t at, const char* word) {
    size_t n = std::strlen(word);
    return at + n <= length && std::memcmp(text + at, word, n) == 0;
}

}  // namespace

bool MarkupDepthWithin(const char* text, size_t length, int maxDepth) {
    int depth = 0;
    size_t i = 0;
    while (i < length) {
        if (text[i] != '<') {
            ++i;
            continue;
        }
        if (StartsAt(text, length, i, "<!--")) {
            i = SkipPast(text, length, i + 4, "-->");
        } else if (StartsAt(text, length, i, "<![CDATA[")) {
            i = SkipPast(text, length, i + 9, "]]>");
        } else if (StartsAt(text, length, i, "<?")) {
            i = SkipPast(text, length, i + 2, "?>");
        } else if (StartsAt(text, length, i, "<!")) {
            i = SkipPast(text, length, i + 2, ">");
        } else if (StartsAt(text, length, i, "</")) {
            i = SkipPast(text, length, i + 2, ">");
            if (depth > 0) --depth;
        } else {
            // An opening tag: find its end outside quoted values.
            char quote = 0;
            char last = 0;
            size_t j = i + 1;
            for (; j < length; ++j) {
                char c = text[j];
                if (quote) {
                    if (c == quote) quote = 0;
                } else if (c == '"' || c == '\'') {
                    quote = c;
                } else if (c == '>') {
                    break;
                } else if (c != ' ' && c != '\t' && c != '\r' && c != '\n') {
                    last = c;
                }
            }
            if (j >= length) {
                // Unterminated: the parser will refuse it; count it anyway.
                return depth + 1 <= maxDepth;
            }
            if (last != '/' && ++depth > maxDepth) return false;
            i = j + 1;
        }
    }
    return true;
}

}  // namespace Tessar
