#include "common/IconExtractor.h"

#include <cstring>

namespace Tessar {

namespace {

#pragma pack(push, 1)
struct GroupIconHeader {
    uint16_t reserved;
    uint16_t type;
    uint16_t count;
};
struct GroupIconEntry {
    uint8_t width;
    uint8_t height;
    uint8_t colorCount;
    uint8_t reserved;
    uint16_t planes;
    uint16_t bitCount;
    uint32_t bytesInRes;
    uint16_t id;
};
#pragma pack(pop)
static_assert(sizeof(GroupIconHeader) == 6, "RT_GROUP_ICON header");
static_assert(sizeof(GroupIconEntry) == 14, "RT_GROUP_ICON entry");

const uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

uint32_t ReadBigEndian32(const uint8_t* bytes) {
    return (uint32_t(bytes[0]) << 24) | (uint32_t(bytes[1]) << 16) | (uint32_t(bytes[2]) << 8) | bytes[3];
}

// Bytes of the resource, or false when it is missing.
bool LoadResourceBytes(HMODULE module, const wchar_t* name, const wchar_t* type, const uint8_t*& bytes,
                       uint32_t& size) {
    HRSRC found = ::FindResourceW(module, name, type);
    if (found == nullptr)
        return false;
    HGLOBAL loaded = ::LoadResource(module, found);
    if (loaded == nullptr)
        return false;
    bytes = static_cast<const uint8_t*>(::LockResource(loaded));
    size = ::SizeofResource(module, found);
    return bytes != nullptr;
}

uint32_t ColorTableSize(const BITMAPINFOHEADER& header) {
    if (header.biClrUsed != 0)
        return 4 * header.biClrUsed;
    switch (header.biBitCount) {
    case 1: return 8;
    case 4: return 64;
    case 8: return 1024;
    default: return 0;
    }
}

// Fills the image fields from its own bytes. Vista-style images are PNG
// files whose sizes live in their IHDR chunk, never touched here.
bool DescribeImage(IconImage& image, const GroupIconEntry& entry) {
    const uint32_t size = image.Size();
    uint8_t* data = image.data.data();
    if (size >= 24 && std::memcmp(data, kPngSignature, sizeof(kPngSignature)) == 0) {
        image.width = ReadBigEndian32(data + 16);
        image.height = ReadBigEndian32(data + 20);
        image.planes = entry.planes;
        image.bitCount = entry.bitCount;
        image.colorDepth = uint32_t(entry.planes) * entry.bitCount;
        return true;
    }
    BITMAPINFOHEADER header;
    if (size < sizeof(header))
        return false;
    std::memcpy(&header, data, sizeof(header));
    if (header.biSize < sizeof(header) || header.biSize > size)
        return false;

    image.width = static_cast<uint32_t>(header.biWidth);
    image.height = static_cast<uint32_t>(header.biHeight / 2);
    image.planes = header.biPlanes;
    image.bitCount = header.biBitCount;
    image.colorDepth = uint32_t(header.biPlanes) * header.biBitCount;
    image.header = reinterpret_cast<BITMAPINFOHEADER*>(data);
    // XOR bits and AND mask are located only when they lie inside the data.
    const uint64_t xorOffset = uint64_t(header.biSize) + ColorTableSize(header);
    const uint64_t rowBytes = ((uint64_t(image.colorDepth) * image.width + 31) / 32) * 4;
    const uint64_t andOffset = xorOffset + rowBytes * image.height;
    if (xorOffset <= size)
        image.xorBits = data + xorOffset;
    if (andOffset <= size)
        image.andMask = data + andOffset;
    return true;
}

}  // namespace

IconExtractor::IconExtractor(const std::wstring& path) : m_path(path) {
    m_module = ::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
}

IconExtractor::~IconExtractor() {
    if (m_module != nullptr)
        ::FreeLibrary(m_module);
}

BOOL CALLBACK IconExtractor::OnGroupName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR self) {
    IconExtractor* extractor = reinterpret_cast<IconExtractor*>(self);
    if (IS_INTRESOURCE(name)) {
        extractor->m_numberedGroups.push_back(reinterpret_cast<ULONG_PTR>(name));
        if (extractor->m_firstKind == kNoGroup)
            extractor->m_firstKind = kNumberedGroup;
    } else {
        extractor->m_namedGroups.push_back(name);
        if (extractor->m_firstKind == kNoGroup)
            extractor->m_firstKind = kNamedGroup;
    }
    return TRUE;
}

bool IconExtractor::ExtractIconGroup(const std::wstring& icoPath) {
    if (m_namedGroups.empty() && m_numberedGroups.empty() && m_module != nullptr)
        ::EnumResourceNamesW(m_module, RT_GROUP_ICON, &IconExtractor::OnGroupName, reinterpret_cast<LONG_PTR>(this));
    if (m_namedGroups.empty() && m_numberedGroups.empty())
        return false;

    const wchar_t* group = nullptr;
    if (m_firstKind == kNumberedGroup)
        group = MAKEINTRESOURCEW(static_cast<WORD>(m_numberedGroups.front()));
    else if (m_firstKind == kNamedGroup)
        group = m_namedGroups.front().c_str();
    else
        return false;

    std::unique_ptr<IconResource> icon = LoadIconGroup(group);
    return icon != nullptr && WriteIconFile(icoPath, *icon);
}

std::unique_ptr<IconResource> IconExtractor::LoadIconGroup(const wchar_t* group) const {
    if (m_module == nullptr)
        return nullptr;
    const uint8_t* bytes = nullptr;
    uint32_t size = 0;
    if (!LoadResourceBytes(m_module, group, RT_GROUP_ICON, bytes, size) || size < sizeof(GroupIconHeader))
        return nullptr;
    GroupIconHeader header;
    std::memcpy(&header, bytes, sizeof(header));
    if (size < sizeof(header) + uint32_t(header.count) * sizeof(GroupIconEntry))
        return nullptr;

    std::unique_ptr<IconResource> icon(new IconResource);
    icon->moduleFile = m_path;
    icon->images.reserve(header.count);
    for (uint16_t i = 0; i < header.count; ++i) {
        GroupIconEntry entry;
        std::memcpy(&entry, bytes + sizeof(header) + i * sizeof(GroupIconEntry), sizeof(entry));
        const uint8_t* imageBytes = nullptr;
        uint32_t imageSize = 0;
        if (!LoadResourceBytes(m_module, MAKEINTRESOURCEW(entry.id), RT_ICON, imageBytes, imageSize))
            return nullptr;
        IconImage image;
        image.data.assign(imageBytes, imageBytes + imageSize);
        if (!DescribeImage(image, entry))
            return nullptr;
        icon->images.push_back(std::move(image));
    }
    return icon;
}

}  // namespace Tessar
