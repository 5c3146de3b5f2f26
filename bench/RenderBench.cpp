// Full repaint of a 900 x 600 window of 300 controls (nine-grid pictures
// with and without alpha, opaque and translucent text, text shadows,
// borders) into a memory DC through the controls' paint steps, beside the
// same pictures and texts drawn with bare GDI calls (BitBlt, AlphaBlend,
// DrawTextW); and how often each picture file was decoded.

#include "bench/BenchClock.h"
#include "common/FileReplace.h"
#include "common/TempFile.h"
#include "ui/Control.h"
#include "ui/RenderEngine.h"
#include "ui/SkinManager.h"
#include "tools/imageencode/BitmapCanvas.h"
#include "tools/imageencode/ImageEncode.h"

#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>


using namespace Tessar;
using namespace Tessar::Bench;

namespace {

const int kWidth = 900;
const int kHeight = 600;
const int kColumns = 20;
const int kRows = 15;
const int kRuns = 41;

// A picture with a frame and a vertical blend; alpha below 255 when asked.
bool WritePicture(const std::wstring& path, int width, int height, uint8_t alpha) {
    std::vector<uint8_t> rgba(static_cast<size_t>(width) * height * 4);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = &rgba[(static_cast<size_t>(y) * width + x) * 4];
            bool frame = x == 0 || y == 0 || x == width - 1 || y == height - 1;
            p[0] = frame ? 20 : static_cast<uint8_t>(60 + y * 100 / height);
            p[1] = frame ? 40 : static_cast<uint8_t>(90 + y * 80 / height);
            p[2] = frame ? 70 : static_cast<uint8_t>(160 - y * 40 / height);
            p[3] = frame ? 255 : alpha;
        }
    std::string png;
    if (!EncodePng(rgba.data(), width, height, png)) return false;
    return WriteBytesReplacing(path, png.data(), static_cast<uint32_t>(png.size()));
}

// The game-tile way of drawing a caption: a halo first, then the text.
class ShadowedLabel : public VQControl {
public:
    void PaintText(HDC hdc) override {
        VQRenderEngine::DrawTextShadow(hdc, nullptr, m_itemRect, m_text, L"", m_textStyle);
        VQControl::PaintText(hdc);
    }
};

struct Picture {
    std::wstring path;
    int width, height;
    uint8_t alpha;
};

struct Scene {
    std::vector<std::unique_ptr<VQControl>> controls;
};

// With effects every sixth control has a shadow and every third
// translucent text; every other has a border; pictures rotate over the
// three tile pictures.
void BuildScene(Scene& scene, const std::vector<Picture>& pictures, bool effects) {
    std::unique_ptr<VQControl> background(new VQControl);
    background->ApplyAttributeList(L"bknormalimage=\"file='" + pictures[0].path + L"' corner='4,4,4,4'\"");
    background->SetPos(0, 0, kWidth, kHeight);
    scene.controls.push_back(std::move(background));
    const int cellWidth = kWidth / kColumns, cellHeight = kHeight / kRows;
    for (int i = 0; i < kColumns * kRows; ++i) {
        std::unique_ptr<VQControl> control(effects && i % 6 == 0 ? new ShadowedLabel : new VQControl);
        const Picture& picture = pictures[1 + i % 3];
        std::wstring attributes = L"bknormalimage=\"file='" + picture.path + L"' corner='4,4,4,4'\"";
        attributes += L" text=\"Item " + std::to_wstring(i) + L"\" align=\"center\" align=\"vcenter\"";
        attributes += L" align=\"singleline\"";
        attributes += effects && i % 3 == 0 ? L" normaltextcolor=\"#C0FFFFFF\"" : L" normaltextcolor=\"#FFFFFFFF\"";
        if (i % 2 == 0) attributes += L" bordercolor=\"#FF203040\" bordersize=\"1\"";
        control->ApplyAttributeList(attributes);
        const int x = (i % kColumns) * cellWidth, y = (i / kColumns) * cellHeight;
        control->SetPos(x + 2, y + 2, x + cellWidth - 2, y + cellHeight - 2);
        scene.controls.push_back(std::move(control));
    }
}

void PaintScene(Scene& scene, HDC hdc) {
    const RECT all = {0, 0, kWidth, kHeight};
    for (auto& control : scene.controls) control->DoPaint(hdc, all);
}

