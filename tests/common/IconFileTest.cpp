#include "common/IconFile.h"

#include "common/PathText.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstring>

namespace Tessar {
namespace {

// A hand-made bitmap image: header with the given size field, palette,
// XOR rows and AND rows filled with markers.
IconImage MakeImage(uint32_t width, uint32_t height, uint16_t bits, uint32_t sizeField) {
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof(header);
    header.biWidth = static_cast<LONG>(width);
    header.biHeight = static_cast<LONG>(height * 2);
    header.biPlanes = 1;
    header.biBitCount = bits;
    header.biSizeImage = sizeField;
    const uint32_t palette = bits <= 8 ? 4u << bits : 0;
    const uint32_t xorSize = ((width * bits + 31) / 32) * 4 * height;
    const uint32_t andSize = ((width + 31) / 32) * 4 * height;
    IconImage image;
    image.data.assign(sizeof(header) + palette + xorSize + andSize, 0x5A);
    std::memcpy(image.data.data(), &header, sizeof(header));
    image.width = width;
    image.height = height;
    image.colorDepth = bits;
    image.planes = 1;
    image.bitCount = bits;
    image.header = reinterpret_cast<BITMAPINFOHEADER*>(image.data.data());
    image.xorBits = image.data.data() + sizeof(header) + palette;
    image.andMask = image.xorBits + xorSize;
    return image;
}

template <typename T>
T ReadAt(const std::string& bytes, size_t offset) {
    T value = T();
    if (offset + sizeof(T) <= bytes.size())
        std::memcpy(&value, bytes.data() + offset, sizeof(T));
    return value;
}

IconDirectoryEntry EntryAt(const std::string& ico, size_t i) {
    return ReadAt<IconDirectoryEntry>(ico, kIconFileHeaderSize + i * sizeof(IconDirectoryEntry));
}

class IconFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(temp.Path().empty()); }
    VQTempFolder temp;
};

TEST_F(IconFileTest, WriteIconFileLaysOutHeaderDirectoryAndImages) {
    struct Case {
        uint32_t width, height;
        uint16_t bits;
        uint8_t widthByte, colorCount;
    } cases[] = {
        {16, 16, 4, 16, 16},
        {32, 24, 1, 32, 2},
        {48, 48, 8, 48, 0},
        {256, 256, 32, 0, 0},
    };
    IconResource icon;
    for (const Case& c : cases)
        icon.images.push_back(MakeImage(c.width, c.height, c.bits, 1234));
    ASSERT_TRUE(WriteIconFile(temp.PathOf(L"written.ico"), icon));
    std::string ico = temp.ReadFile(L"written.ico");

    EXPECT_EQ(0, ReadAt<uint16_t>(ico, 0));
    EXPECT_EQ(1, ReadAt<uint16_t>(ico, 2));
    EXPECT_EQ(4, ReadAt<uint16_t>(ico, 4));
    uint32_t offset = kIconFileHeaderSize + 4 * sizeof(IconDirectoryEntry);
    for (size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const Case& c = cases[i];
        const IconImage& image = icon.images[i];
        IconDirectoryEntry entry = EntryAt(ico, i);
        EXPECT_EQ(c.widthByte, entry.width);
        EXPECT_EQ(static_cast<uint8_t>(c.height), entry.height);
        EXPECT_EQ(c.colorCount, entry.colorCount);
        EXPECT_EQ(0, entry.reserved);
        EXPECT_EQ(1, entry.planes);
        EXPECT_EQ(c.bits, entry.bitCount);
        EXPECT_EQ(image.Size(), entry.bytesInRes);
        EXPECT_EQ(offset, entry.imageOffset);
        // The image as it is in memory, but for an image size of 0 in the file.
        std::string expected(image.data.begin(), image.data.end());
        std::memset(&expected[offsetof(BITMAPINFOHEADER, biSizeImage)], 0, sizeof(DWORD));
        EXPECT_EQ(expected, ico.substr(offset, image.Size()));
        EXPECT_EQ(1234u, image.header->biSizeImage) << "the image in memory keeps its field";
        offset += image.Size();
    }
    EXPECT_EQ(offset, ico.size());
}

TEST_F(IconFileTest, WriteIconFileFailsWhenTheFileCannotBeCreated) {
    IconResource icon;
    icon.images.push_back(MakeImage(16, 16, 4, 0));
    EXPECT_FALSE(WriteIconFile(temp.PathOf(L"missing\\folder\\x.ico"), icon));
}

// A 32-bit DIB section whose pixel at visual row r, column c is Pixel(r, c).
uint32_t Pixel(int row, int column) {
    return 0xFF000000u | (static_cast<uint32_t>(row) << 16) | (static_cast<uint32_t>(column) << 8) | 0x33;
}

HBITMAP MakeBitmap(int width, int height, bool topDown) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = topDown ? -height : height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap == nullptr)
        return nullptr;
    uint32_t* pixels = static_cast<uint32_t*>(bits);
    for (int row = 0; row < height; ++row) {
        int memoryRow = topDown ? row : height - 1 - row;
        for (int column = 0; column < width; ++column)
            pixels[memoryRow * width + column] = Pixel(row, column);
    }
    return bitmap;
}

