#pragma once
// The machine address for the statistics requests: the physical address of
// one network adapter, chosen among the adapters of Iphlpapi and the
// workstation's transports that belong to a registered network card.

#include "common/StringTriple.h"

#include <windows.h>
#include <iphlpapi.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace Tessar {

// What the collector reads of the system: Iphlpapi and netapi32 are loaded
// by name at run time, the network cards are read below the registry root
// (HKEY_LOCAL_MACHINE). Tests give their own functions and a scratch key.
struct VQNetworkSource {
    std::function<HMODULE(const wchar_t* name)> loadLibrary;
    std::function<FARPROC(HMODULE module, const char* name)> getFunction;
    std::function<void(HMODULE module)> freeLibrary;
    HKEY registryRoot = HKEY_LOCAL_MACHINE;
};
const VQNetworkSource& SystemNetworkSource();

// One adapter as Iphlpapi reports it.
struct VQMachineInfo {
    VQMachineInfo();
    // Reads the interface row of the index through GetIfEntry; the row stays
    // zero (but for the index) when it cannot be read.
    explicit VQMachineInfo(DWORD interfaceIndex, const VQNetworkSource& source = SystemNetworkSource());

    std::wstring adapterName;  // the interface GUID in braces
    std::wstring description;
    std::wstring ipAddress;    // first entry of the address list
    std::wstring ipMask;
    std::wstring gateway;      // first entry of the gateway list
    std::wstring addressText;  // first 6 address bytes, 12 lower-case hex digits
    uint8_t addressBytes[6];
    MIB_IFROW interfaceRow;
};

struct TransportAddress {
    std::wstring guidText;     // "{...}" taken from the transport name
    std::wstring addressText;  // 12 lower-case hex digits
    uint8_t addressBytes[6];
};

class AdapterCollector {
public:
    // Collects adapters, transports and network cards; a source that fails
    // leaves its list empty or partly filled.
    AdapterCollector();
    explicit AdapterCollector(const VQNetworkSource& source);
    ~AdapterCollector();

    bool CollectAdapters();
    bool CollectTransports();
    bool CollectNetworkCards();
    // Skipped when a transport with the same address text is listed.
    void AddTransport(const std::wstring& name, const uint8_t (&address)[6]);

    // Copies the transports and adapters that have a network card.
    void FilterByNetworkCard(std::vector<VQMachineInfo>& adapters, std::vector<TransportAddress>& transports) const;
    // A card whose service name is this exact text (a transport's GUID
    // text, an adapter's name).
    bool HasNetworkCard(const std::wstring& serviceName) const;

    // The operational adapter with the most received bytes (the first of
    // equals); else the last non-operational one; else the first
    // transport; each only with a network card. Empty when none is left.
    std::wstring PickMachineMac() const;

    const std::vector<VQMachineInfo>& Adapters() const { return m_adapters; }
    const std::vector<TransportAddress>& Transports() const { return m_transports; }
    // (service name, description, connection name)
    const std::vector<VQStringTriple>& NetworkCards() const { return m_cards; }

private:
    void CollectAll();

    VQNetworkSource m_source;
    std::vector<VQMachineInfo> m_adapters;
    std::vector<TransportAddress> m_transports;
    std::vector<VQStringTriple> m_cards;
};

// A text value of at most 260 characters; empty when it is missing, longer,
// not text, or cannot be read.
std::wstring ReadRegistryText(HKEY key, const wchar_t* valueName);
// Sets the address text and bytes from six bytes.
void BytesToHexLower(VQMachineInfo& info, const uint8_t* bytes);

}  // namespace Tessar
