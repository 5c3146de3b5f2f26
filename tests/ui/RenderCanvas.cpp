#include "tests/ui/RenderCanvas.h"

#include "common/Buffer.h"
#include "common/CodePage.h"
#include "common/FileHandle.h"
#include "tests/support/LocalServer.h"

namespace Tessar {
namespace Test {

VQRenderCanvas::VQRenderCanvas(int width, int height, uint32_t fill) : m_width(width), m_height(height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    m_dc = ::CreateCompatibleDC(nullptr);
    m_bitmap = ::CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    m_bits = static_cast<uint32_t*>(bits);
    m_old = ::SelectObject(m_dc, m_bitmap);
    Fill(fill);
}

VQRenderCanvas::~VQRenderCanvas() {
    ::SelectObject(m_dc, m_old);
    ::DeleteObject(m_bitmap);
    ::DeleteDC(m_dc);
}

void VQRenderCanvas::Fill(uint32_t argb) {
    ::GdiFlush();
    for (int i = 0; i < m_width * m_height; ++i) m_bits[i] = argb;
}

uint32_t VQRenderCanvas::Pixel(int x, int y) const {
    ::GdiFlush();
    return m_bits[y * m_width + x];
}

const uint32_t* VQRenderCanvas::Bits() const {
    ::GdiFlush();
    return m_bits;
}

std::wstring SkinFixture(const std::wstring& name) {
    return UnixToWindowsPath(BinaryDirUnix() + "/fixtures/skin/") + name;
}

std::string ReadWholeFile(const std::wstring& path) {
    VQBuffer<unsigned char> bytes;
    if (!ReadFileToBuffer(path, bytes)) return std::string();
    return std::string(reinterpret_cast<const char*>(bytes.data), bytes.size);
}

}  // namespace Test
}  // namespace Tessar
