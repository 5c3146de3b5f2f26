#include "VQCore/download/TocNode.h"

#include "VQCore/download/ByteOrder.h"

#include <cstring>

namespace Tessar {

namespace {

FILETIME LoadTime(const unsigned char* p) {
    FILETIME time;
    time.dwLowDateTime = LoadU32(p);
    time.dwHighDateTime = LoadU32(p + 4);
    return time;
}

void AppendTime(std::string& out, const FILETIME& time) {
    AppendU32(out, time.dwLowDateTime);
    AppendU32(out, time.dwHighDateTime);
}

void AppendName(std::string& out, const std::wstring& name) {
    AppendU32(out, static_cast<uint32_t>(name.size() * 2));
    AppendUtf16(out, name);
}

}  // namespace

VQTocNode::VQTocNode(VQTocNode* parent_, uint32_t type_) : type(type_), parent(parent_) {}

bool VQTocNode::Parse(const unsigned char* toc, uint32_t length, uint32_t& offset, uint32_t depth) {
    if (toc == nullptr || offset >= length || length - offset <= kTocRecordFixedSize)
        return false;
    const unsigned char* p = toc + offset;
    const uint32_t remaining = length - offset;
    const uint32_t recordType = p[0];
    uint32_t childCount = 0;
    uint32_t recordSize = 0;

    if (recordType == kTocInline) {
        uint32_t nameBytes = LoadU32(p + 4);
        if (nameBytes > remaining - kTocInlineFixedSize)
            return false;
        uint32_t dataBytes = LoadU32(p + 8 + nameBytes);
        if (dataBytes > kTocMaxInlineData || dataBytes > remaining - kTocInlineFixedSize - nameBytes)
            return false;
        name = LoadUtf16(p + 8, nameBytes / 2);
        data.Resize(dataBytes);
        if (dataBytes > 0)
            std::memcpy(data.data, p + 12 + nameBytes, dataBytes);
        unpackedSize = 0;
        packedSize = 0;
        recordSize = kTocInlineFixedSize + nameBytes + dataBytes;
    } else if (recordType <= kTocData) {
        uint32_t nameBytes = LoadU32(p + 8);
        if (nameBytes > remaining - kTocRecordFixedSize)
            return false;
        if (recordType == kTocFolder) {
            // A hostile table could nest folders until the stack runs out.
            if (depth >= kTocMaxDepth)
                return false;
            childCount = static_cast<uint32_t>(p[1]) << 16 | static_cast<uint32_t>(p[2]) << 8 | p[3];
        }
        const unsigned char* q = p + 12 + nameBytes;
        attributes = LoadU32(p + 4);
        name = LoadUtf16(p + 12, nameBytes / 2);
        creationTime = LoadTime(q);
        lastAccessTime = LoadTime(q + 8);
        lastWriteTime = LoadTime(q + 16);
        unpackedSize = LoadU64(q + 24);
        converterId = static_cast<uint16_t>(q[32] | q[33] << 8);
        dataOffset = LoadU64(q + 34);
        packedSize = LoadU64(q + 42);
        recordSize = kTocRecordFixedSize + nameBytes;
    } else {
        return false;
    }

    type = recordType;
    offset += recordSize;
    if (type == kTocFolder) {
        children.clear();
        for (uint32_t i = 0; i < childCount; ++i) {
            boost::shared_ptr<VQTocNode> child(new VQTocNode(this, kTocFolder));
            // The first bad record ends the table: the ones after it cannot
            // be found without it.
            if (!child->Parse(toc, length, offset, depth + 1))
                break;
            children.push_back(child);
        }
    }
    return true;
}

uint64_t VQTocNode::EncodedSize() const {
    uint64_t size = 2 * static_cast<uint64_t>(name.size());
    if (type == kTocInline)
        return size + kTocInlineFixedSize + data.size;
    size += kTocRecordFixedSize;
    if (type == kTocFolder) {
        for (const boost::shared_ptr<VQTocNode>& child : children)
            size += child->EncodedSize();
    }
    return size;
}

bool VQTocNode::Encode(std::string& out) const {
    if (type == kTocInline) {
        if (data.size > kTocMaxInlineData)
            return false;
        out.push_back(static_cast<char>(kTocInline));
        out.append(3, '\0');
        AppendName(out, name);
        AppendU32(out, data.size);
        if (data.size > 0)
            out.append(reinterpret_cast<const char*>(data.data), data.size);
        return true;
    }
    if (type > kTocInline)
        return false;
    uint32_t count = type == kTocFolder ? static_cast<uint32_t>(children.size()) : 0;
    if (type == kTocFolder && children.size() > kTocMaxChildCount)
        return false;
    out.push_back(static_cast<char>(type));
    out.push_back(static_cast<char>(count >> 16));
    out.push_back(static_cast<char>(count >> 8));
    out.push_back(static_cast<char>(count));
    AppendU32(out, attributes);
    AppendName(out, name);
    AppendTime(out, creationTime);
    AppendTime(out, lastAccessTime);
    AppendTime(out, lastWriteTime);
    AppendU64(out, unpackedSize);
    out.push_back(static_cast<char>(converterId & 0xFF));
    out.push_back(static_cast<char>(converterId >> 8));
    AppendU64(out, dataOffset);
    AppendU64(out, packedSize);
    for (uint32_t i = 0; i < count; ++i) {
        if (!children[i]->Encode(out))
            return false;
    }
    return true;
}

}  // namespace Tessar
