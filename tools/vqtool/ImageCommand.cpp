// vqtool image RECIPE OUTDIR: draws the PNG images a recipe describes into
// OUTDIR, so that skin images are kept in the tree as readable text.
//
// A recipe is a text file of lines (blank lines and lines starting with
// "#" are skipped); colours are #AARRGGBB, not premultiplied:
//   image NAME WIDTH HEIGHT [COLOUR]    starts an image, filled with COLOUR
//                                       (default fully transparent)
//   fill L T R B COLOUR                 fills the rectangle (right and
//                                       bottom exclusive)
//   frame L T R B SIZE COLOUR           a rectangle outline SIZE pixels wide
//   gradient L T R B FROM TO v|h        vertical or horizontal blend
//   ellipse L T R B COLOUR              the ellipse inside the rectangle
//   checker L T R B SIZE COLOUR COLOUR  squares of SIZE pixels
// Each image is written as NAME (a plain file name) when the next "image"
// line or the end of the recipe is reached: a 32-bit BMP when the name
// ends in ".bmp", else a PNG.
#include "tools/vqtool/Command.h"

#include "common/FileReplace.h"
#include "tools/imageencode/ImageEncode.h"

#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <sstream>
#include <string>
#include <vector>


namespace Tessar {
namespace {

// Recipes draw small skin images; anything larger is a typing error.
const int kMaxRecipeSide = 4096;

struct Canvas {
    std::wstring name;
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;

