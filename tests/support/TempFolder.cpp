#include "tests/support/TempFolder.h"

#include "common/FileHandle.h"
#include "common/FileUtil.h"
#include "common/NumberText.h"
#include "common/PathText.h"
#include "common/TempFile.h"

#include <windows.h>

#include <atomic>

namespace Tessar {

VQTempFolder::VQTempFolder() {
    static std::atomic<unsigned> counter(0);
    std::wstring base;
    if (!GetTempFolder(base))
        return;
    std::wstring stem = CombinePath(base, L"vqtest-" + UIntToString(::GetCurrentProcessId()) + L"-" +
                                              UIntToString(::GetTickCount()) + L"-");
    for (int attempt = 0; attempt < 1000; ++attempt) {
        std::wstring path = stem + UIntToString(counter++);
        if (::CreateDirectoryW(path.c_str(), nullptr)) {
            m_path = path;
            return;
        }
    }
}

VQTempFolder::~VQTempFolder() {
    if (!m_path.empty())
        DeleteFolderTree(m_path);
}

std::wstring VQTempFolder::PathOf(const std::wstring& name) const {
    return CombinePath(m_path, name);
}

bool VQTempFolder::WriteFile(const std::wstring& name, const std::string& bytes) const {
    std::wstring path = PathOf(name);
    std::wstring folder = path.substr(0, path.find_last_of(L"\\/"));
    if (!FolderExists(folder) && !CreateFolderChain(folder))
        return false;
    HANDLE file = INVALID_HANDLE_VALUE;
    if (!OpenFileHandle(file, path, GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL))
        return false;
    bool written = bytes.empty() || WriteFileHandle(file, bytes.data(), static_cast<uint32_t>(bytes.size()));
    return CloseFileHandleChecked(file) && written;
}

std::string VQTempFolder::ReadFile(const std::wstring& name) const {
    HANDLE file = INVALID_HANDLE_VALUE;
    std::string bytes;
    uint64_t size = 0;
    if (!OpenFileHandle(file, PathOf(name), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL))
        return bytes;
    if (GetFileHandleSize(file, size) && size > 0 && size < 0x40000000) {
        bytes.resize(static_cast<size_t>(size));
        uint32_t read = 0;
        if (!ReadFileHandle(file, &bytes[0], static_cast<uint32_t>(size), &read))
            read = 0;
        bytes.resize(read);
    }
    CloseFileHandle(file);
    return bytes;
}

bool VQTempFolder::MakeFolder(const std::wstring& name) const {
    return CreateFolderChain(PathOf(name));
}

}  // namespace Tessar
