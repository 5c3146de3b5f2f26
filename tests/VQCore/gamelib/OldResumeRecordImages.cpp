#include "tests/VQCore/gamelib/OldResumeRecordImages.h"

namespace Tessar {

namespace {

void PutNumber(std::string& image, size_t offset, uint64_t value, size_t size) {
    for (size_t i = 0; i < size; ++i)
        image[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

void PutText(std::string& image, size_t offset, const std::wstring& text) {
    for (size_t i = 0; i < text.size(); ++i)
        PutNumber(image, offset + 2 * i, static_cast<uint16_t>(text[i]), 2);
}

std::wstring DataPathOf(const VQOldRecordFields& fields) {
    return fields.targetPath + L".vqt";
}

std::wstring RecordPathOf(const VQOldRecordFields& fields) {
    return fields.targetPath + L".vql";
}

}  // namespace

std::string MakeLayoutARecord(const VQOldRecordFields& fields, uint64_t position, uint64_t remaining) {
    std::string image(5768, '\0');
    PutText(image, 0, fields.host);
    PutText(image, 2048, fields.path);
    PutText(image, 4096, fields.targetPath);
    PutText(image, 4616, DataPathOf(fields));
    PutText(image, 5136, RecordPathOf(fields));
    PutText(image, 5656, fields.md5);
    PutNumber(image, 5720, fields.port, 2);
    PutNumber(image, 5728, fields.totalSize, 8);
    PutNumber(image, 5736, 0x5555, 8);  // recomputed when read
    PutNumber(image, 5744, 1, 4);
    PutNumber(image, 5752, position, 8);
    PutNumber(image, 5760, remaining, 8);
    return image;
}

std::string MakeLayoutBRecord(const VQOldRecordFields& fields, const std::vector<VQOldRangeB>& ranges) {
    std::string image(9848 + 32 * ranges.size(), '\0');
    PutText(image, 0, fields.host);
    PutText(image, 2048, fields.path);
    PutText(image, 4096, L"spare.example.com");
    PutText(image, 6144, L"/spare/00042.vqz");
    PutText(image, 8192, fields.targetPath);
    PutText(image, 8712, DataPathOf(fields));
    PutText(image, 9232, RecordPathOf(fields));
    PutText(image, 9752, fields.md5);
    PutNumber(image, 9816, fields.port, 2);
    PutNumber(image, 9818, 8081, 2);
    PutNumber(image, 9824, fields.totalSize, 8);
    uint64_t done = 0;
    for (const VQOldRangeB& range : ranges)
        done += range.length - range.remaining;
    PutNumber(image, 9832, done, 8);
    PutNumber(image, 9840, ranges.size(), 4);
    for (size_t i = 0; i < ranges.size(); ++i) {
        size_t at = 9848 + 32 * i;
        PutNumber(image, at, ranges[i].first, 8);
        PutNumber(image, at + 8, ranges[i].length, 8);
        PutNumber(image, at + 16, ranges[i].position, 8);
        PutNumber(image, at + 24, ranges[i].remaining, 8);
    }
    return image;
}

uint64_t ReadImageNumber(const std::string& image, size_t offset, size_t size) {
    uint64_t value = 0;
    for (size_t i = 0; i < size && offset + i < image.size(); ++i)
        value |= static_cast<uint64_t>(static_cast<unsigned char>(image[offset + i])) << (8 * i);
    return value;
}

}  // namespace Tessar
