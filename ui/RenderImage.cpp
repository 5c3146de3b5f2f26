// Images named by an image description, nine-grid drawing and colour fills.
#include "ui/RenderEngine.h"

#include "ui/MarkupValue.h"
#include "ui/RenderInternal.h"
#include "ui/SkinManager.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <unordered_map>
#include <vector>

namespace Tessar {
namespace {

bool Intersects(const RECT& a, const RECT& b) {
    RECT ignored;
    return ::IntersectRect(&ignored, &a, &b) != FALSE;
}

bool IsZero(const RECT& rc) {
    return rc.left == 0 && rc.top == 0 && rc.right == 0 && rc.bottom == 0;
}

void ApplyKey(const std::wstring& key, const std::wstring& value, VQImageDescription& d) {
    if (key == L"file" || key == L"res") {
        d.name = value;
    } else if (key == L"restype") {
        d.resourceType = value;
    } else if (key == L"dest") {
        d.dest = ParseMarkupRect(value);
    } else if (key == L"right") {
        d.rightAnchored = ParseMarkupBool(value);
    } else if (key == L"source") {
        d.source = ParseMarkupRect(value);
    } else if (key == L"corner") {
        d.corner = ParseMarkupRect(value);
    } else if (key == L"mask") {
        d.mask = ParseMarkupColor(value);
    } else if (key == L"fade") {
        int fade = ParseMarkupInt(value);
        d.fade = fade < 0 ? 0 : (fade > 255 ? 255 : fade);
    } else if (key == L"hole") {
        d.hole = ParseMarkupBool(value);
    } else if (key == L"alphaClose") {
        d.alphaClose = ParseMarkupBool(value);
    } else if (key == L"encrypt") {
        d.encrypted = ParseMarkupBool(value);
    } else if (key == L"round") {
        d.round = ParseMarkupSize(value);
    } else if (key == L"rgnimage") {
        d.regionImage = value;
    } else if (key == L"rgnmask") {
        d.regionMask = ParseMarkupColor(value);
    } else if (key == L"icon") {
        d.icon = ParseMarkupBool(value);
    } else if (key == L"iconsize") {
        // Icons come no larger than 256 pixels; 0 takes the icon's own size.
        int size = ParseMarkupInt(value);
        d.iconSize = size < 0 ? 0 : (size > 256 ? 256 : size);
    } else if (key == L"reverse") {
        d.reverse = ParseMarkupBool(value);
    } else if (key == L"rotate") {
        double angle = wcstod(value.c_str(), nullptr);
        d.rotate = std::isfinite(angle) ? std::fmod(angle, 360.0) : 0.0;
    }
}

void ParsePairs(const wchar_t* text, VQImageDescription& d) {
    const wchar_t* p = text;
    while (*p != 0) {
        while (*p == L' ') ++p;
        const wchar_t* keyStart = p;
        while (*p != 0 && *p != L'=') ++p;
        if (*p != L'=') return;
        std::wstring key(keyStart, p);
        ++p;
        if (*p != L'\'') return;
        const wchar_t* valueStart = ++p;
        while (*p != 0 && *p != L'\'') ++p;
        if (*p != L'\'') return;
        ApplyKey(key, std::wstring(valueStart, p), d);
        ++p;
        if (*p != L' ') return;
    }
}

// A copy of the image's last rows upside down, fading out downwards; the
// far tenth is fully transparent. Owned by the caller.
HBITMAP MakeReflection(const VQImageInfo& image, int destHeight, int& height) {
    std::vector<uint32_t> pixels;
    int width = 0, imageHeight = 0;
    if (!ReadBitmapPixels(image.bitmap, pixels, width, imageHeight)) return nullptr;
    height = destHeight < imageHeight ? destHeight : imageHeight;
    if (height <= 0) return nullptr;
    void* bits = nullptr;
    HBITMAP reflection = CreateTopDownDib(width, height, &bits);
    if (reflection == nullptr) return nullptr;
    uint32_t* out = static_cast<uint32_t*>(bits);
    const int visibleRows = height - height / 10;
    for (int row = 0; row < height; ++row) {
        // Starts at half strength and falls linearly to 0 at the transparent tenth.
        uint32_t factor = row < visibleRows ? static_cast<uint32_t>(128 * (visibleRows - row) / visibleRows) : 0;
        const uint32_t* source = &pixels[static_cast<size_t>(imageHeight - 1 - row) * width];
        uint32_t* target = out + static_cast<size_t>(row) * width;
        for (int x = 0; x < width; ++x) {
            uint32_t pixel = source[x];
            uint32_t scaled = 0;
            for (int shift = 0; shift < 32; shift += 8)
                scaled |= ((((pixel >> shift) & 0xFF) * factor / 255) & 0xFF) << shift;
            target[x] = scaled;
        }
    }
    return reflection;
}

// The source part of the image scaled to the destination's size and turned
// about its centre (nearest pixel); corners outside the picture stay
// transparent. Only `part` of the destination (relative to its top-left)
// is made, so a huge destination costs no more than what shows. Owned by
// the caller.
HBITMAP MakeRotated(const VQImageInfo& image, const RECT& source, int width, int height, const RECT& part,
                    double degrees) {
    std::vector<uint32_t> pixels;
    int imageWidth = 0, imageHeight = 0;
    const int partWidth = part.right - part.left, partHeight = part.bottom - part.top;
    if (width <= 0 || height <= 0 || partWidth <= 0 || partHeight <= 0 ||
        !ReadBitmapPixels(image.bitmap, pixels, imageWidth, imageHeight))
        return nullptr;
    void* bits = nullptr;
    HBITMAP rotated = CreateTopDownDib(partWidth, partHeight, &bits);
    if (rotated == nullptr) return nullptr;
    uint32_t* out = static_cast<uint32_t*>(bits);
    const double angle = -degrees * 3.14159265358979323846 / 180.0;
    const double cosine = std::cos(angle), sine = std::sin(angle);
    const double centreX = width / 2.0, centreY = height / 2.0;
    const double scaleX = static_cast<double>(source.right - source.left) / width;
    const double scaleY = static_cast<double>(source.bottom - source.top) / height;
    for (int y = part.top; y < part.bottom; ++y) {
        for (int x = part.left; x < part.right; ++x) {
            // Inverse turn: where in the unturned picture does this pixel come from?
            double dx = x + 0.5 - centreX, dy = y + 0.5 - centreY;
            double ux = cosine * dx + sine * dy + centreX;
            double uy = -sine * dx + cosine * dy + centreY;
            int sx = source.left + static_cast<int>(std::floor(ux * scaleX));
            int sy = source.top + static_cast<int>(std::floor(uy * scaleY));
            bool inside = ux >= 0 && uy >= 0 && ux < width && uy < height && sx >= 0 && sy >= 0 &&
                          sx < imageWidth && sy < imageHeight;
            out[static_cast<size_t>(y - part.top) * partWidth + (x - part.left)] =
                inside ? pixels[static_cast<size_t>(sy) * imageWidth + sx] : 0;
        }
    }
    return rotated;
}

struct ImageSourceHolder {
    HDC dc = nullptr;
    ~ImageSourceHolder() {
        if (dc != nullptr) ::DeleteDC(dc);
    }
};

// One pixel of colour for translucent fills, per thread.
struct ColorPixel {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    uint32_t* bits = nullptr;
    ~ColorPixel() {
        if (dc == nullptr) return;
        ::SelectObject(dc, old);
        ::DeleteObject(bitmap);
        ::DeleteDC(dc);
    }
    bool Ready() {
        if (dc != nullptr) return true;
        void* pixel = nullptr;
        HBITMAP made = CreateTopDownDib(1, 1, &pixel);
        if (made == nullptr) return false;
        HDC madeDC = ::CreateCompatibleDC(nullptr);
        if (madeDC == nullptr) {
            ::DeleteObject(made);
            return false;
        }
        dc = madeDC;
        bitmap = made;
        old = ::SelectObject(dc, bitmap);
        bits = static_cast<uint32_t*>(pixel);
        return true;
    }
};

// A few memory DCs of the thread, each holding one cached image's bitmap
// selected; the least recently used gives its place to a new image.
// Set once the thread's cache is gone (a skin manager freeing its images
// at the process end finds nothing held).
thread_local bool t_sourceCacheGone = false;

class ImageSourceCache {
public:
    ~ImageSourceCache() {
        t_sourceCacheGone = true;
        for (Slot& slot : m_slots) {
            if (slot.dc == nullptr) continue;
            if (slot.bitmap != nullptr) ::SelectObject(slot.dc, slot.original);
            ::DeleteDC(slot.dc);
            slot = Slot();
        }
    }
    // The DC holding the bitmap, or null when it cannot be selected (a
    // bitmap selected in another DC).
    HDC Acquire(HBITMAP bitmap) {
        Slot* chosen = nullptr;
        for (Slot& slot : m_slots) {
            if (slot.bitmap == bitmap) {
                slot.used = ++m_clock;
                return slot.dc;
            }
            if (chosen == nullptr || slot.used < chosen->used) chosen = &slot;
        }
        if (chosen->dc == nullptr) chosen->dc = ::CreateCompatibleDC(nullptr);
        if (chosen->dc == nullptr) return nullptr;
        if (chosen->bitmap != nullptr) {
            ::SelectObject(chosen->dc, chosen->original);
            chosen->bitmap = nullptr;
        }
        HGDIOBJ old = ::SelectObject(chosen->dc, bitmap);
        if (old == nullptr) return nullptr;
        if (chosen->original == nullptr) chosen->original = old;
        chosen->bitmap = bitmap;
        chosen->used = ++m_clock;
        return chosen->dc;
    }
    void Release(HBITMAP bitmap) {
        for (Slot& slot : m_slots) {
            if (slot.bitmap != bitmap || bitmap == nullptr) continue;
            ::SelectObject(slot.dc, slot.original);
            slot.bitmap = nullptr;
            slot.used = 0;
        }
    }

private:
    struct Slot {
        HDC dc = nullptr;
        HBITMAP bitmap = nullptr;
        HGDIOBJ original = nullptr;  // the DC's own bitmap
        uint64_t used = 0;
    };
    Slot m_slots[8];
    uint64_t m_clock = 0;
};

ImageSourceCache& SourceCache() {
    static thread_local ImageSourceCache cache;
    return cache;
}

}  // namespace

void VQRenderEngine::ReleaseImageSource(HBITMAP bitmap) {
    if (!t_sourceCacheGone) SourceCache().Release(bitmap);
    ForgetComposites(bitmap);
}

HDC HeldImageSource(HBITMAP bitmap) {
    return t_sourceCacheGone ? nullptr : SourceCache().Acquire(bitmap);
}

HDC ImageSourceDC() {
    static thread_local ImageSourceHolder holder;
    if (holder.dc == nullptr) holder.dc = ::CreateCompatibleDC(nullptr);
    return holder.dc;
}

void ParseImageDescription(const wchar_t* text, VQImageDescription& description) {
    if (text == nullptr) return;
    ParsePairs(text, description);
}

bool VQRenderEngine::DrawImageString(HDC hdc, const RECT& item, const RECT& paint, const wchar_t* description,
                                     const wchar_t* modifier) {
    if (description == nullptr || *description == 0) return false;
    // Controls repaint with the same few descriptions again and again: each
    // is parsed once. A bound on the number kept: past it the cache starts
    // again.
    static thread_local std::unordered_map<std::wstring, VQImageDescription> parsed;
    std::wstring key = description;
    if (modifier != nullptr) {
        // A description never holds a NUL: the two stay apart in the key.
        key.push_back(L'\0');
        key += modifier;
    }
    auto found = parsed.find(key);
    if (found == parsed.end()) {
        if (parsed.size() >= 4096) parsed.clear();
        VQImageDescription fresh;
        fresh.name = description;
        ParsePairs(description, fresh);
        if (modifier != nullptr) ParsePairs(modifier, fresh);
        found = parsed.emplace(std::move(key), std::move(fresh)).first;
    }
    if (found->second.name.empty()) return false;
    VQImageDescription d = found->second;

    // Descriptions come from skin files: offsets are added without
    // overflowing and kept to a range any device context can hold.
    auto offset = [](int base, int delta) {
        const int64_t kLimit = 1 << 24;
        int64_t value = static_cast<int64_t>(base) + delta;
        return static_cast<int>(value < -kLimit ? -kLimit : (value > kLimit ? kLimit : value));
    };
    RECT dest = item;
    if (d.rightAnchored) {
        dest = {offset(item.right, -d.dest.right), offset(item.top, d.dest.top), item.right,
                offset(item.top, d.dest.bottom)};
    } else if (d.dest.right != 0 || d.dest.bottom != 0) {
        dest = {offset(item.left, d.dest.left), offset(item.top, d.dest.top), offset(item.left, d.dest.right),
                offset(item.top, d.dest.bottom)};
    }

    VQSkinManager& skins = VQSkinManager::Instance();
    if (d.icon) {
        HICON icon = nullptr;
        int side = 32;
        if (!d.resourceType.empty()) {
            side = d.iconSize;
            icon = static_cast<HICON>(::LoadImageW(skins.GetResourceModule(),
                                                   MAKEINTRESOURCEW(_wtoi(d.name.c_str()) & 0xFFFF), IMAGE_ICON,
                                                   side, side, 0));
        } else {
            std::wstring path = d.name;
            if (::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) path = skins.GetResourceFolder() + d.name;
            icon = static_cast<HICON>(::LoadImageW(nullptr, path.c_str(), IMAGE_ICON, 32, 32, LR_LOADFROMFILE));
        }
        if (icon == nullptr) return false;
        if (VQLayerRecord* record = LayerRecord()) record->composable = false;
        if (hdc != nullptr) ::DrawIconEx(hdc, dest.left, dest.top, icon, side, side, 0, nullptr, DI_NORMAL);
        ::DestroyIcon(icon);
        return true;
    }

    VQImageInfo* image = !d.resourceType.empty()
                             ? skins.GetResourceImage(static_cast<UINT>(_wtoi(d.name.c_str())) & 0xFFFF,
                                                      d.resourceType, d.mask)
                             : skins.GetSkinImage(d.name, d.mask, d.encrypted);
    if (image == nullptr) return false;
    if (hdc == nullptr) return true;

    if (IsZero(d.source)) d.source = {0, 0, image->width, image->height};
    // A source reaching outside the picture would make the blits read past
    // its pixels; only the part inside is drawn, and corners stay inside it.
    const RECT bounds = {0, 0, image->width, image->height};
    if (!::IntersectRect(&d.source, &d.source, &bounds)) return true;
    auto clampCorner = [](LONG& value, LONG extent) { value = value < 0 ? 0 : (value > extent ? extent : value); };
    clampCorner(d.corner.left, d.source.right - d.source.left);
    clampCorner(d.corner.right, d.source.right - d.source.left);
    clampCorner(d.corner.top, d.source.bottom - d.source.top);
    clampCorner(d.corner.bottom, d.source.bottom - d.source.top);
    if (d.alphaClose) {
        // Kept on the cached record: later descriptions of the image draw opaque too.
        image->hasAlpha = false;
        d.fade = 255;
    }
    if (VQLayerRecord* record = LayerRecord()) {
        record->bitmaps.push_back(image->bitmap);
        // An opaque copy leaves the alpha byte as the picture had it.
        if (!image->hasAlpha) record->composable = false;
    }
    if (!Intersects(dest, item) || !Intersects(dest, paint)) return true;

    VQRenderClip clip;
    if (d.round.cx != 0 || d.round.cy != 0) {
        RECT shape;
        ::IntersectRect(&shape, &dest, &item);
        ClipToRoundRect(hdc, shape, d.round.cx, d.round.cy, clip);
    } else if (!d.regionImage.empty()) {
        VQImageInfo* region = skins.GetSkinImage(d.regionImage, 0, false);
        ClipToRegion(hdc, region != nullptr ? region->bitmap : nullptr, {dest.left, dest.top}, d.regionMask, clip);
    }

    static const RECT kNoCorner = {0, 0, 0, 0};
    if (d.reverse) {
        int height = 0;
        HBITMAP reflection = MakeReflection(*image, dest.bottom - dest.top, height);
        if (reflection != nullptr) {
            RECT source = {0, 0, image->width, height};
            RECT target = {dest.left, dest.top, dest.right, dest.top + height};
            DrawImage(hdc, reflection, target, paint, source, kNoCorner, true, d.fade, false);
            ::DeleteObject(reflection);
        }
    } else if (d.rotate != 0.0) {
        RECT shown;
        ::IntersectRect(&shown, &dest, &item);
        ::IntersectRect(&shown, &shown, &paint);
        RECT part = shown;
        ::OffsetRect(&part, -dest.left, -dest.top);
        HBITMAP rotated = MakeRotated(*image, d.source, dest.right - dest.left, dest.bottom - dest.top, part, d.rotate);
        if (rotated != nullptr) {
            RECT source = {0, 0, part.right - part.left, part.bottom - part.top};
            DrawImage(hdc, rotated, shown, paint, source, kNoCorner, true, d.fade, false);
            ::DeleteObject(rotated);
        }
    } else {
        // The cached image stays selected in the thread's source DCs.
        DrawNineGrid(hdc, SourceCache().Acquire(image->bitmap), dest, paint, d.source, d.corner, image->hasAlpha,
                     d.fade, d.hole);
    }
    RestoreClip(hdc, clip);
    return true;
}

void VQRenderEngine::DrawImage(HDC hdc, HBITMAP bitmap, const RECT& dest, const RECT& paint, const RECT& source,
                               const RECT& corner, bool hasAlpha, int fade, bool hole) {
    if (hdc == nullptr || bitmap == nullptr || fade <= 0) return;
    HDC sourceDC = ImageSourceDC();
    if (sourceDC == nullptr) return;
    HGDIOBJ old = ::SelectObject(sourceDC, bitmap);
    if (old == nullptr) return;  // selected elsewhere, or not a bitmap
    DrawNineGrid(hdc, sourceDC, dest, paint, source, corner, hasAlpha, fade, hole);
    ::SelectObject(sourceDC, old);
}

void DrawNineGrid(HDC hdc, HDC sourceDC, const RECT& dest, const RECT& paint, const RECT& source, const RECT& corner,
                  bool hasAlpha, int fade, bool hole) {
    if (hdc == nullptr || sourceDC == nullptr || fade <= 0) return;
    if (fade > 255) fade = 255;
    const bool opaque = !hasAlpha && fade == 255;
    const int oldMode = ::SetStretchBltMode(hdc, COLORONCOLOR);
    const RECT& c = corner;
    const RECT& s = source;
    const RECT& d = dest;

    if (opaque && c.left == 0 && c.top == 0 && c.right == 0 && c.bottom == 0 &&
        d.right - d.left == s.right - s.left && d.bottom - d.top == s.bottom - s.top) {
        RECT part;
        if (::IntersectRect(&part, &d, &paint))
            ::BitBlt(hdc, part.left, part.top, part.right - part.left, part.bottom - part.top, sourceDC,
                     s.left + part.left - d.left, s.top + part.top - d.top, SRCCOPY);
    } else {
        BLENDFUNCTION blend = {AC_SRC_OVER, 0, static_cast<BYTE>(fade), AC_SRC_ALPHA};
        auto cell = [&](int dl, int dt, int dr, int db, int sl, int st, int sr, int sb) {
            if (dr <= dl || db <= dt || sr <= sl || sb <= st) return;
            RECT target = {dl, dt, dr, db};
            if (!Intersects(target, paint)) return;
            if (opaque)
                ::StretchBlt(hdc, dl, dt, dr - dl, db - dt, sourceDC, sl, st, sr - sl, sb - st, SRCCOPY);
            else
                ::AlphaBlend(hdc, dl, dt, dr - dl, db - dt, sourceDC, sl, st, sr - sl, sb - st, blend);
        };
        if (!hole)
            cell(d.left + c.left, d.top + c.top, d.right - c.right, d.bottom - c.bottom, s.left + c.left,
                 s.top + c.top, s.right - c.right, s.bottom - c.bottom);
        if (c.left > 0 && c.top > 0)
            cell(d.left, d.top, d.left + c.left, d.top + c.top, s.left, s.top, s.left + c.left, s.top + c.top);
        if (c.top > 0)
            cell(d.left + c.left, d.top, d.right - c.right, d.top + c.top, s.left + c.left, s.top,
                 s.right - c.right, s.top + c.top);
        if (c.right > 0 && c.top > 0)
            cell(d.right - c.right, d.top, d.right, d.top + c.top, s.right - c.right, s.top, s.right,
                 s.top + c.top);
        if (c.left > 0)
            cell(d.left, d.top + c.top, d.left + c.left, d.bottom - c.bottom, s.left, s.top + c.top,
                 s.left + c.left, s.bottom - c.bottom);
        if (c.right > 0)
            cell(d.right - c.right, d.top + c.top, d.right, d.bottom - c.bottom, s.right - c.right,
                 s.top + c.top, s.right, s.bottom - c.bottom);
        if (c.left > 0 && c.bottom > 0)
            cell(d.left, d.bottom - c.bottom, d.left + c.left, d.bottom, s.left, s.bottom - c.bottom,
                 s.left + c.left, s.bottom);
        if (c.bottom > 0)
            cell(d.left + c.left, d.bottom - c.bottom, d.right - c.right, d.bottom, s.left + c.left,
                 s.bottom - c.bottom, s.right - c.right, s.bottom);
        if (c.right > 0 && c.bottom > 0)
            cell(d.right - c.right, d.bottom - c.bottom, d.right, d.bottom, s.right - c.right, s.bottom - c.bottom,
                 s.right, s.bottom);
    }
    ::SetStretchBltMode(hdc, oldMode);
}

void VQRenderEngine::DrawColor(HDC hdc, const RECT& rc, uint32_t argb, bool layered) {
    const uint32_t alpha = argb >> 24;
    if (hdc == nullptr || alpha == 0 || rc.right <= rc.left || rc.bottom <= rc.top) return;
    if (alpha == 0xFF && !layered) {
        COLORREF old = ::SetBkColor(hdc, RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF));
        ::ExtTextOutW(hdc, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
        ::SetBkColor(hdc, old);
        return;
    }
    static thread_local ColorPixel pixel;
    if (!pixel.Ready()) return;
    ::GdiFlush();
    uint32_t red = ((argb >> 16) & 0xFF) * alpha / 255;
    uint32_t green = ((argb >> 8) & 0xFF) * alpha / 255;
    uint32_t blue = (argb & 0xFF) * alpha / 255;
    *pixel.bits = (alpha << 24) | (red << 16) | (green << 8) | blue;
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ::AlphaBlend(hdc, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, pixel.dc, 0, 0, 1, 1, blend);
}

}  // namespace Tessar
