#pragma once
// Reader of "VQZ" packages: an 8-byte header, the table of contents and the
// entries' data, each stored or as a zlib stream. Open reads the table into
// a tree of VQTocNode; Extract writes the tree into a folder. The operations
// are virtual so that the package installation can change where entries go
// and what happens after each one.
//
// Threads: everything runs on the caller's thread except Cancel, which any
// thread may call; the cancel flag is atomic and polled between entries and
// between blocks of 524,288 bytes.

#include "VQCore/download/CompressConverter.h"
#include "VQCore/download/TocNode.h"
#include "common/KernelHandle.h"

#include <boost/shared_ptr.hpp>

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <string>

namespace Tessar {

// Optional progress observer; the unpacker works without one.
class IUnpackProgress {
public:
    virtual void OnExtractStart() = 0;
    virtual void OnEntryStart(VQTocNode& node) = 0;
    virtual void OnProgress(double overallPercent, double entryPercent) = 0;
    virtual void OnEntryEnd(VQTocNode& node) = 0;
    virtual void OnExtractEnd(bool cancelled) = 0;

protected:
    ~IUnpackProgress() = default;
};

const char kPackageMagic[3] = {'V', 'Q', 'Z'};
const uint32_t kPackageHeaderSize = 8;
const uint8_t kPackageMaxVersion = 1;
const uint32_t kPackageMaxTocLength = 0x3200000;
const uint32_t kPackageBlockSize = 524288;
// Entries bigger than this are refused when written to disk.
const uint64_t kPackageMaxFileSize = 0x100000000ull;
// Data entries are read into memory; more than this is no package's data.
const uint64_t kPackageMaxDataEntrySize = kPackageMaxTocLength;

class VQUnpacker {
public:
    explicit VQUnpacker(const std::wstring& packagePath);
    virtual ~VQUnpacker();
    VQUnpacker(const VQUnpacker&) = delete;
    VQUnpacker& operator=(const VQUnpacker&) = delete;

    // Opens the package and reads header and table. False when already
    // opened, for a missing or unreadable file and for any format error.
    virtual bool Open();
    // Extracts every top-level entry into the folder (made when missing).
    // False on any failure and when cancelled; what was written before a
    // failure stays, but a file being written when it failed is removed.
    virtual bool Extract(const std::wstring& targetFolder);
    virtual void Cancel();
    // Reads header and table from an open package file; keeps the holder
    // on success.
    virtual bool OpenFile(const boost::shared_ptr<VQKernelHandle>& file);
    // Cached by id; empty for an id without a converter.
    virtual boost::shared_ptr<VQCompressConverter> GetConverter(uint16_t id);
    // Extracts one entry and, for a folder, everything below it.
    virtual bool ExtractFiles(VQTocNode& node, const std::wstring& folder);
    // May change the folder and the name the entry is written under, or
    // skip it (with its subtree). False fails the extraction.
    virtual bool ResolveEntryPath(VQTocNode& node, std::wstring& folder, std::wstring& name, bool& skip);
    virtual void ReportProgress(VQTocNode& node, uint64_t entryBytesDone);
    // After each entry; false fails the extraction.
    virtual bool OnEntryExtracted(VQTocNode& node);
    // Makes every missing folder of the path.
    virtual bool CreateFolder(const std::wstring& path);

    void SetObserver(IUnpackProgress* observer) { m_observer = observer; }
    bool IsOpened() const { return m_opened; }
    uint8_t GetVersion() const { return m_version; }
    const std::wstring& GetPackagePath() const { return m_packagePath; }
    VQTocNode& GetRoot() { return m_root; }
    bool IsCancelled() const { return m_cancel.load(); }

protected:
    // Output of an entry's converted bytes; false stops the entry.
    typedef std::function<bool(const unsigned char*, uint32_t)> VQEntrySink;

    bool WriteFileEntry(VQTocNode& node, VQCompressConverter& converter);
    bool ReadDataEntry(VQTocNode& node, VQCompressConverter& converter);
    // Reads the entry's packed bytes from the current position, converts
    // them and hands the result to the sink; the result must come to the
    // entry's unpacked size exactly.
    bool PumpEntry(VQTocNode& node, VQCompressConverter& converter, const VQEntrySink& sink);
    // The entry's data lies inside the package file.
    bool IsDataInFile(const VQTocNode& node) const;

    VQTocNode m_root;
    uint8_t m_version;
    boost::shared_ptr<VQKernelHandle> m_file;
    uint64_t m_fileSize;
    std::wstring m_packagePath;
    bool m_opened;
    std::map<uint16_t, boost::shared_ptr<VQCompressConverter>> m_converters;
    std::atomic<bool> m_cancel;
    IUnpackProgress* m_observer;
    uint64_t m_totalBytes;  // for progress; set by derived classes
    uint64_t m_doneBytes;
    VQBuffer<unsigned char> m_block;  // read buffer, made on first use
};

}  // namespace Tessar
