// The registry's network cards: only cards with a service name, a
// connection name under the network class key and a TCP/IP interface key
// are listed.

#include "common/AdapterCollector.h"

#include <vector>

namespace Tessar {

namespace {

const wchar_t kNetworkCardsKey[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards";
const wchar_t kNetworkClassKey[] =
    L"SYSTEM\\CurrentControlSet\\Control\\Network\\{4D36E972-E325-11CE-BFC1-08002BE10318}\\";
const wchar_t kTcpipInterfacesKey[] = L"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\";
const DWORD kMaxCardKeys = 1024;
const DWORD kMaxRegistryTextChars = 260;

class RegistryKey {
public:
    RegistryKey(HKEY parent, const std::wstring& path) {
        if (::RegOpenKeyExW(parent, path.c_str(), 0, KEY_READ, &m_key) != ERROR_SUCCESS)
            m_key = nullptr;
    }
    ~RegistryKey() {
        if (m_key != nullptr)
            ::RegCloseKey(m_key);
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    HKEY Get() const { return m_key; }
    bool IsOpen() const { return m_key != nullptr; }

private:
    HKEY m_key = nullptr;
};

// The connection name of the card's service, or empty when the service
// has no connection or no TCP/IP interface.
std::wstring ReadConnectionName(HKEY root, const std::wstring& serviceName) {
    std::wstring name;
    {
        RegistryKey connection(root, kNetworkClassKey + serviceName + L"\\Connection");
        if (connection.IsOpen())
            name = ReadRegistryText(connection.Get(), L"Name");
    }
    if (!name.empty() && !RegistryKey(root, kTcpipInterfacesKey + serviceName).IsOpen())
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
    RegistryKey cards(m_source.registryRoot, kNetworkCardsKey);
    if (!cards.IsOpen())
        return false;
    DWORD count = 0;
    DWORD longestName = 0;
    if (::RegQueryInfoKeyW(cards.Get(), nullptr, nullptr, nullptr, &count, &longestName, nullptr, nullptr, nullptr,
                           nullptr, nullptr, nullptr) != ERROR_SUCCESS ||
        count > kMaxCardKeys || longestName > kMaxCardKeys)
        return false;

    for (DWORD index = 0; index < count; ++index) {
        std::vector<wchar_t> name(longestName + 2, L'\0');
        DWORD nameLength = longestName + 1;
        if (::RegEnumKeyExW(cards.Get(), index, name.data(), &nameLength, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            continue;
        name[nameLength] = L'\0';
        RegistryKey card(cards.Get(), name.data());
        if (!card.IsOpen())
            continue;
        VQStringTriple record;
        record.first = ReadRegistryText(card.Get(), L"ServiceName");
        record.second = ReadRegistryText(card.Get(), L"Description");
        if (!record.first.empty())
            record.third = ReadConnectionName(m_source.registryRoot, record.first);
        if (!record.third.empty())
            m_cards.push_back(record);
    }
    return true;
}

}  // namespace Tessar
