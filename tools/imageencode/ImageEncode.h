#pragma once
// Picture files for the developer tools and the benchmarks: rows of 32-bit
// RGBA pixels, top row first, encoded as PNG or BMP file bytes in memory.

#include <string>

namespace Tessar {

bool EncodePng(const unsigned char* rgba, int width, int height, std::string& bytes);
bool EncodeBmp(const unsigned char* rgba, int width, int height, std::string& bytes);

}  // namespace Tessar