TEST_F(IconFileTest, SaveBitmapFileWritesOneBottomUpImage) {
    struct Case {
        const char* name;
        int width, height;
        bool topDown;
    } cases[] = {
        {"top-down", 3, 2, true},
        {"bottom-up", 3, 2, false},
        {"wide", 256, 2, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HBITMAP bitmap = MakeBitmap(c.width, c.height, c.topDown);
        ASSERT_NE(nullptr, bitmap);
        ASSERT_TRUE(SaveBitmapFile(bitmap, temp.PathOf(L"bitmap.ico")));
        ::DeleteObject(bitmap);
        std::string ico = temp.ReadFile(L"bitmap.ico");

        const uint32_t xorSize = 4u * c.width * c.height;
        const uint32_t andSize = (((c.width + 31) / 8) & ~3) * c.height;
        const uint32_t imageSize = 40 + xorSize + andSize;
        ASSERT_EQ(22 + imageSize, ico.size());
        EXPECT_EQ(0, ReadAt<uint16_t>(ico, 0));
        EXPECT_EQ(1, ReadAt<uint16_t>(ico, 2));
        EXPECT_EQ(1, ReadAt<uint16_t>(ico, 4));
        IconDirectoryEntry entry = EntryAt(ico, 0);
        EXPECT_EQ(static_cast<uint8_t>(c.width), entry.width);
        EXPECT_EQ(static_cast<uint8_t>(c.height), entry.height);
        EXPECT_EQ(0, entry.colorCount);
        EXPECT_EQ(1, entry.planes);
        EXPECT_EQ(32, entry.bitCount);
        EXPECT_EQ(imageSize, entry.bytesInRes);
        EXPECT_EQ(22u, entry.imageOffset);

        BITMAPINFOHEADER header = ReadAt<BITMAPINFOHEADER>(ico, 22);
        EXPECT_EQ(40u, header.biSize);
        EXPECT_EQ(c.width, header.biWidth);
        EXPECT_EQ(2 * c.height, header.biHeight);
        EXPECT_EQ(32, header.biBitCount);
        EXPECT_EQ(static_cast<DWORD>(BI_RGB), header.biCompression);
        EXPECT_EQ(0u, header.biSizeImage);
        EXPECT_EQ(0u, header.biClrUsed);
        for (int fileRow = 0; fileRow < c.height; ++fileRow) {
            for (int column = 0; column < c.width; ++column) {
                uint32_t pixel = ReadAt<uint32_t>(ico, 22 + 40 + 4 * (fileRow * c.width + column));
                ASSERT_EQ(Pixel(c.height - 1 - fileRow, column), pixel) << fileRow << "," << column;
            }
        }
        EXPECT_EQ(std::string(andSize, '\0'), ico.substr(22 + 40 + xorSize)) << "empty AND mask";
        HANDLE icon = ::LoadImageW(nullptr, temp.PathOf(L"bitmap.ico").c_str(), IMAGE_ICON, 0, 0,
                                   LR_LOADFROMFILE | LR_DEFAULTSIZE);
        EXPECT_NE(nullptr, icon) << "the system reads the written icon";
        if (icon != nullptr)
            ::DestroyIcon(static_cast<HICON>(icon));
    }
}

TEST_F(IconFileTest, BitmapToIconImageDescribesItsData) {
    HBITMAP bitmap = MakeBitmap(5, 3, true);
    ASSERT_NE(nullptr, bitmap);
    IconImage image = BitmapToIconImage(bitmap);
    ::DeleteObject(bitmap);
    EXPECT_EQ(5u, image.width);
    EXPECT_EQ(3u, image.height);
    EXPECT_EQ(32u, image.colorDepth);
    ASSERT_EQ(static_cast<const void*>(image.data.data()), image.header);
    EXPECT_EQ(6, image.header->biHeight);
    EXPECT_EQ(image.data.data() + 40, image.xorBits);
    EXPECT_EQ(image.xorBits + 5 * 3 * 4, image.andMask);
    EXPECT_EQ(40u + 60 + 4 * 3, image.Size());
}

TEST_F(IconFileTest, UnreadableBitmapWritesNothing) {
    EXPECT_TRUE(BitmapToIconImage(nullptr).data.empty());
    EXPECT_FALSE(SaveBitmapFile(nullptr, temp.PathOf(L"none.ico")));
    EXPECT_FALSE(FileExists(temp.PathOf(L"none.ico")));
    HBITMAP bitmap = MakeBitmap(4, 4, false);
    ASSERT_NE(nullptr, bitmap);
    EXPECT_FALSE(SaveBitmapFile(bitmap, temp.PathOf(L"missing\\folder\\x.ico")));
    ::DeleteObject(bitmap);
}

}  // namespace
}  // namespace Tessar
