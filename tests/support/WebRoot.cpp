#include "tests/support/WebRoot.h"

#include "common/FileHandle.h"
#include "common/FileUtil.h"
#include "common/Md5.h"

#include <windows.h>

#include <atomic>

namespace Tessar {
namespace Test {

std::string MakeTestBytes(size_t size, uint32_t seed) {
    std::string bytes(size, '\0');
    uint64_t state = 0x9E3779B97F4A7C15ull ^ seed;
    for (size_t i = 0; i < size; ++i) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        bytes[i] = static_cast<char>(state >> 24);
    }
    return bytes;
}

std::wstring Md5Of(const std::string& bytes) {
    return Md5OfBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
}

VQWebRoot::VQWebRoot() {
    static std::atomic<unsigned> counter(0);
    std::string path = BinaryDirUnix() + "/scratch/range-" + std::to_string(GetCurrentProcessId()) + "-" +
                       std::to_string(GetTickCount()) + "-" + std::to_string(counter++);
    if (!BinaryDirUnix().empty() && CreateFolderChain(UnixToWindowsPath(path)))
        m_unix = path;
}

VQWebRoot::~VQWebRoot() {
    if (!m_unix.empty())
        DeleteFolderTree(UnixToWindowsPath(m_unix));
}

std::wstring VQWebRoot::WindowsPath(const std::wstring& name) const {
    return UnixToWindowsPath(m_unix) + L"\\" + name;
}

bool VQWebRoot::WriteFile(const std::wstring& name, const std::string& bytes) const {
    return !m_unix.empty() && WriteWholeFile(WindowsPath(name), bytes);
}

bool StartNginx(VQLocalServer& server, const VQWebRoot& root) {
    return server.Start({"/bin/bash", SourceDirUnix() + "/tests/support/servers/nginx_server.sh", "--root",
                         root.UnixPath()});
}

bool StartFaultServer(VQLocalServer& server, const VQWebRoot& root) {
    return server.Start({"/usr/bin/python3", SourceDirUnix() + "/tests/support/servers/range_fault_server.py",
                         "--root", root.UnixPath()});
}

std::string ReadWholeFile(const std::wstring& path) {
    HANDLE file = INVALID_HANDLE_VALUE;
    std::string bytes;
    if (!OpenFileHandle(file, path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0))
        return bytes;
    uint64_t size = 0;
    if (GetFileHandleSize(file, size) && size > 0) {
        bytes.resize(static_cast<size_t>(size));
        uint32_t got = 0;
        if (!ReadFileHandle(file, &bytes[0], static_cast<uint32_t>(size), &got) || got != size)
            bytes.clear();
    }
    CloseFileHandle(file);
    return bytes;
}

bool WriteWholeFile(const std::wstring& path, const std::string& bytes) {
    HANDLE file = INVALID_HANDLE_VALUE;
    if (!OpenFileHandle(file, path, GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL))
        return false;
    bool ok = WriteFileHandle(file, bytes.data(), static_cast<uint32_t>(bytes.size()));
    return CloseFileHandleChecked(file) && ok;
}

bool FileIsThere(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace Test
}  // namespace Tessar
