#include "common/ServerAddresses.h"

#include "common/FileUtil.h"
#include "common/FormatText.h"
#include "common/IniFile.h"
#include "common/SystemUtil.h"
#include "common/TextUtil.h"

#include <mutex>

namespace Tessar {

const wchar_t kServersIniName[] = L"servers.ini";
const wchar_t kServersIniSection[] = L"Servers";

namespace {

struct AddressEntry {
    const wchar_t* key;
    const wchar_t* placeholder;  // ".invalid" never resolves, so nothing leaves by accident
};

const AddressEntry kAddresses[kServerAddressCount] = {
    {L"UpdateServer", L"http://update.tessar.invalid"},
    {L"StatisticsServer", L"http://stat.tessar.invalid"},
    {L"DetailsServer", L"http://www.tessar.invalid/details"},
    {L"HomePage", L"http://www.tessar.invalid/"},
    {L"HelpPage", L"http://www.tessar.invalid/help/"},
    {L"RuntimeHelpPage", L"http://www.tessar.invalid/help/runtime.html"},
};

struct EndpointEntry {
    VQServerAddress server;
    const wchar_t* path;
};

const EndpointEntry kEndpoints[kEndpointCount] = {
    {kUpdateServer, L"update_database.php"},
    {kUpdateServer, L"update_advert.php"},
    {kUpdateServer, L"update_hot.php"},
    {kUpdateServer, L"update_icon.php"},
    {kUpdateServer, L"query_url.php"},
    {kStatisticsServer, L"download_complete.php"},
    {kStatisticsServer, L"install_complete.php"},
    {kStatisticsServer, L"click_register.php"},
    {kStatisticsServer, L"online_stat.php"},
    {kStatisticsServer, L"stat.php"},
    {kUpdateServer, L"update"},
};

struct AddressTable {
    std::mutex lock;
    bool loaded = false;  // servers.ini read (or the table set) already
    std::wstring values[kServerAddressCount];
};

AddressTable& Table() {
    static AddressTable table;
    return table;
}

}  // namespace

bool IsWebAddress(const std::wstring& text) {
    for (const wchar_t* scheme : {L"http://", L"https://"}) {
        std::wstring prefix(scheme);
        if (text.size() > prefix.size() && CompareNoCase(text, prefix, prefix.size()) == 0)
            return true;
    }
    return false;
}

namespace {

// Called with the lock held.
uint32_t LoadLocked(AddressTable& table, const std::wstring& iniPath) {
    for (uint32_t i = 0; i < kServerAddressCount; ++i)
        table.values[i] = kAddresses[i].placeholder;
    table.loaded = true;
    if (iniPath.empty())
        return 0;
    IniFile ini(iniPath);
    uint32_t taken = 0;
    for (uint32_t i = 0; i < kServerAddressCount; ++i) {
        std::wstring value = ini.ReadString(kServersIniSection, kAddresses[i].key);
        TrimLeftChars(value, kWhiteSpace);
        TrimRightChars(value, kWhiteSpace);
        if (IsWebAddress(value)) {
            table.values[i] = value;
            ++taken;
        }
    }
    return taken;
}

void EnsureLoadedLocked(AddressTable& table) {
    if (!table.loaded)
        LoadLocked(table, ServerAddressesIniPath());
}

}  // namespace

const wchar_t* ServerAddressKey(VQServerAddress which) {
    return which < kServerAddressCount ? kAddresses[which].key : nullptr;
}

std::wstring DefaultServerAddress(VQServerAddress which) {
    return which < kServerAddressCount ? kAddresses[which].placeholder : L"";
}

std::wstring GetServerAddress(VQServerAddress which) {
    if (which >= kServerAddressCount)
        return std::wstring();
    AddressTable& table = Table();
    std::lock_guard<std::mutex> guard(table.lock);
    EnsureLoadedLocked(table);
    return table.values[which];
}

std::wstring ServerAddressesIniPath() {
    std::wstring program = GetOwnModulePath();
    if (program.empty())
        return std::wstring();
    std::wstring folder = GetFullPathFolder(program);
    return folder.empty() ? std::wstring() : folder + kServersIniName;
}

uint32_t LoadServerAddresses(const std::wstring& iniPath) {
    AddressTable& table = Table();
    std::lock_guard<std::mutex> guard(table.lock);
    return LoadLocked(table, iniPath);
}

bool SetServerAddress(VQServerAddress which, const std::wstring& address) {
    if (which >= kServerAddressCount || !IsWebAddress(address))
        return false;
    AddressTable& table = Table();
    std::lock_guard<std::mutex> guard(table.lock);
    EnsureLoadedLocked(table);
    table.values[which] = address;
    return true;
}

const wchar_t* EndpointPath(VQEndpoint endpoint) {
    return endpoint < kEndpointCount ? kEndpoints[endpoint].path : nullptr;
}

std::wstring GetEndpointUrl(VQEndpoint endpoint) {
    if (endpoint >= kEndpointCount)
        return std::wstring();
    std::wstring base = GetServerAddress(kEndpoints[endpoint].server);
    TrimRightChars(base, L"/");
    return base + L"/" + kEndpoints[endpoint].path;
}

std::wstring MakeSoftRequest(const std::wstring& endpointUrl) {
    return FormatString(L"%s?soft=%d.%d", endpointUrl.c_str(), kRequestVersionMajor, kRequestVersionMinor);
}

std::wstring MakeSoftRequest(VQEndpoint endpoint) {
    std::wstring url = GetEndpointUrl(endpoint);
    return url.empty() ? url : MakeSoftRequest(url);
}

}  // namespace Tessar
