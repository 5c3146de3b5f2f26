// The registry's network cards: only cards with a service name, a
// connection name under the network class key and a TCP/IP interface key
// are listed.

#include "common/AdapterCollector.h"

#include "common/Registry.h"

#include <vector>

namespace Tessar {

namespace {

const wchar_t kNetworkCardsKey[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards";
const wchar_t kNetworkClassKey[] =
    L"SYSTEM\\CurrentControlSet\\Control\\Network\\{4D36E972-E325-11CE-BFC1-08002BE10318}\\";
const wchar_t kTcpipInterfacesKey[] = L"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\";
const DWORD kMaxCardKeys = 1024;
const DWORD kMaxRegistryTextChars = 260;

// The connection name of the card's service, or empty when the service
// has no connection or no TCP/IP interface.
std::wstring ReadConnectionName(HKEY root, const std::wstring& serviceName) {
    std::wstring name;
    VQRegKeyHolder key;
    if (key.RegOpenKeyPath(root, kNetworkClassKey + serviceName + L"\\Connection", KEY_READ))
        name = ReadRegistryText(key.Key(), L"Name");
    if (!name.empty() && !key.RegOpenKeyPath(root, kTcpipInterfacesKey + serviceName, KEY_READ))
        name.clear();
    return name;
}

}  // namespace

std::wstring ReadRegistryText(HKEY key, const wchar_t* valueName) {
    wchar_t buffer[kMaxRegistryTextChars] = {};
    DWORD type = 0;
    DWORD size = sizeof(buffer);
    if (::RegQueryValueExW(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::wstring();
    // The stored text need not end in a terminator.
    std::wstring text(buffer, size / sizeof(wchar_t));
    return text.substr(0, text.find(L'\0'));
}

bool AdapterCollector::CollectNetworkCards() {
    VQRegKeyHolder cards;
    if (!cards.RegOpenKeyPath(m_source.registryRoot, kNetworkCardsKey, KEY_READ))
        return false;
    DWORD count = 0;
    DWORD longestName = 0;
    if (::RegQueryInfoKeyW(cards.Key(), nullptr, nullptr, nullptr, &count, &longestName, nullptr, nullptr, nullptr,
                           nullptr, nullptr, nullptr) != ERROR_SUCCESS ||
        count > kMaxCardKeys || longestName > kMaxCardKeys)
        return false;

    for (DWORD index = 0; index < count; ++index) {
        std::vector<wchar_t> name(longestName + 2, L'\0');
        DWORD nameLength = longestName + 1;
        if (::RegEnumKeyExW(cards.Key(), index, name.data(), &nameLength, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            continue;
        name[nameLength] = L'\0';
        VQRegKeyHolder card;
        if (!card.RegOpenKeyPath(cards.Key(), name.data(), KEY_READ))
            continue;
        VQStringTriple record;
        record.first = ReadRegistryText(card.Key(), L"ServiceName");
        record.second = ReadRegistryText(card.Key(), L"Description");
        if (!record.first.empty())
            record.third = ReadConnectionName(m_source.registryRoot, record.first);
        if (!record.third.empty())
            m_cards.push_back(record);
    }
    return true;
}

}  // namespace Tessar
