// Image layers that always go together (a tile's frame and its picture)
// composed once into one premultiplied bitmap, so that each repaint blends
// one picture instead of each layer: under Wine every blended pixel costs
// the same whether a later layer covers it or not.
#include "ui/RenderEngine.h"

#include "ui/RenderInternal.h"
#include "ui/SkinManager.h"

#include <algorithm>
#include <cstdint>
#include <list>
#include <string>
#include <vector>

namespace Tessar {

namespace {

thread_local VQLayerRecord* t_layerRecord = nullptr;

struct Composite {
    std::wstring key;
    HBITMAP bitmap = nullptr;      // null: the layers cannot be composed
    std::vector<HBITMAP> sources;  // the pictures it was made of
    RECT opaque = {0, 0, 0, 0};    // a part where every pixel is opaque
};

void FreeComposite(Composite& composite) {
    if (composite.bitmap == nullptr) return;
    VQRenderEngine::ReleaseImageSource(composite.bitmap);
    ::DeleteObject(composite.bitmap);
    composite.bitmap = nullptr;
}

// The thread's composites, most recently used first. A page shows a few
// dozen tiles; the bound keeps a few pages' worth (about 2 MB of 62 x 62
// composites) and as many bitmap handles.
class CompositeCache {
public:
    ~CompositeCache() {
        for (Composite& composite : m_entries) FreeComposite(composite);
    }
    Composite* Find(const std::wstring& key) {
        for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
            if (it->key != key) continue;
            m_entries.splice(m_entries.begin(), m_entries, it);
            return &m_entries.front();
        }
        return nullptr;
    }
    Composite& Add(Composite&& composite) {
        if (m_entries.size() >= kKept) {
            FreeComposite(m_entries.back());
            m_entries.pop_back();
        }
        m_entries.push_front(std::move(composite));
        return m_entries.front();
    }
    // A picture going away takes every composite made from it along.
    void Forget(HBITMAP source) {
        if (m_forgetting) return;
        m_forgetting = true;  // freeing a composite releases its own bitmap
        for (auto it = m_entries.begin(); it != m_entries.end();) {
            if (std::find(it->sources.begin(), it->sources.end(), source) == it->sources.end()) {
                ++it;
                continue;
            }
            FreeComposite(*it);
            it = m_entries.erase(it);
        }
        m_forgetting = false;
    }
private:
    static const size_t kKept = 128;
    std::list<Composite> m_entries;
    bool m_forgetting = false;
};

// Set once the thread's cache is going: the pictures freed after it find
// nothing to forget.
thread_local bool t_compositesGone = false;

CompositeCache& Composites() {
    static thread_local struct Holder {
        CompositeCache cache;
        ~Holder() { t_compositesGone = true; }
    } holder;
    return holder.cache;
}

std::wstring CompositeKey(const RECT& item, const RECT& box, const std::wstring* layers, size_t count) {
    std::wstring key = std::to_wstring(item.left - box.left) + L',' + std::to_wstring(item.top - box.top) + L',' +
                       std::to_wstring(item.right - box.left) + L',' + std::to_wstring(item.bottom - box.top) + L',' +
                       std::to_wstring(box.right - box.left) + L',' + std::to_wstring(box.bottom - box.top);
    for (size_t i = 0; i < count; ++i) {
        // A description never holds a NUL: the layers stay apart in the key.
        key.push_back(L'\0');
        key += layers[i];
    }
    return key;
}

// A large rectangle of fully opaque pixels about the middle column (a
// tile's picture inside its frame): copied, it needs no blending.
RECT OpaqueInterior(const uint32_t* pixels, int width, int height) {
    const int middle = width / 2;
    std::vector<int> left(static_cast<size_t>(height)), right(static_cast<size_t>(height));
    for (int y = 0; y < height; ++y) {
        const uint32_t* row = pixels + static_cast<size_t>(y) * width;
        int l = middle, r = middle;
        if ((row[middle] >> 24) == 0xFF) {
            while (l > 0 && (row[l - 1] >> 24) == 0xFF) --l;
            r = middle + 1;
            while (r < width && (row[r] >> 24) == 0xFF) ++r;
        }
        left[static_cast<size_t>(y)] = l;
        right[static_cast<size_t>(y)] = r;
    }
    RECT best = {0, 0, 0, 0};
    int64_t bestArea = 0;
    for (int top = 0; top < height; ++top) {
        int l = 0, r = width;
        for (int bottom = top; bottom < height; ++bottom) {
            l = std::max(l, left[static_cast<size_t>(bottom)]);
            r = std::min(r, right[static_cast<size_t>(bottom)]);
            if (r <= l) break;
            const int64_t area = static_cast<int64_t>(r - l) * (bottom + 1 - top);
            if (area > bestArea) {
                bestArea = area;
                best = {l, top, r, bottom + 1};
            }
        }
    }
    return best;
}

// The layers drawn over a transparent bitmap of the box's size, the item
// placed where it lies against the box. False when a layer cannot be drawn
// or cannot be composed (an opaque picture or an icon leaves no alpha).
bool MakeComposite(const RECT& item, const RECT& box, const std::wstring* layers, size_t count,
                   Composite& composite) {
    const int width = box.right - box.left, height = box.bottom - box.top;
    void* bits = nullptr;
    HBITMAP bitmap = CreateTopDownDib(width, height, &bits);
    if (bitmap == nullptr) return false;
    HDC dc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old = dc != nullptr ? ::SelectObject(dc, bitmap) : nullptr;
    VQLayerRecord record;
    bool drawn = old != nullptr;
    if (drawn) {
        const RECT local = {item.left - box.left, item.top - box.top, item.right - box.left, item.bottom - box.top};
        const RECT all = {0, 0, width, height};
        t_layerRecord = &record;
        for (size_t i = 0; i < count && drawn; ++i)
            drawn = VQRenderEngine::DrawImageString(dc, local, all, layers[i].c_str());
        t_layerRecord = nullptr;
        ::GdiFlush();
        ::SelectObject(dc, old);
    }
    if (dc != nullptr) ::DeleteDC(dc);
    if (!drawn || !record.composable) {
        ::DeleteObject(bitmap);
        return false;
    }
    composite.bitmap = bitmap;
    composite.sources = std::move(record.bitmaps);
    composite.opaque = OpaqueInterior(static_cast<const uint32_t*>(bits), width, height);
    return true;
}

}  // namespace

