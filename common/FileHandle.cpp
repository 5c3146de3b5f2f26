#include "common/FileHandle.h"

namespace Tessar {

bool OpenFileHandle(HANDLE& handle, const std::wstring& path, DWORD access, DWORD shareMode, DWORD disposition,
                    DWORD flags) {
    CloseFileHandle(handle);
    handle = ::CreateFileW(path.c_str(), access, shareMode, nullptr, disposition, flags, nullptr);
    return handle != INVALID_HANDLE_VALUE;
}

bool ReadFileHandle(HANDLE handle, void* buffer, uint32_t count, uint32_t* bytesRead) {
    DWORD read = 0;
    BOOL done = ::ReadFile(handle, buffer, count, &read, nullptr);
    if (bytesRead != nullptr)
        *bytesRead = read;
    return done && read > 0;
}

bool WriteFileHandle(HANDLE handle, const void* buffer, uint32_t count) {
    DWORD written = 0;
    return ::WriteFile(handle, buffer, count, &written, nullptr) && written == count;
}

void CloseFileHandle(HANDLE& handle) {
    CloseFileHandleChecked(handle);
}

bool CloseFileHandleChecked(HANDLE& handle) {
    if (handle == INVALID_HANDLE_VALUE)
        return true;
    bool closed = ::CloseHandle(handle) != FALSE;
    handle = INVALID_HANDLE_VALUE;
    return closed;
}

bool GetFileHandleSize(HANDLE handle, uint64_t& size) {
    LARGE_INTEGER value;
    if (!::GetFileSizeEx(handle, &value))
        return false;
    size = static_cast<uint64_t>(value.QuadPart);
    return true;
}

bool SeekFileHandle(HANDLE handle, int64_t distance, DWORD method, uint64_t* newPosition) {
    LARGE_INTEGER move;
    move.QuadPart = distance;
    LARGE_INTEGER position;
    if (!::SetFilePointerEx(handle, move, &position, method))
        return false;
    if (newPosition != nullptr)
        *newPosition = static_cast<uint64_t>(position.QuadPart);
    return true;
}

bool RewindFileHandle(HANDLE handle) {
    return SeekFileHandle(handle, 0, FILE_BEGIN);
}

bool SetFileHandleTime(HANDLE handle, const FILETIME* creation, const FILETIME* access, const FILETIME* write) {
    return ::SetFileTime(handle, creation, access, write) != FALSE;
}

bool ReadFileToBuffer(const std::wstring& path, VQBuffer<unsigned char>& buffer) {
    buffer.Resize(0);
    HANDLE file = INVALID_HANDLE_VALUE;
    if (!OpenFileHandle(file, path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL))
        return false;
    uint64_t size = 0;
    bool read = GetFileHandleSize(file, size) && size < UINT32_MAX;
    if (read && size > 0) {
        buffer.Resize(static_cast<uint32_t>(size));
        uint32_t done = 0;
        while (read && done < buffer.size) {
            uint32_t got = 0;
            read = ReadFileHandle(file, buffer.data + done, buffer.size - done, &got);
            done += got;
        }
    }
    CloseFileHandle(file);
    if (!read)
        buffer.Resize(0);
    return read;
}

}  // namespace Tessar
