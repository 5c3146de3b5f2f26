// vqtool icon OUT.ico SEED IMAGE...: writes an .ico file of patterned
// images for the icon tests. IMAGE is WxH:BITS (bitmap; BITS 1, 4, 8, 24
// or 32), WxH:BITS:USED (bitmap with USED palette colours) or WxH:png (a
// PNG-compressed 32-bit image). SEED varies the pixels between files.
// Directory entries follow the usual convention (colour count 2^BITS below
// 8 bits, else 0; planes 1) and bitmap headers carry an image size of 0.
#include "tools/vqtool/Command.h"

#include "common/FileHandle.h"

#include <windows.h>
#include <zlib.h>

#include <cstdint>
#include <cwchar>
#include <string>

namespace Tessar {
namespace {

struct ImageRecipe {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t bits = 0;
    uint32_t used = 0;
    bool png = false;
};

bool ParseRecipe(const std::wstring& text, ImageRecipe& recipe) {
    size_t colon = text.find(L':');
    if (colon == std::wstring::npos || swscanf(text.c_str(), L"%ux%u", &recipe.width, &recipe.height) != 2 ||
        recipe.width == 0 || recipe.height == 0 || recipe.width > 256 || recipe.height > 256)
        return false;
    std::wstring kind = text.substr(colon + 1);
    size_t second = kind.find(L':');
    if (second != std::wstring::npos) {
        recipe.used = static_cast<uint32_t>(wcstoul(kind.c_str() + second + 1, nullptr, 10));
        kind.resize(second);
    }
    if (kind == L"png") {
        recipe.png = true;
        recipe.bits = 32;
        return true;
    }
    recipe.bits = static_cast<uint32_t>(wcstoul(kind.c_str(), nullptr, 10));
    return recipe.bits == 1 || recipe.bits == 4 || recipe.bits == 8 || recipe.bits == 24 || recipe.bits == 32;
}

void Put16(std::string& out, uint32_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}
void Put32(std::string& out, uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}
void PutBig32(std::string& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out += static_cast<char>((value >> shift) & 0xFF);
}

uint8_t PatternByte(uint32_t seed, uint32_t row, uint32_t column) {
    return static_cast<uint8_t>(seed * 37 + row * 11 + column * 5 + (row ^ column));
}

std::string BitmapImage(const ImageRecipe& recipe, uint32_t seed) {
    std::string out;
    const uint32_t colours = recipe.used != 0 ? recipe.used : (recipe.bits <= 8 ? 1u << recipe.bits : 0);
    Put32(out, 40);
    Put32(out, recipe.width);
    Put32(out, recipe.height * 2);
    Put16(out, 1);
    Put16(out, recipe.bits);
    Put32(out, 0);  // BI_RGB
    Put32(out, 0);  // image size
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, recipe.used);
    Put32(out, 0);
    for (uint32_t i = 0; i < colours; ++i)
        Put32(out, (PatternByte(seed, i, 1) << 16) | (PatternByte(seed, i, 2) << 8) | PatternByte(seed, i, 3));
    const uint32_t xorRow = ((recipe.width * recipe.bits + 31) / 32) * 4;
    for (uint32_t row = 0; row < recipe.height; ++row) {
        for (uint32_t column = 0; column < xorRow; ++column) {
            uint8_t value = PatternByte(seed, row, column);
            // Palette indexes stay within the palette.
            if (recipe.bits == 8 && colours != 0)
                value = static_cast<uint8_t>(value % colours);
            out += static_cast<char>(value);
        }
    }
    const uint32_t andRow = ((recipe.width + 31) / 32) * 4;
    for (uint32_t row = 0; row < recipe.height; ++row) {
        for (uint32_t column = 0; column < andRow; ++column)
            out += static_cast<char>((row + column) % 3 == 0 ? 0x0F : 0x00);
    }
    return out;
}

void PutPngChunk(std::string& out, const char* type, const std::string& data) {
    PutBig32(out, static_cast<uint32_t>(data.size()));
    std::string body = std::string(type, 4) + data;
    out += body;
    PutBig32(out, static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(body.data()), body.size())));
}

bool PngImage(const ImageRecipe& recipe, uint32_t seed, std::string& out) {
    std::string header;
    PutBig32(header, recipe.width);
    PutBig32(header, recipe.height);
    header += '\x08';  // bit depth
    header += '\x06';  // RGBA
    header += std::string(3, '\0');
    std::string rows;
    for (uint32_t row = 0; row < recipe.height; ++row) {
        rows += '\0';  // no filter
        for (uint32_t column = 0; column < recipe.width * 4; ++column)
            rows += static_cast<char>(PatternByte(seed, row, column));
    }
    uLongf packedSize = compressBound(rows.size());
    std::string packed(packedSize, '\0');
    if (compress2(reinterpret_cast<Bytef*>(&packed[0]), &packedSize, reinterpret_cast<const Bytef*>(rows.data()),
                  rows.size(), 9) != Z_OK)
        return false;
    packed.resize(packedSize);
    out = "\x89PNG\r\n\x1a\n";
    PutPngChunk(out, "IHDR", header);
    PutPngChunk(out, "IDAT", packed);
    PutPngChunk(out, "IEND", std::string());
    return true;
}

int RunIcon(const VQToolArgs& args) {
    if (args.size() < 3)
        return ToolError(L"icon takes OUT.ico SEED IMAGE...");
    const uint32_t seed = static_cast<uint32_t>(wcstoul(args[1].c_str(), nullptr, 10));
    const size_t count = args.size() - 2;
    std::string directory;
    std::string images;
    Put16(directory, 0);
    Put16(directory, 1);
    Put16(directory, static_cast<uint32_t>(count));
    uint32_t offset = static_cast<uint32_t>(6 + 16 * count);
    for (size_t i = 0; i < count; ++i) {
        ImageRecipe recipe;
        if (!ParseRecipe(args[2 + i], recipe))
            return ToolError(L"bad image " + args[2 + i]);
        std::string image;
        if (recipe.png) {
            if (!PngImage(recipe, seed + static_cast<uint32_t>(i), image))
                return ToolError(L"cannot compress " + args[2 + i]);
        } else {
            image = BitmapImage(recipe, seed + static_cast<uint32_t>(i));
        }
        directory += static_cast<char>(recipe.width & 0xFF);
        directory += static_cast<char>(recipe.height & 0xFF);
        directory += static_cast<char>(recipe.bits < 8 ? 1u << recipe.bits : 0);
        directory += '\0';
        Put16(directory, 1);
        Put16(directory, recipe.bits);
        Put32(directory, static_cast<uint32_t>(image.size()));
        Put32(directory, offset);
        offset += static_cast<uint32_t>(image.size());
        images += image;
    }
    std::string file = directory + images;
    HANDLE handle = INVALID_HANDLE_VALUE;
    if (!OpenFileHandle(handle, args[0], GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL))
        return ToolError(L"cannot create " + args[0]);
    bool written = WriteFileHandle(handle, file.data(), static_cast<uint32_t>(file.size()));
    CloseFileHandle(handle);
    return written ? 0 : ToolError(L"cannot write " + args[0]);
}

const VQToolCommand kIcon(L"icon", L"OUT.ico SEED WxH:BITS[:USED]|WxH:png...   write a patterned icon file", RunIcon);

}  // namespace
}  // namespace Tessar
