// The engine's small drawing surfaces: the memory bitmap for translucent
// text, colours and borders, and the clip regions.
#include "ui/RenderEngine.h"

#include "ui/RenderInternal.h"

#include <algorithm>
#include <vector>

namespace Tessar {

bool VQMemoryBitmap::Create(HDC reference, int width, int height) {
    if (m_dc != nullptr || width <= 0 || height <= 0 || width > kMaxSurfaceSide || height > kMaxSurfaceSide)
        return false;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC dc = ::CreateCompatibleDC(reference);
    if (dc == nullptr) return false;
    HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap == nullptr || bits == nullptr) {
        if (bitmap != nullptr) ::DeleteObject(bitmap);
        ::DeleteDC(dc);
        return false;
    }
    m_dc = dc;
    m_bitmap = bitmap;
    m_oldBitmap = ::SelectObject(dc, bitmap);
    m_bits = static_cast<uint32_t*>(bits);
    m_width = width;
    m_height = height;
    return true;
}

void VQMemoryBitmap::Release() {
    if (m_dc == nullptr) return;
    ::SelectObject(m_dc, m_oldBitmap);
    ::DeleteObject(m_bitmap);
    ::DeleteDC(m_dc);
    m_dc = nullptr;
    m_bitmap = nullptr;
    m_oldBitmap = nullptr;
    m_bits = nullptr;
    m_width = m_height = 0;
}

namespace {
thread_local VQMemoryBitmap t_scratch;
}  // namespace

void UseScratchFont(HDC dc, HFONT font) {
    if (font != nullptr && ::GetCurrentObject(dc, OBJ_FONT) != font) ::SelectObject(dc, font);
}

void VQRenderEngine::ReleaseScratchFont() {
    if (t_scratch.GetDC() != nullptr) ::SelectObject(t_scratch.GetDC(), ::GetStockObject(SYSTEM_FONT));
}

VQMemoryBitmap* ScratchSurface(HDC reference, int width, int height) {
    VQMemoryBitmap& scratch = t_scratch;
    if (width <= 0 || height <= 0 || width > kMaxSurfaceSide || height > kMaxSurfaceSide) return nullptr;
    if (scratch.GetDC() != nullptr && scratch.GetWidth() >= width && scratch.GetHeight() >= height) return &scratch;
    // Grown with room to spare, so that a few larger texts do not each
    // make a new one.
    int newWidth = std::max(width, scratch.GetWidth()), newHeight = std::max(height, scratch.GetHeight());
    newWidth = std::min(kMaxSurfaceSide, std::max(newWidth, 256));
    newHeight = std::min(kMaxSurfaceSide, std::max(newHeight, 64));
    scratch.Release();
    if (!scratch.Create(reference, newWidth, newHeight)) return nullptr;
    return &scratch;
}

void MarkUntouched(VQMemoryBitmap& surface, int width, int height) {
    ::GdiFlush();
    for (int y = 0; y < height; ++y) {
        uint32_t* row = SurfaceRow(surface, y);
        for (int x = 0; x < width; ++x) row[x] = 0x01000000u;
    }
}

RECT KeepTouched(VQMemoryBitmap& surface, int width, int height) {
    ::GdiFlush();
    RECT ink = {width, height, 0, 0};
    for (int y = 0; y < height; ++y) {
        uint32_t* row = SurfaceRow(surface, y);
        for (int x = 0; x < width; ++x) {
            if ((row[x] & 0xFF000000u) != 0) {
                row[x] = 0;
                continue;
            }
            row[x] |= 0xFF000000u;
            if (x < ink.left) ink.left = x;
            if (x >= ink.right) ink.right = x + 1;
            if (y < ink.top) ink.top = y;
            if (y >= ink.bottom) ink.bottom = y + 1;
        }
    }
    if (ink.right <= ink.left) ink = {0, 0, 0, 0};
    return ink;
}

void BlendSurface(HDC hdc, int x, int y, VQMemoryBitmap& surface, const RECT& part, int constantAlpha) {
    if (constantAlpha <= 0 || part.right <= part.left || part.bottom <= part.top) return;
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, static_cast<BYTE>(constantAlpha > 255 ? 255 : constantAlpha),
                           AC_SRC_ALPHA};
    const int width = part.right - part.left, height = part.bottom - part.top;
    ::AlphaBlend(hdc, x, y, width, height, surface.GetDC(), part.left, part.top, width, height, blend);
}

bool VisiblePart(HDC hdc, const RECT& rc, RECT& visible) {
    RECT clip = {};
    if (::GetClipBox(hdc, &clip) == ERROR) return false;
    return ::IntersectRect(&visible, &rc, &clip) != FALSE;
}

// Regions given to the DC are in device units; the engine's rectangles are
// logical ones.
static void RegionToDevice(HDC hdc, HRGN region) {
    POINT origin = {0, 0};
    ::LPtoDP(hdc, &origin, 1);
    if (origin.x != 0 || origin.y != 0) ::OffsetRgn(region, origin.x, origin.y);
}

// Restores a clip still held by the record, then remembers the DC's clip.
static void SaveClip(HDC hdc, HRGN& saved, bool& active, HDC& owner) {
    if (active) {
        ::SelectClipRgn(owner, saved);
        if (saved != nullptr) ::DeleteObject(saved);
    }
    saved = ::CreateRectRgn(0, 0, 0, 0);
    if (saved != nullptr && ::GetClipRgn(hdc, saved) != 1) {
        ::DeleteObject(saved);
        saved = nullptr;
    }
    owner = hdc;
    active = true;
}

