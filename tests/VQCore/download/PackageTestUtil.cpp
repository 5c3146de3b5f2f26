#include "tests/VQCore/download/PackageTestUtil.h"

#include "VQCore/download/PackageWriter.h"
#include "common/CodePage.h"
#include "common/FileFinder.h"
#include "common/FileHandle.h"
#include "common/PathText.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace Tessar {

std::string ReadBytes(const std::wstring& path) {
    HANDLE file = INVALID_HANDLE_VALUE;
    std::string bytes;
    uint64_t size = 0;
    if (OpenFileHandle(file, path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0) &&
        GetFileHandleSize(file, size) && size > 0 && size < 0x10000000) {
        bytes.resize(static_cast<size_t>(size));
        size_t at = 0;
        uint32_t got = 0;
        while (at < bytes.size() && ReadFileHandle(file, &bytes[at], static_cast<uint32_t>(bytes.size() - at), &got))
            at += got;
        bytes.resize(at);
    }
    CloseFileHandle(file);
    return bytes;
}

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = INVALID_HANDLE_VALUE;
    if (!OpenFileHandle(file, path, GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL))
        return false;
    bool written = bytes.empty() || WriteFileHandle(file, bytes.data(), static_cast<uint32_t>(bytes.size()));
    return CloseFileHandleChecked(file) && written;
}

void PatchU32(std::string& bytes, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes.at(offset + i) = static_cast<char>(value >> (8 * i));
}

void PatchU64(std::string& bytes, size_t offset, uint64_t value) {
    PatchU32(bytes, offset, static_cast<uint32_t>(value));
    PatchU32(bytes, offset + 4, static_cast<uint32_t>(value >> 32));
}

FILETIME DayOf2009(int month, int day) {
    SYSTEMTIME system = {};
    system.wYear = 2009;
    system.wMonth = static_cast<WORD>(month);
    system.wDay = static_cast<WORD>(day);
    system.wHour = 12;
    FILETIME time = {};
    ::SystemTimeToFileTime(&system, &time);
    return time;
}

bool GetTimes(const std::wstring& path, FILETIME& creation, FILETIME& access, FILETIME& write) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool read = ::GetFileTime(file, &creation, &access, &write) != FALSE;
    ::CloseHandle(file);
    return read;
}

bool SameTime(const FILETIME& a, const FILETIME& b) {
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

DWORD AttributesOf(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str());
}

std::wstring FixturePath(const std::wstring& name) {
    const char* binary = std::getenv("VQ_BINARY_DIR");
    if (binary == nullptr)
        return std::wstring();
    // A Unix path of the build folder, reached through Wine's Z: drive.
    return L"Z:" + NarrowToWide(binary) + L"/fixtures/" + name;
}

std::wstring FixtureSourcePath(const std::wstring& name) {
    const char* source = std::getenv("VQ_SOURCE_DIR");
    if (source == nullptr)
        return std::wstring();
    return L"Z:" + NarrowToWide(source) + L"/tests/VQCore/download/fixtures/" + name;
}

std::wstring WriteSubFolderPackage(const std::wstring& folder, const std::wstring& fileName, const std::string& bytes,
                                   uint16_t converterId) {
    VQTocNode root(nullptr, kTocFolder);
    boost::shared_ptr<VQTocNode> sub = AddFolderEntry(root, L"sub");
    AddBytesEntry(*sub, fileName, kTocFile, bytes, converterId);
    std::wstring path = CombinePath(folder, L"p.vqz");
    return WritePackage(root, path) ? path : std::wstring();
}

namespace {

void Describe(const std::wstring& folder, const std::wstring& relative, std::vector<std::string>& lines) {
    FindFileIterator finder;
    FindFileEntry entry;
    if (!finder.First(CombinePath(folder, L"*"), entry))
        return;
    do {
        if (entry.IsDots())
            continue;
        std::wstring path = relative.empty() ? entry.name : relative + L"/" + entry.name;
        if (entry.IsFolder()) {
            lines.push_back(WideToUtf8(path) + "/\n");
            Describe(CombinePath(folder, entry.name), path, lines);
        } else {
            lines.push_back(WideToUtf8(path) + "=" + ReadBytes(CombinePath(folder, entry.name)) + "\n");
        }
    } while (finder.Next(entry));
}

}  // namespace

std::string DescribeTree(const std::wstring& folder) {
    std::vector<std::string> lines;
    Describe(folder, std::wstring(), lines);
    std::sort(lines.begin(), lines.end());
    std::string text;
    for (const std::string& line : lines)
        text += line;
    return text;
}

}  // namespace Tessar
