#pragma once
// The download-information reply of the update server: an XML document
// with one element FILE whose children name a file to fetch, e.g.
//
//   <FILE><DownloadUrl>http://.../db.vqx</DownloadUrl><Md5>...</Md5>
//         <FileSize>1234</FileSize><Increment>0</Increment></FILE>
//
// Download tasks, the range downloader and the data updates read it.

#include "common/HttpBoundedGet.h"

#include <cstdint>
#include <string>

namespace Tessar {

struct VQRemoteFileInfo {
    VQRemoteFileInfo();
    ~VQRemoteFileInfo();

    // 2 peer-to-peer, any other value HTTP; 1 unless the reply says.
    uint32_t downloadType;
    std::wstring downloadUrl;
    // A second URL of the same file.
    std::wstring spareUrl;
    // MD5 of the whole file, 32 hexadecimal characters.
    std::wstring md5;
    // Decimal text; a leading "-" is accepted.
    std::wstring fileSize;
    // A file name, or an absolute path.
    std::wstring fileName;
    // True (1) only when the reply's value is exactly 1; true unless the reply says.
    uint8_t increment;
    std::wstring torrentUrl;
};

// Parses the reply (text up to length bytes or its first zero byte). True
// when it has a FILE element whose DownloadUrl is not empty; on false the
// record holds the defaults. DownloadType and Increment are read from their
// leading digits ("2abc" is 2, "x" is 0; DownloadType stops at the largest
// 32-bit value); FileSize is kept as text. Element names are compared exactly; unknown
// and empty children are ignored and a later child overwrites an earlier
// one of the same name. A document declared UTF-8 (or starting with its
// byte-order mark) is read as UTF-8, any other in the system code page.
bool ParseDownloadInfo(const unsigned char* bytes, uint32_t length, VQRemoteFileInfo& info);

// The reply within the limits (HttpGetToMemoryBounded: an overall time
// limit, a stop the caller asks for, bounded redirects), then
// ParseDownloadInfo of it. False, with the defaults in the record, when
// the reply did not come whole in time, was stopped or does not parse.
bool FetchDownloadInfo(const std::wstring& url, VQRemoteFileInfo& info,
                       const VQHttpGetLimits& limits = VQHttpGetLimits());

}  // namespace Tessar
