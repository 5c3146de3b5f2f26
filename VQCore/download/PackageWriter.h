#pragma once
// Writer of "VQZ" packages for the developer tools and the tests; the
// program itself only reads them. The table is built as a VQTocNode tree;
// a file entry takes its bytes from the file named in its full path, or
// from its data when the full path is empty.

#include "VQCore/download/TocNode.h"

#include <boost/shared_ptr.hpp>

#include <cstdint>
#include <string>

namespace Tessar {

// A folder entry below parent, stamped with the current time.
boost::shared_ptr<VQTocNode> AddFolderEntry(VQTocNode& parent, const std::wstring& name);
// An entry (kTocFile, kTocData or kTocInline) holding the given bytes.
boost::shared_ptr<VQTocNode> AddBytesEntry(VQTocNode& parent, const std::wstring& name, uint32_t type,
                                           const std::string& bytes, uint16_t converterId);
// A file entry whose bytes are read from sourcePath when the package is
// written.
boost::shared_ptr<VQTocNode> AddFileEntry(VQTocNode& parent, const std::wstring& name,
                                          const std::wstring& sourcePath, uint16_t converterId);
// The folder's files and subfolders (sorted by name) below parent, with
// their attributes and times; the files are read when the package is
// written. False when the folder cannot be listed.
bool AddFolderContents(VQTocNode& parent, const std::wstring& folder, uint16_t converterId);

// Writes the package: header, table (at least minTocLength bytes), then the
// data of the file and data entries in table order. Fills in their sizes
// and offsets. A failed write leaves no file behind.
bool WritePackage(VQTocNode& root, const std::wstring& path, uint32_t minTocLength = 0);

}  // namespace Tessar
