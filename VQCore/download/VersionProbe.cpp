#include "VQCore/download/VersionProbe.h"

#include <windows.h>

#include <vector>

#include "common/ExecutableInfo.h"
#include "common/FileHandle.h"
#include "common/Module.h"
#include "common/NumberText.h"
#include "common/TextUtil.h"

namespace Tessar {

namespace {

// Keeps the loader from showing an error box for a broken or foreign
// library while this thread probes it.
class QuietErrorMode {
public:
    QuietErrorMode() {
        m_set = ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &m_previous) != FALSE;
    }
    ~QuietErrorMode() {
        if (m_set)
            ::SetThreadErrorMode(m_previous, nullptr);
    }
    QuietErrorMode(const QuietErrorMode&) = delete;
    QuietErrorMode& operator=(const QuietErrorMode&) = delete;

private:
    DWORD m_previous = 0;
    bool m_set = false;
};

}  // namespace

bool CanLoadLibrary(const std::wstring& path, const char* exportName) {
    if (path.empty())
        return false;
    QuietErrorMode quiet;
    VQModule library;
    if (!library.Load(path))
        return false;
    return exportName == nullptr || library.GetFunction(exportName) != nullptr;
}

bool IsLibraryImageFor(const std::wstring& path, uint16_t machine) {
    HANDLE file = INVALID_HANDLE_VALUE;
    if (path.empty() || !OpenFileHandle(file, path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL))
        return false;
    IMAGE_DOS_HEADER dos = {};
    DWORD signature = 0;
    IMAGE_FILE_HEADER header = {};
    uint32_t read = 0;
    const bool ok = ReadFileHandle(file, &dos, sizeof(dos), &read) && read == sizeof(dos) &&
                    dos.e_magic == IMAGE_DOS_SIGNATURE && dos.e_lfanew > 0 &&
                    SeekFileHandle(file, dos.e_lfanew, FILE_BEGIN) &&
                    ReadFileHandle(file, &signature, sizeof(signature), &read) && read == sizeof(signature) &&
                    signature == IMAGE_NT_SIGNATURE && ReadFileHandle(file, &header, sizeof(header), &read) &&
                    read == sizeof(header);
    CloseFileHandle(file);
    return ok && header.Machine == machine && (header.Characteristics & IMAGE_FILE_DLL) != 0;
}

uint16_t OwnImageMachine() {
#if defined(__x86_64__) || defined(_M_X64)
    return IMAGE_FILE_MACHINE_AMD64;
#elif defined(__aarch64__) || defined(_M_ARM64)
    return IMAGE_FILE_MACHINE_ARM64;
#else
    return IMAGE_FILE_MACHINE_I386;
#endif
}

bool GetFileProductVersion(const std::wstring& path, uint32_t version[4]) {
    if (path.empty())
        return false;
    ExecutableInfo info(path);
    uint64_t packed = 0;
    if (!info.GetProductVersion(packed))
        return false;
    version[0] = static_cast<uint32_t>((packed >> 48) & 0xFFFF);
    version[1] = static_cast<uint32_t>((packed >> 32) & 0xFFFF);
    version[2] = static_cast<uint32_t>((packed >> 16) & 0xFFFF);
    version[3] = static_cast<uint32_t>(packed & 0xFFFF);
    return true;
}

bool ParseVersionText(const std::wstring& text, int32_t version[4]) {
    std::vector<std::wstring> items;
    SplitAtChar(text, L'.', items);
    if (items.empty())
        return false;
    for (size_t i = 0; i < items.size() && i < 4; ++i) {
        const std::wstring& item = items[i];
        bool negative = !item.empty() && item[0] == L'-';
        // Negated in unsigned arithmetic, so that no value can overflow.
        uint32_t number = static_cast<uint32_t>(StringToUInt64(negative ? item.substr(1) : item));
        version[i] = static_cast<int32_t>(negative ? 0u - number : number);
    }
    return true;
}

}  // namespace Tessar