static void IntersectClip(HDC hdc, HRGN region) {
    if (region == nullptr) return;
    RegionToDevice(hdc, region);
    ::ExtSelectClipRgn(hdc, region, RGN_AND);
    ::DeleteObject(region);
}

VQRenderClip::~VQRenderClip() {
    if (m_active) VQRenderEngine::RestoreClip(m_hdc, *this);
}

void VQRenderEngine::ClipToRect(HDC hdc, const RECT& rc, VQRenderClip& clip) {
    SaveClip(hdc, clip.m_saved, clip.m_active, clip.m_hdc);
    IntersectClip(hdc, ::CreateRectRgnIndirect(&rc));
}

void VQRenderEngine::ClipToRoundRect(HDC hdc, const RECT& rc, int rx, int ry, VQRenderClip& clip) {
    SaveClip(hdc, clip.m_saved, clip.m_active, clip.m_hdc);
    IntersectClip(hdc, ::CreateRoundRectRgn(rc.left, rc.top, rc.right + 1, rc.bottom + 1, rx, ry));
}

void VQRenderEngine::ClipToRegion(HDC hdc, HBITMAP image, POINT origin, uint32_t mask, VQRenderClip& clip) {
    SaveClip(hdc, clip.m_saved, clip.m_active, clip.m_hdc);
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    if (!ReadBitmapPixels(image, pixels, width, height)) {
        // No region image: nothing of the drawing may show.
        IntersectClip(hdc, ::CreateRectRgn(0, 0, 0, 0));
        return;
    }
    // One rectangle per run of kept pixels in a row, handed over at once.
    // Only the part inside the current clip box matters (the rest is cut
    // by the intersection anyway), which bounds the work by the surface.
    RECT placed = {origin.x, origin.y, origin.x + width, origin.y + height};
    RECT scan = {};
    if (!VisiblePart(hdc, placed, scan)) {
        IntersectClip(hdc, ::CreateRectRgn(0, 0, 0, 0));
        return;
    }
    std::vector<RECT> runs;
    const int firstX = scan.left - origin.x, lastX = scan.right - origin.x;
    for (int y = scan.top - origin.y; y < scan.bottom - origin.y; ++y) {
        const uint32_t* row = &pixels[static_cast<size_t>(y) * width];
        int x = firstX;
        while (x < lastX) {
            while (x < lastX && row[x] == mask) ++x;
            int start = x;
            while (x < lastX && row[x] != mask) ++x;
            if (x > start) runs.push_back({origin.x + start, origin.y + y, origin.x + x, origin.y + y + 1});
        }
    }
    std::vector<char> data(sizeof(RGNDATAHEADER) + runs.size() * sizeof(RECT));
    RGNDATA* regionData = reinterpret_cast<RGNDATA*>(data.data());
    regionData->rdh.dwSize = sizeof(RGNDATAHEADER);
    regionData->rdh.iType = RDH_RECTANGLES;
    regionData->rdh.nCount = static_cast<DWORD>(runs.size());
    regionData->rdh.nRgnSize = static_cast<DWORD>(runs.size() * sizeof(RECT));
    regionData->rdh.rcBound = {origin.x, origin.y, origin.x + width, origin.y + height};
    if (!runs.empty()) memcpy(regionData->Buffer, runs.data(), runs.size() * sizeof(RECT));
    HRGN region = ::ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()), regionData);
    IntersectClip(hdc, region != nullptr ? region : ::CreateRectRgn(0, 0, 0, 0));
}

void VQRenderEngine::RestoreClip(HDC hdc, VQRenderClip& clip) {
    if (!clip.m_active) return;
    ::SelectClipRgn(hdc, clip.m_saved);
    if (clip.m_saved != nullptr) ::DeleteObject(clip.m_saved);
    clip.m_saved = nullptr;
    clip.m_active = false;
}

bool ReadBitmapPixels(HBITMAP bitmap, std::vector<uint32_t>& pixels, int& width, int& height) {
    // GetDIBits wants a bitmap that no DC holds.
    VQRenderEngine::ReleaseImageSource(bitmap);
    BITMAP info = {};
    if (bitmap == nullptr || ::GetObjectW(bitmap, sizeof(info), &info) == 0) return false;
    width = info.bmWidth;
    height = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;
    if (width <= 0 || height <= 0 || width > kMaxSurfaceSide || height > kMaxSurfaceSide) return false;
    pixels.assign(static_cast<size_t>(width) * height, 0);
    BITMAPINFO request = {};
    request.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    request.bmiHeader.biWidth = width;
    request.bmiHeader.biHeight = -height;
    request.bmiHeader.biPlanes = 1;
    request.bmiHeader.biBitCount = 32;
    request.bmiHeader.biCompression = BI_RGB;
    HDC screen = ::GetDC(nullptr);
    int rows = ::GetDIBits(screen, bitmap, 0, height, pixels.data(), &request, DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
    if (rows != height) return false;
    // A device bitmap has no alpha: every pixel is opaque. A DIB section
    // keeps its own alpha bytes.
    if (info.bmBits == nullptr || info.bmBitsPixel != 32)
        for (uint32_t& pixel : pixels) pixel |= 0xFF000000u;
    return true;
}

}  // namespace Tessar
