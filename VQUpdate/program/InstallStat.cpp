#include "VQUpdate/program/InstallStat.h"

#include "common/AdapterCollector.h"
#include "common/CodePage.h"
#include "common/DiskSerial.h"
#include "common/HttpGetter.h"
#include "common/ServerAddresses.h"
#include "common/TextUtil.h"

#include <windows.h>

#include <cstdio>
#include <ctime>

namespace Tessar {

namespace {

const wchar_t kInstallDateKey[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
const wchar_t kInstallDateValue[] = L"InstallDate";
const wchar_t kEmptyMac[] = L"000000000000";
const size_t kInstallTimeLength = 14;
const char kBase64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

uint32_t ReadInstallDate() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kInstallDateKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    DWORD value = 0;
    DWORD size = sizeof(value);
    DWORD type = 0;
    if (RegQueryValueExW(key, kInstallDateValue, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD)
        value = 0;
    RegCloseKey(key);
    return value;
}

}  // namespace

std::wstring FormatInstallTime(uint32_t secondsSince1970) {
    __time64_t seconds = secondsSince1970;
    struct tm local = {};
    if (_localtime64_s(&local, &seconds) != 0)
        return std::wstring();
    wchar_t text[32];
    swprintf(text, 32, L"%04d%02d%02d%02d%02d%02d", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
             local.tm_hour, local.tm_min, local.tm_sec);
    return text;
}

bool VQInstallStat::Collect() {
    if (mac.empty() || mac == kEmptyMac)
        mac = AdapterCollector().PickMachineMac();
    if (installtime.empty())
        installtime = FormatInstallTime(ReadInstallDate());
    if (diskid.empty()) {
        diskid = GetDiskId();
        TrimLeftChars(diskid, L" \r\t\n");
        TrimRightChars(diskid, L" \r\t\n");
    }
    wchar_t version[16];
    swprintf(version, 16, L"%d.%d", kRequestVersionMajor, kRequestVersionMinor);
    ver = version;
    return true;
}

std::wstring BuildStatQuery(const VQInstallStat& stat) {
    std::wstring installtime = stat.installtime;
    installtime.resize(kInstallTimeLength, L'0');
    return L"type=" + std::to_wstring(stat.type) + L"&mac=" + stat.mac + L"&diskid=" + stat.diskid +
           L"&installtime=" + installtime + L"&ver=" + stat.ver;
}

bool Base64Encode(int length, std::string& output, const unsigned char* input) {
    if (input == nullptr || length <= 0)
        return false;
    size_t capacity = static_cast<size_t>(length) * 2 > 512 ? static_cast<size_t>(length) * 2 : 512;
    size_t needed = (static_cast<size_t>(length) + 2) / 3 * 4 + 1;
    if (capacity < needed)
        capacity = needed;
    output.assign(capacity, '\0');
    size_t out = 0;
    for (int i = 0; i < length; i += 3) {
        int left = length - i;
        uint32_t group = static_cast<uint32_t>(input[i]) << 16;
        if (left > 1)
            group |= static_cast<uint32_t>(input[i + 1]) << 8;
        if (left > 2)
            group |= input[i + 2];
        output[out++] = kBase64Alphabet[(group >> 18) & 63];
        output[out++] = kBase64Alphabet[(group >> 12) & 63];
        output[out++] = left > 1 ? kBase64Alphabet[(group >> 6) & 63] : '=';
        output[out++] = left > 2 ? kBase64Alphabet[group & 63] : '=';
    }
    output.resize(out);
    return true;
}

std::wstring BuildStatRequestUrl(const VQInstallStat& stat) {
    std::string query = WideToNarrow(BuildStatQuery(stat));
    std::string encoded;
    if (!Base64Encode(static_cast<int>(query.size()), encoded, reinterpret_cast<const unsigned char*>(query.data())))
        return std::wstring();
    return GetEndpointUrl(kUpdaterStatEndpoint) + L"?" + std::wstring(encoded.begin(), encoded.end());
}

bool VQInstallStat::Report(int32_t reportType) {
    type = reportType;
    Collect();
    std::wstring url = BuildStatRequestUrl(*this);
    return !url.empty() && HttpPing(WideToNarrow(url));
}

}  // namespace Tessar
