#include "tests/ui/WindowScreenshot.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

#include "common/CodePage.h"
#include "tests/support/LocalServer.h"

namespace Tessar {
namespace Test {

namespace {

void WriteToFile(void* context, void* data, int size) {
    std::fwrite(data, 1, static_cast<size_t>(size), static_cast<FILE*>(context));
}

}  // namespace

bool SaveWindowPng(HWND hwnd, const std::wstring& path) {
    if (!::IsWindow(hwnd)) return false;
    RECT client;
    ::GetClientRect(hwnd, &client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    if (width <= 0 || height <= 0) return false;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC windowDC = ::GetDC(hwnd);
    HDC memoryDC = ::CreateCompatibleDC(windowDC);
    HBITMAP bitmap = ::CreateDIBSection(windowDC, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = false;
    if (memoryDC && bitmap && bits) {
        HGDIOBJ old = ::SelectObject(memoryDC, bitmap);
        ::BitBlt(memoryDC, 0, 0, width, height, windowDC, 0, 0, SRCCOPY);
        ::SelectObject(memoryDC, old);
        // BGRA in memory; the PNG wants RGBA, opaque.
        std::vector<unsigned char> rgba(static_cast<size_t>(width) * height * 4);
        const unsigned char* source = static_cast<const unsigned char*>(bits);
        for (size_t i = 0; i < rgba.size(); i += 4) {
            rgba[i] = source[i + 2];
            rgba[i + 1] = source[i + 1];
            rgba[i + 2] = source[i];
            rgba[i + 3] = 255;
        }
        FILE* file = _wfopen(path.c_str(), L"wb");
        if (file) {
            ok = stbi_write_png_to_func(&WriteToFile, file, width, height, 4, rgba.data(), width * 4) != 0;
            ok = (std::fclose(file) == 0) && ok;
        }
    }
    if (bitmap) ::DeleteObject(bitmap);
    if (memoryDC) ::DeleteDC(memoryDC);
    ::ReleaseDC(hwnd, windowDC);
    return ok;
}

std::wstring ScreenshotFolder() {
    std::wstring folder = L".\\ui-screenshots";
    if (std::getenv("VQ_BINARY_DIR")) folder = UnixToWindowsPath(BinaryDirUnix() + "/tests/ui-screenshots");
    ::CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

VQScreenshotOnFailure::~VQScreenshotOnFailure() {
    if (!::testing::Test::HasFailure() || !::IsWindow(m_hwnd)) return;
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = test ? std::string(test->test_suite_name()) + "." + test->name() : "window";
    std::wstring path = ScreenshotFolder() + L"\\" + NarrowToWide(name.c_str()) + L".png";
    if (SaveWindowPng(m_hwnd, path))
        std::printf("window screenshot: %s\n", WideToNarrow(path).c_str());
}

}  // namespace Test
}  // namespace Tessar
