#include "common/AdapterCollector.h"

#include "common/CodePage.h"
#include "common/FormatText.h"

#include <lm.h>

#include <cstring>
#include <cwchar>

namespace Tessar {

namespace {

typedef ULONG(WINAPI* GetAdaptersInfoFunction)(PIP_ADAPTER_INFO, PULONG);
typedef DWORD(WINAPI* GetIfEntryFunction)(PMIB_IFROW);
typedef NET_API_STATUS(WINAPI* TransportEnumFunction)(LMSTR, DWORD, LPBYTE*, DWORD, LPDWORD, LPDWORD, LPDWORD);
typedef NET_API_STATUS(WINAPI* BufferFreeFunction)(LPVOID);

const DWORD kOperationalStatus = 5;  // IF_OPER_STATUS_OPERATIONAL

// A library of the source, freed when the step that loaded it returns.
class SourceLibrary {
public:
    SourceLibrary(const VQNetworkSource& source, const wchar_t* name)
        : m_source(source), m_module(source.loadLibrary(name)) {}
    ~SourceLibrary() {
        if (m_module != nullptr)
            m_source.freeLibrary(m_module);
    }
    SourceLibrary(const SourceLibrary&) = delete;
    SourceLibrary& operator=(const SourceLibrary&) = delete;

