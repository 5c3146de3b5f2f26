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

// The calling thread's scratch surface, at least width x height (made
// once and grown when needed); null when it cannot be made. Users draw into
// its top-left width x height picture area and leave the DC's font, pen and
// brush as they found them.
VQMemoryBitmap* ScratchSurface(HDC reference, int width, int height);
// Selects the font into the scratch surface's DC unless it holds it already;
// it stays there (VQRenderEngine::ReleaseScratchFont hands the DC its own
// font back).
void UseScratchFont(HDC dc, HFONT font);
// Picture row y of a bottom-up surface.
inline uint32_t* SurfaceRow(VQMemoryBitmap& surface, int y) {
    return surface.GetBits() + static_cast<size_t>(surface.GetHeight() - 1 - y) * surface.GetWidth();
}
// Every pixel of the area gets alpha byte 1, colour 0, so that GDI's
// drawing (which leaves alpha 0) can be told apart.
void MarkUntouched(VQMemoryBitmap& surface, int width, int height);
// Pixels GDI drew on become opaque, all others fully transparent. Returns
// the bounds of the drawn pixels (empty when none).
RECT KeepTouched(VQMemoryBitmap& surface, int width, int height);
// AlphaBlend of a part of the surface (picture coordinates) at (x, y) with
// per-pixel alpha.
void BlendSurface(HDC hdc, int x, int y, VQMemoryBitmap& surface, const RECT& part, int constantAlpha);
// The part of the rectangle inside the DC's clip box (the bitmap or window
// when nothing is clipped); false when nothing of it can show. Scratch work
// is limited to it, so a huge rectangle from markup costs no more than the
// surface it is drawn on.
bool VisiblePart(HDC hdc, const RECT& rc, RECT& visible);
// Pixels of a bitmap as 0xAARRGGBB, top row first; a bitmap without alpha
// reads as opaque.
bool ReadBitmapPixels(HBITMAP bitmap, std::vector<uint32_t>& pixels, int& width, int& height);
// A memory DC of the calling thread for selecting images into (made once).
HDC ImageSourceDC();
// A DC of the thread's image sources holding the bitmap (it stays selected
// until released), or null when the bitmap is selected elsewhere.
HDC HeldImageSource(HBITMAP bitmap);
// VQRenderEngine::DrawImage from a DC that holds the picture.
void DrawNineGrid(HDC hdc, HDC sourceDC, const RECT& dest, const RECT& paint, const RECT& source, const RECT& corner,
                  bool hasAlpha, int fade, bool hole);

// Largest side of a composed picture: composites are for small pictures
// drawn again and again, not for backgrounds.
const int kMaxComposedSide = 256;
// What the layers of a composite being made drew: their pictures, and
// whether alpha blending alone drew them.
struct VQLayerRecord {
    std::vector<HBITMAP> bitmaps;
    bool composable = true;
};
// The record of the composite the thread is making, or null.
VQLayerRecord* LayerRecord();
// Drops the thread's composites made from the picture (it is going away).
void ForgetComposites(HBITMAP source);

}  // namespace Tessar
