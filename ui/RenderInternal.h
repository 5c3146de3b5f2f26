#pragma once
// Pieces shared by the render engine's files; not for other callers.

#include <windows.h>

#include <cstdint>
#include <vector>

#include "ui/RenderEngine.h"

namespace Tessar {

// Largest side of a scratch surface: the biggest window the toolkit makes
// is far smaller, and a wild rectangle from markup must not allocate
// gigabytes.
const int kMaxSurfaceSide = 8192;

// Every pixel gets alpha byte 1, colour 0, so that GDI's drawing (which
// leaves alpha 0) can be told apart.
void MarkUntouched(VQMemoryBitmap& surface);
// Pixels GDI drew on become opaque, all others fully transparent.
void KeepTouched(VQMemoryBitmap& surface);
// AlphaBlend of the whole surface at (x, y) with per-pixel alpha.
void BlendSurface(HDC hdc, int x, int y, VQMemoryBitmap& surface, int constantAlpha);
// Pixels of a bitmap as 0xAARRGGBB, top row first; a bitmap without alpha
// reads as opaque.
bool ReadBitmapPixels(HBITMAP bitmap, std::vector<uint32_t>& pixels, int& width, int& height);
// A memory DC of the calling thread for selecting images into (made once).
HDC ImageSourceDC();

}  // namespace Tessar
