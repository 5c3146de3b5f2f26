#pragma once
// Icons in memory and the .ico file format: writing an icon group taken
// from an executable, and a bitmap as a one-image 32-bit icon.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace Tessar {

// One image of an icon. Move-only: the pointers point into its own data.
struct IconImage {
    IconImage() = default;
    IconImage(IconImage&&) = default;
    IconImage& operator=(IconImage&&) = default;
    IconImage(const IconImage&) = delete;
    IconImage& operator=(const IconImage&) = delete;

    uint32_t Size() const { return static_cast<uint32_t>(data.size()); }

    uint32_t width = 0;
    uint32_t height = 0;        // the real height, half the bitmap header's
    uint32_t colorDepth = 0;    // planes x bits per pixel
    std::vector<uint8_t> data;  // bitmap header, colour table, XOR bits, AND mask
    // Inside data. A PNG-compressed image has no bitmap header: the three
    // are null and planes and bit count come from its group entry.
    BITMAPINFOHEADER* header = nullptr;
    uint8_t* xorBits = nullptr;
    uint8_t* andMask = nullptr;
    uint16_t planes = 0;
    uint16_t bitCount = 0;
};

// One icon group.
struct IconResource {
    uint32_t changed = 0;
    std::wstring iconFile;    // left empty
    std::wstring moduleFile;  // the executable the group came from
    std::vector<IconImage> images;
};

#pragma pack(push, 1)
// A directory entry of an .ico file (16 bytes).
struct IconDirectoryEntry {
    uint8_t width;       // low byte: 256 is written as 0
    uint8_t height;
    uint8_t colorCount;
    uint8_t reserved;
    uint16_t planes;
    uint16_t bitCount;
    uint32_t bytesInRes;
    uint32_t imageOffset;
};
#pragma pack(pop)
static_assert(sizeof(IconDirectoryEntry) == 16, ".ico directory entry");
const uint32_t kIconFileHeaderSize = 6;

// The three header words: reserved 0, type 1 (icon), image count.
bool WriteIconHeader(HANDLE file, uint16_t count);
bool WriteIconDirectoryEntry(HANDLE file, const IconDirectoryEntry& entry);
// Writes header, directory and every image, each image with its bitmap
// header's image-size field as 0. A failed write leaves the partial file.
bool WriteIconFile(const std::wstring& path, const IconResource& icon);

// A 32-bit bottom-up image with an empty AND mask; empty data when the
// bitmap cannot be read.
IconImage BitmapToIconImage(HBITMAP bitmap);
// Writes the bitmap as a one-image icon file.
bool SaveBitmapFile(HBITMAP bitmap, const std::wstring& path);

}  // namespace Tessar
