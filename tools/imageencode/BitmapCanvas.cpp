#include "tools/imageencode/BitmapCanvas.h"

namespace Tessar {

VQBitmapCanvas::VQBitmapCanvas(int width, int height) : m_width(width), m_height(height) {
    if (width <= 0 || height <= 0) return;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    m_dc = ::CreateCompatibleDC(nullptr);
    if (m_dc == nullptr) return;
    void* bits = nullptr;
    m_bitmap = ::CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (m_bitmap == nullptr) return;
    m_oldBitmap = ::SelectObject(m_dc, m_bitmap);
    m_bits = static_cast<uint32_t*>(bits);
}

VQBitmapCanvas::~VQBitmapCanvas() {
    if (m_oldBitmap != nullptr) ::SelectObject(m_dc, m_oldBitmap);
    if (m_bitmap != nullptr) ::DeleteObject(m_bitmap);
    if (m_dc != nullptr) ::DeleteDC(m_dc);
}

const uint32_t* VQBitmapCanvas::Pixels() const {
    ::GdiFlush();
    return m_bits;
}

bool VQBitmapCanvas::CopyScreen(int left, int top) {
    if (!IsValid()) return false;
    HDC screen = ::GetDC(nullptr);
    const BOOL copied = ::BitBlt(m_dc, 0, 0, m_width, m_height, screen, left, top, SRCCOPY);
    ::ReleaseDC(nullptr, screen);
    return copied != FALSE;
}

std::vector<unsigned char> VQBitmapCanvas::OpaqueRgba() const {
    const uint32_t* pixels = Pixels();
    if (pixels == nullptr) return std::vector<unsigned char>();
    const size_t count = static_cast<size_t>(m_width) * m_height;
    std::vector<unsigned char> rgba(count * 4);
    for (size_t i = 0; i < count; ++i) {
        rgba[i * 4] = static_cast<unsigned char>(pixels[i] >> 16);
        rgba[i * 4 + 1] = static_cast<unsigned char>(pixels[i] >> 8);
        rgba[i * 4 + 2] = static_cast<unsigned char>(pixels[i]);
        rgba[i * 4 + 3] = 0xFF;
    }
    return rgba;
}

bool WriteImageFile(const std::wstring& path, const std::string& bytes) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
    return ok && written == bytes.size();
}

}  // namespace Tessar
