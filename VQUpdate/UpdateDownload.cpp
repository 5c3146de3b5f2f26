#include "VQUpdate/UpdateDownload.h"

#include "common/Md5.h"
#include "common/PathText.h"
#include "common/TextUtil.h"

namespace Tessar {

namespace {

// A name without folder parts that stays inside the folder it joins.
bool IsPlainFileName(const std::wstring& name) {
    std::wstring found;
    return !name.empty() && name != L"." && name != L".." && name.find_first_of(L"\\/") == std::wstring::npos &&
           FindInvalidPathChars(name, found) && name.find(L':') == std::wstring::npos;
}

bool SameMd5(const std::wstring& a, const std::wstring& b) {
    return !a.empty() && a.size() == b.size() && CompareNoCase(a, b, a.size()) == 0;
}

}  // namespace

bool HttpGetToBuffer(const std::wstring& url, VQBuffer<unsigned char>& buffer) {
    uint32_t length = 0;
    if (!HttpGetToMemory(url, buffer, length))
        return false;
    buffer.size = length;  // the zero byte behind stays
    return true;
}

bool HttpDownloadToFile(VQDownloadProgress* progress, const std::wstring& url, const std::wstring& path,
                        HANDLE cancelEvent, int32_t expectedSize) {
    uint32_t expected = expectedSize > 0 ? static_cast<uint32_t>(expectedSize) : 0;
    return HttpGetToFile(url, path, cancelEvent, expected, progress);
}

bool DownloadUpdateFile(HANDLE cancelEvent, VQUpdateInfo& info) {
    if (!IsPlainFileName(info.fileName))
        return false;
    info.fileName = CombinePath(info.tempFolder, info.fileName);
    if (!info.progress)
        info.progress.reset(new VQDownloadProgress(static_cast<uint32_t>(info.fileSize > 0 ? info.fileSize : 0)));
    if (!HttpDownloadToFile(info.progress.get(), info.downloadUrl, info.fileName, cancelEvent, info.fileSize))
        return false;
    if (!SameMd5(Md5OfFile(info.fileName), info.md5))
        return false;
    info.downloadedFiles.push_back(info.fileName);
    return true;
}

}  // namespace Tessar
