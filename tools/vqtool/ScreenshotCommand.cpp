// vqtool screenshot OUT.png CLASS SECONDS: waits up to SECONDS for a visible
// top-level window of that class, lets it paint, and writes its screen
// pixels as a PNG (the run command's picture when there is no display).
#include "tools/vqtool/Command.h"

#include "tools/imageencode/BitmapCanvas.h"
#include "tools/imageencode/ImageEncode.h"

#include <windows.h>

namespace Tessar {
namespace {

const DWORD kPaintSettleMs = 3000;

bool CaptureToPng(HWND hwnd, std::string& png) {
    RECT rc;
    if (!GetWindowRect(hwnd, &rc)) return false;
    int width = rc.right - rc.left, height = rc.bottom - rc.top;
    if (width <= 0 || height <= 0) return false;
    VQBitmapCanvas canvas(width, height);
    if (!canvas.IsValid()) return false;
    canvas.CopyScreen(rc.left, rc.top);
    return EncodePng(canvas.OpaqueRgba().data(), width, height, png);
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
    if (!WriteImageFile(args[0], png)) return ToolError(L"cannot write " + args[0]);
    return 0;
}

const VQToolCommand kScreenshot(L"screenshot", L"OUT.png CLASS SECONDS   save a window of that class as a PNG",
                                RunScreenshot);

}  // namespace
}  // namespace Tessar
