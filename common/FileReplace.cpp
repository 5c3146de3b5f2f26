#include "common/FileReplace.h"

#include "common/FileHandle.h"
#include "common/FileUtil.h"
#include "common/TempFile.h"

#include <windows.h>

namespace Tessar {

bool WriteFileReplacing(const std::wstring& path, const std::function<bool(const std::wstring& tempPath)>& writer) {
    // In the target's own folder, so that the final move is a rename on
    // one volume.
    std::wstring folder = GetFullPathFolder(path);
    std::wstring temp;
    if (folder.empty() || !MakeTempFileName(folder, L"VQ~", temp))
        return false;
    if (writer(temp) && MoveFileReplace(temp, path))
        return true;
    ForceDeleteFile(temp);
    return false;
}

bool WriteBytesReplacing(const std::wstring& path, const void* data, uint32_t size) {
    if (data == nullptr && size != 0)
        return false;
    return WriteFileReplacing(path, [data, size](const std::wstring& temp) {
        HANDLE file = INVALID_HANDLE_VALUE;
        if (!OpenFileHandle(file, temp, GENERIC_WRITE, 0, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL))
            return false;
        bool written = size == 0 || WriteFileHandle(file, data, size);
        written = ::FlushFileBuffers(file) != FALSE && written;
        return CloseFileHandleChecked(file) && written;
    });
}

}  // namespace Tessar
