// vqtool screenshot OUT.png CLASS SECONDS: waits up to SECONDS for a visible
// top-level window of that class, lets it paint, and writes its screen
// pixels as a PNG (the run command's picture when there is no display).
#include "tools/vqtool/Command.h"

#include "tools/imageencode/ImageEncode.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <vector>


namespace Tessar {
namespace {

const DWORD kPaintSettleMs = 3000;

bool CaptureToPng(HWND hwnd, std::string& png) {
    RECT rc;
    if (!GetWindowRect(hwnd, &rc)) return false;
    int width = rc.right - rc.left, height = rc.bottom - rc.top;
    if (width <= 0 || height <= 0) return false;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = false;
    if (bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, screen, rc.left, rc.top, SRCCOPY);
        GdiFlush();
        std::vector<unsigned char> rgba(static_cast<size_t>(width) * height * 4);
        const unsigned char* source = static_cast<const unsigned char*>(bits);
        for (size_t i = 0; i < rgba.size(); i += 4) {
            rgba[i] = source[i + 2];
            rgba[i + 1] = source[i + 1];
            rgba[i + 2] = source[i];
            rgba[i + 3] = 0xFF;
        }
        ok = EncodePng(rgba.data(), width, height, png);
        SelectObject(memory, old);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ok;
}

int RunScreenshot(const VQToolArgs& args) {
    if (args.size() != 3) return ToolError(L"screenshot takes OUT.png CLASS SECONDS");
    DWORD limit = static_cast<DWORD>(_wtoi(args[2].c_str())) * 1000;
    DWORD start = GetTickCount();
    HWND window = nullptr;
    while ((window = FindWindowW(args[1].c_str(), nullptr)) == nullptr || !IsWindowVisible(window)) {
        if (GetTickCount() - start > limit) return ToolError(L"no visible window of class " + args[1]);
        Sleep(200);
    }
    Sleep(kPaintSettleMs);  // the first pages and pictures paint
    std::string png;
    if (!CaptureToPng(window, png)) return ToolError(L"cannot capture the window");
    FILE* file = _wfopen(args[0].c_str(), L"wb");
    if (file == nullptr) return ToolError(L"cannot write " + args[0]);
    fwrite(png.data(), 1, png.size(), file);
    fclose(file);
    return 0;
}

const VQToolCommand kScreenshot(L"screenshot", L"OUT.png CLASS SECONDS   save a window of that class as a PNG",
                                RunScreenshot);

}  // namespace
}  // namespace Tessar
