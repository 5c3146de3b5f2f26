#pragma once
// The install, upgrade and uninstall report of the updater: a few machine
// fields as a query, Base64-encoded, sent to "/stat.php" on the statistics
// server; the reply is not read.

#include <cstdint>
#include <string>

namespace Tessar {

enum VQInstallStatType : int32_t {
    kStatInstall = 0,
    kStatUpgrade = 1,
    kStatUninstall = 2,
};

struct VQInstallStat {
    std::wstring installtime;  // "%04d%02d%02d%02d%02d%02d", local time
    std::wstring diskid;
    std::wstring mac;          // 12 lower-case hex digits
    std::wstring ver;          // "1.7"
    int32_t type = kStatInstall;

    // Collects the empty fields and sends the report; true only when the
    // request was answered.
    bool Report(int32_t reportType);
    // Fills the fields that are still empty (a MAC of twelve zeros counts
    // as empty). Always true.
    bool Collect();
};

// "type=..&mac=..&diskid=..&installtime=..&ver=..", installtime made exactly
// 14 characters long (padded with "0" or cut).
std::wstring BuildStatQuery(const VQInstallStat& stat);
// Standard Base64 with "=" padding, NUL-terminated in output, which is
// resized to fit (at least 512 bytes, or twice the input). False for a null
// input or a length of 0 or less.
bool Base64Encode(int length, std::string& output, const unsigned char* input);
// Seconds since 1970 as local time, "%04d%02d%02d%02d%02d%02d".
std::wstring FormatInstallTime(uint32_t secondsSince1970);
// The full request: statistics server, "/stat.php?", the Base64 query.
std::wstring BuildStatRequestUrl(const VQInstallStat& stat);

}  // namespace Tessar
