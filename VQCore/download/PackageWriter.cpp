#include "VQCore/download/PackageWriter.h"

#include "VQCore/download/ByteOrder.h"
#include "VQCore/download/ConverterRegistry.h"
#include "VQCore/download/SourceFolder.h"
#include "VQCore/download/Unpacker.h"
#include "common/FileHandle.h"
#include "common/FileUtil.h"
#include "common/PathText.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace Tessar {

namespace {

// The reader wants more than a whole fixed record left in the table at the
// start of every record, so a short last record needs room after it. The
// room is filled with a byte that is no record type, so that nothing reads
// it as a record.
const uint32_t kTocTailPadding = kTocRecordFixedSize + 1;
const char kTocPaddingByte = '\xFF';

FILETIME Now() {
    FILETIME time;
    ::GetSystemTimeAsFileTime(&time);
    return time;
}

// Writes the bytes through the encoder into the package; counts both sides.
class VQEntryEncoder {
public:
    VQEntryEncoder(HANDLE package, VQCompressConverter* encoder) : m_package(package), m_encoder(encoder) {}

    bool Feed(const unsigned char* bytes, uint32_t count) {
        m_unpacked += count;
        if (m_encoder == nullptr)
            return Write(bytes, count);
        uint32_t fed = 0;
        while (fed < count) {
            uint32_t consumed = 0;
            if (!m_encoder->Put(bytes + fed, count - fed, consumed))
                return false;
            fed += consumed;
            bool hadOutput = m_encoder->Available() > 0;
            if (!Drain() || (consumed == 0 && !hadOutput))
                return false;
        }
        return true;
    }

    bool End() {
        if (m_encoder == nullptr)
            return true;
        for (;;) {
            if (!m_encoder->Finish())
                return false;
            bool hadOutput = m_encoder->Available() > 0;
            if (!Drain())
                return false;
            if (!hadOutput)
                return true;
        }
    }

    uint64_t packed() const { return m_packed; }
    uint64_t unpacked() const { return m_unpacked; }

private:
    bool Write(const unsigned char* bytes, uint32_t count) {
        m_packed += count;
        return count == 0 || WriteFileHandle(m_package, bytes, count);
    }
    bool Drain() {
        uint32_t count = 0;
        const unsigned char* output = m_encoder->GetOutput(count);
        bool ok = Write(output, count);
        m_encoder->ClearOutput();
        return ok;
    }

    HANDLE m_package;
    VQCompressConverter* m_encoder;
    uint64_t m_packed = 0;
    uint64_t m_unpacked = 0;
};

bool EncodeFromFile(const std::wstring& path, VQEntryEncoder& encoder) {
    HANDLE source = INVALID_HANDLE_VALUE;
    if (!OpenFileHandle(source, path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN))
        return false;
    VQBuffer<unsigned char> block(kPackageBlockSize);
    bool ok = true;
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(source, block.data, block.size, &got, nullptr)) {
            ok = false;
            break;
        }
        if (got == 0)
            break;
        if (!encoder.Feed(block.data, got) || encoder.unpacked() > kPackageMaxFileSize) {
            ok = false;
            break;
        }
    }
    CloseFileHandle(source);
    return ok;
}

bool WriteEntryData(VQTocNode& node, HANDLE package) {
    if (node.type == kTocFile || node.type == kTocData) {
        uint64_t offset = 0;
        if (!SeekFileHandle(package, 0, FILE_CURRENT, &offset))
            return false;
        boost::shared_ptr<VQCompressConverter> encoder;
        if (node.converterId != kConverterStored) {
            encoder = CreateEncoder(node.converterId);
            if (!encoder)
                return false;
        }
        VQEntryEncoder writer(package, encoder.get());
        bool fed = node.fullPath.empty() ? writer.Feed(node.data.data, node.data.size)
                                         : EncodeFromFile(node.fullPath, writer);
        if (!fed || !writer.End())
            return false;
        node.dataOffset = offset;
        node.unpackedSize = writer.unpacked();
        node.packedSize = writer.packed();
    }
    for (const boost::shared_ptr<VQTocNode>& child : node.children) {
        if (!WriteEntryData(*child, package))
            return false;
    }
    return true;
}

}  // namespace

