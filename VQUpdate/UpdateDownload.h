#pragma once
// The two transfers of the updater (into memory, into a file) and the
// release download with its size and MD5 check.

#include "VQUpdate/UpdateInfo.h"
#include "common/Buffer.h"

#include <windows.h>

#include <string>

namespace Tessar {

// Status 200 with a Content-Length above 0, all of it read. The buffer
// holds the bytes and one zero byte after them; its size is the length.
bool HttpGetToBuffer(const std::wstring& url, VQBuffer<unsigned char>& buffer);
// Status 200 with a Content-Length above 0 (and equal to expectedSize when
// that is above 0) written to path, whose folders are made when missing.
// progress and cancelEvent may be null; a given progress gets the length
// as its total and counts this transfer's bytes. A failed or cancelled
// download leaves its partial file.
bool HttpDownloadToFile(VQDownloadProgress* progress, const std::wstring& url, const std::wstring& path,
                        HANDLE cancelEvent, int32_t expectedSize);
// Downloads the release into the temporary folder under its FileName,
// which must be a plain file name (a server cannot make it write anywhere
// else); true only when its MD5 equals Md5. The full path is appended to
// the downloaded files.
bool DownloadUpdateFile(HANDLE cancelEvent, VQUpdateInfo& info);

}  // namespace Tessar
