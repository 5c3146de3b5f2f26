#include "VQCore/download/UninstallRecord.h"

#include "VQCore/download/ByteOrder.h"
#include "VQCore/download/InstallPaths.h"
#include "VQCore/download/PackageSafety.h"
#include "VQCore/download/RegUndo.h"
#include "common/FileHandle.h"
#include "common/FileUtil.h"
#include "common/Md5.h"
#include "common/PathText.h"
#include "common/TextUtil.h"

#include <windows.h>

#include <cstring>
#include <exception>

namespace Tessar {

const wchar_t kUninstallRecordName[] = L"VQUnistall.dat";

namespace {

const char kRecordMagic[4] = {'V', 'Q', 'U', 'T'};
const uint8_t kRecordVersion = 1;
const uint32_t kRecordHeadSize = 9;  // magic, version, A
const char kSealMagic[4] = {'V', 'Q', 'U', 'S'};
const uint32_t kSealSize = 4 + 16;
const uint64_t kMaxRecordSize = kRecordHeadSize + kUninstallMaxLogBytes + 4 + kUninstallMaxLogBytes + kSealSize;

std::string EncodeFileLog(const std::vector<std::wstring>& paths) {
    std::string out;
    for (const std::wstring& path : paths) {
        AppendU32(out, static_cast<uint32_t>(path.size() * 2));
        AppendUtf16(out, path);
    }
    return out;
}

// What below installFolder the uninstall removes anyway with the folder.
std::vector<std::wstring> WithoutFolderContents(const std::vector<std::wstring>& paths,
                                                const std::wstring& installFolder) {
    bool hasFolder = false;
    for (const std::wstring& path : paths)
        hasFolder = hasFolder || IsSamePath(path, installFolder);
    if (!hasFolder)
        return paths;
    std::vector<std::wstring> kept;
    for (const std::wstring& path : paths) {
        if (!IsPathBelow(path, installFolder))
            kept.push_back(path);
    }
    return kept;
}

void AppendSeal(std::string& out) {
    VQMd5Context md5;
    Md5Update(md5, out.data(), static_cast<uint32_t>(out.size()));
    Md5Final(md5);
    out.append(kSealMagic, sizeof(kSealMagic));
    out.append(reinterpret_cast<const char*>(md5.digest), sizeof(md5.digest));
}

bool ReadWholeFile(const std::wstring& path, std::string& bytes) {
    HANDLE file = INVALID_HANDLE_VALUE;
    if (!OpenFileHandle(file, path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL))
        return false;
    uint64_t size = 0;
    bool ok = GetFileHandleSize(file, size) && size <= kMaxRecordSize;
    if (ok) {
        bytes.resize(static_cast<size_t>(size));
        ok = size == 0 || ReadFileExactly(file, &bytes[0], static_cast<uint32_t>(size));
    }
    CloseFileHandle(file);
    return ok;
}

// The folder the record lies in; empty when that is no folder of a game.
std::wstring RecordFolder(const std::wstring& recordPath) {
    size_t slash = recordPath.rfind(L'\\');
    if (slash == std::wstring::npos)
        return std::wstring();
    std::wstring folder = NormalInstallPath(recordPath.substr(0, slash));
    // A record in a drive root would make the whole drive its folder.
    return folder.size() > 3 ? folder : std::wstring();
}

std::wstring RecordDigest(const std::wstring& folder, const std::string& bytes) {
    if (folder.empty())
        return std::wstring();
    std::wstring place = folder;
    MakeUpper(place);
    std::string head;
    AppendUtf16(head, place);
    head.append(2, '\0');  // no folder name runs on into the record
    VQMd5Context md5;
    Md5Update(md5, head.data(), static_cast<uint32_t>(head.size()));
    if (!bytes.empty())
        Md5Update(md5, bytes.data(), static_cast<uint32_t>(bytes.size()));
    Md5Final(md5);
    return BytesToHexUpper(md5.digest);
}

bool ParseUninstallRecord(const std::string& bytes, VQUninstallRecord& record) {
    const unsigned char* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t size = bytes.size();
    if (size < kRecordHeadSize || std::memcmp(data, kRecordMagic, sizeof(kRecordMagic)) != 0 ||
        data[4] != kRecordVersion)
        return false;
    uint32_t logSize = LoadU32(data + 5);
    if (logSize > kUninstallMaxLogBytes || logSize > size - kRecordHeadSize)
        return false;
    record.paths.clear();
    size_t at = kRecordHeadSize;
    const size_t logEnd = at + logSize;
    while (at < logEnd) {
        if (logEnd - at < 4)
            return false;
        uint32_t count = LoadU32(data + at);
        at += 4;
        if (count == 0 || count % 2 != 0 || count > logEnd - at)
            return false;
        record.paths.push_back(LoadUtf16(data + at, count / 2));
        at += count;
    }
    if (size - at < 4)
        return false;
    uint32_t undoSize = LoadU32(data + at);
    at += 4;
    if (undoSize > kUninstallMaxLogBytes || undoSize > size - at)
        return false;
    record.registryUndo.Resize(undoSize);
    if (undoSize > 0)
        std::memcpy(record.registryUndo.data, data + at, undoSize);
    at += undoSize;

    if (at == size) {
        record.seal = VQRecordSeal::kNone;
    } else {
        VQMd5Context md5;
        Md5Update(md5, data, static_cast<uint32_t>(at));
        Md5Final(md5);
        bool valid = size - at == kSealSize && std::memcmp(data + at, kSealMagic, sizeof(kSealMagic)) == 0 &&
                     std::memcmp(data + at + sizeof(kSealMagic), md5.digest, sizeof(md5.digest)) == 0;
        record.seal = valid ? VQRecordSeal::kValid : VQRecordSeal::kDamaged;
    }
    return true;
}

bool SameDigest(const std::wstring& a, const std::wstring& b) {
    return !a.empty() && a.size() == b.size() && CompareNoCase(a, b, a.size()) == 0;
}

}  // namespace

bool WriteUninstallRecord(const std::wstring& path, const std::vector<std::wstring>& fileLog,
                          const VQBuffer<unsigned char>& registryUndo, const std::wstring& installFolder,
                          std::wstring* digest) {
    std::string log = EncodeFileLog(fileLog);
    if (log.size() > kUninstallMaxLogBytes)
        log = EncodeFileLog(WithoutFolderContents(fileLog, installFolder));
    if (log.size() > kUninstallMaxLogBytes || registryUndo.size > kUninstallMaxLogBytes)
        return false;
    std::string out(kRecordMagic, sizeof(kRecordMagic));
    out.push_back(static_cast<char>(kRecordVersion));
    AppendU32(out, static_cast<uint32_t>(log.size()));
    out += log;
    AppendU32(out, registryUndo.size);
    if (registryUndo.size > 0)
        out.append(reinterpret_cast<const char*>(registryUndo.data), registryUndo.size);
    AppendSeal(out);

    HANDLE file = INVALID_HANDLE_VALUE;
    if (!OpenFileHandle(file, path, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL))
        return false;
    bool written = WriteFileHandle(file, out.data(), static_cast<uint32_t>(out.size()));
    if (!CloseFileHandleChecked(file))
        written = false;
    if (!written)
        DeleteFileClearReadOnly(path);
    else if (digest != nullptr)
        *digest = RecordDigest(RecordFolder(path), out);
    return written;
}

std::wstring UninstallRecordDigest(const std::wstring& path) {
    std::string bytes;
    if (!ReadWholeFile(path, bytes))
        return std::wstring();
    return RecordDigest(RecordFolder(path), bytes);
}

bool ReadUninstallRecord(const std::wstring& path, VQUninstallRecord& record) {
    std::string bytes;
    return ReadWholeFile(path, bytes) && ParseUninstallRecord(bytes, record);
}

bool UninstallFromData(const std::wstring& path, const std::wstring& knownDigest) {
    // One read: what is judged is what is carried out.
    std::string bytes;
    VQUninstallRecord record;
    if (!ReadWholeFile(path, bytes) || !ParseUninstallRecord(bytes, record) || record.seal == VQRecordSeal::kDamaged)
        return false;
    const std::wstring folder = RecordFolder(path);
    if (folder.empty())
        return false;
    const bool genuine = SameDigest(knownDigest, RecordDigest(folder, bytes));

    bool reachedFolder = false;
    for (size_t i = record.paths.size(); i-- > 0;) {
        std::wstring entry = record.paths[i];
        TrimRightChars(entry, kPathSeparators);
        if (!PathExists(entry))
            continue;
        if (IsSamePath(entry, folder)) {
            reachedFolder = true;
            break;
        }
        if (IsPathBelow(entry, folder))
            DeleteInstallTree(entry);
        else if (genuine && !NormalInstallPath(entry).empty())
            RemoveSharedEntry(entry);
    }

    // Registry changes of a record nobody vouches for are not its install's.
    if (genuine && record.registryUndo.size > 0) {
        try {
            if (!ApplyRegUndoData(record.registryUndo))
                return false;
        } catch (const std::exception&) {
            return false;
        }
    }
    ForceDeleteFile(path);
    if (reachedFolder)
        DeleteInstallTree(folder);
    return true;
}

}  // namespace Tessar
