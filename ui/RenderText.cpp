// Text in ARGB colours (opaque, translucent, shadowed, wrapped) and borders.
#include "ui/RenderEngine.h"

#include "ui/PaintManager.h"
#include "ui/RenderInternal.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <vector>

namespace Tessar {
namespace {

// The shadow bitmap is this much larger than the text rectangle on each
// axis, and is blended this far left and up of it.
const int kShadowGrow = 12;
const int kShadowOffsetX = 3;
const int kShadowOffsetY = 7;
// The halo: each pixel's alpha is the sum of the 7 x 7 block centred three
// pixels right of and below it, divided by 36.
const int kShadowRadius = 3;
const int kShadowDivisor = 36;
const int64_t kMaxShadowPixels = 4096 * 2160;

// A caption's halo is the same on every repaint: the blurred alpha of the
// part that can show is kept, keyed by everything that shapes it (text,
// font, format and rectangle size), and later only blended.
struct HaloShape {
    HFONT font;
    LOGFONTW logFont;
    UINT format;
    int width;
    int height;
    RECT halo;  // in the scratch surface; empty when nothing shows
    std::vector<uint32_t> pixels;
};
const size_t kMaxCachedHaloTexts = 1024;

bool SameShape(const HaloShape& shape, HFONT font, const LOGFONTW& logFont, UINT format, int width, int height) {
    return shape.font == font && shape.format == format && shape.width == width && shape.height == height &&
           std::memcmp(&shape.logFont, &logFont, sizeof logFont) == 0;
}

std::unordered_map<std::wstring, std::vector<HaloShape>>& HaloCache() {
    static thread_local std::unordered_map<std::wstring, std::vector<HaloShape>> cache;
    return cache;
}

COLORREF ToColorRef(uint32_t argb) {
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

// Selecting a font costs far more than drawing a short caption with it:
// a font the DC already holds is not selected again (the paint manager
// selects its default font for the whole tree).
class SelectedFont {
public:
    SelectedFont(HDC hdc, VQPaintManager* manager, const std::wstring& name) : m_hdc(hdc) {
        HFONT font = manager != nullptr ? manager->GetFont(name) : nullptr;
        if (font != nullptr && ::GetCurrentObject(hdc, OBJ_FONT) != font) m_old = ::SelectObject(hdc, font);
    }
    ~SelectedFont() {
        if (m_old != nullptr) ::SelectObject(m_hdc, m_old);
    }
    SelectedFont(const SelectedFont&) = delete;
    SelectedFont& operator=(const SelectedFont&) = delete;

private:
    HDC m_hdc;
    HGDIOBJ m_old = nullptr;
};

// Draws with the DC's font and text colour, transparent background.
void DrawPlainText(HDC hdc, const RECT& rc, const std::wstring& text, UINT format, int lineSpacing) {
    int oldMode = ::SetBkMode(hdc, TRANSPARENT);
    if ((format & DT_WORDBREAK) != 0) {
        VQRenderEngine::DrawMultilineText(hdc, rc, text, format & ~DT_WORDBREAK, lineSpacing);
    } else {
        RECT copy = rc;
        ::DrawTextW(hdc, text.c_str(), static_cast<int>(text.size()), &copy, format);
    }
    ::SetBkMode(hdc, oldMode);
}

SIZE MeasureLine(HDC hdc, const wchar_t* text, int length, UINT format) {
    RECT calc = {0, 0, 0, 0};
    ::DrawTextW(hdc, text, length, &calc, (format & ~(DT_VCENTER | DT_BOTTOM)) | DT_CALCRECT | DT_SINGLELINE);
    return {calc.right - calc.left, calc.bottom - calc.top};
}

struct Line {
    size_t start;
    int length;
    int height;
};

// Greedy breaking of one piece: the longest prefix that fits, at least one
// character.
void BreakPiece(HDC hdc, const std::wstring& text, size_t start, size_t end, int width, UINT format,
                std::vector<Line>& lines) {
    while (start < end) {
        int remaining = static_cast<int>(end - start);
        SIZE whole = MeasureLine(hdc, text.c_str() + start, remaining, format);
        int fits = 1;
        SIZE fitSize = whole;
        if (whole.cx <= width) {
            fits = remaining;
        } else {
            // Binary search for the longest fitting prefix.
            int low = 1, high = remaining - 1;
            fitSize = MeasureLine(hdc, text.c_str() + start, 1, format);
            while (low <= high) {
                int middle = low + (high - low) / 2;
                SIZE size = MeasureLine(hdc, text.c_str() + start, middle, format);
                if (size.cx <= width) {
                    fits = middle;
                    fitSize = size;
                    low = middle + 1;
                } else {
                    high = middle - 1;
                }
            }
        }
        // Keep surrogate pairs whole.
        if (fits < remaining && IS_HIGH_SURROGATE(text[start + fits - 1])) ++fits;
        lines.push_back({start, fits, fitSize.cy});
        start += fits;
    }
}

}  // namespace

void VQRenderEngine::DrawColoredText(HDC hdc, VQPaintManager* manager, const RECT& rc, const std::wstring& text,
                                     uint32_t argb, const std::wstring& fontName, UINT format, int lineSpacing) {
    if (hdc == nullptr || text.empty()) return;
    const uint32_t alpha = argb >> 24;
    // GDI leaves the alpha byte of what it draws at 0, which a layered
    // window shows as a hole: there even opaque text goes through the
    // surface, which writes its alpha.
    const bool layered = manager != nullptr && manager->IsLayered();
    if (alpha == 0xFF && !layered) {
        SelectedFont font(hdc, manager, fontName);
        COLORREF oldColor = ::SetTextColor(hdc, ToColorRef(argb));
        DrawPlainText(hdc, rc, text, format, lineSpacing);
        ::SetTextColor(hdc, oldColor);
        return;
    }
    if (alpha == 0) return;
    // Only the visible part is drawn in the scratch surface; the text keeps
    // its place by a rectangle moved by the same amount.
    RECT visible;
    if (!VisiblePart(hdc, rc, visible)) return;
    const int width = visible.right - visible.left, height = visible.bottom - visible.top;
    VQMemoryBitmap* surface = ScratchSurface(hdc, width, height);
    if (surface == nullptr) return;
    MarkUntouched(*surface, width, height);
    {
        HFONT font = manager != nullptr ? manager->GetFont(fontName)
                                        : static_cast<HFONT>(::GetCurrentObject(hdc, OBJ_FONT));
        UseScratchFont(surface->GetDC(), font);
        ::SetTextColor(surface->GetDC(), ToColorRef(argb));
        RECT local = rc;
        ::OffsetRect(&local, -visible.left, -visible.top);
        DrawPlainText(surface->GetDC(), local, text, format, lineSpacing);
    }
    // Only the bounds of the drawn pixels are blended.
    RECT ink = KeepTouched(*surface, width, height);
    BlendSurface(hdc, visible.left + ink.left, visible.top + ink.top, *surface, ink, static_cast<int>(alpha));
}

void VQRenderEngine::DrawTextShadow(HDC hdc, VQPaintManager* manager, const RECT& rc, const std::wstring& text,
                                    const std::wstring& fontName, UINT format) {
    if (hdc == nullptr || text.empty()) return;
    const int textWidth = rc.right - rc.left, textHeight = rc.bottom - rc.top;
    if (textWidth <= 0 || textHeight <= 0) return;
    // A halo is decoration: none for a text rectangle past any real window.
    if (static_cast<int64_t>(textWidth) * textHeight > kMaxShadowPixels) return;
    const int width = textWidth + kShadowGrow, height = textHeight + kShadowGrow;
    VQMemoryBitmap* surface = ScratchSurface(hdc, width, height);
    if (surface == nullptr) return;
    HFONT font = manager != nullptr ? manager->GetFont(fontName) : static_cast<HFONT>(::GetCurrentObject(hdc, OBJ_FONT));
    LOGFONTW logFont = {};
    if (font != nullptr) ::GetObjectW(font, sizeof logFont, &logFont);
    // A bound on the texts kept: past it the cache starts again.
    if (HaloCache().size() >= kMaxCachedHaloTexts && HaloCache().find(text) == HaloCache().end()) HaloCache().clear();
    std::vector<HaloShape>& shapes = HaloCache()[text];
    for (const HaloShape& shape : shapes) {
        if (!SameShape(shape, font, logFont, format, textWidth, textHeight)) continue;
        const RECT& halo = shape.halo;
        if (halo.right <= halo.left) return;
        const int haloWidth = halo.right - halo.left;
        ::GdiFlush();
        for (int y = halo.top; y < halo.bottom; ++y)
            std::memcpy(SurfaceRow(*surface, y) + halo.left,
                        &shape.pixels[static_cast<size_t>(y - halo.top) * haloWidth], haloWidth * sizeof(uint32_t));
        BlendSurface(hdc, rc.left - kShadowOffsetX + halo.left, rc.top - kShadowOffsetY + halo.top, *surface, halo,
                     255);
        return;
    }
    shapes.push_back({font, logFont, format, textWidth, textHeight, {0, 0, 0, 0}, {}});
    MarkUntouched(*surface, width, height);
    {
        UseScratchFont(surface->GetDC(), font);
        ::SetTextColor(surface->GetDC(), RGB(0, 0, 0));
        // Placed so that the halo, moved by the blur and the blend offset,
        // lies centred under the text drawn at the rectangle.
        const int left = kShadowOffsetX + kShadowRadius, top = kShadowOffsetY + kShadowRadius;
        RECT local = {left, top, left + textWidth, top + textHeight};
        DrawPlainText(surface->GetDC(), local, text, format | DT_SINGLELINE | DT_VCENTER, 0);
    }
    const RECT ink = KeepTouched(*surface, width, height);
    if (ink.right <= ink.left) return;

    // Pixel (x, y) of the halo gets the 7 x 7 block sum centred on
    // (x + 3, y + 3), for x < width - 6 and y < height - 6; only the part
    // whose blocks reach drawn pixels can be other than 0.
    const int r = kShadowRadius;
    RECT halo = {ink.left - 2 * r, ink.top - 2 * r, ink.right, ink.bottom};
    const RECT zone = {0, 0, width - 2 * r, height - 2 * r};
    if (!::IntersectRect(&halo, &halo, &zone)) return;
    const int haloWidth = halo.right - halo.left, haloHeight = halo.bottom - halo.top;
    const int blockWidth = haloWidth + 2 * r, blockHeight = haloHeight + 2 * r;
    // Alpha is read from a copy, which gives what a pass in place gives (a
    // written pixel is never read). Kept per thread: shadows are drawn for
    // many captions on every repaint.
    static thread_local std::vector<uint16_t> alpha;
    static thread_local std::vector<uint32_t> columns;
    alpha.resize(static_cast<size_t>(blockWidth) * blockHeight);
    columns.resize(static_cast<size_t>(blockWidth) * haloHeight);
    for (int y = 0; y < blockHeight; ++y) {
        const uint32_t* row = SurfaceRow(*surface, halo.top + y) + halo.left;
        uint16_t* out = &alpha[static_cast<size_t>(y) * blockWidth];
        for (int x = 0; x < blockWidth; ++x) out[x] = static_cast<uint16_t>(row[x] >> 24);
    }
    for (int y = 0; y < haloHeight; ++y) {
        uint32_t* out = &columns[static_cast<size_t>(y) * blockWidth];
        for (int x = 0; x < blockWidth; ++x) {
            uint32_t sum = 0;
            for (int k = 0; k <= 2 * r; ++k) sum += alpha[static_cast<size_t>(y + k) * blockWidth + x];
            out[x] = sum;
        }
    }
    for (int y = 0; y < haloHeight; ++y) {
        const uint32_t* column = &columns[static_cast<size_t>(y) * blockWidth];
        uint32_t* target = SurfaceRow(*surface, halo.top + y) + halo.left;
        uint32_t sum = 0;
        for (int k = 0; k < 2 * r; ++k) sum += column[k];
        for (int x = 0; x < haloWidth; ++x) {
            sum += column[x + 2 * r];
            // Black, premultiplied: only the alpha byte is set.
            target[x] = std::min<uint32_t>(sum / kShadowDivisor, 255) << 24;
            sum -= column[x];
        }
    }
    HaloShape& kept = shapes.back();
    kept.halo = halo;
    kept.pixels.resize(static_cast<size_t>(haloWidth) * haloHeight);
    for (int y = 0; y < haloHeight; ++y)
        std::memcpy(&kept.pixels[static_cast<size_t>(y) * haloWidth], SurfaceRow(*surface, halo.top + y) + halo.left,
                    haloWidth * sizeof(uint32_t));
    BlendSurface(hdc, rc.left - kShadowOffsetX + halo.left, rc.top - kShadowOffsetY + halo.top, *surface, halo, 255);
}

void VQRenderEngine::DrawMultilineText(HDC hdc, const RECT& rc, const std::wstring& text, UINT format,
                                       int lineSpacing) {
    if (hdc == nullptr || text.empty()) return;
    const int width = rc.right - rc.left;
    std::vector<Line> lines;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(L"\r\n", start);
        if (end == std::wstring::npos) end = text.size();
        if (end > start) BreakPiece(hdc, text, start, end, width, format, lines);
        start = end + 2;
    }
    int top = rc.top;
    if ((format & DT_VCENTER) != 0) {
        int total = 0;
        for (size_t i = 0; i < lines.size(); ++i) total += lines[i].height + (i + 1 < lines.size() ? lineSpacing : 0);
        int free = (rc.bottom - rc.top) - total;
        top += free / 2;
        format &= ~DT_VCENTER;
    }
    format = (format & ~DT_BOTTOM) | DT_SINGLELINE;
    for (const Line& line : lines) {
        if (top >= rc.bottom) break;
        RECT lineRect = {rc.left, top, rc.right, top + line.height};
        ::DrawTextW(hdc, text.c_str() + line.start, line.length, &lineRect, format);
        top += line.height + lineSpacing;
    }
}

SIZE VQRenderEngine::MeasureText(HDC hdc, VQPaintManager* manager, const std::wstring& text,
                                 const std::wstring& fontName) {
    SIZE size = {0, 0};
    if (hdc == nullptr || text.empty()) return size;
    SelectedFont font(hdc, manager, fontName);
    RECT calc = {0, 0, 0, 0};
    ::DrawTextW(hdc, text.c_str(), static_cast<int>(text.size()), &calc, DT_CALCRECT);
    size.cx = calc.right - calc.left;
    size.cy = calc.bottom - calc.top;
    return size;
}

// The outline with an inside-frame pen and no fill, straight onto the DC.
static void DrawOutline(HDC hdc, const RECT& rc, int size, int cx, int cy, COLORREF color, bool round) {
    HPEN pen = ::CreatePen(PS_INSIDEFRAME, size, color);
    if (pen == nullptr) return;
    HGDIOBJ oldPen = ::SelectObject(hdc, pen);
    HGDIOBJ oldBrush = ::SelectObject(hdc, ::GetStockObject(NULL_BRUSH));
    if (round)
        ::RoundRect(hdc, rc.left, rc.top, rc.right, rc.bottom, cx, cy);
    else
        ::Rectangle(hdc, rc.left, rc.top, rc.right, rc.bottom);
    ::SelectObject(hdc, oldBrush);
    ::SelectObject(hdc, oldPen);
    ::DeleteObject(pen);
}

static void DrawBorderShape(HDC hdc, const RECT& rc, int size, int cx, int cy, uint32_t argb, bool round,
                            bool layered) {
    const uint32_t alpha = argb >> 24;
    if (hdc == nullptr || alpha == 0 || size <= 0 || rc.right <= rc.left || rc.bottom <= rc.top) return;
    if (alpha == 0xFF && !layered) {
        DrawOutline(hdc, rc, size, cx, cy, ToColorRef(argb), round);
        return;
    }
    RECT visible;
    if (!VisiblePart(hdc, rc, visible)) return;
    const int width = visible.right - visible.left, height = visible.bottom - visible.top;
    VQMemoryBitmap* surface = ScratchSurface(hdc, width, height);
    if (surface == nullptr) return;
    MarkUntouched(*surface, width, height);
    RECT local = rc;
    ::OffsetRect(&local, -visible.left, -visible.top);
    DrawOutline(surface->GetDC(), local, size, cx, cy, ToColorRef(argb), round);
    // Only the bounds of the drawn pixels are blended.
    RECT ink = KeepTouched(*surface, width, height);
    BlendSurface(hdc, visible.left + ink.left, visible.top + ink.top, *surface, ink, static_cast<int>(alpha));
}

void VQRenderEngine::DrawBorder(HDC hdc, const RECT& rc, int size, uint32_t argb, bool layered) {
    DrawBorderShape(hdc, rc, size, 0, 0, argb, false, layered);
}

void VQRenderEngine::DrawRoundBorder(HDC hdc, const RECT& rc, int size, int cx, int cy, uint32_t argb,
                                     bool layered) {
    DrawBorderShape(hdc, rc, size, cx, cy, argb, true, layered);
}

}  // namespace Tessar
