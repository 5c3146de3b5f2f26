#include "VQCore/download/Unpacker.h"

#include "VQCore/download/ByteOrder.h"
#include "VQCore/download/ConverterRegistry.h"
#include "VQCore/download/PackageSafety.h"
#include "common/FileHandle.h"
#include "common/FileUtil.h"
#include "common/PathText.h"
#include "common/TextUtil.h"

#include <algorithm>
#include <cstring>

namespace Tessar {

VQUnpacker::VQUnpacker(const std::wstring& packagePath)
    : m_root(nullptr, kTocFile),
      m_version(1),
      m_fileSize(0),
      m_packagePath(packagePath),
      m_opened(false),
      m_cancel(false),
      m_observer(nullptr),
      m_totalBytes(0),
      m_doneBytes(0) {}

VQUnpacker::~VQUnpacker() = default;

bool VQUnpacker::Open() {
    if (m_opened)
        return false;
    if (m_file && m_file->IsValid())
        return OpenFile(m_file);
    if (m_packagePath.empty())
        return false;
    HANDLE handle = ::CreateFileW(m_packagePath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    boost::shared_ptr<VQKernelHandle> file(new VQKernelHandle(handle));
    return OpenFile(file);
}

bool VQUnpacker::OpenFile(const boost::shared_ptr<VQKernelHandle>& file) {
    if (!file || !file->IsValid())
        return false;
    HANDLE handle = file->Get();
    uint64_t size = 0;
    if (!GetFileHandleSize(handle, size) || !RewindFileHandle(handle))
        return false;
    unsigned char header[kPackageHeaderSize];
    if (size < kPackageHeaderSize || !ReadFileExactly(handle, header, kPackageHeaderSize))
        return false;
    if (std::memcmp(header, kPackageMagic, sizeof(kPackageMagic)) != 0 || header[3] > kPackageMaxVersion)
        return false;
    uint32_t tocLength = LoadU32(header + 4);
    // A table longer than the rest of the file is a cut package; no need to
    // allocate for it.
    if (tocLength > kPackageMaxTocLength || tocLength > size - kPackageHeaderSize)
        return false;
    VQBuffer<unsigned char> toc(tocLength);
    if (!ReadFileExactly(handle, toc.data, tocLength))
        return false;
    uint32_t offset = 0;
    m_root.children.clear();
    if (!m_root.Parse(toc.data, tocLength, offset))
        return false;
    m_version = header[3];
    m_file = file;
    m_fileSize = size;
    m_opened = true;
    return true;
}

bool VQUnpacker::Extract(const std::wstring& targetFolder) {
    if (m_observer != nullptr)
        m_observer->OnExtractStart();
    bool done = m_opened && !FileExists(targetFolder) && (PathExists(targetFolder) || CreateFolder(targetFolder));
    if (done) {
        for (const boost::shared_ptr<VQTocNode>& child : m_root.children) {
            if (m_cancel.load())
                break;
            if (!ExtractFiles(*child, targetFolder)) {
                done = false;
                break;
            }
        }
    }
    // A cancelled extraction is not a finished one, wherever it stopped.
    // The flag is cleared here rather than at the start so that a cancel
    // arriving between Open and Extract is not lost.
    bool cancelled = m_cancel.exchange(false);
    if (m_observer != nullptr)
        m_observer->OnExtractEnd(cancelled);
    return done && !cancelled;
}

void VQUnpacker::Cancel() {
    m_cancel.store(true);
}

boost::shared_ptr<VQCompressConverter> VQUnpacker::GetConverter(uint16_t id) {
    std::map<uint16_t, boost::shared_ptr<VQCompressConverter>>::iterator found = m_converters.find(id);
    if (found != m_converters.end())
        return found->second;
    boost::shared_ptr<VQCompressConverter> converter = CreateConverter(id);
    m_converters[id] = converter;
    return converter;
}

bool VQUnpacker::ExtractFiles(VQTocNode& node, const std::wstring& folder) {
    std::wstring base = folder;
    TrimRightChars(base, kPathSeparators);
    if (!base.empty())
        base += L'\\';
    // The package's own names never leave the target folder; only the
    // resolver of a derived class may send an entry elsewhere.
    if (!IsSafeEntryName(node.name))
        return false;
    std::wstring name = node.name;
    bool skip = false;
    if (!ResolveEntryPath(node, base, name, skip))
        return false;
    if (skip)
        return true;
    std::wstring target = IsDriveRoot(name) ? name : CombinePath(base, name);
    node.fullPath = target;
    node.name = name;
    if (m_observer != nullptr)
        m_observer->OnEntryStart(node);

    if (node.type == kTocFolder) {
        if (FileExists(target))
            return false;
        if (!PathExists(target) && !CreateFolder(target))
            return false;
        ReportProgress(node, 0);
        for (const boost::shared_ptr<VQTocNode>& child : node.children) {
            if (m_cancel.load())
                break;
            if (!ExtractFiles(*child, target))
                return false;
        }
        if (m_cancel.load())
            return false;
        ::SetFileAttributesW(target.c_str(), PackageAttributes(node.attributes));
        SetFileTimeByPath(target, &node.creationTime, &node.lastAccessTime, &node.lastWriteTime);
    } else {
        ReportProgress(node, 0);
        if (node.type != kTocInline) {
            if (!IsDataInFile(node))
                return false;
            HANDLE handle = m_file->Get();
            uint64_t position = 0;
            if (!SeekFileHandle(handle, 0, FILE_CURRENT, &position))
                return false;
            if (position != node.dataOffset) {
                if (!SeekFileHandle(handle, static_cast<int64_t>(node.dataOffset), FILE_BEGIN, &position) ||
                    position != node.dataOffset)
                    return false;
            }
            boost::shared_ptr<VQCompressConverter> converter = GetConverter(node.converterId);
            if (!converter || !converter->Reset())
                return false;
            if (node.type == kTocFile && !WriteFileEntry(node, *converter))
                return false;
            if (node.type == kTocData && !ReadDataEntry(node, *converter))
                return false;
        }
    }
    if (!OnEntryExtracted(node))
        return false;
    if (m_observer != nullptr)
        m_observer->OnEntryEnd(node);
    return true;
}

bool VQUnpacker::IsDataInFile(const VQTocNode& node) const {
    if (!m_file || !m_file->IsValid())
        return false;
    return node.dataOffset <= m_fileSize && node.packedSize <= m_fileSize - node.dataOffset;
}

bool VQUnpacker::ResolveEntryPath(VQTocNode& node, std::wstring& folder, std::wstring& name, bool& skip) {
    skip = false;
    return true;
}

void VQUnpacker::ReportProgress(VQTocNode& node, uint64_t entryBytesDone) {
    if (m_observer == nullptr)
        return;
    double overall = m_totalBytes == 0 ? 100.0
                                       : static_cast<double>(m_doneBytes + entryBytesDone) * 100.0 /
                                             static_cast<double>(m_totalBytes);
    double entry = node.packedSize == 0
                       ? 100.0
                       : 100.0 * static_cast<double>(entryBytesDone) / static_cast<double>(node.packedSize);
    m_observer->OnProgress(overall, entry);
}

bool VQUnpacker::OnEntryExtracted(VQTocNode& node) {
    return true;
}

bool VQUnpacker::CreateFolder(const std::wstring& path) {
    return CreateFolderChain(path);
}

bool VQUnpacker::PumpEntry(VQTocNode& node, VQCompressConverter& converter, const VQEntrySink& sink) {
    if (m_block.size != kPackageBlockSize)
        m_block.Resize(kPackageBlockSize);
    HANDLE handle = m_file->Get();
    const bool stored = node.converterId == kConverterStored;
    uint64_t produced = 0;
    // Hands the converter's output on; more than the entry's size means a
    // corrupt entry, caught before it fills the disk.
    auto deliver = [&](const unsigned char* bytes, uint32_t count) {
        if (count == 0)
            return true;
        produced += count;
        return produced <= node.unpackedSize && sink(bytes, count);
    };
    auto drain = [&]() {
        uint32_t count = 0;
        const unsigned char* output = converter.GetOutput(count);
        bool ok = deliver(output, count);
        converter.ClearOutput();
        return ok;
    };

    // An empty entry has no stream to convert.
    if (node.packedSize == 0 && node.unpackedSize == 0)
        return true;
    uint64_t remaining = node.packedSize;
    while (remaining > 0) {
        uint32_t want = static_cast<uint32_t>(std::min<uint64_t>(remaining, kPackageBlockSize));
        uint32_t got = 0;
        if (!ReadFileHandle(handle, m_block.data, want, &got) || got > want)
            return false;
        if (m_cancel.load())
            return false;
        ReportProgress(node, node.packedSize - remaining);
        remaining -= got;
        if (stored) {
            if (!deliver(m_block.data, got))
                return false;
            continue;
        }
        uint32_t fed = 0;
        while (fed < got) {
            uint32_t consumed = 0;
            if (!converter.Put(m_block.data + fed, got - fed, consumed) || consumed > got - fed)
                return false;
            fed += consumed;
            bool hadOutput = converter.Available() > 0;
            if (!drain())
                return false;
            // Neither input taken nor output made: the converter is stuck.
            if (consumed == 0 && !hadOutput)
                return false;
        }
    }
    if (!stored) {
        for (;;) {
            if (!converter.Finish())
                return false;
            bool hadOutput = converter.Available() > 0;
            if (!drain())
                return false;
            if (!hadOutput)
                break;
        }
        converter.ClearOutput();
    }
    return produced == node.unpackedSize;
}

bool VQUnpacker::WriteFileEntry(VQTocNode& node, VQCompressConverter& converter) {
    const std::wstring& target = node.fullPath;
    if (node.unpackedSize > kPackageMaxFileSize || node.packedSize > kPackageMaxFileSize)
        return false;
    if (FileExists(target) && !DeleteFileClearReadOnly(target))
        return ::GetLastError() == ERROR_ACCESS_DENIED;  // left as it is; counts as extracted
    HANDLE output = INVALID_HANDLE_VALUE;
    if (!OpenFileHandle(output, target, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS,
                        PackageAttributes(node.attributes) | FILE_FLAG_SEQUENTIAL_SCAN))
        return ::GetLastError() == ERROR_ACCESS_DENIED;
    bool written = PumpEntry(node, converter, [output](const unsigned char* bytes, uint32_t count) {
        return WriteFileHandle(output, bytes, count);
    });
    return FinishExtractedFile(output, target, written, node.creationTime, node.lastAccessTime, node.lastWriteTime);
}

bool VQUnpacker::ReadDataEntry(VQTocNode& node, VQCompressConverter& converter) {
    if (node.unpackedSize > kPackageMaxDataEntrySize)
        return false;
    node.data.Resize(static_cast<uint32_t>(node.unpackedSize));
    uint32_t filled = 0;
    bool read = PumpEntry(node, converter, [&node, &filled](const unsigned char* bytes, uint32_t count) {
        if (count > node.data.size - filled)
            return false;
        std::memcpy(node.data.data + filled, bytes, count);
        filled += count;
        return true;
    });
    node.data.Resize(filled);
    return read;
}

}  // namespace Tessar