    void Put(int x, int y, uint32_t argb) {
        if (x < 0 || y < 0 || x >= width || y >= height) return;
        uint8_t* p = &rgba[(static_cast<size_t>(y) * width + x) * 4];
        p[0] = static_cast<uint8_t>(argb >> 16);
        p[1] = static_cast<uint8_t>(argb >> 8);
        p[2] = static_cast<uint8_t>(argb);
        p[3] = static_cast<uint8_t>(argb >> 24);
    }
};

bool ParseColour(const std::wstring& text, uint32_t& colour) {
    if (text.size() != 9 || text[0] != L'#') return false;
    wchar_t* end = nullptr;
    unsigned long value = wcstoul(text.c_str() + 1, &end, 16);
    if (end == nullptr || *end != 0) return false;
    colour = static_cast<uint32_t>(value);
    return true;
}

uint32_t Mix(uint32_t from, uint32_t to, int step, int steps) {
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        int a = (from >> shift) & 0xFF, b = (to >> shift) & 0xFF;
        int value = steps <= 0 ? a : a + (b - a) * step / steps;
        out |= static_cast<uint32_t>(value & 0xFF) << shift;
    }
    return out;
}

bool EndsWith(const std::wstring& text, const std::wstring& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool WriteCanvas(const Canvas& canvas, const std::wstring& folder) {
    std::string png;
    bool written = EndsWith(canvas.name, L".bmp") ? EncodeBmp(canvas.rgba.data(), canvas.width, canvas.height, png)
                                                  : EncodePng(canvas.rgba.data(), canvas.width, canvas.height, png);
    if (!written) return false;
    std::wstring path = folder;
    if (!path.empty() && path.back() != L'\\' && path.back() != L'/') path += L'\\';
    return WriteBytesReplacing(path + canvas.name, png.data(), static_cast<uint32_t>(png.size()));
}

bool ReadLines(const std::wstring& path, std::vector<std::wstring>& lines) {
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (file == nullptr) return false;
    std::string bytes;
    char block[4096];
    size_t got = 0;
    while ((got = std::fread(block, 1, sizeof(block), file)) > 0) bytes.append(block, got);
    std::fclose(file);
    std::string line;
    std::istringstream stream(bytes);
    while (std::getline(stream, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::wstring(line.begin(), line.end()));  // recipes are ASCII
    }
    return true;
}

// Draws one recipe line onto the canvas; false for a malformed line.
bool Draw(Canvas& canvas, const std::wstring& command, std::wistringstream& in) {
    int l = 0, t = 0, r = 0, b = 0;
    if (!(in >> l >> t >> r >> b)) return false;
    std::wstring a, c, d;
    uint32_t first = 0, second = 0;
    if (command == L"fill") {
        if (!(in >> a) || !ParseColour(a, first)) return false;
        for (int y = t; y < b; ++y)
            for (int x = l; x < r; ++x) canvas.Put(x, y, first);
        return true;
    }
    if (command == L"frame") {
        int size = 0;
        if (!(in >> size >> a) || !ParseColour(a, first) || size <= 0) return false;
        for (int y = t; y < b; ++y)
            for (int x = l; x < r; ++x)
                if (x < l + size || x >= r - size || y < t + size || y >= b - size) canvas.Put(x, y, first);
        return true;
    }
    if (command == L"gradient") {
        if (!(in >> a >> c >> d) || !ParseColour(a, first) || !ParseColour(c, second)) return false;
        bool vertical = d == L"v";
        for (int y = t; y < b; ++y)
            for (int x = l; x < r; ++x)
                canvas.Put(x, y, vertical ? Mix(first, second, y - t, b - t - 1) : Mix(first, second, x - l, r - l - 1));
        return true;
    }
    if (command == L"ellipse") {
        if (!(in >> a) || !ParseColour(a, first)) return false;
        double cx = (l + r) / 2.0, cy = (t + b) / 2.0, rx = (r - l) / 2.0, ry = (b - t) / 2.0;
        for (int y = t; y < b; ++y)
            for (int x = l; x < r; ++x) {
                double dx = (x + 0.5 - cx) / rx, dy = (y + 0.5 - cy) / ry;
                if (dx * dx + dy * dy <= 1.0) canvas.Put(x, y, first);
            }
        return true;
    }
    if (command == L"checker") {
        int size = 0;
        if (!(in >> size >> a >> c) || size <= 0 || !ParseColour(a, first) || !ParseColour(c, second)) return false;
        for (int y = t; y < b; ++y)
            for (int x = l; x < r; ++x) canvas.Put(x, y, (((x - l) / size + (y - t) / size) % 2) == 0 ? first : second);
        return true;
    }
    return false;
}

int RunImage(const VQToolArgs& args) {
    if (args.size() != 2) return ToolError(L"image takes RECIPE and OUTDIR");
    std::vector<std::wstring> lines;
    if (!ReadLines(args[0], lines)) return ToolError(L"cannot read " + args[0]);
    Canvas canvas;
    bool open = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::wistringstream in(lines[i]);
        std::wstring command;
        if (!(in >> command) || command[0] == L'#') continue;
        std::wstring where = args[0] + L" line " + std::to_wstring(i + 1);
        if (command == L"image") {
            if (open && !WriteCanvas(canvas, args[1])) return ToolError(L"cannot write " + canvas.name);
            canvas = Canvas();
            std::wstring colour;
            uint32_t background = 0;
            if (!(in >> canvas.name >> canvas.width >> canvas.height) || canvas.width <= 0 || canvas.height <= 0 ||
                canvas.width > kMaxRecipeSide || canvas.height > kMaxRecipeSide ||
                canvas.name.find_first_of(L"\\/:") != std::wstring::npos)
                return ToolError(where + L": image NAME WIDTH HEIGHT [COLOUR]");
            if ((in >> colour) && !ParseColour(colour, background)) return ToolError(where + L": bad colour");
            canvas.rgba.assign(static_cast<size_t>(canvas.width) * canvas.height * 4, 0);
            for (int y = 0; y < canvas.height; ++y)
                for (int x = 0; x < canvas.width; ++x) canvas.Put(x, y, background);
            open = true;
            continue;
        }
        if (!open) return ToolError(where + L": no image started");
        if (!Draw(canvas, command, in)) return ToolError(where + L": cannot read \"" + lines[i] + L"\"");
    }
    if (open && !WriteCanvas(canvas, args[1])) return ToolError(L"cannot write " + canvas.name);
    return 0;
}

const VQToolCommand kImage(L"image", L"RECIPE OUTDIR   draw the PNG images of a recipe", RunImage);

}  // namespace
}  // namespace Tessar
