#include "common/IconFile.h"

#include "common/FileHandle.h"
#include "common/KernelHandle.h"

#include <cstddef>
#include <cstring>

namespace Tessar {

namespace {

HANDLE CreateIconFile(const std::wstring& path) {
    return ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The image as it goes into the file: the bitmap header's image-size field
// reads 0 there.
bool WriteIconImage(HANDLE file, const IconImage& image) {
    if (image.header == nullptr)
        return WriteFileHandle(file, image.data.data(), image.Size());
    std::vector<uint8_t> bytes(image.data);
    const size_t field = offsetof(BITMAPINFOHEADER, biSizeImage);
    std::memset(bytes.data() + field, 0, sizeof(DWORD));
    return WriteFileHandle(file, bytes.data(), static_cast<uint32_t>(bytes.size()));
}

}  // namespace

bool WriteIconHeader(HANDLE file, uint16_t count) {
    const uint16_t words[3] = {0, 1, count};
    for (uint16_t word : words) {
        if (!WriteFileHandle(file, &word, sizeof(word)))
            return false;
    }
    return true;
}

bool WriteIconDirectoryEntry(HANDLE file, const IconDirectoryEntry& entry) {
    return WriteFileHandle(file, &entry, sizeof(entry));
}

bool WriteIconFile(const std::wstring& path, const IconResource& icon) {
    VQKernelHandle file(CreateIconFile(path));
    if (!file.IsValid())
        return false;
    const uint16_t count = static_cast<uint16_t>(icon.images.size());
    if (!WriteIconHeader(file.Get(), count))
        return false;

    uint32_t offset = kIconFileHeaderSize + sizeof(IconDirectoryEntry) * count;
    for (const IconImage& image : icon.images) {
        IconDirectoryEntry entry = {};
        entry.width = static_cast<uint8_t>(image.width);
        entry.height = static_cast<uint8_t>(image.height);
        entry.colorCount = image.colorDepth < 8 ? static_cast<uint8_t>(1u << image.colorDepth) : 0;
        entry.planes = image.planes;
        entry.bitCount = image.bitCount;
        entry.bytesInRes = image.Size();
        entry.imageOffset = offset;
        if (!WriteIconDirectoryEntry(file.Get(), entry))
            return false;
        offset += image.Size();
    }
    for (const IconImage& image : icon.images) {
        if (!WriteIconImage(file.Get(), image))
            return false;
    }
    return true;
}

IconImage BitmapToIconImage(HBITMAP bitmap) {
    IconImage image;
    BITMAPINFO info;
    std::memset(&info, 0, sizeof(info));
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    HDC screen = ::GetDC(nullptr);
    if (screen == nullptr)
        return image;
    bool read = ::GetDIBits(screen, bitmap, 0, 0, nullptr, &info, DIB_RGB_COLORS) != 0;
    BITMAPINFOHEADER& header = info.bmiHeader;
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    // No colour table follows a 32-bit image.
    header.biClrUsed = 0;
    header.biClrImportant = 0;
    if (header.biHeight < 0)
        header.biHeight = -header.biHeight;
    const uint32_t width = read && header.biWidth > 0 ? static_cast<uint32_t>(header.biWidth) : 0;
    const uint32_t height = static_cast<uint32_t>(header.biHeight);
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4, 0);
    if (width == 0 || height == 0 ||
        ::GetDIBits(screen, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS) != static_cast<int>(height)) {
        ::ReleaseDC(nullptr, screen);
        return image;
    }
    ::ReleaseDC(nullptr, screen);

    const uint32_t xorSize = (header.biBitCount / 8) * height * width;
    const uint32_t andSize = (((width + 31) / 8) & ~3u) * height;
    header.biHeight *= 2;  // icons count the AND mask in the height
    image.data.assign(sizeof(BITMAPINFOHEADER) + xorSize + andSize, 0);
    std::memcpy(image.data.data(), &header, sizeof(BITMAPINFOHEADER));
    std::memcpy(image.data.data() + sizeof(BITMAPINFOHEADER), pixels.data(), xorSize);
    image.width = width;
    image.height = height;
    image.colorDepth = header.biBitCount;
    image.planes = 1;
    image.bitCount = header.biBitCount;
    image.header = reinterpret_cast<BITMAPINFOHEADER*>(image.data.data());
    image.xorBits = image.data.data() + sizeof(BITMAPINFOHEADER);
    image.andMask = image.xorBits + xorSize;
    return image;
}

bool SaveBitmapFile(HBITMAP bitmap, const std::wstring& path) {
    IconImage image = BitmapToIconImage(bitmap);
    if (image.data.empty())
        return false;
    VQKernelHandle file(CreateIconFile(path));
    if (!file.IsValid())
        return false;
    uint64_t entryPosition = 0;
    uint64_t imageOffset = 0;
    uint64_t imageEnd = 0;
    IconDirectoryEntry entry = {};
    if (!WriteIconHeader(file.Get(), 1) || !SeekFileHandle(file.Get(), 0, FILE_CURRENT, &entryPosition) ||
        !WriteIconDirectoryEntry(file.Get(), entry) || !SeekFileHandle(file.Get(), 0, FILE_CURRENT, &imageOffset) ||
        !WriteIconImage(file.Get(), image) || !SeekFileHandle(file.Get(), 0, FILE_CURRENT, &imageEnd))
        return false;

    entry.width = static_cast<uint8_t>(image.width);
    entry.height = static_cast<uint8_t>(image.height);
    entry.colorCount = static_cast<uint8_t>(image.header->biClrUsed);
    entry.planes = 1;
    entry.bitCount = image.header->biBitCount;
    entry.bytesInRes = static_cast<uint32_t>(imageEnd - imageOffset);
    entry.imageOffset = static_cast<uint32_t>(imageOffset);
    return SeekFileHandle(file.Get(), static_cast<int64_t>(entryPosition), FILE_BEGIN) &&
           WriteIconDirectoryEntry(file.Get(), entry);
}

}  // namespace Tessar
