#include "VQCore/download/GamePackage.h"

#include "VQCore/download/ByteOrder.h"
#include "VQCore/download/PackageSafety.h"
#include "common/FileHandle.h"
#include "common/FileUtil.h"
#include "common/PathText.h"
#include "common/TextUtil.h"

#include <cstring>

namespace Tessar {

namespace {

const wchar_t kMainFileExtension[] = L".swf";

bool IsMainFile(const std::wstring& path) {
    // Compared over the shorter length, as the install queue's Flash road
    // expects; a name without any extension is no game file.
    std::wstring extension = GetFileExtension(path);
    return !extension.empty() && PrefixCompareNoCase(extension, kMainFileExtension) == 0;
}

// Everything the extraction relies on, checked before anything is written.
bool CheckTable(const VQGamePackage& package, uint64_t dataBytes) {
    uint64_t needed = 0;
    for (const boost::shared_ptr<VQFileItem>& item : package.items) {
        if (item->type != kGameItemFile && item->type != kGameItemFolder)
            continue;
        if (!IsSafeRelativePath(GamePackageItemPath(*item)))
            return false;
        if (item->type == kGameItemFile) {
            if (item->size > dataBytes - needed)
                return false;
            needed += item->size;
        }
    }
    return true;
}

// Chunks between two looks at the stop event (a look is a system call).
const uint32_t kChunksPerStopLook = 256;

bool IsStopping(HANDLE stopEvent) {
    return stopEvent != nullptr && ::WaitForSingleObject(stopEvent, 0) == WAIT_OBJECT_0;
}

bool CopyItemData(HANDLE package, HANDLE output, uint64_t size, unsigned char* chunk, HANDLE stopEvent) {
    uint32_t chunks = 0;
    while (size > 0) {
        if (++chunks % kChunksPerStopLook == 0 && IsStopping(stopEvent))
            return false;
        uint32_t count = size < kGamePackageChunk ? static_cast<uint32_t>(size) : kGamePackageChunk;
        if (!ReadFileExactly(package, chunk, count) || !WriteFileHandle(output, chunk, count))
            return false;
        size -= count;
    }
    return true;
}

bool ExtractFileItem(const VQFileItem& item, const std::wstring& target, HANDLE package, unsigned char* chunk,
                     HANDLE stopEvent) {
    HANDLE output = INVALID_HANDLE_VALUE;
    if (!OpenFileHandle(output, target, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS,
                        PackageAttributes(item.attributes)))
        return false;
    bool written = CopyItemData(package, output, item.size, chunk, stopEvent);
    return FinishExtractedFile(output, target, written, item.creationTime, item.lastAccessTime, item.lastWriteTime);
}

bool ExtractItems(const std::wstring& targetFolder, VQGamePackage& package, HANDLE file, uint64_t fileSize,
                  HANDLE stopEvent) {
    unsigned char header[kGamePackageHeaderSize];
    if (fileSize < kGamePackageHeaderSize || !ReadFileExactly(file, header, kGamePackageHeaderSize) ||
        header[0] != package.magic.data[0])
        return false;
    const uint32_t count = LoadU32(header + 3);
    const uint64_t tableBytes = static_cast<uint64_t>(count) * sizeof(VQFileItem);
    if (tableBytes > fileSize - kGamePackageHeaderSize || tableBytes > kGamePackageMaxTable)
        return false;
    VQBuffer<unsigned char> table(static_cast<uint32_t>(tableBytes));
    if (!ReadFileExactly(file, table.data, table.size))
        return false;
    package.items.clear();
    for (uint32_t i = 0; i < count; ++i) {
        boost::shared_ptr<VQFileItem> item(new VQFileItem());
        std::memcpy(item.get(), table.data + static_cast<size_t>(i) * sizeof(VQFileItem), sizeof(VQFileItem));
        package.items.push_back(item);
    }
    if (!CheckTable(package, fileSize - kGamePackageHeaderSize - tableBytes))
        return false;

    unsigned char chunk[kGamePackageChunk];
    for (const boost::shared_ptr<VQFileItem>& item : package.items) {
        if (item->type != kGameItemFile && item->type != kGameItemFolder)
            continue;
        if (IsStopping(stopEvent))
            return false;
        std::wstring target = CombinePath(targetFolder, GamePackageItemPath(*item));
        std::wstring folder = GetLastPathPart(target);
        if (!FolderExists(folder))
            CreateFolderChain(folder);
        if (item->type == kGameItemFolder) {
            ::CreateDirectoryW(target.c_str(), nullptr);
            continue;
        }
        if (IsMainFile(target))
            package.mainFilePath = target;
        if (!ExtractFileItem(*item, target, file, chunk, stopEvent))
            return false;
    }
    return true;
}

}  // namespace

VQFileItem::VQFileItem() {
    std::memset(this, 0, sizeof(*this));
    attributes = 0xFFFFFFFF;
}

VQGamePackage::VQGamePackage() : magic(3) {
    std::memcpy(magic.data, "VQZ", 3);
}

std::wstring GamePackageItemPath(const VQFileItem& item) {
    for (uint32_t i = 0; i < kGamePackagePathChars; ++i) {
        if (item.path[i] == L'\0')
            return std::wstring(item.path, i);
    }
    return std::wstring();
}

bool ExtractGamePackage(const std::wstring& targetFolder, VQGamePackage& package, const std::wstring& packagePath,
                        HANDLE stopEvent) {
    HANDLE file = INVALID_HANDLE_VALUE;
    if (!OpenFileHandle(file, packagePath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL))
        return false;
    package.mainFilePath.clear();
    uint64_t size = 0;
    bool extracted = GetFileHandleSize(file, size) && ExtractItems(targetFolder, package, file, size, stopEvent);
    CloseFileHandle(file);
    return extracted;
}

}  // namespace Tessar
