#include "VQCore/download/GamePackageWriter.h"

#include "VQCore/download/ByteOrder.h"
#include "VQCore/download/SourceFolder.h"
#include "common/FileHandle.h"
#include "common/FileUtil.h"
#include "common/PathText.h"

#include <cstring>

namespace Tessar {

namespace {

bool CollectBelow(const std::wstring& root, const std::wstring& relative, std::vector<VQGamePackSource>& sources) {
    std::vector<FindFileEntry> entries;
    if (!ListFolderSorted(CombinePath(root, relative), entries))
        return false;

    for (const FindFileEntry& found : entries) {
        std::wstring path = relative.empty() ? found.name : relative + L'\\' + found.name;
        VQGamePackSource source;
        if (!SetGamePackageItemPath(source.item, path))
            return false;
        source.item.type = found.IsFolder() ? kGameItemFolder : kGameItemFile;
        source.item.attributes = found.attributes;
        source.item.creationTime = ToFileTime(found.creationTime);
        source.item.lastAccessTime = ToFileTime(found.lastAccessTime);
        source.item.lastWriteTime = ToFileTime(found.lastWriteTime);
        if (!found.IsFolder())
            source.sourcePath = CombinePath(root, path);
        sources.push_back(source);
        if (found.IsFolder() && !found.IsReparsePoint() && !CollectBelow(root, path, sources))
            return false;
    }
    return true;
}

bool CopyFileData(HANDLE package, const std::wstring& path, uint64_t& size) {
    HANDLE source = INVALID_HANDLE_VALUE;
    if (!OpenFileHandle(source, path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN))
        return false;
    unsigned char chunk[kGamePackageChunk];
    bool ok = true;
    size = 0;
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(source, chunk, sizeof(chunk), &got, nullptr)) {
            ok = false;
            break;
        }
        if (got == 0)
            break;
        size += got;
        if (!WriteFileHandle(package, chunk, got)) {
            ok = false;
            break;
        }
    }
    CloseFileHandle(source);
    return ok;
}

bool WriteAll(HANDLE package, std::vector<VQGamePackSource>& sources) {
    unsigned char header[kGamePackageHeaderSize] = {'V', 'Q', 'Z'};
    StoreU32(header + 3, static_cast<uint32_t>(sources.size()));
    if (!WriteFileHandle(package, header, sizeof(header)))
        return false;
    // The table is written again once the file sizes are known.
    const uint64_t tableBytes = sources.size() * sizeof(VQFileItem);
    if (tableBytes > kGamePackageMaxTable)
        return false;
    std::string table(static_cast<size_t>(tableBytes), '\0');
    if (!table.empty() && !WriteFileHandle(package, table.data(), static_cast<uint32_t>(table.size())))
        return false;
    for (VQGamePackSource& source : sources) {
        if (source.item.type != kGameItemFile)
            continue;
        if (!source.sourcePath.empty()) {
            if (!CopyFileData(package, source.sourcePath, source.item.size))
                return false;
        } else {
            source.item.size = source.bytes.size();
            if (!source.bytes.empty() &&
                !WriteFileHandle(package, source.bytes.data(), static_cast<uint32_t>(source.bytes.size())))
                return false;
        }
    }
    for (size_t i = 0; i < sources.size(); ++i)
        std::memcpy(&table[i * sizeof(VQFileItem)], &sources[i].item, sizeof(VQFileItem));
    return SeekFileHandle(package, kGamePackageHeaderSize, FILE_BEGIN) &&
           (table.empty() || WriteFileHandle(package, table.data(), static_cast<uint32_t>(table.size())));
}

}  // namespace

bool SetGamePackageItemPath(VQFileItem& item, const std::wstring& path) {
    if (path.size() >= kGamePackagePathChars)
        return false;
    std::memset(item.path, 0, sizeof(item.path));
    std::memcpy(item.path, path.data(), path.size() * sizeof(wchar_t));
    return true;
}

bool CollectGamePackageSources(const std::wstring& folder, std::vector<VQGamePackSource>& sources) {
    sources.clear();
    return CollectBelow(folder, std::wstring(), sources);
}

bool WriteGamePackage(std::vector<VQGamePackSource>& sources, const std::wstring& packagePath) {
    HANDLE package = INVALID_HANDLE_VALUE;
    if (!OpenFileHandle(package, packagePath, GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL))
        return false;
    bool ok = WriteAll(package, sources);
    if (!CloseFileHandleChecked(package))
        ok = false;
    if (!ok)
        DeleteFileClearReadOnly(packagePath);
    return ok;
}

}  // namespace Tessar
