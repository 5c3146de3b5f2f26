#include "tests/common/FakeNetwork.h"

#include <cstring>

namespace Tessar {
namespace Test {

namespace {
HMODULE const kIphlpapi = reinterpret_cast<HMODULE>(0x10000);
HMODULE const kNetapi = reinterpret_cast<HMODULE>(0x20000);

template <size_t N>
void CopyText(char (&field)[N], const std::string& text) {
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), text.size() < N ? text.size() : N);
}

// What a transport buffer handed out points into.
struct TransportBlock {
    std::vector<WKSTA_TRANSPORT_INFO_0> records;
    std::vector<std::wstring> texts;
};
}  // namespace

FakeNetwork* FakeNetwork::s_current = nullptr;

FakeNetwork::FakeNetwork() {
    s_current = this;
}

FakeNetwork::~FakeNetwork() {
    for (auto& block : blocks)
        delete static_cast<TransportBlock*>(block.second);
    s_current = nullptr;
}

VQNetworkSource FakeNetwork::Source(HKEY registryRoot) {
    VQNetworkSource source;
    source.loadLibrary = [this](const wchar_t* name) -> HMODULE {
        loadedNames.push_back(name);
        HMODULE module = nullptr;
        if (std::wstring(name) == L"Iphlpapi.dll" && hasIphlpapi)
            module = kIphlpapi;
        else if (std::wstring(name) == L"netapi32.dll" && hasNetapi)
            module = kNetapi;
        if (module != nullptr)
            ++loads;
        return module;
    };
    source.getFunction = [this](HMODULE module, const char* name) -> FARPROC {
        if (missingFunctions.count(name) != 0)
            return nullptr;
        const std::string function(name);
        if (module == kIphlpapi && function == "GetAdaptersInfo")
            return reinterpret_cast<FARPROC>(&FakeNetwork::GetAdaptersInfo);
        if (module == kIphlpapi && function == "GetIfEntry")
            return reinterpret_cast<FARPROC>(&FakeNetwork::GetIfEntry);
        if (module == kNetapi && function == "NetWkstaTransportEnum")
            return reinterpret_cast<FARPROC>(&FakeNetwork::NetWkstaTransportEnum);
        if (module == kNetapi && function == "NetApiBufferFree")
            return reinterpret_cast<FARPROC>(&FakeNetwork::NetApiBufferFree);
        return nullptr;
    };
    source.freeLibrary = [this](HMODULE) { ++frees; };
    source.registryRoot = registryRoot;
    return source;
}

ULONG WINAPI FakeNetwork::GetAdaptersInfo(PIP_ADAPTER_INFO buffer, PULONG size) {
    FakeNetwork& network = *s_current;
    ++network.adapterCalls;
    const ULONG needed = static_cast<ULONG>(network.adapters.size() * sizeof(IP_ADAPTER_INFO));
    if (network.adapters.empty()) {
        *size = 0;
        return ERROR_NO_DATA;
    }
    if (buffer == nullptr || *size < needed) {
        *size = needed;
        return ERROR_BUFFER_OVERFLOW;
    }
    if (network.adapterCalls == network.failingAdapterCall)
        return ERROR_INVALID_DATA;
    std::memset(buffer, 0, needed);
    for (size_t i = 0; i < network.adapters.size(); ++i) {
        const FakeAdapter& fake = network.adapters[i];
        IP_ADAPTER_INFO& adapter = buffer[i];
        adapter.Next = i + 1 < network.adapters.size() ? &buffer[i + 1] : nullptr;
        CopyText(adapter.AdapterName, fake.name);
        CopyText(adapter.Description, fake.description);
        adapter.AddressLength = static_cast<UINT>(fake.address.size());
        std::memcpy(adapter.Address, fake.address.data(), fake.address.size());
        adapter.Index = fake.index;
        CopyText(adapter.IpAddressList.IpAddress.String, fake.ip);
        CopyText(adapter.IpAddressList.IpMask.String, fake.mask);
        CopyText(adapter.GatewayList.IpAddress.String, fake.gateway);
    }
    return NO_ERROR;
}

DWORD WINAPI FakeNetwork::GetIfEntry(PMIB_IFROW row) {
    FakeNetwork& network = *s_current;
    network.ifEntryIndexes.push_back(row->dwIndex);
    auto found = network.rows.find(row->dwIndex);
    if (found == network.rows.end()) {
        row->dwMtu = 1500;  // a failing call may leave some fields written
        return ERROR_INVALID_DATA;
    }
    row->dwOperStatus = found->second.operStatus;
    row->dwInOctets = found->second.inOctets;
    return NO_ERROR;
}

NET_API_STATUS WINAPI FakeNetwork::NetWkstaTransportEnum(LMSTR server, DWORD level, LPBYTE* buffer, DWORD maximum,
                                                         LPDWORD read, LPDWORD total, LPDWORD resume) {
    FakeNetwork& network = *s_current;
    if (server != nullptr || level != 0 || maximum != MAX_PREFERRED_LENGTH || resume == nullptr || *resume != 0)
        network.transportArgumentsAsExpected = false;
    *buffer = nullptr;
    if (network.transportStatus != NERR_Success && !network.transportBufferOnFailure)
        return network.transportStatus;
    TransportBlock* block = new TransportBlock;
    block->texts.reserve(2 * network.transports.size());
    for (const FakeTransport& transport : network.transports) {
        WKSTA_TRANSPORT_INFO_0 record = {};
        if (transport.name != nullptr) {
            block->texts.push_back(transport.name);
            record.wkti0_transport_name = &block->texts.back()[0];
        }
        if (transport.address != nullptr) {
            block->texts.push_back(transport.address);
            record.wkti0_transport_address = &block->texts.back()[0];
        }
        block->records.push_back(record);
    }
    *buffer = reinterpret_cast<LPBYTE>(block->records.data());
    network.blocks[*buffer] = block;
    *read = static_cast<DWORD>(network.transports.size());
    *total = *read;
    return network.transportStatus;
}

NET_API_STATUS WINAPI FakeNetwork::NetApiBufferFree(LPVOID buffer) {
    FakeNetwork& network = *s_current;
    ++network.bufferFrees;
    auto found = network.blocks.find(buffer);
    if (found != network.blocks.end()) {
        delete static_cast<TransportBlock*>(found->second);
        network.blocks.erase(found);
    }
    return NERR_Success;
}

}  // namespace Test
}  // namespace Tessar
