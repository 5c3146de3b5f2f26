#pragma once
// What the update server says about the current release, and the check
// whether the installed version is older.
//
// The reply of "/update" on the update server:
//   <VERSION>1.7.2.0</VERSION>
//   <FILE><DownloadUrl>..</DownloadUrl><Md5>..</Md5>
//         <FileSize>..</FileSize><FileName>..</FileName></FILE>

#include "VQUpdate/Version.h"
#include "common/HttpGetter.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Tessar {

// Written by the download on the worker, read by the window's timer on the
// UI thread without a lock: a torn read only shows a stale percentage.
typedef VQTransferCounter VQDownloadProgress;

struct VQUpdateInfo {
    // The folder ends in a backslash.
    explicit VQUpdateInfo(const std::wstring& folder) : tempFolder(folder) {}

    std::wstring tempFolder;
    uint8_t upToDate = 1;  // 0 when a newer release exists
    std::wstring downloadUrl;
    std::wstring md5;
    std::wstring fileName;  // the full path once downloaded
    int32_t fileSize = 0;
    std::vector<std::wstring> downloadedFiles;
    std::unique_ptr<VQDownloadProgress> progress;  // made by the first download
};

// Fetches and parses the reply, compares it with GetLocalVersion and sets
// the up-to-date flag. False when the reply cannot be had or parsed.
bool CheckForUpdate(VQUpdateInfo& info, std::wstring& localVersion, std::wstring& remoteVersion);
// The reply of the update endpoint as narrow text up to its first zero
// byte; false when there is none or it is empty.
bool FetchUpdateInfo(std::string& reply);
// False without a VERSION element with text. FILE's known children fill
// the record (a missing FILE leaves it as it is).
bool ParseUpdateInfo(const std::string& reply, VQVersion& remote, VQUpdateInfo& info);

}  // namespace Tessar