VQLayerRecord* LayerRecord() {
    return t_layerRecord;
}

void ForgetComposites(HBITMAP source) {
    if (!t_compositesGone) Composites().Forget(source);
}

bool VQRenderEngine::DrawComposedImages(HDC hdc, const RECT& item, const RECT& paint, const RECT& box,
                                        const std::wstring* layers, size_t count) {
    if (hdc == nullptr || count == 0 || t_compositesGone || t_layerRecord != nullptr) return false;
    const int width = box.right - box.left, height = box.bottom - box.top;
    if (width <= 0 || height <= 0 || width > kMaxComposedSide || height > kMaxComposedSide) return false;
    CompositeCache& cache = Composites();
    const std::wstring key = CompositeKey(item, box, layers, count);
    Composite* composite = cache.Find(key);
    if (composite == nullptr) {
        // A failure is kept too, so that layers which cannot be composed
        // are not tried again on every repaint.
        Composite fresh;
        fresh.key = key;
        MakeComposite(item, box, layers, count, fresh);
        composite = &cache.Add(std::move(fresh));
    }
    HDC source = composite->bitmap != nullptr ? HeldImageSource(composite->bitmap) : nullptr;
    if (source == nullptr) return false;
    const RECT whole = {0, 0, width, height};
    const RECT noCorner = {0, 0, 0, 0};
    // Draws a part of the composite at its place in the box.
    auto draw = [&](const RECT& part, bool blend) {
        if (part.right <= part.left || part.bottom <= part.top) return;
        RECT dest = part;
        ::OffsetRect(&dest, box.left, box.top);
        DrawNineGrid(hdc, source, dest, paint, part, noCorner, blend, 255, false);
    };
    const RECT& o = composite->opaque;
    if (o.right <= o.left || o.bottom <= o.top) {
        draw(whole, true);
        return true;
    }
    // The opaque part is copied, the rest around it blended: a blend
    // with nothing to mix costs under Wine as much as any other.
    draw({0, 0, width, o.top}, true);
    draw({0, o.bottom, width, height}, true);
    draw({0, o.top, o.left, o.bottom}, true);
    draw({o.right, o.top, width, o.bottom}, true);
    draw(o, false);
    return true;
}

}  // namespace Tessar
