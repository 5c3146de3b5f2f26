#pragma once
// A top-down 32-bit DIB section selected into a memory DC, for the
// developer tools and the benchmarks: GDI or the toolkit draws into it, or
// it takes a copy of the screen, and its pixels are read or written as a
// picture.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace Tessar {

class VQBitmapCanvas {
public:
    VQBitmapCanvas(int width, int height);
    ~VQBitmapCanvas();
    VQBitmapCanvas(const VQBitmapCanvas&) = delete;
    VQBitmapCanvas& operator=(const VQBitmapCanvas&) = delete;

    // False when the DC or the bitmap could not be made.
    bool IsValid() const { return m_bits != nullptr; }
    HDC DC() const { return m_dc; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    // 0xAARRGGBB, top row first, once GDI has finished drawing; null when
    // not valid.
    const uint32_t* Pixels() const;
    // Copies the screen from (left, top) on, the canvas's size.
    bool CopyScreen(int left, int top);
    // The pixels as opaque RGBA rows, as EncodePng takes them.
    std::vector<unsigned char> OpaqueRgba() const;

private:
    int m_width;
    int m_height;
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_oldBitmap = nullptr;
    uint32_t* m_bits = nullptr;
};

// Writes the bytes to the file, replacing it; false unless all were written.
bool WriteImageFile(const std::wstring& path, const std::string& bytes);

}  // namespace Tessar
