#pragma once
// Byte images of the resume records older releases wrote, laid out field by
// field at their offsets, for the import tests.

#include <cstdint>
#include <string>
#include <vector>

namespace Tessar {

struct VQOldRecordFields {
    std::wstring host = L"dl.example.com";
    std::wstring path = L"/games/00042.vqz";
    std::wstring targetPath = L"D:\\ZelmorGames\\Download\\00042.vqz";
    std::wstring md5 = L"0123456789abcdef0123456789abcdef";
    uint16_t port = 8080;
    uint64_t totalSize = 1000;
};

// Layout A: 5,768 bytes, one range given by its position and the bytes
// still to fetch.
std::string MakeLayoutARecord(const VQOldRecordFields& fields, uint64_t position, uint64_t remaining);

struct VQOldRangeB {
    uint64_t first;
    uint64_t length;
    uint64_t position;
    uint64_t remaining;
};
// Layout B: the 9,848-byte head of today, then 32 bytes per range.
std::string MakeLayoutBRecord(const VQOldRecordFields& fields, const std::vector<VQOldRangeB>& ranges);

// Little-endian number at an offset of a byte image.
uint64_t ReadImageNumber(const std::string& image, size_t offset, size_t size);

}  // namespace Tessar
