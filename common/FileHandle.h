#pragma once
// Functions over a plain file handle variable (INVALID_HANDLE_VALUE when
// closed).

#include "common/Buffer.h"

#include <windows.h>

#include <cstdint>
#include <string>

namespace Tessar {

// Closes a handle still open in the variable first.
bool OpenFileHandle(HANDLE& handle, const std::wstring& path, DWORD access, DWORD shareMode,
                    DWORD disposition, DWORD flags);
// True only when the read succeeded and read more than 0 bytes.
bool ReadFileHandle(HANDLE handle, void* buffer, uint32_t count, uint32_t* bytesRead = nullptr);
// True only when all bytes were written.
bool WriteFileHandle(HANDLE handle, const void* buffer, uint32_t count);
void CloseFileHandle(HANDLE& handle);
// An already closed handle counts as success.
bool CloseFileHandleChecked(HANDLE& handle);
bool GetFileHandleSize(HANDLE handle, uint64_t& size);
bool SeekFileHandle(HANDLE handle, int64_t distance, DWORD method, uint64_t* newPosition = nullptr);
bool RewindFileHandle(HANDLE handle);
bool SetFileHandleTime(HANDLE handle, const FILETIME* creation, const FILETIME* access, const FILETIME* write);

// The whole file (shared for reading and writing) in buffer; an empty file
// gives an empty buffer. False when it cannot be opened or read whole, or
// does not fit a 32-bit size.
bool ReadFileToBuffer(const std::wstring& path, VQBuffer<unsigned char>& buffer);

}  // namespace Tessar
