#pragma once
// A memory DC over a top-down 32-bit DIB section, for pixel checks of the
// render engine, and the paths of the test skin's built pictures.

#include <windows.h>

#include <cstdint>
#include <string>

namespace Tessar {
namespace Test {

class VQRenderCanvas {
public:
    VQRenderCanvas(int width, int height, uint32_t fill = 0xFF000000);
    ~VQRenderCanvas();
    VQRenderCanvas(const VQRenderCanvas&) = delete;
    VQRenderCanvas& operator=(const VQRenderCanvas&) = delete;

    HDC DC() const { return m_dc; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    void Fill(uint32_t argb);
    // 0xAARRGGBB as stored.
    uint32_t Pixel(int x, int y) const;
    uint32_t Rgb(int x, int y) const { return Pixel(x, y) & 0x00FFFFFFu; }
    const uint32_t* Bits() const;

private:
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_old = nullptr;
    uint32_t* m_bits = nullptr;
    int m_width;
    int m_height;
};

// The Windows path of a picture the build drew into fixtures/skin.
std::wstring SkinFixture(const std::wstring& name);
// The bytes of a file; empty when it cannot be read.
std::string ReadWholeFile(const std::wstring& path);

}  // namespace Test
}  // namespace Tessar
