#pragma once
// Package format B, used for Flash games and icon packages: a 7-byte
// header ("VQZ", u32 entry count), a table of fixed 568-byte entries, then
// the bytes of the file entries back to back in table order.

#include "common/Buffer.h"

#include <windows.h>

#include <boost/shared_ptr.hpp>

#include <cstdint>
#include <string>
#include <vector>

namespace Tessar {

const uint32_t kGamePackageHeaderSize = 7;
const uint32_t kGamePackagePathChars = 260;
const uint32_t kGamePackageChunk = 4096;
// The table is read in one piece; no game has anywhere near this many files.
const uint32_t kGamePackageMaxTable = 0x3200000;

enum : uint32_t {
    kGameItemFile = 0,
    kGameItemFolder = 1,
};

#pragma pack(push, 1)
// One table entry, exactly as stored (little-endian).
struct VQFileItem {
    VQFileItem();

    uint32_t type;                        // kGameItemFile, kGameItemFolder; others are skipped
    wchar_t path[kGamePackagePathChars];  // relative, zero-terminated
    uint32_t reserved1;
    uint32_t reserved2;
    uint64_t size;                        // data bytes of a file
    uint32_t attributes;
    FILETIME creationTime;
    FILETIME lastAccessTime;
    FILETIME lastWriteTime;
};
#pragma pack(pop)

static_assert(sizeof(wchar_t) == 2, "the table holds UTF-16 paths");
static_assert(sizeof(VQFileItem) == 568, "format B entries are 568 bytes");

class VQGamePackage {
public:
    VQGamePackage();

    // Full target path of the last ".swf" file extracted; empty without one.
    std::wstring mainFilePath;
    VQBuffer<unsigned char> magic;  // "VQZ"
    std::vector<boost::shared_ptr<VQFileItem>> items;
};

// The item's path, or empty when it is not terminated within its field.
std::wstring GamePackageItemPath(const VQFileItem& item);

// Writes the package's folders and files below targetFolder. The whole
// table is checked first (paths stay inside the folder, the data fits the
// file), so a cut or hostile package writes nothing. A file that cannot be
// created or written ends the extraction with false, and that file is
// removed; what was written before it stays. `stopEvent` (may be null) is
// looked at before each file and every megabyte: once set, the extraction
// ends the same way, so that whoever waits for it can stop it.
bool ExtractGamePackage(const std::wstring& targetFolder, VQGamePackage& package, const std::wstring& packagePath,
                        HANDLE stopEvent = nullptr);

}  // namespace Tessar
