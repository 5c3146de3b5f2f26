#pragma once
// Resume records (".vql") that older releases left beside unfinished HTTP
// downloads, upgraded in place to the current layout (common/ResumeRecord.h).
//
// Layout A, exactly 5,768 bytes: URL host and path (1,024 UTF-16 each),
// target, data and record paths (260 each), MD5 text (32), u16 port, 6
// reserved, u64 total size, u64 bytes done, u32 range count, 4 reserved,
// then the one range as u64 position and u64 bytes still to fetch.
// Layout B: the current 9,848-byte head, then 32 bytes per range (first
// byte, length, position, bytes still to fetch), exactly 9,848 + 32 x count.
//
// A file that does not match the layout exactly is left as it is, and so is
// a current record (its ranges are 40 bytes long). The new record is written
// beside the old one and moved over it, so a failed write keeps the old.

#include <string>

namespace Tessar {

// True when the file was a layout-A record and now is a current one.
bool UpgradeResumeRecordA(const std::wstring& path);
// True when the file was a layout-B record and now is a current one.
bool UpgradeResumeRecordB(const std::wstring& path);

}  // namespace Tessar