    template <typename Function>
    Function Get(const char* name) const {
        return m_module != nullptr ? reinterpret_cast<Function>(m_source.getFunction(m_module, name)) : nullptr;
    }

private:
    const VQNetworkSource& m_source;
    HMODULE m_module;
};

// Fixed-size text fields need not be terminated when full.
template <size_t N>
std::wstring FieldText(const char (&field)[N]) {
    return NarrowToWideEx(field, strnlen(field, N));
}

std::wstring AddressText(const uint8_t* bytes) {
    return FormatString(L"%02x%02x%02x%02x%02x%02x", bytes[0], bytes[1], bytes[2], bytes[3], bytes[4], bytes[5]);
}

// "{...}" from the last "{" to the last "}", or empty.
std::wstring GuidPart(const std::wstring& name) {
    size_t open = name.rfind(L'{');
    size_t close = name.rfind(L'}');
    if (open == std::wstring::npos || close == std::wstring::npos || open >= close)
        return std::wstring();
    return name.substr(open, close - open + 1);
}

}  // namespace

const VQNetworkSource& SystemNetworkSource() {
    static const VQNetworkSource source = {
        [](const wchar_t* name) { return ::LoadLibraryW(name); },
        [](HMODULE module, const char* name) { return ::GetProcAddress(module, name); },
        [](HMODULE module) { ::FreeLibrary(module); },
        HKEY_LOCAL_MACHINE,
    };
    return source;
}

VQMachineInfo::VQMachineInfo() {
    std::memset(addressBytes, 0, sizeof(addressBytes));
    std::memset(&interfaceRow, 0, sizeof(interfaceRow));
}

VQMachineInfo::VQMachineInfo(DWORD interfaceIndex, const VQNetworkSource& source) : VQMachineInfo() {
    interfaceRow.dwIndex = interfaceIndex;
    SourceLibrary library(source, L"Iphlpapi.dll");
    GetIfEntryFunction getIfEntry = library.Get<GetIfEntryFunction>("GetIfEntry");
    if (getIfEntry != nullptr && getIfEntry(&interfaceRow) != NO_ERROR)
        std::memset(&interfaceRow, 0, sizeof(interfaceRow));
}

void BytesToHexLower(VQMachineInfo& info, const uint8_t* bytes) {
    info.addressText = AddressText(bytes);
    std::memcpy(info.addressBytes, bytes, sizeof(info.addressBytes));
}

AdapterCollector::AdapterCollector() : m_source(SystemNetworkSource()) {
    CollectAll();
}

AdapterCollector::AdapterCollector(const VQNetworkSource& source) : m_source(source) {
    CollectAll();
}

AdapterCollector::~AdapterCollector() = default;

void AdapterCollector::CollectAll() {
    CollectAdapters();
    CollectTransports();
    CollectNetworkCards();
}

bool AdapterCollector::CollectAdapters() {
    SourceLibrary library(m_source, L"Iphlpapi.dll");
    GetAdaptersInfoFunction getAdaptersInfo = library.Get<GetAdaptersInfoFunction>("GetAdaptersInfo");
    if (getAdaptersInfo == nullptr)
        return false;
    ULONG size = 0;
    getAdaptersInfo(nullptr, &size);
    if (size == 0)
        return false;
    // Adapter records hold pointers: the block is allocated with their alignment.
    std::vector<IP_ADAPTER_INFO> block((size + sizeof(IP_ADAPTER_INFO) - 1) / sizeof(IP_ADAPTER_INFO));
    PIP_ADAPTER_INFO first = block.data();
    if (getAdaptersInfo(first, &size) != NO_ERROR)
        return false;
    ULONG length = size;
    if (getAdaptersInfo(first, &length) != NO_ERROR)
        return true;

    for (const IP_ADAPTER_INFO* adapter = first; adapter != nullptr; adapter = adapter->Next) {
        VQMachineInfo info(adapter->Index, m_source);
        info.adapterName = FieldText(adapter->AdapterName);
        info.description = FieldText(adapter->Description);
        BytesToHexLower(info, adapter->Address);
        info.ipAddress = FieldText(adapter->IpAddressList.IpAddress.String);
        info.gateway = FieldText(adapter->GatewayList.IpAddress.String);
        info.ipMask = FieldText(adapter->IpAddressList.IpMask.String);
        m_adapters.push_back(info);
    }
    return true;
}

bool AdapterCollector::CollectTransports() {
    SourceLibrary library(m_source, L"netapi32.dll");
    BufferFreeFunction bufferFree = library.Get<BufferFreeFunction>("NetApiBufferFree");
    TransportEnumFunction transportEnum = library.Get<TransportEnumFunction>("NetWkstaTransportEnum");
    if (bufferFree == nullptr || transportEnum == nullptr)
        return false;
    LPBYTE buffer = nullptr;
    DWORD read = 0;
    DWORD total = 0;
    DWORD resume = 0;
    NET_API_STATUS status = transportEnum(nullptr, 0, &buffer, MAX_PREFERRED_LENGTH, &read, &total, &resume);
    if (status != NERR_Success || buffer == nullptr) {
        if (buffer != nullptr)
            bufferFree(buffer);
        return false;
    }
    // The first transport is never used.
    const WKSTA_TRANSPORT_INFO_0* transports = reinterpret_cast<const WKSTA_TRANSPORT_INFO_0*>(buffer);
    for (DWORD i = 1; i < read; ++i) {
        unsigned short parts[6] = {};
        const wchar_t* address = transports[i].wkti0_transport_address;
        if (address != nullptr)
            swscanf(address, L"%2hx%2hx%2hx%2hx%2hx%2hx", &parts[0], &parts[1], &parts[2], &parts[3], &parts[4],
                    &parts[5]);
        uint8_t bytes[6];
        for (int b = 0; b < 6; ++b)
            bytes[b] = static_cast<uint8_t>(parts[b]);
        const wchar_t* name = transports[i].wkti0_transport_name;
        AddTransport(name != nullptr ? std::wstring(name) : std::wstring(), bytes);
    }
    bufferFree(buffer);
    return true;
}

void AdapterCollector::AddTransport(const std::wstring& name, const uint8_t (&address)[6]) {
    TransportAddress transport;
    transport.addressText = AddressText(address);
    transport.guidText = GuidPart(name);
    std::memcpy(transport.addressBytes, address, sizeof(transport.addressBytes));
    for (const TransportAddress& known : m_transports) {
        if (known.addressText == transport.addressText)
            return;
    }
    m_transports.push_back(transport);
}

bool AdapterCollector::HasNetworkCard(const std::wstring& serviceName) const {
    for (const VQStringTriple& card : m_cards) {
        if (card.first == serviceName)
            return true;
    }
    return false;
}

void AdapterCollector::FilterByNetworkCard(std::vector<VQMachineInfo>& adapters,
                                           std::vector<TransportAddress>& transports) const {
    for (const TransportAddress& transport : m_transports) {
        if (HasNetworkCard(transport.guidText))
            transports.push_back(transport);
    }
    for (const VQMachineInfo& adapter : m_adapters) {
        if (HasNetworkCard(adapter.adapterName))
            adapters.push_back(adapter);
    }
}

std::wstring AdapterCollector::PickMachineMac() const {
    std::vector<VQMachineInfo> adapters;
    std::vector<TransportAddress> transports;
    FilterByNetworkCard(adapters, transports);
    if (adapters.empty() && transports.empty())
        return std::wstring();

    const VQMachineInfo* best = nullptr;
    std::wstring fallback;
    for (const VQMachineInfo& adapter : adapters) {
        if (adapter.interfaceRow.dwOperStatus != kOperationalStatus)
            fallback = adapter.addressText;
        else if (best == nullptr || adapter.interfaceRow.dwInOctets > best->interfaceRow.dwInOctets)
            best = &adapter;
    }
    std::wstring result = best != nullptr && !best->addressText.empty() ? best->addressText : fallback;
    for (size_t i = 0; result.empty() && i < transports.size(); ++i)
        result = transports[i].addressText;
    return result;
}

}  // namespace Tessar
