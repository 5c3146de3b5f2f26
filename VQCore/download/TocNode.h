#pragma once
// One record of a "VQZ" package's table of contents and, for a folder, the
// records below it.

#include "common/Buffer.h"

#include <windows.h>

#include <boost/shared_ptr.hpp>

#include <cstdint>
#include <string>
#include <vector>

namespace Tessar {

enum : uint32_t {
    kTocFolder = 0,
    kTocFile = 1,    // written to disk
    kTocData = 2,    // read into the node's data
    kTocInline = 3,  // data held in the table itself
};

const uint32_t kTocRecordFixedSize = 62;    // types 0-2, without the name
const uint32_t kTocInlineFixedSize = 12;    // type 3, without name and data
const uint32_t kTocMaxInlineData = 4096;
const uint32_t kTocMaxChildCount = 0xFFFFFF;  // 24 bits
// Deeper trees cannot be extracted within the path limit anyway; the limit
// keeps a hostile table from exhausting the stack.
const uint32_t kTocMaxDepth = 256;

class VQTocNode {
public:
    VQTocNode(VQTocNode* parent, uint32_t type);
    VQTocNode(const VQTocNode&) = delete;
    VQTocNode& operator=(const VQTocNode&) = delete;

    // Reads the record at offset and, for a folder, its children. A record
    // that does not fit the table fails and leaves offset unchanged; a bad
    // child ends the reading of the rest of the table, but the folder's own
    // parse still succeeds.
    bool Parse(const unsigned char* toc, uint32_t length, uint32_t& offset, uint32_t depth = 0);
    // Bytes this record and everything below it take in the table.
    uint64_t EncodedSize() const;
    // Appends the record and those below it; false for a folder with more
    // than kTocMaxChildCount children or an oversized inline block.
    bool Encode(std::string& out) const;

    std::vector<boost::shared_ptr<VQTocNode>> children;
    std::wstring name;
    std::wstring fullPath;  // set during extraction
    FILETIME creationTime = {};
    FILETIME lastAccessTime = {};
    FILETIME lastWriteTime = {};
    uint32_t attributes = 0;
    uint64_t unpackedSize = 0;
    uint16_t converterId = 0;
    uint64_t dataOffset = 0;
    uint64_t packedSize = 0;
    VQBuffer<unsigned char> data;  // inline bytes, or a data entry's bytes once extracted
    uint32_t type;
    VQTocNode* parent;  // not owning; null for the root
};

}  // namespace Tessar
