#pragma once
// Writer of format B packages for the developer tools and the tests.

#include "VQCore/download/GamePackage.h"

#include <string>
#include <vector>

namespace Tessar {

// One entry to write: the stored record, and the bytes of a file entry,
// taken from sourcePath when it is set, else from bytes. The writer sets
// the record's size.
struct VQGamePackSource {
    VQFileItem item;
    std::wstring sourcePath;
    std::string bytes;
};

// Sets the record's path; false when it does not fit the field.
bool SetGamePackageItemPath(VQFileItem& item, const std::wstring& path);
// The folder's subfolders and files, sorted by name, each folder before
// its contents, paths relative to the folder.
bool CollectGamePackageSources(const std::wstring& folder, std::vector<VQGamePackSource>& sources);
// A failed write leaves no file behind.
bool WriteGamePackage(std::vector<VQGamePackSource>& sources, const std::wstring& packagePath);

}  // namespace Tessar
