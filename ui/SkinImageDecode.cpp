// Image bytes to a premultiplied 32-bit DIB section through stb_image.
#include "ui/SkinManager.h"

#include <climits>
#include <cstring>

// The decoder is private to this file: other libraries of the program may
// carry their own copy without a clash at link time.
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_STDIO
#define STBI_NO_HDR
#define STBI_NO_LINEAR
#define STBI_MAX_DIMENSIONS 8192
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#endif
#include <stb_image.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace Tessar {

static_assert(STBI_MAX_DIMENSIONS == kMaxSkinImageSide, "decoder bound follows the skin image bound");

HBITMAP CreateTopDownDib(int width, int height, void** bits) {
    if (bits != nullptr) *bits = nullptr;
    if (width <= 0 || height <= 0 || width > kMaxSkinImageSide || height > kMaxSkinImageSide) return nullptr;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    info.bmiHeader.biSizeImage = static_cast<DWORD>(width) * static_cast<DWORD>(height) * 4;
    void* pixels = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    if (bitmap == nullptr || pixels == nullptr) {
        if (bitmap != nullptr) ::DeleteObject(bitmap);
        return nullptr;
    }
    if (bits != nullptr) *bits = pixels;
    return bitmap;
}

VQImageInfo* DecodeSkinImage(const unsigned char* bytes, size_t size, uint32_t mask) {
    if (bytes == nullptr || size == 0 || size > static_cast<size_t>(INT_MAX)) return nullptr;
    int width = 0, height = 0, channels = 0;
    // The header alone first: a picture past the bounds is refused before
    // anything is allocated for it.
    if (!stbi_info_from_memory(bytes, static_cast<int>(size), &width, &height, &channels)) return nullptr;
    if (width <= 0 || height <= 0 || width > kMaxSkinImageSide || height > kMaxSkinImageSide ||
        static_cast<uint64_t>(width) * static_cast<uint64_t>(height) > kMaxSkinImagePixels)
        return nullptr;
    unsigned char* rgba = stbi_load_from_memory(bytes, static_cast<int>(size), &width, &height, &channels, 4);
    if (rgba == nullptr) return nullptr;
    void* bits = nullptr;
    HBITMAP bitmap = CreateTopDownDib(width, height, &bits);
    if (bitmap == nullptr) {
        stbi_image_free(rgba);
        return nullptr;
    }
    bool hasAlpha = false;
    const unsigned char* source = rgba;
    uint32_t* target = static_cast<uint32_t*>(bits);
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    for (size_t i = 0; i < count; ++i, source += 4) {
        uint32_t red = source[0], green = source[1], blue = source[2], alpha = source[3];
        if (alpha != 255) {
            red = red * alpha / 255;
            green = green * alpha / 255;
            blue = blue * alpha / 255;
            hasAlpha = true;
        }
        uint32_t pixel = (alpha << 24) | (red << 16) | (green << 8) | blue;
        if (pixel == mask) {
            pixel = 0;
            hasAlpha = true;
        }
        target[i] = pixel;
    }
    stbi_image_free(rgba);
    VQImageInfo* image = new VQImageInfo;
    image->bitmap = bitmap;
    image->width = width;
    image->height = height;
    image->hasAlpha = hasAlpha;
    return image;
}

}  // namespace Tessar
