#pragma once
// A cheap scan of XML text that measures how deeply its elements nest,
// so that hostile markup can be refused before the recursive parser and
// builder ever see it.

#include <cstddef>

namespace Tessar {

// True when the XML parser, reading the text, would nest no element deeper
// than maxDepth before the text ends or the parser stops at an error.
bool MarkupDepthWithin(const char* text, size_t length, int maxDepth);

}  // namespace Tessar