boost::shared_ptr<VQTocNode> AddFolderEntry(VQTocNode& parent, const std::wstring& name) {
    boost::shared_ptr<VQTocNode> node(new VQTocNode(&parent, kTocFolder));
    node->name = name;
    node->attributes = FILE_ATTRIBUTE_DIRECTORY;
    node->creationTime = node->lastAccessTime = node->lastWriteTime = Now();
    parent.children.push_back(node);
    return node;
}

boost::shared_ptr<VQTocNode> AddBytesEntry(VQTocNode& parent, const std::wstring& name, uint32_t type,
                                           const std::string& bytes, uint16_t converterId) {
    boost::shared_ptr<VQTocNode> node(new VQTocNode(&parent, type));
    node->name = name;
    node->attributes = FILE_ATTRIBUTE_ARCHIVE;
    node->creationTime = node->lastAccessTime = node->lastWriteTime = Now();
    node->converterId = type == kTocInline ? kConverterStored : converterId;
    node->data.Resize(static_cast<uint32_t>(bytes.size()));
    if (!bytes.empty())
        std::memcpy(node->data.data, bytes.data(), bytes.size());
    parent.children.push_back(node);
    return node;
}

boost::shared_ptr<VQTocNode> AddFileEntry(VQTocNode& parent, const std::wstring& name,
                                          const std::wstring& sourcePath, uint16_t converterId) {
    boost::shared_ptr<VQTocNode> node = AddBytesEntry(parent, name, kTocFile, std::string(), converterId);
    node->fullPath = sourcePath;
    return node;
}

bool AddFolderContents(VQTocNode& parent, const std::wstring& folder, uint16_t converterId) {
    std::vector<FindFileEntry> entries;
    if (!ListFolderSorted(folder, entries))
        return false;

    for (const FindFileEntry& found : entries) {
        boost::shared_ptr<VQTocNode> node(new VQTocNode(&parent, found.IsFolder() ? kTocFolder : kTocFile));
        node->name = found.name;
        node->attributes = found.attributes;
        node->creationTime = ToFileTime(found.creationTime);
        node->lastAccessTime = ToFileTime(found.lastAccessTime);
        node->lastWriteTime = ToFileTime(found.lastWriteTime);
        node->converterId = converterId;
        std::wstring path = CombinePath(folder, found.name);
        if (found.IsFolder()) {
            // A link is packed as an empty folder, never followed.
            if (!found.IsReparsePoint() && !AddFolderContents(*node, path, converterId))
                return false;
        } else {
            node->fullPath = path;
        }
        parent.children.push_back(node);
    }
    return true;
}

bool WritePackage(VQTocNode& root, const std::wstring& path, uint32_t minTocLength) {
    uint64_t tocSize = root.EncodedSize() + kTocTailPadding;
    tocSize = std::max<uint64_t>(tocSize, minTocLength);
    if (tocSize > kPackageMaxTocLength)
        return false;
    const uint32_t tocLength = static_cast<uint32_t>(tocSize);

    HANDLE package = INVALID_HANDLE_VALUE;
    if (!OpenFileHandle(package, path, GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL))
        return false;
    unsigned char header[kPackageHeaderSize];
    std::memcpy(header, kPackageMagic, sizeof(kPackageMagic));
    header[3] = kPackageMaxVersion;
    StoreU32(header + 4, tocLength);
    // The table is written last, once the data offsets are known.
    std::string toc(tocLength, '\0');
    bool ok = WriteFileHandle(package, header, sizeof(header)) &&
              WriteFileHandle(package, toc.data(), tocLength) && WriteEntryData(root, package);
    if (ok) {
        toc.clear();
        ok = root.Encode(toc) && toc.size() <= tocLength;
    }
    if (ok) {
        toc.resize(tocLength, kTocPaddingByte);
        ok = SeekFileHandle(package, kPackageHeaderSize, FILE_BEGIN) &&
             WriteFileHandle(package, toc.data(), tocLength);
    }
    if (!CloseFileHandleChecked(package))
        ok = false;
    if (!ok)
        DeleteFileClearReadOnly(path);
    return ok;
}

}  // namespace Tessar
