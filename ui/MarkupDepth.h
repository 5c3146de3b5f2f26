#pragma once
// A cheap scan of XML text that measures how deeply its elements nest,
// so that hostile markup can be refused before the recursive parser and
// builder ever see it.

#include <cstddef>

namespace Tessar {

// True when no element of the text nests deeper than maxDepth. Comments,
// CDATA sections, processing instructions and declarations are skipped;
// quoted attribute values may hold '>' and '/'.
bool MarkupDepthWithin(const char* text, size_t length, int maxDepth);

}  // namespace Tessar
