#pragma once
// Stateless drawing on a device context: images named by the image
// description language of the markup (nine-grid, per-pixel and constant
// alpha), colour fills, borders, text in ARGB colours with the window's
// fonts, and clip regions. Colours are 0xAARRGGBB; alpha 0xFF is opaque.
//
// Image description: a bare file name, or key='value' pairs separated by
// one blank: file, res, restype, dest, right, source, corner, mask, fade,
// hole, alphaClose, encrypt, round, rgnimage, rgnmask, icon, iconsize,
// reverse, rotate. Unknown keys are ignored; a value that does not start
// with a quote right after "=" ends the parse.

#include <windows.h>

#include <cstdint>
#include <string>

namespace Tessar {

class VQPaintManager;

// The parsed form of an image description.
struct VQImageDescription {
    std::wstring name;
    std::wstring resourceType;
    RECT dest = {};
    RECT source = {};
    RECT corner = {};
    uint32_t mask = 0;
    uint32_t regionMask = 0;
    std::wstring regionImage;
    SIZE round = {};
    int fade = 255;
    int iconSize = 0;
    double rotate = 0.0;
    bool rightAnchored = false;
    bool hole = false;
    bool alphaClose = false;
    bool encrypted = false;
    bool icon = false;
    bool reverse = false;
};

// Parses the pairs of `text` on top of `description` (a later key
// overrides an earlier one). A text without "=" is a bare name.
void ParseImageDescription(const wchar_t* text, VQImageDescription& description);

// The clip in force before ClipTo...; RestoreClip selects it back.
class VQRenderClip {
public:
    VQRenderClip() = default;
    ~VQRenderClip();
    VQRenderClip(const VQRenderClip&) = delete;
    VQRenderClip& operator=(const VQRenderClip&) = delete;

private:
    friend class VQRenderEngine;
    HDC m_hdc = nullptr;
    HRGN m_saved = nullptr;  // null: the DC had no clip region
    bool m_active = false;
};

class VQRenderEngine {
public:
    // The description, then the modifier's keys on top (may be null).
    // False when the image cannot be obtained.
    static bool DrawImageString(HDC hdc, const RECT& item, const RECT& paint, const wchar_t* description,
                                const wchar_t* modifier = nullptr);
    // Nine-grid: corners copied at their size, edges stretched along the
    // edge, the centre stretched (skipped with hole); only cells that meet
    // the paint rectangle are drawn.
    static void DrawImage(HDC hdc, HBITMAP bitmap, const RECT& dest, const RECT& paint, const RECT& source,
                          const RECT& corner, bool hasAlpha, int fade = 255, bool hole = false);
    // The descriptions drawn one over the other (each as DrawImageString
    // with the item), all within the box, blended as one picture: they are
    // composed once and the composite is kept while its pictures are.
    // False, drawing nothing, when they cannot be composed (a layer that
    // cannot be drawn, an opaque picture, an icon); the caller then draws
    // them one by one.
    static bool DrawComposedImages(HDC hdc, const RECT& item, const RECT& paint, const RECT& box,
                                   const std::wstring* layers, size_t count);
    // Cached images drawn by DrawImageString stay selected in a few memory
    // DCs of the painting thread (selecting a bitmap costs as much as
    // blending a small picture). Whoever deletes such a bitmap, reads its
    // pixels or selects it elsewhere releases it first (on that thread).
    static void ReleaseImageSource(HBITMAP bitmap);
    // Translucent and shadowed texts keep their font selected in the
    // thread's scratch surface; this selects the stock font back (the
    // paint manager does it after each pass, before fonts may go).
    static void ReleaseScratchFont();
    // Alpha 0 draws nothing. layered: the target is a layered window's
    // pixels, so an opaque fill also writes its alpha byte.
    static void DrawColor(HDC hdc, const RECT& rc, uint32_t argb, bool layered = false);
    // Inside-frame outlines; layered as for DrawColor.
    static void DrawBorder(HDC hdc, const RECT& rc, int size, uint32_t argb, bool layered = false);
    static void DrawRoundBorder(HDC hdc, const RECT& rc, int size, int cx, int cy, uint32_t argb,
                                bool layered = false);

    // The manager may be null: the DC's font is used then. On a layered
    // manager's window opaque text also gets its alpha written.
    static void DrawColoredText(HDC hdc, VQPaintManager* manager, const RECT& rc, const std::wstring& text,
                                uint32_t argb, const std::wstring& fontName, UINT format, int lineSpacing = 0);
    // A soft dark halo for a text that is drawn over it afterwards.
    static void DrawTextShadow(HDC hdc, VQPaintManager* manager, const RECT& rc, const std::wstring& text,
                               const std::wstring& fontName, UINT format);
    // Lines split at "\r\n", each broken greedily to the rectangle's width.
    static void DrawMultilineText(HDC hdc, const RECT& rc, const std::wstring& text, UINT format,
                                  int lineSpacing);
    static SIZE MeasureText(HDC hdc, VQPaintManager* manager, const std::wstring& text,
                            const std::wstring& fontName);

    static void ClipToRect(HDC hdc, const RECT& rc, VQRenderClip& clip);
    static void ClipToRoundRect(HDC hdc, const RECT& rc, int rx, int ry, VQRenderClip& clip);
    // Limits drawing to the pixels of the image that differ from the mask
    // colour (0xAARRGGBB as stored), the image placed at `origin`.
    static void ClipToRegion(HDC hdc, HBITMAP image, POINT origin, uint32_t mask, VQRenderClip& clip);
    static void RestoreClip(HDC hdc, VQRenderClip& clip);
};

// A memory DC with a bottom-up 32-bit DIB section selected into it, for
// translucent text, colours and borders.
class VQMemoryBitmap {
public:
    VQMemoryBitmap() = default;
    ~VQMemoryBitmap() { Release(); }
    VQMemoryBitmap(const VQMemoryBitmap&) = delete;
    VQMemoryBitmap& operator=(const VQMemoryBitmap&) = delete;

    // False when it already holds a DC or the DIB cannot be made.
    bool Create(HDC reference, int width, int height);
    void Release();
    HDC GetDC() const { return m_dc; }
    HBITMAP GetBitmap() const { return m_bitmap; }
    // Bottom-up rows: row 0 of the memory is the picture's last row.
    uint32_t* GetBits() const { return m_bits; }
    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }

private:
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_oldBitmap = nullptr;
    uint32_t* m_bits = nullptr;
    int m_width = 0;
    int m_height = 0;
};

}  // namespace Tessar