// The same pictures and texts with the bare calls: nine cells each through
// AlphaBlend or StretchBlt from bitmaps selected once, DrawTextW, a pen
// rectangle for the border.
void PaintBare(Scene& scene, HDC hdc, HDC pictureDCs[4], const std::vector<Picture>& pictures,
               const std::vector<VQImageInfo*>& images) {
    const BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    auto nine = [&](int index, const RECT& d) {
        const VQImageInfo& image = *images[index];
        const int c = 4, w = image.width, h = image.height;
        const int xs[4] = {d.left, d.left + c, d.right - c, d.right}, ys[4] = {d.top, d.top + c, d.bottom - c, d.bottom};
        const int sx[4] = {0, c, w - c, w}, sy[4] = {0, c, h - c, h};
        for (int row = 0; row < 3; ++row)
            for (int column = 0; column < 3; ++column) {
                int dw = xs[column + 1] - xs[column], dh = ys[row + 1] - ys[row];
                int sw = sx[column + 1] - sx[column], sh = sy[row + 1] - sy[row];
                if (image.hasAlpha)
                    AlphaBlend(hdc, xs[column], ys[row], dw, dh, pictureDCs[index], sx[column], sy[row], sw, sh, blend);
                else
                    StretchBlt(hdc, xs[column], ys[row], dw, dh, pictureDCs[index], sx[column], sy[row], sw, sh,
                               SRCCOPY);
            }
    };
    nine(0, {0, 0, kWidth, kHeight});
    SetBkMode(hdc, TRANSPARENT);
    SetTextColor(hdc, RGB(255, 255, 255));
    HGDIOBJ oldBrush = SelectObject(hdc, GetStockObject(NULL_BRUSH));
    HPEN pen = CreatePen(PS_INSIDEFRAME, 1, RGB(0x20, 0x30, 0x40));
    for (size_t i = 1; i < scene.controls.size(); ++i) {
        VQControl& control = *scene.controls[i];
        RECT rc = control.GetPos();
        nine(static_cast<int>(1 + (i - 1) % 3), rc);
        std::wstring text = control.GetText();
        DrawTextW(hdc, text.c_str(), static_cast<int>(text.size()), &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        if ((i - 1) % 2 == 0) {
            HGDIOBJ oldPen = SelectObject(hdc, pen);
            Rectangle(hdc, rc.left, rc.top, rc.right, rc.bottom);
            SelectObject(hdc, oldPen);
        }
    }
    SelectObject(hdc, oldBrush);
    DeleteObject(pen);
    (void)pictures;
}

}  // namespace

int main() {
    std::wstring folder;
    if (!GetTempFolder(folder)) return 1;
    folder += L"VQRenderBench" + std::to_wstring(GetCurrentProcessId()) + L"\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    std::vector<Picture> pictures = {{folder + L"window.png", 64, 64, 255},
                                     {folder + L"tile-opaque.png", 40, 32, 255},
                                     {folder + L"tile-alpha.png", 40, 32, 200},
                                     {folder + L"tile-soft.png", 48, 40, 128}};
    for (const Picture& picture : pictures)
        if (!WritePicture(picture.path, picture.width, picture.height, picture.alpha)) {
            fprintf(stderr, "cannot write %ls\n", picture.path.c_str());
            return 1;
        }

    HDC screen = GetDC(nullptr);
    VQBitmapCanvas target(kWidth, kHeight);
    HDC memory = target.DC();
    HFONT font = CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Tahoma");
    HGDIOBJ oldFont = SelectObject(memory, font);

    Scene scene, plain;
    BuildScene(scene, pictures, true);
    BuildScene(plain, pictures, false);
    VQSkinManager& skins = VQSkinManager::Instance();
    const uint64_t decodesBefore = skins.GetDecodeCount();

    // The first paints decode; they are not timed.
    PaintScene(scene, memory);
    PaintScene(plain, memory);
    std::vector<VQImageInfo*> images;
    for (int i = 0; i < 4; ++i) {
        images.push_back(skins.GetSkinImage(pictures[i].path, 0, false));
        if (images.back() == nullptr) {
            fprintf(stderr, "picture %d did not load\n", i);
            return 1;
        }
    }
    const uint64_t decodes = skins.GetDecodeCount() - decodesBefore;
    // The bare run gets its own copies of the bitmaps: a bitmap can be
    // selected into one DC at a time, and the engine selects the cached ones.
    HDC pictureDCs[4];
    std::vector<HBITMAP> copies;
    for (int i = 0; i < 4; ++i) {
        VQImageInfo* copy = skins.LoadImageFile(pictures[i].path, 0, false);
        copies.push_back(copy->bitmap);
        pictureDCs[i] = CreateCompatibleDC(screen);
        SelectObject(pictureDCs[i], copy->bitmap);
        delete copy;  // the bitmap stays, owned by this run
    }

    struct Variant {
        const char* what;
        Scene* scene;
    } variants[] = {{"with text shadows and translucent text", &scene}, {"opaque text, no shadows", &plain}};
    for (const Variant& variant : variants) {
        std::vector<double> ours, bare;
        for (int run = 0; run < kRuns; ++run) {
            // Alternate which goes first so neither always finds warm caches.
            for (int turn = 0; turn < 2; ++turn) {
                bool oursNow = (run + turn) % 2 == 0;
                double start = NowMs();
                if (oursNow)
                    PaintScene(*variant.scene, memory);
                else
                    PaintBare(*variant.scene, memory, pictureDCs, pictures, images);
                GdiFlush();
                (oursNow ? ours : bare).push_back(NowMs() - start);
            }
        }
        char what[200];
        snprintf(what, sizeof(what), "full repaint %dx%d, %zu controls, %s, median of %d", kWidth, kHeight,
                 variant.scene->controls.size(), variant.what, kRuns);
        PrintGoalLine(what, Percentile(ours, 0.5), "bare GDI", Percentile(bare, 0.5), "ms", RatioAndAtMost(1.5, 5.0));
    }
    printf("picture decodes over %d repaints of 2 x %zu controls: %llu for %zu picture files\n", 2 * kRuns + 2,
           scene.controls.size(), static_cast<unsigned long long>(decodes), pictures.size());

    for (int i = 0; i < 4; ++i) {
        DeleteDC(pictureDCs[i]);
        DeleteObject(copies[i]);
    }
    SelectObject(memory, oldFont);
    DeleteObject(font);
    ReleaseDC(nullptr, screen);
    for (const Picture& picture : pictures) DeleteFileW(picture.path.c_str());
    RemoveDirectoryW(folder.c_str());
    return 0;
}
